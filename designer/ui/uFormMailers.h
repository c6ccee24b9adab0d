// The manager of the form-mailer list ("FormMailer-Vorlagen") and its link
// editor ("Formmailer-Link bearbeiten"). The list is read from
// "formmailers.xml" on opening and written only when the user says so on
// closing.
#pragma once

#include "common_ui/list_manager_dialog.h"

#include <QDialog>
#include <QStringList>

class QLineEdit;
class QTableWidget;

namespace vq::ui {

class UserQuestions;

class TfrmFormMailerLink : public QDialog
{
    Q_OBJECT
public:
    TfrmFormMailerLink(UserQuestions &dialogs, QWidget *parent = nullptr);
    void setLink(const QString &link);
    QString link() const;

private:
    QLineEdit *m_link;
};

class TfrmFormMailers : public ListManagerDialog
{
    Q_OBJECT
public:
    TfrmFormMailers(const QString &path, UserQuestions &dialogs, QWidget *parent = nullptr);

    QStringList links() const { return m_links; }
    void newLink();
    void editLink();
    void deleteLink();
    void selectRow(int row);

    // Asks "Änderungen speichern?" before closing by whatever way.
    void done(int result) override;

private:
    void fill(int selectRow);
    int selectedRow() const;

    QString m_path;
    UserQuestions &m_dialogs;
    QStringList m_links;
    QTableWidget *m_list;
};

} // namespace vq::ui
