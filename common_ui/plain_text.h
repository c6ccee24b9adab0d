// Text from outside (a post, a mail, a database row, a server reply, a file)
// shown in a window exactly as it is, never read as HTML, and bounded.
//
// Qt treats a tool tip, and a label or message box left on Qt::AutoText, as
// rich text when the text looks like HTML, and rich text loads <img src> from
// local files: a surname `<img src="/dev/zero">` makes the window allocate
// until it dies, a named pipe freezes it. Every window hands a stranger's text
// to a widget only through these functions, or to one that shows plain text
// anyway (line edits, plain text edits, list and table cells).
#pragma once

#include <QString>

class QLabel;
class QMessageBox;

namespace vq::ui {

// How much of a stranger's text each place shows; what is longer is cut and
// ends in "…" (a megabyte must not make a window unusable).
inline constexpr qsizetype kMaxLineChars = 300; // a list cell, a status line
inline constexpr qsizetype kMaxToolTipChars = 1000;
inline constexpr int kMaxToolTipLines = 20;
inline constexpr qsizetype kMaxMessageChars = 1500;
inline constexpr int kMaxMessageLines = 25;

// The text on one line: control characters (line breaks and tabs among them)
// as blanks, the characters that override the writing direction as U+FFFD,
// at most maxChars characters.
QString shownLine(const QString &text, qsizetype maxChars = kMaxLineChars);

// The text with its line breaks (CR LF, CR, U+2028 and U+2029 as LF, tabs
// kept): other control characters as blanks, direction overrides as U+FFFD,
// at most maxLines lines and maxChars characters.
QString shownText(const QString &text, qsizetype maxChars, int maxLines);

// A tool tip (setToolTip, Qt::ToolTipRole) that shows the text literally:
// shownText as it is when Qt would not take it for HTML (Qt::mightBeRichText
// is false), otherwise escaped for HTML in a paragraph that keeps blanks and
// line breaks (and wraps a line longer than 80 characters). A run of more
// than 80 characters without a blank gets invisible break opportunities
// (U+200B), so a long tip wraps instead of running off the screen. Empty for
// an empty text (no tool tip).
QString plainToolTip(const QString &text);

// Shows a stranger's text on a label as plain text, on one line.
void setPlainLine(QLabel &label, const QString &text, qsizetype maxChars = kMaxLineChars);

// Gives a message box a text it shows as plain text, bounded like a message.
void setPlainMessage(QMessageBox &box, const QString &text);

} // namespace vq::ui
