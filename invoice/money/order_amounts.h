// What an order costs, by the one rule the order page, the form mailer and the
// invoice share:
//
//   line total = quantity x (unit price + surcharges of its options), exact,
//                rounded to the cent;
//   per VAT rate, S = the sum of the rate's line totals:
//     prices with VAT ("brutto"): VAT = S x r / (100 + r), net = S - VAT, gross = S;
//     prices without VAT ("netto"): VAT = S x r / 100, net = S, gross = S + VAT;
//   the VAT rounded to the cent; totals = the sums of the rates' figures.
//
// Rounding is always half away from zero. Prices are exact to a millionth;
// everything printed is integer cents, so what an invoice prints adds up: the
// line totals add up to the rates' sums, the nets and VATs of the rates to the
// total. An amount that does not fit is an error, never a figure.
#pragma once

#include "invoice/records/invoice_records.h"

#include <QList>
#include <QString>
#include <optional>

namespace vq::invoice {

// The largest line total and unit price an order may hold: 10^9 in the currency.
inline constexpr qint64 kMaxLineTotalCents = 100'000'000'000LL;

// One line as the rule needs it.
struct OrderLineInput
{
    qint64 quantity = 0;
    double unitPrice = 0;     // as stored: gross or net, as the order's prices are
    QList<double> surcharges; // of the options that have a price
    double vatRate = 0;       // percent, 0 to 100, up to two decimals count
};

struct OrderLineAmounts
{
    qint64 totalCents = 0; // what the line costs, as printed: gross or net
    qint64 netCents = 0;   // its share of its rate's net
    qint64 vatCents = 0;   // its share of its rate's VAT
};

struct VatRateAmounts
{
    double rate = 0; // percent
    qint64 netCents = 0;
    qint64 vatCents = 0;
    qint64 grossCents = 0; // net + VAT
};

struct OrderAmounts
{
    bool net = false;              // the prices are without VAT
    QList<OrderLineAmounts> lines; // in the order of the input
    QList<VatRateAmounts> rates;   // by rising rate, only rates that occur
    qint64 netCents = 0;
    qint64 vatCents = 0;
    qint64 grossCents = 0; // what is owed
};

// Applies the rule. nullopt with a German *error for a price, surcharge, rate
// or quantity that is not a number, a VAT rate outside 0 to 100, or a line
// total beyond kMaxLineTotalCents.
std::optional<OrderAmounts> computeOrderAmounts(const QList<OrderLineInput> &lines, bool netPrices,
                                                QString *error);

// The same for a stored order and its lines (with their options), as the
// prices and rates stand.
std::optional<OrderAmounts> orderAmounts(const TBestellung &order, const QList<TArtikel> &lines,
                                         QString *error);
// What the client's invoice of the order costs: the lines as its tax case
// invoices them (tax_case.h).
std::optional<OrderAmounts> invoiceAmounts(const TMandant &client, const TBestellung &order,
                                           const QList<TArtikel> &lines, QString *error);

// quantity x price in cents, exact and rounded as a line total; nullopt when it
// is beyond kMaxLineTotalCents or no number.
std::optional<qint64> amountCents(qint64 quantity, double price);
// The VAT of an amount at a rate by the rule: contained in it with prices that
// include VAT, added to it without.
qint64 vatOfCents(qint64 cents, double rate, bool netPrices);

// Cents as a decimal text with a point and two decimals ("-92.05"), as the
// electronic invoice writes amounts.
QString centsText(qint64 cents);
// A decimal text ("12.99", "12,99", "-2.5") in cents, rounded half away from
// zero; nullopt when it is none or too large.
std::optional<qint64> parseCents(const QString &text);

} // namespace vq::invoice
