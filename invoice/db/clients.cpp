#include "invoice/db/clients.h"
#include "invoice/db/audit_trail.h"
#include "invoice/db/issued_invoices.h"
#include "invoice/db/sql_values.h"
#include "invoice/records/database_rows.h"

#include "common/GlobalFunctions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vq::invoice {

using namespace dbdetail;

namespace {

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
    c.nummernkreis = col(q, "Mandant_Nummernkreis").toInt() == 1 ? 1 : 0;
    c.ersteNummer = std::max(1, col(q, "Mandant_ErsteNummer").toInt());
    c.nummernformat = col(q, "Mandant_Nummernformat").toString();
    c.kleinunternehmer = col(q, "Mandant_Kleinunternehmer").toInt() == 1;
    c.skontoTage = optionalInt(col(q, "Mandant_SkontoTage"));
    c.skontoProzent = optionalDouble(col(q, "Mandant_SkontoProzent")).value_or(0.0);
    return c;
}

QVariantList clientValues(const TMandant &c)
{
    return {c.firma, c.name, c.vorname, c.strasse, c.plz, c.ort, c.land, c.pop3, c.username,
            c.password, c.port, c.email, c.rechnungsfuss, c.waehrung, c.verschluesselung,
            // Never NULL: no secret is the empty text.
            c.bestellgeheimnis.isNull() ? QStringLiteral("") : c.bestellgeheimnis,
            notNull(c.ustIdNr), notNull(c.steuernummer), notNull(c.iban), notNull(c.bic),
            notNull(c.bank), notNull(c.telefon), nullable(c.zahlungsziel), c.nummernkreis,
            std::max(1, c.ersteNummer), notNull(c.nummernformat), c.kleinunternehmer ? 1 : 0,
            nullable(c.skontoTage),
            c.skontoTage ? QVariant(c.skontoProzent) : QVariant(QMetaType(QMetaType::Double))};
}

const QString kClientColumns = QStringLiteral(
    "Mandant_Firma, Mandant_Name, Mandant_Vorname, Mandant_Strasse, Mandant_PLZ, Mandant_Ort, "
    "Mandant_Land, Mandant_POP3, Mandant_Username, Mandant_Password, Mandant_Port, Mandant_EMail, "
    "Mandant_Rechnungsfuss, Mandant_Waehrung, Mandant_Verschluesselung, Mandant_Bestellgeheimnis, "
    "Mandant_UStIdNr, Mandant_Steuernummer, Mandant_IBAN, Mandant_BIC, Mandant_Bank, "
    "Mandant_Telefon, Mandant_Zahlungsziel, Mandant_Nummernkreis, Mandant_ErsteNummer, "
    "Mandant_Nummernformat, Mandant_Kleinunternehmer, Mandant_SkontoTage, "
    "Mandant_SkontoProzent");

} // namespace

QString clientTemplatePath(int mandantId)
{
    return vq::appDataFile(QStringLiteral("%1.rav").arg(mandantId));
}

TMandant newClient()
{
    TMandant client;
    client.port = 110;
    // Two weeks, as most small shops grant.
    client.zahlungsziel = 14;
    return client;
}

// Clients -------------------------------------------------------------------

std::optional<QList<TMandant>> ClientStore::clients()
{
    return m_db.rows(QStringLiteral("SELECT * FROM Mandant ORDER BY Mandant_ID"), {}, readClient);
}

std::optional<TMandant> ClientStore::client(int id)
{
    return m_db.row(QStringLiteral("SELECT * FROM Mandant WHERE Mandant_ID = ?"), {id}, readClient);
}

std::optional<int> ClientStore::insertClient(const TMandant &client)
{
    return m_db.insertReturningKey(
        QStringLiteral("INSERT INTO Mandant (%1) VALUES (%2) RETURNING Mandant_ID")
            .arg(kClientColumns, placeholders(kClientColumns.count(u',') + 1)),
        clientValues(client));
}

