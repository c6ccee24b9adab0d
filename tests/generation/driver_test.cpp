// The generation driver: the marker steps and their order, the conditional
// markers, scrambling, the form id per run, the style block, the captcha rows
// and check, template loading, and the one-pass replacement against the plain
// step-by-step reading.
#include "designer/generation/field_code.h"
#include "designer/generation/marker_steps.h"
#include "designer/generation/uGenHtml.h"
#include "designer/generation/uPHPGen.h"
#include "tests/generation/generation_fixtures.h"
#include "tests/test_support.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vq;
using namespace vq::test;

namespace {

FormIdSource fixedId(int id)
{
    return [id] { return id; };
}

// A program folder whose templates are the given texts.
class TemplateFolder
{
public:
    TemplateFolder(const QByteArray &html, const QByteArray &php)
    {
        writeFile(m_dir.filePath(QStringLiteral("template.htm")), html);
        writeFile(m_dir.filePath(QStringLiteral("template_php.htm")), php);
    }
    explicit TemplateFolder(const QByteArray &both)
        : TemplateFolder(both, both)
    {
    }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

QString html(const ProjectDocument &p, const TemplateFolder &t, int id = 42)
{
    return TGenHTML(p, t.path(), fixedId(id)).GenCode();
}

QString php(const ProjectDocument &p, const TemplateFolder &t, int id = 42)
{
    return TGenPHP(p, t.path(), fixedId(id)).GenCode();
}

TEST(Scramble, XorThenLatin1ThenBase64)
{
    EXPECT_EQ(TCodeExport::Scramble(QStringLiteral("true")), QStringLiteral("WF5ZSQ=="));
    EXPECT_EQ(TCodeExport::Scramble(QString()), QString());
    // U+20AC changes only in its low byte and stays above U+00FF: "?".
    EXPECT_EQ(TCodeExport::Scramble(QStringLiteral("€")), QStringLiteral("Pw=="));
    // "ä" (E4) becomes C8.
    EXPECT_EQ(TCodeExport::Scramble(QStringLiteral("ä")),
              QString::fromLatin1(QByteArray("\xC8").toBase64()));
}

TEST(CommonSteps, SimpleValues)
{
    TemplateFolder t(
        "<!-- TITLE -->|<!--TARGET-->|<!-- DANKE -->|<!-- IP -->|<!-- ENCODING -->|"
        "<!-- SUBJECT -->|<!-- ANZAHLLABEL -->|<!-- BESCHREIBUNG -->|<!-- EINZELPREIS -->|"
        "<!-- GESAMTPREIS -->|<!-- GESAMT -->|<!-- CRYPTMAIL -->|<!-- RECHTOOL -->|"
        "<!-- RECHTOOLMAIL -->|<!-- TYPEMAIL -->|<!-- BEITE -->|<!-- AUSRICHTUNG -->|"
        "<!-- FORMTITLE -->|<!-- TEXTENDE -->|<!-- SENDBUTTON -->|<!-- RESETBUTTON -->|"
        "<!-- CLASS -->|<!-- ANZAHL -->|<!-- CURRENCY -->|<!-- FORMID -->|<!-- SETTINGS -->|<!-- "
        "TAX -->");
    ProjectDocument p;
    p.ExtSettings.encoding = QStringLiteral("utf-8");
    p.ExtSettings.tax = QStringLiteral("netto");
    p.ExtSettings.ip_informationen = true;
    p.setSetting(QStringLiteral("editMailRechnung"), QStringLiteral("rech@example.com"));
    p.setFlag(QStringLiteral("checkboxRechnung"), true);
    p.setSetting(QStringLiteral("cboMailFormat"), QStringLiteral("html"));
    p.setSetting(QStringLiteral("cboTabAusrichtung"), QStringLiteral("rechts"));
    p.setSetting(QStringLiteral("memoTextEnde"), QStringLiteral("Ende"));
    p.setFlag(QStringLiteral("cboStandardButton"), false);
    p.setFlag(QStringLiteral("chkCaptcha"), true);
    EXPECT_EQ(
        html(p, t, 1234567),
        QStringLiteral(
            "Kontaktformular|_self|https://www.ihre-domain.example/"
            "danke.htm|-1|utf-8|Kontaktformular|"
            "Anzahl|Beschreibung|Einzelpreis|Gesamtpreis|Gesamt:|0|1|rech@example.com|"
            "html|500|right|"
            "Bestellformular|Ende|zahlungspflichtig bestellen|Zurücksetzen|class=\"button\"|0|€|"
            "1234567|")
            + TCodeExport::Scramble(QStringLiteral("true")) + u'|'
            + TCodeExport::Scramble(QStringLiteral("netto")) + QStringLiteral("\r\n"));
}

TEST(CommonSteps, AlignmentChoices)
{
    TemplateFolder t("<!-- AUSRICHTUNG -->");
    ProjectDocument p;
    for (const auto &[choice, value] : {std::pair{"zentriert", "center"},
                                        {"rechts", "right"},
                                        {"links", "left"},
                                        {"", "<!-- AUSRICHTUNG -->"}}) {
        p.setSetting(QStringLiteral("cboTabAusrichtung"), QString::fromUtf8(choice));
        EXPECT_EQ(html(p, t), QString::fromUtf8(value) + QStringLiteral("\r\n")) << choice;
    }
}

TEST(CommonSteps, RecipientsScrambledOnlyWhenAskedAndTheHiddenAddressNever)
{
    TemplateFolder t(
        "<!-- ADMIN -->|<!-- ADMIN1 -->|<!-- ADMIN2 -->|<!-- RECHTOOLMAIL -->|<!-- FIELDEMAIL -->");
    ProjectDocument p;
    p.setSetting(QStringLiteral("edtEMail"), QStringLiteral("a@example.com"));
    p.setSetting(QStringLiteral("edtEMail1"), QStringLiteral("b@example.com"));
    p.setSetting(QStringLiteral("editMailRechnung"), QStringLiteral("r@example.com"));
    const QString hidden =
        QStringLiteral("<input type=\"hidden\" name=\"email\" value=\"a@example.com\">\r\n");
    EXPECT_EQ(html(p, t), u"a@example.com|b@example.com||r@example.com|" + hidden + u"\r\n");
    p.setFlag(QStringLiteral("cbCryptAddr"), true);
    EXPECT_EQ(html(p, t), TCodeExport::Scramble(QStringLiteral("a@example.com")) + u'|'
                              + TCodeExport::Scramble(QStringLiteral("b@example.com"))
                              + u"||r@example.com|" + hidden + u"\r\n");
}

TEST(CommonSteps, FieldNamedExactlyEmailSuppressesTheHiddenAddress)
{
    TemplateFolder t("<!-- FIELDEMAIL -->");
    ProjectDocument p;
    p.ListField.push_back(einz(QStringLiteral("Email"), QStringLiteral("E")));
    EXPECT_TRUE(html(p, t).startsWith(u"<input type=\"hidden\" name=\"email\""));
    p.ListField.push_back(einz(QStringLiteral("email"), QStringLiteral("E")));
    EXPECT_EQ(html(p, t), QStringLiteral("<!-- FIELDEMAIL -->\r\n"));
}

TEST(CommonSteps, ReturnToSenderAndPrintButton)
{
    TemplateFolder t("<!-- RETURNTOSENDER --><!-- PRINTBUTTON -->");
    ProjectDocument p;
    EXPECT_EQ(html(p, t),
              QStringLiteral("<input type=\"hidden\" name=\"ReturnToSender\" value=\"0\">\r\n"
                             "<!-- PRINTBUTTON -->\r\n"));
    p.setFlag(QStringLiteral("chkAbsender"), true);
    p.setFlag(QStringLiteral("chkPrintButton"), true);
    EXPECT_EQ(html(p, t),
              QStringLiteral("<input type=\"hidden\" name=\"ReturnToSender\" value=\"-1\">\r\n"
                             "<input type=\"button\" name=\"print\" value=\"Drucken\" "
                             "onClick=\"printDocument()\" class=\"button\">\r\n\r\n"));
}

TEST(CommonSteps, MailTextAndIntroduction)
{
    TemplateFolder t("<!-- EINLEITTEXT -->|<!-- EINLEITUNGTEXT -->");
    ProjectDocument p;
    p.setSetting(QStringLiteral("memoMailtext"), QStringLiteral("a\r\nb"));
    EXPECT_EQ(
        html(p, t),
        TCodeExport::Scramble(QStringLiteral("a#br#b"))
            + QStringLiteral("|Mit diesem Formular können Sie mit uns Kontakt \r\naufnehmen.\r\n"));
}

TEST(CommonSteps, EmptyListsAndNoVat)
{
    TemplateFolder t("<!-- FIELDS -->|<!-- JSCRIPT -->|<!-- ANZAHL -->|<!-- INSERTSTEUER -->|"
                     "<!-- JSCRIPT2 -->");
    ProjectDocument p;
    EXPECT_EQ(html(p, t),
              QStringLiteral(
                  "|<script type=\"text/javascript\">\r\n<!--\r\nfunction chkFormular()\r\n{\r\n"
                  " return(true); }//--></script>\r\n|0|<!-- INSERTSTEUER -->|\r\n"));
}

TEST(CommonSteps, MarkerTwiceAndMarkerTypedIntoALabel)
{
    TemplateFolder t("<!-- TITLE --> <!-- TITLE --> <!-- FORMTITLE -->");
    ProjectDocument p;
    // Inserted before CURRENCY: replaced. TITLE comes before FORMTITLE: stays.
    p.setSetting(QStringLiteral("edtFormTitel"), QStringLiteral("<!-- CURRENCY --><!-- TITLE -->"));
    p.setSetting(QStringLiteral("edtWaehrung"), QStringLiteral("EUR"));
    EXPECT_EQ(html(p, t), QStringLiteral("Kontaktformular Kontaktformular EUR<!-- TITLE -->\r\n"));
}

TEST(CommonSteps, CounterScriptsOfMultiLineFieldsInListOrder)
{
    TemplateFolder t("<!-- JSCRIPT2 -->");
    ProjectDocument p;
    p.ListField.push_back(mehrz(QStringLiteral("a"), {}, QStringLiteral("5")));
    p.ListField.push_back(mehrz(QStringLiteral("b"), {}));
    p.ListField.push_back(mehrz(QStringLiteral("c"), {}, QStringLiteral("7")));
    const QString page = html(p, t);
    EXPECT_LT(page.indexOf(u"zaehle_a()"), page.indexOf(u"zaehle_c()"));
    EXPECT_EQ(page.count(u"<script"), 2);
    EXPECT_EQ(php(p, t), page);
}

TEST(HtmlSteps, RowsChecksCaptchaMailerAndErrorPages)
{
    TemplateFolder t("<!-- FIELDS -->#<!-- JSCRIPT -->#<!-- CAPTCHA -->#<!-- FORMMAIL -->#<!-- "
                     "ERRORPAGES -->#<!-- BESTELLFELDER -->");
    ProjectDocument p;
    auto optional = einz(QStringLiteral("o"), QStringLiteral("O"));
    optional->Pflicht = false;
    p.ListField.push_back(std::move(optional));
    p.ListField.push_back(checkBox(QStringLiteral("c"), QStringLiteral("C")));
    QStringList parts = html(p, t).split(u'#');
    ASSERT_EQ(parts.size(), 6);
    EXPECT_EQ(parts[0], GenCode(*p.ListField[0], false) + u"\r\n" + GenCode(*p.ListField[1], false)
                            + u"\r\n");
    EXPECT_EQ(parts[1],
              QStringLiteral(
                  "<script type=\"text/javascript\">\r\n<!--\r\nfunction chkFormular()\r\n{\r\n")
                  + GenScript(*p.ListField[1])
                  + QStringLiteral("\r\n return(true); }//--></script>\r\n"));
    EXPECT_EQ(parts[2], QStringLiteral("<!-- CAPTCHA -->"));
    EXPECT_EQ(parts[3], QStringLiteral("https://www.ihre-domain.example/formmail.php"));
    EXPECT_EQ(parts[4], QString());
    EXPECT_EQ(parts[5], QStringLiteral("\r\n"));

    p.ExtSettings.ErrorPages.IPErrorPage = QStringLiteral("ip.htm");
    p.ExtSettings.ErrorPages.CaptchaErrorPage = QStringLiteral("ä.htm");
    parts = html(p, t).split(u'#');
    EXPECT_EQ(
        parts[4],
        QStringLiteral(
            "  <input type=\"hidden\" name=\"settings_error_iplock\" value=\"aXAuaHRt\">\r\n"
            "  <input type=\"hidden\" name=\"settings_error_captcha\" value=\"5C5odG0=\">\r\n"));
}

// The functions of the format checks stand once before chkFormular() in a
// page with such a field, and nowhere else; the field's check follows its
// mandatory check.
TEST(HtmlSteps, FormatCheckFunctionsOnlyInAPageThatUsesThem)
{
    TemplateFolder t("<!-- JSCRIPT -->");
    ProjectDocument p;
    p.ListField.push_back(einz(QStringLiteral("Firma"), QStringLiteral("Firma")));
    const QString without = html(p, t);
    EXPECT_FALSE(without.contains(u"vqVatIdProblem"));
    for (FormatCheck check : {FormatCheck::VatId, FormatCheck::LeitwegId}) {
        auto field = einz(QStringLiteral("id") + QString::number(int(check)), QStringLiteral("I"));
        field->formatCheck = check;
        p.ListField.push_back(std::move(field));
    }
    const QString page = html(p, t);
    EXPECT_EQ(page.count(u"function vqVatIdProblem(value)"), 1);
    EXPECT_EQ(page.count(u"function vqLeitwegIdProblem(value)"), 1);
    EXPECT_LT(page.indexOf(u"function vqEInvoiceAddressProblem"),
              page.indexOf(u"function chkFormular()"));
    EXPECT_LT(page.indexOf(GenScript(*p.ListField[1])),
              page.indexOf(GenFormatScript(*p.ListField[1])));
    EXPECT_TRUE(page.contains(GenFormatScript(*p.ListField[2])));
    EXPECT_TRUE(page.contains(u"\"EL\": /^(?:[0-9]{9})$/"));
}

TEST(PhpSteps, FourTextsCaptchaAndSelfPost)
{
    TemplateFolder t("<!-- FIELDS -->~<!-- FORMVAR -->~<!-- ERRORVAR -->~<!-- FORMCHECK -->~<!-- "
                     "CAPTCHA -->~<!-- CAPTCHACHECK -->~<!-- FORMMAIL -->~<!-- ERRORPAGES -->");
    ProjectDocument p;
    auto optional = checkBox(QStringLiteral("o"), QStringLiteral("O"));
    optional->Pflicht = false;
    p.ListField.push_back(std::move(optional));
    p.ListField.push_back(einz(QStringLiteral("n"), QStringLiteral("N")));
    const QString colour = QStringLiteral("FF0000");
    QStringList parts = php(p, t).split(u'~');
    ASSERT_EQ(parts.size(), 8);
    EXPECT_EQ(parts[0], GenCodePHP(*p.ListField[0], false) + u"\r\n"
                            + GenCodePHP(*p.ListField[1], false) + u"\r\n");
    EXPECT_EQ(parts[1],
              GenFormVarPHP(*p.ListField[0]) + u"\r\n" + GenFormVarPHP(*p.ListField[1]) + u"\r\n");
    EXPECT_EQ(parts[2], QStringLiteral("\r\n$errn = \"\";\r\n$errCaptcha = \"\";\r\n"));
    EXPECT_EQ(parts[3], GenFormCheckPHP(*p.ListField[1], colour) + u"\r\n");
    EXPECT_EQ(parts[4], QStringLiteral("<!-- CAPTCHA -->"));
    EXPECT_EQ(parts[5], QString());
    EXPECT_EQ(parts[6],
              QStringLiteral("<?php print $_SERVER[\"PHP_SELF\"]?>?action=send&PHPSESSID=<?php "
                             "echo session_id();?>"));
    EXPECT_EQ(parts[7], QStringLiteral("<!-- ERRORPAGES -->\r\n"));

    p.setFlag(QStringLiteral("chkCaptcha"), true);
    p.ExtSettings.ErrorMessages.CaptchaError = QStringLiteral("anders");
    parts = php(p, t).split(u'~');
    EXPECT_EQ(parts[4], TGenPHP(p, t.path()).GenCaptcha());
    EXPECT_EQ(parts[5],
              QStringLiteral("if ($_POST[\"captcha_input\"] != $_SESSION[\"captcha\"])\r\n\t{\r\n"
                             "\t\t$errCaptcha = \"<span style=\\\"color:#FF0000;\\\">Fehler, bitte "
                             "übertragen Sie die Zahl aus dem Bild!</span>\";\r\n"
                             "\t\t$bFormOK = false;\r\n\t}\r\n"));
}

TEST(Captcha, RowsOfBothPages)
{
    TemplateFolder t("");
    ProjectDocument p;
    p.setFlag(QStringLiteral("cboStandardFeld"), false);
    p.setSetting(QStringLiteral("cboFormMailer"), QStringLiteral("http://m/f.php"));
    TGenHTML h(p, t.path(), fixedId(77));
    h.GenCode();
    const QString common =
        QStringLiteral("<tr>\r\n  <td class=\"my\" align=\"right\" valign=\"middle\"><p "
                       "class=\"my\">Spam-Schutz</p></td>\r\n"
                       "  <td class=\"my\" valign=\"middle\">\r\n <table width=\"100%\"  "
                       "border=\"0\" cellspacing=\"0\" cellpadding=\"00\">\r\n"
                       "<tr valign=\"middle\">\r\n");
    EXPECT_EQ(h.GenCaptcha(),
              common
                  + QStringLiteral(
                      " <td width=\"20%\"><input type=\"text\" name=\"captcha_input\" size=\"10\" "
                      "maxlength=\"5\" class=\"field\"></td>\r\n"
                      " <td width=\"80%\">&nbsp;<img src=\"http://m/f.php?action=captcha&id=77\" "
                      "border=\"1\" alt=\"captcha\"></td>\r\n"
                      "</tr>\r\n</table>\r\n</td>\r\n</tr>\r\n"));
    EXPECT_EQ(TGenPHP(p, t.path()).GenCaptcha(),
              common
                  + QStringLiteral(" <td width=\"20%\"><input type=\"text\" name=\"captcha_input\" "
                                   "size=\"10\" maxlength=\"5\"  class=\"field\"></td>\r\n"
                                   " <td width=\"80%\">&nbsp;<img src=\"<?php print "
                                   "$_SERVER[\"PHP_SELF\"];?>?action=captcha&PHPSESSID=<?php echo "
                                   "session_id();?>\" border=\"1\" alt=\"captcha\"></td>\r\n"
                                   "</tr>\r\n</table>\r\n<?php echo $errCaptcha;?>\r\n</td>\r\n"));
}

TEST(FormId, EachRunDrawsItsOwnIdAndTheCaptchaImageCarriesIt)
{
    TemplateFolder t("<!-- FORMID -->|<!-- CAPTCHA -->");
    ProjectDocument p;
    p.setFlag(QStringLiteral("chkCaptcha"), true);
    QStringList ids;
    for (int run = 0; run < 2; ++run) {
        TGenHTML generator(p, t.path());
        const QString page = generator.GenCode();
        const QString id = page.section(u'|', 0, 0);
        bool ok = false;
        const int value = id.toInt(&ok);
        ASSERT_TRUE(ok);
        EXPECT_GE(value, 0);
        EXPECT_LE(value, 9999999);
        EXPECT_EQ(id, generator.strFormID);
        EXPECT_TRUE(page.contains(u"?action=captcha&id=" + id + u'"'));
        ids << id;
    }
    EXPECT_NE(ids[0], ids[1]);
}

TEST(StyleBlock, DefaultsAndDesignSwitches)
{
    TemplateFolder t("");
    ProjectDocument p;
    const QString defaults = QStringLiteral(
        "<style type=\"text/css\">\r\n<!--\r\n"
        "body { background-color:#FFFFFF;  }\r\n"
        "h1 { color:#000000; font-family:Arial,Helvetiva,Geneva; font-size:14pt; }\r\n"
        "p,li { color:#000080; font-family:Arial,Helvetiva,Geneva; font-size:10pt; }\r\n"
        "TH   { color:#000080; font-family:Arial,Helvetiva,Geneva; font-size:10pt; }\r\n"
        "TD   { color:#000080; font-family:Arial,Helvetiva,Geneva; font-size:10pt; }\r\n"
        "th.my { background-color:#CCCCCC; }\r\n"
        "td.my { background-color:#EDEDED}\r\n"
        "input.preis, input.gesamt_preis { text-align: right; background-color:#EDEDED; "
        "color:#000080; border: solid 0px #EDEDED; font-family:Arial,Helvetiva,Geneva; "
        "font-size:10pt; }\r\n"
        "input.gesamt_preis {font-weight: bold; }\r\n-->\r\n</style>\r\n");
    EXPECT_EQ(TGenHTML(p, t.path()).GenCSS(), defaults);

    p.setSetting(QStringLiteral("edtBGPicture"), QStringLiteral("bg.png"));
    p.setSetting(QStringLiteral("edtTabColor"), QStringLiteral("abcdef"));
    p.setFlag(QStringLiteral("cboStandardButton"), false);
    p.setFlag(QStringLiteral("cboStandardFeld"), false);
    const QString css = TGenHTML(p, t.path()).GenCSS();
    EXPECT_TRUE(
        css.contains(u"body { background-color:#FFFFFF; background-image:url(bg.png); }\r\n"));
    EXPECT_TRUE(css.contains(u"td.my { background-color:#ABCDEF}\r\n"));
    EXPECT_TRUE(css.contains(u"text-align: right; background-color:#abcdef;"));
    EXPECT_TRUE(css.contains(u"input.button {background-color: #a0a0a4;border-color: "
                             u"#000000;border-style:solid;border-width:1px;}\r\n"));
    EXPECT_TRUE(css.contains(u".field {background-color: #a0a0a4;border-color: "
                             u"#000000;border-style:solid;border-width:1px;"
                             u"Font-Family:Arial,Helvetiva,Geneva;Font-Size:12px;}\r\n"));
}

TEST(Template, LoadedLineByLineAsUtf8OrWindows1252)
{
    const struct
    {
        const char *what;
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"Windows-1252", QByteArray("a\r\nb\nc\x80\xFC"), QStringLiteral("a\r\nb\r\nc€ü\r\n")},
        {"UTF-8 with byte-order mark",
         QByteArray("\xEF\xBB\xBFGr\xC3\xB6\xC3\x9F"
                    "e\r\n\xE2\x82\xAC"),
         QStringLiteral("Größe\r\n€\r\n")},
        {"UTF-8 without byte-order mark", QByteArray("M\xC3\xBCller\rx"),
         QStringLiteral("Müller\r\nx\r\n")},
        {"byte-order mark alone",
         QByteArray("\xEF\xBB\xBF"
                    "a"),
         QStringLiteral("a\r\n")},
        // Bytes that are no valid UTF-8 stay Windows-1252, even after a UTF-8-like pair.
        {"Windows-1252 that looks like UTF-8 in part", QByteArray("\xC3\xBC\xFC"),
         QStringLiteral("Ã¼ü\r\n")},
        {"ASCII", QByteArray("<p>"), QStringLiteral("<p>\r\n")},
    };
    for (const auto &c : cases) {
        TemplateFolder t(c.bytes);
        ProjectDocument p;
        EXPECT_EQ(html(p, t), c.text) << c.what;
    }
}

TEST(Template, MissingTemplateFailsWithTheFileError)
{
    QTemporaryDir empty;
    ProjectDocument p;
    try {
        TGenPHP(p, empty.path()).GenCode();
        FAIL() << "no error";
    } catch (const GenerationError &error) {
        EXPECT_TRUE(error.message().contains(u"template_php.htm")) << error.message().toStdString();
        EXPECT_TRUE(error.message().contains(u"No such file")) << error.message().toStdString();
    }
}

// The one-pass replacement gives what one replace per step gives.
TEST(MarkerSteps, OnePassEqualsStepByStep)
{
    struct Case
    {
        const char *text;
        std::vector<std::pair<const char *, const char *>> steps;
        const char *expected;
    } cases[] = {
        {"<!-- A --> <!-- A -->", {{"<!-- A -->", "x"}}, "x x"},
        {"<!-- A -->", {{"<!-- A -->", "<!-- B -->"}, {"<!-- B -->", "b"}}, "b"},
        {"<!-- B -->", {{"<!-- A -->", "a"}, {"<!-- B -->", "<!-- A -->"}}, "<!-- A -->"},
        {"<!-- <!-- A -->", {{"<!-- A -->", "a"}}, "<!-- a"},
        {"<!-- A --><!-- A -->", {{"<!-- A -->", "<!-- A -->"}, {"<!-- A -->", "2"}}, "22"},
        {"<!--X--><!-- NOT A MARKER --><!--", {{"<!--X-->", "y"}}, "y<!-- NOT A MARKER --><!--"},
        {"a<!-- A -->b<!-- B -->", {{"<!-- B -->", "<!-- A -->"}, {"<!-- A -->", "."}}, "a.b."},
    };
    for (const Case &c : cases) {
        MarkerSteps steps;
        for (const auto &[marker, value] : c.steps)
            steps.add(QString::fromUtf8(marker), QString::fromUtf8(value));
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(steps.apply(text), QString::fromUtf8(c.expected)) << c.text;
        EXPECT_EQ(steps.applyOneByOne(text), QString::fromUtf8(c.expected)) << c.text;
    }
}

} // namespace
