// The FTP browser ("FTP-Browser"): connects with the main window's FTP
// settings, lists folders, enters them, goes a level up and hands the chosen
// folder back. It keeps one connection from "Verbinden" until it closes or
// the connection fails; every network step runs on a worker, and the status
// list shows the traffic (">> " commands red, "<< " replies blue, PASS masked).
#pragma once

#include "common_ui/list_manager_dialog.h"
#include "designer/publishing/ftp_client.h"
#include "designer/ui/ftp_job.h"

#include <QDialog>
#include <QPointer>
#include <memory>

class QAction;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QTreeWidget;

namespace vq::ui {

class UserQuestions;

class TfrmFTPBrowser : public ListManagerDialog
{
    Q_OBJECT
public:
    explicit TfrmFTPBrowser(UserQuestions &dialogs, QWidget *parent = nullptr);
    ~TfrmFTPBrowser() override;

    QString ServerName;
    int ServerPort = 21;
    QString Username;
    QString Password;
    bool Passiv = false;
    bool Tls = false; // FTPS: AUTH TLS required
    QString CaFile;   // FTPS: the certificate file to trust; empty: the system's
    QString SelectedPath;

    void connectToServer();
    // Lists the folder given by name or path; empty: the current one.
    void listFolder(const QString &folder);
    void levelUp();
    void refresh();
    void takeOver();
    bool connected() const { return m_connected; }
    bool busy() const { return m_job != nullptr; }

    // Adds traffic or a status message to the status list, split into lines
    // at carriage returns, the PASS command masked; the newest line selected.
    void addStatus(const QString &text);

    void done(int result) override;

Q_SIGNALS:
    // A network step has ended (successfully or not).
    void stepFinished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Runs work on a worker; then finished in the window's thread.
    void run(FtpJob::Work work, std::function<void()> finished);
    void disconnectClient();
    void rowActivated();
    void listingFailed();
    void showListing(const QString &path, const QList<FtpEntry> &entries);

    UserQuestions &m_dialogs;
    std::shared_ptr<FtpClient> m_client;
    bool m_connected = false;
    QPointer<FtpJob> m_job;
    QAction *m_connect, *m_up, *m_take;
    QLineEdit *m_path;
    QTreeWidget *m_list;
    QListWidget *m_status;
    QProgressBar *m_progress;
};

} // namespace vq::ui
