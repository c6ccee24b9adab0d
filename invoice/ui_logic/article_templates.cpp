#include "invoice/ui_logic/article_templates.h"

#include "common/xml_document.h"

#include <QDir>
#include <QFile>
#include <QLocale>

namespace vq::invoice {

QList<ArticleTemplate> readArticleTemplates(const QString &path, QString *error)
{
    const auto fail = [&](const QString &reason) {
        if (error)
            *error = QStringLiteral("Die Artikelvorlagen in „%1“ konnten nicht gelesen werden: %2")
                         .arg(QDir::toNativeSeparators(path), reason);
        return QList<ArticleTemplate>();
    };
    if (error)
        error->clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    // At most one byte more than a library may hold: a larger file is not read whole.
    const QByteArray bytes = file.read(kMaxArticleTemplateFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    if (bytes.size() > kMaxArticleTemplateFileSize)
        return fail(QStringLiteral("Die Datei ist größer als %1 MB.")
                        .arg(kMaxArticleTemplateFileSize / (1024 * 1024)));
    vq::XmlDocument doc;
    QString reason;
    if (!doc.parse(bytes, &reason))
        return fail(reason);

    QList<ArticleTemplate> result;
    const auto text = [](const QDomElement &element, const char *name) {
        return vq::elementText(vq::findChild(element, QString::fromLatin1(name)));
    };
    for (QDomElement element = doc.root().firstChildElement(); !element.isNull();
         element = element.nextSiblingElement()) {
        if (result.size() == kMaxArticleTemplates) {
            if (error)
                *error = QStringLiteral("Die Datei „%1“ enthält mehr als %2 Artikelvorlagen; nur "
                                        "die ersten %2 werden gezeigt.")
                             .arg(QDir::toNativeSeparators(path),
                                  QLocale().toString(kMaxArticleTemplates));
            break;
        }
        result.append({text(element, "artikelNummer"), text(element, "name"),
                       text(element, "preis"), text(element, "mwst")});
    }
    return result;
}

} // namespace vq::invoice
