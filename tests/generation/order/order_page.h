// Fills a small host page with the order-table pieces the way the page
// templates hold them, for the tests that run the result in a browser or PHP.
#pragma once

#include "designer/generation/order/order_table.h"

#include <QString>

namespace vq::test {

enum class PageKind { Html, Php };

inline QString fillOrderMarkers(QString page, const TArtikelList &articles,
                                const OrderTableSettings &settings, PageKind kind, bool css = false)
{
    QString rows, scripts, functions, optionVars;
    for (size_t i = 0; i < articles.size(); ++i) {
        const TArtikelField &a = *articles[i];
        rows += kind == PageKind::Php ? generatePHPField(a, css, int(i), settings)
                                      : generateHTMLField(a, css, int(i), settings);
        scripts += generateJSField(a, int(i), settings);
        for (size_t j = 0; j < a.listOptionen.size(); ++j) {
            functions += generateAdditionalPHPFunctions(*a.listOptionen[j], int(i), int(j));
            optionVars += generatePHPVar(*a.listOptionen[j], int(i), int(j));
        }
    }
    page.replace(QStringLiteral("<!-- OPTIONVAR -->"), optionVars);
    page.replace(QStringLiteral("<!-- BESTELLFELDER -->"), rows);
    page.replace(QStringLiteral("<!-- JSFIELDS -->"), scripts);
    page.replace(QStringLiteral("<!-- ADDIONALPHP -->"), functions);
    page.replace(QStringLiteral("<!-- GESAMTKOSTEN -->"), gesamtKostenScript(articles, settings));
    page.replace(QStringLiteral("<!-- STEUER -->"), steuerScript(articles, settings));
    page.replace(QStringLiteral("<!-- INSERTSTEUER -->"), insertSteuerScript(articles, settings));
    page.replace(QStringLiteral("<!-- ARTIKELDATEN -->"), artikelDaten(articles, settings));
    page.replace(QStringLiteral("<!-- ANZAHL -->"), QString::number(articles.size()));
    page.replace(QStringLiteral("<!-- CURRENCY -->"), settings.currency);
    return applyVatRow(page, articles, settings);
}

} // namespace vq::test
