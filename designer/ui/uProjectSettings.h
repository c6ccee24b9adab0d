// The project properties dialog "Formulareigenschaften": title, author,
// company, address and comment of the project.
#pragma once

#include "designer/model/project_document.h"

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;

namespace vq::ui {

class UserQuestions;

class TfrmProjectSettings : public QDialog
{
    Q_OBJECT
public:
    TfrmProjectSettings(const TProjectSettings &settings, UserQuestions &dialogs,
                        QWidget *parent = nullptr);

    // Copies the dialog's values into settings (what "OK" stores).
    void saveTo(TProjectSettings &settings) const;

private:
    QLineEdit *m_title;
    QLineEdit *m_author;
    QLineEdit *m_company;
    QLineEdit *m_url;
    QPlainTextEdit *m_comment;
};

} // namespace vq::ui
