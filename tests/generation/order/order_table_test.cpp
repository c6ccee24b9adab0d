// The order-table pieces, text for text: article rows of each kind, option
// controls and variables, line/total/VAT scripts in brutto and netto, hidden
// order fields, the VAT row, the number notations under German and English
// settings, and the escaping of user texts written into literals.
#include "designer/generation/order/number_notation.h"
#include "designer/generation/order/order_table.h"
#include "tests/generation/order/order_test_support.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

using namespace vq;
using namespace vq::test;

namespace {

// ---------------------------------------------------------------- notations

struct NotationCase
{
    const char *locale;
    double value;
    const char *n, *f2, *f2Point, *f2NoLeadingZero, *money, *key;
};

QLocale localeNamed(const char *name)
{
    return QString::fromLatin1(name) == QLatin1String("de") ? germanLocale() : englishLocale();
}

TEST(NumberNotation, GermanAndEnglishSettings)
{
    const NotationCase cases[] = {
        {"de", 12.5, "12.5", "12,50", "12.50", "12.50", "12,50 ", "12.50"},
        {"de", 19, "19", "19,00", "19.00", "19.00", "19,00 ", "19.00"},
        {"de", 0.19, "0.19", "0,19", "0.19", ".19", "0,19 ", "0.19"},
        {"de", 0.5, "0.5", "0,50", "0.50", ".50", "0,50 ", "0.50"},
        {"de", 0, "0", "0,00", "0.00", ".00", "0,00 ", "0.00"},
        {"de", -0.0, "0", "0,00", "0.00", ".00", "0,00 ", "0.00"},
        {"de", 1234.5, "1234.5", "1234,50", "1234.50", "1234.50", "1.234,50 ", "1234.50"},
        {"de", 1234567.5, "1234567.5", "1234567,50", "1234567.50", "1234567.50", "1.234.567,50 ",
         "1234567.50"},
        {"de", -2.25, "-2.25", "-2,25", "-2.25", "-2.25", "-2,25 ", "-2.25"},
        {"de", -0.5, "-0.5", "-0,50", "-0.50", "-.50", "-0,50 ", "-0.50"},
        {"de", 2.005, "2.005", "2,00", "2.00", "2.00", "2,00 ", "2.00"}, // binary 2.00499...
        {"en", 12.5, "12.5", "12.50", "12.50", "12.50", "12.50", "12.50"},
        {"en", 0.5, "0.5", "0.50", "0.50", ".50", "0.50", "0.50"},
        {"en", 1234.5, "1234.5", "1234.50", "1234.50", "1234.50", "1,234.50", "1234.50"},
        {"en", 1234567.5, "1234567.5", "1234567.50", "1234567.50", "1234567.50", "1,234,567.50",
         "1234567.50"},
        {"en", -2.25, "-2.25", "-2.25", "-2.25", "-2.25", "(2.25)", "-2.25"},
    };
    for (const NotationCase &c : cases) {
        SCOPED_TRACE(std::string(c.locale) + " " + std::to_string(c.value));
        const QLocale locale = localeNamed(c.locale);
        // Script numbers and point notations never follow the default locale.
        LocaleScope scope(locale);
        EXPECT_EQ(scriptNumber(c.value), QString::fromUtf8(c.n));
        EXPECT_EQ(fixed2(c.value, locale), QString::fromUtf8(c.f2));
        EXPECT_EQ(fixed2Point(c.value), QString::fromUtf8(c.f2Point));
        EXPECT_EQ(fixed2PointNoLeadingZero(c.value), QString::fromUtf8(c.f2NoLeadingZero));
        EXPECT_EQ(moneyText(c.value, locale), QString::fromUtf8(c.money));
        EXPECT_EQ(priceKey(c.value), QString::fromUtf8(c.key));
    }
}

TEST(NumberNotation, MoneyTextIgnoresAnOmittedGroupSeparatorAndUsesPlainBlanks)
{
    QLocale locale = germanLocale();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    EXPECT_EQ(moneyText(1234.5, locale), QStringLiteral("1.234,50 "));
    // French settings group with a narrow no-break space and put a no-break
    // space before the symbol: both become plain blanks.
    EXPECT_EQ(moneyText(1234.5, QLocale(QLocale::French, QLocale::France)),
              QStringLiteral("1 234,50 "));
    // The value key never follows the regional layout, nor shows a negative zero.
    EXPECT_EQ(priceKey(1234.5), QStringLiteral("1234.50"));
    EXPECT_EQ(priceKey(-0.001), QStringLiteral("0.00"));
}

// ---------------------------------------------------------------- article rows

// Three articles covering the kinds, the class, link, description breaks and
// an option.
std::unique_ptr<TArtikelField> rowArticle(int kind)
{
    switch (kind) {
    case 0: {
        auto a = article(0, QStringLiteral("<b>Shirt</b>"), 12.5, 19);
        a->beschreibung = QStringLiteral("Baumwolle\r\nweich");
        return a;
    }
    case 1: {
        auto a = article(1, QStringLiteral("Porto"), 0.5, 19);
        a->link = QStringLiteral("info.html");
        a->linklabel = QStringLiteral("Mehr");
        return a;
    }
    default: {
        auto a = article(2, QStringLiteral("Geschenk"), 3, 7);
        a->beschreibung = QStringLiteral("Verpackung");
        a->listOptionen.push_back(
            priceOption(QStringLiteral("Papier"), {{"weiß", 0}, {"gold", 2.5}}));
        return a;
    }
    }
}

struct RowCase
{
    int kind;
    bool css;
    int fieldNo;
    const char *html;
    const char *php;
};

const RowCase rowCases[] = {
    {0, false, 0,
     " <tr valign=\"top\">\n"
     "    <td width=\"18%\" class=\"my\"><div align=\"center\">\n"
     "      <input name=\"b_anz0\" type=\"text\" id=\"b_anz0\" value=\"0\" size=\"10\" "
     "onChange=\"preisUpdateArt();\">\n"
     "    </div></td>\n"
     "    <td width=\"49%\" class=\"my\"><strong><b>Shirt</b><br>\n"
     "    </strong>Baumwolle\r<br>weich</td>\n"
     "    <td width=\"17%\" class=\"my\">12,50 €</td>\n"
     "    <td width=\"16%\" class=\"my\">\n"
     "        <div align=\"center\">\n"
     "          <input name=\"b_ges0\" type=\"text\" id=\"b_ges0\" value=\"0.00 €\" size=\"10\" "
     "readonly class=\"preis\">\n"
     "        </div></td>\n"
     "  </tr>\n",
     " <tr valign=\"top\">\n"
     "    <td width=\"18%\" class=\"my\"><div align=\"center\">\n"
     "      <input name=\"b_anz0\" type=\"text\" id=\"b_anz0\" value=\"<?php if "
     "(isset($_POST[\"b_anz0\"])) echo "
     "htmlspecialchars($_POST[\"b_anz0\"], ENT_QUOTES, \"ISO-8859-1\"); else echo \"0\"; ?>\" "
     "size=\"10\" "
     "onChange=\"preisUpdateArt();\">\n"
     "    </div></td>\n"
     "    <td width=\"49%\" class=\"my\"><strong><b>Shirt</b><br>\n"
     "    </strong>Baumwolle\r<br>weich</td>\n"
     "    <td width=\"17%\" class=\"my\">12,50 €</td>\n"
     "    <td width=\"16%\" class=\"my\">\n"
     "        <div align=\"center\">\n"
     "          <input name=\"b_ges0\" type=\"text\" id=\"b_ges0\" value=\"0.00 €\" size=\"10\" "
     "readonly class=\"preis\">\n"
     "        </div></td>\n"
     "  </tr>\n"},
    {1, true, 3,
     " <tr valign=\"top\">\n"
     "    <td width=\"18%\" class=\"my\"><div align=\"center\">\n"
     "    </div></td>\n"
     "    <td width=\"49%\" class=\"my\"><strong>Porto<br>\n"
     "    </strong><br><a href=\"info.html\" target=\"_blank\">Mehr</a>\n"
     "</td>\n"
     "    <td width=\"17%\" class=\"my\">0,50 €</td>\n"
     "    <td width=\"16%\" class=\"my\">\n"
     "        <div align=\"center\">\n"
     "          <input name=\"b_ges3\" type=\"text\" id=\"b_ges3\" value=\"0.50 €\" size=\"10\" "
     "readonly class=\"preis\">\n"
     "        </div></td>\n"
     "  </tr>\n",
     " <tr valign=\"top\">\n"
     "    <td width=\"18%\" class=\"my\"><div align=\"center\">\n"
     "    </div></td>\n"
     "    <td width=\"49%\" class=\"my\"><strong>Porto<br>\n"
     "    </strong><br><a href=\"info.html\" target=\"_blank\">Mehr</a>\n"
     "</td>\n"
     "    <td width=\"17%\" class=\"my\">0,50 €</td>\n"
     "    <td width=\"16%\" class=\"my\">\n"
     "        <div align=\"center\">\n"
     "          <input name=\"b_ges3\" type=\"text\" id=\"b_ges3\" value=\".50 €\" size=\"10\" "
     "readonly class=\"preis\">\n"
     "        </div></td>\n"
     "  </tr>\n"},
    {2, true, 1,
     " <tr valign=\"top\">\n"
     "    <td width=\"18%\" class=\"my\"><div align=\"center\">\n"
     "      <input name=\"b_anz1\" type=\"checkbox\" id=\"b_anz1\" value=\"1\" "
     "onclick=\"preisUpdateArt();\" class=\"field\" />\n"
     "    </div></td>\n"
     "    <td width=\"49%\" class=\"my\"><strong>Geschenk<br>\n"
     "    </strong>Verpackung<p>Papier<br>\n"
     "<select name=\"b_opt1_0\" class=\"field\"  onchange=\"preisUpdateArt();\">\n"
     "<option value=\"weiß#0.00\">weiß - 0,00  €</option>\n"
     "<option value=\"gold#2.50\">gold - 2,50  €</option>\n"
     "</select>\n"
     "</p>\n"
     "<br></td>\n"
     "    <td width=\"17%\" class=\"my\">3,00 €</td>\n"
     "    <td width=\"16%\" class=\"my\">\n"
     "        <div align=\"center\">\n"
     "          <input name=\"b_ges1\" type=\"text\" id=\"b_ges1\" value=\"0.00 €\" size=\"10\" "
     "readonly class=\"preis\">\n"
     "        </div></td>\n"
     "  </tr>\n",
     " <tr valign=\"top\">\n"
     "    <td width=\"18%\" class=\"my\"><div align=\"center\">\n"
     "     <input name=\"b_anz1\" type=\"checkbox\" id=\"b_anz1\" value=\"1\" "
     "onclick=\"preisUpdateArt();\" class=\"field\" />\n"
     "    </div></td>\n"
     "    <td width=\"49%\" class=\"my\"><strong>Geschenk<br>\n"
     "    </strong>Verpackung<p>Papier<br>\n"
     "<select name=\"b_opt1_0\" class=\"field\"  onchange=\"preisUpdateArt();\">\n"
     "<option <?php echo $b_opt1_0_0;?> value=\"weiß#0.00\">weiß - 0,00  €</option>\n"
     "<option <?php echo $b_opt1_0_1;?> value=\"gold#2.50\">gold - 2,50  €</option>\n"
     "</select>\n"
     "</p>\n"
     "<br></td>\n"
     "    <td width=\"17%\" class=\"my\">3,00 €</td>\n"
     "    <td width=\"16%\" class=\"my\">\n"
     "        <div align=\"center\">\n"
     "          <input name=\"b_ges1\" type=\"text\" id=\"b_ges1\" value=\"0.00 €\" size=\"10\" "
     "readonly class=\"preis\">\n"
     "        </div></td>\n"
     "  </tr>\n"},
};

TEST(ArticleRow, EachKindInHtmlAndPhp)
{
    const auto settings = orderSettings(QStringLiteral("brutto"), germanLocale());
    for (const RowCase &c : rowCases) {
        SCOPED_TRACE("kind " + std::to_string(c.kind));
        const auto a = rowArticle(c.kind);
        EXPECT_EQ(generateHTMLField(*a, c.css, c.fieldNo, settings), crlf(c.html));
        EXPECT_EQ(generatePHPField(*a, c.css, c.fieldNo, settings), crlf(c.php));
    }
}

TEST(ArticleRow, UnitPriceFollowsTheRegionalSettingsAndStartTotalsUseAPoint)
{
    auto a = article(1, QStringLiteral("Porto"), 1234.5, 0);
    const QString html =
        generateHTMLField(*a, false, 0, orderSettings(QStringLiteral("brutto"), englishLocale()));
    EXPECT_TRUE(html.contains(QStringLiteral(">1234.50 €</td>")));
    EXPECT_TRUE(html.contains(QStringLiteral("value=\"1234.50 €\"")));
    const QString german =
        generateHTMLField(*a, false, 0, orderSettings(QStringLiteral("brutto"), germanLocale()));
    EXPECT_TRUE(german.contains(QStringLiteral(">1234,50 €</td>")));
    EXPECT_TRUE(german.contains(QStringLiteral("value=\"1234.50 €\"")));
}

TEST(ArticleRow, AKindThisVersionDoesNotKnowHasNoQuantityAnywhere)
{
    TArtikelList list;
    list.push_back(article(7, QStringLiteral("X"), 2, 19));
    list.back()->listOptionen.push_back(priceOption(QStringLiteral("P"), {{"a", 1}}));
    const auto settings = orderSettings(QStringLiteral("netto"), germanLocale());
    const QString all = generateHTMLField(*list[0], false, 0, settings)
                        + generateJSField(*list[0], 0, settings)
                        + gesamtKostenScript(list, settings) + steuerScript(list, settings)
                        + artikelDaten(list, settings);
    EXPECT_FALSE(all.contains(QStringLiteral("b_anz0")));
    EXPECT_TRUE(generateJSField(*list[0], 0, settings).isEmpty());
}

// ---------------------------------------------------------------- options

struct OptionCase
{
    const char *what;
    std::unique_ptr<TOptionField> (*make)();
    bool sideBySide;
    bool css;
    const char *html, *php, *phpVar, *priceFunction;
};

const OptionCase optionCases[] = {
    {"input", [] { return inputOption(QStringLiteral("Aufdruck"), QStringLiteral("Ihr Name")); },
     false, false,
     "<p>Aufdruck<br>\n<input type=\"text\" name=\"b_opt2_1\" value=\"Ihr Name\">\n</p>\n",
     "<p>Aufdruck<br>\n<input type=\"text\" name=\"b_opt2_1\" value=\"<?php echo "
     "htmlspecialchars($b_opt2_1, ENT_QUOTES, "
     "\"ISO-8859-1\"); ?>\">\n</p>\n",
     "if (isset($_POST[\"b_opt2_1\"])) $b_opt2_1 = $_POST[\"b_opt2_1\"]; else $b_opt2_1 = \"Ihr "
     "Name\";\n\n",
     ""},
    {"input side by side", [] { return inputOption(QStringLiteral("Aufdruck"), QString()); }, true,
     true, "Aufdruck <input type=\"text\" name=\"b_opt2_1\" value=\"\" class=\"field\">\n\n",
     "Aufdruck <input type=\"text\" name=\"b_opt2_1\" value=\"<?php echo "
     "htmlspecialchars($b_opt2_1, ENT_QUOTES, "
     "\"ISO-8859-1\"); ?>\" class=\"field\">\n\n",
     "if (isset($_POST[\"b_opt2_1\"])) $b_opt2_1 = $_POST[\"b_opt2_1\"]; else $b_opt2_1 = "
     "\"\";\n\n",
     ""},
    {"select side by side",
     [] { return selectOption(QStringLiteral("Größe"), QStringLiteral("S# M##L")); }, true, true,
     "Größe <select name=\"b_opt2_1\" "
     "class=\"field\">\n<option>S</option>\n<option>M</option>\n<option>L</option>\n"
     "</select>\n\n",
     "Größe <select name=\"b_opt2_1\" class=\"field\">\n<option <?php echo "
     "$b_opt2_1_0;?>>S</option>\n"
     "<option <?php echo $b_opt2_1_1;?>>M</option>\n<option <?php echo "
     "$b_opt2_1_2;?>>L</option>\n</select>\n\n",
     "$b_opt2_1_0 = \"\";\n$b_opt2_1_1 = \"\";\n$b_opt2_1_2 = \"\";\nif "
     "(isset($_POST[\"b_opt2_1\"]))\n{\n"
     "\tif ($_POST[\"b_opt2_1\"] == \"S\") $b_opt2_1_0 = \"selected\";\n"
     "\tif ($_POST[\"b_opt2_1\"] == \"M\") $b_opt2_1_1 = \"selected\";\n"
     "\tif ($_POST[\"b_opt2_1\"] == \"L\") $b_opt2_1_2 = \"selected\";\n}\n\n",
     ""},
    {"select without choices", [] { return selectOption(QStringLiteral("Leer"), QString()); },
     false, false, "<p>Leer<br>\n<select name=\"b_opt2_1\">\n</select>\n</p>\n",
     "<p>Leer<br>\n<select name=\"b_opt2_1\">\n</select>\n</p>\n",
     "if (isset($_POST[\"b_opt2_1\"]))\n{\n}\n\n", ""},
    {"price",
     [] {
         return priceOption(QStringLiteral("Farbe"),
                            {{"weiß", 0}, {"gold", 2.5}, {"Groß", 1234.5}, {"Rabatt", -2.25}});
     },
     false, false,
     "<p>Farbe<br>\n<select name=\"b_opt2_1\"  onchange=\"preisUpdateArt();\">\n"
     "<option value=\"weiß#0.00\">weiß - 0,00  €</option>\n"
     "<option value=\"gold#2.50\">gold - 2,50  €</option>\n"
     "<option value=\"Groß#1234.50\">Groß - 1.234,50  €</option>\n"
     "<option value=\"Rabatt#-2.25\">Rabatt - -2,25  €</option>\n"
     "</select>\n</p>\n",
     "<p>Farbe<br>\n<select name=\"b_opt2_1\"  onchange=\"preisUpdateArt();\">\n"
     "<option <?php echo $b_opt2_1_0;?> value=\"weiß#0.00\">weiß - 0,00  €</option>\n"
     "<option <?php echo $b_opt2_1_1;?> value=\"gold#2.50\">gold - 2,50  €</option>\n"
     "<option <?php echo $b_opt2_1_2;?> value=\"Groß#1234.50\">Groß - 1.234,50  €</option>\n"
     "<option <?php echo $b_opt2_1_3;?> value=\"Rabatt#-2.25\">Rabatt - -2,25  €</option>\n"
     "</select>\n</p>\n",
     "$b_opt2_1_0 = \"\";\n$b_opt2_1_1 = \"\";\n$b_opt2_1_2 = \"\";\n$b_opt2_1_3 = \"\";\n"
     "if (isset($_POST[\"b_opt2_1\"]))\n{\n"
     "\tif ($_POST[\"b_opt2_1\"] == \"weiß#0.00\") $b_opt2_1_0 = \"selected\";\n"
     "\tif ($_POST[\"b_opt2_1\"] == \"gold#2.50\") $b_opt2_1_1 = \"selected\";\n"
     "\tif ($_POST[\"b_opt2_1\"] == \"Groß#1234.50\") $b_opt2_1_2 = \"selected\";\n"
     "\tif ($_POST[\"b_opt2_1\"] == \"Rabatt#-2.25\") $b_opt2_1_3 = \"selected\";\n}\n\n",
     "      function Get_b_opt2_1_Price()\n      {\n      var opt = 0;\n"
     "      if (document.VQFORM.b_opt2_1.selectedIndex == 0) opt = 0;\n"
     "      if (document.VQFORM.b_opt2_1.selectedIndex == 1) opt = 2.5;\n"
     "      if (document.VQFORM.b_opt2_1.selectedIndex == 2) opt = 1234.5;\n"
     "      if (document.VQFORM.b_opt2_1.selectedIndex == 3) opt = -2.25;\n"
     "      return opt;\n    }\n"},
    {"price side by side, large surcharge",
     [] {
         return priceOption(QStringLiteral("Gold"), {{"viel", 1234567.5}});
     },
     true, true,
     "Gold <select name=\"b_opt2_1\" class=\"field\"  onchange=\"preisUpdateArt();\">\n"
     "<option value=\"viel#1234567.50\">viel - 1.234.567,50  €</option>\n</select>\n\n",
     "Gold <select name=\"b_opt2_1\" class=\"field\"  onchange=\"preisUpdateArt();\">\n"
     "<option <?php echo $b_opt2_1_0;?> value=\"viel#1234567.50\">viel - 1.234.567,50  "
     "€</option>\n</select>\n\n",
     "$b_opt2_1_0 = \"\";\nif (isset($_POST[\"b_opt2_1\"]))\n{\n"
     "\tif ($_POST[\"b_opt2_1\"] == \"viel#1234567.50\") $b_opt2_1_0 = \"selected\";\n}\n\n",
     "      function Get_b_opt2_1_Price()\n      {\n      var opt = 0;\n"
     "      if (document.VQFORM.b_opt2_1.selectedIndex == 0) opt = 1234567.5;\n"
     "      return opt;\n    }\n"},
};

TEST(OptionPieces, EachKindInHtmlPhpAndScript)
{
    const auto settings = orderSettings(QStringLiteral("brutto"), germanLocale());
    for (const OptionCase &c : optionCases) {
        SCOPED_TRACE(c.what);
        TArtikelField owner;
        owner.optionenNebeneinander = c.sideBySide;
        const auto option = c.make();
        EXPECT_EQ(generateHTML(*option, c.css, 2, 1, owner, settings), crlf(c.html));
        EXPECT_EQ(generatePHP(*option, c.css, 2, 1, owner, settings), crlf(c.php));
        EXPECT_EQ(generatePHPVar(*option, 2, 1), crlf(c.phpVar));
        EXPECT_EQ(generateAdditionalPHPFunctions(*option, 2, 1), crlf(c.priceFunction));
    }
}

TEST(OptionPieces, PriceValueKeysOfControlAndVariablesAgreeUnderEnglishSettings)
{
    LocaleScope english(englishLocale());
    const auto settings = orderSettings(QStringLiteral("brutto"), englishLocale());
    TArtikelField owner;
    const auto option = priceOption(QStringLiteral("Farbe"), {{"Groß", 1234.5}});
    EXPECT_TRUE(generatePHP(*option, false, 0, 0, owner, settings)
                    .contains(QStringLiteral("value=\"Groß#1234.50\">Groß - 1,234.50 €</option>")));
    EXPECT_TRUE(generatePHPVar(*option, 0, 0).contains(QStringLiteral("== \"Groß#1234.50\")")));
    // A discount keeps its minus sign instead of the English money layout "(2.50)".
    const auto discount = priceOption(QStringLiteral("Rabatt"), {{"Treue", -2.5}});
    EXPECT_TRUE(generatePHP(*discount, false, 0, 0, owner, settings)
                    .contains(QStringLiteral("value=\"Treue#-2.50\">")));
}

// ---------------------------------------------------------------- scripts

// An article of the given kind with options input, price, select, price, so
// that only the price options at 1 and 3 count.
std::unique_ptr<TArtikelField> mixedOptionsArticle(int kind, double preis)
{
    auto a = article(kind, QStringLiteral("A"), preis, 19);
    a->listOptionen.push_back(inputOption(QStringLiteral("Text"), QString()));
    a->listOptionen.push_back(priceOption(QStringLiteral("P1"), {{"a", 1}}));
    a->listOptionen.push_back(selectOption(QStringLiteral("S"), QStringLiteral("x#y")));
    a->listOptionen.push_back(priceOption(QStringLiteral("P2"), {{"b", 2}}));
    return a;
}

TEST(LineComputation, EachKindCountsOnlyPriceOptions)
{
    const struct
    {
        int kind;
        double preis;
        const char *script;
    } cases[] = {
        {0, 12.5,
         "      var anz=parseInt(document.VQFORM.b_anz0.value);\n"
         "      if(!(anz > 0))\n      {\n        anz=0;\n"
         "        document.VQFORM.b_anz0.value=\"0\";\n      }\n"
         "      else if(document.VQFORM.b_anz0.value != anz)\n"
         "        document.VQFORM.b_anz0.value=anz;\n"
         "      option = 0;\n"
         "      option += anz * Get_b_opt0_1_Price();\n"
         "      option += anz * Get_b_opt0_3_Price();\n"
         "      gesamt = anz * 12.5 + option;\n"
         "      document.VQFORM.b_ges0.value = gesamt.toFixed(2).replace('.', ',') + \" €\";\n\n"},
        {1, 0.5,
         "      option = 0;\n"
         "      option += Get_b_opt0_1_Price();\n"
         "      option += Get_b_opt0_3_Price();\n"
         "      gesamt = 0.50 + option\n" // no semicolon
         "      document.VQFORM.b_ges0.value = gesamt.toFixed(2).replace('.', ',') + \" €\";\n\n"},
        {2, 12.5,
         "      if(document.VQFORM.b_anz0.checked)\n      {\n"
         "      option = 0;\n"
         "      option += Get_b_opt0_1_Price();\n"
         "      option += Get_b_opt0_3_Price();\n"
         "        gesamt = 12.5 +  option;\n"
         "        document.VQFORM.b_ges0.value = gesamt.toFixed(2).replace('.', ',') + \" €\";\n\n"
         "      } else\n      {\n"
         "        document.VQFORM.b_ges0.value = \"0,00 €\";\n      }\n"},
    };
    // English settings: nothing in the scripts follows them.
    const auto settings = orderSettings(QStringLiteral("brutto"), englishLocale());
    for (const auto &c : cases) {
        SCOPED_TRACE("kind " + std::to_string(c.kind));
        EXPECT_EQ(generateJSField(*mixedOptionsArticle(c.kind, c.preis), 0, settings),
                  crlf(c.script));
    }
}

// Kinds 0, 1 and 2 with VAT 19, 7 and 0.
TArtikelList threeArticles()
{
    TArtikelList list;
    list.push_back(article(0, QStringLiteral("A"), 12.5, 19));
    list.back()->listOptionen.push_back(priceOption(QStringLiteral("P"), {{"a", 1}}));
    list.push_back(article(1, QStringLiteral("B"), 0.5, 7));
    list.push_back(article(2, QStringLiteral("C"), 3, 0));
    list.back()->listOptionen.push_back(inputOption(QStringLiteral("T"), QString()));
    list.back()->listOptionen.push_back(priceOption(QStringLiteral("P"), {{"b", 2}}));
    return list;
}

TEST(TotalAndVat, TotalComputation)
{
    EXPECT_EQ(gesamtKostenScript(threeArticles(),
                                 orderSettings(QStringLiteral("brutto"), germanLocale())),
              crlf("\t    option = 0;\n"
                   "\t    option += document.VQFORM.b_anz0.value * Get_b_opt0_0_Price();\n"
                   "\t    total += document.VQFORM.b_anz0.value * 12.5 + option;\n"
                   "\t    option = 0;\n"
                   "\t    total += 0.5 + option;\n"
                   "\t    option = 0;\n"
                   "\t    option += Get_b_opt2_1_Price();\n"
                   "\t    if(document.VQFORM.b_anz2.checked) total += 3 + option;\n"));
}

TEST(TotalAndVat, VatComputationAndDisplayByMode)
{
    // Each rate's VAT is summed, rounded to the cent, and only then added.
    const char *bruttoScript =
        "\t    var vqVat = {};\n"
        "\t    option = 0;\n"
        "\t    option += document.VQFORM.b_anz0.value * Get_b_opt0_0_Price();\n"
        "\t    vqVat[19] = (vqVat[19] || 0) + ((document.VQFORM.b_anz0.value * 12.5 + option) * "
        "19)/(19 + 100);\n"
        "\t    option = 0;\n"
        "\t    vqVat[7] = (vqVat[7] || 0) + ((0.5 + option) * 7)/(7 + 100);\n"
        "\t    option = 0;\n"
        "\t    option += Get_b_opt2_1_Price();\n"
        "\t    if(document.VQFORM.b_anz2.checked) vqVat[0] = (vqVat[0] || 0) + ((3 + option) * "
        "0)/(0 + 100);\n"
        "\t    for (var vqRate in vqVat) total += Math.round(vqVat[vqRate] * 100) / 100;\n";
    const char *nettoScript =
        "\t    var vqVat = {};\n"
        "\t    option = 0;\n"
        "\t    option += document.VQFORM.b_anz0.value * Get_b_opt0_0_Price();\n"
        "\t    vqVat[19] = (vqVat[19] || 0) + (document.VQFORM.b_anz0.value * 12.5 + option) * "
        "0.19;\n"
        "\t    option = 0;\n"
        "\t    vqVat[7] = (vqVat[7] || 0) + (0.5 + option) * 0.07;\n"
        "\t    option = 0;\n"
        "\t    option += Get_b_opt2_1_Price();\n"
        "\t    if(document.VQFORM.b_anz2.checked) vqVat[0] = (vqVat[0] || 0) + (3 + option) * 0;\n"
        "\t    for (var vqRate in vqVat) total += Math.round(vqVat[vqRate] * 100) / 100;\n";
    const char *display = "      document.VQFORM.b_mwst.value = "
                          "steuer.toFixed(2).toString().replace('.', ',') + \" €\";";
    const QString nettoDisplay =
        QStringLiteral("gesamt = gesamt + steuer;\r\n") + QString::fromUtf8(display);
    const struct
    {
        const char *tax;
        const char *steuer;
        QString insert;
    } cases[] = {
        {"brutto", bruttoScript, QString::fromUtf8(display)},
        // brutto is recognised in any letter case ...
        {"BRUTTO", bruttoScript, QString::fromUtf8(display)},
        {"netto", nettoScript, nettoDisplay},
        // ... netto adds the VAT to the grand total only when written exactly so.
        {"Netto", nettoScript, QString::fromUtf8(display)},
        {"", nettoScript, QString::fromUtf8(display)},
    };
    const TArtikelList list = threeArticles();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.tax);
        const auto settings = orderSettings(QString::fromLatin1(c.tax), germanLocale());
        EXPECT_EQ(steuerScript(list, settings), crlf(c.steuer));
        EXPECT_EQ(insertSteuerScript(list, settings), c.insert);
    }
}

