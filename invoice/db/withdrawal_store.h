// Consumers' withdrawals (table Widerruf): stored with the order they name,
// which then shows the state "Widerrufen", or unmatched when no order fits.
//
// The cancellation that follows a withdrawal starts from the withdrawn
// order's id (TWiderruf::bestellungId, WithdrawalStore::withdrawals).
#pragma once

#include "invoice/db/invoice_connection.h"
#include "invoice/records/withdrawal.h"

#include <QList>

namespace vq::invoice {

// The state a withdrawn order gets (table Status).
inline constexpr char16_t kWithdrawnState[] = u"Widerrufen";

struct WithdrawalStoreResult
{
    // Matched: stored with its order, whose state is now "Widerrufen".
    // Unmatched: stored without an order. AlreadyThere: a withdrawal with
    // that identifier is stored. Refused: it cannot be stored as it is
    // (lastError() says why). Failed: the database failed or stayed locked.
    enum Outcome { Matched, Unmatched, AlreadyThere, Refused, Failed };
    Outcome outcome = Failed;
    std::optional<int> bestellungId;
};

class WithdrawalStore
{
public:
    explicit WithdrawalStore(InvoiceConnection &db)
        : m_db(db)
    {
    }

    // Stores a withdrawal for the client in one transaction: the order is the
    // client's order with the given order number (its identifier, letter case
    // and blanks aside), else the one order of the client with the given
    // e-mail address placed on the given order date; several or none leave
    // the withdrawal unmatched.
    WithdrawalStoreResult storeWithdrawal(TWiderruf withdrawal, int mandantId);

    // The client's withdrawals, newest first; nullopt when the statement fails.
    std::optional<QList<TWiderruf>> withdrawals(int mandantId);
    // The withdrawals of one order, oldest first.
    std::optional<QList<TWiderruf>> withdrawalsOfOrder(int bestellungId);

    // The id of the state "Widerrufen", made again when the user deleted it.
    std::optional<int> withdrawnStateId();

private:
    std::optional<std::optional<int>> matchingOrder(const TWiderruf &withdrawal, int mandantId);
    std::optional<QList<TWiderruf>> select(const QString &where, const QVariant &value,
                                           const QString &order);

    InvoiceConnection &m_db;
};

} // namespace vq::invoice
