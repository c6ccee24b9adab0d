// The invoice number as an invoice prints it: the one place that decides its
// printed form, for the template's Bestellung_RechNr and the payment code's
// remittance text alike.
#pragma once

#include "invoice/money/invoice_data.h"

#include <QString>

namespace vq::invoice {

// "17" for invoice number 17; empty while the order has none.
inline QString printedInvoiceNumber(const InvoiceData &data)
{
    return data.order.rechNr ? QString::number(*data.order.rechNr) : QString();
}

} // namespace vq::invoice