TEST(TotalAndVat, OneNormalArticleWithoutOptions)
{
    TArtikelList list;
    list.push_back(article(0, QStringLiteral("A"), 12.5, 19));
    EXPECT_EQ(
        steuerScript(list, orderSettings(QStringLiteral("netto"), germanLocale())),
        crlf("\t    var vqVat = {};\n\t    option = 0;\n"
             "\t    vqVat[19] = (vqVat[19] || 0) + (document.VQFORM.b_anz0.value * 12.5 + option) "
             "* 0.19;\n"
             "\t    for (var vqRate in vqVat) total += Math.round(vqVat[vqRate] * 100) / 100;\n"));
    EXPECT_TRUE(insertSteuerScript(list, orderSettings(QStringLiteral("netto"), germanLocale()))
                    .startsWith(QStringLiteral("gesamt = gesamt + steuer;\r\n")));
}

// ---------------------------------------------------------------- hidden fields, VAT row, empty
// order

TEST(HiddenOrderFields, AllOptionKindsAndTheFixedQuantity)
{
    TArtikelList list;
    list.push_back(article(0, QStringLiteral("Shirt"), 12.5, 19));
    list.back()->artikelNummer = QStringLiteral("A-17");
    list.back()->listOptionen.push_back(inputOption(QStringLiteral("Aufdruck"), QString()));
    list.back()->listOptionen.push_back(
        selectOption(QStringLiteral("Größe"), QStringLiteral("S#M")));
    list.back()->listOptionen.push_back(priceOption(QStringLiteral("Farbe"), {{"rot", 1}}));
    list.push_back(article(1, QStringLiteral("Porto"), 0.5, 0));
    EXPECT_EQ(artikelDaten(list, orderSettings(QStringLiteral("brutto"), germanLocale())),
              crlf("  <input type=\"hidden\" name=\"b_name0\" value=\"Shirt\">\n"
                   "  <input type=\"hidden\" name=\"b_preis0\" value=\"12.5\">\n"
                   "  <input type=\"hidden\" name=\"b_mwst0\" value=\"19\">\n"
                   "  <input type=\"hidden\" name=\"b_bestnr0\" value=\"A-17\">\n"
                   "  <input type=\"hidden\" name=\"b_opt_count0\" value=\"3\">\n"
                   "  <input type=\"hidden\" name=\"b_opt_type0_0\" value=\"Input\">\n"
                   "  <input type=\"hidden\" name=\"b_optname0_0\" value=\"Aufdruck\">\n"
                   "  <input type=\"hidden\" name=\"b_opt_type0_1\" value=\"Select\">\n"
                   "  <input type=\"hidden\" name=\"b_optname0_1\" value=\"Größe\">\n"
                   "  <input type=\"hidden\" name=\"b_opt_type0_2\" value=\"Price\">\n"
                   "  <input type=\"hidden\" name=\"b_optname0_2\" value=\"Farbe\">\n"
                   "  <input type=\"hidden\" name=\"b_name1\" value=\"Porto\">\n"
                   "  <input type=\"hidden\" name=\"b_preis1\" value=\"0.5\">\n"
                   "  <input type=\"hidden\" name=\"b_mwst1\" value=\"0\">\n"
                   "  <input type=\"hidden\" name=\"b_bestnr1\" value=\"\">\n"
                   "  <input type=\"hidden\" name=\"b_opt_count1\" value=\"0\">\n"
                   "  <input type=\"hidden\" name=\"b_anz1\" value=\"1\">\n"));
}

