// The order table of generated pages: article rows (HTML and PHP), option
// controls and variables, line/total/VAT scripts, option-price functions,
// hidden order fields and the VAT row rule.
#pragma once

#include "designer/model/uArtikelField.h"

#include <QLocale>
#include <QString>

namespace vq {

// What the order-table pieces read besides the articles themselves.
struct OrderTableSettings
{
    QString currency;  // edtWaehrung, inserted as typed
    QString mwstLabel; // edtMwstLabel
    QString tax;       // ExtSettings.tax: "brutto" or "netto"
    QLocale locale;    // regional settings for F2, M and K (price value keys)
};

// True when at least one article has a VAT rate other than 0.
bool orderHasVat(const TArtikelList &articles);

// Article pieces; fieldNo is the article's position i.
QString generateHTMLField(const TArtikelField &artikel, bool css, int fieldNo,
                          const OrderTableSettings &settings);
QString generatePHPField(const TArtikelField &artikel, bool css, int fieldNo,
                         const OrderTableSettings &settings);
QString generateJSField(const TArtikelField &artikel, int fieldNo,
                        const OrderTableSettings &settings);

// Option pieces; optNo is the option's position j within its article.
QString generateHTML(const TOptionField &option, bool css, int fieldNo, int optNo,
                     const TArtikelField &artikel, const OrderTableSettings &settings);
QString generatePHP(const TOptionField &option, bool css, int fieldNo, int optNo,
                    const TArtikelField &artikel, const OrderTableSettings &settings);
// Value keys of price options never follow the regional settings.
QString generatePHPVar(const TOptionField &option, int fieldNo, int optNo);
QString generateAdditionalPHPFunctions(const TOptionField &option, int fieldNo, int optNo);

// Marker contents.
QString gesamtKostenScript(const TArtikelList &articles,
                           const OrderTableSettings &settings); // <!-- GESAMTKOSTEN -->
QString steuerScript(const TArtikelList &articles,
                     const OrderTableSettings &settings); // <!-- STEUER -->
// Without VAT the text is the marker "<!-- INSERTSTEUER -->" itself, so replacing
// the marker by it leaves the marker in the page.
QString insertSteuerScript(const TArtikelList &articles,
                           const OrderTableSettings &settings); // <!-- INSERTSTEUER -->
QString artikelDaten(const TArtikelList &articles,
                     const OrderTableSettings &settings); // <!-- ARTIKELDATEN -->

// The VAT row rule: with VAT, fills "<!-- MWSTLABEL-->" and "<!-- MWSTWAEHRUNG-->";
// without, removes "<!-- MWSTSTART-->" through "<!-- MWSTEND-->".
QString applyVatRow(const QString &page, const TArtikelList &articles,
                    const OrderTableSettings &settings);

} // namespace vq
