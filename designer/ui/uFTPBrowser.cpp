#include "designer/ui/uFTPBrowser.h"

#include "common_ui/plain_text.h"
#include "common_ui/questions.h"

#include <QAction>
#include <QFont>
#include <QFormLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenuBar>
#include <QPalette>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSplitter>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vq::ui {

namespace {

const QString kDirMark = QStringLiteral("<DIR>");
// The server's replies are shown in the status list at most this long.
constexpr qsizetype kMaxStatusChars = 1000;

// The long time format of the user's settings (with seconds), without the
// time zone Qt appends to it.
QString timeText(const QTime &time)
{
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("\\s*t+")));
    return QLocale().toString(time, format.trimmed());
}

} // namespace

TfrmFTPBrowser::TfrmFTPBrowser(UserQuestions &dialogs, QWidget *parent)
    : ListManagerDialog(parent)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmFTPBrowser"));
    setWindowTitle(QStringLiteral("FTP-Browser"));
    setSizeGripEnabled(true);

    auto makeAction = [this](QStyle::StandardPixmap icon, const QString &text, const char *name,
                             auto slot) {
        QAction *a = addCommand(name, text, icon);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    m_connect = makeAction(QStyle::SP_DriveNetIcon, QStringLiteral("Verbinden"), "actVerbinden",
                           [this] { connectToServer(); });
    m_up = makeAction(QStyle::SP_FileDialogToParent, QStringLiteral("Ebene hoch"), "actEbeneHoch",
                      [this] { levelUp(); });
    m_take = makeAction(QStyle::SP_DialogApplyButton, QStringLiteral("Übernehmen"),
                        "actUebernehmen", [this] { takeOver(); });
    QAction *leave = makeAction(QStyle::SP_DialogCloseButton, QStringLiteral("Verlassen"),
                                "actVerlassen", [this] { reject(); });
    QMenu *file = menuBar()->addMenu(QStringLiteral("&Datei"));
    file->addActions({m_connect, m_take});
    file->addSeparator();
    file->addAction(leave);
    QToolBar *tools = toolBar();
    tools->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tools->addActions({m_connect, m_up});
    tools->addSeparator();
    tools->addAction(m_take);
    tools->addSeparator();
    tools->addAction(leave);

    m_path = new QLineEdit(QStringLiteral("/"));
    m_path->setObjectName(QStringLiteral("edtPfad"));
    m_path->setReadOnly(true);
    auto *pathRow = new QFormLayout;
    pathRow->addRow(QStringLiteral("&Pfad:"), m_path);

    m_list = new QTreeWidget;
    m_list->setObjectName(QStringLiteral("lvVerzeichnis"));
    m_list->setAccessibleName(QStringLiteral("Verzeichnisinhalt"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setHeaderLabels(
        {QStringLiteral("Name"), QStringLiteral("Größe"), QStringLiteral("Datum"), QString()});
    m_list->setColumnWidth(0, 240);
    m_list->setColumnWidth(1, 90);
    m_list->setColumnWidth(2, 190);
    m_list->installEventFilter(this);
    connect(m_list, &QTreeWidget::itemActivated, this, [this] { rowActivated(); });

    m_status = new QListWidget;
    m_status->setObjectName(QStringLiteral("lbStatus"));
    m_status->setAccessibleName(QStringLiteral("Status"));
    QFont courier(QStringLiteral("Courier New"));
    courier.setStyleHint(QFont::Monospace);
    m_status->setFont(courier);
    QPalette palette = m_status->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Highlight, QColor(0, 110, 155));
        palette.setColor(group, QPalette::HighlightedText, Qt::white);
    }
    m_status->setPalette(palette);

    m_progress = new QProgressBar;
    m_progress->setObjectName(QStringLiteral("pbBusy"));
    m_progress->setRange(0, 0);
    m_progress->setTextVisible(false);
    m_progress->setAccessibleName(QStringLiteral("Verbindung läuft"));
    m_progress->setMaximumHeight(8);
    m_progress->hide();

    auto *splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(m_list);
    splitter->addWidget(m_status);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);

    QVBoxLayout *layout = frameLayout();
    layout->addLayout(pathRow);
    layout->addWidget(splitter, 1);
    layout->addWidget(m_progress);
    resize(640, 520);
}

TfrmFTPBrowser::~TfrmFTPBrowser()
{
    // The worker may still use the connection and post to this window.
    delete m_job.data();
}

void TfrmFTPBrowser::run(FtpJob::Work work, std::function<void()> finished)
{
    FtpJob *job = FtpJob::start(this, std::move(work));
    m_job = job;
    m_connect->setEnabled(false);
    m_up->setEnabled(false);
    m_take->setEnabled(false);
    m_list->setEnabled(false);
    m_progress->show();
    setCursor(Qt::BusyCursor);
    connect(job, &FtpJob::line, this, &TfrmFTPBrowser::addStatus);
    connect(job, &FtpJob::done, this, [this, finished = std::move(finished)] {
        m_job = nullptr;
        m_progress->hide();
        unsetCursor();
        m_up->setEnabled(true);
        m_take->setEnabled(true);
        m_list->setEnabled(true);
        finished();
        m_connect->setEnabled(!m_connected && !m_job);
        Q_EMIT stepFinished();
    });
}

