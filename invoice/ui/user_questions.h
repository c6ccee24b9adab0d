// The one seam through which the invoice windows ask the user: questions,
// error messages and the file dialog. Tests replace it with scripted answers.
#pragma once

#include <QString>

class QWidget;

namespace vq::invoice {

class TUserQuestions
{
public:
    virtual ~TUserQuestions() = default;
    // A question with "Ja" and "Nein"; true for "Ja".
    virtual bool askYesNo(QWidget *parent, const QString &title, const QString &text);
    virtual void showError(QWidget *parent, const QString &title, const QString &text);
    // A file name to save to; empty when the user cancels.
    virtual QString saveFileName(QWidget *parent, const QString &title, const QString &suggestion,
                                 const QString &filter);
};

} // namespace vq::invoice
