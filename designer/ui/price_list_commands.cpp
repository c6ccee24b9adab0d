#include "designer/ui/price_list_commands.h"

#include "common/GlobalFunctions.h"
#include "common/safe_file.h"
#include "common_ui/questions.h"
#include "designer/generation/price_list.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace vq::ui {

namespace {

const QString kUploadTitle = QStringLiteral("FTP-Upload");

QString uploadedListsFile()
{
    return appDataFile(QString::fromLatin1(kUploadedPriceListsFile));
}

QJsonObject readUploadedLists()
{
    QFile file(uploadedListsFile());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

// The folder on the server the form goes to: the list lies beside it.
QString uploadTarget(const ProjectDocument &project)
{
    QString folder = project.setting(QStringLiteral("edtFolder")).trimmed();
    while (folder.endsWith(u'/'))
        folder.chop(1);
    return QStringLiteral("%1@%2:%3/%4")
        .arg(project.setting(QStringLiteral("edtUsername")).trimmed(),
             project.setting(QStringLiteral("edtFtpServer")).trimmed().toLower(),
             project.setting(QStringLiteral("edtPort")).trimmed(), folder);
}

void rememberUpload(const QString &target, const QString &fingerprint)
{
    QJsonObject lists = readUploadedLists();
    lists.insert(target, fingerprint);
    QDir().mkpath(QFileInfo(uploadedListsFile()).path());
    QString ignored;
    writeFileSafely(uploadedListsFile(), QJsonDocument(lists).toJson(), &ignored);
}

} // namespace

void exportPriceList(QWidget *parent, UserQuestions &dialogs, const ProjectDocument &project)
{
    const QString title = QString::fromUtf16(kExportPriceListCommand);
    const QString path = dialogs.saveFileName(parent, QStringLiteral("Speichern unter"),
                                              QString::fromLatin1(kPriceListFileName),
                                              QStringLiteral("Preisliste (*.json)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!writeFileSafely(path, priceListJson(project), &error))
        dialogs.tell(parent, QMessageBox::Critical, title, error);
}

QString priceListFingerprint(const ProjectDocument &project)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(priceListJson(project), QCryptographicHash::Sha256).toHex());
}

QString uploadedPriceListFingerprint(const ProjectDocument &project)
{
    return readUploadedLists().value(uploadTarget(project)).toString();
}

std::optional<PriceListUpload> preparePriceListUpload(const ProjectDocument &project,
                                                      QString *error)
{
    PriceListUpload upload;
    const QString fingerprint = priceListFingerprint(project);
    const QString target = uploadTarget(project);
    if (!project.flag(QString::fromUtf16(kPriceListUploadKey))) {
        const QString uploaded = uploadedPriceListFingerprint(project);
        upload.stale = !uploaded.isEmpty() && uploaded != fingerprint;
        upload.remember = [] {};
        return upload;
    }
    const QString name = QString::fromLatin1(kPriceListFileName);
    const QString local = QDir(tempFolder()).filePath(QStringLiteral("vq_") + name);
    if (!writeFileSafely(local, priceListJson(project), error))
        return std::nullopt;
    upload.files << TAlsoUploaded{local, name};
    upload.remember = [target, fingerprint] { rememberUpload(target, fingerprint); };
    return upload;
}

std::optional<PriceListUpload> priceListForUpload(QWidget *parent, UserQuestions &dialogs,
                                                  const ProjectDocument &project)
{
    QString error;
    std::optional<PriceListUpload> upload = preparePriceListUpload(project, &error);
    if (!upload) {
        dialogs.tell(parent, QMessageBox::Critical, kUploadTitle, error);
        return std::nullopt;
    }
    if (upload->stale
        && !dialogs.askWarningYesNo(
            parent, kUploadTitle,
            QStringLiteral(
                "Die Preise des Projekts haben sich geändert, seit die Preisliste "
                "vq_preisliste.json zuletzt in dieses Verzeichnis hochgeladen wurde. Mit der "
                "alten Preisliste lehnt der Formmailer Bestellungen zu den neuen Preisen "
                "ab.\r\n\r\n"
                "Schalten Sie auf dem Reiter \u201EFTP + Spamschutz\u201C \u201EPreisliste neben "
                "das Formular hochladen\u201C ein oder laden Sie die Preisliste aus "
                "\u201EExport \u2013 Preisliste Export\u201C selbst hoch.\r\n\r\n"
                "Trotzdem fortfahren?")))
        return std::nullopt;
    return upload;
}

} // namespace vq::ui
