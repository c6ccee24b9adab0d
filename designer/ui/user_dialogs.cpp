#include "user_dialogs.h"

#include "plain_text.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QProcess>
#include <QUrl>

namespace vq::ui {

QMessageBox::StandardButton TDesktopDialogs::ask(QWidget *parent, QMessageBox::Icon icon,
                                                 const QString &title, const QString &text,
                                                 QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, title, QString(), buttons, parent);
    setPlainMessage(box, text);
    const int answer = box.exec();
    return answer == 0 ? QMessageBox::Cancel : QMessageBox::StandardButton(answer);
}

void TDesktopDialogs::tell(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                           const QString &text)
{
    QMessageBox box(icon, title, QString(), QMessageBox::Ok, parent);
    setPlainMessage(box, text);
    box.exec();
}

QString TDesktopDialogs::openFileName(QWidget *parent, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Öffnen"), QString(), filter);
}

QString TDesktopDialogs::saveFileName(QWidget *parent, const QString &proposedName,
                                      const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Speichern unter"), proposedName,
                                        filter);
}

std::optional<QColor> TDesktopDialogs::pickColour(QWidget *parent, const QColor &initial)
{
    const QColor colour = QColorDialog::getColor(initial, parent, QStringLiteral("Farbe wählen"));
    if (!colour.isValid())
        return std::nullopt;
    return colour;
}

int TDesktopDialogs::runModal(QDialog &dialog)
{
    return dialog.exec();
}

void TDesktopDialogs::openUrl(const QString &address)
{
    const QUrl url = QUrl::fromUserInput(address);
    if (!address.trimmed().isEmpty() && url.isValid())
        QDesktopServices::openUrl(url);
}

void TDesktopDialogs::startProgram(const QString &path)
{
    QProcess::startDetached(path, {});
}

} // namespace vq::ui
