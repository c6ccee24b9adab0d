// The checks and conversions behind the editor dialogs, without widgets.
#include "designer/editor_rules/editor_rules.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

using namespace vq;
using namespace vq::ui;

namespace {

TEST(EditorRules, NameKeysFollowWhetherTheBoxIsEmpty)
{
    const struct
    {
        char16_t typed;
        bool whenEmpty;
        bool whenFilled;
    } cases[] = {
        {u'a', true, true},   {u'Z', true, true},   {u'_', true, true},   {u'0', false, true},
        {u'9', false, true},  {u' ', false, false}, {u'-', false, false}, {u'.', false, false},
        {u'ä', false, false}, {u'ß', false, false}, {u'$', false, false}, {u'\u0661', false, false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(nameKeyAccepted(true, QChar(c.typed)), c.whenEmpty) << int(c.typed);
        EXPECT_EQ(nameKeyAccepted(false, QChar(c.typed)), c.whenFilled) << int(c.typed);
    }
    EXPECT_TRUE(minLengthKeyAccepted(QLatin1Char('7')));
    EXPECT_FALSE(minLengthKeyAccepted(QChar(u'\u0663'))) << "Arabic-Indic digit";
    EXPECT_FALSE(minLengthKeyAccepted(QLatin1Char('-')));
}

TEST(EditorRules, MinimumLengthTextToInteger)
{
    const struct
    {
        const char *text;
        int value;
    } cases[] = {{"", 0},      {"0", 0},  {"5", 5}, {"007", 7},
                 {"999", 999}, {"-3", 0}, {"x", 0}, {"99999999999999999999", 0}};
    for (const auto &c : cases)
        EXPECT_EQ(minLengthFromText(QString::fromLatin1(c.text)), c.value) << c.text;
}

TEST(EditorRules, FieldNameCheck)
{
    FieldList fields;
    for (const char *name : {"email", "plz", "email"}) {
        auto field = std::make_unique<TEinzField>();
        field->Name = QString::fromLatin1(name);
        fields.push_back(std::move(field));
    }
    const struct
    {
        const char *name;
        int feldNr;
        NameProblem problem;
    } cases[] = {
        {"", -1, NameProblem::Empty},
        {"", 1, NameProblem::Empty},
        {"email", -1, NameProblem::Duplicate},
        {"Email", -1, NameProblem::None},
        {"plz", 1, NameProblem::None},
        {"plz", 0, NameProblem::Duplicate},
        // Two fields share "email": the last one counts as the name's owner.
        {"email", 2, NameProblem::None},
        {"email", 0, NameProblem::Duplicate},
        {"neu", -1, NameProblem::None},
    };
    for (const auto &c : cases)
        EXPECT_EQ(checkFieldName(QString::fromLatin1(c.name), c.feldNr, fields), c.problem)
            << c.name << " at " << c.feldNr;
    EXPECT_EQ(checkFieldName(QStringLiteral("x"), -1, FieldList()), NameProblem::None);
}

TEST(EditorRules, PriceValueListMovesAndTakesOverRoundedPrices)
{
    vq::test::LocaleScope german(vq::test::germanLocale());
    PriceValueList values;
    EXPECT_EQ(values.moveUp(0), 0) << "empty list";
    EXPECT_FALSE(values.add(QStringLiteral("x"), QStringLiteral("2.5")));
    EXPECT_FALSE(values.add(QStringLiteral("x"), QStringLiteral("1.234,5")));
    EXPECT_TRUE(values.add(QStringLiteral("a"), QStringLiteral("2,3456")));
    EXPECT_TRUE(values.add(QStringLiteral("b"), QStringLiteral("1234,5")));
    EXPECT_TRUE(values.add(QStringLiteral("c"), QStringLiteral("-0,004")));
    EXPECT_TRUE(values.add(QStringLiteral("d"), QStringLiteral("1234567,891")));
    EXPECT_EQ(values.size(), 4);
    EXPECT_EQ(values.shownPrice(0), QStringLiteral("2,35 "));
    EXPECT_EQ(values.shownPrice(1), QStringLiteral("1.234,50 "));
    EXPECT_EQ(values.editPrice(0), QStringLiteral("2,3456"));
    EXPECT_EQ(values.moveUp(0), 0);
    EXPECT_EQ(values.moveDown(3), 3);
    EXPECT_EQ(values.moveDown(0), 1);
    EXPECT_EQ(values.moveUp(3), 2);
    EXPECT_EQ(values.moveUp(7), 7) << "no such row";
    const std::vector<TPriceOptionElement> expected = {{QStringLiteral("b"), 1234.5},
                                                       {QStringLiteral("a"), 2.35},
                                                       {QStringLiteral("d"), 1234567.89},
                                                       {QStringLiteral("c"), 0.0}};
    const auto taken = values.takeOver();
    ASSERT_EQ(taken.size(), expected.size());
    for (size_t i = 0; i < taken.size(); ++i) {
        EXPECT_EQ(taken[i].name, expected[i].name) << i;
        EXPECT_DOUBLE_EQ(taken[i].preis, expected[i].preis) << i;
    }
    values.remove(0);
    values.remove(9);
    EXPECT_EQ(values.size(), 3);
    EXPECT_TRUE(values.replace(0, QStringLiteral("A"), QStringLiteral("7")));
    EXPECT_FALSE(values.replace(5, QStringLiteral("A"), QStringLiteral("7")));
    EXPECT_EQ(values.at(0).name, QStringLiteral("A"));
}

TEST(EditorRules, MoneyTextsReadBackUnderOtherRegionalSettings)
{
    const struct
    {
        QLocale locale;
        double value;
        double taken;
    } cases[] = {
        {vq::test::germanLocale(), 1234567.5, 1234567.5},
        {vq::test::englishLocale(), 1234567.556, 1234567.56},
        {vq::test::englishLocale(), -2.5, -2.5},
        {QLocale(QLocale::French, QLocale::France), 1234.5, 1234.5},
        {QLocale(QLocale::German, QLocale::Switzerland), 1234.5, 1234.5},
        {vq::test::germanLocale(), 1e15, 1e15},
        {vq::test::germanLocale(), -1e300, -1e300},
    };
    for (const auto &c : cases) {
        PriceValueList values(c.locale);
        values.assign({{QStringLiteral("x"), c.value}});
        EXPECT_DOUBLE_EQ(values.takeOver().front().preis, c.taken)
            << c.locale.name().toStdString() << " " << values.shownPrice(0).toStdString();
    }
}

TEST(EditorRules, ArticleInputChecksRunAllAndNameTheVatField)
{
    vq::test::LocaleScope german(vq::test::germanLocale());
    EXPECT_TRUE(checkArticleInput(QStringLiteral("12,5"), QStringLiteral("19"), QStringLiteral("A"))
                    .empty());
    const auto problems =
        checkArticleInput(QStringLiteral("12.5"), QStringLiteral("7%"), QString());
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(problems[0].control, QStringLiteral("edtPreis"));
    EXPECT_EQ(problems[1].control, QStringLiteral("cboMwst"));
    EXPECT_TRUE(problems[1].message.contains(QStringLiteral("\"Mwst.\"")));
    EXPECT_EQ(problems[2].control, QStringLiteral("edtName"));
    EXPECT_EQ(
        checkArticleInput(QStringLiteral("inf"), QStringLiteral("nan"), QStringLiteral("A")).size(),
        2u)
        << "no infinite or undefined numbers";
}

TEST(EditorRules, ScriptsOfTheHtmlEditorQuoteEveryText)
{
    EXPECT_EQ(scriptString(QStringLiteral("a\"b\\c\n\u2028")),
              QStringLiteral("\"a\\\"b\\\\c\\n\\u2028\""));
    EXPECT_EQ(editCommandScript(QStringLiteral("Bold")),
              QStringLiteral("document.execCommand(\"Bold\",false,null);true;"));
    EXPECT_EQ(
        editCommandScript(QStringLiteral("CreateLink"), QStringLiteral("x');alert(1)//")),
        QStringLiteral("document.execCommand(\"CreateLink\",false,\"x');alert(1)//\");true;"));
    EXPECT_EQ(fontColourValue(QColor(0x12, 0xab, 0xef)), QStringLiteral("12ABEF"));
}

} // namespace