TEST(VatRow, FilledWithVatRemovedWithout)
{
    const QString page = QStringLiteral(
        "a<!-- MWSTSTART-->L=<!-- MWSTLABEL--> W=<!-- MWSTWAEHRUNG--><!-- MWSTEND-->b "
        "<!-- MWSTLABEL-->");
    const auto settings = orderSettings(QStringLiteral("brutto"), germanLocale());
    TArtikelList withVat;
    withVat.push_back(article(0, QStringLiteral("A"), 1, 19));
    TArtikelList zeroVat;
    zeroVat.push_back(article(0, QStringLiteral("A"), 1, 0));
    const TArtikelList none;

    const struct
    {
        const TArtikelList *list;
        QString page;
        QString expected;
    } cases[] = {
        {&withVat, page,
         QStringLiteral(
             "a<!-- MWSTSTART-->L=enthaltene MwSt.: W=€<!-- MWSTEND-->b enthaltene MwSt.:")},
        {&zeroVat, page, QStringLiteral("ab <!-- MWSTLABEL-->")},
        {&none, page, QStringLiteral("ab <!-- MWSTLABEL-->")},
        // only the first start with the first end after it
        {&none,
         QStringLiteral(
             "<!-- MWSTEND-->x<!-- MWSTSTART-->y<!-- MWSTEND-->z<!-- MWSTSTART-->w<!-- MWSTEND-->"),
         QStringLiteral("<!-- MWSTEND-->xz<!-- MWSTSTART-->w<!-- MWSTEND-->")},
        // an end without a start after it, or a start alone: nothing removed
        {&none, QStringLiteral("x<!-- MWSTEND-->y<!-- MWSTSTART-->z"),
         QStringLiteral("x<!-- MWSTEND-->y<!-- MWSTSTART-->z")},
        {&none, QStringLiteral("x<!-- MWSTSTART-->z"), QStringLiteral("x<!-- MWSTSTART-->z")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.page.toStdString());
        EXPECT_EQ(applyVatRow(c.page, *c.list, settings), c.expected);
    }
}

