// The window "Bestellungen einlesen": fetches the current client's mailbox on a
// worker thread with a connection of its own, lists every order mail with its
// status, shows progress and can be cancelled between two mails; deletes a
// listed mail from the server.
#pragma once

#include "common_ui/list_manager_dialog.h"
#include "invoice/db/invoice_connection.h"
#include "invoice/mail/uMailOrder.h"
#include "invoice/ui/user_questions.h"

#include <QThread>

#include <atomic>

class QAction;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;

namespace vq::invoice {

class MailRowModel;

// Runs the import and the deletion on the thread it lives on, each with a
// database connection of its own opened there, and reports through signals
// (queued to the window). It never touches a widget.
class MailImportWorker : public QObject
{
    Q_OBJECT
public:
    MailImportWorker(DatabaseLocation location, int mandantId);

    // Any thread: the running import stops before the next mail.
    void requestCancel() { m_cancel = true; }
    // Any thread, before an import is started.
    void resetCancel() { m_cancel = false; }

    // On the worker's thread.
    void importMails();
    // Deletes every one of the rows' messages, or none.
    void deleteMails(const QList<vq::invoice::MailOrderRow> &rows);

Q_SIGNALS:
    void progress(int done, int total);
    void rowFound(const vq::invoice::MailOrderRow &row);
    void importFinished(const vq::invoice::MailImportResult &result);
    void deleteFinished(const QList<vq::invoice::MailOrderRow> &rows, bool ok,
                        const QString &message, const QString &detail);

private:
    DatabaseLocation m_location;
    int m_mandantId;
    std::atomic_bool m_cancel{false};
};

class TfrmMailImport : public vq::ui::ListManagerDialog
{
    Q_OBJECT
public:
    TfrmMailImport(InvoiceConnection &db, int mandantId, UserQuestions &questions,
                   QWidget *parent = nullptr);
    ~TfrmMailImport() override;

    // True while an import or a deletion runs on the worker.
    bool isBusy() const { return m_busy; }
    // The worker object; its signals come from the worker's thread.
    MailImportWorker *worker() const { return m_worker; }

public Q_SLOTS:
    // "E-Mails einlesen".
    void readMails();
    // "Markierte E-Mail löschen".
    void deleteMarkedMail();
    // "Abbrechen": the run stops before the next mail.
    void cancelRun();
    // Closing during a run cancels it and closes once the worker is done.
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void setBusy(bool busy);
    void updateCommands();
    void addMessage(const QString &text);
    void onRowFound(const MailOrderRow &row);
    void onProgress(int done, int total);
    void flushPending();
    void onImportFinished(const MailImportResult &result);
    void onDeleteFinished(const QList<MailOrderRow> &rows, bool ok, const QString &message,
                          const QString &detail);
    void showProgress();

    InvoiceConnection &m_db;
    int m_mandantId;
    UserQuestions &m_questions;

    QThread m_thread;
    MailImportWorker *m_worker = nullptr;
    bool m_busy = false;
    bool m_closeWhenDone = false;
    bool m_cancelRequested = false;

    // What the worker reported and the window has not shown yet; shown
    // together a moment later, so a large mailbox does not flood the window.
    QList<MailOrderRow> m_pendingRows;
    int m_done = 0, m_total = -1; // -1: the mailbox is not open yet
    QTimer *m_flushTimer = nullptr;

    MailRowModel *m_model = nullptr;
    QTableView *m_list = nullptr;
    QAction *m_actRead = nullptr, *m_actDelete = nullptr, *m_actLeave = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_status = nullptr;
    QPushButton *m_cancel = nullptr;
    QPlainTextEdit *m_messages = nullptr;
};

} // namespace vq::invoice

Q_DECLARE_METATYPE(vq::invoice::MailOrderRow)
Q_DECLARE_METATYPE(vq::invoice::MailImportResult)
