#include "data/localsql/LocalSqlAdapter.h"

#include "data/localsql/LocalSqlTokenizer.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <utility>
#include <vector>

namespace kv::data {

namespace {

using localsql::Token;
using localsql::TokenKind;

// Words of the dialect that SQLite reads the same way.
const QSet<QString>& localKeywords()
{
    static const QSet<QString> words = {
        u"SELECT"_qs, u"DISTINCT"_qs, u"ALL"_qs,   u"FROM"_qs,   u"WHERE"_qs,  u"AND"_qs,    u"OR"_qs,
        u"NOT"_qs,    u"IN"_qs,       u"LIKE"_qs,  u"ESCAPE"_qs, u"BETWEEN"_qs, u"IS"_qs,   u"NULL"_qs,
        u"ORDER"_qs,  u"BY"_qs,       u"ASC"_qs,   u"DESC"_qs,   u"GROUP"_qs,  u"HAVING"_qs, u"AS"_qs,
        u"JOIN"_qs,   u"LEFT"_qs,     u"RIGHT"_qs, u"FULL"_qs,   u"INNER"_qs,  u"OUTER"_qs,  u"CROSS"_qs,
        u"ON"_qs,     u"INSERT"_qs,   u"INTO"_qs,  u"VALUES"_qs, u"UPDATE"_qs, u"SET"_qs,    u"DELETE"_qs,
        u"UNION"_qs,  u"EXISTS"_qs,
    };
    return words;
}

// Words of the dialect that SQLite spells differently.
const QHash<QString, QString>& renamedWords()
{
    static const QHash<QString, QString> words = {
        {u"TRUE"_qs, u"1"_qs},
        {u"FALSE"_qs, u"0"_qs},
        {u"ASCENDING"_qs, u"ASC"_qs},
        {u"DESCENDING"_qs, u"DESC"_qs},
        {u"CURRENT_DATE"_qs, u"date('now', 'localtime')"_qs},
        {u"CURRENT_TIME"_qs, u"time('now', 'localtime')"_qs},
        {u"CURRENT_TIMESTAMP"_qs, u"datetime('now', 'localtime')"_qs},
    };
    return words;
}

// The only functions passed on; anything else SQLite might run is refused.
const QSet<QString>& knownFunctions()
{
    static const QSet<QString> names = {u"UPPER"_qs, u"LOWER"_qs, u"COUNT"_qs, u"SUM"_qs,
                                        u"AVG"_qs,   u"MIN"_qs,   u"MAX"_qs};
    return names;
}

// SQLite's keywords: a column or alias spelt like one is quoted on output.
const QSet<QString>& sqliteKeywords()
{
    static const QSet<QString> words = [] {
        const QString all = QStringLiteral(
            "ABORT ACTION ADD AFTER ALL ALTER ALWAYS ANALYZE AND AS ASC ATTACH AUTOINCREMENT BEFORE BEGIN "
            "BETWEEN BY CASCADE CASE CAST CHECK COLLATE COLUMN COMMIT CONFLICT CONSTRAINT CREATE CROSS "
            "CURRENT CURRENT_DATE CURRENT_TIME CURRENT_TIMESTAMP DATABASE DEFAULT DEFERRABLE DEFERRED "
            "DELETE DESC DETACH DISTINCT DO DROP EACH ELSE END ESCAPE EXCEPT EXCLUDE EXCLUSIVE EXISTS "
            "EXPLAIN FAIL FILTER FIRST FOLLOWING FOR FOREIGN FROM FULL GENERATED GLOB GROUP GROUPS HAVING "
            "IF IGNORE IMMEDIATE IN INDEX INDEXED INITIALLY INNER INSERT INSTEAD INTERSECT INTO IS ISNULL "
            "JOIN KEY LAST LEFT LIKE LIMIT MATCH MATERIALIZED NATURAL NO NOT NOTHING NOTNULL NULL NULLS OF "
            "OFFSET ON OR ORDER OTHERS OUTER OVER PARTITION PLAN PRAGMA PRECEDING PRIMARY QUERY RAISE "
            "RANGE RECURSIVE REFERENCES REGEXP REINDEX RELEASE RENAME REPLACE RESTRICT RETURNING RIGHT "
            "ROLLBACK ROW ROWS SAVEPOINT SELECT SET TABLE TEMP TEMPORARY THEN TIES TO TRANSACTION TRIGGER "
            "UNBOUNDED UNION UPDATE USING VACUUM VALUES VIEW VIRTUAL WHEN WHERE WINDOW WITH WITHOUT");
        const QStringList list = all.split(u' ');
        return QSet<QString>(list.begin(), list.end());
    }();
    return words;
}

QString quotedIdentifier(const QString& name)
{
    return u'"' + QString(name).replace(u'"', u"\"\""_qs) + u'"';
}

QString quotedString(const QString& value)
{
    return u'\'' + QString(value).replace(u'\'', u"''"_qs) + u'\'';
}

// A column or alias: bare when SQLite reads it as a name anyway, else quoted.
QString identifier(const QString& name)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (plain.match(name).hasMatch() && !sqliteKeywords().contains(name.toUpper()))
        return name;
    return quotedIdentifier(name);
}

bool isLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// "mm/dd/yyyy" (and for a timestamp "mm/dd/yyyy hh:mm[:ss]") -> ISO text as stored.
std::optional<QString> isoDate(const QString& text, FieldType type)
{
    static const QRegularExpression re(QStringLiteral(
        R"(^\s*([0-9]{1,2})/([0-9]{1,2})/([0-9]{4})(?:\s+([0-9]{1,2}):([0-9]{2})(?::([0-9]{2}))?)?\s*$)"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const int month = m.captured(1).toInt();
    const int day = m.captured(2).toInt();
    const int year = m.captured(3).toInt();
    static constexpr int monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || month < 1 || month > 12 || day < 1)
        return std::nullopt;
    if (day > monthDays[month - 1] + (month == 2 && isLeapYear(year) ? 1 : 0))
        return std::nullopt;
    const QString date = QStringLiteral("%1-%2-%3")
                             .arg(year, 4, 10, QLatin1Char('0'))
                             .arg(month, 2, 10, QLatin1Char('0'))
                             .arg(day, 2, 10, QLatin1Char('0'));
    const bool hasTime = m.hasCaptured(4);
    if (type == FieldType::Date)
        return hasTime ? std::nullopt : std::optional<QString>(date);
    const int hour = hasTime ? m.captured(4).toInt() : 0;
    const int minute = hasTime ? m.captured(5).toInt() : 0;
    const int second = m.hasCaptured(6) ? m.captured(6).toInt() : 0;
    if (hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return QStringLiteral("%1 %2:%3:%4")
        .arg(date)
        .arg(hour, 2, 10, QLatin1Char('0'))
        .arg(minute, 2, 10, QLatin1Char('0'))
        .arg(second, 2, 10, QLatin1Char('0'));
}

enum class Role {
    Keyword,      // passed on in capitals (or renamed)
    Identifier,   // column, alias, or a word SQLite takes as a name
    QuotedColumn, // a double-quoted column name
    Table,        // a table, given by file name or name
    Function,
    Literal,      // a string
    Other,        // numbers and symbols
};

class Translator {
public:
    Translator(const QString& statement, const SqlSchemaInfo& schema)
        : stmt_(statement), schema_(schema), t_(localsql::tokenizeLocalSql(statement)),
          role_(t_.size(), Role::Other), out_(t_.size())
    {
    }

    TranslatedSql run()
    {
        const QString kind = wordAt(0);
        if (kind == u"ALTER")
            return {alterTable(), false, true};
        if (kind != u"SELECT" && kind != u"INSERT" && kind != u"UPDATE" && kind != u"DELETE") {
            refuse(QStringLiteral("only SELECT, INSERT, UPDATE, DELETE and ALTER TABLE statements can be run, "
                                  "not %1")
                       .arg(t_[0].kind == TokenKind::Word ? kind : t_[0].text));
        }
        if (kind == u"INSERT" && wordAt(1) != u"INTO")
            refuse(QStringLiteral("INSERT must be followed by INTO"));
        if (kind == u"DELETE" && wordAt(1) != u"FROM")
            refuse(QStringLiteral("DELETE must be followed by FROM"));
        markTables();
        markWords();
        convertDates(kind == u"INSERT");
        convertBlankComparisons();
        return {{joined()}, kind == u"SELECT", false};
    }

private:
    [[noreturn]] void refuse(const QString& problem) const { localsql::refuseStatement(problem, stmt_); }

    qsizetype size() const { return qsizetype(t_.size()); }
    bool inRange(qsizetype i) const { return i >= 0 && i < size(); }

    QString wordAt(qsizetype i) const
    {
        return inRange(i) && t_[i].kind == TokenKind::Word ? t_[i].text.toUpper() : QString();
    }
    bool isSymbol(qsizetype i, QStringView s) const
    {
        return inRange(i) && t_[i].kind == TokenKind::Symbol && t_[i].text == s;
    }
    bool isLiteral(qsizetype i) const { return inRange(i) && role_[i] == Role::Literal; }
    bool isComparison(qsizetype i) const
    {
        static const QSet<QString> ops = {u"="_qs, u"<>"_qs, u"!="_qs, u"<"_qs, u"<="_qs, u">"_qs, u">="_qs};
        return inRange(i) && t_[i].kind == TokenKind::Symbol && ops.contains(t_[i].text);
    }

    void setTable(qsizetype i, const QString& after)
    {
        if (!inRange(i) || (t_[i].kind != TokenKind::Word && t_[i].kind != TokenKind::DoubleText))
            refuse(QStringLiteral("a table name is missing after %1").arg(after));
        const auto table = schema_.tableForFileName(t_[i].text);
        if (!table)
            refuse(QStringLiteral("unknown table \"%1\"").arg(t_[i].text));
        role_[i] = Role::Table;
        out_[i] = quotedIdentifier(*table);
    }

    // Finds the tables: after FROM, JOIN, INTO, a leading UPDATE, a comma of a
    // FROM list, and a double-quoted file name used as a qualifier ("X.db".Col).
    void markTables()
    {
        static const QSet<QString> endsFromList = {u"WHERE"_qs, u"GROUP"_qs, u"ORDER"_qs, u"HAVING"_qs,
                                                   u"UNION"_qs, u"JOIN"_qs,  u"LEFT"_qs,  u"RIGHT"_qs,
                                                   u"FULL"_qs,  u"INNER"_qs, u"CROSS"_qs, u"ON"_qs};
        std::vector<int> fromLists; // parenthesis depths of the open FROM lists
        int depth = 0;
        for (qsizetype i = 0; i < size(); ++i) {
            const Token& tok = t_[i];
            if (tok.kind == TokenKind::Symbol) {
                if (tok.text == u"(")
                    ++depth;
                else if (tok.text == u")")
                    --depth;
                while (!fromLists.empty() && fromLists.back() > depth)
                    fromLists.pop_back();
                if (tok.text == u"," && !fromLists.empty() && fromLists.back() == depth)
                    setTable(++i, QStringLiteral("\",\""));
                continue;
            }
            if (tok.kind == TokenKind::DoubleText) {
                if (isSymbol(i + 1, u".") && !isSymbol(i - 1, u"."))
                    setTable(i, QString());
                continue;
            }
            if (tok.kind != TokenKind::Word)
                continue;
            const QString word = tok.text.toUpper();
            if (!fromLists.empty() && fromLists.back() == depth && endsFromList.contains(word))
                fromLists.pop_back();
            if (word == u"FROM") {
                fromLists.push_back(depth);
                setTable(++i, word);
            } else if (word == u"JOIN" || word == u"INTO" || (i == 0 && word == u"UPDATE")) {
                setTable(++i, word);
                if (word == u"INTO" && isSymbol(i + 1, u"("))
                    markInsertColumns(i + 2);
            }
        }
    }

    // Double-quoted names in INSERT's column list are columns, not strings.
    void markInsertColumns(qsizetype i)
    {
        for (; inRange(i) && !isSymbol(i, u")"); ++i) {
            if (t_[i].kind == TokenKind::DoubleText) {
                role_[i] = Role::QuotedColumn;
                out_[i] = quotedIdentifier(t_[i].text);
            }
        }
    }

    void markWords()
    {
        for (qsizetype i = 0; i < size(); ++i) {
            if (role_[i] != Role::Other)
                continue;
            const Token& tok = t_[i];
            switch (tok.kind) {
            case TokenKind::DoubleText:
                if (isSymbol(i - 1, u".")) {
                    role_[i] = Role::QuotedColumn;
                    out_[i] = quotedIdentifier(tok.text);
                    break;
                }
                [[fallthrough]];
            case TokenKind::SingleText:
                role_[i] = Role::Literal;
                out_[i] = quotedString(tok.text);
                break;
            case TokenKind::Word: markWord(i); break;
            case TokenKind::Number:
            case TokenKind::Symbol: out_[i] = tok.text; break;
            }
        }
    }

    void markWord(qsizetype i)
    {
        const QString word = t_[i].text.toUpper();
        if (isSymbol(i - 1, u".")) {
            role_[i] = Role::Identifier;
            out_[i] = identifier(t_[i].text);
        } else if (isSymbol(i + 1, u"(") && !localKeywords().contains(word)) {
            if (!knownFunctions().contains(word))
                refuse(QStringLiteral("unknown function \"%1\"").arg(t_[i].text));
            role_[i] = Role::Function;
            out_[i] = word;
        } else if (localKeywords().contains(word)) {
            role_[i] = Role::Keyword;
            out_[i] = word;
        } else if (const auto renamed = renamedWords().find(word); renamed != renamedWords().end()) {
            out_[i] = *renamed;
        } else {
            role_[i] = Role::Identifier;
            out_[i] = identifier(t_[i].text);
        }
    }

    // The bare name of a column reference "[alias.]name" ending at token i.
    std::optional<QString> columnEndingAt(qsizetype i) const
    {
        if (!inRange(i) || (role_[i] != Role::Identifier && role_[i] != Role::QuotedColumn))
            return std::nullopt;
        return t_[i].text;
    }

    // The bare name of a column reference "[alias.]name" starting at token i.
    std::optional<QString> columnStartingAt(qsizetype i) const
    {
        if (inRange(i) && (role_[i] == Role::Identifier || role_[i] == Role::Table) && isSymbol(i + 1, u"."))
            i += 2;
        if (isSymbol(i + 1, u".") || isSymbol(i + 1, u"("))
            return std::nullopt;
        return columnEndingAt(i);
    }

    // Strings compared with, or assigned to, a date or timestamp column become
    // ISO text, as those columns hold it.
    void convertDates(bool isInsert)
    {
        std::vector<std::pair<qsizetype, QString>> compared; // literal token, column
        auto add = [&compared](qsizetype literal, const std::optional<QString>& column) {
            if (column)
                compared.emplace_back(literal, *column);
        };
        for (qsizetype i = 0; i < size(); ++i) {
            if (isLiteral(i) && isComparison(i - 1))
                add(i, columnEndingAt(i - 2));
            else if (isLiteral(i) && isComparison(i + 1))
                add(i, columnStartingAt(i + 2));
            const QString word = role_[i] == Role::Keyword ? wordAt(i) : QString();
            if (word != u"IN" && word != u"BETWEEN")
                continue;
            const auto column = columnEndingAt(wordAt(i - 1) == u"NOT" ? i - 2 : i - 1);
            if (!column)
                continue;
            if (word == u"BETWEEN") {
                if (isLiteral(i + 1) && wordAt(i + 2) == u"AND")
                    add(i + 1, column);
                if (wordAt(i + 2) == u"AND" && isLiteral(i + 3))
                    add(i + 3, column);
            } else if (isSymbol(i + 1, u"(") && wordAt(i + 2) != u"SELECT") {
                for (qsizetype j = i + 2; inRange(j) && !isSymbol(j, u")") && !isSymbol(j, u"("); ++j) {
                    if (isLiteral(j) && (isSymbol(j - 1, u"(") || isSymbol(j - 1, u","))
                        && (isSymbol(j + 1, u",") || isSymbol(j + 1, u")")))
                        add(j, column);
                }
            }
        }
        if (isInsert)
            addInsertValues(compared);
        for (const auto& [literal, column] : compared) {
            const auto type = schema_.columnType(column);
            if (!type || !isDateLike(*type))
                continue;
            const auto iso = isoDate(t_[literal].text, *type);
            if (!iso) {
                localsql::refuseTypeMismatch(QStringLiteral("\"%1\" is not a %2 for column %3")
                                                 .arg(t_[literal].text,
                                                      *type == FieldType::Date ? u"date"_qs : u"timestamp"_qs,
                                                      column),
                                             stmt_);
            }
            out_[literal] = quotedString(*iso);
        }
    }

    // A blank text field is stored as Null, as the desktop engine keeps blank
    // fields. So "col = ''" must also match Null, and "col <> ''" must not:
    // the column is read through IFNULL(col, '').
    void convertBlankComparisons()
    {
        auto wrap = [this](qsizetype first, qsizetype last) {
            out_[first] = QStringLiteral("IFNULL(") + out_[first];
            out_[last] += QStringLiteral(", '')");
        };
        auto isBlankTest = [this](qsizetype literal, qsizetype op) {
            return isLiteral(literal) && t_[literal].text.isEmpty() && inRange(op)
                   && (t_[op].text == u"=" || t_[op].text == u"<>" || t_[op].text == u"!=");
        };
        auto isTextColumn = [this](const QString& column) {
            const auto type = schema_.columnType(column);
            return !type || *type == FieldType::Alpha || *type == FieldType::Memo;
        };
        for (qsizetype i = 0; i < size(); ++i) {
            if (isBlankTest(i, i - 1)) {
                const auto column = columnEndingAt(i - 2);
                if (!column || !isTextColumn(*column) || isSymbol(i - 3, u")"))
                    continue;
                wrap(isSymbol(i - 3, u".") ? i - 4 : i - 2, i - 2);
            } else if (isBlankTest(i, i + 1)) {
                const auto column = columnStartingAt(i + 2);
                if (!column || !isTextColumn(*column))
                    continue;
                wrap(i + 2, isSymbol(i + 3, u".") ? i + 4 : i + 2);
            }
        }
    }

    // INSERT INTO t (c1, c2) VALUES (v1, v2): pairs each lone string with its column.
    void addInsertValues(std::vector<std::pair<qsizetype, QString>>& compared) const
    {
        qsizetype i = 3; // INSERT INTO table (
        if (!isSymbol(i, u"("))
            return;
        QStringList columns;
        for (++i; inRange(i) && !isSymbol(i, u")"); ++i) {
            if (const auto c = columnEndingAt(i))
                columns << *c;
        }
        if (wordAt(i + 1) != u"VALUES" || !isSymbol(i + 2, u"("))
            return;
        int position = 0;
        int depth = 0;
        for (i += 3; inRange(i) && depth >= 0; ++i) {
            if (isSymbol(i, u"("))
                ++depth;
            else if (isSymbol(i, u")"))
                --depth;
            else if (depth == 0 && isSymbol(i, u","))
                ++position;
            else if (depth == 0 && isLiteral(i) && position < columns.size()
                     && (isSymbol(i - 1, u"(") || isSymbol(i - 1, u","))
                     && (isSymbol(i + 1, u",") || isSymbol(i + 1, u")")))
                compared.emplace_back(i, columns[position]);
        }
    }

    bool isUnarySign(qsizetype i) const
    {
        static const QSet<QString> before = {u"("_qs, u","_qs, u"="_qs, u"<>"_qs, u"!="_qs, u"<"_qs, u"<="_qs,
                                             u">"_qs, u">="_qs, u"+"_qs, u"-"_qs, u"/"_qs, u"||"_qs};
        if (!isSymbol(i, u"-") && !isSymbol(i, u"+"))
            return false;
        if (!inRange(i + 1) || (t_[i + 1].kind != TokenKind::Number && t_[i + 1].kind != TokenKind::Word))
            return false;
        return i == 0 || role_[i - 1] == Role::Keyword
               || (t_[i - 1].kind == TokenKind::Symbol && before.contains(t_[i - 1].text));
    }

    QString joined() const
    {
        QString sql;
        for (qsizetype i = 0; i < size(); ++i) {
            const bool glued = isSymbol(i - 1, u"(") || isSymbol(i - 1, u".") || isUnarySign(i - 1)
                               || isSymbol(i, u")") || isSymbol(i, u",") || isSymbol(i, u".")
                               || (i > 0 && isSymbol(i, u"(") && role_[i - 1] == Role::Function);
            if (i > 0 && t_[i].lineBreakBefore)
                sql += u'\n';
            else if (i > 0 && !glued)
                sql += u' ';
            sql += out_[i];
        }
        return sql;
    }

    // ALTER TABLE t ADD c type, DROP c, ...: one SQLite statement per clause.
    QStringList alterTable()
    {
        if (wordAt(1) != u"TABLE")
            refuse(QStringLiteral("ALTER must be followed by TABLE"));
        setTable(2, QStringLiteral("ALTER TABLE"));
        const QString table = out_[2];
        QStringList statements;
        qsizetype i = 3;
        while (true) {
            const QString action = wordAt(i++);
            if (action != u"ADD" && action != u"DROP")
                refuse(QStringLiteral("ALTER TABLE takes only ADD and DROP clauses"));
            if (wordAt(i) == u"COLUMN" && inRange(i + 1) && !isSymbol(i + 1, u","))
                ++i;
            if (!inRange(i) || (t_[i].kind != TokenKind::Word && t_[i].kind != TokenKind::DoubleText))
                refuse(QStringLiteral("a column name is missing after %1").arg(action));
            const QString column = t_[i].kind == TokenKind::Word ? identifier(t_[i].text)
                                                                   : quotedIdentifier(t_[i].text);
            ++i;
            if (action == u"DROP")
                statements << QStringLiteral("ALTER TABLE %1 DROP COLUMN %2").arg(table, column);
            else
                statements << QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3").arg(table, column, columnType(i));
            if (!inRange(i))
                return statements;
            if (!isSymbol(i, u","))
                refuse(QStringLiteral("unexpected \"%1\" in ALTER TABLE").arg(t_[i].text));
            ++i;
        }
    }

    // Reads "TYPE", "TYPE(n)" or "TYPE(n, m)" at i, moving i past it.
    QString columnType(qsizetype& i) const
    {
        if (!inRange(i) || t_[i].kind != TokenKind::Word)
            refuse(QStringLiteral("a column type is missing"));
        QString localType = t_[i++].text;
        if (isSymbol(i, u"(")) {
            localType += u'(';
            for (++i; inRange(i) && !isSymbol(i, u")"); ++i) {
                if (t_[i].kind != TokenKind::Number && !isSymbol(i, u","))
                    refuse(QStringLiteral("unknown column type \"%1\"").arg(localType + t_[i].text));
                localType += t_[i].text;
            }
            localType += u')';
            ++i;
        }
        const auto type = fieldTypeFromLocalSql(localType);
        if (!type)
            refuse(QStringLiteral("unknown column type \"%1\"").arg(localType));
        return declaredSqliteType(type->type, type->width);
    }

    const QString& stmt_;
    const SqlSchemaInfo& schema_;
    std::vector<Token> t_;
    std::vector<Role> role_;
    std::vector<QString> out_;
};

}  // namespace

QString sqliteIdentifier(const QString& name) { return quotedIdentifier(name); }

QString localSqlText(const QString& value)
{
    return u'"' + QString(value).replace(u'"', u"\"\""_qs) + u'"';
}

TranslatedSql translateLocalSql(const QString& statement, const SqlSchemaInfo& schema)
{
    return Translator(statement, schema).run();
}

}  // namespace kv::data
