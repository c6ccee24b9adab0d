// Orders and clients for the electronic invoice tests.
#pragma once

#include "invoice/db/invoice_connection.h"
#include "invoice/db/order_store.h"
#include "invoice/einvoice/xrechnung.h"
#include "invoice/records/invoice_records.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

#include <cstdio>

#include <optional>

namespace vq::invoice::test {

inline TMandant seller()
{
    TMandant m;
    m.id = 1;
    m.firma = QStringLiteral("Seifenmanufaktur Müller & Söhne");
    m.vorname = QStringLiteral("Jörg");
    m.name = QStringLiteral("Müller");
    m.strasse = QStringLiteral("Hauptstraße 5");
    m.plz = QStringLiteral("10115");
    m.ort = QStringLiteral("Berlin");
    m.land = QStringLiteral("Deutschland");
    m.email = QStringLiteral("rechnung@seifen.example");
    m.telefon = QStringLiteral("030 1234567");
    m.ustIdNr = QStringLiteral("DE136695976");
    m.iban = QStringLiteral("DE02 1203 0000 0000 2020 51");
    m.bic = QStringLiteral("BYLADEM1001");
    m.waehrung = QStringLiteral("€");
    return m;
}

inline TBestellung order(bool company)
{
    TBestellung b;
    b.id = 7;
    b.rechNr = 1042;
    b.name = QStringLiteral("Zoë");
    b.nachname = QStringLiteral("O'Brien <b>");
    if (company)
        b.firma = QStringLiteral("Büro & Co. KG");
    b.strasse = QStringLiteral("Gartenweg 3");
    b.plz = QStringLiteral("80331");
    b.ort = QStringLiteral("München");
    b.land = QString();
    b.email = QStringLiteral("zoe@kunde.example");
    b.zeit = QDateTime(QDate(2026, 12, 1), QTime(10, 15));
    return b;
}

inline TArtikel line(const char *name, int quantity, double price, double vat,
                     QList<TOption> options = {})
{
    TArtikel a;
    a.name = QString::fromUtf8(name);
    a.nr = QStringLiteral("A-") + QString::number(quantity);
    a.anzahl = quantity;
    a.preis = price;
    a.mwst = vat;
    a.optionen = options;
    return a;
}

inline TOption option(const char *name, const char *value, std::optional<double> price)
{
    TOption o;
    o.name = QString::fromUtf8(name);
    o.wert = QString::fromUtf8(value);
    o.preis = price;
    return o;
}

struct InvoiceCase
{
    const char *what;
    bool company;
    QList<TArtikel> lines;
};

inline QList<InvoiceCase> invoiceCases()
{
    return {
        {"one rate", false, {line("Seife Lavendel", 3, 0.99, 7)}},
        {"two rates, rounding",
         true,
         {line("Seife Lavendel", 3, 0.99, 7), line("Badesalz \"Meer\"", 7, 12.45, 19)}},
        {"options with surcharges",
         true,
         {line("Geschenkkorb", 2, 19.99, 19,
               {option("Größe", "XL & mehr <groß>", 2.5), option("Gravur", "Für Oma", std::nullopt),
                option("Band", "rot", 0.0)}),
          line("Karte", 1, 1.5, 7, {option("Text", "Alles Gute", 0.33)}),
          line("Tee", 13, 3.33, 7)}},
        {"many small lines",
         false,
         {line("A", 1, 0.01, 19), line("B", 1, 0.01, 19), line("C", 1, 0.01, 19),
          line("D", 3, 0.05, 7), line("E", 11, 0.07, 7)}},
    };
}

// The invoice of the client, the order and its lines, issued on date.
inline InvoiceData invoiceData(const TMandant &client, TBestellung order,
                               const QList<TArtikel> &lines, const QDate &date)
{
    order.rechnungsdatum = date;
    QString error;
    auto data = makeInvoiceData(client, order, lines, &error);
    EXPECT_TRUE(data) << error.toStdString();
    return data.value_or(InvoiceData{client, order, lines, {}, std::nullopt});
}

// The official e-invoice rules beside the project, when they are at hand:
// public data the project does not ship. Empty, with a notice printed, when
// they are not (the caller skips).
inline QString officialRules(const char *script)
{
    const QString rules = QDir(QStringLiteral(VQ_SOURCE_DIR "/../shared/einvoice")).absolutePath();
    if (QFileInfo::exists(rules + u'/' + QString::fromLatin1(script)))
        return rules + u'/' + QString::fromLatin1(script);
    std::printf("NOTICE: %s not found: the official e-invoice rules are not at hand, conformance "
                "not checked.\n",
                qPrintable(rules));
    return {};
}

// Runs one of the rules' scripts on a file; its report, and whether it
// passes: exit 0 and the verdict word ("ACCEPT" for XML, "PASS" for a PDF).
inline bool officialRulesAccept(const QString &script, const QString &file, QString *report,
                                const char *verdict = "ACCEPT")
{
    QProcess validate;
    validate.setProcessChannelMode(QProcess::MergedChannels);
    validate.start(QStringLiteral("sh"), {script, file});
    const bool finished = validate.waitForFinished(300000);
    *report = QString::fromUtf8(validate.readAll());
    return finished && validate.exitCode() == 0 && report->contains(QLatin1String(verdict));
}

// Gross unit price of a line: price plus option surcharges.
inline double unitOf(const TArtikel &a)
{
    double unit = a.preis;
    for (const TOption &o : a.optionen)
        unit += o.preis.value_or(0.0);
    return unit;
}

// Stores the lines with their options for the order; false when the database fails.
inline bool storeLines(InvoiceConnection &db, int orderId, QList<TArtikel> lines)
{
    for (TArtikel &a : lines) {
        a.bestellungId = orderId;
        const auto lineId = OrderStore(db).insertLine(a);
        if (!lineId)
            return false;
        for (TOption o : a.optionen) {
            o.artikelId = *lineId;
            if (!OrderStore(db).insertOption(o))
                return false;
        }
    }
    return true;
}

// Stores an order of the case with its lines and options for the client;
// its id, or 0 when the database fails.
inline int storeOrder(InvoiceConnection &db, int clientId, const InvoiceCase &c, int rechNr)
{
    TBestellung b = order(c.company);
    b.mandantId = clientId;
    b.rechNr = rechNr;
    const auto orderId = OrderStore(db).insertOrder(b);
    if (!orderId || !storeLines(db, *orderId, c.lines))
        return 0;
    return *orderId;
}

} // namespace vq::invoice::test
