#include "price_list.h"

#include "number_notation.h"
#include "text_file.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vq {

namespace {

// A text as the page carries it: a Windows-1252 page turns what it cannot
// hold into "?".
QString asOnPage(const QString &text, bool utf8Page)
{
    return utf8Page ? text : fromWindows1252(toWindows1252(text));
}

} // namespace

QByteArray priceListJson(const TProjectDocument &project)
{
    const bool utf8Page = project.ExtSettings.encoding == QLatin1String("utf-8");
    QJsonArray articles;
    for (const auto &artikel : project.ListArtikel) {
        QJsonArray options;
        for (const auto &option : artikel->listOptionen) {
            if (option->kind() != OptionKind::Price)
                continue;
            QJsonArray values;
            for (const TPriceOptionElement &element :
                 static_cast<const TSelectPriceOption &>(*option).elements) {
                values.append(QJsonObject{{QStringLiteral("text"), asOnPage(element.name, utf8Page)},
                                          {QStringLiteral("surcharge"), priceKey(element.preis)}});
            }
            options.append(QJsonObject{{QStringLiteral("name"), asOnPage(option->beschriftung, utf8Page)},
                                       {QStringLiteral("values"), values}});
        }
        articles.append(QJsonObject{{QStringLiteral("number"), asOnPage(artikel->artikelNummer, utf8Page)},
                                    {QStringLiteral("name"), asOnPage(artikel->name, utf8Page)},
                                    {QStringLiteral("price"), scriptNumber(artikel->preis)},
                                    {QStringLiteral("vat"), scriptNumber(artikel->mwst)},
                                    {QStringLiteral("options"), options}});
    }
    const QJsonObject root{{QStringLiteral("format"), QStringLiteral("vq-preisliste")},
                           {QStringLiteral("version"), 1},
                           {QStringLiteral("articles"), articles}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace vq
