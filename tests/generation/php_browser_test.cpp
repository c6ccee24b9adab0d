// The generated pages in the real engines: the PHP script under php -S (syntax,
// refusal with messages and escaped redisplay, captcha image and check, the
// mail and the thank-you page) and the HTML page's required-field checks in
// headless Chromium. Servers and browser run on 127.0.0.1 and are stopped by
// the test.
#include "common/text_file.h"
#include "designer/generation/uGenHtml.h"
#include "designer/generation/uPHPGen.h"
#include "designer/model/business_order.h"
#include "tests/formmailer/captured_mail.h"
#include "tests/generation/generation_fixtures.h"
#include "tests/generation/php_server.h"
#include "tests/support/buyer_id_table.h"
#include "tests/support/local_server.h"
#include "tests/test_support.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vq;
using namespace vq::test;

namespace {

struct ProcessResult
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

ProcessResult run(const QString &program, const QStringList &args, int timeoutMs = 30000)
{
    ProcessResult result;
    result.exitCode = runProgram(program, args, &result.out, timeoutMs, &result.err);
    return result;
}

// curl with a cookie jar: headers and body of one request.
ProcessResult curl(const QString &jar, const QString &url, const QStringList &form = {})
{
    QStringList args{QStringLiteral("-s"),        QStringLiteral("-i"),
                     QStringLiteral("--noproxy"), QStringLiteral("*"),
                     QStringLiteral("-c"),        jar,
                     QStringLiteral("-b"),        jar};
    for (const QString &part : form) {
        args << (part.contains(u"=@") ? QStringLiteral("-F") : QStringLiteral("--form-string"))
             << part;
    }
    args << url;
    return run(QStringLiteral("curl"), args);
}

// The captcha code the script keeps in the session of the jar.
QString sessionCaptcha(const QString &root)
{
    const QDir sessions(root + QStringLiteral("/sessions"));
    for (const QString &name :
         sessions.entryList({QStringLiteral("sess_*")}, QDir::Files, QDir::Time)) {
        const QString text = QString::fromUtf8(readFile(sessions.filePath(name)));
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("captcha\\|s:\\d+:\"(\\d+)\"")).match(text);
        if (m.hasMatch())
            return m.captured(1);
    }
    return {};
}

ProjectDocument captchaProject()
{
    ProjectDocument p = everyKindProject();
    p.setFlag(QStringLiteral("chkCaptcha"), true);
    p.setFlag(QStringLiteral("chkAbsender"), true);
    return p;
}

QStringList goodPost(const QString &attachment)
{
    return {QStringLiteral("name=Max Müller"),
            QStringLiteral("email=max@example.org"),
            QStringLiteral("menge=3,5"),
            QStringLiteral("plz=12345"),
            QStringLiteral("kennwort=geheim"),
            QStringLiteral("nachricht=Zeile 1\nZeile 2"),
            QStringLiteral("farbe=rot"),
            QStringLiteral("groesse=M"),
            QStringLiteral("agb=ja"),
            QStringLiteral("anrede=Frau"),
            QStringLiteral("zustimmung=Ja"),
            QStringLiteral("anhang=@") + attachment + QStringLiteral(";filename=notiz.txt")};
}

class PhpScript : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString page = TGenPHP(captchaProject(), QStringLiteral(VQ_PROGRAM_DIR)).GenCode();
        QString error;
        ASSERT_TRUE(writeGeneratedText(path(QStringLiteral("form.php")), page,
                                       QStringLiteral("utf-8"), &error, GeneratedKind::PhpScript))
            << error.toStdString();
        writeFile(path(QStringLiteral("notiz.txt")), "Inhalt der Anlage\n");
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

TEST_F(PhpScript, PassesTheSyntaxCheck)
{
    const ProcessResult lint =
        run(QStringLiteral("php"), {QStringLiteral("-l"), path(QStringLiteral("form.php"))});
    EXPECT_EQ(lint.exitCode, 0) << lint.out.toStdString() << lint.err.toStdString();
}

