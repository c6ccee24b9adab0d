// What the import remembers of the messages of a client's mailbox, and
// storing an order that came by mail.
#pragma once

#include "invoice/db/invoice_connection.h"
#include "invoice/records/database_rows.h"
#include "invoice/records/invoice_records.h"

#include <QStringList>

namespace vq::invoice {

// The longest order identifier stored (Text(255)); a longer one is refused.
inline constexpr int kMaxUuidLength = 255;

class MailboxStore
{
public:
    explicit MailboxStore(InvoiceConnection &db)
        : m_db(db)
    {
    }

    // Messages of a client's mailbox the import has seen before; nullopt when
    // the statement fails (db.lastError() says why).
    std::optional<QList<KnownMessage>> knownMessages(int mandantId, const QString &mailbox);
    bool rememberMessages(int mandantId, const QString &mailbox,
                          const QList<KnownMessage> &messages);
    // Forgets every message of the mailbox whose id is not in keep.
    bool forgetMessagesExcept(int mandantId, const QString &mailbox,
                              const QList<KnownMessage> &known, const QStringList &keep);

    // Number of stored orders with that identifier, over all clients; -1 when
    // the statement fails.
    int countOrdersWithUuid(const QString &uuid);

    // Stores an order that came by mail with its lines and options, the next
    // mail invoice number and state 1, all in one transaction that holds the
    // write lock from the check of the identifier on, together with what the
    // import remembers of its message (when given; also when the order is
    // already there). On failure nothing of it is stored.
    MailOrderStore storeMailOrder(TBestellung order, const QList<TArtikel> &lines, int mandantId,
                                  const QString &mailbox, const KnownMessage *message);

private:
    bool rememberMessage(int mandantId, const QString &mailbox, const KnownMessage &message);

    InvoiceConnection &m_db;
};

} // namespace vq::invoice
