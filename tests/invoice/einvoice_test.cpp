// Electronic invoices: the refusal of what an order or client lacks, codes
// and check sums, and what the XML holds.
#include "invoice/einvoice/xrechnung.h"
#include "invoice/money/payment_terms.h"
#include "tests/invoice/einvoice_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

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

// The check before issue names every item of a business buyer's invoice that
// is missing or wrong, each case alone beside an order that passes.
TEST(EInvoicePrecheck, NamesWhatEachCaseLacksOrHoldsWrongly)
{
    struct Case
    {
        const char *what;
        std::function<void(TMandant &, TBestellung &)> change;
        const char *named; // empty: nothing is named
    };
    const QList<Case> cases = {
        {"a complete business order", [](TMandant &, TBestellung &) {}, ""},
        {"buyer VAT ID of wrong form",
         [](TMandant &, TBestellung &o) { o.ustIdNr = QStringLiteral("DE12345"); },
         "eine gültige USt-IdNr. des Käufers (\"DE12345\": die Form stimmt nicht)"},
        {"German VAT ID with a wrong check digit",
         [](TMandant &, TBestellung &o) { o.ustIdNr = QStringLiteral("DE811569868"); },
         "die Prüfziffer stimmt nicht"},
        {"Greek VAT ID with GR",
         [](TMandant &, TBestellung &o) { o.ustIdNr = QStringLiteral("GR123456789"); },
         "griechische USt-IdNrn. beginnen mit \"EL\""},
        {"seller VAT ID of wrong form",
         [](TMandant &c, TBestellung &) { c.ustIdNr = QStringLiteral("DE123456789"); },
         "eine gültige USt-IdNr. des Mandanten"},
        {"Leitweg-ID with wrong check digits",
         [](TMandant &, TBestellung &o) {
             o.kaeuferreferenz = QStringLiteral("04011000-12345-67");
         },
         "die Prüfziffern stimmen nicht"},
        {"Leitweg-ID of wrong form",
         [](TMandant &, TBestellung &o) { o.kaeuferreferenz = QStringLiteral("04011000-"); },
         "die Form stimmt nicht"},
        {"IBAN check digits",
         [](TMandant &c, TBestellung &) { c.iban = QStringLiteral("DE02 1203 0000 0000 2020 52"); },
         "eine gültige IBAN des Mandanten"},
        {"no seller VAT ID nor tax number", [](TMandant &c, TBestellung &) { c.ustIdNr.clear(); },
         "USt-IdNr. oder Steuernummer des Mandanten"},
        {"unknown buyer country",
         [](TMandant &, TBestellung &o) { o.land = QStringLiteral("Atlantis"); },
         "Land des Käufers"},
        {"no delivery date",
         [](TMandant &, TBestellung &o) {
             o.zeit = QDateTime();
             o.lieferdatum = QDate();
         },
         "Liefer-/Leistungsdatum"},
        {"e-invoice address of wrong form",
         [](TMandant &, TBestellung &o) { o.emailERechnung = QStringLiteral("rechnung at firma"); },
         "eine gültige E-Mail-Adresse für E-Rechnungen"},
        {"intra-community without buyer VAT ID",
         [](TMandant &, TBestellung &o) {
             o.steuerfall = QStringLiteral("innergemeinschaftlich");
             o.land = QStringLiteral("AT");
             o.ustIdNr.clear();
         },
         "USt-IdNr. des Käufers (für eine innergemeinschaftliche Lieferung)"},
        {"intra-community within Germany",
         [](TMandant &, TBestellung &o) { o.steuerfall = QStringLiteral("innergemeinschaftlich"); },
         "ein Land des Käufers in einem anderen EU-Staat"},
        {"intra-community with a seller's tax number only",
         [](TMandant &c, TBestellung &o) {
             c.ustIdNr.clear();
             c.steuernummer = QStringLiteral("11/222/33333");
             o.steuerfall = QStringLiteral("innergemeinschaftlich");
             o.land = QStringLiteral("AT");
             o.ustIdNr = QStringLiteral("ATU12345678");
         },
         "USt-IdNr. des Mandanten (für eine innergemeinschaftliche Lieferung)"},
        {"reverse charge without buyer VAT ID",
         [](TMandant &, TBestellung &o) {
             o.steuerfall = QStringLiteral("ReverseCharge");
             o.ustIdNr.clear();
         },
         "USt-IdNr. des Käufers (für die Steuerschuldnerschaft des Leistungsempfängers)"},
        {"export into the EU",
         [](TMandant &, TBestellung &o) {
             o.steuerfall = QStringLiteral("Ausfuhr");
             o.land = QStringLiteral("Frankreich");
         },
         "ein Land des Käufers außerhalb der EU"},
        {"unknown tax case",
         [](TMandant &, TBestellung &o) { o.steuerfall = QStringLiteral("Mond"); },
         "ein bekannter Steuerfall (\"Mond\" ist keiner)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TMandant client = seller();
        TBestellung buyer = order(true);
        buyer.zeit = QDateTime(QDate(2026, 12, 1), QTime(10, 0));
        buyer.ustIdNr = QStringLiteral("DE811569869");
        buyer.kaeuferreferenz = QStringLiteral("04011000-12345-03");
        c.change(client, buyer);
        const InvoiceData input =
            invoiceData(client, buyer, {line("Seife", 2, 2.5, 19)}, QDate(2026, 12, 10));
        const QString named = precheckText(eInvoiceProblems(input));
        if (!*c.named) {
            EXPECT_EQ(named, QStringLiteral("Die Vorprüfung der E-Rechnung hat nichts zu "
                                            "beanstanden."));
            continue;
        }
        EXPECT_TRUE(named.contains(QString::fromUtf8(c.named))) << named.toStdString();
        // What fails the check is never written.
        EXPECT_TRUE(buildXRechnung(input).xml.isEmpty());
    }
}

TEST(EInvoicePaymentTerms, CashDiscountInTheSentenceAndTheGermanLine)
{
    TMandant client = seller();
    client.zahlungsziel = 14;
    client.skontoTage = 10;
    client.skontoProzent = 2.0;
    const PaymentTerms terms = paymentTerms(client, QDate(2026, 12, 10), 123456);
    ASSERT_TRUE(terms.discount);
    EXPECT_EQ(terms.discount->cents, 2469); // 2 % of 1234.56, half away from zero
    EXPECT_EQ(terms.text.toStdString(),
              "Bei Zahlung bis 20.12.2026 2,00 % Skonto (24,69 €). Zahlbar bis 24.12.2026 ohne "
              "Abzug.");
    EXPECT_EQ(cashDiscountLine(terms), QStringLiteral("#SKONTO#TAGE=10#PROZENT=2.00#\n"));
    // Values no discount can have give none; a credit owes nothing.
    for (const auto &[days, percent] : std::initializer_list<std::pair<int, double>>{
             {0, 2}, {10, 0}, {10, 100}, {-1, 2}, {10, std::nan("")}}) {
        client.skontoTage = days;
        client.skontoProzent = percent;
        EXPECT_FALSE(paymentTerms(client, QDate(2026, 12, 10), 1000).discount) << days;
    }
    client.skontoTage = 10;
    client.skontoProzent = 3.5;
    EXPECT_FALSE(paymentTerms(client, QDate(2026, 12, 10), -1000).discount);
    EXPECT_EQ(cashDiscountLine(paymentTerms(client, QDate(2026, 12, 10), 1000)),
              QStringLiteral("#SKONTO#TAGE=10#PROZENT=3.50#\n"));
}
