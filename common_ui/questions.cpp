#include "common_ui/questions.h"

#include "common_ui/plain_text.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QProcess>
#include <QPushButton>
#include <QUrl>

#include <functional>

namespace vq::ui {

namespace {

// A message box like QMessageBox's own static ones, but its text is shown as
// plain text. Returns the standard button chosen; Cancel when the box was
// closed without one.
QMessageBox::StandardButton
runBox(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text,
       QMessageBox::StandardButtons buttons,
       QMessageBox::StandardButton defaultButton = QMessageBox::NoButton,
       const std::function<void(QMessageBox &)> &adjust = {})
{
    QMessageBox box(icon, title, QString(), buttons, parent);
    setPlainMessage(box, text);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    if (adjust)
        adjust(box);
    box.exec();
    const QMessageBox::StandardButton chosen = box.standardButton(box.clickedButton());
    return chosen == QMessageBox::NoButton ? QMessageBox::Cancel : chosen;
}

} // namespace

QMessageBox::StandardButton UserQuestions::ask(QWidget *parent, QMessageBox::Icon icon,
                                               const QString &title, const QString &text,
                                               QMessageBox::StandardButtons buttons)
{
    return runBox(parent, icon, title, text, buttons);
}

void UserQuestions::tell(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                         const QString &text)
{
    runBox(parent, icon, title, text, QMessageBox::Ok);
}

bool UserQuestions::askYesNo(QWidget *parent, const QString &title, const QString &text)
{
    return runBox(parent, QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                  QMessageBox::Yes)
           == QMessageBox::Yes;
}

bool UserQuestions::askWarningYesNo(QWidget *parent, const QString &title, const QString &text)
{
    return runBox(parent, QMessageBox::Warning, title, text, QMessageBox::Yes | QMessageBox::No,
                  QMessageBox::No)
           == QMessageBox::Yes;
}

UserQuestions::Answer UserQuestions::askYesNoCancel(QWidget *parent, const QString &title,
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

void UserQuestions::showInformation(QWidget *parent, const QString &title, const QString &text)
{
    runBox(parent, QMessageBox::Information, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

void UserQuestions::showError(QWidget *parent, const QString &title, const QString &text)
{
    runBox(parent, QMessageBox::Critical, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

void UserQuestions::message(QWidget *parent, const QString &text)
{
    runBox(parent, QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
           QMessageBox::Ok, QMessageBox::NoButton,
           [](QMessageBox &box) { box.button(QMessageBox::Ok)->setText(QStringLiteral("OK")); });
}

bool UserQuestions::confirm(QWidget *parent, const QString &text)
{
    return runBox(parent, QMessageBox::Question, QStringLiteral("Bestätigung"), text,
                  QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes,
                  [](QMessageBox &box) {
                      box.button(QMessageBox::Yes)->setText(QStringLiteral("&Ja"));
                      box.button(QMessageBox::No)->setText(QStringLiteral("&Nein"));
                  })
           == QMessageBox::Yes;
}

std::optional<QString> UserQuestions::askText(QWidget *parent, const QString &title,
                                              const QString &label, const QString &initial)
{
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(label);
    dialog.setTextValue(initial);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Abbrechen"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

QString UserQuestions::openFileName(QWidget *parent, const QString &title, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, title, QString(), filter);
}

QString UserQuestions::saveFileName(QWidget *parent, const QString &title,
                                    const QString &suggestion, const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, title, suggestion, filter);
}

std::optional<QColor> UserQuestions::pickColour(QWidget *parent, const QString &title,
                                                const QColor &initial)
{
    const QColor colour = QColorDialog::getColor(initial, parent, title);
    if (!colour.isValid())
        return std::nullopt;
    return colour;
}

std::optional<QFont> UserQuestions::pickFont(QWidget *parent, const QFont &initial)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, parent);
    if (!ok)
        return std::nullopt;
    return font;
}

int UserQuestions::runModal(QDialog &dialog)
{
    return dialog.exec();
}

bool UserQuestions::openWithSystem(QWidget *, const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void UserQuestions::openUrl(const QString &address)
{
    const QUrl url = QUrl::fromUserInput(address);
    if (!address.trimmed().isEmpty() && url.isValid())
        QDesktopServices::openUrl(url);
}

bool UserQuestions::openHelp(QWidget *, const QUrl &page)
{
    return QDesktopServices::openUrl(page);
}

void UserQuestions::startProgram(const QString &path)
{
    QProcess::startDetached(path, {});
}

} // namespace vq::ui
