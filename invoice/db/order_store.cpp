// Orders, their lines and options, and the order list with the totals.
#include "invoice/db/order_store.h"
#include "invoice/db/audit_trail.h"
#include "invoice/db/clients.h"
#include "invoice/db/issued_invoices.h"
#include "invoice/db/sql_values.h"
#include "invoice/money/order_amounts.h"
#include "invoice/records/invoice_numbers.h"

namespace vq::invoice {

using namespace dbdetail;

TBestellung dbdetail::readOrder(const QSqlQuery &q)
{
    TBestellung o;
    o.id = col(q, "Bestellung_ID").toInt();
    o.mandantId = col(q, "Bestellung_MandantID").toInt();
    o.rechNr = optionalInt(col(q, "Bestellung_RechNr"));
    o.uuid = col(q, "Bestellung_UUID").toString();
    o.zeit = InvoiceConnection::timestampFrom(col(q, "Bestellung_Zeit"));
    o.firma = col(q, "Bestellung_Firma").toString();
    o.name = col(q, "Bestellung_Name").toString();
    o.nachname = col(q, "Bestellung_Nachname").toString();
    o.strasse = col(q, "Bestellung_Strasse").toString();
    o.plz = col(q, "Bestellung_PLZ").toString();
    o.ort = col(q, "Bestellung_Ort").toString();
    o.land = col(q, "Bestellung_Land").toString();
    o.telefon = col(q, "Bestellung_Telefon").toString();
    o.email = col(q, "Bestellung_EMail").toString();
    o.homepage = col(q, "Bestellung_Homepage").toString();
    o.ip = col(q, "Bestellung_IP").toString();
    o.status = col(q, "Bestellung_Status").toInt();
    o.bemerkung = col(q, "Bestellung_Bemerkung").toString();
    o.rechnungsdatum = col(q, "Bestellung_Rechnungsdatum").toDate();
    o.kaeuferreferenz = col(q, "Bestellung_Kaeuferreferenz").toString();
    o.netto = col(q, "Bestellung_Preisberechnung")
                  .toString()
                  .trimmed()
                  .compare(u"netto", Qt::CaseInsensitive)
              == 0;
    o.version = col(q, "Bestellung_Version").toInt();
    o.rechJahr = optionalInt(col(q, "Bestellung_RechJahr"));
    o.rechNrText = col(q, "Bestellung_RechNrText").toString();
    o.stornoZu = optionalInt(col(q, "Bestellung_StornoZu"));
    o.ustIdNr = col(q, "Bestellung_UStIdNr").toString();
    o.emailERechnung = col(q, "Bestellung_EMailERechnung").toString();
    o.steuerfall = col(q, "Bestellung_Steuerfall").toString();
    o.lieferdatum = col(q, "Bestellung_Lieferdatum").toDate();
    return o;
}

namespace {

const QString kOrderColumns = QStringLiteral(
    "Bestellung_MandantID, Bestellung_RechNr, Bestellung_UUID, Bestellung_Zeit, Bestellung_Firma, "
    "Bestellung_Name, Bestellung_Nachname, Bestellung_Strasse, Bestellung_PLZ, Bestellung_Ort, "
    "Bestellung_Land, Bestellung_Telefon, Bestellung_EMail, Bestellung_Homepage, Bestellung_IP, "
    "Bestellung_Status, Bestellung_Bemerkung, Bestellung_Rechnungsdatum, "
    "Bestellung_Kaeuferreferenz, Bestellung_Preisberechnung, Bestellung_RechJahr, "
    "Bestellung_RechNrText, Bestellung_StornoZu, Bestellung_UStIdNr, Bestellung_EMailERechnung, "
    "Bestellung_Steuerfall, Bestellung_Lieferdatum");

QVariantList orderValues(const TBestellung &o)
{
    return {o.mandantId,
            nullable(o.rechNr),
            o.uuid,
            o.zeit.isValid() ? QVariant(InvoiceConnection::timestampText(o.zeit))
                             : QVariant(QMetaType(QMetaType::QString)),
            o.firma,
            o.name,
            o.nachname,
            o.strasse,
            o.plz,
            o.ort,
            o.land,
            o.telefon,
            o.email,
            o.homepage,
            o.ip,
            o.status,
            o.bemerkung,
            o.rechnungsdatum.isValid() ? QVariant(o.rechnungsdatum.toString(Qt::ISODate))
                                       : QVariant(QMetaType(QMetaType::QString)),
            o.kaeuferreferenz.isNull() ? QStringLiteral("") : o.kaeuferreferenz,
            o.netto ? QStringLiteral("netto") : QStringLiteral("brutto"),
            nullable(o.rechJahr),
            notNull(o.rechNrText),
            nullable(o.stornoZu),
            notNull(o.ustIdNr),
            notNull(o.emailERechnung),
            notNull(o.steuerfall),
            o.lieferdatum.isValid() ? QVariant(o.lieferdatum.toString(Qt::ISODate))
                                    : QVariant(QMetaType(QMetaType::QString))};
}

TOption readOption(const QSqlQuery &q)
{
    TOption o;
    o.id = col(q, "Option_ID").toInt();
    o.artikelId = col(q, "Option_ArtikelID").toInt();
    o.name = col(q, "Option_Name").toString();
    o.wert = col(q, "Option_Wert").toString();
    o.preis = optionalDouble(col(q, "Option_Preis"));
    return o;
}

QString nullsFirst(const QString &expression)
{
    // SQLite sorts NULL first in ascending order, PostgreSQL last.
    return QStringLiteral("CASE WHEN %1 IS NULL THEN 0 ELSE 1 END, %1").arg(expression);
}

QString byCodePoint(SqlDialect dialect, const QString &expression)
{
    // SQLite compares text byte by byte (BINARY), which for UTF-8 is code-point
    // order; PostgreSQL does the same with the collation "C".
    return dialect == SqlDialect::SQLite ? expression + QStringLiteral(" COLLATE BINARY")
                                         : expression + QStringLiteral(" COLLATE \"C\"");
}

} // namespace

// Orders --------------------------------------------------------------------

std::optional<QList<OrderListRow>> OrderStore::orderList(int mandantId)
{
    // Oldest first, so that the last row is the newest order; orders without
    // a date first, on both back ends (they sort NULL differently).
    auto result =
        m_db.rows(QStringLiteral("SELECT v.*, b.Bestellung_RechNrText FROM AbfMainWindowBest v "
                                 "INNER JOIN Bestellung b ON b.Bestellung_ID = v.Bestellung_ID "
                                 "WHERE v.Bestellung_MandantID = ? ORDER BY %1, v.Bestellung_ID")
                      .arg(nullsFirst(QStringLiteral("v.Bestellung_Zeit"))),
                  {mandantId}, [](const QSqlQuery &q) {
                      OrderListRow row;
                      row.rechNr = optionalInt(col(q, "Bestellung_RechNr"));
                      row.rechNrText = col(q, "Bestellung_RechNrText").toString();
                      row.zeit = InvoiceConnection::timestampFrom(col(q, "Bestellung_Zeit"));
                      row.name = col(q, "Bestellung_Name").toString();
                      row.firma = col(q, "Bestellung_Firma").toString();
                      row.nachname = col(q, "Bestellung_Nachname").toString();
                      row.statusBestellung = col(q, "StatusBestellung").toString();
                      row.bestellungId = col(q, "Bestellung_ID").toInt();
                      row.mandantId = col(q, "Bestellung_MandantID").toInt();
                      return row;
                  });
    if (!result || !fillOrderTotals(mandantId, *result))
        return std::nullopt;
    return result;
}

bool OrderStore::fillOrderTotals(int mandantId, QList<OrderListRow> &rows)
{
    // Every line and option of the client's orders in two reads; the totals by
    // the money rule, as the invoice will print them.
    struct PricedLine
    {
        TArtikel line;
        bool netto = false;
        QString steuerfall;
    };
    const auto lines = m_db.rows(
        QStringLiteral("SELECT a.Artikel_ID, a.Artikel_BestellungID, a.Artikel_Anzahl, "
                       "a.Artikel_Preis, a.Artikel_Mwst, "
                       "b.Bestellung_Preisberechnung, b.Bestellung_Steuerfall FROM Artikel a INNER "
                       "JOIN Bestellung b "
                       "ON b.Bestellung_ID = a.Artikel_BestellungID WHERE b.Bestellung_MandantID = "
                       "? ORDER BY a.Artikel_ID"),
        {mandantId}, [](const QSqlQuery &q) {
            PricedLine priced;
            priced.line.id = col(q, "Artikel_ID").toInt();
            priced.line.bestellungId = col(q, "Artikel_BestellungID").toInt();
            priced.line.anzahl = col(q, "Artikel_Anzahl").toInt();
            priced.line.preis = col(q, "Artikel_Preis").toDouble();
            priced.line.mwst = col(q, "Artikel_Mwst").toDouble();
            priced.netto = col(q, "Bestellung_Preisberechnung")
                               .toString()
                               .trimmed()
                               .compare(u"netto", Qt::CaseInsensitive)
                           == 0;
            priced.steuerfall = col(q, "Bestellung_Steuerfall").toString();
            return priced;
        });
    if (!lines)
        return false;
    const auto options = m_db.rows(
        QStringLiteral(
            "SELECT o.Option_ArtikelID, o.Option_Preis FROM Optionen o INNER JOIN Artikel a "
            "ON a.Artikel_ID = o.Option_ArtikelID INNER JOIN Bestellung b ON b.Bestellung_ID = "
            "a.Artikel_BestellungID "
            "WHERE b.Bestellung_MandantID = ? AND o.Option_Preis IS NOT NULL ORDER BY o.Option_ID"),
        {mandantId}, [](const QSqlQuery &q) {
            TOption option;
            option.artikelId = col(q, "Option_ArtikelID").toInt();
            option.preis = col(q, "Option_Preis").toDouble();
            return option;
        });
    if (!options)
        return false;
    // Whether the client charges VAT at all.
    auto client = ClientStore(m_db).client(mandantId);
    if (!client && !m_db.lastError().isEmpty())
        return false;
    if (!client)
        client = TMandant{};
    struct Order
    {
        TBestellung head;
        QList<TArtikel> lines;
    };
    QHash<int, Order> orders;
    QHash<int, QPair<int, int>> lineAt; // line id: order id, index
    for (const PricedLine &priced : *lines) {
        Order &order = orders[priced.line.bestellungId];
        order.head.netto = priced.netto;
        order.head.steuerfall = priced.steuerfall;
        lineAt.insert(priced.line.id, {priced.line.bestellungId, int(order.lines.size())});
        order.lines << priced.line;
    }
    for (const TOption &option : *options) {
        const auto at = lineAt.constFind(option.artikelId);
        if (at != lineAt.constEnd())
            orders[at->first].lines[at->second].optionen << option;
    }
    for (OrderListRow &row : rows) {
        const auto order = orders.constFind(row.bestellungId);
        if (order == orders.constEnd()) {
            row.totalCents = 0;
            continue;
        }
        const auto amounts = invoiceAmounts(*client, order->head, order->lines, nullptr);
        row.totalCents = amounts ? std::optional<qint64>(amounts->grossCents) : std::nullopt;
    }
    return true;
}

std::optional<QList<TBestellung>> OrderStore::ordersOfClient(int mandantId)
{
    return m_db.rows(QStringLiteral("SELECT * FROM Bestellung WHERE Bestellung_MandantID = ? "
                                    "ORDER BY Bestellung_ID"),
                     {mandantId}, readOrder);
}

std::optional<TBestellung> OrderStore::order(int bestellungId)
{
    return m_db.row(QStringLiteral("SELECT * FROM Bestellung WHERE Bestellung_ID = ?"),
                    {bestellungId}, readOrder);
}

std::optional<int> OrderStore::insertOrder(const TBestellung &order)
{
    const QVariantList values = orderValues(order);
    return m_db.insertReturningKey(
        QStringLiteral("INSERT INTO Bestellung (%1) VALUES (%2) RETURNING Bestellung_ID")
            .arg(kOrderColumns, placeholders(int(values.size()))),
        values);
}

bool OrderStore::updateOrder(const TBestellung &order)
{
    QVariantList values = orderValues(order);
    values << order.id;
    return m_db.exec(
        QStringLiteral("UPDATE Bestellung SET %1, Bestellung_Version = Bestellung_Version + 1 "
                       "WHERE Bestellung_ID = ?")
            .arg(assignments(kOrderColumns)),
        values);
}

OrderStore::VersionedWrite OrderStore::updateOrderAtVersion(const TBestellung &order)
{
    if (order.issued())
        return updateIssuedOrderAtVersion(order);
    // A date printing set meanwhile is kept: the invoice went out with it.
    QString set = assignments(kOrderColumns);
    set.replace(
        QStringLiteral("Bestellung_Rechnungsdatum = ?"),
        QStringLiteral("Bestellung_Rechnungsdatum = COALESCE(Bestellung_Rechnungsdatum, ?)"));
    QVariantList values = orderValues(order);
    values << order.id << order.version;
    const auto written = m_db.execCounting(
        QStringLiteral("UPDATE Bestellung SET %1, Bestellung_Version = Bestellung_Version + 1 "
                       "WHERE Bestellung_ID = ? AND Bestellung_Version = ?")
            .arg(set),
        values);
    if (!written)
        return VersionedWrite::Failed;
    if (*written == 1)
        return VersionedWrite::Written;
    const auto stored = this->order(order.id);
    if (!stored)
        return m_db.lastError().isEmpty() ? VersionedWrite::Gone : VersionedWrite::Failed;
    return VersionedWrite::Changed;
}

OrderStore::VersionedWrite OrderStore::updateIssuedOrderAtVersion(const TBestellung &order)
{
    // What an issued invoice leaves open: its state, the remark and how to
    // reach the customer. Each change goes into the audit trail with the
    // write, in one transaction.
    if (!m_db.begin())
        return VersionedWrite::Failed;
    const auto stored = this->order(order.id);
    if (!stored) {
        const bool gone = m_db.lastError().isEmpty();
        m_db.rollbackKeepingError();
        return gone ? VersionedWrite::Gone : VersionedWrite::Failed;
    }
    if (stored->version != order.version) {
        m_db.rollback();
        return VersionedWrite::Changed;
    }
    const auto failed = [this] {
        m_db.rollbackKeepingError();
        return VersionedWrite::Failed;
    };
    struct Field
    {
        const char *column;
        QVariant before, after;
    };
    const Field fields[] = {
        {"Bestellung_Status", stored->status, order.status},
        {"Bestellung_Bemerkung", stored->bemerkung, order.bemerkung},
        {"Bestellung_Telefon", stored->telefon, order.telefon},
        {"Bestellung_EMail", stored->email, order.email},
        {"Bestellung_Homepage", stored->homepage, order.homepage},
        {"Bestellung_IP", stored->ip, order.ip},
    };
    AuditTrail trail(m_db);
    for (const Field &field : fields) {
        if (field.before.toString() == field.after.toString())
            continue;
        if (!trail.append(QString::fromUtf16(kAuditChanged), order.mandantId, order.id,
                          QString::fromLatin1(field.column), field.before.toString(),
                          field.after.toString()))
            return failed();
    }
    if (!m_db.exec(QStringLiteral("UPDATE Bestellung SET Bestellung_Status = ?, "
                                  "Bestellung_Bemerkung = ?, Bestellung_Telefon = ?, "
                                  "Bestellung_EMail = ?, Bestellung_Homepage = ?, Bestellung_IP = "
                                  "?, Bestellung_Version = Bestellung_Version + 1 WHERE "
                                  "Bestellung_ID = ?"),
                   {order.status, notNull(order.bemerkung), notNull(order.telefon),
                    notNull(order.email), notNull(order.homepage), notNull(order.ip), order.id}))
        return failed();
    return m_db.commit() ? VersionedWrite::Written : failed();
}

bool OrderStore::deleteOrder(int bestellungId, const QDate &today)
{
    const auto stored = order(bestellungId);
    if (!stored)
        return m_db.lastError().isEmpty(); // gone already
    if (stored->issued()) {
        // An issued invoice is kept to the end of the eighth year after its
        // issue (the database refuses it too); then its deletion is recorded.
        const QDate keptUntil = retentionEnd(stored->rechnungsdatum);
        AuditTrail trail(m_db);
        if (keptUntil >= today) {
            const QString message =
                retentionMessage(QStringLiteral("Die Bestellung %1").arg(bestellungId), keptUntil);
            trail.append(QString::fromUtf16(kAuditRefused), stored->mandantId, bestellungId,
                         QStringLiteral("Löschen"), QString(), message);
            return m_db.fail(message);
        }
        if (!m_db.begin())
            return false;
        if (!trail.append(QString::fromUtf16(kAuditDeleted), stored->mandantId, bestellungId,
                          invoiceNumberText(*stored))
            || !m_db.exec(QStringLiteral("DELETE FROM Bestellung WHERE Bestellung_ID = ?"),
                          {bestellungId}))
            return m_db.rollbackKeepingError();
        return m_db.commit() || m_db.rollbackKeepingError();
    }
    return m_db.exec(QStringLiteral("DELETE FROM Bestellung WHERE Bestellung_ID = ?"),
                     {bestellungId});
}

// Lines ---------------------------------------------------------------------

std::optional<QList<TArtikel>> OrderStore::linesOfOrder(int bestellungId)
{
    // By article number in code-point order, whatever the server's collation;
    // lines without number first; equal numbers in the order they were added.
    return m_db.rows(
        QStringLiteral(
            "SELECT * FROM Artikel WHERE Artikel_BestellungID = ? ORDER BY %1, Artikel_ID")
            .arg(byCodePoint(m_db.dialect(), QStringLiteral("COALESCE(Artikel_Nr, '')"))),
        {bestellungId}, [](const QSqlQuery &q) {
            TArtikel line;
            line.id = col(q, "Artikel_ID").toInt();
            line.bestellungId = col(q, "Artikel_BestellungID").toInt();
            line.nr = col(q, "Artikel_Nr").toString();
            line.name = col(q, "Artikel_Name").toString();
            line.anzahl = col(q, "Artikel_Anzahl").toInt();
            line.preis = col(q, "Artikel_Preis").toDouble();
            line.mwst = col(q, "Artikel_Mwst").toDouble();
            return line;
        });
}

std::optional<QList<TArtikel>> OrderStore::linesWithOptions(int bestellungId)
{
    auto lines = linesOfOrder(bestellungId);
    if (!lines)
        return std::nullopt;
    const auto options = m_db.rows(
        QStringLiteral(
            "SELECT o.* FROM Optionen o INNER JOIN Artikel a ON a.Artikel_ID = o.Option_ArtikelID "
            "WHERE a.Artikel_BestellungID = ? ORDER BY o.Option_ID"),
        {bestellungId}, readOption);
    if (!options)
        return std::nullopt;
    QHash<int, qsizetype> index;
    for (qsizetype i = 0; i < lines->size(); ++i)
        index.insert(lines->at(i).id, i);
    for (const TOption &option : *options) {
        const auto at = index.constFind(option.artikelId);
        if (at != index.constEnd())
            (*lines)[*at].optionen << option;
    }
    return lines;
}

std::optional<int> OrderStore::insertLine(const TArtikel &line)
{
    return m_db.insertReturningKey(
        QStringLiteral(
            "INSERT INTO Artikel (Artikel_BestellungID, Artikel_Nr, Artikel_Name, Artikel_Anzahl, "
            "Artikel_Preis, Artikel_Mwst) VALUES (?, ?, ?, ?, ?, ?) RETURNING Artikel_ID"),
        {line.bestellungId, line.nr, line.name, line.anzahl, line.preis, line.mwst});
}

bool OrderStore::updateLine(const TArtikel &line)
{
    return m_db.exec(
        QStringLiteral("UPDATE Artikel SET Artikel_Nr = ?, Artikel_Name = ?, Artikel_Anzahl = ?, "
                       "Artikel_Preis = ?, Artikel_Mwst = ? WHERE Artikel_ID = ?"),
        {line.nr, line.name, line.anzahl, line.preis, line.mwst, line.id});
}

bool OrderStore::deleteLine(int artikelId)
{
    return m_db.exec(QStringLiteral("DELETE FROM Artikel WHERE Artikel_ID = ?"), {artikelId});
}

// Options -------------------------------------------------------------------

std::optional<QList<TOption>> OrderStore::optionsOfLine(int artikelId)
{
    return m_db.rows(
        QStringLiteral("SELECT * FROM Optionen WHERE Option_ArtikelID = ? ORDER BY Option_ID"),
        {artikelId}, readOption);
}

std::optional<int> OrderStore::insertOption(const TOption &option)
{
    return m_db.insertReturningKey(
        QStringLiteral("INSERT INTO Optionen (Option_ArtikelID, Option_Name, Option_Wert, "
                       "Option_Preis) VALUES (?, ?, ?, ?) RETURNING Option_ID"),
        {option.artikelId, option.name, option.wert, nullable(option.preis)});
}

bool OrderStore::updateOption(const TOption &option)
{
    return m_db.exec(
        QStringLiteral("UPDATE Optionen SET Option_Name = ?, Option_Wert = ?, Option_Preis = ? "
                       "WHERE Option_ID = ?"),
        {option.name, option.wert, nullable(option.preis), option.id});
}

bool OrderStore::deleteOption(int optionId)
{
    return m_db.exec(QStringLiteral("DELETE FROM Optionen WHERE Option_ID = ?"), {optionId});
}

} // namespace vq::invoice
