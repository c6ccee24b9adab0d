// Readable texts in test failure messages: GoogleTest prints a QString as the
// text it holds, quoted, with backslashes, CRs and tabs escaped and a line
// break shown as \n before the break itself.
#pragma once

#include <QString>
#include <ostream>

inline void PrintTo(const QString &text, std::ostream *out)
{
    QString shown = text;
    shown.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    shown.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    shown.replace(QLatin1Char('\n'), QLatin1String("\\n\n"));
    shown.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    *out << '"' << shown.toStdString() << '"';
}
