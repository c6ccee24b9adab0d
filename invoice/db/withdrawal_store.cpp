// Consumers' withdrawals: stored with their order or unmatched.
#include "invoice/db/withdrawal_store.h"
#include "invoice/db/sql_values.h"

namespace vq::invoice {

namespace {

// The longest text a column of the table keeps (Text(255)).
constexpr int kMaxText = 255;

QVariant dateValue(const QDate &date)
{
    return date.isValid() ? QVariant(date.toString(Qt::ISODate))
                          : QVariant(QMetaType(QMetaType::QString));
}

} // namespace

std::optional<int> WithdrawalStore::withdrawnStateId()
{
    const QString name = QString::fromUtf16(kWithdrawnState);
    const auto id = m_db.row(QStringLiteral("SELECT ID FROM Status WHERE Status = ? ORDER BY ID"),
                             {name}, [](const QSqlQuery &q) { return q.value(0).toInt(); });
    if (id || !m_db.lastError().isEmpty())
        return id;
    return m_db.insertReturningKey(
        QStringLiteral("INSERT INTO Status (Status) VALUES (?) RETURNING ID"), {name});
}

std::optional<std::optional<int>> WithdrawalStore::matchingOrder(const TWiderruf &withdrawal,
                                                                 int mandantId)
{
    const auto ids = [&](const QString &where,
                         const QVariantList &values) -> std::optional<QList<int>> {
        QVariantList all{mandantId};
        all << values;
        return m_db.rows(QStringLiteral("SELECT Bestellung_ID FROM Bestellung WHERE "
                                        "Bestellung_MandantID = ? AND %1 ORDER BY Bestellung_ID")
                             .arg(where),
                         all, [](const QSqlQuery &q) { return q.value(0).toInt(); });
    };
    QString number = withdrawal.bestellnummer;
    number.remove(u' ');
    if (!number.isEmpty()) {
        const auto found =
            ids(QStringLiteral("LOWER(Bestellung_UUID) = ? AND Bestellung_UUID <> ''"),
                {number.toLower()});
        if (!found)
            return std::nullopt;
        if (found->size() == 1)
            return std::optional<int>(found->first());
    }
    const QString email = withdrawal.email.trimmed().toLower();
    if (!email.isEmpty() && withdrawal.bestelldatum.isValid()) {
        const QDateTime day(withdrawal.bestelldatum, QTime(0, 0), Qt::UTC);
        const auto found =
            ids(QStringLiteral("LOWER(Bestellung_EMail) = ? AND Bestellung_Zeit >= ? "
                               "AND Bestellung_Zeit < ?"),
                {email, InvoiceConnection::timestampText(day),
                 InvoiceConnection::timestampText(day.addDays(1))});
        if (!found)
            return std::nullopt;
        if (found->size() == 1)
            return std::optional<int>(found->first());
    }
    return std::optional<int>();
}

WithdrawalStoreResult WithdrawalStore::storeWithdrawal(TWiderruf withdrawal, int mandantId)
{
    WithdrawalStoreResult result;
    if (withdrawal.uuid.isEmpty() || withdrawal.uuid.size() > kMaxText) {
        m_db.fail(QStringLiteral("Die Kennung des Widerrufs fehlt oder ist länger als %1 Zeichen.")
                      .arg(kMaxText));
        result.outcome = WithdrawalStoreResult::Refused;
        return result;
    }
    if (!m_db.begin(InvoiceConnection::WriteLock::AtStart))
        return result;
    auto fail = [&]() {
        m_db.rollbackKeepingError();
        result.outcome = WithdrawalStoreResult::Failed;
        return result;
    };
    // Two imports at once must not both find a withdrawal new: the order table
    // is locked against other writers as for an order (SQLite's write lock
    // does that already), and the withdrawal's order is written below.
    if (!m_db.lockOrdersForNumbering())
        return fail();
    const auto stored = m_db.row(
        QStringLiteral("SELECT Widerruf_BestellungID FROM Widerruf WHERE "
                       "Widerruf_UUID = ?"),
        {withdrawal.uuid}, [](const QSqlQuery &q) { return dbdetail::optionalInt(q.value(0)); });
    if (!stored && !m_db.lastError().isEmpty())
        return fail();
    if (stored) {
        if (!m_db.commit())
            return fail();
        result.outcome = WithdrawalStoreResult::AlreadyThere;
        result.bestellungId = *stored;
        return result;
    }
    const auto order = matchingOrder(withdrawal, mandantId);
    if (!order)
        return fail();
    withdrawal.mandantId = mandantId;
    withdrawal.bestellungId = *order;
    const auto id = m_db.insertReturningKey(
        QStringLiteral(
            "INSERT INTO Widerruf (Widerruf_MandantID, Widerruf_BestellungID, "
            "Widerruf_UUID, Widerruf_Eingang, Widerruf_Name, Widerruf_EMail, "
            "Widerruf_Bestellnummer, Widerruf_Bestelldatum, Widerruf_Grund, Widerruf_IP) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING Widerruf_ID"),
        {mandantId, dbdetail::nullable(withdrawal.bestellungId), withdrawal.uuid,
         withdrawal.eingang.isValid()
             ? QVariant(InvoiceConnection::timestampText(withdrawal.eingang))
             : QVariant(QMetaType(QMetaType::QString)),
         withdrawal.name.left(kMaxText), withdrawal.email.left(kMaxText),
         withdrawal.bestellnummer.left(kMaxText), dateValue(withdrawal.bestelldatum),
         withdrawal.grund.left(4000), withdrawal.ip.left(kMaxText)});
    if (!id)
        return fail();
    if (withdrawal.bestellungId) {
        const auto state = withdrawnStateId();
        if (!state)
            return fail();
        // A write of the order like any other: an editor open on it notices.
        if (!m_db.exec(QStringLiteral("UPDATE Bestellung SET Bestellung_Status = ?, "
                                      "Bestellung_Version = Bestellung_Version + 1 "
                                      "WHERE Bestellung_ID = ?"),
                       {*state, *withdrawal.bestellungId}))
            return fail();
    }
    if (!m_db.commit())
        return fail();
    result.outcome =
        withdrawal.bestellungId ? WithdrawalStoreResult::Matched : WithdrawalStoreResult::Unmatched;
    result.bestellungId = withdrawal.bestellungId;
    return result;
}

std::optional<QList<TWiderruf>> WithdrawalStore::select(const QString &where, const QVariant &value,
                                                        const QString &order)
{
    return m_db.rows(
        QStringLiteral(
            "SELECT Widerruf_ID, Widerruf_MandantID, Widerruf_BestellungID, Widerruf_UUID, "
            "Widerruf_Eingang, Widerruf_Name, Widerruf_EMail, Widerruf_Bestellnummer, "
            "Widerruf_Bestelldatum, Widerruf_Grund, Widerruf_IP FROM Widerruf WHERE %1 = ? "
            "ORDER BY %2")
            .arg(where, order),
        {value}, [](const QSqlQuery &q) {
            TWiderruf w;
            w.id = q.value(0).toInt();
            w.mandantId = q.value(1).toInt();
            w.bestellungId = dbdetail::optionalInt(q.value(2));
            w.uuid = q.value(3).toString();
            w.eingang = InvoiceConnection::timestampFrom(q.value(4));
            w.name = q.value(5).toString();
            w.email = q.value(6).toString();
            w.bestellnummer = q.value(7).toString();
            w.bestelldatum = q.value(8).isNull()
                                 ? QDate()
                                 : QDate::fromString(q.value(8).toString().left(10), Qt::ISODate);
            w.grund = q.value(9).toString();
            w.ip = q.value(10).toString();
            return w;
        });
}

std::optional<QList<TWiderruf>> WithdrawalStore::withdrawals(int mandantId)
{
    return select(QStringLiteral("Widerruf_MandantID"), mandantId,
                  QStringLiteral("Widerruf_Eingang DESC, Widerruf_ID DESC"));
}

std::optional<QList<TWiderruf>> WithdrawalStore::withdrawalsOfOrder(int bestellungId)
{
    return select(QStringLiteral("Widerruf_BestellungID"), bestellungId,
                  QStringLiteral("Widerruf_Eingang, Widerruf_ID"));
}

} // namespace vq::invoice
