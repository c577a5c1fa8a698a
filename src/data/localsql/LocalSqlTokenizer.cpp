#include "data/localsql/LocalSqlTokenizer.h"

#include "data/localsql/LocalSqlAdapter.h"

namespace kv::data::localsql {

void refuseStatement(const QString& problem, const QString& statement)
{
    throw LocalSqlError(
        QStringLiteral("Cannot read SQL statement: %1 in: %2").arg(problem, statement).toStdString());
}

void refuseTypeMismatch(const QString& problem, const QString& statement)
{
    throw LocalSqlError(
        QStringLiteral("Type mismatch in expression: %1 in: %2").arg(problem, statement).toStdString());
}

namespace {

bool isWordStart(QChar c) { return c.isLetter() || c == u'_'; }
bool isWordPart(QChar c) { return c.isLetterOrNumber() || c == u'_'; }
bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

class Tokenizer {
public:
    explicit Tokenizer(const QString& statement) : s_(statement) {}

    std::vector<Token> run()
    {
        std::vector<Token> tokens;
        int depth = 0;
        while (true) {
            const bool lineBreak = skipBlanks();
            if (pos_ >= s_.size())
                break;
            const QChar c = s_[pos_];
            if (c == u';') {
                ++pos_;
                skipBlanks();
                if (pos_ < s_.size())
                    refuse(QStringLiteral("only one statement can be run at a time"));
                break;
            }
            Token t = next(c);
            t.lineBreakBefore = lineBreak;
            if (t.kind == TokenKind::Symbol && t.text == u"(")
                ++depth;
            if (t.kind == TokenKind::Symbol && t.text == u")" && --depth < 0)
                refuse(QStringLiteral("unbalanced parentheses, \")\" without \"(\""));
            tokens.push_back(std::move(t));
        }
        if (tokens.empty())
            refuse(QStringLiteral("the statement is empty"));
        if (depth != 0)
            refuse(QStringLiteral("unbalanced parentheses, \"(\" without \")\""));
        return tokens;
    }

private:
    [[noreturn]] void refuse(const QString& problem) const { refuseStatement(problem, s_); }

    // Returns whether the skipped blanks held a line break.
    bool skipBlanks()
    {
        bool lineBreak = false;
        while (pos_ < s_.size() && s_[pos_].isSpace()) {
            if (s_[pos_] == u'\n' || s_[pos_] == u'\r')
                lineBreak = true;
            ++pos_;
        }
        return lineBreak;
    }

    QChar peek(qsizetype ahead) const
    {
        return pos_ + ahead < s_.size() ? s_[pos_ + ahead] : QChar();
    }

    Token next(QChar c)
    {
        if (isWordStart(c))
            return word();
        if (isAsciiDigit(c) || (c == u'.' && isAsciiDigit(peek(1))))
            return number();
        if (c == u'"')
            return quoted(u'"', TokenKind::DoubleText);
        if (c == u'\'')
            return quoted(u'\'', TokenKind::SingleText);
        return symbol(c);
    }

    Token word()
    {
        const qsizetype start = pos_;
        while (pos_ < s_.size() && isWordPart(s_[pos_]))
            ++pos_;
        return {TokenKind::Word, s_.mid(start, pos_ - start)};
    }

    Token number()
    {
        const qsizetype start = pos_;
        auto digits = [this] {
            while (pos_ < s_.size() && isAsciiDigit(s_[pos_]))
                ++pos_;
        };
        digits();
        if (peek(0) == u'.') {
            ++pos_;
            digits();
        }
        if ((peek(0) == u'e' || peek(0) == u'E')
            && (isAsciiDigit(peek(1)) || ((peek(1) == u'+' || peek(1) == u'-') && isAsciiDigit(peek(2))))) {
            pos_ += 2;
            digits();
        }
        const QString text = s_.mid(start, pos_ - start);
        if (pos_ < s_.size() && (isWordPart(s_[pos_]) || s_[pos_] == u'.'))
            refuse(QStringLiteral("malformed number \"%1\"").arg(text + s_[pos_]));
        return {TokenKind::Number, text};
    }

    Token quoted(QChar quote, TokenKind kind)
    {
        const qsizetype start = pos_++;
        QString value;
        while (true) {
            if (pos_ >= s_.size())
                refuse(QStringLiteral("unterminated text starting with %1").arg(s_.mid(start, 20)));
            const QChar c = s_[pos_++];
            if (c != quote) {
                value += c;
            } else if (peek(0) == quote) {
                value += quote;
                ++pos_;
            } else {
                break;
            }
        }
        return {kind, value};
    }

    Token symbol(QChar c)
    {
        const QChar n = peek(1);
        if ((c == u'-' && n == u'-') || (c == u'/' && n == u'*'))
            refuse(QStringLiteral("comments are not allowed"));
        const bool twoChars = (c == u'<' && (n == u'>' || n == u'=')) || (c == u'>' && n == u'=')
                              || (c == u'!' && n == u'=') || (c == u'|' && n == u'|');
        if (twoChars) {
            pos_ += 2;
            return {TokenKind::Symbol, s_.mid(pos_ - 2, 2)};
        }
        static const QString singles = QStringLiteral("(),.*=<>+-/?");
        if (!singles.contains(c))
            refuse(QStringLiteral("unexpected character \"%1\"").arg(c));
        ++pos_;
        return {TokenKind::Symbol, QString(c)};
    }

    const QString& s_;
    qsizetype pos_ = 0;
};

}  // namespace

std::vector<Token> tokenizeLocalSql(const QString& statement)
{
    return Tokenizer(statement).run();
}

}  // namespace kv::data::localsql
