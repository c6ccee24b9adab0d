// Orders, their lines and options, the report views, invoice numbers and
// storing an order that came by mail.
#include "invoice_database.h"
#include "invoice_database_rows.h"
#include "order_amounts.h"

#include <QSqlError>
#include <QSqlQuery>

#include <limits>

namespace vq::invoice {

using namespace dbdetail;

namespace {

TBestellung readOrder(const QSqlQuery &q)
{
    TBestellung o;
    o.id = col(q, "Bestellung_ID").toInt();
    o.mandantId = col(q, "Bestellung_MandantID").toInt();
    o.rechNr = optionalInt(col(q, "Bestellung_RechNr"));
    o.uuid = col(q, "Bestellung_UUID").toString();
    o.zeit = TInvoiceDatabase::timestampFrom(col(q, "Bestellung_Zeit"));
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
    return o;
}

const QString kOrderColumns = QStringLiteral(
    "Bestellung_MandantID, Bestellung_RechNr, Bestellung_UUID, Bestellung_Zeit, Bestellung_Firma, "
    "Bestellung_Name, Bestellung_Nachname, Bestellung_Strasse, Bestellung_PLZ, Bestellung_Ort, "
    "Bestellung_Land, Bestellung_Telefon, Bestellung_EMail, Bestellung_Homepage, Bestellung_IP, "
    "Bestellung_Status, Bestellung_Bemerkung, Bestellung_Rechnungsdatum, "
    "Bestellung_Kaeuferreferenz, "
    "Bestellung_Preisberechnung");

QVariantList orderValues(const TBestellung &o)
{
    return {o.mandantId,
            nullable(o.rechNr),
            o.uuid,
            o.zeit.isValid() ? QVariant(TInvoiceDatabase::timestampText(o.zeit))
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
            o.netto ? QStringLiteral("netto") : QStringLiteral("brutto")};
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
} // namespace

// Orders --------------------------------------------------------------------

std::optional<QList<OrderListRow>> TInvoiceDatabase::orderList(int mandantId)
{
    QSqlQuery q(connection());
    // Oldest first, so that the last row is the newest order; orders without
    // a date first, on both back ends (they sort NULL differently).
    q.prepare(QStringLiteral("SELECT * FROM AbfMainWindowBest WHERE Bestellung_MandantID = ? "
                             "ORDER BY %1, Bestellung_ID")
                  .arg(nullsFirst(QStringLiteral("Bestellung_Zeit"))));
    q.addBindValue(mandantId);
    if (!execQuery(q))
        return std::nullopt;
    QList<OrderListRow> result;
    while (q.next()) {
        OrderListRow row;
        row.rechNr = optionalInt(col(q, "Bestellung_RechNr"));
        row.zeit = timestampFrom(col(q, "Bestellung_Zeit"));
        row.name = col(q, "Bestellung_Name").toString();
        row.firma = col(q, "Bestellung_Firma").toString();
        row.nachname = col(q, "Bestellung_Nachname").toString();
        row.statusBestellung = col(q, "StatusBestellung").toString();
        row.bestellungId = col(q, "Bestellung_ID").toInt();
        row.mandantId = col(q, "Bestellung_MandantID").toInt();
        result << row;
    }
    if (!readToTheEnd(q))
        return std::nullopt;
    if (!fillOrderTotals(mandantId, result))
        return std::nullopt;
    return result;
}

bool TInvoiceDatabase::fillOrderTotals(int mandantId, QList<OrderListRow> &rows)
{
    // Every line and option of the client's orders in two reads; the totals by
    // the money rule, as the invoice will print them.
    struct Order
    {
        TBestellung head;
        QList<TArtikel> lines;
    };
    QHash<int, Order> orders;
    QHash<int, QPair<int, int>> lineAt; // line id: order id, index
    QSqlQuery lines(connection());
    lines.setForwardOnly(true);
    lines.prepare(
        QStringLiteral("SELECT a.Artikel_ID, a.Artikel_BestellungID, a.Artikel_Anzahl, "
                       "a.Artikel_Preis, a.Artikel_Mwst, "
                       "b.Bestellung_Preisberechnung FROM Artikel a INNER JOIN Bestellung b "
                       "ON b.Bestellung_ID = a.Artikel_BestellungID WHERE b.Bestellung_MandantID = "
                       "? ORDER BY a.Artikel_ID"));
    lines.addBindValue(mandantId);
    if (!execQuery(lines))
        return false;
    while (lines.next()) {
        TArtikel line;
        line.id = col(lines, "Artikel_ID").toInt();
        line.bestellungId = col(lines, "Artikel_BestellungID").toInt();
        line.anzahl = col(lines, "Artikel_Anzahl").toInt();
        line.preis = col(lines, "Artikel_Preis").toDouble();
        line.mwst = col(lines, "Artikel_Mwst").toDouble();
        Order &order = orders[line.bestellungId];
        order.head.netto = col(lines, "Bestellung_Preisberechnung")
                               .toString()
                               .trimmed()
                               .compare(u"netto", Qt::CaseInsensitive)
                           == 0;
        lineAt.insert(line.id, {line.bestellungId, int(order.lines.size())});
        order.lines << line;
    }
    if (!readToTheEnd(lines))
        return false;
    QSqlQuery options(connection());
    options.setForwardOnly(true);
    options.prepare(QStringLiteral(
        "SELECT o.Option_ArtikelID, o.Option_Preis FROM Optionen o INNER JOIN Artikel a "
        "ON a.Artikel_ID = o.Option_ArtikelID INNER JOIN Bestellung b ON b.Bestellung_ID = "
        "a.Artikel_BestellungID "
        "WHERE b.Bestellung_MandantID = ? AND o.Option_Preis IS NOT NULL ORDER BY o.Option_ID"));
    options.addBindValue(mandantId);
    if (!execQuery(options))
        return false;
    while (options.next()) {
        const auto at = lineAt.constFind(col(options, "Option_ArtikelID").toInt());
        if (at == lineAt.constEnd())
            continue;
        TOption option;
        option.preis = col(options, "Option_Preis").toDouble();
        orders[at->first].lines[at->second].optionen << option;
    }
    if (!readToTheEnd(options))
        return false;
    for (OrderListRow &row : rows) {
        const auto order = orders.constFind(row.bestellungId);
        if (order == orders.constEnd()) {
            row.totalCents = 0;
            continue;
        }
        const auto amounts = orderAmounts(order->head, order->lines, nullptr);
        row.totalCents = amounts ? std::optional<qint64>(amounts->grossCents) : std::nullopt;
    }
    return true;
}

std::optional<QList<TBestellung>> TInvoiceDatabase::ordersOfClient(int mandantId)
{
    QSqlQuery q(connection());
    q.prepare(QStringLiteral(
        "SELECT * FROM Bestellung WHERE Bestellung_MandantID = ? ORDER BY Bestellung_ID"));
    q.addBindValue(mandantId);
    if (!execQuery(q))
        return std::nullopt;
    QList<TBestellung> result;
    while (q.next())
        result << readOrder(q);
    if (!readToTheEnd(q))
        return std::nullopt;
    return result;
}

std::optional<TBestellung> TInvoiceDatabase::order(int bestellungId)
{
    m_lastError.clear();
    QSqlQuery q(connection());
    q.prepare(QStringLiteral("SELECT * FROM Bestellung WHERE Bestellung_ID = ?"));
    q.addBindValue(bestellungId);
    if (!execQuery(q))
        return std::nullopt;
    if (q.next())
        return readOrder(q);
    readToTheEnd(q);
    return std::nullopt;
}

std::optional<int> TInvoiceDatabase::insertOrder(const TBestellung &order)
{
    const QVariantList values = orderValues(order);
    return insertReturningKey(
        QStringLiteral("INSERT INTO Bestellung (%1) VALUES (%2) RETURNING Bestellung_ID")
            .arg(kOrderColumns, placeholders(int(values.size()))),
        values);
}

std::optional<QDate> TInvoiceDatabase::invoiceDate(int bestellungId, const QDate &today)
{
    // Only an order without a date takes today's: a reprint keeps the first.
    QSqlQuery set(connection());
    set.prepare(QStringLiteral("UPDATE Bestellung SET Bestellung_Rechnungsdatum = ? "
                               "WHERE Bestellung_ID = ? AND Bestellung_Rechnungsdatum IS NULL"));
    set.addBindValue(today.toString(Qt::ISODate));
    set.addBindValue(bestellungId);
    if (!execQuery(set))
        return std::nullopt;
    const auto stored = order(bestellungId);
    if (!stored || !stored->rechnungsdatum.isValid())
        return std::nullopt;
    return stored->rechnungsdatum;
}

bool TInvoiceDatabase::updateOrder(const TBestellung &order)
{
    QVariantList values = orderValues(order);
    values << order.id;
    return exec(
        QStringLiteral("UPDATE Bestellung SET %1, Bestellung_Version = Bestellung_Version + 1 "
                       "WHERE Bestellung_ID = ?")
            .arg(assignments(kOrderColumns)),
        values);
}

bool TInvoiceDatabase::lockOrdersForNumbering()
{
    return m_dialect != SqlDialect::PostgreSQL
           || exec(QStringLiteral("LOCK TABLE Bestellung IN SHARE ROW EXCLUSIVE MODE"));
}

TInvoiceDatabase::VersionedWrite TInvoiceDatabase::updateOrderAtVersion(const TBestellung &order)
{
    // A date printing set meanwhile is kept: the invoice went out with it.
    QString set = assignments(kOrderColumns);
    set.replace(
        QStringLiteral("Bestellung_Rechnungsdatum = ?"),
        QStringLiteral("Bestellung_Rechnungsdatum = COALESCE(Bestellung_Rechnungsdatum, ?)"));
    QVariantList values = orderValues(order);
    values << order.id << order.version;
    QSqlQuery q(connection());
    q.prepare(
        QStringLiteral("UPDATE Bestellung SET %1, Bestellung_Version = Bestellung_Version + 1 "
                       "WHERE Bestellung_ID = ? AND Bestellung_Version = ?")
            .arg(set));
    for (const QVariant &value : std::as_const(values))
        q.addBindValue(storable(value));
    if (!execQuery(q))
        return VersionedWrite::Failed;
    if (q.numRowsAffected() == 1)
        return VersionedWrite::Written;
    const auto stored = this->order(order.id);
    if (!stored)
        return m_lastError.isEmpty() ? VersionedWrite::Gone : VersionedWrite::Failed;
    return VersionedWrite::Changed;
}

bool TInvoiceDatabase::deleteOrder(int bestellungId)
{
    return exec(QStringLiteral("DELETE FROM Bestellung WHERE Bestellung_ID = ?"), {bestellungId});
}

std::optional<QList<TArtikel>> TInvoiceDatabase::linesOfOrder(int bestellungId)
{
    QSqlQuery q(connection());
    // By article number in code-point order, whatever the server's collation;
    // lines without number first; equal numbers in the order they were added.
    q.prepare(QStringLiteral(
                  "SELECT * FROM Artikel WHERE Artikel_BestellungID = ? ORDER BY %1, Artikel_ID")
                  .arg(byCodePoint(QStringLiteral("COALESCE(Artikel_Nr, '')"))));
    q.addBindValue(bestellungId);
    if (!execQuery(q))
        return std::nullopt;
    QList<TArtikel> result;
    while (q.next()) {
        TArtikel line;
        line.id = col(q, "Artikel_ID").toInt();
        line.bestellungId = col(q, "Artikel_BestellungID").toInt();
        line.nr = col(q, "Artikel_Nr").toString();
        line.name = col(q, "Artikel_Name").toString();
        line.anzahl = col(q, "Artikel_Anzahl").toInt();
        line.preis = col(q, "Artikel_Preis").toDouble();
        line.mwst = col(q, "Artikel_Mwst").toDouble();
        result << line;
    }
    if (!readToTheEnd(q))
        return std::nullopt;
    return result;
}

std::optional<QList<TArtikel>> TInvoiceDatabase::linesWithOptions(int bestellungId)
{
    auto lines = linesOfOrder(bestellungId);
    if (!lines)
        return std::nullopt;
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral(
        "SELECT o.* FROM Optionen o INNER JOIN Artikel a ON a.Artikel_ID = o.Option_ArtikelID "
        "WHERE a.Artikel_BestellungID = ? ORDER BY o.Option_ID"));
    q.addBindValue(bestellungId);
    if (!execQuery(q))
        return std::nullopt;
    QHash<int, qsizetype> index;
    for (qsizetype i = 0; i < lines->size(); ++i)
        index.insert(lines->at(i).id, i);
    while (q.next()) {
        const TOption option = readOption(q);
        const auto at = index.constFind(option.artikelId);
        if (at != index.constEnd())
            (*lines)[*at].optionen << option;
    }
    if (!readToTheEnd(q))
        return std::nullopt;
    return lines;
}

std::optional<int> TInvoiceDatabase::insertLine(const TArtikel &line)
{
    return insertReturningKey(
        QStringLiteral(
            "INSERT INTO Artikel (Artikel_BestellungID, Artikel_Nr, Artikel_Name, Artikel_Anzahl, "
            "Artikel_Preis, Artikel_Mwst) VALUES (?, ?, ?, ?, ?, ?) RETURNING Artikel_ID"),
        {line.bestellungId, line.nr, line.name, line.anzahl, line.preis, line.mwst});
}

bool TInvoiceDatabase::updateLine(const TArtikel &line)
{
    return exec(
        QStringLiteral("UPDATE Artikel SET Artikel_Nr = ?, Artikel_Name = ?, Artikel_Anzahl = ?, "
                       "Artikel_Preis = ?, Artikel_Mwst = ? WHERE Artikel_ID = ?"),
        {line.nr, line.name, line.anzahl, line.preis, line.mwst, line.id});
}

bool TInvoiceDatabase::deleteLine(int artikelId)
{
    return exec(QStringLiteral("DELETE FROM Artikel WHERE Artikel_ID = ?"), {artikelId});
}

std::optional<QList<TOption>> TInvoiceDatabase::optionsOfLine(int artikelId)
{
    QSqlQuery q(connection());
    q.prepare(
        QStringLiteral("SELECT * FROM Optionen WHERE Option_ArtikelID = ? ORDER BY Option_ID"));
    q.addBindValue(artikelId);
    if (!execQuery(q))
        return std::nullopt;
    QList<TOption> result;
    while (q.next())
        result << readOption(q);
    if (!readToTheEnd(q))
        return std::nullopt;
    return result;
}

std::optional<int> TInvoiceDatabase::insertOption(const TOption &option)
{
    return insertReturningKey(
        QStringLiteral("INSERT INTO Optionen (Option_ArtikelID, Option_Name, Option_Wert, "
                       "Option_Preis) VALUES (?, ?, ?, ?) RETURNING Option_ID"),
        {option.artikelId, option.name, option.wert, nullable(option.preis)});
}

bool TInvoiceDatabase::updateOption(const TOption &option)
{
    return exec(
        QStringLiteral("UPDATE Optionen SET Option_Name = ?, Option_Wert = ?, Option_Preis = ? "
                       "WHERE Option_ID = ?"),
        {option.name, option.wert, nullable(option.preis), option.id});
}

bool TInvoiceDatabase::deleteOption(int optionId)
{
    return exec(QStringLiteral("DELETE FROM Optionen WHERE Option_ID = ?"), {optionId});
}

// Invoice numbers -----------------------------------------------------------

std::optional<int> TInvoiceDatabase::nextAfter(const QVariant &highest)
{
    // Empty numbers never count as the highest; there is no number after the largest one.
    if (highest.isNull())
        return 1;
    bool ok = false;
    const qint64 number = highest.toLongLong(&ok);
    if (!ok || number >= std::numeric_limits<int>::max()
        || number < std::numeric_limits<int>::min()) {
        m_lastError =
            QStringLiteral("Es gibt keine Rechnungsnummer nach %1.").arg(highest.toString());
        m_lastErrorIsLock = false;
        return std::nullopt;
    }
    return int(number + 1);
}

std::optional<int> TInvoiceDatabase::nextInvoiceNumberForClient(int mandantId)
{
    // Empty numbers never count as the highest.
    QSqlQuery q(connection());
    q.prepare(QStringLiteral(
        "SELECT MAX(Bestellung_RechNr) FROM Bestellung WHERE Bestellung_MandantID = ?"));
    q.addBindValue(mandantId);
    if (!execQuery(q))
        return std::nullopt;
    if (!q.next()) {
        if (readToTheEnd(q))
            m_lastError =
                QStringLiteral("Die höchste Rechnungsnummer konnte nicht gelesen werden.");
        return std::nullopt;
    }
    return nextAfter(q.value(0));
}

std::optional<int> TInvoiceDatabase::nextInvoiceNumberForMail()
{
    // MAX instead of the first row in descending order: PostgreSQL sorts empty
    // numbers first there, and an empty number never counts as the highest.
    // A number that cannot be read is a failure, never number 1.
    QSqlQuery *q =
        statement(QStringLiteral("SELECT MAX(Bestellung_RechNr) FROM Bestellung WHERE 1 = ?"), {1});
    if (!q)
        return std::nullopt;
    std::optional<int> next;
    if (!q->exec())
        noteError(q->lastError());
    else if (q->next())
        next = nextAfter(q->value(0));
    else if (q->lastError().isValid())
        noteError(q->lastError());
    else
        m_lastError = QStringLiteral("Die höchste Rechnungsnummer konnte nicht gelesen werden.");
    q->finish();
    return next;
}

std::optional<TBestellung> TInvoiceDatabase::orderWithInvoiceNumber(int mandantId, int rechNr,
                                                                    int exceptOrderId)
{
    m_lastError.clear();
    QSqlQuery q(connection());
    q.prepare(
        QStringLiteral("SELECT * FROM Bestellung WHERE Bestellung_MandantID = ? AND "
                       "Bestellung_RechNr = ? AND Bestellung_ID <> ? ORDER BY Bestellung_ID"));
    q.addBindValue(mandantId);
    q.addBindValue(rechNr);
    q.addBindValue(exceptOrderId);
    if (!execQuery(q))
        return std::nullopt;
    if (q.next())
        return readOrder(q);
    readToTheEnd(q);
    return std::nullopt;
}

int TInvoiceDatabase::countOrdersWithUuid(const QString &uuid)
{
    QSqlQuery *q = statement(
        QStringLiteral("SELECT COUNT(*) AS Anzahl FROM Bestellung WHERE Bestellung_UUID = ?"),
        {uuid});
    if (!q)
        return -1;
    int count = -1;
    if (!q->exec())
        noteError(q->lastError());
    else if (q->next())
        count = q->value(0).toInt();
    else if (q->lastError().isValid())
        noteError(q->lastError());
    else
        m_lastError = QStringLiteral("Die Bestellungen konnten nicht gezählt werden.");
    q->finish();
    return count;
}

MailOrderStore TInvoiceDatabase::storeMailOrder(TBestellung order, const QList<TArtikel> &lines,
                                                int mandantId, const QString &mailbox,
                                                const KnownMessage *message)
{
    MailOrderStore result;
    // What no back end could store, or PostgreSQL alone would refuse, is
    // refused before the database is asked: such an order must not look like
    // a failing database, which ends the import run every time.
    if (order.uuid.size() > kMaxUuidLength) {
        m_lastError = QStringLiteral("Die Kennung der Bestellung ist länger als %1 Zeichen.")
                          .arg(kMaxUuidLength);
        m_lastErrorIsLock = false;
        result.outcome = MailOrderStore::Refused;
        return result;
    }
    if (order.zeit.isValid() && (order.zeit.date().year() < 1 || order.zeit.date().year() > 9999)) {
        m_lastError =
            QStringLiteral("Das Datum der Bestellung liegt außerhalb der Jahre 1 bis 9999.");
        m_lastErrorIsLock = false;
        result.outcome = MailOrderStore::Refused;
        return result;
    }
    // The check for the identifier and the store are one unit under the write
    // lock, so two imports at once cannot both find an order new. SQLite takes
    // its lock at the start (waiting within the busy timeout); PostgreSQL locks
    // the order table against other writers, reads stay possible.
    if (!begin(WriteLock::AtStart))
        return result;
    auto fail = [&]() {
        const QString reason = m_lastError;
        const bool lock = m_lastErrorIsLock;
        rollback();
        m_lastError = reason;
        m_lastErrorIsLock = lock;
        result.outcome = MailOrderStore::Failed;
        return result;
    };
    if (!lockOrdersForNumbering())
        return fail();
    if (!order.uuid.isEmpty()) {
        const int count = countOrdersWithUuid(order.uuid);
        if (count < 0)
            return fail(); // a failed check is a failure, never "not there"
        if (count > 0) {
            if (message && !rememberMessage(mandantId, mailbox, *message))
                return fail();
            if (!commit())
                return fail();
            result.outcome = MailOrderStore::AlreadyThere;
            return result;
        }
    }
    order.mandantId = mandantId;
    order.status = 1;
    order.rechNr = nextInvoiceNumberForMail();
    if (!order.rechNr)
        return fail();
    const auto orderId = insertOrder(order);
    if (!orderId)
        return fail();
    for (TArtikel line : lines) {
        line.bestellungId = *orderId;
        const auto lineId = insertLine(line);
        if (!lineId)
            return fail();
        for (TOption option : line.optionen) {
            option.artikelId = *lineId;
            if (!insertOption(option))
                return fail();
        }
    }
    if (message && !rememberMessage(mandantId, mailbox, *message))
        return fail();
    if (!commit())
        return fail();
    result.outcome = MailOrderStore::Stored;
    result.orderId = *orderId;
    return result;
}

QString TInvoiceDatabase::nullsFirst(const QString &expression) const
{
    // SQLite sorts NULL first in ascending order, PostgreSQL last.
    return QStringLiteral("CASE WHEN %1 IS NULL THEN 0 ELSE 1 END, %1").arg(expression);
}

QString TInvoiceDatabase::byCodePoint(const QString &expression) const
{
    // SQLite compares text byte by byte (BINARY), which for UTF-8 is code-point
    // order; PostgreSQL does the same with the collation "C".
    return m_dialect == SqlDialect::SQLite ? expression + QStringLiteral(" COLLATE BINARY")
                                           : expression + QStringLiteral(" COLLATE \"C\"");
}

} // namespace vq::invoice