TEST_F(PhpScript, RefusesAWrongPostAndShowsMessagesAndEscapedValues)
{
    PhpServer server(m_dir.path());
    const QString jar = path(QStringLiteral("jar"));
    const ProcessResult first = curl(jar, server.url(QStringLiteral("form.php")));
    ASSERT_TRUE(first.out.startsWith("HTTP/1.1 200")) << first.out.left(300).toStdString();
    EXPECT_TRUE(first.out.contains("name=\"VQFORM\""));

    const ProcessResult image = curl(jar, server.url(QStringLiteral("form.php?action=captcha")));
    EXPECT_TRUE(image.out.contains("Content-Type: image/png"));
    EXPECT_TRUE(image.out.contains("\x89PNG"));
    ASSERT_FALSE(sessionCaptcha(m_dir.path()).isEmpty());

    const ProcessResult refused = curl(
        jar, server.url(QStringLiteral("form.php?action=send")),
        {QStringLiteral("name=<script>alert(1)</script>\"'"), QStringLiteral("email=kein-adresse"),
         QStringLiteral("menge=drei"), QStringLiteral("plz=123"),
         QStringLiteral("farbe=Bitte wählen"), QStringLiteral("nachricht=</textarea><b>x</b>"),
         QStringLiteral("captcha_input=00000")});
    const QString page = QString::fromUtf8(refused.out);
    ASSERT_TRUE(page.startsWith(u"HTTP/1.1 200")) << page.left(300).toStdString();
    for (const char *message :
         {"Bitte geben Sie einen Wert in das Feld E-Mail ein!",
          "Bitte geben Sie einen Wert in das Feld Menge ein!",
          "Bitte geben Sie einen Wert in das Feld PLZ ein!",
          "Bitte geben Sie einen Wert in das Feld Kennwort ein!",
          "Bitte wählen Sie etwas im Feld Farbe aus!!", "Bitte aktivieren Sie das Feld AGB!",
          "Bitte aktivieren Sie das Feld Anrede!",
          "Bitte geben Sie einen Wert in das Feld Anhang ein!",
          "Fehler, bitte übertragen Sie die Zahl aus dem Bild!"})
        EXPECT_TRUE(page.contains(u"<span style=\"color:#FF0000;\">" + QString::fromUtf8(message)
                                  + u"</span>"))
            << message;
    // A name was given: no message for it.
    EXPECT_FALSE(page.contains(u"Feld Name ein!"));
    EXPECT_TRUE(page.contains(u"value=\"&lt;script&gt;alert(1)&lt;/script&gt;&quot;&#039;\""));
    EXPECT_FALSE(page.contains(u"<script>alert(1)"));
    EXPECT_TRUE(page.contains(u"&lt;/textarea&gt;&lt;b&gt;x&lt;/b&gt;</textarea>"));
    EXPECT_TRUE(page.contains(u"<option selected>Bitte wählen</option>"));
    EXPECT_TRUE(QDir(path(QStringLiteral("mails"))).isEmpty());
}

TEST_F(PhpScript, CaptchaImageIsThePngAlone)
{
    PhpServer server(m_dir.path());
    const QString jar = path(QStringLiteral("jar"));
    curl(jar, server.url(QStringLiteral("form.php")));
    const ProcessResult image = curl(jar, server.url(QStringLiteral("form.php?action=captcha")));
    // Nothing before the image, not even a byte-order mark.
    EXPECT_TRUE(image.out.contains("\r\n\r\n\x89PNG")) << image.out.left(300).toStdString();
}

