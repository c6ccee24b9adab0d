#include "designer/ui/uFtpProfiles.h"

#include "common_ui/dialog_buttons.h"
#include "common_ui/questions.h"
#include "designer/publishing/ftp_upload.h"
#include "designer/ui/ftp_job.h"
#include "designer/ui/uLog.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <utility>

namespace vq::ui {

namespace {

QLineEdit *lineEdit(const QString &name)
{
    auto *edit = new QLineEdit;
    edit->setObjectName(name);
    return edit;
}

} // namespace

// ---------------------------------------------------------------- editor

TfrmFtpProfileEdit::TfrmFtpProfileEdit(UserQuestions &dialogs, TfrmLog *log, QWidget *parent)
    : QDialog(parent)
    , m_dialogs(dialogs)
    , m_log(log)
{
    setObjectName(QStringLiteral("frmFtpProfileEdit"));
    setWindowTitle(QStringLiteral("FTP-Profil bearbeiten"));
    m_name = lineEdit(QStringLiteral("edtProfilname"));
    m_server = lineEdit(QStringLiteral("edtServer"));
    m_port = lineEdit(QStringLiteral("edtPort"));
    m_port->setText(QStringLiteral("21"));
    m_user = lineEdit(QStringLiteral("edtBenutzername"));
    m_password = lineEdit(QStringLiteral("edtPasswort"));
    m_passive = new QCheckBox(QStringLiteral("Passivmodus?"));
    m_passive->setObjectName(QStringLiteral("chkPassiv"));
    m_ftps = new QCheckBox(QStringLiteral("FTPS (TLS)"));
    m_ftps->setObjectName(QStringLiteral("chkFtps"));
    m_ftps->setToolTip(
        QStringLiteral("Verschlüsselte Verbindung (AUTH TLS); der Server muss sie anbieten."));
    m_caFile = lineEdit(QStringLiteral("edtZertifikat"));
    m_caFile->setToolTip(
        QStringLiteral("Für FTPS: die Zertifikatsdatei (PEM) eines Servers mit eigenem "
                       "Zertifikat, der vertraut wird; leer: die Zertifikate des Systems."));

    auto *group = new QGroupBox(QStringLiteral("FTP-Profil bearbeiten"));
    auto *form = new QFormLayout(group);
    form->addRow(QStringLiteral("&Profilname*"), m_name);
    form->addRow(QStringLiteral("&Servername*"), m_server);
    form->addRow(QStringLiteral("P&ort*"), m_port);
    form->addRow(QStringLiteral("&Benutzername*"), m_user);
    form->addRow(QStringLiteral("Pass&wort"), m_password);
    form->addRow(m_passive);
    form->addRow(m_ftps);
    form->addRow(QStringLiteral("CA-&Zertifikat (PEM)"), m_caFile);
    auto *note = new QLabel(QStringLiteral("*Pflichtfeld"));
    note->setObjectName(QStringLiteral("lblPflichtfeld"));
    form->addRow(note);

    m_test = new QPushButton(QStringLiteral("&Verbindung testen"));
    m_test->setObjectName(QStringLiteral("btnVerbindungTesten"));
    m_test->setAutoDefault(false);
    connect(m_test, &QPushButton::clicked, this, &TfrmFtpProfileEdit::testConnection);
    const auto row = vq::ui::okCancelButtons(*this, QStringLiteral("OK"), "btnAbbrechen");
    row.ok->setDefault(true);
    row.cancel->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_test);
    buttons->addStretch();
    buttons->addWidget(row.box);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    resize(420, sizeHint().height());
}

void TfrmFtpProfileEdit::setProfile(const TFtpProfile &p)
{
    m_name->setText(p.profilname);
    m_server->setText(p.server);
    m_port->setText(p.port);
    m_user->setText(p.benutzername);
    m_password->setText(p.passwort);
    m_passive->setChecked(p.passiv);
    m_ftps->setChecked(p.ftps);
    m_caFile->setText(p.caFile);
}

TFtpProfile TfrmFtpProfileEdit::profile() const
{
    TFtpProfile p;
    p.profilname = m_name->text();
    p.server = m_server->text();
    p.port = m_port->text();
    p.benutzername = m_user->text();
    p.passwort = m_password->text();
    p.passiv = m_passive->isChecked();
    p.ftps = m_ftps->isChecked();
    p.caFile = m_caFile->text().trimmed();
    return p;
}

