#include "invoice_report_data.h"

#include <QSqlError>
#include <QSqlQuery>

namespace vq::invoice {

namespace {

std::optional<double> optionalDouble(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toDouble();
}

QVariant col(const QSqlQuery &query, const char *name)
{
    return query.value(QString::fromLatin1(name));
}

} // namespace

std::optional<QList<OptionReportRow>> optionsOfOrderForReport(TInvoiceDatabase &db, int bestellungId, QString *error)
{
    QList<OptionReportRow> result;
    QSqlQuery q(db.connection());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral(
        "SELECT Optionen.Option_ID, Optionen.Option_ArtikelID, Optionen.Option_Name, "
        "Optionen.Option_Wert, "
        "Artikel.Artikel_Mwst, Artikel.Artikel_Anzahl, Optionen.Option_Preis, "
        "(Optionen.Option_Preis * Artikel.Artikel_Anzahl) AS Gesamtpreis, "
        "((Optionen.Option_Preis * Artikel.Artikel_Anzahl * Artikel.Artikel_Mwst) / "
        "(Artikel.Artikel_Mwst + 100)) "
        "AS Gesamtmwst "
        "FROM Artikel INNER JOIN Optionen ON Artikel.Artikel_ID = Optionen.Option_ArtikelID "
        "WHERE Artikel.Artikel_BestellungID = ? ORDER BY Optionen.Option_ID"));
    q.addBindValue(bestellungId);
    if (!q.exec()) {
        if (error)
            *error = q.lastError().text();
        return std::nullopt;
    }
    while (q.next()) {
        OptionReportRow row;
        row.optionId = col(q, "Option_ID").toInt();
        row.artikelId = col(q, "Option_ArtikelID").toInt();
        row.name = col(q, "Option_Name").toString();
        row.wert = col(q, "Option_Wert").toString();
        row.artikelMwst = col(q, "Artikel_Mwst").toDouble();
        row.artikelAnzahl = col(q, "Artikel_Anzahl").toInt();
        row.preis = optionalDouble(col(q, "Option_Preis"));
        row.gesamtpreis = optionalDouble(col(q, "Gesamtpreis"));
        row.gesamtMwst = optionalDouble(col(q, "Gesamtmwst"));
        result << row;
    }
    if (q.lastError().isValid()) {
        if (error)
            *error = q.lastError().text();
        return std::nullopt;
    }
    return result;
}

std::optional<QList<VatRow>> vatBreakdownOfOrder(TInvoiceDatabase &db, int bestellungId, QString *error)
{
    QList<VatRow> result;
    QSqlQuery q(db.connection());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral(
        "SELECT * FROM Abfrage_Mwst WHERE Bestellung_ID = ? ORDER BY Artikel_Mwst ASC"));
    q.addBindValue(bestellungId);
    if (!q.exec()) {
        if (error)
            *error = q.lastError().text();
        return std::nullopt;
    }
    while (q.next()) {
        VatRow row;
        row.bestellungId = col(q, "Bestellung_ID").toInt();
        row.mwst = col(q, "Artikel_Mwst").toDouble();
        row.summeGesamt = col(q, "SummeGesamt").toDouble();
        row.mwstBetrag = col(q, "Mwst").toDouble();
        result << row;
    }
    if (q.lastError().isValid()) {
        if (error)
            *error = q.lastError().text();
        return std::nullopt;
    }
    return result;
}

std::optional<InvoiceData> readInvoiceData(TInvoiceDatabase &db, int bestellungId, QString *error)
{
    auto fail = [error](const QString &message) {
        if (error)
            *error = message;
        return std::nullopt;
    };
    const auto databaseFailed = [&](const QString &detail) {
        return fail(QStringLiteral("Die Rechnung der Bestellung %1 kann nicht gelesen werden: %2").arg(bestellungId).arg(detail));
    };
    const auto order = db.order(bestellungId);
    if (!order) {
        if (!db.lastError().isEmpty())
            return databaseFailed(db.lastError());
        return fail(QStringLiteral("Die Bestellung %1 gibt es nicht.").arg(bestellungId));
    }
    const auto client = db.client(order->mandantId);
    if (!client) {
        if (!db.lastError().isEmpty())
            return databaseFailed(db.lastError());
        return fail(QStringLiteral("Den Mandanten %1 der Bestellung %2 gibt es nicht.")
                        .arg(order->mandantId)
                        .arg(bestellungId));
    }
    QString detail;
    const auto lines = db.linesOfOrder(bestellungId);
    if (!lines)
        return databaseFailed(db.lastError());
    const auto options = optionsOfOrderForReport(db, bestellungId, &detail);
    if (!options)
        return databaseFailed(detail);
    const auto vat = vatBreakdownOfOrder(db, bestellungId, &detail);
    if (!vat)
        return databaseFailed(detail);
    InvoiceData data;
    data.order = *order;
    data.client = *client;
    data.lines = *lines;
    data.options = *options;
    data.vat = *vat;
    return data;
}

} // namespace vq::invoice