TEST_F(PhpScript, PostedArraysAreTakenAsText)
{
    PhpServer server(m_dir.path());
    const QString jar = path(QStringLiteral("jar"));
    curl(jar, server.url(QStringLiteral("form.php")));
    const QStringList hostile[] = {
        {QStringLiteral("name[]=x")},
        {QStringLiteral("name[a][b]=x"), QStringLiteral("email[]=max@example.org")},
        {QStringLiteral("farbe[]=rot"), QStringLiteral("groesse[]=M"),
         QStringLiteral("nachricht[]=y")},
        {QStringLiteral("captcha_input[]=12345"), QStringLiteral("agb[]=ja")},
    };
    for (const QStringList &post : hostile) {
        SCOPED_TRACE(post.join(u' ').toStdString());
        const ProcessResult result =
            curl(jar, server.url(QStringLiteral("form.php?action=send")), post);
        EXPECT_TRUE(result.out.startsWith("HTTP/1.1 200")) << result.out.left(300).toStdString();
        EXPECT_FALSE(result.out.contains("Fatal error"));
        EXPECT_FALSE(result.out.contains("Uncaught"));
        // The array is no value: the field counts as empty.
        EXPECT_TRUE(result.out.contains("Fehler, bitte übertragen Sie die Zahl aus dem Bild!"));
    }
    const ProcessResult action = curl(jar, server.url(QStringLiteral("form.php?action[]=captcha")));
    EXPECT_TRUE(action.out.startsWith("HTTP/1.1 200")) << action.out.left(300).toStdString();
    EXPECT_TRUE(QDir(path(QStringLiteral("mails"))).isEmpty());
}

TEST_F(PhpScript, WrongOrMissingCaptchaCodeIsRefused)
{
    PhpServer server(m_dir.path());
    const QString jar = path(QStringLiteral("jar"));
    curl(jar, server.url(QStringLiteral("form.php")));
    // No image fetched: an empty code must not match the empty session.
    QStringList post = goodPost(path(QStringLiteral("notiz.txt")));
    ProcessResult result = curl(jar, server.url(QStringLiteral("form.php?action=send")),
                                post + QStringList{QStringLiteral("captcha_input=")});
    EXPECT_TRUE(result.out.contains("Fehler, bitte übertragen Sie die Zahl aus dem Bild!"));
    curl(jar, server.url(QStringLiteral("form.php?action=captcha")));
    const QString code = sessionCaptcha(m_dir.path());
    ASSERT_FALSE(code.isEmpty());
    const QString wrong = code == u"11111" ? QStringLiteral("22222") : QStringLiteral("11111");
    result = curl(jar, server.url(QStringLiteral("form.php?action=send")),
                  post + QStringList{u"captcha_input=" + wrong});
    EXPECT_TRUE(result.out.contains("Fehler, bitte übertragen Sie die Zahl aus dem Bild!"));
    EXPECT_TRUE(QDir(path(QStringLiteral("mails"))).isEmpty());
}

TEST_F(PhpScript, GoodPostSendsTheMailAndLeadsToTheThankYouPage)
{
    PhpServer server(m_dir.path());
    const QString jar = path(QStringLiteral("jar"));
    curl(jar, server.url(QStringLiteral("form.php")));
    curl(jar, server.url(QStringLiteral("form.php?action=captcha")));
    const QString code = sessionCaptcha(m_dir.path());
    ASSERT_FALSE(code.isEmpty());
    const ProcessResult result =
        curl(jar, server.url(QStringLiteral("form.php?action=send")),
             goodPost(path(QStringLiteral("notiz.txt"))) + QStringList{u"captcha_input=" + code});
    EXPECT_TRUE(result.out.startsWith("HTTP/1.1 302")) << result.out.left(2000).toStdString();
    EXPECT_TRUE(result.out.contains("Location: danke.htm"));

    const QStringList mails = QDir(path(QStringLiteral("mails"))).entryList(QDir::Files);
    // One to the shop, one copy to the sender.
    ASSERT_EQ(mails.size(), 2);
    const QByteArray raw = readFile(path(QStringLiteral("mails/")) + mails.first());
    const QString mail = QString::fromUtf8(raw);
    EXPECT_TRUE(mail.contains(u"To: shop@example.com")) << mail.toStdString();
    EXPECT_TRUE(mail.contains(u"Subject: Kontaktformular"));
    EXPECT_TRUE(mail.contains(u"Reply-To: max@example.org"));
    // The text part is base64 of UTF-8.
    const QString text = vq::test::parseMail(raw).text();
    EXPECT_TRUE(text.contains(u"Neue Anfrage von Max Müller\r\nBitte antworten."))
        << text.toStdString();
    EXPECT_TRUE(text.contains(u"plz: 12345"));
    EXPECT_TRUE(text.contains(u"anrede: Frau"));
    EXPECT_FALSE(text.contains(u"captcha_input"));
    EXPECT_TRUE(mail.contains(u"filename=\"notiz.txt\""));
    EXPECT_TRUE(mail.contains(QString::fromLatin1(QByteArray("Inhalt der Anlage\n").toBase64())));
}

