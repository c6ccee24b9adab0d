// The checks of a business buyer's identifiers on the shared table of cases,
// and what the table cannot carry: the check digit arithmetic on its own and
// a line break behind a valid value.
#include "common/buyer_ids.h"
#include "tests/support/buyer_id_table.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace vq;
using namespace vq::test;

namespace {

TEST(BuyerIds, EveryCaseOfTheTable)
{
    const QList<BuyerIdCase> cases = loadBuyerIdCases();
    ASSERT_GT(cases.size(), 50);
    for (const BuyerIdCase &c : cases) {
        SCOPED_TRACE((c.kind + u' ' + c.value).toStdString());
        QString problem;
        bool valid = false;
        if (c.kind == u"vat") {
            problem = vatIdProblem(c.value);
            valid = vatIdFormValid(c.value);
        } else if (c.kind == u"leitweg") {
            problem = leitwegIdProblem(c.value);
            valid = leitwegIdValid(c.value);
        } else {
            ASSERT_EQ(c.kind, QStringLiteral("email"));
            problem = eInvoiceAddressProblem(c.value);
            valid = eInvoiceAddressValid(c.value);
        }
        EXPECT_EQ(problem, c.message);
        // The yes/no checks refuse an empty value: only the problem texts let it pass.
        EXPECT_EQ(valid, c.message.isEmpty() && !c.value.trimmed().isEmpty());
    }
}

TEST(BuyerIds, TableHasAValidAndAFailingCaseOfEveryCountry)
{
    QSet<QString> valid, failing;
    for (const BuyerIdCase &c : loadBuyerIdCases())
        if (c.kind == u"vat" && !c.value.isEmpty())
            (c.message.isEmpty() ? valid : failing) << compactVatId(c.value).left(2);
    for (const VatIdCountry &country : vatIdCountries()) {
        EXPECT_TRUE(valid.contains(QString::fromLatin1(country.prefix))) << country.prefix;
        EXPECT_TRUE(failing.contains(QString::fromLatin1(country.prefix))) << country.prefix;
    }
    EXPECT_EQ(vatIdCountries().size(), 28u);
}

TEST(BuyerIds, GermanCheckDigitFindsEverySingleWrongDigit)
{
    const QString good = QStringLiteral("136695976");
    ASSERT_TRUE(germanVatIdCheckDigitValid(good));
    for (qsizetype i = 0; i < good.size(); ++i)
        for (char16_t d = u'0'; d <= u'9'; ++d) {
            if (good[i] == QChar(d))
                continue;
            QString changed = good;
            changed[i] = QChar(d);
            EXPECT_FALSE(germanVatIdCheckDigitValid(changed)) << changed.toStdString();
        }
    EXPECT_FALSE(germanVatIdCheckDigitValid(u"13669597"));
    EXPECT_FALSE(germanVatIdCheckDigitValid(u"13669597a"));
}

TEST(BuyerIds, LeitwegCheckDigitsFindEverySwapOfNeighbours)
{
    const QString good = QStringLiteral("04011000-12345-03");
    ASSERT_TRUE(leitwegIdValid(good));
    for (qsizetype i = 0; i + 1 < good.size(); ++i) {
        // Moving a hyphen changes no digit: the check digits cannot see it.
        if (good[i] == good[i + 1] || good[i] == u'-' || good[i + 1] == u'-')
            continue;
        QString swapped = good;
        std::swap(swapped[i], swapped[i + 1]);
        EXPECT_FALSE(leitwegIdValid(swapped)) << swapped.toStdString();
    }
}

TEST(BuyerIds, ALineBreakBehindAValidValueIsRefused)
{
    EXPECT_FALSE(vatIdFormValid(u"DE136695976\n"));
    EXPECT_FALSE(eInvoiceAddressValid(u"rechnung@kunde.example.org\nBcc: x@y.de"));
    EXPECT_EQ(compactVatId(u" de 136 695 976 "), QStringLiteral("DE136695976"));
}

} // namespace
