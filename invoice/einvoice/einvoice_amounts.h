// The amounts of an electronic invoice from an order whose prices include
// VAT: every line's gross amount as the printed invoice shows it, net line
// amounts, and per VAT rate the taxable amount and the VAT, all in cents, so
// that the official rules (line amounts add up to each rate's taxable amount,
// taxable amount plus VAT gives the gross) hold exactly and the gross total
// equals the printed invoice's total to the cent.
#pragma once

#include <QList>

namespace vq::invoice {

struct TEInvoiceLineInput
{
    int quantity = 0;
    double grossUnitPrice = 0; // price plus the surcharges of the options, VAT included
    double vatRate = 0;        // percent
};

struct TEInvoiceLineAmounts
{
    qint64 grossCents = 0; // quantity × gross unit price, as printed
    qint64 netCents = 0;
};

struct TEInvoiceVatGroup
{
    double rate = 0;
    qint64 basisCents = 0; // taxable amount
    qint64 vatCents = 0;
};

struct TEInvoiceAmounts
{
    QList<TEInvoiceLineAmounts> lines; // in the order of the input
    QList<TEInvoiceVatGroup> groups;   // by rising rate
    qint64 netTotalCents = 0;
    qint64 vatTotalCents = 0;
    qint64 grossTotalCents = 0;
};

// Works the amounts out. The gross total is the exact sum of the lines
// rounded to cents, as the printed invoice shows it; a line whose rounding
// makes the lines miss it takes the difference.
TEInvoiceAmounts computeEInvoiceAmounts(const QList<TEInvoiceLineInput> &lines);

} // namespace vq::invoice