// ---- the HTML page in Chromium

QString nodeDir()
{
    return QStringLiteral(VQ_NODE_DIR);
}

// Runs form_checks.js on a page with the cases (written to specPath): one
// result object per case, or an empty array after a failed run.
QJsonArray runFormChecks(const QString &page, const QJsonArray &cases, const QString &specPath)
{
    writeFile(specPath,
              QJsonDocument(QJsonObject{{QStringLiteral("page"), page},
                                        {QStringLiteral("mailer"), QStringLiteral("formmail.php")},
                                        {QStringLiteral("cases"), cases}})
                  .toJson());
    QProcess node;
    node.setWorkingDirectory(nodeDir());
    node.start(QStringLiteral("node"), {QStringLiteral(VQ_FORM_CHECKS_SCRIPT), specPath});
    if (!node.waitForFinished(90000)) {
        ADD_FAILURE() << "node did not finish";
        return {};
    }
    EXPECT_EQ(node.exitCode(), 0) << node.readAllStandardError().toStdString();
    const QJsonArray results = QJsonDocument::fromJson(node.readAllStandardOutput()).array();
    EXPECT_EQ(results.size(), cases.size());
    return results.size() == cases.size() ? results : QJsonArray();
}

// A case's result: the one alert expected and the form not sent, or (alert
// empty) no alert and the form sent.
void expectAlertOrSent(const QJsonObject &result, const QString &alert, const char *name)
{
    const QJsonArray alerts = result[QStringLiteral("alerts")].toArray();
    if (alert.isEmpty()) {
        EXPECT_TRUE(alerts.isEmpty()) << name << ": " << alerts[0].toString().toStdString();
        EXPECT_TRUE(result[QStringLiteral("submitted")].toBool()) << name;
    } else {
        ASSERT_EQ(alerts.size(), 1) << name;
        EXPECT_EQ(alerts[0].toString(), alert) << name;
        EXPECT_FALSE(result[QStringLiteral("submitted")].toBool()) << name;
    }
}

