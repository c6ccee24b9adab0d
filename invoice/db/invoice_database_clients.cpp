// Clients (table Mandant) and order states (table Status).
#include "invoice_database.h"
#include "invoice_database_rows.h"

#include <QSqlError>
#include <QSqlQuery>

namespace vq::invoice {

using namespace dbdetail;

namespace {

// Texts that the schema keeps as '' rather than NULL.
QString notNull(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

TMandant readClient(const QSqlQuery &q)
{
    TMandant c;
    c.id = col(q, "Mandant_ID").toInt();
    c.firma = col(q, "Mandant_Firma").toString();
    c.name = col(q, "Mandant_Name").toString();
    c.vorname = col(q, "Mandant_Vorname").toString();
    c.strasse = col(q, "Mandant_Strasse").toString();
    c.plz = col(q, "Mandant_PLZ").toString();
    c.ort = col(q, "Mandant_Ort").toString();
    c.land = col(q, "Mandant_Land").toString();
    c.pop3 = col(q, "Mandant_POP3").toString();
    c.username = col(q, "Mandant_Username").toString();
    c.password = col(q, "Mandant_Password").toString();
    c.port = col(q, "Mandant_Port").toInt();
    c.email = col(q, "Mandant_EMail").toString();
    c.rechnungsfuss = col(q, "Mandant_Rechnungsfuss").toString();
    c.waehrung = col(q, "Mandant_Waehrung").toString();
    c.verschluesselung = col(q, "Mandant_Verschluesselung").toInt();
    c.bestellgeheimnis = col(q, "Mandant_Bestellgeheimnis").toString();
    c.ustIdNr = col(q, "Mandant_UStIdNr").toString();
    c.steuernummer = col(q, "Mandant_Steuernummer").toString();
    c.iban = col(q, "Mandant_IBAN").toString();
    c.bic = col(q, "Mandant_BIC").toString();
    c.bank = col(q, "Mandant_Bank").toString();
    c.telefon = col(q, "Mandant_Telefon").toString();
    c.zahlungsziel = optionalInt(col(q, "Mandant_Zahlungsziel"));
    return c;
}

QVariantList clientValues(const TMandant &c)
{
    return {c.firma, c.name, c.vorname, c.strasse, c.plz, c.ort, c.land, c.pop3, c.username,
            c.password, c.port, c.email, c.rechnungsfuss, c.waehrung, c.verschluesselung,
            // Never NULL: no secret is the empty text.
            c.bestellgeheimnis.isNull() ? QStringLiteral("") : c.bestellgeheimnis,
            notNull(c.ustIdNr), notNull(c.steuernummer), notNull(c.iban), notNull(c.bic),
            notNull(c.bank), notNull(c.telefon), nullable(c.zahlungsziel)};
}

const QString kClientColumns = QStringLiteral(
    "Mandant_Firma, Mandant_Name, Mandant_Vorname, Mandant_Strasse, Mandant_PLZ, Mandant_Ort, "
    "Mandant_Land, Mandant_POP3, Mandant_Username, Mandant_Password, Mandant_Port, Mandant_EMail, "
    "Mandant_Rechnungsfuss, Mandant_Waehrung, Mandant_Verschluesselung, Mandant_Bestellgeheimnis, "
    "Mandant_UStIdNr, Mandant_Steuernummer, Mandant_IBAN, Mandant_BIC, Mandant_Bank, "
    "Mandant_Telefon, "
    "Mandant_Zahlungsziel");

} // namespace

// Clients -------------------------------------------------------------------

std::optional<QList<TMandant>> TInvoiceDatabase::clients()
{
    QSqlQuery q(connection());
    if (!q.exec(QStringLiteral("SELECT * FROM Mandant ORDER BY Mandant_ID"))) {
        noteError(q.lastError());
        return std::nullopt;
    }
    QList<TMandant> result;
    while (q.next())
        result << readClient(q);
    if (!readToTheEnd(q))
        return std::nullopt;
    return result;
}

std::optional<TMandant> TInvoiceDatabase::client(int id)
{
    m_lastError.clear();
    QSqlQuery q(connection());
    q.prepare(QStringLiteral("SELECT * FROM Mandant WHERE Mandant_ID = ?"));
    q.addBindValue(id);
    if (!execQuery(q))
        return std::nullopt;
    if (q.next())
        return readClient(q);
    readToTheEnd(q);
    return std::nullopt;
}

std::optional<int> TInvoiceDatabase::insertClient(const TMandant &client)
{
    return insertReturningKey(
        QStringLiteral("INSERT INTO Mandant (%1) VALUES (%2) RETURNING Mandant_ID")
            .arg(kClientColumns, placeholders(kClientColumns.count(u',') + 1)),
        clientValues(client));
}

bool TInvoiceDatabase::updateClient(const TMandant &client)
{
    QVariantList values = clientValues(client);
    values << client.id;
    if (!begin())
        return false;
    // Order mails refused for their signature are read again once the
    // client's order secret has changed: they may be valid under the new one.
    const bool ok =
        exec(QStringLiteral(
                 "DELETE FROM Nachricht WHERE Nachricht_MandantID = ? AND Nachricht_Abgelehnt = %1 "
                 "AND EXISTS (SELECT 1 FROM Mandant WHERE Mandant_ID = ? "
                 "AND COALESCE(Mandant_Bestellgeheimnis, '') <> ?)")
                 .arg(int(KnownMessage::NotSigned)),
             {client.id, client.id,
              client.bestellgeheimnis.isNull() ? QStringLiteral("") : client.bestellgeheimnis})
        && exec(QStringLiteral("UPDATE Mandant SET %1 WHERE Mandant_ID = ?")
                    .arg(assignments(kClientColumns)),
                values);
    return ok ? commit() : rollbackKeepingError();
}

bool TInvoiceDatabase::deleteClient(int id)
{
    // The database deletes the client's orders, lines, options and known messages with it.
    return exec(QStringLiteral("DELETE FROM Mandant WHERE Mandant_ID = ?"), {id});
}

// States --------------------------------------------------------------------

std::optional<QList<StatusRow>> TInvoiceDatabase::states()
{
    QSqlQuery q(connection());
    if (!q.exec(QStringLiteral("SELECT * FROM Status ORDER BY ID"))) {
        noteError(q.lastError());
        return std::nullopt;
    }
    QList<StatusRow> result;
    while (q.next())
        result << StatusRow{col(q, "ID").toInt(), col(q, "Status").toString()};
    if (!readToTheEnd(q))
        return std::nullopt;
    return result;
}

std::optional<int> TInvoiceDatabase::insertState(const QString &name)
{
    return insertReturningKey(QStringLiteral("INSERT INTO Status (Status) VALUES (?) RETURNING ID"),
                              {name});
}

bool TInvoiceDatabase::renameState(int id, const QString &name)
{
    return exec(QStringLiteral("UPDATE Status SET Status = ? WHERE ID = ?"), {name, id});
}

bool TInvoiceDatabase::deleteState(int id, QString *message)
{
    if (id == kNewOrderState) {
        m_lastError = QString::fromUtf16(kTextNewOrderStateKept);
        if (message)
            *message = m_lastError;
        return false;
    }
    if (exec(QStringLiteral("DELETE FROM Status WHERE ID = ?"), {id}))
        return true;
    QSqlQuery q(connection());
    q.prepare(QStringLiteral("SELECT COUNT(*) FROM Bestellung WHERE Bestellung_Status = ?"));
    q.addBindValue(id);
    const bool used = q.exec() && q.next() && q.value(0).toInt() > 0;
    if (message)
        *message = used ? QStringLiteral(
                       "Dieser Status kann nicht gelöscht werden, da er bereits verwendet wird.")
                        : m_lastError;
    return false;
}

} // namespace vq::invoice
