#include "user_questions.h"

#include <QFileDialog>
#include <QMessageBox>

namespace vq::invoice {

bool TUserQuestions::askYesNo(QWidget *parent, const QString &title, const QString &text)
{
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes)
           == QMessageBox::Yes;
}

void TUserQuestions::showError(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::critical(parent, title, text);
}

QString TUserQuestions::saveFileName(QWidget *parent, const QString &title,
                                     const QString &suggestion, const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, title, suggestion, filter);
}

} // namespace vq::invoice
