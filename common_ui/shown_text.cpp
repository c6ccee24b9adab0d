#include "common_ui/shown_text.h"

#include <QTextDocument>

#include <algorithm>

namespace vq::ui {

namespace {

constexpr QChar kEllipsis(0x2026);
constexpr QChar kBreakOpportunity(0x200B); // zero width space
constexpr qsizetype kMaxUnbrokenRun = 80;

// Embeddings, overrides and isolates: such a character turns the text after
// it around, the program's own words in the same message included.
bool overridesDirection(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
}

// The first maxChars characters, never half a surrogate pair; *cut tells
// whether anything was left off.
QString head(const QString &text, qsizetype maxChars, bool *cut)
{
    *cut = text.size() > maxChars;
    if (!*cut)
        return text;
    qsizetype n = std::max<qsizetype>(maxChars, 0);
    if (n > 0 && text.at(n - 1).isHighSurrogate())
        --n;
    return text.left(n);
}

} // namespace

QString shownLine(const QString &text, qsizetype maxChars)
{
    bool cut = false;
    QString line = head(text, maxChars, &cut);
    for (QChar &c : line) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
        else if (overridesDirection(c))
            c = QChar::ReplacementCharacter;
    }
    return cut ? line + kEllipsis : line;
}

QString shownText(const QString &text, qsizetype maxChars, int maxLines)
{
    bool cut = false;
    QString shown = head(text, maxChars, &cut);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    int lines = 1;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        QChar &c = shown[i];
        if (c == QLatin1Char('\r') || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char('\n');
        if (c == QLatin1Char('\n')) {
            if (++lines > maxLines) {
                shown.truncate(i);
                cut = true;
                break;
            }
        } else if (c.category() == QChar::Other_Control && c != QLatin1Char('\t')) {
            c = QLatin1Char(' ');
        } else if (overridesDirection(c)) {
            c = QChar::ReplacementCharacter;
        }
    }
    return cut ? shown + kEllipsis : shown;
}

QString plainToolTip(const QString &text)
{
    if (text.isEmpty())
        return QString();
    const QString shown = shownText(text, kMaxToolTipChars, kMaxToolTipLines);
    QString wrapped;
    wrapped.reserve(shown.size() + shown.size() / kMaxUnbrokenRun);
    qsizetype run = 0;  // characters since the last blank
    qsizetype line = 0; // characters since the last line break
    bool longLine = false;
    for (const QChar c : shown) {
        line = c == QLatin1Char('\n') ? 0 : line + 1;
        longLine = longLine || line > kMaxUnbrokenRun;
        if (c.isSpace()) {
            run = 0;
        } else if (++run > kMaxUnbrokenRun && !c.isLowSurrogate() && !c.isMark()) {
            wrapped += kBreakOpportunity;
            run = 1;
        }
        wrapped += c;
    }
    // Qt shows a text it does not take for HTML as it is (on one line per
    // line, wrapped at the screen's edge). Any other is escaped; a paragraph
    // of short lines keeps them as they are, one with a long line wraps it.
    if (!Qt::mightBeRichText(wrapped))
        return wrapped;
    return (longLine ? QStringLiteral("<p style='white-space:pre-wrap'>")
                     : QStringLiteral("<p style='white-space:pre'>"))
           + wrapped.toHtmlEscaped() + QStringLiteral("</p>");
}

} // namespace vq::ui
