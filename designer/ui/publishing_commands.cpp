#include "designer/ui/publishing_commands.h"
#include "designer/ui/price_list_commands.h"

#include "common/GlobalFunctions.h"
#include "common/text_file.h"
#include "designer/document/ftp_access.h"
#include "designer/publishing/ftp_profiles.h"
#include "designer/publishing/ftp_upload.h"
#include "designer/ui/ftp_job.h"
#include "designer/ui/uFTPBrowser.h"
#include "designer/ui/uFtpProfiles.h"
#include "designer/ui/uLog.h"

#include <QDir>

namespace vq::ui {

PublishingCommands::PublishingCommands(DesignerDocument &document, UserQuestions &dialogs,
                                       TfrmLog *log, Hooks hooks, QWidget *window)
    : QObject(window)
    , m_document(document)
    , m_dialogs(dialogs)
    , m_log(log)
    , m_hooks(std::move(hooks))
    , m_window(window)
{
}

void PublishingCommands::setBusy(bool busy)
{
    m_busy = busy;
    m_log->setBusy(busy);
    Q_EMIT busyChanged(busy);
}

void PublishingCommands::resetPort()
{
    FtpAccess access = ftpAccessOf(m_document.project());
    access.port = QStringLiteral("21");
    setFtpAccess(m_document, access, DesignerDocument::settingStepName(QStringLiteral("edtPort")));
}

void PublishingCommands::browseFolder()
{
    FtpAccess access = ftpAccessOf(m_document.project());
    bool ok = false;
    const int port = access.port.trimmed().toInt(&ok);
    if (!ok || port < 1 || port > 65535) {
        m_dialogs.tell(m_window, QMessageBox::Warning, QStringLiteral("FTP-Browser"),
                       QStringLiteral("Port muss eine Zahl sein. Standardport ist 21."));
        resetPort();
        return;
    }
    TfrmFTPBrowser browser(m_dialogs, m_window);
    browser.ServerName = access.server;
    browser.ServerPort = port;
    browser.Username = access.user;
    browser.Password = access.password;
    browser.Passiv = access.passive;
    browser.Tls = access.tls;
    browser.CaFile = access.caFile.trimmed();
    if (m_dialogs.runModal(browser) != QDialog::Accepted)
        return;
    access.folder = browser.SelectedPath;
    setFtpAccess(m_document, access,
                 DesignerDocument::settingStepName(QStringLiteral("edtFolder")));
}

void PublishingCommands::pickProfile()
{
    TftpProfiles profiles(appDataFile(QString::fromLatin1(kFtpProfilesFile)), m_dialogs, m_log,
                          m_window);
    profiles.SelectMode = true;
    if (m_dialogs.runModal(profiles) != QDialog::Accepted)
        return;
    const std::optional<TFtpProfile> profile = profiles.selectedProfile();
    if (!profile)
        return;
    FtpAccess access = ftpAccessOf(m_document.project());
    access.server = profile->server;
    access.port = profile->port;
    access.user = profile->benutzername;
    access.password = profile->passwort;
    access.passive = profile->passiv;
    access.tls = profile->ftps;
    access.caFile = profile->caFile;
    setFtpAccess(m_document, access, QStringLiteral("FTP-Profil übernehmen"));
}

bool PublishingCommands::upload()
{
    if (m_busy)
        return false;
    const ProjectDocument &project = m_document.project();
    const bool php = uploadsPhp(project);
    // A page posting to the form mailer is also checked for its captcha.
    if (!m_hooks.orderButtonAccepted(QStringLiteral("FTP-Upload"), !php))
        return false;
    const std::optional<QString> page = m_hooks.generate(php);
    if (!page)
        return false;
    const QString tempFile = QDir(tempFolder()).filePath(uploadTempFileName(project));
    QString error;
    if (!writeGeneratedText(tempFile, *page, project.ExtSettings.encoding, &error,
                            php ? GeneratedKind::PhpScript : GeneratedKind::Page)) {
        m_dialogs.tell(m_window, QMessageBox::Critical, QStringLiteral("FTP-Upload"), error);
        return false;
    }
    return uploadFile(tempFile);
}

bool PublishingCommands::uploadFile(const QString &tempFile)
{
    if (m_busy)
        return false;
    const std::optional<PriceListUpload> priceList =
        priceListForUpload(m_window, m_dialogs, m_document.project());
    if (!priceList)
        return false;
    // The worker gets a copy: the user may go on editing while it runs.
    auto result = std::make_shared<UploadResult>();
    setBusy(true);
    auto firstLine = std::make_shared<bool>(true);
    FtpJob *job = FtpJob::start(this, [project = m_document.project(), tempFile, result,
                                       also = priceList->files](const FtpJob::Log &log) {
        *result = UploadFile(project, tempFile, log, also);
    });
    connect(job, &FtpJob::line, this, [this, firstLine](const QString &line) {
        // The checks of the settings log nothing; the log starts afresh with
        // the first line of a connection attempt.
        if (*firstLine) {
            *firstLine = false;
            m_log->start();
        }
        m_log->addLine(line);
    });
    connect(job, &FtpJob::done, this, [this, result, priceList] {
        setBusy(false);
        if (result->ok)
            priceList->remember();
        if (result->resetPort)
            resetPort();
        if (!result->message.isEmpty())
            m_dialogs.tell(m_window, QMessageBox::Critical, QStringLiteral("FTP-Upload"),
                           result->message);
        Q_EMIT finished(result->ok);
    });
    return true;
}

} // namespace vq::ui
