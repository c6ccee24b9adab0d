// The money table the page's script, the form mailer and the invoice module
// all answer (tests/fixtures/money/money_cases.json): each case an order and
// the cents every part must show for it. Here: read it, and turn a case into
// order lines or into the order document a form mailer sends for it.
#pragma once

#include "invoice_records.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <gtest/gtest.h>

namespace vq::invoice::test {

struct MoneyRate
{
    QString rate; // "19", "7", "0"
    QString net, vat, gross;
};

struct MoneyCase
{
    QString name;
    bool netto = false;
    QJsonArray articles;
    QStringList lines; // line totals of the ordered lines, "25.98"
    QList<MoneyRate> rates;
    QString net, vat, total;
};

inline QList<MoneyCase> moneyCases()
{
    QFile file(QStringLiteral(VQ_FIXTURES_DIR "/money/money_cases.json"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << "money table missing";
    const QJsonArray cases = QJsonDocument::fromJson(file.readAll()).object().value(u"cases").toArray();
    EXPECT_FALSE(cases.isEmpty());
    QList<MoneyCase> result;
    for (const QJsonValue &value : cases) {
        const QJsonObject c = value.toObject();
        const QJsonObject expect = c.value(u"expect").toObject();
        MoneyCase m;
        m.name = c.value(u"name").toString();
        m.netto = c.value(u"mode").toString() == u"netto";
        m.articles = c.value(u"articles").toArray();
        for (const QJsonValue &line : expect.value(u"lines").toArray())
            m.lines << line.toString();
        for (const QJsonValue &rate : expect.value(u"rates").toArray()) {
            const QJsonObject r = rate.toObject();
            m.rates << MoneyRate{r.value(u"rate").toString(), r.value(u"net").toString(),
                                 r.value(u"vat").toString(), r.value(u"gross").toString()};
        }
        m.net = expect.value(u"net").toString();
        m.vat = expect.value(u"vat").toString();
        m.total = expect.value(u"total").toString();
        result << m;
    }
    return result;
}

// "58.10" as the invoice prints it on German settings: "58,10"; "248000.00": "248.000,00".
inline QString germanAmount(const QString &amount)
{
    const qsizetype point = amount.indexOf(u'.');
    QString whole = amount.left(point);
    const bool negative = whole.startsWith(u'-');
    if (negative)
        whole.remove(0, 1);
    for (qsizetype i = whole.size() - 3; i > 0; i -= 3)
        whole.insert(i, u'.');
    return (negative ? QStringLiteral("-") : QString()) + whole + u',' + amount.mid(point + 1);
}

// The ordered lines of a case as the order stores them (prices as the page
// showed them), with the chosen options; articles not ordered are left out.
inline QList<TArtikel> moneyLines(const MoneyCase &c)
{
    QList<TArtikel> lines;
    for (const QJsonValue &value : c.articles) {
        const QJsonObject a = value.toObject();
        const int quantity = a.value(u"kind").toInt() == 1 ? 1 : a.value(u"quantity").toInt();
        if (quantity == 0)
            continue;
        TArtikel line;
        line.nr = a.value(u"number").toString();
        line.name = a.value(u"name").toString();
        line.anzahl = quantity;
        line.preis = a.value(u"price").toString().toDouble();
        line.mwst = a.value(u"vat").toString().toDouble();
        for (const QJsonValue &o : a.value(u"options").toArray()) {
            const QJsonObject option = o.toObject();
            const QJsonObject chosen = option.value(u"values").toArray().at(option.value(u"choose").toInt()).toObject();
            TOption opt;
            opt.name = option.value(u"name").toString();
            opt.wert = chosen.value(u"name").toString();
            const double surcharge = chosen.value(u"surcharge").toString().toDouble();
            if (surcharge != 0)
                opt.preis = surcharge;
            line.optionen << opt;
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
        const double value = c.netto ? net.toDouble() * (100 + vat.toDouble()) / 100 : net.toDouble();
        return QString::number(value, 'f', 6);
    };
    QByteArray xml = "<order>\r\n<formdata>\r\n<uuid>" + uuid.toUtf8() + "</uuid>\r\n<timestamp>1796860800</timestamp>\r\n";
    const std::pair<const char *, QString> customer[] = {
        {"Firma", QString()}, {"Vorname", QStringLiteral("Erika")}, {"Nachname", QStringLiteral("Mustermann")},
        {"Strasse", QStringLiteral("Hauptstraße 1")}, {"PLZ", QStringLiteral("50667")},
        {"Ort", QStringLiteral("Köln")}, {"Land", QStringLiteral("Deutschland")},
        {"email", QStringLiteral("erika@kunde.example")}, {"Telefon", QString()}, {"Homepage", QString()}};
    for (const auto &[name, value] : customer)
        xml += QByteArray("<") + name + ">" + b64(value) + "</" + name + ">\r\n";
    xml += "<company>127.0.0.1</company>\r\n<taxMode>" + QByteArray(c.netto ? "netto" : "brutto")
           + "</taxMode>\r\n</formdata>\r\n<articles>\r\n";
    for (const QJsonValue &value : c.articles) {
        const QJsonObject a = value.toObject();
        const int quantity = a.value(u"kind").toInt() == 1 ? 1 : a.value(u"quantity").toInt();
        if (quantity == 0)
            continue;
        const QString price = a.value(u"price").toString();
        const QString vat = a.value(u"vat").toString();
        xml += "<article>\r\n<articleNumber>" + b64(a.value(u"number").toString()) + "</articleNumber>\r\n";
        xml += "<articleName>" + b64(a.value(u"name").toString()) + "</articleName>\r\n";
        xml += "<price>" + b64(gross(price, vat)) + "</price>\r\n";
        if (c.netto)
            xml += "<netPrice>" + b64(price) + "</netPrice>\r\n";
        xml += "<vat>" + b64(vat) + "</vat>\r\n<amount>" + b64(QString::number(quantity)) + "</amount>\r\n<options>\r\n";
        for (const QJsonValue &o : a.value(u"options").toArray()) {
            const QJsonObject option = o.toObject();
            const QJsonObject chosen = option.value(u"values").toArray().at(option.value(u"choose").toInt()).toObject();
            const QString surcharge = chosen.value(u"surcharge").toString();
            xml += "<option name=\"" + b64(option.value(u"name").toString()) + "\" price=\""
                   + gross(surcharge, vat).toUtf8() + "\"";
            if (c.netto)
                xml += " netPrice=\"" + surcharge.toUtf8() + "\"";
            xml += ">" + b64(chosen.value(u"name").toString()) + "</option>\r\n";
        }
        xml += "</options>\r\n</article>\r\n";
    }
    xml += "</articles>\r\n</order>\r\n";
    return xml;
}

} // namespace vq::invoice::test