TEST(HtmlPageInChromium, RequiredFieldChecksRefuseAndAccept)
{
    QTemporaryDir dir;
    ProjectDocument project = everyKindProject();
    const QString page = TGenHTML(project, QStringLiteral(VQ_PROGRAM_DIR)).GenCode();
    QString error;
    ASSERT_TRUE(writeGeneratedText(dir.filePath(QStringLiteral("form.htm")), page,
                                   QStringLiteral("utf-8"), &error));
    writeFile(dir.filePath(QStringLiteral("notiz.txt")), "x");
    const QString attachment = dir.filePath(QStringLiteral("notiz.txt"));

    const QString valid = QStringLiteral(
        "f.name.value='Max'; f.email.value='max@example.org'; f.menge.value='3,5'; "
        "f.plz.value='12345';"
        "f.kennwort.value='geheim'; f.nachricht.value='Hallo'; f.farbe.selectedIndex=1;"
        "f.groesse.selectedIndex=0; f.agb.checked=true; f.anrede[1].checked=true; "
        "f.zustimmung.checked=true;");
    struct Case
    {
        const char *name;
        QString fill;
        bool withFile;
        QString alert; // empty: the form is sent
    } cases[] = {
        {"all valid", valid, true, {}},
        {"number with comma and exact minimum length",
         valid + u"f.menge.value='0,5'; f.plz.value='abcde';",
         true,
         {}},
        {"empty name", valid + u"f.name.value='';", true,
         QStringLiteral("Bitte geben Sie einen Wert in das Feld Name ein!")},
        {"bad address", valid + u"f.email.value='max@';", true,
         QStringLiteral("Bitte geben Sie einen Wert in das Feld E-Mail ein!")},
        {"not a number", valid + u"f.menge.value='drei';", true,
         QStringLiteral("Bitte geben Sie einen Wert in das Feld Menge ein!")},
        {"too short", valid + u"f.plz.value='1234';", true,
         QStringLiteral("Bitte geben Sie einen Wert in das Feld PLZ ein!")},
        {"empty password", valid + u"f.kennwort.value='';", true,
         QStringLiteral("Bitte geben Sie einen Wert in das Feld Kennwort ein!")},
        {"empty text area", valid + u"f.nachricht.value='';", true,
         QStringLiteral("Bitte geben Sie einen Wert in das Feld Nachricht ein!")},
        {"drop-down prompt", valid + u"f.farbe.selectedIndex=0;", true,
         QStringLiteral("Bitte wählen Sie etwas im Feld Farbe aus!")},
        {"list box without choice", valid + u"f.groesse.selectedIndex=-1;", true,
         QStringLiteral("Bitte wählen Sie etwas im Feld Größe aus!")},
        {"check box off", valid + u"f.agb.checked=false;", true,
         QStringLiteral("Die Checkbox AGB muss aktiviert werden.")},
        {"no radio", valid + u"f.anrede[1].checked=false;", true,
         QStringLiteral("Wählen sie eine der Anrede-Optionen aus.")},
        {"single radio button not chosen", valid + u"f.zustimmung.checked=false;", true,
         QStringLiteral("Wählen sie eine der Zustimmung-Optionen aus.")},
        {"no file", valid, false,
         QStringLiteral("Bitte geben Sie einen Wert in das Feld Anhang ein!")},
    };
    QJsonArray jsonCases;
    for (const Case &c : cases)
        jsonCases.append(
            QJsonObject{{QStringLiteral("name"), QString::fromUtf8(c.name)},
                        {QStringLiteral("fill"), c.fill},
                        {QStringLiteral("file"), c.withFile ? attachment : QString()}});
    const QJsonArray results = runFormChecks(dir.filePath(QStringLiteral("form.htm")), jsonCases,
                                             dir.filePath(QStringLiteral("cases.json")));
    ASSERT_FALSE(results.isEmpty());
    for (qsizetype i = 0; i < results.size(); ++i)
        expectAlertOrSent(results[i].toObject(), cases[i].alert, cases[i].name);
    // The posted form carries the values and the hidden fields.
    const QString post = results[0].toObject()[QStringLiteral("post")].toString();
    EXPECT_TRUE(post.contains(u"name=\"plz\"\r\n\r\n12345")) << post.toStdString();
    EXPECT_TRUE(post.contains(u"name=\"vq_formid\""));
}

