// Order states (table Status).
#include "invoice/db/state_store.h"
#include "invoice/db/sql_values.h"

namespace vq::invoice {

using namespace dbdetail;

std::optional<QList<StatusRow>> StateStore::states()
{
    return m_db.rows(QStringLiteral("SELECT * FROM Status ORDER BY ID"), {},
                     [](const QSqlQuery &q) {
                         return StatusRow{col(q, "ID").toInt(), col(q, "Status").toString()};
                     });
}

std::optional<int> StateStore::insertState(const QString &name)
{
    return m_db.insertReturningKey(
        QStringLiteral("INSERT INTO Status (Status) VALUES (?) RETURNING ID"), {name});
}

bool StateStore::renameState(int id, const QString &name)
{
    return m_db.exec(QStringLiteral("UPDATE Status SET Status = ? WHERE ID = ?"), {name, id});
}

bool StateStore::deleteState(int id, QString *message)
{
    if (id == kNewOrderState) {
        m_db.fail(QString::fromUtf16(kTextNewOrderStateKept));
        if (message)
            *message = m_db.lastError();
        return false;
    }
    if (m_db.exec(QStringLiteral("DELETE FROM Status WHERE ID = ?"), {id}))
        return true;
    // The reason stays the failed delete's; the count only picks the message.
    const QString reason = m_db.lastError();
    const bool lock = m_db.lastErrorIsLock();
    const auto uses =
        m_db.row(QStringLiteral("SELECT COUNT(*) FROM Bestellung WHERE Bestellung_Status = ?"),
                 {id}, [](const QSqlQuery &q) { return q.value(0).toInt(); });
    if (message)
        *message = uses && *uses > 0 ? QStringLiteral(
                       "Dieser Status kann nicht gelöscht werden, da er bereits verwendet wird.")
                                     : reason;
    return m_db.fail(reason, lock);
}

} // namespace vq::invoice
