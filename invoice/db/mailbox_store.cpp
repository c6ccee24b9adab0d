// What the import remembers of the messages of a client's mailbox, and
// storing an order that came by mail.
#include "invoice/db/mailbox_store.h"
#include "invoice/db/clients.h"
#include "invoice/db/invoice_number_store.h"
#include "invoice/db/order_store.h"
#include "invoice/db/sql_values.h"

#include <QSet>

namespace vq::invoice {

// Known messages ------------------------------------------------------------

std::optional<QList<KnownMessage>> MailboxStore::knownMessages(int mandantId,
                                                               const QString &mailbox)
{
    // Columns by position: a mailbox may hold many thousand messages.
    return m_db.rows(
        QStringLiteral(
            "SELECT n.Nachricht_UIDL, n.Nachricht_Bestellmail, n.Nachricht_UUID, "
            "n.Nachricht_Absender, "
            "n.Nachricht_Betreff, n.Nachricht_Groesse, n.Nachricht_Datum, "
            "CASE WHEN n.Nachricht_Bestellmail = 1 AND EXISTS (SELECT 1 FROM Bestellung b "
            "WHERE b.Bestellung_UUID = n.Nachricht_UUID) OR EXISTS (SELECT 1 FROM Widerruf w "
            "WHERE w.Widerruf_UUID = n.Nachricht_UUID) THEN 1 ELSE 0 END, "
            "n.Nachricht_Abgelehnt, n.Nachricht_Grund "
            "FROM Nachricht n WHERE n.Nachricht_MandantID = ? AND n.Nachricht_Postfach = ? "
            "ORDER BY n.Nachricht_ID"),
        {mandantId, mailbox}, [](const QSqlQuery &q) {
            KnownMessage m;
            m.uidl = q.value(0).toString();
            m.orderMail = q.value(1).toInt() != 0;
            m.size = q.value(5).toLongLong();
            if (m.orderMail) {
                m.uuid = q.value(2).toString();
                m.sender = q.value(3).toString();
                m.subject = q.value(4).toString();
                m.date = InvoiceConnection::timestampFrom(q.value(6));
                m.orderStored = q.value(7).toInt() != 0;
                const int refusal = q.value(8).toInt();
                if (refusal >= KnownMessage::Damaged && refusal <= KnownMessage::NotStorable) {
                    m.refusal = KnownMessage::Refusal(refusal);
                    m.reason = q.value(9).toString();
                }
            }
            return m;
        });
}

bool MailboxStore::rememberMessage(int mandantId, const QString &mailbox, const KnownMessage &m)
{
    // One statement, so two imports of the same mailbox at once cannot both
    // find the id new and the second fail on the unique key.
    return m_db.exec(
        QStringLiteral(
            "INSERT INTO Nachricht (Nachricht_MandantID, Nachricht_Postfach, Nachricht_UIDL, "
            "Nachricht_Bestellmail, Nachricht_UUID, Nachricht_Absender, Nachricht_Betreff, "
            "Nachricht_Groesse, Nachricht_Datum, Nachricht_Abgelehnt, Nachricht_Grund) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
            "ON CONFLICT (Nachricht_MandantID, Nachricht_Postfach, Nachricht_UIDL) DO UPDATE SET "
            "Nachricht_Bestellmail = excluded.Nachricht_Bestellmail, "
            "Nachricht_UUID = excluded.Nachricht_UUID, "
            "Nachricht_Absender = excluded.Nachricht_Absender, "
            "Nachricht_Betreff = excluded.Nachricht_Betreff, "
            "Nachricht_Groesse = excluded.Nachricht_Groesse, "
            "Nachricht_Datum = excluded.Nachricht_Datum, "
            "Nachricht_Abgelehnt = excluded.Nachricht_Abgelehnt, "
            "Nachricht_Grund = excluded.Nachricht_Grund"),
        {mandantId, mailbox, m.uidl, m.orderMail ? 1 : 0, m.uuid, m.sender, m.subject, m.size,
         m.date.isValid() ? QVariant(InvoiceConnection::timestampText(m.date))
                          : QVariant(QMetaType(QMetaType::QString)),
         int(m.refusal), m.reason.left(2000)});
}

bool MailboxStore::rememberMessages(int mandantId, const QString &mailbox,
                                    const QList<KnownMessage> &messages)
{
    if (messages.isEmpty())
        return true;
    if (!m_db.begin(InvoiceConnection::WriteLock::AtStart))
        return false;
    for (const KnownMessage &m : messages)
        if (!rememberMessage(mandantId, mailbox, m))
            return m_db.rollbackKeepingError();
    return m_db.commit();
}

bool MailboxStore::forgetMessagesExcept(int mandantId, const QString &mailbox,
                                        const QList<KnownMessage> &known, const QStringList &keep)
{
    const QSet<QString> kept(keep.begin(), keep.end());
    QList<QString> gone;
    for (const KnownMessage &m : known)
        if (!kept.contains(m.uidl))
            gone << m.uidl;
    if (gone.isEmpty())
        return true;
    if (!m_db.begin(InvoiceConnection::WriteLock::AtStart))
        return false;
    for (const QString &uidl : gone)
        if (!m_db.exec(QStringLiteral("DELETE FROM Nachricht WHERE Nachricht_MandantID = ? AND "
                                      "Nachricht_Postfach = ? "
                                      "AND Nachricht_UIDL = ?"),
                       {mandantId, mailbox, uidl}))
            return m_db.rollbackKeepingError();
    return m_db.commit();
}

int MailboxStore::countOrdersWithUuid(const QString &uuid)
{
    const auto count = m_db.row(
        QStringLiteral("SELECT COUNT(*) AS Anzahl FROM Bestellung WHERE Bestellung_UUID = ?"),
        {uuid}, [](const QSqlQuery &q) { return q.value(0).toInt(); });
    if (count)
        return *count;
    if (m_db.lastError().isEmpty())
        m_db.fail(QStringLiteral("Die Bestellungen konnten nicht gezählt werden."));
    return -1;
}

// Orders that came by mail --------------------------------------------------

MailOrderStore MailboxStore::storeMailOrder(TBestellung order, const QList<TArtikel> &lines,
                                            int mandantId, const QString &mailbox,
                                            const KnownMessage *message)
{
    MailOrderStore result;
    // What no back end could store, or PostgreSQL alone would refuse, is
    // refused before the database is asked: such an order must not look like
    // a failing database, which ends the import run every time.
    if (order.uuid.size() > kMaxUuidLength) {
        m_db.fail(QStringLiteral("Die Kennung der Bestellung ist länger als %1 Zeichen.")
                      .arg(kMaxUuidLength));
        result.outcome = MailOrderStore::Refused;
        return result;
    }
    if (order.zeit.isValid() && (order.zeit.date().year() < 1 || order.zeit.date().year() > 9999)) {
        m_db.fail(QStringLiteral("Das Datum der Bestellung liegt außerhalb der Jahre 1 bis 9999."));
        result.outcome = MailOrderStore::Refused;
        return result;
    }
    // The check for the identifier and the store are one unit under the write
    // lock, so two imports at once cannot both find an order new. SQLite takes
    // its lock at the start (waiting within the busy timeout); PostgreSQL locks
    // the order table against other writers, reads stay possible.
    if (!m_db.begin(InvoiceConnection::WriteLock::AtStart))
        return result;
    auto fail = [&]() {
        m_db.rollbackKeepingError();
        result.outcome = MailOrderStore::Failed;
        return result;
    };
    OrderStore orders(m_db);
    if (!m_db.lockOrdersForNumbering())
        return fail();
    if (!order.uuid.isEmpty()) {
        const int count = countOrdersWithUuid(order.uuid);
        if (count < 0)
            return fail(); // a failed check is a failure, never "not there"
        if (count > 0) {
            if (message && !rememberMessage(mandantId, mailbox, *message))
                return fail();
            if (!m_db.commit())
                return fail();
            result.outcome = MailOrderStore::AlreadyThere;
            return result;
        }
    }
    order.mandantId = mandantId;
    order.status = 1;
    // A yearly range draws the number when the invoice is issued.
    const auto client = ClientStore(m_db).client(mandantId);
    if (!client && !m_db.lastError().isEmpty())
        return fail();
    if (!client || client->nummernkreis != 1) {
        order.rechNr = InvoiceNumberStore(m_db).nextInvoiceNumberForMail();
        if (!order.rechNr)
            return fail();
    } else {
        order.rechNr.reset();
    }
    const auto orderId = orders.insertOrder(order);
    if (!orderId)
        return fail();
    for (TArtikel line : lines) {
        line.bestellungId = *orderId;
        const auto lineId = orders.insertLine(line);
        if (!lineId)
            return fail();
        for (TOption option : line.optionen) {
            option.artikelId = *lineId;
            if (!orders.insertOption(option))
                return fail();
        }
    }
    if (message && !rememberMessage(mandantId, mailbox, *message))
        return fail();
    if (!m_db.commit())
        return fail();
    result.outcome = MailOrderStore::Stored;
    result.orderId = *orderId;
    return result;
}

} // namespace vq::invoice
