#include "data/FieldType.h"

#include <QRegularExpression>

namespace kv::data {

QString declaredSqliteType(FieldType type, int width)
{
    switch (type) {
    case FieldType::AutoInc: return QStringLiteral("INTEGER");
    case FieldType::Number: return QStringLiteral("REAL");
    case FieldType::Integer: return QStringLiteral("INTEGER");
    case FieldType::Logical: return QStringLiteral("BOOLEAN");
    case FieldType::Alpha: return QStringLiteral("VARCHAR(%1)").arg(width > 0 ? width : 255);
    case FieldType::Date: return QStringLiteral("DATE");
    case FieldType::Timestamp: return QStringLiteral("TIMESTAMP");
    case FieldType::Memo: return QStringLiteral("TEXT");
    }
    return QStringLiteral("TEXT");
}

FieldTypeInfo fieldTypeFromDeclared(const QString& declared, bool isPrimaryKey)
{
    static const QRegularExpression varchar(QStringLiteral(R"(^\s*VARCHAR\s*\(\s*(\d+)\s*\)\s*$)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QString d = declared.trimmed().toUpper();
    if (d == u"INTEGER")
        return {isPrimaryKey ? FieldType::AutoInc : FieldType::Integer, 0};
    if (d == u"REAL")
        return {FieldType::Number, 0};
    if (d == u"BOOLEAN")
        return {FieldType::Logical, 0};
    if (d == u"DATE")
        return {FieldType::Date, 0};
    if (d == u"TIMESTAMP")
        return {FieldType::Timestamp, 0};
    if (auto m = varchar.match(d); m.hasMatch())
        return {FieldType::Alpha, m.captured(1).toInt()};
    return {FieldType::Memo, 0};
}

std::optional<FieldTypeInfo> fieldTypeFromLocalSql(const QString& localSqlType)
{
    static const QRegularExpression sized(QStringLiteral(R"(^([A-Z]+)\s*(?:\(\s*(\d+)\s*(?:,\s*(\d+)\s*)?\))?$)"));
    const auto m = sized.match(localSqlType.trimmed().toUpper());
    if (!m.hasMatch())
        return std::nullopt;
    const QString name = m.captured(1);
    const int size = m.captured(2).toInt();
    if (name == u"CHAR" || name == u"VARCHAR" || name == u"ALPHA" || name == u"CHARACTER") {
        if (size <= 0 || size > 255)
            return std::nullopt;
        return FieldTypeInfo{FieldType::Alpha, size};
    }
    if (name == u"BOOLEAN" || name == u"LOGICAL")
        return FieldTypeInfo{FieldType::Logical, 0};
    if (name == u"INTEGER" || name == u"INT" || name == u"SMALLINT" || name == u"LONGINT" || name == u"SHORT")
        return FieldTypeInfo{FieldType::Integer, 0};
    if (name == u"NUMERIC" || name == u"NUMBER" || name == u"FLOAT" || name == u"DECIMAL" || name == u"MONEY"
        || name == u"DOUBLE" || name == u"REAL")
        return FieldTypeInfo{FieldType::Number, 0};
    if (name == u"DATE")
        return FieldTypeInfo{FieldType::Date, 0};
    if (name == u"TIMESTAMP")
        return FieldTypeInfo{FieldType::Timestamp, 0};
    if (name == u"TIME")
        return FieldTypeInfo{FieldType::Alpha, 8};
    if (name == u"MEMO" || name == u"BLOB" || name == u"TEXT")
        return FieldTypeInfo{FieldType::Memo, 0};
    return std::nullopt;
}

QString fieldTypeName(FieldType type)
{
    switch (type) {
    case FieldType::AutoInc: return QStringLiteral("AutoInc");
    case FieldType::Number: return QStringLiteral("Number");
    case FieldType::Integer: return QStringLiteral("Integer");
    case FieldType::Logical: return QStringLiteral("Logical");
    case FieldType::Alpha: return QStringLiteral("Alpha");
    case FieldType::Date: return QStringLiteral("Date");
    case FieldType::Timestamp: return QStringLiteral("Timestamp");
    case FieldType::Memo: return QStringLiteral("Memo");
    }
    return {};
}

}  // namespace kv::data
