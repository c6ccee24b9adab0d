// The official rules over our ZUGFeRD PDFs (PDF/A-3b, Factur-X EN 16931 and
// the embedded XML), when they are at hand: public data the project does not ship.
#include "invoice_issuer.h"
#include "zugferd.h"
#include "zugferd_fixture.h"

#include <QFileInfo>
#include <QProcess>

#include <cstdio>

using namespace vq::invoice;
using namespace vq::invoice::test;

TEST_F(ZugferdOrders, OfficialRulesAcceptThePdf)
{
    const QString rules = QDir(QStringLiteral(VQ_SOURCE_DIR "/../shared/einvoice")).absolutePath();
    if (!QFileInfo::exists(rules + QStringLiteral("/validate-pdf.sh"))) {
        std::printf("NOTICE: %s not found: the official e-invoice rules are not at hand, "
                    "conformance not checked.\n",
                    qPrintable(rules));
        GTEST_SKIP() << "official e-invoice rules not at hand";
    }
    const QList<InvoiceCase> cases = invoiceCases();
    for (int i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        QString error;
        ASSERT_TRUE(InvoiceIssuer(db).writeZugferd(orders[i], pdfPath(i), &error)) << error.toStdString();
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(QStringLiteral("sh"),
                       {rules + QStringLiteral("/validate-pdf.sh"), pdfPath(i)});
        ASSERT_TRUE(validate.waitForFinished(300000));
        const QString report = QString::fromUtf8(validate.readAll());
        EXPECT_EQ(validate.exitCode(), 0) << report.toStdString();
        EXPECT_TRUE(report.contains(u"PASS")) << report.toStdString();
    }
}
