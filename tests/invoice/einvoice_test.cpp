// Electronic invoices: the amounts worked out from gross prices, the refusal
// of what an order or client lacks, and, where the official rules are at
// hand, their verdict on the XML.
#include "einvoice_amounts.h"
#include "einvoice_fixtures.h"
#include "xrechnung.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vq::invoice;
using namespace vq::invoice::test;

TEST(EInvoiceAmounts, AddUpExactlyAndMatchThePrintedTotal)
{
    for (const InvoiceCase &c : invoiceCases()) {
        SCOPED_TRACE(c.what);
        QList<TEInvoiceLineInput> input;
        double exact = 0;
        for (const TArtikel &a : c.lines) {
            input << TEInvoiceLineInput{a.anzahl, unitOf(a), a.mwst};
            exact += a.anzahl * unitOf(a);
        }
        const TEInvoiceAmounts amounts = computeEInvoiceAmounts(input);
        EXPECT_EQ(amounts.grossTotalCents, std::llround(exact * 100));
        EXPECT_EQ(amounts.netTotalCents + amounts.vatTotalCents, amounts.grossTotalCents);
        qint64 basisSum = 0;
        for (const TEInvoiceVatGroup &g : amounts.groups) {
            qint64 lineNets = 0, lineGross = 0;
            for (int i = 0; i < input.size(); ++i) {
                if (input[i].vatRate == g.rate) {
                    lineNets += amounts.lines[i].netCents;
                    lineGross += amounts.lines[i].grossCents;
                }
            }
            EXPECT_EQ(lineNets, g.basisCents) << g.rate;
            EXPECT_EQ(g.basisCents + g.vatCents, lineGross) << g.rate;
            // The VAT is the rate's share of the gross, to the cent.
            EXPECT_LE(std::llabs(g.vatCents - std::llround(lineGross * g.rate / (100 + g.rate))), 1) << g.rate;
            basisSum += g.basisCents;
        }
        EXPECT_EQ(basisSum, amounts.netTotalCents);
    }
    // 3 × 0,99 at 7 %: 2,97 gross, 2,78 net, 0,19 VAT.
    const auto three = computeEInvoiceAmounts({{3, 0.99, 7}});
    EXPECT_EQ(three.grossTotalCents, 297);
    EXPECT_EQ(three.groups[0].basisCents, 278);
    EXPECT_EQ(three.groups[0].vatCents, 19);
}

TEST(EInvoiceXml, NamesEveryMissingItemAndWritesNothing)
{
    TEInvoiceInput input{seller(), order(false), {line("Seife", 1, 2.5, 19)}, QDate(2026, 12, 10)};
    input.seller.ustIdNr.clear();
    input.seller.email.clear();
    input.order.ort.clear();
    input.order.rechNr.reset();
    input.seller.waehrung = QStringLiteral("Taler");
    const TEInvoiceResult result = buildXRechnung(input);
    EXPECT_TRUE(result.xml.isEmpty());
    const QString message = result.message();
    for (const char *item : {"USt-IdNr. oder Steuernummer des Mandanten", "E-Mail-Adresse des Mandanten",
                             "Anschrift des Käufers (PLZ und Ort)", "Rechnungsnummer der Bestellung", "Taler"})
        EXPECT_TRUE(message.contains(QString::fromUtf8(item))) << item << "\n" << message.toStdString();

    input = {seller(), order(false), {line("Seife", 1, 2.5, 19)}, QDate(2026, 12, 10)};
    input.seller.iban = QStringLiteral("DE02 1203 0000 0000 2020 52");
    EXPECT_TRUE(buildXRechnung(input).message().contains(u"IBAN"));
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
}

TEST(EInvoiceXml, HoldsEveryLineOptionAndTotal)
{
    const InvoiceCase c = invoiceCases()[2];
    const TEInvoiceResult result = buildXRechnung({seller(), order(true), c.lines, QDate(2026, 12, 10)});
    ASSERT_TRUE(result.missing.isEmpty()) << result.message().toStdString();
    const QString xml = QString::fromUtf8(result.xml);
    for (const char *text : {"<ram:Name>Geschenkkorb</ram:Name>", "XL &amp; mehr &lt;groß&gt; (Aufpreis 2.5 EUR inkl. MwSt.)",
                             "<ram:Value>Für Oma</ram:Value>", "<ram:Name>Büro &amp; Co. KG</ram:Name>",
                             "<ram:PersonName>Zoë O'Brien &lt;b&gt;</ram:PersonName>", "<ram:IBANID>DE02120300000000202051</ram:IBANID>",
                             "<ram:BuyerReference>1042</ram:BuyerReference>", "<ram:ID>1042</ram:ID>",
                             "<udt:DateTimeString format=\"102\">20261210</udt:DateTimeString>"})
        EXPECT_TRUE(xml.contains(QString::fromUtf8(text))) << text;
    // 2 × 22,49 + 1 × 1,83 + 13 × 3,33 = 90,10.
    EXPECT_TRUE(xml.contains(u"<ram:GrandTotalAmount>90.10</ram:GrandTotalAmount>"));
}
