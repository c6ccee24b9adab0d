// Orders (table Bestellung), their lines (Artikel) and the lines' options
// (Optionen), and the order list with each order's total.
#pragma once

#include "invoice/db/invoice_connection.h"
#include "invoice/records/database_rows.h"
#include "invoice/records/invoice_records.h"

namespace vq::invoice {

// Every reading call returns nullopt when a statement fails (db.lastError()
// says why), never an empty list in its place. order() is nullopt also when
// there is no such order; lastError() is empty then.
//
// Lists come in the same order on both back ends: orders oldest first (those
// without a date first), lines by article number in code-point order (those
// without number first), options in the order they were added.
class OrderStore
{
public:
    explicit OrderStore(InvoiceConnection &db)
        : m_db(db)
    {
    }

    std::optional<QList<OrderListRow>> orderList(int mandantId);
    std::optional<QList<TBestellung>> ordersOfClient(int mandantId);
    std::optional<TBestellung> order(int bestellungId);
    std::optional<int> insertOrder(const TBestellung &order);
    // Writes the order and raises its version.
    bool updateOrder(const TBestellung &order);
    // Writes an order read at order.version, only while the stored order
    // still has that version, and raises it: a change another seat or
    // program made meanwhile is never overwritten. An invoice date that
    // printing set meanwhile stays.
    enum class VersionedWrite { Written, Changed, Gone, Failed };
    // An issued order (order.issued()) writes only what its invoice leaves
    // open (state, remark, contact data) and logs each change in the audit trail.
    VersionedWrite updateOrderAtVersion(const TBestellung &order);
    // Deletes a draft; an issued invoice only after the end of its retention
    // period (recorded in the audit trail), refused with the German message
    // saying until when before that.
    bool deleteOrder(int bestellungId, const QDate &today = QDate::currentDate());

    std::optional<QList<TArtikel>> linesOfOrder(int bestellungId);
    // The same lines, each with its options.
    std::optional<QList<TArtikel>> linesWithOptions(int bestellungId);
    std::optional<int> insertLine(const TArtikel &line);
    bool updateLine(const TArtikel &line);
    bool deleteLine(int artikelId);

    std::optional<QList<TOption>> optionsOfLine(int artikelId);
    std::optional<int> insertOption(const TOption &option);
    bool updateOption(const TOption &option);
    bool deleteOption(int optionId);

private:
    VersionedWrite updateIssuedOrderAtVersion(const TBestellung &order);
    // The totals of the order list's rows, all orders of the client at once.
    bool fillOrderTotals(int mandantId, QList<OrderListRow> &rows);

    InvoiceConnection &m_db;
};

} // namespace vq::invoice