TEST(EmptyOrder, PiecesAreEmptyAndTheVatDisplayMarkerStays)
{
    const auto settings = orderSettings(QStringLiteral("netto"), germanLocale());
    const TArtikelList none;
    EXPECT_FALSE(orderHasVat(none));
    EXPECT_EQ(gesamtKostenScript(none, settings), QString());
    EXPECT_EQ(steuerScript(none, settings), QString());
    EXPECT_EQ(artikelDaten(none, settings), QString());
    EXPECT_EQ(insertSteuerScript(none, settings), QStringLiteral("<!-- INSERTSTEUER -->"));

    // All rates 0: the VAT pieces behave as without articles, totals are there.
    TArtikelList zeroVat;
    zeroVat.push_back(article(0, QStringLiteral("A"), 1, 0));
    EXPECT_FALSE(orderHasVat(zeroVat));
    EXPECT_EQ(steuerScript(zeroVat, settings), QString());
    EXPECT_EQ(insertSteuerScript(zeroVat, settings), QStringLiteral("<!-- INSERTSTEUER -->"));
    EXPECT_FALSE(gesamtKostenScript(zeroVat, settings).isEmpty());
}

TEST(Indices, MovingAnArticleRenamesEveryPiece)
{
    auto a = mixedOptionsArticle(0, 2);
    const auto settings = orderSettings(QStringLiteral("brutto"), germanLocale());
    const QString at5 = generateHTMLField(*a, false, 5, settings) + generateJSField(*a, 5, settings)
                        + generateAdditionalPHPFunctions(*a->listOptionen[1], 5, 1);
    EXPECT_FALSE(at5.contains(QStringLiteral("b_anz0")));
    for (const char *name : {"b_anz5", "b_ges5", "b_opt5_0", "b_opt5_1", "b_opt5_2", "b_opt5_3",
                             "Get_b_opt5_1_Price", "Get_b_opt5_3_Price"})
        EXPECT_TRUE(at5.contains(QString::fromLatin1(name))) << name;
}

