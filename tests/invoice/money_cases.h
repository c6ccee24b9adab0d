// The money table's cases (tests/support/money_table.h) as the invoice module
// meets them: the order lines as stored, and the order document a form mailer
// sends for a case.
#pragma once

#include "invoice/records/invoice_records.h"
#include "tests/support/money_table.h"

#include <QByteArray>
#include <QList>
#include <gtest/gtest.h>

namespace vq::invoice::test {

using vq::test::MoneyArticle;
using vq::test::MoneyCase;
using vq::test::MoneyOption;
using vq::test::MoneyRate;

inline QList<MoneyCase> moneyCases()
{
    const QList<MoneyCase> cases = vq::test::loadMoneyCases();
    EXPECT_FALSE(cases.isEmpty()) << "money table missing";
    return cases;
}

// "248000.00" as the invoice prints it on German settings: "248.000,00".
inline QString germanAmount(const QString &amount)
{
    return vq::test::groupedMoney(amount);
}

// The ordered lines of a case as the order stores them (prices as the page
// showed them), with the chosen options; articles not ordered are left out.
inline QList<TArtikel> moneyLines(const MoneyCase &c)
{
    QList<TArtikel> lines;
    for (const MoneyArticle &a : c.articles) {
        if (a.ordered() == 0)
            continue;
        TArtikel line;
        line.nr = a.number;
        line.name = a.name;
        line.anzahl = a.ordered();
        line.preis = a.price.toDouble();
        line.mwst = a.vat.toDouble();
        for (const MoneyOption &o : a.options) {
            TOption option;
            option.name = o.name;
            option.wert = o.chosen().name;
            if (const double surcharge = o.chosen().surcharge.toDouble(); surcharge != 0)
                option.preis = surcharge;
            line.optionen << option;
        }
        lines << line;
    }
    return lines;
}

// The order document a form mailer sends for the case: gross prices for
// older readers, and for a netto page its mode and the net prices it showed.
inline QByteArray moneyOrderDocument(const MoneyCase &c, const QString &uuid)
{
    const auto b64 = [](const QString &text) { return text.toUtf8().toBase64(); };
    const auto gross = [&](const QString &net, const QString &vat) {
        const double value =
            c.netto() ? net.toDouble() * (100 + vat.toDouble()) / 100 : net.toDouble();
        return QString::number(value, 'f', 6);
    };
    QByteArray xml = "<order>\r\n<formdata>\r\n<uuid>" + uuid.toUtf8()
                     + "</uuid>\r\n<timestamp>1796860800</timestamp>\r\n";
    const std::pair<const char *, QString> customer[] = {
        {"Firma", QString()},
        {"Vorname", QStringLiteral("Erika")},
        {"Nachname", QStringLiteral("Mustermann")},
        {"Strasse", QStringLiteral("Hauptstraße 1")},
        {"PLZ", QStringLiteral("50667")},
        {"Ort", QStringLiteral("Köln")},
        {"Land", QStringLiteral("Deutschland")},
        {"email", QStringLiteral("erika@kunde.example")},
        {"Telefon", QString()},
        {"Homepage", QString()}};
    for (const auto &[name, value] : customer)
        xml += QByteArray("<") + name + ">" + b64(value) + "</" + name + ">\r\n";
    xml += "<company>127.0.0.1</company>\r\n<taxMode>" + c.mode.toUtf8()
           + "</taxMode>\r\n</formdata>\r\n<articles>\r\n";
    for (const MoneyArticle &a : c.articles) {
        if (a.ordered() == 0)
            continue;
        xml += "<article>\r\n<articleNumber>" + b64(a.number) + "</articleNumber>\r\n";
        xml += "<articleName>" + b64(a.name) + "</articleName>\r\n";
        xml += "<price>" + b64(gross(a.price, a.vat)) + "</price>\r\n";
        if (c.netto())
            xml += "<netPrice>" + b64(a.price) + "</netPrice>\r\n";
        xml += "<vat>" + b64(a.vat) + "</vat>\r\n<amount>" + b64(QString::number(a.ordered()))
               + "</amount>\r\n<options>\r\n";
        for (const MoneyOption &o : a.options) {
            xml += "<option name=\"" + b64(o.name) + "\" price=\""
                   + gross(o.chosen().surcharge, a.vat).toUtf8() + "\"";
            if (c.netto())
                xml += " netPrice=\"" + o.chosen().surcharge.toUtf8() + "\"";
            xml += ">" + b64(o.chosen().name) + "</option>\r\n";
        }
        xml += "</options>\r\n</article>\r\n";
    }
    xml += "</articles>\r\n</order>\r\n";
    return xml;
}

} // namespace vq::invoice::test
