// The official e-invoice rules over our XML, when they are at hand: they are
// public data that the project does not ship.
#include "tests/invoice/einvoice_fixtures.h"
#include "tests/test_support.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vq::invoice;
using namespace vq::invoice::test;

TEST(EInvoiceConformance, OfficialRulesAcceptTheXml)
{
    const QString validate = officialRules("validate-xml.sh");
    if (validate.isEmpty())
        GTEST_SKIP() << "official e-invoice rules not at hand";
    QTemporaryDir dir;
    int n = 0;
    for (const InvoiceCase &c : invoiceCases()) {
        SCOPED_TRACE(c.what);
        InvoiceData input = invoiceData(seller(), order(c.company), c.lines, QDate(2026, 12, 10));
        if (n == 1) {
            // A seller with a tax number only, no account, a buyer reference.
            input.client.ustIdNr.clear();
            input.client.steuernummer = QStringLiteral("11/222/33333");
            input.client.iban.clear();
            input.order.kaeuferreferenz = QStringLiteral("04011000-12345-03");
        }
        const EInvoiceResult result = buildXRechnung(input);
        ASSERT_TRUE(result.missing.isEmpty()) << result.message().toStdString();
        const QString file = dir.filePath(QStringLiteral("rechnung%1.xml").arg(++n));
        vq::test::writeFile(file, result.xml);
        QString report;
        EXPECT_TRUE(officialRulesAccept(validate, file, &report)) << report.toStdString();
    }
}
