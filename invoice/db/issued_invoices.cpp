#include "invoice/db/issued_invoices.h"
#include "invoice/db/audit_trail.h"
#include "invoice/db/clients.h"
#include "invoice/db/invoice_number_store.h"
#include "invoice/db/order_store.h"
#include "invoice/db/sql_values.h"
#include "invoice/records/invoice_numbers.h"

#include <QDateTime>
#include <QHash>
#include <QSet>

#include <algorithm>

namespace vq::invoice {

using namespace dbdetail;

QString documentKindName(DocumentKind kind)
{
    switch (kind) {
    case DocumentKind::Pdf:
        return QStringLiteral("PDF");
    case DocumentKind::Zugferd:
        return QStringLiteral("ZUGFeRD");
    case DocumentKind::XRechnung:
        return QStringLiteral("XRechnung");
    }
    return {};
}

QString retentionMessage(const QString &what, const QDate &keptUntil)
{
    return QStringLiteral("%1 enthält eine ausgestellte Rechnung, die bis zum %2 aufbewahrt "
                          "werden muss (§ 147 AO, § 14b UStG). Bis dahin lässt sie sich nicht "
                          "löschen; eine falsche Rechnung wird storniert.")
        .arg(what, keptUntil.toString(QStringLiteral("dd.MM.yyyy")));
}

namespace {

std::optional<DocumentKind> kindFromName(const QString &name)
{
    for (DocumentKind kind : {DocumentKind::Pdf, DocumentKind::Zugferd, DocumentKind::XRechnung})
        if (documentKindName(kind) == name)
            return kind;
    return std::nullopt;
}

ArchivedDocument readDocument(const QSqlQuery &q)
{
    ArchivedDocument d;
    d.kind = kindFromName(col(q, "Archiv_Art").toString()).value_or(DocumentKind::Pdf);
    d.bytes = col(q, "Archiv_Daten").toByteArray();
    d.sha256 = col(q, "Archiv_SHA256").toString();
    d.zeit = col(q, "Archiv_Zeit").toString();
    return d;
}

// Every value with its length in front: no two orders share a text.
void addValue(QByteArray &text, const QString &value)
{
    const QByteArray bytes = value.toUtf8();
    text += QByteArray::number(bytes.size()) + ':' + bytes + ';';
}

QString numberText(double value)
{
    return QString::number(value, 'g', 17);
}

} // namespace

std::optional<TBestellung> IssuedInvoiceStore::fixIssue(int orderId, const QDate &today)
{
    OrderStore orders(m_db);
    auto order = orders.order(orderId);
    if (!order) {
        if (m_db.lastError().isEmpty())
            m_db.fail(QStringLiteral("Die Bestellung %1 gibt es nicht.").arg(orderId));
        return std::nullopt;
    }
    if (order->issued())
        return order;
    const auto client = ClientStore(m_db).client(order->mandantId);
    if (!client) {
        if (m_db.lastError().isEmpty())
            m_db.fail(QStringLiteral("Den Mandanten %1 gibt es nicht.").arg(order->mandantId));
        return std::nullopt;
    }
    InvoiceNumberStore numbers(m_db);
    std::optional<int> year;
    std::optional<int> number = order->rechNr;
    if (client->nummernkreis == 1) {
        year = today.year();
        number = numbers.nextYearlyNumber(client->id, *year, client->ersteNummer);
    } else if (!number || *number < 1) {
        number = numbers.nextInvoiceNumberForClient(client->id);
    }
    if (!number)
        return std::nullopt;
    QString printed =
        printedInvoiceNumber(client->nummernformat, year ? year : today.year(), *number);
    if (!year) {
        // An older database may hold one number twice; the second invoice to
        // go out takes the next free one, so issued numbers stay unique.
        const auto clash = m_db.row(
            QStringLiteral("SELECT Bestellung_ID FROM Bestellung WHERE Bestellung_MandantID = ? "
                           "AND Bestellung_RechNrText = ? AND Bestellung_ID <> ?"),
            {client->id, printed, orderId}, [](const QSqlQuery &q) { return q.value(0).toInt(); });
        if (!clash && !m_db.lastError().isEmpty())
            return std::nullopt;
        if (clash) {
            number = numbers.nextInvoiceNumberForClient(client->id);
            if (!number)
                return std::nullopt;
            printed = printedInvoiceNumber(client->nummernformat, today.year(), *number);
        }
    }
    if (!m_db.exec(QStringLiteral("UPDATE Bestellung SET Bestellung_RechNr = ?, "
                                  "Bestellung_RechJahr = ?, Bestellung_RechNrText = ?, "
                                  "Bestellung_Rechnungsdatum = ?, Bestellung_Version = "
                                  "Bestellung_Version + 1 WHERE Bestellung_ID = ? AND "
                                  "Bestellung_Rechnungsdatum IS NULL"),
                   {*number, nullable(year), printed, today.toString(Qt::ISODate), orderId}))
        return std::nullopt;
    return orders.order(orderId);
}

std::optional<std::optional<ArchivedDocument>> IssuedInvoiceStore::document(int orderId,
                                                                            DocumentKind kind)
{
    const auto found = m_db.row(QStringLiteral("SELECT * FROM Rechnungsarchiv WHERE "
                                               "Archiv_BestellungID = ? AND Archiv_Art = ?"),
                                {orderId, documentKindName(kind)}, readDocument);
    if (!found && !m_db.lastError().isEmpty())
        return std::nullopt;
    return std::optional<std::optional<ArchivedDocument>>(found);
}

std::optional<QList<ArchivedDocument>> IssuedInvoiceStore::documents(int orderId)
{
    return m_db.rows(QStringLiteral("SELECT * FROM Rechnungsarchiv WHERE Archiv_BestellungID = ? "
                                    "ORDER BY Archiv_ID"),
                     {orderId}, readDocument);
}

bool IssuedInvoiceStore::storeDocument(int orderId, int mandantId, DocumentKind kind,
                                       const QByteArray &bytes, const QDate &invoiceDate)
{
    if (!m_db.begin())
        return false;
    const QString hash = sha256Hex(bytes);
    if (!m_db.exec(QStringLiteral("INSERT INTO Rechnungsarchiv (Archiv_BestellungID, Archiv_Art, "
                                  "Archiv_Daten, Archiv_SHA256, Archiv_Zeit, "
                                  "Archiv_Rechnungsdatum) VALUES (?, ?, ?, ?, ?, ?)"),
                   {orderId, documentKindName(kind), bytes, hash,
                    QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs),
                    invoiceDate.toString(Qt::ISODate)})
        || !AuditTrail(m_db).append(QString::fromUtf16(kAuditArchived), mandantId, orderId,
                                    documentKindName(kind), QString(), hash))
        return m_db.rollbackKeepingError();
    return m_db.commit() || m_db.rollbackKeepingError();
}