void TfrmFtpProfileEdit::accept()
{
    const struct
    {
        QLineEdit *edit;
        bool failed;
        const char *message;
    } checks[] = {
        {m_name, m_name->text().isEmpty(), "Bitte einen Profilnamen eingeben."},
        {m_server, m_server->text().isEmpty(), "Bitte einen Servernamen eingeben."},
        {m_user, m_user->text().isEmpty(), "Bitte einen Benutzernamen eingeben."},
        {m_port,
         [this] {
             bool ok = false;
             m_port->text().trimmed().toInt(&ok);
             return !ok;
         }(),
         "Im Feld Port bitte nur ganze Zahlen eingeben."},
    };
    for (const auto &check : checks) {
        if (check.failed) {
            check.edit->setFocus();
            m_dialogs.tell(this, QMessageBox::Warning, windowTitle(),
                           QString::fromUtf8(check.message));
            return;
        }
    }
    QDialog::accept();
}

void TfrmFtpProfileEdit::testConnection()
{
    if (m_testing)
        return;
    FtpSettings settings;
    settings.host = m_server->text();
    settings.user = m_user->text();
    settings.password = m_password->text();
    settings.passive = m_passive->isChecked();
    settings.tls = m_ftps->isChecked();
    settings.caFile = m_caFile->text().trimmed();
    const QString port = m_port->text();

    m_testing = true;
    m_test->setEnabled(false);
    m_log->start();
    m_log->setBusy(true);
    auto result = std::make_shared<UploadResult>();
    // The job belongs to the log window, so closing the editor never waits for it.
    FtpJob *job = FtpJob::start(m_log, [settings, port, result](const FtpJob::Log &log) {
        *result = TestConnection(settings, port, log);
    });
    connect(job, &FtpJob::line, m_log, &TfrmLog::addLine);
    connect(job, &FtpJob::done, m_log, [log = m_log] { log->setBusy(false); });
    connect(job, &FtpJob::done, this, [this, result] {
        m_testing = false;
        m_test->setEnabled(true);
        if (!result->message.isEmpty())
            m_dialogs.tell(this, QMessageBox::Critical, QStringLiteral("Verbindung testen"),
                           result->message);
        Q_EMIT testFinished(result->ok);
    });
}

// ---------------------------------------------------------------- list

