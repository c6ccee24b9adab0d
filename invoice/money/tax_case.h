// The tax case of an invoice: how VAT applies to the order, which note the
// invoice must print and which VAT category its e-invoice names.
//
//   domestic ("Inland", also the empty text): VAT as the lines' rates say;
//   small business (the client's setting, section 19 of the VAT act): no VAT
//     is charged or shown, the prices stand as they are;
//   intra-community delivery ("innergemeinschaftlich") to a business with a
//     VAT identification number in another EU state, reverse charge
//     ("ReverseCharge", the buyer owes the VAT) and export outside the EU
//     ("Ausfuhr"): no VAT; an order priced with VAT is invoiced at its net
//     prices, each price's VAT taken out by the money rule.
#pragma once

#include "invoice/records/invoice_records.h"

#include <QList>
#include <QString>
#include <optional>

namespace vq::invoice {

enum class TaxCase { Domestic, SmallBusiness, IntraCommunity, ReverseCharge, Export };

// The values the order's tax case is stored as (Bestellung_Steuerfall).
inline constexpr char16_t kSteuerfallInland[] = u"Inland";
inline constexpr char16_t kSteuerfallInnergemeinschaftlich[] = u"innergemeinschaftlich";
inline constexpr char16_t kSteuerfallReverseCharge[] = u"ReverseCharge";
inline constexpr char16_t kSteuerfallAusfuhr[] = u"Ausfuhr";

// The case a stored text names; the empty text is domestic; nullopt for a
// text that names none (any letter case is taken).
std::optional<TaxCase> taxCaseFromText(const QString &steuerfall);
// The text an order stores for a case chosen per order (never SmallBusiness,
// which is the client's).
QString taxCaseText(TaxCase taxCase);
// What the editor's list shows ("Inland", "Innergemeinschaftliche Lieferung", ...).
QString taxCaseLabel(TaxCase taxCase);

// The case an invoice of the client for the order falls under: a small
// business charges no VAT whatever the order says; an unknown text counts
// as domestic (the check before issue names it).
TaxCase taxCaseOf(const TMandant &client, const TBestellung &order);

inline bool chargesVat(TaxCase taxCase)
{
    return taxCase == TaxCase::Domestic;
}

// The order's lines as invoiced under the case: unchanged when VAT is
// charged; otherwise at rate 0 and, where the order's prices held VAT (and
// the case is not a small business's), at their net prices: each unit price
// and surcharge less its VAT by the money rule, in cents. Sets *netPrices to
// whether the result's prices are without VAT. Applying it to its own result
// (with *netPrices) changes nothing more.
QList<TArtikel> invoicedLines(TaxCase taxCase, bool orderNetPrices, const QList<TArtikel> &lines,
                              bool *netPrices);

// The sentence the law wants on the invoice of the case, naming the VAT
// identification numbers it needs; empty for a domestic invoice.
QString taxCaseNote(TaxCase taxCase, const TMandant &client, const TBestellung &order);

} // namespace vq::invoice
