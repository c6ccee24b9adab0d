// The one seam through which the windows of both programs ask the user:
// questions, messages, a line of text, the file, colour and font dialogs,
// running a modal dialog, and handing an address, a file or a program to the
// desktop. Tests replace it with scripted answers (tests/support). The real
// dialogs show every text as plain text: it may hold a customer's name, a
// file's content or a server's reply.
#pragma once

#include <QColor>
#include <QFont>
#include <QMessageBox>
#include <QString>
#include <optional>

class QDialog;
class QUrl;
class QWidget;

namespace vq::ui {

class UserQuestions
{
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~UserQuestions() = default;

    // A question with the given buttons; returns the button chosen
    // (QMessageBox::Cancel when the box was closed without one).
    virtual QMessageBox::StandardButton ask(QWidget *parent, QMessageBox::Icon icon,
                                            const QString &title, const QString &text,
                                            QMessageBox::StandardButtons buttons);
    // A message with an OK button.
    virtual void tell(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                      const QString &text);

    // A question with "Ja" and "Nein"; true for "Ja".
    virtual bool askYesNo(QWidget *parent, const QString &title, const QString &text);
    // The same as a warning, "Nein" preselected.
    virtual bool askWarningYesNo(QWidget *parent, const QString &title, const QString &text);
    // A question with "Ja", "Nein" and "Abbrechen"; the close box answers Cancel.
    virtual Answer askYesNoCancel(QWidget *parent, const QString &title, const QString &text);
    virtual void showInformation(QWidget *parent, const QString &title, const QString &text);
    virtual void showError(QWidget *parent, const QString &title, const QString &text);

    // The editors' short forms: a message titled with the program's name and
    // a question titled "Bestätigung" ("Ja" preselected).
    virtual void message(QWidget *parent, const QString &text);
    virtual bool confirm(QWidget *parent, const QString &text);
    // A one-line text question; nothing when it is cancelled.
    virtual std::optional<QString> askText(QWidget *parent, const QString &title,
                                           const QString &label, const QString &initial);

    // The chosen path, or empty when the dialog was cancelled.
    virtual QString openFileName(QWidget *parent, const QString &title, const QString &filter);
    virtual QString saveFileName(QWidget *parent, const QString &title, const QString &suggestion,
                                 const QString &filter);
    // The colour and font dialogs preset with initial; nothing when cancelled.
    virtual std::optional<QColor> pickColour(QWidget *parent, const QString &title,
                                             const QColor &initial);
    virtual std::optional<QFont> pickFont(QWidget *parent, const QFont &initial);
    // Shows a dialog modally; returns QDialog::Accepted or Rejected.
    virtual int runModal(QDialog &dialog);

    // Hands a file or folder to the desktop's handler for it (xdg-open); false
    // when there is none.
    virtual bool openWithSystem(QWidget *parent, const QString &path);
    // Hands an address (or a file) to the desktop; failures are not reported.
    virtual void openUrl(const QString &address);
    // Shows a help page at its section (the address's fragment); false when
    // there is nothing to show it with. The desktop's browser by default.
    virtual bool openHelp(QWidget *parent, const QUrl &page);
    // Starts a program without arguments and without waiting; failures are not reported.
    virtual void startProgram(const QString &path);
};

} // namespace vq::ui
