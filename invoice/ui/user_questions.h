// The one seam through which the invoice windows ask the user: questions,
// messages, the file and font dialogs, and handing a file to the desktop.
// Tests replace it with scripted answers. The real message boxes show their
// text as plain text (it may hold a customer's name or a server's reply).
#pragma once

#include <QFont>
#include <QString>
#include <optional>

class QWidget;

namespace vq::invoice {

class TUserQuestions
{
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~TUserQuestions() = default;
    // A question with "Ja" and "Nein"; true for "Ja".
    virtual bool askYesNo(QWidget *parent, const QString &title, const QString &text);
    // The same as a warning (the client manager's delete question).
    virtual bool askWarningYesNo(QWidget *parent, const QString &title, const QString &text);
    // A question with "Ja", "Nein" and "Abbrechen"; the close box answers Cancel.
    virtual Answer askYesNoCancel(QWidget *parent, const QString &title, const QString &text);
    virtual void showInformation(QWidget *parent, const QString &title, const QString &text);
    virtual void showError(QWidget *parent, const QString &title, const QString &text);
    // A file name to save to; empty when the user cancels.
    virtual QString saveFileName(QWidget *parent, const QString &title, const QString &suggestion,
                                 const QString &filter);
    // The font dialog preset with initial; nullopt when cancelled.
    virtual std::optional<QFont> pickFont(QWidget *parent, const QFont &initial);
    // Hands a file or folder to the desktop's handler for it (xdg-open); false
    // when there is none.
    virtual bool openWithSystem(QWidget *parent, const QString &path);
};

} // namespace vq::invoice
