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

#include "common_ui/shown_text.h"

#include <QString>

class QLabel;
class QMessageBox;

namespace vq::ui {

// Shows a stranger's text on a label as plain text, on one line.
void setPlainLine(QLabel &label, const QString &text, qsizetype maxChars = kMaxLineChars);

// Gives a message box a text it shows as plain text, bounded like a message.
void setPlainMessage(QMessageBox &box, const QString &text);

} // namespace vq::ui