// The business fields' checks of a generated page: the page's check
// functions on the shared table, and the form refusing a failing value in
// each field with its message before it is sent, and sending passing ones.
TEST(HtmlPageInChromium, BusinessFieldChecksOnTheSharedTable)
{
    QTemporaryDir dir;
    ProjectDocument project;
    project.ExtSettings.encoding = QStringLiteral("utf-8");
    QString error;
    ASSERT_EQ(addBusinessOrderFields(project.ListField,
                                     {QStringLiteral(VQ_PROGRAM_DIR "/vorlagen.xml")}, &error),
              4)
        << error.toStdString();
    const QString pagePath = dir.filePath(QStringLiteral("firma.htm"));
    ASSERT_TRUE(writeGeneratedText(pagePath,
                                   TGenHTML(project, QStringLiteral(VQ_PROGRAM_DIR)).GenCode(),
                                   QStringLiteral("utf-8"), &error));
    const QList<BuyerIdCase> table = loadBuyerIdCases();
    const QString tableJson = QString::fromUtf8(readFile(buyerIdCasesPath()));
    const QString allCases =
        u"JSON.stringify((" + tableJson
        + u").cases.map(function (c) { return ({vat: vqVatIdProblem, leitweg: "
          u"vqLeitwegIdProblem, email: vqEInvoiceAddressProblem})[c.kind](c.value); }))";
    const QString valid = QStringLiteral(
        "f.Firma.value='Stadtwerke'; f.UStIdNr.value='de 136 695 976'; "
        "f.Kaeuferreferenz.value='991-33333TEST-33'; f.EMailERechnung.value='e@stadt.example';");
    struct Case
    {
        const char *name;
        QString fill;
        QString alert; // empty: the form is sent
    } cases[] = {
        {"table, all fields empty", QString(), {}},
        {"all three given", valid, {}},
        {"check digit of the VAT ID", valid + u"f.UStIdNr.value='DE136695977';",
         QStringLiteral("Die USt-IdNr. ist ungültig. Bitte prüfen Sie die Prüfziffer.")},
        {"check digits of the Leitweg-ID", valid + u"f.Kaeuferreferenz.value='05315-62';",
         QStringLiteral("Die Leitweg-ID ist ungültig. Bitte prüfen Sie die Prüfziffern.")},
        {"address", valid + u"f.EMailERechnung.value='e@stadt';",
         QStringLiteral("Bitte geben Sie eine gültige E-Mail-Adresse für E-Rechnungen ein.")},
    };
    QJsonArray jsonCases;
    for (const Case &c : cases)
        jsonCases.append(QJsonObject{{QStringLiteral("name"), QString::fromUtf8(c.name)},
                                     {QStringLiteral("fill"), c.fill},
                                     {QStringLiteral("file"), QString()},
                                     {QStringLiteral("evaluate"),
                                      jsonCases.isEmpty() ? QJsonValue(allCases) : QJsonValue()}});
    const QJsonArray results =
        runFormChecks(pagePath, jsonCases, dir.filePath(QStringLiteral("cases.json")));
    ASSERT_FALSE(results.isEmpty());

    const QJsonArray problems =
        QJsonDocument::fromJson(results[0].toObject()[QStringLiteral("value")].toString().toUtf8())
            .array();
    ASSERT_EQ(problems.size(), table.size());
    for (qsizetype i = 0; i < table.size(); ++i)
        EXPECT_EQ(problems[i].toString(), table[i].message)
            << table[i].kind.toStdString() << " " << table[i].value.toStdString();

    for (size_t i = 0; i < std::size(cases); ++i)
        expectAlertOrSent(results[qsizetype(i)].toObject(), cases[i].alert, cases[i].name);
    const QString post = results[1].toObject()[QStringLiteral("post")].toString();
    EXPECT_TRUE(post.contains(u"name=\"UStIdNr\"\r\n\r\nde 136 695 976")) << post.toStdString();
    EXPECT_TRUE(post.contains(u"name=\"Kaeuferreferenz\"\r\n\r\n991-33333TEST-33"));
}

