// Invoice numbers: the next one for an order typed in or one that came by
// mail, and the order that already holds a number.
#pragma once

#include "invoice/db/invoice_connection.h"
#include "invoice/records/invoice_records.h"

namespace vq::invoice {

class InvoiceNumberStore
{
public:
    explicit InvoiceNumberStore(InvoiceConnection &db)
        : m_db(db)
    {
    }

    // An order typed in: highest number of that client + 1. An order that
    // came by e-mail: highest number over all clients + 1. nullopt when the
    // highest number cannot be read (db.lastError() says why), never number 1.
    std::optional<int> nextInvoiceNumberForClient(int mandantId);
    std::optional<int> nextInvoiceNumberForMail();
    // Another order of the client that holds that invoice number (the one
    // with the lowest key when several do), leaving out exceptOrderId. An
    // invoice number names one invoice of a seller, so a number typed in must
    // not be one of these. nullopt with an empty lastError() when there is none.
    std::optional<TBestellung> orderWithInvoiceNumber(int mandantId, int rechNr, int exceptOrderId);

private:
    // The number after the highest one read (NULL: none yet).
    std::optional<int> nextAfter(const std::optional<QVariant> &highest);

    InvoiceConnection &m_db;
};

} // namespace vq::invoice
