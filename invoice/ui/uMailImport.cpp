#include "invoice/ui/uMailImport.h"

#include "invoice/ui_logic/mail_row_model.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace vq::invoice {

namespace {

const QString kTitle = QStringLiteral("Bestellungen einlesen");
// How long reports of the worker are gathered before the window shows them.
constexpr int kFlushMs = 40;
// The message area keeps this many lines; a mailbox full of damaged mails
// does not grow it without end.
constexpr int kMaxMessageLines = 2000;

QString mailsText(int count)
{
    return count == 1 ? QStringLiteral("1 E-Mail") : QStringLiteral("%1 E-Mails").arg(count);
}

bool failedRow(const MailOrderRow &row)
{
    return row.status != MailOrderStatus::Inserted && row.status != MailOrderStatus::AlreadyThere
           && row.status != MailOrderStatus::WithdrawalMatched
           && row.status != MailOrderStatus::WithdrawalUnmatched;
}

} // namespace

// ---------------------------------------------------------------- worker

MailImportWorker::MailImportWorker(DatabaseLocation location, int mandantId)
    : m_location(std::move(location))
    , m_mandantId(mandantId)
{
}

void MailImportWorker::importMails()
{
    // A connection may only be used on the thread that opened it.
    InvoiceConnection db;
    QString error;
    if (!db.openLocation(m_location, &error)) {
        MailImportResult result;
        result.message = QString::fromUtf16(kTextDatabaseError);
        result.detail = error;
        result.messages << result.message;
        Q_EMIT importFinished(result);
        return;
    }
    MailImportObserver observer;
    observer.progress = [this](int done, int total) { Q_EMIT progress(done, total); };
    observer.row = [this](const MailOrderRow &row) { Q_EMIT rowFound(row); };
    observer.cancel = &m_cancel;
    const MailImportResult result = MailOrder(db, m_mandantId).importOrders(observer);
    db.close();
    Q_EMIT importFinished(result);
}

void MailImportWorker::deleteMails(const QList<MailOrderRow> &rows)
{
    InvoiceConnection db;
    QString error;
    if (!db.openLocation(m_location, &error)) {
        Q_EMIT deleteFinished(rows, false, QString::fromUtf16(kTextDeleteError), error);
        return;
    }
    QString message, detail;
    const bool ok = MailOrder(db, m_mandantId).deleteMails(rows, &message, &detail);
    db.close();
    Q_EMIT deleteFinished(rows, ok, message, detail);
}

// ---------------------------------------------------------------- window

