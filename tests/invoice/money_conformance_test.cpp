// The official e-invoice rules over the XRechnung of every case of the money
// table, when they are at hand: they are public data the project does not ship.
#include "einvoice_fixtures.h"
#include "money_cases.h"
#include "test_support.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>

using namespace vq::invoice;
using namespace vq::invoice::test;

TEST(MoneyConformance, OfficialRulesAcceptTheXRechnungOfEveryMoneyCase)
{
    const QString rules = QDir(QStringLiteral(VQ_SOURCE_DIR "/../shared/einvoice")).absolutePath();
    if (!QFileInfo::exists(rules + QStringLiteral("/validate-xml.sh"))) {
        std::printf("NOTICE: %s not found: the official e-invoice rules are not at hand, conformance not checked.\n",
                    qPrintable(rules));
        GTEST_SKIP() << "official e-invoice rules not at hand";
    }
    QTemporaryDir dir;
    for (const MoneyCase &c : moneyCases()) {
        SCOPED_TRACE(c.name.toStdString());
        TBestellung b = order(true);
        b.netto = c.netto;
        const TEInvoiceResult result = buildXRechnung(invoiceData(seller(), b, moneyLines(c), QDate(2026, 12, 10)));
        ASSERT_TRUE(result.missing.isEmpty()) << result.message().toStdString();
        const QString file = dir.filePath(c.name + QStringLiteral(".xml"));
        vq::test::writeFile(file, result.xml);
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(QStringLiteral("sh"), {rules + QStringLiteral("/validate-xml.sh"), file});
        ASSERT_TRUE(validate.waitForFinished(180000));
        const QString report = QString::fromUtf8(validate.readAll());
        EXPECT_EQ(validate.exitCode(), 0) << report.toStdString();
        EXPECT_TRUE(report.contains(u"ACCEPT")) << report.toStdString();
    }
}
