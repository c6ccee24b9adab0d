// Everything the invoice of one order shows, read once: the client, the order
// (with its invoice date once issued), its lines with their options, and the
// amounts worked out once by the money rule. The printed invoice, the
// XRechnung and the ZUGFeRD PDF are all made from one such value.
#pragma once

#include "invoice/money/order_amounts.h"
#include "invoice/money/tax_case.h"

namespace vq::invoice {

// The invoice a cancellation invoice cancels: its printed number and date.
struct PrecedingInvoice
{
    QString number;
    QDate date;
};

struct InvoiceData
{
    TMandant client;
    // order.netto says how the lines' prices are, as invoiced.
    TBestellung order;
    // By article number, each with its options, as the tax case invoices them.
    QList<TArtikel> lines;
    OrderAmounts amounts; // of lines, in their order
    // Set for a cancellation invoice (order.stornoZu).
    std::optional<PrecedingInvoice> preceding;
    TaxCase taxCase = TaxCase::Domestic;
};

// Puts the parts together under the order's tax case (tax_case.h) and works
// out the amounts; nullopt with a German *error when they do not fit
// (order_amounts.h).
inline std::optional<InvoiceData> makeInvoiceData(const TMandant &client, const TBestellung &order,
                                                  const QList<TArtikel> &lines, QString *error)
{
    InvoiceData data{client, order, {}, {}, std::nullopt, taxCaseOf(client, order)};
    data.lines = invoicedLines(data.taxCase, order.netto, lines, &data.order.netto);
    auto amounts = orderAmounts(data.order, data.lines, error);
    if (!amounts)
        return std::nullopt;
    data.amounts = std::move(*amounts);
    return data;
}

} // namespace vq::invoice