TfrmMailImport::TfrmMailImport(InvoiceConnection &db, int mandantId, UserQuestions &questions,
                               QWidget *parent)
    : vq::ui::ListManagerDialog(parent)
    , m_db(db)
    , m_mandantId(mandantId)
    , m_questions(questions)
{
    qRegisterMetaType<MailOrderRow>();
    qRegisterMetaType<QList<MailOrderRow>>();
    qRegisterMetaType<MailImportResult>();
    setObjectName(QStringLiteral("frmMailImport"));
    setWindowTitle(kTitle);
    setSizeGripEnabled(true);

    auto command = [this](const char *name, const QString &text, const QString &hint,
                          QStyle::StandardPixmap fallback, const char *theme) {
        QAction *action = addCommand(name, text, fallback, theme);
        action->setToolTip(hint);
        action->setStatusTip(hint);
        return action;
    };
    m_actRead =
        command("actEinlesen", QStringLiteral("E-Mails einlesen"),
                QStringLiteral("E-Mails abholen"), QStyle::SP_BrowserReload, "mail-receive");
    m_actRead->setShortcut(QKeySequence::Refresh);
    m_actDelete =
        command("actLoeschen", QStringLiteral("Markierte E-Mail löschen"),
                QStringLiteral("Markiere E-Mail löschen"), QStyle::SP_TrashIcon, "edit-delete");
    m_actLeave = command("actVerlassen", QStringLiteral("Verlassen"), QStringLiteral("Verlassen"),
                         QStyle::SP_DialogCloseButton, "application-exit");
    connect(m_actRead, &QAction::triggered, this, &TfrmMailImport::readMails);
    connect(m_actDelete, &QAction::triggered, this, &TfrmMailImport::deleteMarkedMail);
    connect(m_actLeave, &QAction::triggered, this, &TfrmMailImport::reject);

    menuBar()->setObjectName(QStringLiteral("mnuHaupt"));
    QMenu *mailMenu = menuBar()->addMenu(QStringLiteral("&E-Mail"));
    mailMenu->setObjectName(QStringLiteral("mnuEMail"));
    mailMenu->addAction(m_actRead);
    mailMenu->addAction(m_actDelete);
    mailMenu->addSeparator();
    mailMenu->addAction(m_actLeave);

    QToolBar *tools = toolBar();
    tools->setObjectName(QStringLiteral("tbWerkzeuge"));
    tools->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tools->addAction(m_actRead);
    tools->addAction(m_actDelete);
    tools->addSeparator();
    tools->addAction(m_actLeave);
    nameToolButtons();
    // The buttons show their text; they are spoken by it, with the hint as
    // the description.
    for (QAction *action : {m_actRead, m_actDelete, m_actLeave}) {
        QWidget *button = tools->widgetForAction(action);
        button->setAccessibleName(action->text());
        button->setAccessibleDescription(action->toolTip());
    }

    m_model = new MailRowModel(this);
    m_list = new QTableView(this);
    m_list->setObjectName(QStringLiteral("lvMails"));
    m_list->setAccessibleName(QStringLiteral("Bestell-E-Mails"));
    m_list->setModel(m_model);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Several mails may be marked and deleted at once (Ctrl and Shift with a click or the arrow
    // keys).
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setTabKeyNavigation(false);
    m_list->setWordWrap(false);
    m_list->setAlternatingRowColors(true);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 8);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->horizontalHeader()->setHighlightSections(false);
    for (int column = 0; column < MailRowModel::ColumnCount; ++column)
        m_list->setColumnWidth(column, MailRowModel::columnWidth(column));
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TfrmMailImport::updateCommands);

    auto *messagesLabel = new QLabel(QStringLiteral("&Meldungen:"), this);
    messagesLabel->setObjectName(QStringLiteral("lblMeldungen"));
    m_messages = new QPlainTextEdit(this);
    m_messages->setObjectName(QStringLiteral("memMeldungen"));
    m_messages->setAccessibleName(QStringLiteral("Meldungen"));
    m_messages->setReadOnly(true);
    m_messages->setTabChangesFocus(true);
    m_messages->setMaximumBlockCount(kMaxMessageLines);
    m_messages->setFixedHeight(m_messages->fontMetrics().lineSpacing() * 4 + 12);
    messagesLabel->setBuddy(m_messages);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("pbFortschritt"));
    m_progress->setAccessibleName(QStringLiteral("Fortschritt"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    // No figures until a run has opened the mailbox.
    m_progress->setTextVisible(false);
    m_status = new QLabel(QStringLiteral("Bereit."), this);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setMinimumWidth(m_status->fontMetrics().horizontalAdvance(
        QStringLiteral("99999 von 99999 E-Mails gelesen")));
    m_cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    m_cancel->setObjectName(QStringLiteral("btnAbbrechen"));
    m_cancel->setAccessibleName(QStringLiteral("Einlesen abbrechen"));
    m_cancel->setToolTip(QStringLiteral("Einlesen nach der laufenden E-Mail abbrechen"));
    // Enter on the list must not press it.
    m_cancel->setAutoDefault(false);
    m_cancel->setEnabled(false);
    connect(m_cancel, &QPushButton::clicked, this, &TfrmMailImport::cancelRun);

    auto *progressRow = new QHBoxLayout;
    progressRow->addWidget(m_status);
    progressRow->addWidget(m_progress, 1);
    progressRow->addWidget(m_cancel);

    QVBoxLayout *layout = frameLayout();
    layout->addWidget(m_list, 1);
    layout->addWidget(messagesLabel);
    layout->addWidget(m_messages);
    layout->addLayout(progressRow);
    setTabOrder(m_list, m_messages);
    setTabOrder(m_messages, m_cancel);

    m_flushTimer = new QTimer(this);
    m_flushTimer->setSingleShot(true);
    m_flushTimer->setInterval(kFlushMs);
    connect(m_flushTimer, &QTimer::timeout, this, &TfrmMailImport::flushPending);

    // The worker reaches the database the window's connection uses, on a
    // connection of its own.
    m_worker = new MailImportWorker(m_db.location(), m_mandantId);
    m_worker->moveToThread(&m_thread);
    connect(m_worker, &MailImportWorker::progress, this, &TfrmMailImport::onProgress,
            Qt::QueuedConnection);
    connect(m_worker, &MailImportWorker::rowFound, this, &TfrmMailImport::onRowFound,
            Qt::QueuedConnection);
    connect(m_worker, &MailImportWorker::importFinished, this, &TfrmMailImport::onImportFinished,
            Qt::QueuedConnection);
    connect(m_worker, &MailImportWorker::deleteFinished, this, &TfrmMailImport::onDeleteFinished,
            Qt::QueuedConnection);
    m_thread.setObjectName(QStringLiteral("Bestellmails"));
    m_thread.start();

    resize(900, 520);
    updateCommands();
}

TfrmMailImport::~TfrmMailImport()
{
    // The mail at hand is finished; nothing stored is lost.
    m_worker->requestCancel();
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
}

void TfrmMailImport::setBusy(bool busy)
{
    m_busy = busy;
    m_cancel->setEnabled(busy && !m_cancelRequested);
    updateCommands();
}

void TfrmMailImport::updateCommands()
{
    const bool closing = m_closeWhenDone;
    m_actRead->setEnabled(!m_busy && !closing);
    m_actDelete->setEnabled(!m_busy && !closing && m_list->selectionModel()->hasSelection());
    m_actLeave->setEnabled(!closing);
}

void TfrmMailImport::addMessage(const QString &text)
{
    m_messages->appendPlainText(text);
}

void TfrmMailImport::readMails()
{
    if (m_busy || m_closeWhenDone)
        return;
    m_model->clear();
    m_pendingRows.clear();
    m_messages->clear();
    m_done = 0;
    m_total = -1;
    m_cancelRequested = false;
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 0); // busy until the mailbox is open
    m_status->setText(QStringLiteral("Verbindung zum Mailserver …"));
    m_worker->resetCancel();
    setBusy(true);
    MailImportWorker *worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker] { worker->importMails(); }, Qt::QueuedConnection);
}

