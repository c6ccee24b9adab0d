// The scenario orders' XRechnung and ZUGFeRD PDF under the official
// e-invoice rules, when they are at hand: accepted, and without warnings
// (the rules warn only where something could be better).
#include "tests/invoice/einvoice_fixtures.h"
#include "tests/invoice/einvoice_scenarios.h"

#include <QRegularExpression>

using namespace vq::invoice;
using namespace vq::invoice::test;

namespace {

// The warnings a report names: "warning BR-XX: ..." lines.
QStringList warnings(const QString &report)
{
    static const QRegularExpression line(QStringLiteral("(?:^|\\n)\\s*\\w+: (warning [^\\n]*)"));
    QStringList found;
    for (auto it = line.globalMatch(report); it.hasNext();)
        found << it.next().captured(1);
    return found;
}

} // namespace

TEST_F(EInvoiceScenarios, OfficialRulesAcceptEveryScenario)
{
    const QString validateXml = officialRules("validate-xml.sh");
    const QString validatePdf = officialRules("validate-pdf.sh");
    if (validateXml.isEmpty() || validatePdf.isEmpty())
        GTEST_SKIP() << "official e-invoice rules not at hand";
    for (const IssuedScenario &s : std::as_const(s_scenarios)) {
        SCOPED_TRACE(s.name.toStdString());
        QString report;
        EXPECT_TRUE(officialRulesAccept(validateXml, s.xml, &report)) << report.toStdString();
        EXPECT_EQ(warnings(report), QStringList()) << report.toStdString();
        EXPECT_TRUE(officialRulesAccept(validatePdf, s.pdf, &report, "PASS"))
            << report.toStdString();
    }
}
