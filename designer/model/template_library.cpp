#include "designer/model/template_library.h"

#include "common/xml_document.h"
#include "designer/model/model_error.h"

namespace vq {

namespace {

bool loadLibrary(const QString &path, XmlDocument &doc, QString *error)
{
    return doc.loadFile(path, error);
}

QDomElement templateAt(XmlDocument &doc, int index, const QString &path, QString *error)
{
    const QList<QDomElement> templates = childElements(doc.root());
    if (index >= templates.size()) {
        if (error)
            *error = QStringLiteral("Vorlage %1 fehlt in \"%2\"").arg(index + 1).arg(path);
        return {};
    }
    return templates[index];
}

} // namespace

QStringList readTemplateCaptions(const QString &path, const QString &tag, QString *error)
{
    QStringList captions;
    XmlDocument doc;
    if (!loadLibrary(path, doc, error))
        return captions;
    for (const QDomElement &element : childElements(doc.root())) {
        const QDomElement caption = findChild(element, tag);
        if (caption.isNull()) {
            if (error)
                *error = QStringLiteral("Vorlage %1 in \"%2\" hat kein Element \"%3\"")
                             .arg(captions.size() + 1)
                             .arg(path, tag);
            return captions;
        }
        captions.append(elementText(caption));
    }
    return captions;
}

TemplateLists RefreshTemplateLists(const QString &fieldLibrary, const QString &articleLibrary)
{
    TemplateLists lists;
    lists.fields =
        readTemplateCaptions(fieldLibrary, QString::fromLatin1(kFieldCaptionTag), &lists.error);
    // A field library that cannot be read stops the refresh before the articles.
    if (!lists.error.isEmpty())
        return lists;
    lists.articles =
        readTemplateCaptions(articleLibrary, QString::fromLatin1(kArticleCaptionTag), &lists.error);
    return lists;
}

namespace {

// Reads template `index` of a library with `read` and appends it to `list`.
template <typename List, typename Reader>
bool insertTemplate(const QString &path, int index, List &list, Reader read, QString *error)
{
    if (index < 0)
        return true;
    XmlDocument doc;
    if (!loadLibrary(path, doc, error))
        return false;
    const QDomElement element = templateAt(doc, index, path, error);
    if (element.isNull())
        return false;
    try {
        list.push_back(read(element));
    } catch (const ModelError &e) {
        if (error)
            *error = e.message();
        return false;
    }
    return true;
}

} // namespace

bool insertFieldTemplate(const QString &path, int index, FieldList &fields, QString *error)
{
    return insertTemplate(path, index, fields, CreateFieldFromXML, error);
}

bool insertArticleTemplate(const QString &path, int index, TArtikelList &articles, QString *error)
{
    return insertTemplate(path, index, articles, LoadArtikelFromXML, error);
}

NamedFieldTemplate fieldTemplateNamed(const QString &path, const QString &name)
{
    NamedFieldTemplate result;
    XmlDocument doc;
    result.libraryRead = loadLibrary(path, doc, &result.error);
    if (!result.libraryRead)
        return result;
    for (const QDomElement &element : childElements(doc.root())) {
        const QDomElement nameElement = findChild(element, QStringLiteral("name"));
        if (nameElement.isNull() || elementText(nameElement) != name)
            continue;
        try {
            result.field = CreateFieldFromXML(element);
        } catch (const ModelError &e) {
            result.error =
                QStringLiteral("Vorlage \"%1\" in \"%2\": %3").arg(name, path, e.message());
        }
        break;
    }
    return result;
}

bool saveFieldAsTemplate(const QString &path, const TFormField &field, QString *error)
{
    XmlDocument doc;
    if (!loadLibrary(path, doc, error))
        return false;
    QDomElement element = appendElement(doc.root(), QStringLiteral("feld"));
    field.SetXMLNode(element);
    return doc.saveFile(path, error);
}

bool saveArticleAsTemplate(const QString &path, const TArtikelField &artikel, QString *error)
{
    XmlDocument doc;
    if (!loadLibrary(path, doc, error))
        return false;
    QDomElement element = appendElement(doc.root(), QStringLiteral("feld"));
    SaveArtikelToXML(artikel, element);
    return doc.saveFile(path, error);
}

bool deleteTemplate(const QString &path, int index, QString *error)
{
    XmlDocument doc;
    if (!loadLibrary(path, doc, error))
        return false;
    if (index < 0)
        return true;
    QDomElement element = templateAt(doc, index, path, error);
    if (element.isNull())
        return false;
    doc.root().removeChild(element);
    return doc.saveFile(path, error);
}

} // namespace vq
