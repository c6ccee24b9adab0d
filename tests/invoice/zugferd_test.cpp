// ZUGFeRD / Factur-X invoices of stored orders: a PDF/A-3 whose visible text
// is the printed invoice and whose attachment is exactly the order's EN 16931
// invoice; what the electronic invoice lacks is refused before any file is
// written; the command line writes the same.
#include "invoice/db/clients.h"
#include "invoice/db/order_store.h"
#include "invoice/einvoice/zugferd.h"
#include "invoice/output/invoice_issuer.h"
#include "tests/invoice/giro_code_reader.h"
#include "tests/invoice/zugferd_fixture.h"
#include "tests/support/local_server.h"
#include "tests/test_support.h"

#include <QRegularExpression>

using namespace vq::invoice;
using namespace vq::invoice::test;

namespace {

QString pdfText(const QString &pdf)
{
    QByteArray out;
    EXPECT_EQ(vq::test::runProgram(QStringLiteral("pdftotext"),
                                   {QStringLiteral("-layout"), pdf, QStringLiteral("-")}, &out),
              0);
    return QString::fromUtf8(out).normalized(QString::NormalizationForm_KC).simplified();
}

QByteArray attachment(const QString &pdf)
{
    QByteArray out;
    EXPECT_EQ(vq::test::runProgram(QStringLiteral("qpdf"),
                                   {QStringLiteral("--show-attachment=factur-x.xml"), pdf}, &out),
              0);
    return out;
}

// An amount of the XML ("91.62") as the invoice prints it ("91,62").
QString printedAmount(const QString &xml, const char *element)
{
    const QRegularExpression re(
        QStringLiteral("<ram:%1[^>]*>([-0-9.]+)<").arg(QLatin1String(element)));
    const auto match = re.match(xml);
    EXPECT_TRUE(match.hasMatch()) << element;
    return match.captured(1).replace(u'.', u',');
}

} // namespace

TEST_F(ZugferdOrders, PdfShowsTheInvoiceAndCarriesItsElectronicInvoice)
{
    const QList<InvoiceCase> cases = invoiceCases();
    for (int i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        QString error;
        ASSERT_TRUE(InvoiceIssuer(db).writeZugferd(orders[i], pdfPath(i), &error))
            << error.toStdString();
        const QByteArray pdf = vq::test::readFile(pdfPath(i));
        EXPECT_TRUE(pdf.startsWith("%PDF-1.7")) << pdf.left(16).toStdString();
        QByteArray out, err;
        EXPECT_EQ(vq::test::runProgram(QStringLiteral("qpdf"),
                                       {QStringLiteral("--check"), pdfPath(i)}, &out, 30000, &err),
                  0)
            << out.toStdString() << err.toStdString();

        // The attachment is the order's electronic invoice, byte for byte, of the profile EN 16931.
        const auto input = InvoiceIssuer(db).read(orders[i], &error);
        ASSERT_TRUE(input) << error.toStdString();
        const EInvoiceResult expected = buildXRechnung(*input, EInvoiceProfile::FacturXEN16931);
        const QByteArray xml = attachment(pdfPath(i));
        EXPECT_EQ(xml, expected.xml);
        EXPECT_TRUE(xml.contains("<ram:ID>urn:cen.eu:en16931:2017</ram:ID>"));
        EXPECT_FALSE(xml.contains("xrechnung"));

        // The visible text is the printed invoice, with the electronic invoice's totals.
        const QString text = pdfText(pdfPath(i));
        EXPECT_TRUE(text.contains(QStringLiteral("Rechnung Nr. %1").arg(1042 + i)))
            << text.toStdString();
        EXPECT_TRUE(text.contains(cases[i].company ? QStringLiteral("Büro & Co. KG")
                                                   : QStringLiteral("Zoë O'Brien <b>")))
            << text.toStdString();
        for (const TArtikel &line : cases[i].lines) {
            EXPECT_TRUE(text.contains(line.name)) << line.name.toStdString();
            for (const TOption &option : line.optionen)
                EXPECT_TRUE(text.contains(option.wert)) << option.wert.toStdString();
        }
        const QString xmlText = QString::fromUtf8(xml);
        EXPECT_TRUE(text.contains(
            QStringLiteral("Gesamtbetrag %1 €").arg(printedAmount(xmlText, "GrandTotalAmount"))))
            << text.toStdString();
        // Its payment code transfers what the electronic invoice says is due to the seller's
        // account.
        const QString due = QRegularExpression(QStringLiteral("<ram:DuePayableAmount>([0-9.]+)<"))
                                .match(xmlText)
                                .captured(1);
        ASSERT_FALSE(due.isEmpty());
        EXPECT_EQ(giroCodeLines(giroCodeOnFirstPage(pdfPath(i))),
                  QString::fromUtf8("BCD\n002\n1\nSCT\nBYLADEM1001\nSeifenmanufaktur Müller & "
                                    "Söhne\nDE02120300000000202051\nEUR%1\n\n\nRechnung %2")
                      .arg(due)
                      .arg(1042 + i)
                      .split(u'\n'));

        // PDF/A-3b metadata with the Factur-X properties.
        for (const char *expectedText :
             {"<pdfaid:part>3</pdfaid:part>", "<fx:ConformanceLevel>EN 16931</fx:ConformanceLevel>",
              "/AFRelationship /Alternative", "/Subtype /text#2fxml"})
            EXPECT_TRUE(pdf.contains(expectedText)
                        || pdf.toLower().contains(QByteArray(expectedText).toLower()))
                << expectedText;
    }
}

