// The official e-invoice rules over our XML, when they are at hand: they are
// public data that the project does not ship.
#include "einvoice_fixtures.h"
#include "test_support.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>

using namespace vq::invoice;
using namespace vq::invoice::test;

TEST(EInvoiceConformance, OfficialRulesAcceptTheXml)
{
    const QString rules = QDir(QStringLiteral(VQ_SOURCE_DIR "/../shared/einvoice")).absolutePath();
    if (!QFileInfo::exists(rules + QStringLiteral("/validate-xml.sh"))) {
        std::printf("NOTICE: %s not found: the official e-invoice rules are not at hand, conformance not checked.\n",
                    qPrintable(rules));
        GTEST_SKIP() << "official e-invoice rules not at hand";
    }
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
            input.order.kaeuferreferenz = QStringLiteral("04011000-12345-67");
        }
        const TEInvoiceResult result = buildXRechnung(input);
        ASSERT_TRUE(result.missing.isEmpty()) << result.message().toStdString();
        const QString file = dir.filePath(QStringLiteral("rechnung%1.xml").arg(++n));
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
