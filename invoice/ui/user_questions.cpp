#include "user_questions.h"

#include "plain_text.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QUrl>

namespace vq::invoice {

namespace {

// A message box like QMessageBox's own static ones, but its text (which may
// hold a customer's name or a server's reply) is shown as plain text.
QMessageBox::StandardButton runBox(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                   const QString &text, QMessageBox::StandardButtons buttons,
                                   QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, title, QString(), buttons, parent);
    vq::ui::setPlainMessage(box, text);
    box.setDefaultButton(defaultButton);
    if (box.exec() == -1)
        return QMessageBox::Cancel;
    return box.standardButton(box.clickedButton());
}

} // namespace

bool TUserQuestions::askYesNo(QWidget *parent, const QString &title, const QString &text)
{
    return runBox(parent, QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                  QMessageBox::Yes)
           == QMessageBox::Yes;
}

bool TUserQuestions::askWarningYesNo(QWidget *parent, const QString &title, const QString &text)
{
    return runBox(parent, QMessageBox::Warning, title, text, QMessageBox::Yes | QMessageBox::No,
                  QMessageBox::No)
           == QMessageBox::Yes;
}

TUserQuestions::Answer TUserQuestions::askYesNoCancel(QWidget *parent, const QString &title,
                                                      const QString &text)
{
    switch (runBox(parent, QMessageBox::Question, title, text,
                   QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes)) {
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
    runBox(parent, QMessageBox::Information, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

void TUserQuestions::showError(QWidget *parent, const QString &title, const QString &text)
{
    runBox(parent, QMessageBox::Critical, title, text, QMessageBox::Ok, QMessageBox::Ok);
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