std::optional<QString> IssuedInvoiceStore::fingerprint(int orderId)
{
    OrderStore orders(m_db);
    const auto order = orders.order(orderId);
    if (!order)
        return std::nullopt; // lastError() empty: there is no such order
    const auto lines = orders.linesWithOptions(orderId);
    if (!lines)
        return std::nullopt;
    QByteArray text;
    const TBestellung &o = *order;
    for (const QString &value :
         {QString::number(o.mandantId), o.rechNr ? QString::number(*o.rechNr) : QString(),
          o.rechJahr ? QString::number(*o.rechJahr) : QString(), o.rechNrText, o.uuid,
          o.zeit.isValid() ? InvoiceConnection::timestampText(o.zeit) : QString(), o.firma, o.name,
          o.nachname, o.strasse, o.plz, o.ort, o.land, o.rechnungsdatum.toString(Qt::ISODate),
          o.kaeuferreferenz, o.netto ? QStringLiteral("netto") : QStringLiteral("brutto"),
          o.stornoZu ? QString::number(*o.stornoZu) : QString()})
        addValue(text, value);
    // The business buyer's data and the tax case came later: an invoice
    // without them keeps the fingerprint it was issued with.
    if (!o.ustIdNr.isEmpty() || !o.emailERechnung.isEmpty() || !o.steuerfall.isEmpty()
        || o.lieferdatum.isValid()) {
        for (const QString &value :
             {o.ustIdNr, o.emailERechnung, o.steuerfall, o.lieferdatum.toString(Qt::ISODate)})
            addValue(text, value);
    }
    for (const TArtikel &line : *lines) {
        for (const QString &value :
             {QString::number(line.id), line.nr, line.name, QString::number(line.anzahl),
              numberText(line.preis), numberText(line.mwst)})
            addValue(text, value);
        for (const TOption &option : line.optionen)
            for (const QString &value :
                 {QString::number(option.id), option.name, option.wert,
                  option.preis ? numberText(*option.preis) : QStringLiteral("-")})
                addValue(text, value);
    }
    return sha256Hex(text);
}

std::optional<std::optional<QDate>> IssuedInvoiceStore::clientKeptUntil(int mandantId,
                                                                        const QDate &today)
{
    const auto latest = m_db.row(
        QStringLiteral("SELECT MAX(Bestellung_Rechnungsdatum) FROM Bestellung WHERE "
                       "Bestellung_MandantID = ? AND Bestellung_Rechnungsdatum IS NOT NULL"),
        {mandantId}, [](const QSqlQuery &q) { return q.value(0).toDate(); });
    if (!latest)
        return std::nullopt;
    if (!latest->isValid() || retentionEnd(*latest) < today)
        return std::optional<std::optional<QDate>>(std::optional<QDate>());
    return std::optional<std::optional<QDate>>(retentionEnd(*latest));
}

std::optional<std::optional<int>> IssuedInvoiceStore::cancellationOf(int orderId)
{
    const auto found = m_db.row(
        QStringLiteral("SELECT Bestellung_ID FROM Bestellung WHERE Bestellung_StornoZu = ?"),
        {orderId}, [](const QSqlQuery &q) { return q.value(0).toInt(); });
    if (!found && !m_db.lastError().isEmpty())
        return std::nullopt;
    return std::optional<std::optional<int>>(found);
}

