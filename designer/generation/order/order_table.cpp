// Placeholder bodies until the order table is built.
#include "order_table.h"

namespace vq {

bool orderHasVat(const TArtikelList &articles)
{
    for (const auto &a : articles)
        if (a->mwst != 0)
            return true;
    return false;
}
QString generateHTMLField(const TArtikelField &, bool, int, const TOrderTableSettings &) { return {}; }
QString generatePHPField(const TArtikelField &, bool, int, const TOrderTableSettings &) { return {}; }
QString generateJSField(const TArtikelField &, int, const TOrderTableSettings &) { return {}; }
QString generateHTML(const TOptionField &, bool, int, int, const TArtikelField &, const TOrderTableSettings &) { return {}; }
QString generatePHP(const TOptionField &, bool, int, int, const TArtikelField &, const TOrderTableSettings &) { return {}; }
QString generatePHPVar(const TOptionField &, int, int) { return {}; }
QString generateAdditionalPHPFunctions(const TOptionField &, int, int) { return {}; }
QString gesamtKostenScript(const TArtikelList &, const TOrderTableSettings &) { return {}; }
QString steuerScript(const TArtikelList &, const TOrderTableSettings &) { return {}; }
QString insertSteuerScript(const TArtikelList &, const TOrderTableSettings &) { return {}; }
QString artikelDaten(const TArtikelList &, const TOrderTableSettings &) { return {}; }
QString applyVatRow(const QString &page, const TArtikelList &, const TOrderTableSettings &) { return page; }

} // namespace vq
