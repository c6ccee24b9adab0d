// Text from a stranger's mail (sender, subject, the reasons a mail was
// refused, a server's unique id) as the windows and the command line show it:
// on one line, bounded, and without characters that steer a terminal or the
// direction of the text. A tab or line break inside would forge a column or
// a row of the import's output; an escape sequence would command the terminal.
#pragma once

#include <QString>

namespace vq::invoice {

// At most this many characters of each field are shown.
inline constexpr qsizetype kMaxShownChars = 300;

inline QString displayLine(const QString &text, qsizetype maxChars = kMaxShownChars)
{
    QString line = text.size() > maxChars ? text.left(maxChars) + QChar(0x2026) : text;
    for (QChar &c : line) {
        const char16_t u = c.unicode();
        // Controls (tab, line breaks, escape, DEL, C1), line and paragraph
        // separators, and the marks that turn the direction of the text.
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator || (u >= 0x202A && u <= 0x202E)
            || (u >= 0x2066 && u <= 0x2069) || u == 0x200E || u == 0x200F || u == 0x061C)
            c = QLatin1Char(' ');
    }
    return line;
}

} // namespace vq::invoice
