// The FTP profile list ("FTP-Profile") and the profile editor ("FTP-Profil
// bearbeiten") with its connection test. The list reads "profiles.xml" when it
// opens and writes it whole whenever it closes.
#pragma once

#include "common_ui/list_manager_dialog.h"
#include "designer/publishing/ftp_profiles.h"

#include <QDialog>
#include <optional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace vq::ui {

class UserQuestions;
class TfrmLog;

class TfrmFtpProfileEdit : public QDialog
{
    Q_OBJECT
public:
    TfrmFtpProfileEdit(UserQuestions &dialogs, TfrmLog *log, QWidget *parent = nullptr);

    void setProfile(const TFtpProfile &profile);
    TFtpProfile profile() const;
    // "Verbindung testen": runs on a worker, the log window shows the steps.
    void testConnection();
    bool testing() const { return m_testing; }

    void accept() override;

Q_SIGNALS:
    void testFinished(bool ok);

private:
    UserQuestions &m_dialogs;
    TfrmLog *m_log;
    QLineEdit *m_name, *m_server, *m_port, *m_user, *m_password;
    QCheckBox *m_passive, *m_ftps;
    QLineEdit *m_caFile;
    QPushButton *m_test;
    bool m_testing = false;
};

class TftpProfiles : public ListManagerDialog
{
    Q_OBJECT
public:
    TftpProfiles(const QString &path, UserQuestions &dialogs, TfrmLog *log,
                 QWidget *parent = nullptr);

    QList<TFtpProfile> ServerList;
    bool SelectMode = false;

    // The profile of the selected row.
    std::optional<TFtpProfile> selectedProfile() const;

    void newProfile();
    void editProfile();
    void deleteProfile();
    void takeOver();

    void done(int result) override;

private:
    void fill(int selectRow);
    int selectedRow() const;
    void rowActivated();

    QString m_path;
    UserQuestions &m_dialogs;
    TfrmLog *m_log;
    QTreeWidget *m_list;
    bool m_readFailed = false;
};

} // namespace vq::ui
