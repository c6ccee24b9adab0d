// Electronic invoices: the refusal of what an order or client lacks, codes
// and check sums, and what the XML holds.
#include "invoice/einvoice/xrechnung.h"
#include "tests/invoice/einvoice_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vq::invoice;
using namespace vq::invoice::test;

TEST(EInvoiceXml, NamesEveryMissingItemAndWritesNothing)
{
    InvoiceData input =
        invoiceData(seller(), order(false), {line("Seife", 1, 2.5, 19)}, QDate(2026, 12, 10));
    input.client.ustIdNr.clear();
    input.client.email.clear();
    input.order.ort.clear();
    input.order.rechNr.reset();
    input.client.waehrung = QStringLiteral("Taler");
    const EInvoiceResult result = buildXRechnung(input);
    EXPECT_TRUE(result.xml.isEmpty());
    const QString message = result.message();
    for (const char *item :
         {"USt-IdNr. oder Steuernummer des Mandanten", "E-Mail-Adresse des Mandanten",
          "Anschrift des Käufers (PLZ und Ort)", "Rechnungsnummer der Bestellung", "Taler"})
        EXPECT_TRUE(message.contains(QString::fromUtf8(item))) << item << "\n"
                                                               << message.toStdString();

    input = invoiceData(seller(), order(false), {line("Seife", 1, 2.5, 19)}, QDate(2026, 12, 10));
    input.client.iban = QStringLiteral("DE02 1203 0000 0000 2020 52");
    EXPECT_TRUE(buildXRechnung(input).message().contains(u"IBAN"));

    // A country code the order makes up is named, and no file is written.
    input = invoiceData(seller(), order(false), {line("Seife", 1, 2.5, 19)}, QDate(2026, 12, 10));
    input.order.land = QStringLiteral("XX");
    const EInvoiceResult country = buildXRechnung(input);
    EXPECT_TRUE(country.xml.isEmpty());
    EXPECT_TRUE(country.message().contains(
        QStringLiteral("Land des Käufers als Ländername oder ISO-Code (\"XX\" ist unbekannt)")))
        << country.message().toStdString();
}

TEST(EInvoiceXml, CodesAndCheckSums)
{
    EXPECT_TRUE(ibanValid(QStringLiteral("DE02 1203 0000 0000 2020 51")));
    EXPECT_TRUE(ibanValid(QStringLiteral("ch9300762011623852957")));
    EXPECT_FALSE(ibanValid(QStringLiteral("DE02120300000000202052")));
    EXPECT_FALSE(ibanValid(QStringLiteral("DE0212030000000020205")));
    EXPECT_FALSE(ibanValid(QStringLiteral("")));
    EXPECT_EQ(currencyCode(QStringLiteral(" € ")), QStringLiteral("EUR"));
    EXPECT_EQ(currencyCode(QStringLiteral("CHF")), QStringLiteral("CHF"));
    EXPECT_EQ(currencyCode(QStringLiteral("Taler")), QString());
    EXPECT_EQ(countryCode(QString()), QStringLiteral("DE"));
    EXPECT_EQ(countryCode(QStringLiteral("Österreich")), QStringLiteral("AT"));
    EXPECT_EQ(countryCode(QStringLiteral("ch")), QStringLiteral("CH"));
    EXPECT_EQ(countryCode(QStringLiteral("Atlantis")), QString());
    // Two letters are a code only when ISO 3166-1 has it.
    for (const char *code : {"XX", "ZZ", "EU", "UK", "Q1", "d\xc3\xa9"})
        EXPECT_EQ(countryCode(QString::fromUtf8(code)), QString()) << code;
    for (const char *code : {"de", "AT", "ch", "FR", "XI", "US", "SS"})
        EXPECT_EQ(countryCode(QString::fromLatin1(code)), QString::fromLatin1(code).toUpper())
            << code;
}

TEST(EInvoiceXml, HoldsEveryLineOptionAndTotal)
{
    const InvoiceCase c = invoiceCases()[2];
    const EInvoiceResult result =
        buildXRechnung(invoiceData(seller(), order(true), c.lines, QDate(2026, 12, 10)));
    ASSERT_TRUE(result.missing.isEmpty()) << result.message().toStdString();
    const QString xml = QString::fromUtf8(result.xml);
    for (const char *text :
         {"<ram:Name>Geschenkkorb</ram:Name>",
          "XL &amp; mehr &lt;groß&gt; (Aufpreis 2.5 EUR inkl. MwSt.)",
          "<ram:Value>Für Oma</ram:Value>", "<ram:Name>Büro &amp; Co. KG</ram:Name>",
          "<ram:PersonName>Zoë O'Brien &lt;b&gt;</ram:PersonName>",
          "<ram:IBANID>DE02120300000000202051</ram:IBANID>",
          "<ram:BuyerReference>1042</ram:BuyerReference>", "<ram:ID>1042</ram:ID>",
          "<udt:DateTimeString format=\"102\">20261210</udt:DateTimeString>"})
        EXPECT_TRUE(xml.contains(QString::fromUtf8(text))) << text;
    // 2 × 22,49 + 1 × 1,83 + 13 × 3,33 = 90,10.
    EXPECT_TRUE(xml.contains(u"<ram:GrandTotalAmount>90.10</ram:GrandTotalAmount>"));
    // Without a payment period the terms name no date.
    EXPECT_TRUE(xml.contains(u"<ram:Description>Zahlbar ohne Abzug.</ram:Description>"));
    EXPECT_FALSE(xml.contains(u"DueDateDateTime"));

    // With one, the due date the printed invoice names too.
    TMandant terms = seller();
    terms.zahlungsziel = 30;
    const QString due =
        QString::fromUtf8(
            buildXRechnung(invoiceData(terms, order(true), c.lines, QDate(2026, 12, 10))).xml)
            .simplified();
    EXPECT_TRUE(
        due.contains(u"<ram:Description>Zahlbar bis 09.01.2027 ohne Abzug.</ram:Description>"))
        << due.toStdString();
    EXPECT_TRUE(
        due.contains(u"<ram:DueDateDateTime> <udt:DateTimeString "
                     u"format=\"102\">20270109</udt:DateTimeString> </ram:DueDateDateTime>"))
        << due.toStdString();
}
