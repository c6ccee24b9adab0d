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

    // The running range (orders of a yearly range do not count):
    // an order typed in: highest number of that client + 1. An order that
    // came by e-mail: highest number over all clients + 1. nullopt when the
    // highest number cannot be read (db.lastError() says why), never number 1.
    std::optional<int> nextInvoiceNumberForClient(int mandantId);
    std::optional<int> nextInvoiceNumberForMail();
    // A yearly range: the number after the highest one of the client in that
    // year, or first when the year has none yet. Drawn at issue only, inside
    // the transaction that issues, so the range has no gaps.
    std::optional<int> nextYearlyNumber(int mandantId, int year, int first);
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
