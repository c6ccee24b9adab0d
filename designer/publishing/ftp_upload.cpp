#include "designer/publishing/ftp_upload.h"

#include <QFile>

namespace vq {

namespace {

QString setting(const ProjectDocument &project, const char *key)
{
    return project.setting(QString::fromLatin1(key));
}

// The reaction to a failed upload or test: a server's refusal as log lines,
// anything else as a message.
void reportFailure(const FtpClient &client, bool upload,
                   const std::function<void(const QString &)> &log, UploadResult *result)
{
    switch (client.failure()) {
    case FtpFailure::ServerRefused:
        for (const char *line :
             {"", "Fehler bei FTP-Übertragung.", "", "Bitte überprüfen Sie Benutzername/Passwort"})
            log(QString::fromUtf8(line));
        if (upload) {
            log(QStringLiteral("sowie das angegebene Verzeichnis auf dem"));
            log(QStringLiteral("Server existiert."));
        }
        log(QString());
        log(QStringLiteral("Fehlermeldung des Servers:"));
        log(FtpClient::maskedTraffic(client.serverReply()));
        break;
    case FtpFailure::NoHost:
    case FtpFailure::Other:
    case FtpFailure::None:
        result->message = client.errorText();
        break;
    }
}

} // namespace

bool uploadsPhp(const ProjectDocument &project)
{
    return setting(project, "cboUploadFormat") == u"1";
}

QString uploadTempFileName(const ProjectDocument &project)
{
    return uploadsPhp(project) ? QStringLiteral("vqform_temp.php")
                               : QStringLiteral("vqform_temp.htm");
}

bool ftpSettingsOf(const ProjectDocument &project, FtpSettings *settings)
{
    bool ok = false;
    const int port = setting(project, "edtPort").trimmed().toInt(&ok);
    settings->host = setting(project, "edtFtpServer").trimmed();
    settings->port = ok ? port : 21;
    settings->user = setting(project, "edtUsername");
    settings->password = setting(project, "edtPasswort");
    settings->passive = project.flag(QStringLiteral("chkPassiv"));
    settings->tls = project.flag(QStringLiteral("chkFtpTls"));
    settings->caFile = setting(project, "edtFtpZertifikat").trimmed();
    return ok && port > 0 && port < 65536;
}

UploadResult UploadFile(const ProjectDocument &project, const QString &localFile,
                        const std::function<void(const QString &)> &log,
                        const QList<TAlsoUploaded> &also)
{
    UploadResult result;
    FtpSettings settings;
    const bool portOk = ftpSettingsOf(project, &settings);
    if (settings.host.isEmpty()) {
        result.message = QStringLiteral(
            "Fehler: Kein FTP-Server angegeben. Bitte geben Sie einen FTP-Server an.");
        return result;
    }
    const QString fileName = setting(project, "edtDateiname").trimmed();
    if (fileName.isEmpty()) {
        result.message = QStringLiteral(
            "Fehler: Keine Datei angeben. Bitte geben Sie eine Datei für den FTP-Upload an.");
        return result;
    }
    if (!portOk) {
        result.message =
            QStringLiteral("Fehler: FTP-Port muss eine Zahl sein. Standardport ist 21.");
        result.resetPort = true;
        return result;
    }
    QFile file(localFile);
    if (!file.open(QIODevice::ReadOnly)) {
        result.message = QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden: %2")
                             .arg(localFile, file.errorString());
        return result;
    }
    const QByteArray data = file.readAll();
    QList<QByteArray> alsoData;
    for (const TAlsoUploaded &extra : also) {
        QFile other(extra.localFile);
        if (!other.open(QIODevice::ReadOnly)) {
            result.message = QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden: %2")
                                 .arg(extra.localFile, other.errorString());
            return result;
        }
        alsoData << other.readAll();
    }

    log(QStringLiteral("Versuche Verbindung aufzunehmen..."));
    log(QStringLiteral("Username: ") + settings.user);
    log(QStringLiteral("Passwort: ********"));
    FtpClient client(settings);
    const QString folder = setting(project, "edtFolder").trimmed();
    bool ok = client.connectAndLogin();
    if (ok)
        log(QStringLiteral("Verbindung hergestellt!"));
    if (ok && !folder.isEmpty())
        ok = client.changeFolder(folder);
    if (ok)
        log(QStringLiteral("Verzeichniswechsel nach: ") + folder);
    if (ok)
        ok = client.store(fileName, data, true);
    for (qsizetype i = 0; ok && i < also.size(); ++i)
        ok = client.store(also[i].remoteName, alsoData[i], true);
    if (ok) {
        log(QStringLiteral("Dateien erfolgreich übertragen!"));
        client.quit();
        result.ok = true;
        return result;
    }
    reportFailure(client, true, log, &result);
    return result;
}

UploadResult TestConnection(FtpSettings settings, const QString &port,
                            const std::function<void(const QString &)> &log)
{
    UploadResult result;
    bool ok = false;
    settings.port = port.trimmed().toInt(&ok);
    if (!ok || settings.port < 1 || settings.port > 65535) {
        result.message = QStringLiteral("Bitte einen numerischen Wert im Feld Port eintragen!");
        return result;
    }
    settings.host = settings.host.trimmed();
    log(QStringLiteral("Versuche Verbindung aufzunehmen..."));
    log(QStringLiteral("Username: ") + settings.user);
    log(QStringLiteral("Passwort: ********"));
    FtpClient client(settings);
    if (client.connectAndLogin()) {
        log(QStringLiteral("Verbindung erfolgreich hergestellt!"));
        client.quit();
        result.ok = true;
        return result;
    }
    reportFailure(client, false, log, &result);
    return result;
}

} // namespace vq
