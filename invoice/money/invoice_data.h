// Everything the invoice of one order shows, read once: the client, the order
// (with its invoice date once issued), its lines with their options, and the
// amounts worked out once by the money rule. The printed invoice, the
// XRechnung and the ZUGFeRD PDF are all made from one such value.
#pragma once

#include "invoice/money/order_amounts.h"

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
    TBestellung order;
    QList<TArtikel> lines; // by article number, each with its options
    OrderAmounts amounts;  // of lines, in their order
    // Set for a cancellation invoice (order.stornoZu).
    std::optional<PrecedingInvoice> preceding;
};

// Puts the parts together and works out the amounts; nullopt with a German
// *error when they do not fit (order_amounts.h).
inline std::optional<InvoiceData> makeInvoiceData(const TMandant &client, const TBestellung &order,
                                                  const QList<TArtikel> &lines, QString *error)
{
    auto amounts = orderAmounts(order, lines, error);
    if (!amounts)
        return std::nullopt;
    return InvoiceData{client, order, lines, std::move(*amounts), std::nullopt};
}

} // namespace vq::invoice
