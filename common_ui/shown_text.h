// Text from outside (a post, a mail, a database row, a server reply, a file)
// as a window shows it: on one line or with its line breaks, bounded, and as a
// tool tip Qt never reads as HTML. No widgets here: table models and other
// headless parts use these as the windows do (plain_text.h).
#pragma once

#include <QString>

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

} // namespace vq::ui