TEST_F(ZugferdOrders, WhatTheElectronicInvoiceLacksIsNamedAndNoFileIsWritten)
{
    TMandant bare = *ClientStore(db).client(clientId);
    bare.ustIdNr.clear();
    bare.steuernummer.clear();
    bare.email.clear();
    ASSERT_TRUE(ClientStore(db).updateClient(bare));
    // An older file of the same name stays as it was.
    vq::test::writeFile(pdfPath(0), "older invoice");
    QString error;
    EXPECT_FALSE(InvoiceIssuer(db).writeZugferd(orders[0], pdfPath(0), &error));
    EXPECT_TRUE(error.contains(u"USt-IdNr. oder Steuernummer des Mandanten"))
        << error.toStdString();
    EXPECT_TRUE(error.contains(u"E-Mail-Adresse des Mandanten")) << error.toStdString();
    EXPECT_EQ(vq::test::readFile(pdfPath(0)), "older invoice");
    // A refused invoice is not put out: its invoice date stays open.
    EXPECT_FALSE(OrderStore(db).order(orders[0])->rechnungsdatum.isValid());
    EXPECT_FALSE(InvoiceIssuer(db).writeZugferd(9999, pdfPath(1), &error));
    EXPECT_TRUE(error.contains(u"Die Bestellung 9999 gibt es nicht.")) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(pdfPath(1)));
}

TEST(FacturXPdf, ABrokenPdfGivesAMessage)
{
    for (const QByteArray &input :
         {QByteArray(), QByteArray("%PDF-1.4\nnonsense"), QByteArray(100000, '\xff')}) {
        QString error;
        EXPECT_FALSE(makeFacturXPdf(input, "<x/>", QDateTime::currentDateTimeUtc(), &error));
        EXPECT_TRUE(error.startsWith(u"Die ZUGFeRD-Rechnung kann nicht erzeugt werden"))
            << error.toStdString();
    }
}

TEST_F(ZugferdOrders, CommandLineWritesTheZugferdPdf)
{
    const QString program = QStringLiteral(VQ_PROGRAM_DIR "/rechtool/vq_bestell_rechnung");
    const QString url = vq::test::lastTestDatabaseUrl();
    QByteArray out, err;
    ASSERT_EQ(vq::test::runProgram(program,
                                   {QStringLiteral("--invoice"), QString::number(orders[1]),
                                    QStringLiteral("--zugferd"), pdfPath(1),
                                    QStringLiteral("--database"), url},
                                   &out, 60000, &err),
              0)
        << err.toStdString();
    QString error;
    const auto input = InvoiceIssuer(db).read(orders[1], &error);
    ASSERT_TRUE(input) << error.toStdString();
    EXPECT_EQ(attachment(pdfPath(1)), buildXRechnung(*input, EInvoiceProfile::FacturXEN16931).xml);
    // One output at a time.
    EXPECT_EQ(
        vq::test::runProgram(program,
                             {QStringLiteral("--invoice"), QString::number(orders[1]),
                              QStringLiteral("--zugferd"), pdfPath(2), QStringLiteral("--pdf"),
                              pdfPath(3), QStringLiteral("--database"), url},
                             &out, 60000, &err),
        2);
    EXPECT_TRUE(QString::fromUtf8(err).contains(u"--zugferd")) << err.toStdString();
}
