#pragma once

#include <QString>
#include <QStringList>

namespace kv::app {

// Reads an ini-style file (Kestrelview.ini): sections in brackets, lines
// "Key=Value", comment lines starting with ";". The file is read once, when
// the reader is made, and never written.
class TReadSettings {
public:
    explicit TReadSettings(const QString& fileName);

    // The value of the first line of the section that starts with the key
    // (keys carry their "=", e.g. "DatabaseLocation="), else the default.
    // Letter case is ignored in section and key; nothing is trimmed.
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue);

    // A yes/no value: the value, upper-cased, is looked for inside "FALSE",
    // "TRUE", "NO" and "YES" in that order; anything else gives the default.
    bool ReadBool(const QString& section, const QString& key, bool defaultValue);

    const QStringList& allLines() const { return m_lines; }
    const QString& currentSection() const { return m_section; }
    const QStringList& sectionLines() const { return m_sectionLines; }

    // "Settings" -> "[Settings]"
    static QString normalizedSection(const QString& section);

private:
    void selectSection(const QString& section);

    QString m_fileName;
    QStringList m_lines;
    QString m_section;
    QStringList m_sectionLines;
};

}  // namespace kv::app
