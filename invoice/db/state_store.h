// Order states (table Status), as the state editor changes them.
#pragma once

#include "invoice/db/invoice_connection.h"
#include "invoice/records/database_rows.h"

namespace vq::invoice {

// The state every new order gets; it cannot be deleted.
inline constexpr int kNewOrderState = 1;
inline constexpr char16_t kTextNewOrderStateKept[] =
    u"Dieser Status kann nicht gelöscht werden, da jede neue Bestellung ihn erhält.";

class StateStore
{
public:
    explicit StateStore(InvoiceConnection &db)
        : m_db(db)
    {
    }

    // nullopt when the statement fails (db.lastError() says why).
    std::optional<QList<StatusRow>> states();
    std::optional<int> insertState(const QString &name);
    bool renameState(int id, const QString &name);
    // Deleting state 1 (every new order gets it) or a state an order uses is
    // refused with the state editor's message.
    bool deleteState(int id, QString *message);

private:
    InvoiceConnection &m_db;
};

} // namespace vq::invoice
