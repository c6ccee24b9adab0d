// The official e-invoice rules over the XRechnung of every case of the money
// table, when they are at hand: they are public data the project does not ship.
#include "tests/invoice/einvoice_fixtures.h"
#include "tests/invoice/money_cases.h"
#include "tests/test_support.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vq::invoice;
using namespace vq::invoice::test;

TEST(MoneyConformance, OfficialRulesAcceptTheXRechnungOfEveryMoneyCase)
{
    const QString validate = officialRules("validate-xml.sh");
    if (validate.isEmpty())
        GTEST_SKIP() << "official e-invoice rules not at hand";
    QTemporaryDir dir;
    for (const MoneyCase &c : moneyCases()) {
        SCOPED_TRACE(c.name.toStdString());
        TBestellung b = order(true);
        b.netto = c.netto();
        // With a payment period, so that the rules see a due date too.
        TMandant s = seller();
        s.zahlungsziel = 14;
        const EInvoiceResult result =
            buildXRechnung(invoiceData(s, b, moneyLines(c), QDate(2026, 12, 10)));
        ASSERT_TRUE(result.missing.isEmpty()) << result.message().toStdString();
        const QString file = dir.filePath(c.name + QStringLiteral(".xml"));
        vq::test::writeFile(file, result.xml);
        QString report;
        EXPECT_TRUE(officialRulesAccept(validate, file, &report)) << report.toStdString();
    }
}