TftpProfiles::TftpProfiles(const QString &path, UserQuestions &dialogs, TfrmLog *log,
                           QWidget *parent)
    : ListManagerDialog(parent)
    , m_path(path)
    , m_dialogs(dialogs)
    , m_log(log)
{
    setObjectName(QStringLiteral("frmFtpProfiles"));
    setWindowTitle(QStringLiteral("FTP-Profile"));

    auto makeAction = [this](QStyle::StandardPixmap icon, const QString &text, const char *name,
                             auto slot) {
        QAction *a = addCommand(name, text, icon);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    QAction *neu =
        makeAction(QStyle::SP_FileIcon, QStringLiteral("Neu"), "actNeu", [this] { newProfile(); });
    QAction *edit = makeAction(QStyle::SP_FileDialogDetailedView, QStringLiteral("Bearbeiten"),
                               "actBearbeiten", [this] { editProfile(); });
    QAction *del = makeAction(QStyle::SP_TrashIcon, QStringLiteral("Löschen"), "actLoeschen",
                              [this] { deleteProfile(); });
    QAction *take = makeAction(QStyle::SP_DialogApplyButton, QStringLiteral("Übernehmen"),
                               "actUebernehmen", [this] { takeOver(); });
    QAction *leave = makeAction(QStyle::SP_DialogCloseButton, QStringLiteral("Verlassen"),
                                "actVerlassen", [this] { reject(); });

    QMenu *file = menuBar()->addMenu(QStringLiteral("&Datei"));
    file->addActions({neu, edit, del});
    file->addSeparator();
    file->addAction(leave);
    QToolBar *tools = toolBar();
    tools->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tools->addActions({neu, edit, del});
    tools->addSeparator();
    tools->addAction(take);
    tools->addSeparator();
    tools->addAction(leave);

    m_list = new QTreeWidget;
    m_list->setObjectName(QStringLiteral("lvProfiles"));
    m_list->setAccessibleName(QStringLiteral("FTP-Profile"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setStyleSheet(QStringLiteral("QTreeView::item { border: 1px solid #d0d0d0; }"));
    m_list->setHeaderLabels({QStringLiteral("Profilname"), QStringLiteral("Server"),
                             QStringLiteral("Port"), QStringLiteral("Benutzername"),
                             QStringLiteral("Passwort"), QStringLiteral("Passivmodus?")});
    const int widths[] = {120, 120, 50, 120, 120, 100};
    for (int i = 0; i < 6; ++i)
        m_list->setColumnWidth(i, widths[i]);
    connect(m_list, &QTreeWidget::itemActivated, this, [this] { rowActivated(); });

    QVBoxLayout *layout = frameLayout();
    layout->addWidget(m_list);
    resize(680, 360);

    QString error;
    ServerList = readFtpProfiles(m_path, &error);
    if (!error.isEmpty()) {
        // The list is written whole on closing: keep the damaged file aside so
        // the profiles that could not be read are not lost.
        m_readFailed = true;
        m_dialogs.tell(
            parent, QMessageBox::Warning, windowTitle(),
            QStringLiteral("Die FTP-Profile konnten nicht vollständig gelesen werden:\n%1\n\n"
                           "Die bisherige Datei wird beim Schließen als \"%2.bak\" aufbewahrt.")
                .arg(error, QString::fromLatin1(kFtpProfilesFile)));
    }
    fill(ServerList.isEmpty() ? -1 : 0);
}

void TftpProfiles::fill(int selectRow)
{
    m_list->clear();
    for (const TFtpProfile &p : ServerList) {
        auto *item = new QTreeWidgetItem(
            m_list, {p.profilname, p.server, p.port, p.benutzername,
                     p.passwort.isEmpty() ? QString() : QStringLiteral("******"),
                     p.passiv ? QStringLiteral("x") : QString()});
        Q_UNUSED(item);
    }
    if (selectRow >= 0 && selectRow < m_list->topLevelItemCount())
        m_list->setCurrentItem(m_list->topLevelItem(selectRow));
}

int TftpProfiles::selectedRow() const
{
    const auto items = m_list->selectedItems();
    return items.isEmpty() ? -1 : m_list->indexOfTopLevelItem(items.first());
}

std::optional<TFtpProfile> TftpProfiles::selectedProfile() const
{
    const int row = selectedRow();
    if (row < 0 || row >= ServerList.size())
        return std::nullopt;
    return ServerList[row];
}

void TftpProfiles::newProfile()
{
    TfrmFtpProfileEdit editor(m_dialogs, m_log, this);
    if (m_dialogs.runModal(editor) != QDialog::Accepted)
        return;
    ServerList.append(editor.profile());
    fill(int(ServerList.size()) - 1);
}

void TftpProfiles::editProfile()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    TfrmFtpProfileEdit editor(m_dialogs, m_log, this);
    editor.setProfile(ServerList[row]);
    if (m_dialogs.runModal(editor) != QDialog::Accepted)
        return;
    ServerList[row] = editor.profile();
    fill(row);
}

void TftpProfiles::deleteProfile()
{
    const int row = selectedRow();
    if (row < 0) {
        m_dialogs.tell(
            this, QMessageBox::Information, windowTitle(),
            QStringLiteral("Bitte wählen Sie zuerst das Profil aus, welches Sie löschen wollen."));
        return;
    }
    ServerList.removeAt(row);
    fill(std::min(row, int(ServerList.size()) - 1));
}

void TftpProfiles::takeOver()
{
    if (selectedRow() < 0) {
        m_dialogs.tell(
            this, QMessageBox::Information, windowTitle(),
            QStringLiteral(
                "Bitte markieren Sie zuerst das Profil, welches Sie übernehmen wollen."));
        return;
    }
    accept();
}

void TftpProfiles::rowActivated()
{
    if (SelectMode && selectedRow() >= 0)
        accept();
    else
        editProfile();
}

void TftpProfiles::done(int result)
{
    if (m_readFailed && QFile::exists(m_path)) {
        const QString backup = m_path + QStringLiteral(".bak");
        QFile::remove(backup);
        QFile::copy(m_path, backup);
        m_readFailed = false;
    }
    QString error;
    if (!writeFtpProfiles(m_path, ServerList, &error))
        m_dialogs.tell(this, QMessageBox::Critical, windowTitle(),
                       QStringLiteral("Die FTP-Profile konnten nicht gespeichert werden:\n")
                           + error);
    QDialog::done(result);
}

} // namespace vq::ui
