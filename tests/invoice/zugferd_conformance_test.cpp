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
