#include "common_ui/plain_text.h"

#include <QLabel>
#include <QMessageBox>

namespace vq::ui {

void setPlainLine(QLabel &label, const QString &text, qsizetype maxChars)
{
    label.setTextFormat(Qt::PlainText);
    label.setText(shownLine(text, maxChars));
}

void setPlainMessage(QMessageBox &box, const QString &text)
{
    box.setTextFormat(Qt::PlainText);
    box.setText(shownText(text, kMaxMessageChars, kMaxMessageLines));
}

} // namespace vq::ui
