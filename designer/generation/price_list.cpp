#include "designer/generation/price_list.h"

#include "common/text_file.h"
#include "designer/generation/order/number_notation.h"

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

QByteArray priceListJson(const ProjectDocument &project)
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
                values.append(
                    QJsonObject{{QStringLiteral("text"), asOnPage(element.name, utf8Page)},
                                {QStringLiteral("surcharge"), priceKey(element.preis)}});
            }
            options.append(
                QJsonObject{{QStringLiteral("name"), asOnPage(option->beschriftung, utf8Page)},
                            {QStringLiteral("values"), values}});
        }
        // A fixed-price article (shipping) belongs to every order: the page
        // always posts it once, and the form mailer refuses an order without it.
        articles.append(
            QJsonObject{{QStringLiteral("number"), asOnPage(artikel->artikelNummer, utf8Page)},
                        {QStringLiteral("name"), asOnPage(artikel->name, utf8Page)},
                        {QStringLiteral("price"), scriptNumber(artikel->preis)},
                        {QStringLiteral("vat"), scriptNumber(artikel->mwst)},
                        {QStringLiteral("fixed"), artikel->artikelTyp == 1},
                        {QStringLiteral("options"), options}});
    }
    // The VAT mode is a hidden field of the page too: the form mailer refuses
    // an order that claims the other one.
    const bool netto =
        project.ExtSettings.tax.compare(QLatin1String("netto"), Qt::CaseInsensitive) == 0;
    const QJsonObject root{
        {QStringLiteral("format"), QStringLiteral("vq-preisliste")},
        {QStringLiteral("version"), 1},
        {QStringLiteral("tax"), netto ? QStringLiteral("netto") : QStringLiteral("brutto")},
        {QStringLiteral("articles"), articles}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace vq
