// What the import remembers of the messages of a client's mailbox.
#include "invoice_database.h"
#include "invoice_database_rows.h"

#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

namespace vq::invoice {

using namespace dbdetail;

// Known messages ------------------------------------------------------------

std::optional<QList<KnownMessage>> TInvoiceDatabase::knownMessages(int mandantId,
                                                                   const QString &mailbox)
{
    QList<KnownMessage> result;
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    // Columns by position: a mailbox may hold many thousand messages.
    q.prepare(QStringLiteral(
        "SELECT n.Nachricht_UIDL, n.Nachricht_Bestellmail, n.Nachricht_UUID, n.Nachricht_Absender, "
        "n.Nachricht_Betreff, n.Nachricht_Groesse, n.Nachricht_Datum, "
        "CASE WHEN n.Nachricht_Bestellmail = 1 AND EXISTS (SELECT 1 FROM Bestellung b "
        "WHERE b.Bestellung_UUID = n.Nachricht_UUID) THEN 1 ELSE 0 END, "
        "n.Nachricht_Abgelehnt, n.Nachricht_Grund "
        "FROM Nachricht n WHERE n.Nachricht_MandantID = ? AND n.Nachricht_Postfach = ? "
        "ORDER BY n.Nachricht_ID"));
    q.addBindValue(mandantId);
    q.addBindValue(storable(mailbox));
    if (!execQuery(q))
        return std::nullopt;
    while (q.next()) {
        KnownMessage m;
        m.uidl = q.value(0).toString();
        m.orderMail = q.value(1).toInt() != 0;
        m.size = q.value(5).toLongLong();
        if (m.orderMail) {
            m.uuid = q.value(2).toString();
            m.sender = q.value(3).toString();
            m.subject = q.value(4).toString();
            m.date = timestampFrom(q.value(6));
            m.orderStored = q.value(7).toInt() != 0;
            const int refusal = q.value(8).toInt();
            if (refusal >= KnownMessage::Damaged && refusal <= KnownMessage::NotStorable) {
                m.refusal = KnownMessage::Refusal(refusal);
                m.reason = q.value(9).toString();
            }
        }
        result << m;
    }
    if (!readToTheEnd(q))
        return std::nullopt;
    return result;
}

bool TInvoiceDatabase::rememberMessage(int mandantId, const QString &mailbox, const KnownMessage &m)
{
    // One statement, so two imports of the same mailbox at once cannot both
    // find the id new and the second fail on the unique key.
    return exec(
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
         m.date.isValid() ? QVariant(timestampText(m.date))
                          : QVariant(QMetaType(QMetaType::QString)),
         int(m.refusal), m.reason.left(2000)});
}

bool TInvoiceDatabase::rememberMessages(int mandantId, const QString &mailbox,
                                        const QList<KnownMessage> &messages)
{
    if (messages.isEmpty())
        return true;
    if (!begin(WriteLock::AtStart))
        return false;
    for (const KnownMessage &m : messages)
        if (!rememberMessage(mandantId, mailbox, m))
            return rollbackKeepingError();
    return commit();
}

bool TInvoiceDatabase::forgetMessagesExcept(int mandantId, const QString &mailbox,
                                            const QList<KnownMessage> &known,
                                            const QStringList &keep)
{
    const QSet<QString> kept(keep.begin(), keep.end());
    QList<QString> gone;
    for (const KnownMessage &m : known)
        if (!kept.contains(m.uidl))
            gone << m.uidl;
    if (gone.isEmpty())
        return true;
    if (!begin(WriteLock::AtStart))
        return false;
    for (const QString &uidl : gone)
        if (!exec(QStringLiteral("DELETE FROM Nachricht WHERE Nachricht_MandantID = ? AND "
                                 "Nachricht_Postfach = ? "
                                 "AND Nachricht_UIDL = ?"),
                  {mandantId, mailbox, uidl}))
            return rollbackKeepingError();
    return commit();
}

} // namespace vq::invoice