void TfrmFTPBrowser::connectToServer()
{
    if (busy() || m_connected)
        return;
    FtpSettings settings;
    settings.host = ServerName.trimmed();
    settings.port = ServerPort;
    settings.user = Username;
    settings.password = Password;
    settings.passive = Passiv;
    settings.tls = Tls;
    settings.caFile = CaFile;
    // Traffic comes from the worker; it reaches the status list queued.
    m_client = std::make_shared<FtpClient>(settings, [this](const QString &line) {
        QMetaObject::invokeMethod(
            this, [this, line] { addStatus(line); }, Qt::QueuedConnection);
    });
    struct Result
    {
        bool loggedIn = false;
        std::optional<QList<FtpEntry>> entries;
        QString path, error;
    };
    auto result = std::make_shared<Result>();
    run(
        [client = m_client, result](const FtpJob::Log &) {
            result->loggedIn = client->connectAndLogin();
            if (!result->loggedIn) {
                result->error = client->errorText();
                return;
            }
            result->entries = client->list();
            result->path = client->currentFolder();
        },
        [this, result] {
            if (!result->loggedIn) {
                if (!result->error.isEmpty())
                    addStatus(result->error);
                m_client.reset();
                m_dialogs.tell(this, QMessageBox::Critical, windowTitle(),
                               QStringLiteral("Fehler beim Verbinden, bitte prüfen Sie die "
                                              "Zugangsdaten im Hauptfenster."));
                return;
            }
            m_connected = true;
            if (!result->entries) {
                listingFailed();
                return;
            }
            showListing(result->path, *result->entries);
        });
}

void TfrmFTPBrowser::listFolder(const QString &folder)
{
    if (busy() || !m_connected)
        return;
    struct Result
    {
        std::optional<QList<FtpEntry>> entries;
        QString path;
    };
    auto result = std::make_shared<Result>();
    run(
        [client = m_client, folder, result](const FtpJob::Log &) {
            if (!folder.isEmpty() && !client->changeFolder(folder))
                return;
            result->entries = client->list();
            result->path = client->currentFolder();
        },
        [this, result] {
            if (!result->entries)
                listingFailed();
            else
                showListing(result->path, *result->entries);
        });
}

void TfrmFTPBrowser::levelUp()
{
    listFolder(QStringLiteral(".."));
}

void TfrmFTPBrowser::refresh()
{
    listFolder(QString());
}

void TfrmFTPBrowser::showListing(const QString &path, const QList<FtpEntry> &entries)
{
    m_path->setText(path);
    m_list->clear();
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon fileIcon = style()->standardIcon(QStyle::SP_FileIcon);
    for (const FtpEntry &entry : entries) {
        const QString date = entry.modified.isValid()
                                 ? QLocale().toString(entry.modified.date(), QLocale::ShortFormat)
                                       + QStringLiteral("     ") + timeText(entry.modified.time())
                                 : QString();
        const QString size =
            entry.folder || entry.size < 0 ? QString() : QString::number(entry.size);
        auto *item = new QTreeWidgetItem(
            m_list, {entry.name, size, date, entry.folder ? kDirMark : QString()});
        item->setIcon(0, entry.folder ? folderIcon : fileIcon);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
}

void TfrmFTPBrowser::listingFailed()
{
    m_dialogs.tell(this, QMessageBox::Critical, windowTitle(),
                   QStringLiteral("Die Verbindung wurde unterbrochen, bitte verbinden Sie neu."));
    m_path->setText(QStringLiteral("/"));
    m_list->clear();
    disconnectClient();
}

void TfrmFTPBrowser::disconnectClient()
{
    m_connected = false;
    if (!m_client)
        return;
    // QUIT may wait on a slow server: on a worker too. The job owns the last
    // reference, so a new connection never shares it.
    auto client = std::move(m_client);
    FtpJob *job = FtpJob::start(this, [client](const FtpJob::Log &) { client->quit(); });
    m_job = job;
    connect(job, &FtpJob::done, this, [this] {
        m_job = nullptr;
        m_connect->setEnabled(true);
        Q_EMIT stepFinished();
    });
}

void TfrmFTPBrowser::rowActivated()
{
    if (!m_connected || busy())
        return;
    QTreeWidgetItem *item = m_list->currentItem();
    if (item && item->text(3) == kDirMark)
        listFolder(item->text(0));
}

void TfrmFTPBrowser::takeOver()
{
    if (!m_connected) {
        m_dialogs.tell(
            this, QMessageBox::Information, windowTitle(),
            QStringLiteral("Sie sind nicht verbunden, verbinden Sie sich mit dem Server und wählen "
                           "Sie dann den Ordner aus."));
        return;
    }
    const QString path = m_path->text();
    if (m_dialogs.ask(this, QMessageBox::Question, windowTitle(),
                      QStringLiteral("Soll der Pfad \"") + path
                          + QStringLiteral("\" in das Hauptfenster übernommen werden?"),
                      QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    SelectedPath = path;
    accept();
}

void TfrmFTPBrowser::addStatus(const QString &text)
{
    QString rest = text;
    rest.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    rest.replace(u'\n', u'\r');
    if (rest.endsWith(u'\r'))
        rest.chop(1);
    const QStringList lines = rest.split(u'\r');
    for (QString line : lines) {
        if (line.contains(QStringLiteral("PASS ")))
            line = QStringLiteral(">> PASS *********");
        auto *item = new QListWidgetItem(shownLine(line, kMaxStatusChars), m_status);
        if (line.contains(QStringLiteral("<<")))
            item->setForeground(Qt::blue);
        else if (line.contains(QStringLiteral(">>")))
            item->setForeground(Qt::red);
        else
            item->setForeground(Qt::black);
    }
    m_status->setCurrentRow(m_status->count() - 1);
}

bool TfrmFTPBrowser::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_F5) {
        if (m_connected)
            refresh();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmFTPBrowser::done(int result)
{
    if (m_job) {
        // Closing while a step runs: let it end (it cannot be cancelled).
        delete m_job.data();
        m_job = nullptr;
    }
    if (m_connected)
        disconnectClient();
    QDialog::done(result);
}

} // namespace vq::ui
