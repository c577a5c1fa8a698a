#pragma once

#include <QString>
#include <QStringList>

#include <ostream>

// Readable Qt texts in test failure messages (line breaks shown as \r, \n).
inline void PrintTo(const QString& s, std::ostream* os)
{
    QString shown = s;
    shown.replace(QLatin1Char('\r'), QLatin1String("\\r")).replace(QLatin1Char('\n'), QLatin1String("\\n"));
    *os << '"' << shown.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '{';
    for (qsizetype i = 0; i < list.size(); ++i) {
        *os << (i ? ", " : "");
        PrintTo(list.at(i), os);
    }
    *os << '}';
}
