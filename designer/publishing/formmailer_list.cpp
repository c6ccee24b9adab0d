#include "designer/publishing/formmailer_list.h"

#include "designer/model/project_document.h"
#include <QUrl>

#include "common/xml_document.h"

namespace vq {

QStringList readFormMailerList(const QString &path)
{
    QStringList result;
    XmlDocument doc;
    if (!doc.loadFile(path, nullptr))
        return result;
    const QDomElement list = findChild(doc.root(), QStringLiteral("formmailers"));
    for (const QDomElement &entry : childElements(list))
        result.append(elementText(entry));
    return result;
}

bool writeFormMailerList(const QString &path, const QStringList &addresses, QString *error)
{
    XmlDocument doc = XmlDocument::withRoot(QStringLiteral("xml"));
    QDomElement list = appendElement(doc.root(), QStringLiteral("formmailers"));
    for (const QString &address : addresses)
        appendTextElement(list, QStringLiteral("formmail"), address);
    return doc.saveFile(path, error);
}

bool postsToOwnFormMailer(const ProjectDocument &project)
{
    const QString address = project.setting(QStringLiteral("cboFormMailer")).trimmed();
    if (address.isEmpty())
        return false;
    if (project.FormMailerList.contains(address, Qt::CaseInsensitive))
        return true;
    const QString path = QUrl(address).path();
    return path.compare(u"formmail.php", Qt::CaseInsensitive) == 0
           || path.endsWith(u"/formmail.php", Qt::CaseInsensitive);
}

QString captchaWarning(const ProjectDocument &project)
{
    if (project.flag(QStringLiteral("chkCaptcha")) || !postsToOwnFormMailer(project))
        return {};
    return QStringLiteral(
               "Der Captcha-Spamschutz ist in diesem Projekt ausgeschaltet, das Formular sendet "
               "aber an den Formmailer „%1“. Verlangt dieser einen Sicherheitscode "
               "(captcha_required in formmail.config.php, so wird er ausgeliefert), weist er "
               "jede Bestellung ab. Schalten Sie unter „FTP + Spamschutz“ "
               "„Captcha-Spamschutz aktivieren“ ein oder stellen Sie captcha_required in "
               "formmail.config.php auf false.")
        .arg(project.setting(QStringLiteral("cboFormMailer")).trimmed());
}

} // namespace vq
