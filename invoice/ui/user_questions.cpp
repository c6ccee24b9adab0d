#include "user_questions.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QUrl>

namespace vq::invoice {

bool TUserQuestions::askYesNo(QWidget *parent, const QString &title, const QString &text)
{
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes)
           == QMessageBox::Yes;
}

bool TUserQuestions::askWarningYesNo(QWidget *parent, const QString &title, const QString &text)
{
    return QMessageBox::warning(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No)
           == QMessageBox::Yes;
}

TUserQuestions::Answer TUserQuestions::askYesNoCancel(QWidget *parent, const QString &title,
                                                      const QString &text)
{
    switch (QMessageBox::question(parent, title, text,
                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                  QMessageBox::Yes)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

void TUserQuestions::showInformation(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::information(parent, title, text);
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

std::optional<QFont> TUserQuestions::pickFont(QWidget *parent, const QFont &initial)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, parent);
    if (!ok)
        return std::nullopt;
    return font;
}

bool TUserQuestions::openWithSystem(QWidget *, const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace vq::invoice
