// The official rules over our ZUGFeRD PDFs (PDF/A-3b, Factur-X EN 16931 and
// the embedded XML), when they are at hand: public data the project does not ship.
#include "invoice/einvoice/zugferd.h"
#include "invoice/output/invoice_issuer.h"
#include "tests/invoice/zugferd_fixture.h"

using namespace vq::invoice;
using namespace vq::invoice::test;

TEST_F(ZugferdOrders, OfficialRulesAcceptThePdf)
{
    const QString validate = officialRules("validate-pdf.sh");
    if (validate.isEmpty())
        GTEST_SKIP() << "official e-invoice rules not at hand";
    const QList<InvoiceCase> cases = invoiceCases();
    for (int i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        QString error;
        ASSERT_TRUE(InvoiceIssuer(db).writeZugferd(orders[i], pdfPath(i), &error))
            << error.toStdString();
        QString report;
        EXPECT_TRUE(officialRulesAccept(validate, pdfPath(i), &report, "PASS"))
            << report.toStdString();
    }
}

// A cancellation invoice goes out as a credit note (381) naming the invoice
// it cancels: as XRechnung and as ZUGFeRD PDF the official rules accept it.
TEST_F(ZugferdOrders, OfficialRulesAcceptTheCancellationsCreditNote)
{
    const QString validatePdf = officialRules("validate-pdf.sh");
    const QString validateXml = officialRules("validate-xml.sh");
    if (validatePdf.isEmpty() || validateXml.isEmpty())
        GTEST_SKIP() << "official e-invoice rules not at hand";
    InvoiceIssuer issuer(db);
    QString error;
    ASSERT_TRUE(issuer.issue(orders[0], &error)) << error.toStdString();
    const auto cancellation = issuer.cancel(orders[0], &error);
    ASSERT_TRUE(cancellation) << error.toStdString();
    const QString xml = dir.filePath(QStringLiteral("storno.xml"));
    const QString pdf = dir.filePath(QStringLiteral("storno.pdf"));
    ASSERT_TRUE(issuer.writeXRechnung(cancellation->orderId, xml, &error)) << error.toStdString();
    ASSERT_TRUE(issuer.writeZugferd(cancellation->orderId, pdf, &error)) << error.toStdString();
    QString report;
    EXPECT_TRUE(officialRulesAccept(validateXml, xml, &report)) << report.toStdString();
    EXPECT_TRUE(officialRulesAccept(validatePdf, pdf, &report, "PASS")) << report.toStdString();
}