// The order table of a generated page: line totals, total and VAT in brutto
// and netto for the three article kinds with a price option, and a bad
// quantity set back to 0. The posted read-only fields carry what was shown.
TEST(HtmlPageInChromium, OrderTableComputesTotalsAndVat)
{
    QTemporaryDir dir;
    auto makeProject = [](const QString &tax) {
        ProjectDocument project;
        project.ExtSettings.tax = tax;
        project.setSetting(QStringLiteral("edtWaehrung"), QStringLiteral("€"));
        auto shirt = std::make_unique<TArtikelField>();
        shirt->name = QStringLiteral("T-Shirt");
        shirt->preis = 12.5;
        shirt->mwst = 19;
        auto colour = std::make_unique<TSelectPriceOption>();
        colour->beschriftung = QStringLiteral("Farbe");
        colour->elements = {{QStringLiteral("weiß"), 0}, {QStringLiteral("gold"), 2.5}};
        shirt->listOptionen.push_back(std::move(colour));
        project.ListArtikel.push_back(std::move(shirt));
        auto porto = std::make_unique<TArtikelField>();
        porto->name = QStringLiteral("Porto");
        porto->artikelTyp = 1;
        porto->preis = 1;
        porto->mwst = 7;
        project.ListArtikel.push_back(std::move(porto));
        auto gift = std::make_unique<TArtikelField>();
        gift->name = QStringLiteral("Geschenkpapier");
        gift->artikelTyp = 2;
        gift->preis = 3;
        gift->mwst = 19;
        project.ListArtikel.push_back(std::move(gift));
        return project;
    };
    struct Case
    {
        const char *name;
        const char *tax;
        QString fill;
        const char *line0, *line2, *total, *vat;
    } cases[] = {
        // 2 x (12.5 + 2.5) + 1 + 3 = 34; VAT contained, rounded per rate as on the
        // invoice: 33*19/119 = 5,27 and 1*7/107 = 0,07
        {"brutto", "brutto",
         QStringLiteral("f.b_anz0.value='2'; f.b_opt0_0.selectedIndex=1; f.b_anz2.checked=true;"),
         "30,00 €", "3,00 €", "34,00 €", "5,34 €"},
        // VAT added: 30*0.19 + 1*0.07 + 3*0.19 = 6.34
        {"netto", "netto",
         QStringLiteral("f.b_anz0.value='2'; f.b_opt0_0.selectedIndex=1; f.b_anz2.checked=true;"),
         "30,00 €", "3,00 €", "40,34 €", "6,34 €"},
        {"bad quantity, box not ticked", "brutto", QStringLiteral("f.b_anz0.value='abc';"),
         "0,00 €", "0,00 €", "1,00 €", "0,07 €"},
    };
    QStringList pages;
    for (const Case &c : cases) {
        const QString page = dir.filePath(QString::fromLatin1(c.tax) + QStringLiteral(".htm"));
        QString error;
        ASSERT_TRUE(writeGeneratedText(
            page,
            TGenHTML(makeProject(QString::fromLatin1(c.tax)), QStringLiteral(VQ_PROGRAM_DIR))
                .GenCode(),
            QStringLiteral("utf-8"), &error));
        pages << page;
    }
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case &c = cases[i];
        const QJsonArray one{
            QJsonObject{{QStringLiteral("name"), QString::fromUtf8(c.name)},
                        {QStringLiteral("fill"), c.fill + QStringLiteral(" preisUpdateArt();")},
                        {QStringLiteral("file"), QString()}}};
        const QJsonArray results = runFormChecks(
            pages[qsizetype(i)], one, dir.filePath(QStringLiteral("order%1.json").arg(i)));
        ASSERT_FALSE(results.isEmpty()) << c.name;
        const QJsonObject r = results[0].toObject();
        ASSERT_TRUE(r[QStringLiteral("submitted")].toBool()) << c.name;
        const QString post = r[QStringLiteral("post")].toString();
        auto posted = [&post](const char *name) {
            const QString key =
                QStringLiteral("name=\"%1\"\r\n\r\n").arg(QString::fromLatin1(name));
            const qsizetype at = post.indexOf(key);
            return at < 0 ? QStringLiteral("(fehlt)")
                          : post.mid(at + key.size()).section(QStringLiteral("\r\n"), 0, 0);
        };
        EXPECT_EQ(posted("b_ges0"), QString::fromUtf8(c.line0)) << c.name;
        EXPECT_EQ(posted("b_ges1"), QStringLiteral("1,00 €")) << c.name;
        EXPECT_EQ(posted("b_ges2"), QString::fromUtf8(c.line2)) << c.name;
        EXPECT_EQ(posted("b_gesamt"), QString::fromUtf8(c.total)) << c.name;
        EXPECT_EQ(posted("b_mwst"), QString::fromUtf8(c.vat)) << c.name;
        if (QByteArray(c.name).startsWith("bad")) {
            EXPECT_EQ(posted("b_anz0"), QStringLiteral("0")) << c.name;
        }
    }
}

} // namespace
