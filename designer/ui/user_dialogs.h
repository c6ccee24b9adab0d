// The one seam through which the designer's windows ask questions, show
// messages, pick files and colours, run modal dialogs and hand addresses and
// programs to the desktop. Tests replace it to answer without a real dialog.
#pragma once

#include <QColor>
#include <QMessageBox>
#include <QString>
#include <optional>

class QDialog;
class QWidget;

namespace vq::ui {

class TUserDialogs
{
public:
    virtual ~TUserDialogs() = default;

    // A question with the given buttons; returns the button chosen
    // (QMessageBox::Cancel when the box was closed).
    virtual QMessageBox::StandardButton ask(QWidget *parent, QMessageBox::Icon icon,
                                            const QString &title, const QString &text,
                                            QMessageBox::StandardButtons buttons) = 0;
    // A message with an OK button.
    virtual void tell(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                      const QString &text) = 0;
    // The chosen path, or empty when the dialog was cancelled.
    virtual QString openFileName(QWidget *parent, const QString &filter) = 0;
    virtual QString saveFileName(QWidget *parent, const QString &proposedName,
                                 const QString &filter) = 0;
    virtual std::optional<QColor> pickColour(QWidget *parent, const QColor &initial) = 0;
    // Shows a dialog modally; returns QDialog::Accepted or Rejected.
    virtual int runModal(QDialog &dialog) = 0;
    // Hands an address or a file to the desktop; failures are not reported.
    virtual void openUrl(const QString &address) = 0;
    // Starts a program without arguments and without waiting; failures are not reported.
    virtual void startProgram(const QString &path) = 0;
};

// The real dialogs of the desktop. Their messages show the text as plain
// text: it may quote a server's reply or a file.
class TDesktopDialogs : public TUserDialogs
{
public:
    QMessageBox::StandardButton ask(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                    const QString &text,
                                    QMessageBox::StandardButtons buttons) override;
    void tell(QWidget *parent, QMessageBox::Icon icon, const QString &title,
              const QString &text) override;
    QString openFileName(QWidget *parent, const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &proposedName,
                         const QString &filter) override;
    std::optional<QColor> pickColour(QWidget *parent, const QColor &initial) override;
    int runModal(QDialog &dialog) override;
    void openUrl(const QString &address) override;
    void startProgram(const QString &path) override;
};

} // namespace vq::ui
