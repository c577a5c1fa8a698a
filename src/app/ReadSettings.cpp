#include "app/ReadSettings.h"

#include <QFile>

namespace kv::app {

namespace {

// An ini file larger than this is not a settings file; it is not read.
constexpr qint64 kMaxIniBytes = 1 << 20;

}  // namespace

TReadSettings::TReadSettings(const QString& fileName)
    : m_fileName(fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxIniBytes)
        return;
    const QByteArray bytes = file.readAll();
    // Text as written; a binary file reads as odd lines, never as an error.
    QString text = QString::fromUtf8(bytes);
    if (text.contains(QChar::ReplacementCharacter))
        text = QString::fromLatin1(bytes);
    m_lines = text.split(QLatin1Char('\n'));
    for (QString& line : m_lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    if (!m_lines.isEmpty() && m_lines.last().isEmpty())
        m_lines.removeLast();
}

QString TReadSettings::normalizedSection(const QString& section)
{
    QString s = section;
    if (!s.startsWith(QLatin1Char('[')))
        s.prepend(QLatin1Char('['));
    const qsizetype close = s.indexOf(QLatin1Char(']'));
    if (close != s.size() - 1)
        s.append(QLatin1Char(']'));
    return s;
}

void TReadSettings::selectSection(const QString& section)
{
    const QString wanted = normalizedSection(section);
    if (wanted.compare(m_section, Qt::CaseInsensitive) == 0 && !m_section.isEmpty())
        return;
    m_section = wanted;
    m_sectionLines.clear();
    const QString wantedUpper = wanted.toUpper();
    bool inside = false;
    for (const QString& line : m_lines) {
        if (line.startsWith(QLatin1Char('['))) {
            inside = line.toUpper() == wantedUpper;
            continue;
        }
        if (inside && !line.startsWith(QLatin1Char(';')))
            m_sectionLines << line;
    }
}

QString TReadSettings::ReadString(const QString& section, const QString& key, const QString& defaultValue)
{
    selectSection(section);
    const QString upperKey = key.toUpper();
    for (const QString& line : m_sectionLines)
        if (line.toUpper().startsWith(upperKey))
            return line.mid(key.size());
    return defaultValue;
}

bool TReadSettings::ReadBool(const QString& section, const QString& key, bool defaultValue)
{
    const QString value = ReadString(section, key, QString()).toUpper();
    if (value.isEmpty())
        return defaultValue;
    if (QStringLiteral("FALSE").contains(value))
        return false;
    if (QStringLiteral("TRUE").contains(value))
        return true;
    if (QStringLiteral("NO").contains(value))
        return false;
    if (QStringLiteral("YES").contains(value))
        return true;
    return defaultValue;
}

}  // namespace kv::app
