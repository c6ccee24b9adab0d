#include "designer/publishing/ftp_profiles.h"

#include "common/xml_document.h"
#include "common/xml_values.h"

#include <QFileInfo>

namespace vq {

QList<TFtpProfile> readFtpProfiles(const QString &path, QString *error)
{
    QList<TFtpProfile> profiles;
    if (error)
        error->clear();
    if (!QFileInfo::exists(path))
        return profiles;
    XmlDocument document;
    QString parseError;
    if (!document.loadFile(path, &parseError)) {
        if (error)
            *error = parseError;
        return profiles;
    }
    const QDomElement list = findChild(document.root(), QStringLiteral("profiles"));
    if (list.isNull()) {
        if (error)
            *error = QStringLiteral("Die Datei \"%1\" enthält keine Profile (\"profiles\" fehlt).")
                         .arg(path);
        return profiles;
    }
    for (const QDomElement &element : childElements(list)) {
        TFtpProfile profile;
        const char *const names[] = {"profilename",  "server",   "port",
                                     "benutzername", "passwort", "passiv"};
        QString texts[6];
        for (int i = 0; i < 6; ++i) {
            const QDomElement child = findChild(element, QString::fromLatin1(names[i]));
            if (child.isNull()) {
                if (error)
                    *error = QStringLiteral("Ein Profil in \"%1\" ist unvollständig: \"%2\" fehlt.")
                                 .arg(path, QString::fromLatin1(names[i]));
                return profiles;
            }
            texts[i] = elementText(child);
        }
        const auto passiv = readXmlBool(texts[5]);
        if (!passiv) {
            if (error)
                *error =
                    QStringLiteral("Ein Profil in \"%1\" hat keinen gültigen Passivmodus: \"%2\".")
                        .arg(path, texts[5]);
            return profiles;
        }
        profile.profilname = texts[0];
        profile.server = texts[1];
        profile.port = texts[2];
        profile.benutzername = texts[3];
        profile.passwort = texts[4];
        profile.passiv = *passiv;
        const QDomElement ftps = findChild(element, QStringLiteral("ftps"));
        profile.ftps = !ftps.isNull() && readXmlBool(elementText(ftps)).value_or(false);
        profile.caFile = elementText(findChild(element, QStringLiteral("zertifikat")));
        profiles << profile;
    }
    return profiles;
}

bool writeFtpProfiles(const QString &path, const QList<TFtpProfile> &profiles, QString *error)
{
    XmlDocument document = XmlDocument::withRoot(QStringLiteral("xml"));
    QDomElement list = appendElement(document.root(), QStringLiteral("profiles"));
    for (const TFtpProfile &profile : profiles) {
        QDomElement element = appendElement(list, QStringLiteral("profile"));
        appendTextElement(element, QStringLiteral("profilename"), profile.profilname);
        appendTextElement(element, QStringLiteral("server"), profile.server);
        appendTextElement(element, QStringLiteral("port"), profile.port);
        appendTextElement(element, QStringLiteral("benutzername"), profile.benutzername);
        appendTextElement(element, QStringLiteral("passwort"), profile.passwort);
        appendTextElement(element, QStringLiteral("passiv"), boolText(profile.passiv));
        appendTextElement(element, QStringLiteral("ftps"), boolText(profile.ftps));
        appendTextElement(element, QStringLiteral("zertifikat"), profile.caFile);
    }
    // The file holds the FTP passwords: for its owner's eyes only, like the
    // invoice database.
    return document.saveFile(path, error, FileAccess::OwnerOnly);
}

} // namespace vq
