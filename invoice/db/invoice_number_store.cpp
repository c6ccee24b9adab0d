// Invoice numbers (column Bestellung_RechNr).
#include "invoice/db/invoice_number_store.h"
#include "invoice/db/sql_values.h"

#include <limits>

namespace vq::invoice {

using namespace dbdetail;

std::optional<int> InvoiceNumberStore::nextAfter(const std::optional<QVariant> &highest)
{
    if (!highest) {
        // MAX always gives a row; none is a failure, never number 1.
        if (m_db.lastError().isEmpty())
            m_db.fail(QStringLiteral("Die höchste Rechnungsnummer konnte nicht gelesen werden."));
        return std::nullopt;
    }
    // Empty numbers never count as the highest; there is no number after the largest one.
    if (highest->isNull())
        return 1;
    bool ok = false;
    const qint64 number = highest->toLongLong(&ok);
    if (!ok || number >= std::numeric_limits<int>::max()
        || number < std::numeric_limits<int>::min()) {
        m_db.fail(
            QStringLiteral("Es gibt keine Rechnungsnummer nach %1.").arg(highest->toString()));
        return std::nullopt;
    }
    return int(number + 1);
}

std::optional<int> InvoiceNumberStore::nextInvoiceNumberForClient(int mandantId)
{
    return nextAfter(m_db.row(
        QStringLiteral(
            "SELECT MAX(Bestellung_RechNr) FROM Bestellung WHERE Bestellung_MandantID = ? AND "
            "Bestellung_RechJahr IS NULL"),
        {mandantId}, [](const QSqlQuery &q) { return q.value(0); }));
}

std::optional<int> InvoiceNumberStore::nextInvoiceNumberForMail()
{
    // MAX instead of the first row in descending order: PostgreSQL sorts empty
    // numbers first there, and an empty number never counts as the highest.
    // The value bound makes it a statement the connection keeps prepared: the
    // import asks for it with every order.
    return nextAfter(
        m_db.row(QStringLiteral("SELECT MAX(Bestellung_RechNr) FROM Bestellung WHERE 1 = ? AND "
                                "Bestellung_RechJahr IS NULL"),
                 {1}, [](const QSqlQuery &q) { return q.value(0); }));
}

std::optional<int> InvoiceNumberStore::nextYearlyNumber(int mandantId, int year, int first)
{
    const auto highest = m_db.row(
        QStringLiteral("SELECT MAX(Bestellung_RechNr) FROM Bestellung WHERE Bestellung_MandantID = "
                       "? AND Bestellung_RechJahr = ?"),
        {mandantId, year}, [](const QSqlQuery &q) { return q.value(0); });
    if (highest && highest->isNull())
        return std::max(1, first);
    return nextAfter(highest);
}

std::optional<TBestellung> InvoiceNumberStore::orderWithInvoiceNumber(int mandantId, int rechNr,
                                                                      int exceptOrderId)
{
    return m_db.row(
        QStringLiteral("SELECT * FROM Bestellung WHERE Bestellung_MandantID = ? AND "
                       "Bestellung_RechNr = ? AND Bestellung_ID <> ? ORDER BY Bestellung_ID"),
        {mandantId, rechNr, exceptOrderId}, readOrder);
}

} // namespace vq::invoice