void TfrmMailImport::deleteMarkedMail()
{
    if (m_busy || m_closeWhenDone)
        return;
    const QModelIndexList selected = m_list->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    QList<MailOrderRow> rows;
    for (const QModelIndex &index : selected)
        rows << m_model->at(index.row());
    m_status->setText(
        rows.size() == 1 ? QStringLiteral("E-Mail wird gelöscht …")
                         : QStringLiteral("%1 werden gelöscht …").arg(mailsText(int(rows.size()))));
    m_cancelRequested = true; // a deletion cannot be cancelled
    setBusy(true);
    MailImportWorker *worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker, rows] { worker->deleteMails(rows); }, Qt::QueuedConnection);
}

void TfrmMailImport::cancelRun()
{
    if (!m_busy || m_cancelRequested)
        return;
    m_cancelRequested = true;
    m_worker->requestCancel();
    m_cancel->setEnabled(false);
    m_status->setText(QStringLiteral("Wird nach der laufenden E-Mail abgebrochen …"));
}

void TfrmMailImport::reject()
{
    if (!m_busy) {
        QDialog::reject();
        return;
    }
    // Closes once the worker has finished the mail at hand.
    m_closeWhenDone = true;
    cancelRun();
    updateCommands();
}

void TfrmMailImport::closeEvent(QCloseEvent *event)
{
    if (m_busy) {
        event->ignore();
        reject();
        return;
    }
    QDialog::closeEvent(event);
}

void TfrmMailImport::onRowFound(const MailOrderRow &row)
{
    m_pendingRows << row;
    if (!m_flushTimer->isActive())
        m_flushTimer->start();
}

void TfrmMailImport::onProgress(int done, int total)
{
    m_done = done;
    m_total = total;
    if (!m_flushTimer->isActive())
        m_flushTimer->start();
}

