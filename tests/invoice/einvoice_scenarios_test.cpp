// The scenario orders' invoices: the XML's totals are the printed invoice's,
// and each scenario's e-invoice carries what its case needs.
#include "tests/invoice/einvoice_reading.h"
#include "tests/invoice/einvoice_scenarios.h"

#include <QRegularExpression>

using namespace vq::invoice;
using namespace vq::invoice::test;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// "30.88" as the invoice prints it: "30,88".
QString printed(const QString &xmlAmount, bool negative)
{
    const qint64 value = parseCents(xmlAmount).value_or(0) * (negative ? -1 : 1);
    return formatCents(value, QLocale(QLocale::German, QLocale::Germany));
}

} // namespace

TEST_F(EInvoiceScenarios, TheXmlTotalsAreThePrintedInvoicesTotals)
{
    ASSERT_GE(s_scenarios.size(), 15);
    for (const IssuedScenario &s : std::as_const(s_scenarios)) {
        SCOPED_TRACE(s.name.toStdString());
        const XmlAmounts xml = readXml(readAll(s.xml));
        const QString text = pdfText(s.pdf);
        // A credit note carries its amounts positive; the cancellation prints them negative.
        const bool negative = s.cancellation;
        EXPECT_TRUE(
            text.contains(QStringLiteral("Gesamtbetrag %1").arg(printed(xml.grandTotal, negative))))
            << xml.grandTotal.toStdString() << "\n"
            << text.toStdString();
        EXPECT_EQ(xml.grandTotal, xml.duePayable);
        if (s.smallBusiness) {
            // No VAT anywhere on a small business's invoice.
            EXPECT_FALSE(text.contains(QStringLiteral("MwSt"))) << text.toStdString();
            EXPECT_EQ(xml.taxTotal, QStringLiteral("0.00"));
            continue;
        }
        for (const QString &rate : xml.rates) {
            const QStringList parts = rate.split(u' ');
            ASSERT_EQ(parts.size(), 3);
            const QString percent = QString(parts[0]).replace(u'.', u',');
            EXPECT_TRUE(text.contains(
                QStringLiteral("Nettobetrag %1% %2").arg(percent, printed(parts[1], negative))))
                << rate.toStdString() << "\n"
                << text.toStdString();
            EXPECT_TRUE(text.contains(
                QStringLiteral("zzgl. %1% MwSt. %2").arg(percent, printed(parts[2], negative))))
                << rate.toStdString() << "\n"
                << text.toStdString();
        }
    }
}

TEST_F(EInvoiceScenarios, EachCaseCarriesWhatItNeeds)
{
    struct Expected
    {
        const char *scenario;
        QStringList inXml;    // fragments of the XRechnung
        QStringList inPrint;  // fragments of the printed invoice
        QStringList notInXml; // what must not be there
    };
    const QList<Expected> cases = {
        {"inland-19-7-0",
         {QStringLiteral("<ram:CategoryCode>Z</ram:CategoryCode>"),
          QStringLiteral("<ram:CategoryCode>S</ram:CategoryCode>")},
         {},
         {QStringLiteral("ExemptionReason")}},
        {"kleinunternehmer",
         {QStringLiteral("<ram:CategoryCode>E</ram:CategoryCode>"),
          QStringLiteral("Kleinunternehmer gemäß § 19 UStG")},
         {QStringLiteral("Gemäß § 19 UStG wird keine Umsatzsteuer berechnet.")},
         {QStringLiteral("<ram:CategoryCode>S</ram:CategoryCode>")}},
        {"innergemeinschaftlich",
         {QStringLiteral("<ram:CategoryCode>K</ram:CategoryCode>"), QStringLiteral("VATEX-EU-IC"),
          QStringLiteral("schemeID=\"VA\">ATU12345678<"), QStringLiteral("<ram:ShipToTradeParty>")},
         {QStringLiteral("Steuerfreie innergemeinschaftliche Lieferung"),
          QStringLiteral("USt-IdNr. des Lieferers: DE136695976"),
          QStringLiteral("USt-IdNr. des Abnehmers: ATU12345678")},
         {QStringLiteral("<ram:CategoryCode>S</ram:CategoryCode>")}},
        {"reverse-charge",
         {QStringLiteral("<ram:CategoryCode>AE</ram:CategoryCode>"), QStringLiteral("VATEX-EU-AE"),
          QStringLiteral("schemeID=\"VA\">FR40303265045<")},
         {QStringLiteral("Steuerschuldnerschaft des Leistungsempfängers")},
         {}},
        {"ausfuhr",
         {QStringLiteral("<ram:CategoryCode>G</ram:CategoryCode>"), QStringLiteral("VATEX-EU-G")},
         {QStringLiteral("Steuerfreie Ausfuhrlieferung")},
         {}},
        {"rabatt",
         {QStringLiteral("<ram:SpecifiedTradeAllowanceCharge>"),
          QStringLiteral("<udt:Indicator>false</udt:Indicator>"),
          QStringLiteral("Rabatt: Gutschein WINTER10")},
         {},
         {}},
        {"rabatt-netto",
         {QStringLiteral("<ram:ChargeAmount>33.61</ram:ChargeAmount>"),
          QStringLiteral("<ram:ActualAmount>23.52</ram:ActualAmount>")},
         {},
         {}},
        {"skonto",
         {QStringLiteral("#SKONTO#TAGE=10#PROZENT=2.00#\n")},
         {QStringLiteral("Bei Zahlung bis 20.12.2026 2,00% Skonto")},
         {}},
        {"oeffentlich",
         {QStringLiteral("<ram:BuyerReference>04011000-12345-03</ram:BuyerReference>"),
          QStringLiteral("schemeID=\"EM\">e-rechnung@musterstadt.example<")},
         {QStringLiteral("04011000-12345-03")},
         {}},
        {"storno",
         {QStringLiteral("<ram:TypeCode>381</ram:TypeCode>"),
          QStringLiteral("<ram:InvoiceReferencedDocument>")},
         {QStringLiteral("Stornorechnung zu Rechnung Nr.")},
         {}},
        {"lieferdatum",
         {QStringLiteral("<udt:DateTimeString format=\"102\">20261205</udt:DateTimeString>")},
         {QStringLiteral("Liefer-/Leistungsdatum 05.12.2026")},
         {}},
        {"sonderzeichen",
         {QStringLiteral("Öl &amp; Co. &lt;KG&gt;"), QStringLiteral("Rosé &amp; Zimt")},
         {QStringLiteral("Öl & Co. <KG>")},
         {}},
    };
    for (const Expected &c : cases) {
        SCOPED_TRACE(c.scenario);
        const auto it = std::find_if(s_scenarios.cbegin(), s_scenarios.cend(), [&](const auto &s) {
            return s.name == QLatin1String(c.scenario);
        });
        ASSERT_NE(it, s_scenarios.cend());
        const QString xml = QString::fromUtf8(readAll(it->xml));
        const QString text = pdfText(it->pdf);
        for (const QString &fragment : c.inXml)
            EXPECT_TRUE(xml.contains(fragment)) << fragment.toStdString() << "\n"
                                                << xml.toStdString();
        for (const QString &fragment : c.notInXml)
            EXPECT_FALSE(xml.contains(fragment)) << fragment.toStdString();
        for (const QString &fragment : c.inPrint)
            EXPECT_TRUE(text.contains(fragment)) << fragment.toStdString() << "\n"
                                                 << text.toStdString();
    }
}