bool ClientStore::updateClient(const TMandant &client)
{
    QVariantList values = clientValues(client);
    values << client.id;
    if (!m_db.begin())
        return false;
    // Order mails refused for their signature are read again once the
    // client's order secret has changed: they may be valid under the new one.
    const bool ok =
        m_db.exec(
            QStringLiteral(
                "DELETE FROM Nachricht WHERE Nachricht_MandantID = ? AND Nachricht_Abgelehnt = %1 "
                "AND EXISTS (SELECT 1 FROM Mandant WHERE Mandant_ID = ? "
                "AND COALESCE(Mandant_Bestellgeheimnis, '') <> ?)")
                .arg(int(KnownMessage::NotSigned)),
            {client.id, client.id,
             client.bestellgeheimnis.isNull() ? QStringLiteral("") : client.bestellgeheimnis})
        && m_db.exec(QStringLiteral("UPDATE Mandant SET %1 WHERE Mandant_ID = ?")
                         .arg(assignments(kClientColumns)),
                     values);
    return ok ? m_db.commit() : m_db.rollbackKeepingError();
}

bool ClientStore::deleteClient(int id, const QDate &today)
{
    // The database deletes the client's orders, lines, options and known
    // messages with it; not while one of its invoices must still be kept.
    const auto keptUntil = IssuedInvoiceStore(m_db).clientKeptUntil(id, today);
    if (!keptUntil)
        return false;
    AuditTrail trail(m_db);
    if (*keptUntil) {
        const QString message =
            retentionMessage(QStringLiteral("Der Mandant %1").arg(id), **keptUntil);
        trail.append(QString::fromUtf16(kAuditRefused), id, std::nullopt,
                     QStringLiteral("Mandant löschen"), QString(), message);
        return m_db.fail(message);
    }
    if (!m_db.begin())
        return false;
    const auto issued = m_db.rows(
        QStringLiteral("SELECT Bestellung_ID, Bestellung_RechNrText FROM Bestellung WHERE "
                       "Bestellung_MandantID = ? AND Bestellung_Rechnungsdatum IS NOT NULL"),
        {id}, [](const QSqlQuery &q) {
            return std::pair<int, QString>(q.value(0).toInt(), q.value(1).toString());
        });
    if (!issued)
        return m_db.rollbackKeepingError();
    for (const auto &[orderId, number] : *issued)
        if (!trail.append(QString::fromUtf16(kAuditDeleted), id, orderId, number))
            return m_db.rollbackKeepingError();
    if (!m_db.exec(QStringLiteral("DELETE FROM Mandant WHERE Mandant_ID = ?"), {id}))
        return m_db.rollbackKeepingError();
    return m_db.commit() || m_db.rollbackKeepingError();
}

// The current client --------------------------------------------------------

CurrentClient::CurrentClient(InvoiceConnection &db, QString programFolder)
    : m_db(db)
    , m_programFolder(std::move(programFolder))
{
}

bool CurrentClient::accept(int mandantId, QString *message)
{
    auto refuse = [&](const QString &text) {
        if (message)
            *message = text;
        return false;
    };
    ClientStore store(m_db);
    const auto clients = store.clients();
    if (!clients)
        return refuse(
            QStringLiteral("Die Mandanten können nicht gelesen werden: %1").arg(m_db.lastError()));
    if (clients->isEmpty())
        return refuse(QStringLiteral("Bitte zuerst einen Mandanten anlegen."));
    if (!store.client(mandantId)) {
        if (!m_db.lastError().isEmpty())
            return refuse(QStringLiteral("Die Mandanten können nicht gelesen werden: %1")
                              .arg(m_db.lastError()));
        return refuse(QStringLiteral("Mandant %1 nicht gefunden.").arg(mandantId));
    }
    const QString target = clientTemplatePath(mandantId);
    const QString source =
        QDir(m_programFolder).filePath(QString::fromUtf16(kDefaultInvoiceTemplate));
    // Without the default no copy is made; printing then reports the missing template.
    if (!QFileInfo::exists(target) && QFileInfo::exists(source))
        QFile::copy(source, target);
    m_id = mandantId;
    return true;
}

QString CurrentClient::currency() const
{
    const auto client = data();
    return client ? client->waehrung : QString();
}

} // namespace vq::invoice