std::optional<int> IssuedInvoiceStore::cancelledState()
{
    const QString name = QStringLiteral("Storniert");
    const auto found =
        m_db.row(QStringLiteral("SELECT ID FROM Status WHERE Status = ? ORDER BY ID"), {name},
                 [](const QSqlQuery &q) { return q.value(0).toInt(); });
    if (found || !m_db.lastError().isEmpty())
        return found;
    return m_db.insertReturningKey(
        QStringLiteral("INSERT INTO Status (Status) VALUES (?) RETURNING ID"), {name});
}

std::optional<RecordCheck> checkRecords(InvoiceConnection &db)
{
    RecordCheck check;
    const auto entries = AuditTrail(db).entries();
    if (!entries)
        return std::nullopt;
    const auto mismatch = [&check](const QString &message) {
        check.ok = false;
        check.message = message;
        return check;
    };
    QString previous(64, u'0');
    QHash<QPair<int, QString>, QString> recordedDocuments; // order, kind: hash
    QHash<int, QString> fingerprints;                      // order: at issue
    QSet<int> deleted;
    for (const AuditEntry &e : *entries) {
        ++check.entries;
        if (e.vorgaenger != previous || auditEntryHash(e) != e.hash)
            return mismatch(QStringLiteral("Der Protokolleintrag %1 vom %2 (%3) passt nicht in die "
                                           "Kette: Er wurde verändert, oder ein Eintrag davor "
                                           "fehlt oder wurde verändert.")
                                .arg(e.id)
                                .arg(e.zeit, e.aktion));
        previous = e.hash;
        if (!e.bestellungId)
            continue;
        if (e.aktion == QString::fromUtf16(kAuditArchived))
            recordedDocuments.insert({*e.bestellungId, e.feld}, e.neu);
        else if (e.aktion == QString::fromUtf16(kAuditIssued))
            fingerprints.insert(*e.bestellungId, e.neu);
        else if (e.aktion == QString::fromUtf16(kAuditDeleted))
            deleted.insert(*e.bestellungId);
    }

    struct Stored
    {
        int orderId;
        QString kind, sha256, actual;
    };
    const auto documents = db.rows(
        QStringLiteral("SELECT Archiv_BestellungID, Archiv_Art, Archiv_SHA256, Archiv_Daten FROM "
                       "Rechnungsarchiv ORDER BY Archiv_ID"),
        {}, [](const QSqlQuery &q) {
            return Stored{q.value(0).toInt(), q.value(1).toString(), q.value(2).toString(),
                          sha256Hex(q.value(3).toByteArray())};
        });
    if (!documents)
        return std::nullopt;
    QSet<QPair<int, QString>> archived;
    for (const Stored &d : *documents) {
        ++check.documents;
        archived.insert({d.orderId, d.kind});
        const QString which = QStringLiteral("Das archivierte Dokument \"%1\" der Bestellung %2")
                                  .arg(d.kind)
                                  .arg(d.orderId);
        const auto recorded = recordedDocuments.constFind({d.orderId, d.kind});
        if (recorded == recordedDocuments.constEnd())
            return mismatch(which + QStringLiteral(" steht nicht im Protokoll."));
        if (d.actual != d.sha256 || d.actual != *recorded)
            return mismatch(which
                            + QStringLiteral(" stimmt nicht mit der Prüfsumme überein, die bei "
                                             "seiner Ausstellung festgehalten wurde: Es wurde "
                                             "verändert."));
    }
    for (auto it = recordedDocuments.constBegin(); it != recordedDocuments.constEnd(); ++it)
        if (!archived.contains(it.key()) && !deleted.contains(it.key().first))
            return mismatch(QStringLiteral("Das Dokument \"%1\" der Bestellung %2 steht im "
                                           "Protokoll, fehlt aber im Archiv.")
                                .arg(it.key().second)
                                .arg(it.key().first));

    IssuedInvoiceStore store(db);
    QList<int> issued = fingerprints.keys();
    std::sort(issued.begin(), issued.end());
    for (int orderId : issued) {
        if (deleted.contains(orderId))
            continue;
        ++check.invoices;
        const auto fingerprint = store.fingerprint(orderId);
        if (!fingerprint) {
            if (!db.lastError().isEmpty())
                return std::nullopt;
            return mismatch(QStringLiteral("Die ausgestellte Rechnung der Bestellung %1 fehlt in "
                                           "der Datenbank, ohne dass ihre Löschung im Protokoll "
                                           "steht.")
                                .arg(orderId));
        }
        if (*fingerprint != fingerprints.value(orderId))
            return mismatch(QStringLiteral("Die Angaben der ausgestellten Rechnung der Bestellung "
                                           "%1 (Kunde, Anschrift, Positionen, Preise, Nummer oder "
                                           "Daten) wurden nach der Ausstellung verändert.")
                                .arg(orderId));
    }
    check.message = QStringLiteral("Alles in Ordnung: %1 Protokolleinträge, %2 archivierte "
                                   "Dokumente und %3 ausgestellte Rechnungen geprüft.")
                        .arg(check.entries)
                        .arg(check.documents)
                        .arg(check.invoices);
    return check;
}

} // namespace vq::invoice