// ---------------------------------------------------------------- escaping

TEST(Escaping, CurrencyInScriptLiteralsStaysInsideTheLiteral)
{
    const QString currency = QStringLiteral("\"\\</script><!--\r\n$");
    const auto settings = orderSettings(QStringLiteral("netto"), germanLocale(), currency);
    const QString escaped = QStringLiteral("\\\"\\\\\\x3C/script>\\x3C!--\\r\\n$");
    TArtikelList list;
    list.push_back(article(2, QStringLiteral("A"), 1, 19));
    EXPECT_EQ(insertSteuerScript(list, settings),
              QStringLiteral("gesamt = gesamt + steuer;\r\n      document.VQFORM.b_mwst.value = "
                             "steuer.toFixed(2).toString().replace('.', ',') + \" ")
                  + escaped + QStringLiteral("\";"));
    const QString js = generateJSField(*list[0], 0, settings);
    EXPECT_EQ(js.count(QStringLiteral(" + \" ") + escaped + QStringLiteral("\";")), 1);
    EXPECT_EQ(js.count(QStringLiteral("= \"0,00 ") + escaped + QStringLiteral("\";")), 1);
    // As HTML the currency stays as typed; in the start value of the line
    // total field only the quote is made an entity.
    const QString row = generateHTMLField(*list[0], false, 0, settings);
    EXPECT_TRUE(row.contains(QStringLiteral(">1,00 ") + currency + QStringLiteral("</td>")));
    EXPECT_TRUE(row.contains(QStringLiteral("value=\"0.00 &quot;\\</script><!--\r\n$\"")));
}