void TfrmMailImport::flushPending()
{
    m_flushTimer->stop();
    for (const MailOrderRow &row : std::as_const(m_pendingRows))
        if (failedRow(row))
            addMessage(row.detail.isEmpty() ? QStringLiteral("%1: %2").arg(
                           row.statusText(), shownMailText(row.subject))
                                            : QStringLiteral("%1: %2 (%3)")
                                                  .arg(row.statusText(), shownMailText(row.subject),
                                                       shownMailText(row.detail)));
    m_model->append(m_pendingRows);
    m_pendingRows.clear();
    showProgress();
}

void TfrmMailImport::showProgress()
{
    if (m_total < 0)
        return;
    // An empty mailbox is done at once: a full bar saying "0 von 0".
    m_progress->setTextVisible(true);
    m_progress->setFormat(QStringLiteral("%1 von %2").arg(m_done).arg(m_total));
    m_progress->setRange(0, qMax(1, m_total));
    m_progress->setValue(m_total == 0 ? 1 : qMin(m_done, m_total));
    if (m_busy && m_cancelRequested)
        return; // the cancel note stays until the run has ended
    m_status->setText(QStringLiteral("%1 von %2 gelesen").arg(m_done).arg(mailsText(m_total)));
}

void TfrmMailImport::onImportFinished(const MailImportResult &result)
{
    flushPending();
    if (m_total < 0) {
        m_progress->setRange(0, 1);
        m_progress->setValue(0);
    }
    const bool closing = m_closeWhenDone;
    m_closeWhenDone = false;
    setBusy(false);

    QString line = result.message;
    if (!result.detail.isEmpty())
        line += QStringLiteral(" (%1)").arg(shownMailText(result.detail));
    addMessage(line);
    if (m_total >= 0)
        m_status->setText(QStringLiteral("%1 von %2 gelesen%3")
                              .arg(m_done)
                              .arg(mailsText(m_total),
                                   result.cancelled ? QStringLiteral(", abgebrochen") : QString()));
    else
        m_status->setText(QStringLiteral("Nicht verbunden."));

    if (closing) {
        QDialog::reject();
        return;
    }
    if (!result.connected) {
        m_questions.showError(this, kTitle, result.message);
        return;
    }
    // Mails that could not be read are named once, with their number, not
    // in a box for each.
    QString text = result.message;
    QMap<QString, int> failures;
    for (int i = 0; i < m_model->rowCount(); ++i)
        if (failedRow(m_model->at(i)))
            ++failures[m_model->at(i).statusText()];
    for (auto it = failures.cbegin(); it != failures.cend(); ++it)
        text += QStringLiteral("\n\n%1: %2 (siehe Spalte „Status“ und die Meldungen).")
                    .arg(it.key(), mailsText(it.value()));
    m_questions.showInformation(this, kTitle, text);
}

void TfrmMailImport::onDeleteFinished(const QList<MailOrderRow> &rows, bool ok,
                                      const QString &message, const QString &detail)
{
    const bool closing = m_closeWhenDone;
    m_closeWhenDone = false;
    m_cancelRequested = false;
    setBusy(false);
    if (ok) {
        // From the highest number down: the server numbers the messages
        // behind a deleted one one lower.
        QList<MailOrderRow> gone = rows;
        std::sort(gone.begin(), gone.end(),
                  [](const MailOrderRow &a, const MailOrderRow &b) { return a.number > b.number; });
        for (const MailOrderRow &row : std::as_const(gone)) {
            const int index = m_model->find(row);
            if (index >= 0)
                m_model->removeDeleted(index);
            addMessage(QStringLiteral("E-Mail gelöscht: %1").arg(shownMailText(row.subject)));
        }
        m_status->setText(rows.size() == 1
                              ? QStringLiteral("E-Mail gelöscht.")
                              : QStringLiteral("%1 gelöscht.").arg(mailsText(int(rows.size()))));
    } else {
        m_status->setText(rows.size() == 1 ? QStringLiteral("E-Mail nicht gelöscht.")
                                           : QStringLiteral("Keine der E-Mails gelöscht."));
        addMessage(detail.isEmpty()
                       ? message
                       : QStringLiteral("%1 (%2)").arg(message, shownMailText(detail)));
    }
    updateCommands();
    if (closing) {
        QDialog::reject();
        return;
    }
    if (!ok)
        m_questions.showError(this, kTitle, message);
}

} // namespace vq::invoice
