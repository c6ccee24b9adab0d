// The pieces of every field kind, to the byte: HTML rows, JavaScript checks,
// counter scripts, PHP rows, redisplay code, error variables and PHP checks,
// and how texts are escaped for the string literals they go into.
#include "designer/generation/field_code.h"
#include "designer/generation/order/literal_escape.h"
#include "tests/generation/generation_fixtures.h"

#include <functional>
#include <gtest/gtest.h>

using namespace vq;
using namespace vq::test;

namespace {

using FieldMaker = std::function<std::unique_ptr<TFormField>()>;

const QString kFrame = QStringLiteral(
    "<tr><td align=\"right\"  valign=\"top\" class=\"my\" nowrap>L</td>\r\n<td class=\"my\">\r\n");

struct PieceCase
{
    const char *label;
    FieldMaker make;
    bool css;
    QString expected;
};

void PrintTo(const PieceCase &c, std::ostream *os)
{
    *os << c.label;
}

template <typename T> std::unique_ptr<TFormField> withLabel(std::unique_ptr<T> f)
{
    f->Beschriftung = QStringLiteral("L");
    return f;
}

FieldMaker einzMaker(int check = 0, int minLength = 0, bool clear = false)
{
    return [=] {
        auto f = einz(QStringLiteral("n"), QStringLiteral("L"), check, minLength);
        f->Vorgabewert = QStringLiteral("v");
        f->BeschriftungNach = QStringLiteral("nach");
        f->VorgabeLoeschen = clear;
        return std::unique_ptr<TFormField>(std::move(f));
    };
}

FieldMaker mehrzMaker(const QString &limit, bool display, bool required = true)
{
    return [=] {
        auto f = mehrz(QStringLiteral("m"), QStringLiteral("L"), limit, display);
        f->Vorgabewert = QStringLiteral("v");
        f->BeschriftungNach = QStringLiteral("nach");
        f->Pflicht = required;
        return std::unique_ptr<TFormField>(std::move(f));
    };
}

FieldMaker dropMaker(const QString &choices, const QString &size, bool required = true)
{
    return [=] {
        auto f = dropDown(QStringLiteral("d"), QStringLiteral("L"), choices, size);
        f->BeschriftungNach = QStringLiteral("nach");
        f->Pflicht = required;
        return std::unique_ptr<TFormField>(std::move(f));
    };
}

FieldMaker radioMaker(const QString &choices, bool required = true)
{
    return [=] {
        auto f = radio(QStringLiteral("r"), QStringLiteral("L"), choices);
        f->BeschriftungNach = QStringLiteral("nie gezeigt");
        f->Pflicht = required;
        return std::unique_ptr<TFormField>(std::move(f));
    };
}

FieldMaker simpleMaker(std::function<std::unique_ptr<TFormField>()> make)
{
    return make;
}

// ---- HTML rows

class HtmlRow : public testing::TestWithParam<PieceCase>
{
};

TEST_P(HtmlRow, IsExact)
{
    EXPECT_EQ(GenCode(*GetParam().make(), GetParam().css), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, HtmlRow,
    testing::Values(
        PieceCase{"single-line", einzMaker(), false,
                  kFrame
                      + u"<input type=\"text\" name=\"n\" value=\"v\" size=\"30\" "
                        u"maxlength=\"60\"> nach</td></tr>\r\n"},
        PieceCase{"single-line css clear", einzMaker(0, 0, true), true,
                  kFrame
                      + u"<input type=\"text\" name=\"n\" value=\"v\" size=\"30\" maxlength=\"60\" "
                        u"class=\"field\" onfocus=\"this.value = '';\"> nach</td></tr>\r\n"},
        PieceCase{"password", simpleMaker([] { return withLabel(pass(QStringLiteral("p"), {})); }),
                  true,
                  kFrame
                      + u"<input type=\"password\" name=\"p\" value=\"\" size=\"20\" "
                        u"maxlength=\"20\" class=\"field\"> </td></tr>\r\n"},
        PieceCase{"multi-line counted", mehrzMaker(QStringLiteral("100"), true), true,
                  kFrame
                      + u"<textarea name=\"m\" cols=\"40\" rows=\"4\" class=\"field\" "
                        u"onkeyup=\"javascript:zaehle_m()\" >v</textarea> nach"
                        u"<br><input name=\"anzeige_m\" type=\"text\" size=\"8\" readonly "
                        u"value=\"100\" class=\"field\"> Zeichen übrig</td></tr>\r\n"},
        PieceCase{"multi-line without limit keeps the display", mehrzMaker({}, true), false,
                  kFrame
                      + u"<textarea name=\"m\" cols=\"40\" rows=\"4\">v</textarea> nach"
                        u"<br><input name=\"anzeige_m\" type=\"text\" size=\"8\" readonly "
                        u"value=\"\"> Zeichen übrig</td></tr>\r\n"},
        PieceCase{"drop-down", dropMaker(QStringLiteral("a#b"), QStringLiteral("1")), true,
                  kFrame
                      + u"<select name=\"d\" size=\"1\" "
                        u"class=\"field\"><option>a</option>\r\n<option>b</option>\r\n</select> "
                        u"nach</td></tr>\r\n"},
        PieceCase{"empty list", dropMaker({}, QStringLiteral("1")), false,
                  kFrame + u"<select name=\"d\" size=\"1\"></select> nach</td></tr>\r\n"},
        PieceCase{"check box",
                  simpleMaker([] { return withLabel(checkBox(QStringLiteral("c"), {})); }), true,
                  kFrame
                      + u"<input type=\"Checkbox\" name=\"c\" value=\"ja\" class=\"field\"> "
                        u"</td></tr>\r\n"},
        PieceCase{"radio", radioMaker(QStringLiteral("a#b")), true,
                  kFrame
                      + u"<input type=\"radio\" name=\"r\" value=\"a\" class=\"field\">a<br>\r\n"
                        u"<input type=\"radio\" name=\"r\" value=\"b\" "
                        u"class=\"field\">b<br>\r\n</td></tr>"},
        PieceCase{"radio without choices", radioMaker({}), false, kFrame + u"</td></tr>"},
        PieceCase{"file", simpleMaker([] { return withLabel(file(QStringLiteral("f"), {})); }),
                  true,
                  kFrame
                      + u"<input type=\"file\" name=\"f\" value=\"\" size=\"30\" class=\"field\"> "
                        u"</td></tr>\r\n"},
        PieceCase{"intermediate text ignores css", simpleMaker([] {
                      return std::unique_ptr<TFormField>(zw(QStringLiteral("<b>T</b>")));
                  }),
                  true,
                  QStringLiteral("<tr>\r\n<td colspan=\"2\" align=\"left\" height=\"40px\" "
                                 "valign=\"bottom\"><b>T</b></td>\r\n</tr>\r\n")}));

// ---- JavaScript checks

class JsCheck : public testing::TestWithParam<PieceCase>
{
};

TEST_P(JsCheck, IsExact)
{
    EXPECT_EQ(GenScript(*GetParam().make()), GetParam().expected);
}

const QString kJsTail =
    QStringLiteral("alert(\"Bitte geben Sie einen Wert in das Feld L "
                   "ein!\");\r\ndocument.VQFORM.n.focus();\r\nreturn false;\r\n}\r\n");

INSTANTIATE_TEST_SUITE_P(
    Kinds, JsCheck,
    testing::Values(
        PieceCase{"input", einzMaker(0), false,
                  u"if(document.VQFORM.n.value == \"\")  {\r\n" + kJsTail},
        PieceCase{"address", einzMaker(1), false,
                  u"if(!document.VQFORM.n.value.match(/^[A-Z0-9._%-]+@[A-Z0-9.-]+\\.[A-Z]{2,6}$/"
                  u"i))  {\r\n"
                      + kJsTail},
        PieceCase{"number", einzMaker(2), false,
                  u"if((isNaN(str_replace(\",\",\".\",document.VQFORM.n.value))) || "
                  u"(document.VQFORM.n.value == \"\"))  {\r\n"
                      + kJsTail},
        PieceCase{"minimum length", einzMaker(3, 7), false,
                  u"if(document.VQFORM.n.value.length < 7)  {\r\n" + kJsTail},
        PieceCase{"drop-down prompt", dropMaker(QStringLiteral("a"), QStringLiteral("0")), false,
                  QStringLiteral("if (document.VQFORM.d.selectedIndex < 1)\r\n{\r\nalert(\"Bitte "
                                 "wählen Sie etwas im Feld L aus!\");\r\n"
                                 "document.VQFORM.d.focus();\r\nreturn (false);\r\n}\r\n")},
        PieceCase{"list box", dropMaker(QStringLiteral("a"), QStringLiteral("5")), false,
                  QStringLiteral("if (document.VQFORM.d.selectedIndex < 0)\r\n{\r\nalert(\"Bitte "
                                 "wählen Sie etwas im Feld L aus!\");\r\n"
                                 "document.VQFORM.d.focus();\r\nreturn (false);\r\n}\r\n")},
        PieceCase{
            "check box", simpleMaker([] { return withLabel(checkBox(QStringLiteral("c"), {})); }),
            false,
            QStringLiteral("if(document.VQFORM.c.checked == false)\r\n    {\r\nalert(\"Die "
                           "Checkbox L muss aktiviert werden.\");\r\n"
                           "     document.VQFORM.c.focus();\r\n     return false;\r\n    }\r\n")},
        PieceCase{
            "radio", radioMaker(QStringLiteral("a")), false,
            QStringLiteral("var Option = false;\r\nif (document.VQFORM.r.checked) Option = "
                           "true;\r\nfor (i = 0;  i < document.VQFORM.r.length;  i++)\r\n  {\r\n"
                           "    if (document.VQFORM.r[ i ].checked)\r\n        Option = true;\r\n  "
                           "}\r\n  if (!Option)\r\n  {\r\n"
                           "alert(\"Wählen sie eine der L-Optionen aus.\");\r\n    return "
                           "(false);\r\n  }\r\n")},
        PieceCase{"file", simpleMaker([] {
                      auto f = file(QStringLiteral("n"), QStringLiteral("L"));
                      return std::unique_ptr<TFormField>(std::move(f));
                  }),
                  false, u"if(document.VQFORM.n.value == \"\")  {\r\n" + kJsTail},
        PieceCase{"intermediate text",
                  simpleMaker([] { return std::unique_ptr<TFormField>(zw(QStringLiteral("x"))); }),
                  false, QString()}));

TEST(JsCheckMessage, OwnMessageReplacesTheDefaultAndIsEscapedForTheLiteral)
{
    auto f = einz(QStringLiteral("n"), QStringLiteral("<b>Name</b>"));
    // "</" would end the script element; the alert still shows the label's text.
    EXPECT_TRUE(GenScript(*f).contains(
        u"alert(\"Bitte geben Sie einen Wert in das Feld \\x3Cb>Name\\x3C/b> ein!\");"));
    f->Meldung = QStringLiteral("Sag \"Hallo\"\r\nC:\\");
    EXPECT_TRUE(GenScript(*f).contains(u"alert(\"Sag \\\"Hallo\\\"\\r\\nC:\\\\\");"));
}

// ---- counter script

TEST(CounterScript, OnlyWithALimitAndTheDisplayLineOnlyWhenShown)
{
    EXPECT_EQ(GenScriptLength(*mehrz(QStringLiteral("m"), {}, {}, true)), QString());
    EXPECT_EQ(GenScriptLength(*einz(QStringLiteral("m"), {})), QString());
    const QString head = QStringLiteral(
        "<script type=\"text/javascript\">\r\n<!--\r\nfunction zaehle_m()\r\n{\r\n"
        "\tif (window.document.VQFORM.m.value.length>50)\r\n\t{\r\n"
        "\t\twindow.document.VQFORM.m.value=formfeld;\r\n \t\treturn;\r\n\t}\r\n \telse\r\n\t{\r\n"
        "\t\tformfeld = window.document.VQFORM.m.value;\r\n");
    const QString tail = QStringLiteral("\t}\r\n}\r\n//--></script>\r\n");
    EXPECT_EQ(GenScriptLength(*mehrz(QStringLiteral("m"), {}, QStringLiteral("50"), false)),
              head + tail);
    EXPECT_EQ(GenScriptLength(*mehrz(QStringLiteral("m"), {}, QStringLiteral("50"), true)),
              head
                  + u" \t\twindow.document.VQFORM.anzeige_m.value = "
                    u"50-window.document.VQFORM.m.value.length;\r\n"
                  + tail);
}

// ---- PHP rows

class PhpRow : public testing::TestWithParam<PieceCase>
{
};

TEST_P(PhpRow, IsExact)
{
    EXPECT_EQ(GenCodePHP(*GetParam().make(), GetParam().css), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PhpRow,
    testing::Values(
        PieceCase{"single-line", einzMaker(0, 0, true), true,
                  kFrame
                      + u"<input type=\"text\" name=\"n\" value=\"<?php echo $varn;?>\" "
                        u"size=\"30\" maxlength=\"60\" class=\"field\" onfocus=\"this.value = "
                        u"'';\"> nach<br><?php echo $errn;?></td></tr>\r\n"},
        PieceCase{"password", simpleMaker([] { return withLabel(pass(QStringLiteral("p"), {})); }),
                  false,
                  kFrame
                      + u"<input type=\"password\" name=\"p\" value=\"<?php echo $varp;?>\" "
                        u"size=\"20\" maxlength=\"20\"> <br><?php echo $errp;?></td></tr>\r\n"},
        PieceCase{"multi-line optional", mehrzMaker(QStringLiteral("9"), true, false), false,
                  kFrame
                      + u"<textarea name=\"m\" cols=\"40\" rows=\"4\" "
                        u"onkeyup=\"javascript:zaehle_m()\" ><?php echo $varm;?></textarea> nach"
                        u"<br><input name=\"anzeige_m\" type=\"text\" size=\"8\" readonly "
                        u"value=\"9\"> Zeichen übrig</td></tr>\r\n"},
        PieceCase{"list", dropMaker(QStringLiteral("a#b"), QStringLiteral("3")), true,
                  kFrame
                      + u"<select name=\"d\" size=\"3\" class=\"field\"><option <?php echo "
                        u"$lstd_0;?>>a</option>\r\n"
                        u"<option <?php echo $lstd_1;?>>b</option>\r\n</select> nach<br><?php echo "
                        u"$errd;?></td></tr>\r\n"},
        PieceCase{"check box",
                  simpleMaker([] { return withLabel(checkBox(QStringLiteral("c"), {})); }), true,
                  kFrame
                      + u"<input type=\"Checkbox\" name=\"c\" value=\"ja\" class=\"field\" <?php "
                        u"echo $varc;?>> <br><?php echo $errc;?></td></tr>\r\n"},
        PieceCase{
            "radio", radioMaker(QStringLiteral("a#b")), false,
            kFrame
                + u"<input type=\"radio\" name=\"r\" value=\"a\" <?php echo $radr_0;?>>a<br>\r\n"
                  u"<input type=\"radio\" name=\"r\" value=\"b\" <?php echo "
                  u"$radr_1;?>>b<br>\r\n<?php echo $errr;?></td></tr>"},
        PieceCase{"radio optional", radioMaker(QStringLiteral("a"), false), true,
                  kFrame
                      + u"<input type=\"radio\" name=\"r\" value=\"a\" class=\"field\" <?php echo "
                        u"$radr_0;?>>a<br>\r\n</td></tr>"},
        PieceCase{"file", simpleMaker([] { return withLabel(file(QStringLiteral("f"), {})); }),
                  false,
                  kFrame
                      + u"<input type=\"file\" name=\"f\" value=\"\" size=\"30\"> <br><?php echo "
                        u"$errf;?></td></tr>\r\n"},
        PieceCase{"intermediate text",
                  simpleMaker([] { return std::unique_ptr<TFormField>(zw(QStringLiteral("T"))); }),
                  false,
                  QStringLiteral("<tr>\r\n<td colspan=\"2\" align=\"left\" height=\"40px\" "
                                 "valign=\"bottom\">T</td>\r\n</tr>\r\n")}));

// ---- redisplay code and error variables

class PhpFormVar : public testing::TestWithParam<PieceCase>
{
};

TEST_P(PhpFormVar, IsExact)
{
    EXPECT_EQ(GenFormVarPHP(*GetParam().make()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PhpFormVar,
    testing::Values(
        PieceCase{
            "text escapes the posted value for HTML", einzMaker(), false,
            QStringLiteral("if (isset($_POST[\"n\"])) $varn = htmlspecialchars($_POST[\"n\"], "
                           "ENT_QUOTES, \"ISO-8859-1\"); else $varn = \"v\";\r\n")},
        PieceCase{"default value escaped for the literal", simpleMaker([] {
                      auto f = mehrz(QStringLiteral("m"), {});
                      f->Vorgabewert = QStringLiteral("\"$x\\\r\n");
                      return std::unique_ptr<TFormField>(std::move(f));
                  }),
                  false,
                  QStringLiteral(
                      "if (isset($_POST[\"m\"])) $varm = htmlspecialchars($_POST[\"m\"], "
                      "ENT_QUOTES, \"ISO-8859-1\"); else $varm = \"\\\"\\$x\\\\\\r\\n\";\r\n")},
        PieceCase{"check box",
                  simpleMaker([] { return withLabel(checkBox(QStringLiteral("c"), {})); }), false,
                  QStringLiteral(
                      "if (isset($_POST[\"c\"])) $varc = \"checked\"; else $varc = \"\";\r\n")},
        PieceCase{"list", dropMaker(QStringLiteral("a#b\"$"), QStringLiteral("1")), false,
                  QStringLiteral(
                      "$lstd_0 = \"\";\r\n$lstd_1 = \"\";\r\nif (isset($_POST[\"d\"]))\r\n{\r\n"
                      "\tif ($_POST[\"d\"] == \"a\") $lstd_0 = \"selected\";\r\n"
                      "\tif ($_POST[\"d\"] == \"b\\\"\\$\") $lstd_1 = \"selected\";\r\n}\r\n")},
        PieceCase{"radio", radioMaker(QStringLiteral("a#b")), false,
                  QStringLiteral(
                      "$radr_0 = \"\";\r\n$radr_1 = \"\";\r\nif (isset($_POST[\"r\"]))\r\n{\r\n"
                      "if ($_POST[\"r\"] == \"a\") $radr_0 = \"checked\";\r\n"
                      "if ($_POST[\"r\"] == \"b\") $radr_1 = \"checked\";\r\n}\r\n")},
        PieceCase{"file", simpleMaker([] { return withLabel(file(QStringLiteral("f"), {})); }),
                  false, QString()},
        PieceCase{"intermediate text",
                  simpleMaker([] { return std::unique_ptr<TFormField>(zw(QStringLiteral("T"))); }),
                  false, QString()}));

TEST(PhpErrorVar, OnlyForRequiredFields)
{
    auto f = checkBox(QStringLiteral("c"), {});
    EXPECT_EQ(GenErrorVarPHP(*f, true), QStringLiteral("$errc = \"\";"));
    f->Pflicht = false;
    EXPECT_EQ(GenErrorVarPHP(*f, false), QString());
}

// ---- format checks

// An optional field with a format check gets its check in both scripts, its
// error variable and its error line; a mandatory one keeps its own check
// before it; other kinds and fields without one get nothing.
TEST(FormatCheck, OptionalFieldIsCheckedWhenFilledInBothScripts)
{
    auto vat = einz(QStringLiteral("UStIdNr"), QStringLiteral("USt-IdNr."));
    vat->Pflicht = false;
    vat->formatCheck = FormatCheck::VatId;
    EXPECT_TRUE(fieldHasCheck(*vat));
    EXPECT_EQ(GenFormatScript(*vat),
              QStringLiteral("if(vqVatIdProblem(document.VQFORM.UStIdNr.value) != \"\")  {\r\n"
                             "alert(vqVatIdProblem(document.VQFORM.UStIdNr.value));\r\n"
                             "document.VQFORM.UStIdNr.focus();\r\nreturn false;\r\n}\r\n"));
    const QString problem = QStringLiteral(
        "vq_vat_id_problem(isset($_POST[\"UStIdNr\"]) ? $_POST[\"UStIdNr\"] : \"\")");
    EXPECT_EQ(GenFormatCheckPHP(*vat, QStringLiteral("00AA00")),
              u"if (" + problem
                  + u" != \"\")\r\n{\r\n  $errUStIdNr = \"<span style=\\\"color:#00AA00;\\\">\" . "
                    u"htmlentities("
                  + problem
                  + u", ENT_QUOTES, \"UTF-8\") . \"</span>\";\r\n\t$bFormOK = false;\r\n}\r\n\r\n");
    EXPECT_EQ(GenErrorVarPHP(*vat, false), QStringLiteral("$errUStIdNr = \"\";"));
    EXPECT_TRUE(GenCodePHP(*vat, false).endsWith(u"<br><?php echo $errUStIdNr;?></td></tr>\r\n"));

    const std::pair<FormatCheck, const char *> functions[] = {
        {FormatCheck::LeitwegId, "vqLeitwegIdProblem"},
        {FormatCheck::EInvoiceAddress, "vqEInvoiceAddressProblem"}};
    for (const auto &[check, function] : functions) {
        vat->formatCheck = check;
        EXPECT_TRUE(GenFormatScript(*vat).startsWith(u"if(" + QString::fromLatin1(function)))
            << function;
    }

    auto plain = einz(QStringLiteral("Firma"), QStringLiteral("Firma"));
    plain->Pflicht = false;
    EXPECT_FALSE(fieldHasCheck(*plain));
    EXPECT_EQ(GenFormatScript(*plain), QString());
    EXPECT_EQ(GenFormatCheckPHP(*plain, QStringLiteral("FF0000")), QString());
    EXPECT_EQ(GenErrorVarPHP(*plain, false), QString());
    auto box = checkBox(QStringLiteral("c"), QStringLiteral("C"));
    EXPECT_EQ(formatCheckOf(*box), FormatCheck::None);
}

// ---- PHP checks

class PhpCheck : public testing::TestWithParam<PieceCase>
{
};

TEST_P(PhpCheck, IsExact)
{
    EXPECT_EQ(GenFormCheckPHP(*GetParam().make(), QStringLiteral("00FF00")), GetParam().expected);
}

const QString kPhpBody = QStringLiteral("{\r\n  $errn = \"<span style=\\\"color:#00FF00;\\\">Bitte "
                                        "geben Sie einen Wert in das Feld L ein!</span>\";\r\n"
                                        "\t$bFormOK = false;\r\n}\r\n\r\n");

INSTANTIATE_TEST_SUITE_P(
    Kinds, PhpCheck,
    testing::Values(
        PieceCase{"input", einzMaker(0), false, u"if ($_POST[\"n\"] == \"\")\r\n" + kPhpBody},
        PieceCase{"address", einzMaker(1), false,
                  u"if "
                  u"(preg_match(\"|^[a-zA-Z0-9][a-zA-Z0-9._-]*@[a-zA-Z0-9._-]+\\.[a-zA-Z]{2,6}$|\","
                  u"$_POST[\"n\"]) == false)\r\n"
                      + kPhpBody},
        PieceCase{"number", einzMaker(2), false,
                  u"if (!is_numeric(str_replace(\",\",\".\",$_POST[\"n\"])))\r\n" + kPhpBody},
        PieceCase{"minimum length", einzMaker(3, 4), false,
                  u"if (strlen($_POST[\"n\"]) < 4)\r\n" + kPhpBody},
        PieceCase{"multi-line", simpleMaker([] {
                      auto f = mehrz(QStringLiteral("n"), QStringLiteral("L"));
                      return std::unique_ptr<TFormField>(std::move(f));
                  }),
                  false, u"if ($_POST[\"n\"] == \"\")\r\n" + kPhpBody},
        PieceCase{"drop-down compares the raw first entry, message gets a second !",
                  dropMaker(QStringLiteral(" Bitte wählen#rot"), QStringLiteral("1")), false,
                  QStringLiteral("if ($_POST[\"d\"] == \" Bitte wählen\")\r\n\t{\r\n"
                                 "\t\t$errd = \"<span style=\\\"color:#00FF00;\\\">Bitte wählen "
                                 "Sie etwas im Feld L aus!!</span>\";\r\n"
                                 "\t\t$bFormOK = false;\r\n\t}\r\n")},
        PieceCase{"drop-down without separator",
                  dropMaker(QStringLiteral("nur"), QStringLiteral("0")), false,
                  QStringLiteral("if ($_POST[\"d\"] == \"\")\r\n\t{\r\n"
                                 "\t\t$errd = \"<span style=\\\"color:#00FF00;\\\">Bitte wählen "
                                 "Sie etwas im Feld L aus!!</span>\";\r\n"
                                 "\t\t$bFormOK = false;\r\n\t}\r\n")},
        PieceCase{"list box", dropMaker(QStringLiteral("a#b"), QStringLiteral("3")), false,
                  QStringLiteral("if (!isset($_POST[\"d\"]))\r\n\t{\r\n"
                                 "\t\t$errd = \"<span style=\\\"color:#00FF00;\\\">Bitte wählen "
                                 "Sie etwas im Feld L aus!!</span>\";\r\n"
                                 "\t\t$bFormOK = false;\r\n\t}\r\n")},
        PieceCase{"check box",
                  simpleMaker([] { return withLabel(checkBox(QStringLiteral("c"), {})); }), false,
                  QStringLiteral("if (!isset($_POST[\"c\"]))\r\n{\r\n"
                                 "\t$errc = \"<span style=\\\"color:#00FF00;\\\">Bitte aktivieren "
                                 "Sie das Feld L!</span>\";\r\n"
                                 "\t$bFormOK = false;\r\n}\r\n")},
        PieceCase{"radio", radioMaker(QStringLiteral("a")), false,
                  QStringLiteral("\tif (!isset($_POST[\"r\"]))\r\n\t{\r\n"
                                 "\t\t$errr = \"<span style=\\\"color:#00FF00;\\\">Bitte "
                                 "aktivieren Sie das Feld L!</span>\";\r\n"
                                 "\t\t$bFormOK = false;\r\n\t}\r\n")},
        PieceCase{"file", simpleMaker([] {
                      auto f = file(QStringLiteral("f"), QStringLiteral("L"));
                      f->Meldung = QStringLiteral("Datei fehlt");
                      return std::unique_ptr<TFormField>(std::move(f));
                  }),
                  false,
                  QStringLiteral(
                      "if (!isset($_FILES['f']) or $_FILES['f']['error'] or ($_FILES['f']['name'] "
                      "== '.htaccess'))\r\n    {\r\n"
                      "    \t$errf = \"<span style=\\\"color:#00FF00;\\\">Datei fehlt</span>\";\r\n"
                      "    \t$bFormOK = false;\r\n\t}\r\n\r\n"
                      "    if ($_FILES['f']['size'] > $max_attach_size)\r\n    {\r\n"
                      "\t    $errf = \"<span style=\\\"color:#00FF00;\\\">Maximale Dateigröße "
                      "überschritten!</span>\";\r\n"
                      "\t  \t$bFormOK = false;\r\n\t}\r\n")},
        PieceCase{"intermediate text",
                  simpleMaker([] { return std::unique_ptr<TFormField>(zw(QStringLiteral("T"))); }),
                  false, QString()}));

TEST(PhpCheckMessage, QuoteDollarAndLineBreakStayInsideTheLiteral)
{
    auto f = einz(QStringLiteral("n"), QStringLiteral("L"));
    f->Meldung = QStringLiteral("Feld \"$n\" fehlt\r\n");
    EXPECT_TRUE(GenFormCheckPHP(*f, QStringLiteral("FF0000"))
                    .contains(u"$errn = \"<span style=\\\"color:#FF0000;\\\">Feld \\\"\\$n\\\" "
                              u"fehlt\\r\\n</span>\";"));
}

// ---- the escaping helpers

TEST(LiteralEscape, JavaScriptAndPhpLiterals)
{
    struct Case
    {
        QString text, js, php;
    } cases[] = {
        {QStringLiteral("Bitte wählen"), QStringLiteral("Bitte wählen"),
         QStringLiteral("Bitte wählen")},
        {QStringLiteral("a\"b"), QStringLiteral("a\\\"b"), QStringLiteral("a\\\"b")},
        {QStringLiteral("a\\b"), QStringLiteral("a\\\\b"), QStringLiteral("a\\\\b")},
        {QStringLiteral("a\r\nb\t"), QStringLiteral("a\\r\\nb\\t"), QStringLiteral("a\\r\\nb\\t")},
        {QStringLiteral("$x {$y}"), QStringLiteral("$x {$y}"), QStringLiteral("\\$x {\\$y}")},
        {QStringLiteral("</script><!-- <b>"), QStringLiteral("\\x3C/script>\\x3C!-- \\x3Cb>"),
         QStringLiteral("</script><!-- <b>")},
        {QStringLiteral("<?php"), QStringLiteral("\\x3C?php"), QStringLiteral("<?php")},
        {QStringLiteral("a\u2028b"), QStringLiteral("a\\u2028b"), QStringLiteral("a\u2028b")},
        {QStringLiteral("it's"), QStringLiteral("it's"), QStringLiteral("it's")},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(escapeJsString(c.text), c.js) << c.text.toStdString();
        EXPECT_EQ(escapePhpString(c.text), c.php) << c.text.toStdString();
    }
}

} // namespace
