#include "designer/publishing/formmailer_list.h"

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

} // namespace vq