TEST(Escaping, TextsInPhpLiteralsAndAttributeValues)
{
    const auto settings = orderSettings(QStringLiteral("brutto"), germanLocale());
    const auto input = inputOption(QStringLiteral("Text"), QStringLiteral("a \"b\" \\ $x {$y}"));
    EXPECT_EQ(
        generatePHPVar(*input, 0, 0),
        QStringLiteral(
            "if (isset($_POST[\"b_opt0_0\"])) $b_opt0_0 = $_POST[\"b_opt0_0\"]; else $b_opt0_0 = "
            "\"a \\\"b\\\" \\\\ \\$x {\\$y}\";\r\n\r\n"));
    TArtikelList list;
    list.push_back(article(0, QStringLiteral("Shirt \"Sommer\" <i>neu</i> &amp; mehr"), 1, 0));
    list.back()->listOptionen.push_back(
        inputOption(QStringLiteral("Name \"x\""), QStringLiteral("\"Vorgabe\"")));
    const QString hidden = artikelDaten(list, settings);
    EXPECT_TRUE(hidden.contains(QStringLiteral(
        "name=\"b_name0\" value=\"Shirt &quot;Sommer&quot; <i>neu</i> &amp; mehr\">")));
    EXPECT_TRUE(
        hidden.contains(QStringLiteral("name=\"b_optname0_0\" value=\"Name &quot;x&quot;\">")));
    const QString row = generateHTMLField(*list[0], false, 0, settings);
    EXPECT_TRUE(row.contains(QStringLiteral("<strong>Shirt \"Sommer\" <i>neu</i> &amp; mehr<br>")));
    EXPECT_TRUE(row.contains(QStringLiteral("<p>Name \"x\"<br>")));
    EXPECT_TRUE(row.contains(QStringLiteral("value=\"&quot;Vorgabe&quot;\">")));

    const auto price = priceOption(QStringLiteral("P"), {{"\"$a\\", 1}});
    TArtikelField owner;
    EXPECT_TRUE(generateHTML(*price, false, 0, 0, owner, settings)
                    .contains(QStringLiteral(
                        "<option value=\"&quot;$a\\#1.00\">\"$a\\ - 1,00  €</option>")));
    EXPECT_TRUE(generatePHPVar(*price, 0, 0).contains(QStringLiteral("== \"\\\"\\$a\\\\#1.00\")")));
}

} // namespace
