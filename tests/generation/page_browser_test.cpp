// The generated HTML page and PHP script as customers meet them, for each
// table alignment and with the captcha: on a phone (390 x 844, touch) every
// control lies on the screen and the form is filled in and sent by tapping; on
// a desktop the tables keep their configured width and alignment; axe-core
// finds no serious WCAG 2.1 A/AA violation, screen readers find every control
// by its name, the Tab key reaches every control, and a refused post of the
// PHP script is told in an alert region. One headless Chromium runs all pages;
// they are served by php -S on 127.0.0.1. With VQ_SCREENSHOT_DIR set, the
// browser leaves a screenshot of every page there.
#include "common/text_file.h"
#include "designer/generation/uGenHtml.h"
#include "designer/generation/uPHPGen.h"
#include "designer/model/uArtikelField.h"
#include "designer/model/uOptionField.h"
#include "designer/model/uPriceOption.h"
#include "tests/formmailer/captured_mail.h"
#include "tests/generation/generation_fixtures.h"
#include "tests/generation/php_server.h"
#include "tests/test_support.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>
#include <memory>

using namespace vq;
using namespace vq::test;

namespace {

const char *const alignments[] = {"links", "zentriert", "rechts"};
const char *const kinds[] = {"html", "php"};

struct PageCase
{
    const char *kind;
    const char *alignment;
    bool captcha; // a captcha page is not sent: its code is unknown to the test
};

std::vector<PageCase> pageCases()
{
    std::vector<PageCase> cases;
    for (const char *alignment : alignments)
        for (const char *kind : kinds)
            cases.push_back({kind, alignment, false});
    for (const char *kind : kinds)
        cases.push_back({kind, "zentriert", true});
    return cases;
}

QString pageName(const PageCase &c)
{
    return QString::fromLatin1(c.kind) + u'-' + QString::fromLatin1(c.alignment)
           + (c.captcha ? QStringLiteral("-captcha") : QString());
}

std::unique_ptr<TArtikelField> article(int kind, const char *name, double price, double vat,
                                       const char *text)
{
    auto a = std::make_unique<TArtikelField>();
    a->artikelTyp = kind;
    a->name = QString::fromUtf8(name);
    a->preis = price;
    a->mwst = vat;
    a->beschreibung = QString::fromUtf8(text);
    return a;
}

// Customer fields and four articles (quantity with an input, a price and a
// select option; fixed price with a price option; check box; plain quantity),
// with column captions of the owner's own.
ProjectDocument shopProject(const QString &alignment, const QString &mailer, bool captcha)
{
    ProjectDocument p;
    p.setFlag(QStringLiteral("chkCaptcha"), captcha);
    p.ExtSettings.encoding = QStringLiteral("utf-8");
    p.ExtSettings.tax = QStringLiteral("brutto");
    p.setSetting(QStringLiteral("cboFormMailer"), mailer);
    p.setSetting(QStringLiteral("edtDanke"), QStringLiteral("danke.htm"));
    p.setSetting(QStringLiteral("edtEMail"), QStringLiteral("shop@example.com"));
    p.setSetting(QStringLiteral("cboMailFormat"), QStringLiteral("plain"));
    p.setSetting(QStringLiteral("edtFormTitel"), QStringLiteral("Bestellung Seifenmanufaktur"));
    p.setSetting(QStringLiteral("edtTabWidth"), QStringLiteral("600"));
    // Messages in a red dark enough to be read on the table colour.
    p.setSetting(QStringLiteral("edtErrorColor"), QStringLiteral("B00000"));
    p.setSetting(QStringLiteral("cboTabAusrichtung"), alignment);
    p.setSetting(QStringLiteral("edtWaehrung"), QStringLiteral("€"));
    p.setSetting(QStringLiteral("edtAnzahl"), QStringLiteral("Stückzahl"));
    p.setSetting(QStringLiteral("edtBeschreibung"), QStringLiteral("Artikel"));
    p.setSetting(QStringLiteral("edtEinzelpreis"), QStringLiteral("Preis/Stück"));
    p.setSetting(QStringLiteral("edtGesamtpreis"), QStringLiteral("Summe"));

    p.ListField.push_back(zw(QStringLiteral("<b>Ihre Anschrift</b>")));
    p.ListField.push_back(
        radio(QStringLiteral("anrede"), QStringLiteral("Anrede"), QStringLiteral("Frau#Herr")));
    p.ListField.push_back(einz(QStringLiteral("name"), QStringLiteral("Name")));
    p.ListField.push_back(einz(QStringLiteral("email"), QStringLiteral("E-Mail"), 1));
    auto street = einz(QStringLiteral("strasse"), QStringLiteral("Straße, Nr."));
    street->Pflicht = false;
    p.ListField.push_back(std::move(street));
    p.ListField.push_back(einz(QStringLiteral("plz"), QStringLiteral("PLZ"), 3, 5));
    p.ListField.push_back(dropDown(QStringLiteral("land"), QStringLiteral("Land"),
                                   QStringLiteral("Bitte wählen#Deutschland#Österreich#Schweiz"),
                                   QStringLiteral("1")));
    auto message = mehrz(QStringLiteral("nachricht"), QStringLiteral("Nachricht"),
                         QStringLiteral("500"), true);
    message->Pflicht = false;
    message->Breite = QStringLiteral("30");
    p.ListField.push_back(std::move(message));
    p.ListField.push_back(
        checkBox(QStringLiteral("agb"), QStringLiteral("Ich akzeptiere die AGB")));

    auto soap = article(0, "Seife Lavendel", 4.5, 19, "Handgesiedet, 100 g\r\nmit ätherischem Öl");
    auto engraving = std::make_unique<TInputOption>();
    engraving->beschriftung = QStringLiteral("Prägung");
    soap->listOptionen.push_back(std::move(engraving));
    auto size = std::make_unique<TSelectPriceOption>();
    size->beschriftung = QStringLiteral("Größe");
    size->elements = {{QStringLiteral("100 g"), 0}, {QStringLiteral("200 g"), 2}};
    soap->listOptionen.push_back(std::move(size));
    auto scent = std::make_unique<TSelectOption>();
    scent->beschriftung = QStringLiteral("Duft");
    scent->defaultWert = QStringLiteral("mild#kräftig");
    soap->listOptionen.push_back(std::move(scent));
    p.ListArtikel.push_back(std::move(soap));

    auto shipping = article(1, "Versand", 4.9, 19, "Innerhalb Deutschlands");
    auto way = std::make_unique<TSelectPriceOption>();
    way->beschriftung = QStringLiteral("Versandart");
    way->elements = {{QStringLiteral("Standard"), 0}, {QStringLiteral("Express"), 5.1}};
    shipping->listOptionen.push_back(std::move(way));
    p.ListArtikel.push_back(std::move(shipping));
    p.ListArtikel.push_back(article(2, "Geschenkverpackung", 3, 19, "Mit Schleife"));
    p.ListArtikel.push_back(article(0, "Badesalz Meer", 7.25, 7, "Aus dem Toten Meer, 250 g"));
    return p;
}

// What the customer taps and types on the phone, and what the order then shows.
QJsonArray phoneTaps()
{
    auto type = [](const char *name, const char *text) {
        return QJsonObject{{QStringLiteral("type"), QString::fromLatin1(name)},
                           {QStringLiteral("text"), QString::fromUtf8(text)}};
    };
    auto tap = [](const char *name, int index = 0) {
        return QJsonObject{{QStringLiteral("tap"), QString::fromLatin1(name)},
                           {QStringLiteral("index"), index}};
    };
    auto select = [](const char *name, int index) {
        return QJsonObject{{QStringLiteral("select"), QString::fromLatin1(name)},
                           {QStringLiteral("index"), index}};
    };
    return {tap("anrede", 1),
            type("name", "Max Müller"),
            type("email", "max@example.org"),
            type("strasse", "Hauptstraße 1"),
            type("plz", "12345"),
            select("land", 1),
            type("nachricht", "Bitte bald liefern."),
            tap("agb"),
            type("b_anz0", "2"),
            type("b_opt0_0", "Für Oma"),
            select("b_opt0_1", 1),
            select("b_opt0_2", 1),
            select("b_opt1_0", 1),
            tap("b_anz2"),
            type("b_anz3", "3")};
}

// 2 x (4.50 + 2.00) = 13.00; 4.90 + 5.10 = 10.00; 3.00; 3 x 7.25 = 21.75.
// VAT contained: 26.00 x 19/119 + 21.75 x 7/107 = 5.57.
const std::pair<const char *, const char *> expectedTotals[] = {
    {"b_ges0", "13,00 €"}, {"b_ges1", "10,00 €"}, {"b_ges2", "3,00 €"},
    {"b_ges3", "21,75 €"}, {"b_mwst", "5,57 €"},  {"b_gesamt", "47,75 €"},
};

// Settings and texts a page must bear: a width in percent, no alignment
// chosen, HTML and quotes in captions, names and labels, no VAT; or a form
// without articles.
ProjectDocument oddProject(bool articles)
{
    ProjectDocument p;
    p.ExtSettings.encoding = QStringLiteral("utf-8");
    p.ExtSettings.tax = QStringLiteral("netto");
    p.setSetting(QStringLiteral("edtTabWidth"), QStringLiteral("75 %"));
    p.setSetting(QStringLiteral("cboTabAusrichtung"), QString());
    p.setSetting(QStringLiteral("edtAnzahl"), QStringLiteral("<i>Menge</i>"));
    p.setSetting(QStringLiteral("edtGesamtpreis"), QStringLiteral("Summe \"brutto\""));
    p.setSetting(QStringLiteral("edtGesamtLabel"), QStringLiteral("<u>Zu zahlen</u>:"));
    p.ListField.push_back(einz(QStringLiteral("name"), QStringLiteral("<b>Ihr Name</b> \"voll\"")));
    if (articles) {
        auto soap =
            article(0, "<b>Seife</b> \"Spezial\" & Co", 2, 0, "<i>kursiv</i>\r\nzweite Zeile");
        auto size = std::make_unique<TSelectPriceOption>();
        size->beschriftung = QStringLiteral("<em>Größe</em> \"XL\"");
        size->elements = {{QStringLiteral("S"), 0}, {QStringLiteral("XL"), 1}};
        soap->listOptionen.push_back(std::move(size));
        p.ListArtikel.push_back(std::move(soap));
    }
    return p;
}

const std::pair<std::pair<const char *, const char *>, const char *> oddOrderControls[] = {
    {{"textbox", "Menge Seife \"Spezial\" & Co"}, "b_anz0"},
    {{"combobox", "Größe \"XL\" Seife \"Spezial\" & Co"}, "b_opt0_0"},
    {{"textbox", "Summe \"brutto\" Seife \"Spezial\" & Co"}, "b_ges0"},
    {{"textbox", "Zu zahlen"}, "b_gesamt"},
};

// Controls a screen reader finds by role and accessible name, and the form
// name of each ("" for the radio group).
const std::pair<std::pair<const char *, const char *>, const char *> namedControls[] = {
    {{"textbox", "Stückzahl Seife Lavendel"}, "b_anz0"},
    {{"textbox", "Prägung Seife Lavendel"}, "b_opt0_0"},
    {{"combobox", "Größe Seife Lavendel"}, "b_opt0_1"},
    {{"combobox", "Duft Seife Lavendel"}, "b_opt0_2"},
    {{"textbox", "Summe Seife Lavendel"}, "b_ges0"},
    {{"combobox", "Versandart Versand"}, "b_opt1_0"},
    {{"checkbox", "Stückzahl Geschenkverpackung"}, "b_anz2"},
    {{"textbox", "Stückzahl Badesalz Meer"}, "b_anz3"},
    {{"textbox", "enthaltene MwSt."}, "b_mwst"},
    {{"textbox", "Gesamt"}, "b_gesamt"},
    {{"radiogroup", "Anrede"}, ""},
    {{"radio", "Herr"}, "anrede"},
    {{"textbox", "Name"}, "name"},
    {{"textbox", "E-Mail"}, "email"},
    {{"textbox", "Straße, Nr."}, "strasse"},
    {{"combobox", "Land"}, "land"},
    {{"textbox", "Nachricht"}, "nachricht"},
    {{"textbox", "Nachricht: Zeichen übrig"}, "anzeige_nachricht"},
    {{"checkbox", "Ich akzeptiere die AGB"}, "agb"},
};
const std::pair<std::pair<const char *, const char *>, const char *> captchaControls[] = {
    {{"textbox", "Spam-Schutz"}, "captcha_input"},
    {{"img", "Sicherheitscode: eine Zahl zum Abschreiben"}, ""},
    {{"button", "Neuen Code anzeigen"}, ""},
};

QJsonArray wantedRoles(bool captcha)
{
    QJsonArray wanted;
    auto add = [&wanted](const auto &list) {
        for (const auto &[role, control] : list)
            wanted.append(QJsonObject{{QStringLiteral("role"), QString::fromLatin1(role.first)},
                                      {QStringLiteral("name"), QString::fromUtf8(role.second)}});
    };
    add(namedControls);
    if (captcha)
        add(captchaControls);
    return wanted;
}

class GeneratedPagesInChromium : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        ASSERT_TRUE(s_dir->isValid());
        s_server = new PhpServer(s_dir->path());
        ASSERT_TRUE(s_server->running());
        writeFile(s_dir->filePath(QStringLiteral("danke.htm")),
                  "<!DOCTYPE html><title>Danke</title><p>Danke</p>\n");

        QJsonArray read;
        for (const auto &[name, value] : expectedTotals)
            read.append(QString::fromLatin1(name));
        QJsonArray pages;
        for (const PageCase &c : pageCases()) {
            const bool php = QByteArray(c.kind) == "php";
            QJsonObject page =
                writePage(pageName(c), php,
                          shopProject(QString::fromLatin1(c.alignment),
                                      s_server->url(QStringLiteral("formmail.php")), c.captcha));
            page[QStringLiteral("read")] = read;
            // Names and keys do not depend on the alignment.
            if (QByteArray(c.alignment) == "zentriert")
                page[QStringLiteral("roles")] = wantedRoles(c.captcha);
            page[QStringLiteral("refuse")] = php && c.captcha;
            if (!c.captcha)
                page[QStringLiteral("taps")] = phoneTaps();
            pages.append(page);
        }
        for (const char *kind : kinds) {
            const bool php = QByteArray(kind) == "php";
            const QString prefix = QStringLiteral("sonderfall-") + QString::fromLatin1(kind);
            for (bool articles : {true, false}) {
                QJsonObject page = writePage(
                    prefix + (articles ? QStringLiteral("-texte") : QStringLiteral("-leer")), php,
                    oddProject(articles));
                QJsonArray roles{
                    QJsonObject{{QStringLiteral("role"), QStringLiteral("textbox")},
                                {QStringLiteral("name"), QStringLiteral("Ihr Name \"voll\"")}}};
                if (articles)
                    for (const auto &[role, control] : oddOrderControls)
                        roles.append(
                            QJsonObject{{QStringLiteral("role"), QString::fromLatin1(role.first)},
                                        {QStringLiteral("name"), QString::fromUtf8(role.second)}});
                page[QStringLiteral("roles")] = roles;
                pages.append(page);
            }
        }
        const QString job = s_dir->filePath(QStringLiteral("job.json"));
        writeFile(job, QJsonDocument(QJsonObject{{QStringLiteral("screenshots"),
                                                  qEnvironmentVariable("VQ_SCREENSHOT_DIR")},
                                                 {QStringLiteral("pages"), pages}})
                           .toJson());
        QProcess node;
        node.setWorkingDirectory(QStringLiteral(VQ_NODE_DIR));
        node.start(QStringLiteral("node"), {QStringLiteral(VQ_NODE_DIR "/page_checks.js"), job});
        ASSERT_TRUE(node.waitForStarted()) << "node not found";
        if (!node.waitForFinished(180000)) {
            node.kill();
            node.waitForFinished();
            FAIL() << "the browser run did not finish";
        }
        ASSERT_EQ(node.exitCode(), 0) << node.readAllStandardError().toStdString();
        for (const QJsonValue &page :
             QJsonDocument::fromJson(node.readAllStandardOutput()).array()) {
            const QString name = page[QStringLiteral("name")].toString();
            (name.startsWith(u"sonderfall") ? s_odd : s_results)[name] = page.toObject();
        }
    }
    // The page written into the served folder, and its entry for the browser run.
    static QJsonObject writePage(const QString &name, bool php, const ProjectDocument &project)
    {
        const QString file = name + (php ? QStringLiteral(".php") : QStringLiteral(".htm"));
        const QString text = php ? TGenPHP(project, QStringLiteral(VQ_PROGRAM_DIR)).GenCode()
                                 : TGenHTML(project, QStringLiteral(VQ_PROGRAM_DIR)).GenCode();
        QString error;
        EXPECT_TRUE(writeGeneratedText(s_dir->filePath(file), text, QStringLiteral("utf-8"), &error,
                                       php ? GeneratedKind::PhpScript : GeneratedKind::Page))
            << error.toStdString();
        return {{QStringLiteral("name"), name},
                {QStringLiteral("url"), s_server->url(file)},
                {QStringLiteral("mailer"), php ? QString() : QStringLiteral("formmail.php")},
                {QStringLiteral("until"),
                 php ? QStringLiteral("danke.htm") : QStringLiteral("formmail.php")}};
    }
    static void TearDownTestSuite()
    {
        delete s_server;
        s_server = nullptr;
        delete s_dir;
        s_dir = nullptr;
        s_results.clear();
        s_odd.clear();
    }
    void SetUp() override
    {
        if (s_results.size() != pageCases().size() || s_odd.size() != 2 * std::size(kinds))
            GTEST_FAIL() << "the browser run gave no result for every page";
    }

    static QTemporaryDir *s_dir;
    static PhpServer *s_server;
    static std::map<QString, QJsonObject> s_results; // the shop, by kind, alignment and captcha
    static std::map<QString, QJsonObject> s_odd;     // odd settings and texts
};

QTemporaryDir *GeneratedPagesInChromium::s_dir = nullptr;
PhpServer *GeneratedPagesInChromium::s_server = nullptr;
std::map<QString, QJsonObject> GeneratedPagesInChromium::s_results;
std::map<QString, QJsonObject> GeneratedPagesInChromium::s_odd;

double num(const QJsonObject &o, const char *key)
{
    return o[QString::fromLatin1(key)].toDouble();
}

TEST_F(GeneratedPagesInChromium, OnAPhoneEveryControlLiesOnTheScreen)
{
    for (const auto &[name, result] : s_results) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(result[QStringLiteral("errors")].toArray().isEmpty())
            << QJsonDocument(result[QStringLiteral("errors")].toArray()).toJson().toStdString();
        const QJsonObject phone = result[QStringLiteral("phone")].toObject();
        const double width = num(phone, "innerWidth");
        EXPECT_EQ(width, 390);
        EXPECT_LE(num(phone, "scrollWidth"), width) << "the page scrolls sideways";
        const QJsonArray controls = phone[QStringLiteral("controls")].toArray();
        EXPECT_GE(controls.size(), 20);
        for (const QJsonValue &value : controls) {
            const QJsonObject c = value.toObject();
            const std::string control = c[QStringLiteral("name")].toString().toStdString();
            EXPECT_GE(num(c, "left"), 0) << control;
            EXPECT_LE(num(c, "right"), width) << control;
            EXPECT_TRUE(c[QStringLiteral("reachable")].toBool()) << control << " cannot be tapped";
            EXPECT_GE(num(c, "height"), 44) << control << " is too small for a finger";
        }
        // Both tables take the screen's width, the order table below the fields.
        const QJsonObject fields = phone[QStringLiteral("fieldTable")].toObject();
        const QJsonObject order = phone[QStringLiteral("orderTable")].toObject();
        EXPECT_GE(num(fields, "left"), 0);
        EXPECT_LE(num(fields, "right"), width);
        EXPECT_GT(num(fields, "width"), width - 40);
        EXPECT_GT(num(order, "width"), width - 40);
        EXPECT_GE(num(order, "top"), num(fields, "bottom"));
        // Each article is a block with the owner's column captions.
        const QJsonArray articles = phone[QStringLiteral("articles")].toArray();
        ASSERT_EQ(articles.size(), 4);
        const QString soap = articles[0][QStringLiteral("text")].toString();
        for (const char *caption :
             {"Stückzahl", "Artikel", "Preis/Stück", "Summe", "Seife Lavendel", "Größe", "4,50 €"})
            EXPECT_TRUE(soap.contains(QString::fromUtf8(caption))) << caption << " missing in\n"
                                                                   << soap.toStdString();
        for (const QJsonValue &a : articles) {
            const QJsonObject box = a[QStringLiteral("box")].toObject();
            EXPECT_GE(num(box, "left"), 0);
            EXPECT_LE(num(box, "right"), width);
        }
    }
}

TEST_F(GeneratedPagesInChromium, OnAPhoneTheFormIsFilledInAndSentByTapping)
{
    for (const auto &[name, result] : s_results) {
        if (name.endsWith(u"-captcha"))
            continue;
        SCOPED_TRACE(name.toStdString());
        const QJsonObject phone = result[QStringLiteral("phone")].toObject();
        const QJsonObject values = phone[QStringLiteral("values")].toObject();
        for (const auto &[field, value] : expectedTotals)
            EXPECT_EQ(values[QString::fromLatin1(field)].toString(), QString::fromUtf8(value))
                << field;
        const QString sentTo = phone[QStringLiteral("sentTo")].toString();
        if (name.startsWith(u"php")) {
            EXPECT_TRUE(sentTo.endsWith(u"/danke.htm")) << sentTo.toStdString();
        } else {
            EXPECT_TRUE(sentTo.endsWith(u"/formmail.php")) << sentTo.toStdString();
            const QString post = phone[QStringLiteral("post")].toString();
            EXPECT_TRUE(post.contains(u"name=\"b_gesamt\"\r\n\r\n47,75 €")) << post.toStdString();
            EXPECT_TRUE(post.contains(u"name=\"name\"\r\n\r\nMax Müller"));
        }
    }
    // Each PHP script mailed its order to the shop and its confirmation of
    // receipt to the customer, both with the order's total.
    const QStringList mails = QDir(s_dir->filePath(QStringLiteral("mails"))).entryList(QDir::Files);
    ASSERT_EQ(mails.size(), 2 * qsizetype(std::size(alignments)));
    for (const QString &mail : mails) {
        // The text part is base64 of UTF-8.
        const QString text =
            vq::test::parseMail(readFile(s_dir->filePath(QStringLiteral("mails/") + mail))).text();
        EXPECT_TRUE(text.contains(u"Gesamt: 47,75 €")) << text.toStdString();
        EXPECT_TRUE(text.contains(u"Prägung: Für Oma"));
    }
}

TEST_F(GeneratedPagesInChromium, OnADesktopTheTablesKeepWidthAndAlignment)
{
    for (const auto &[name, result] : s_results) {
        SCOPED_TRACE(name.toStdString());
        const QJsonObject desktop = result[QStringLiteral("desktop")].toObject();
        EXPECT_LE(num(desktop, "scrollWidth"), num(desktop, "innerWidth"));
        const QJsonObject form = desktop[QStringLiteral("form")].toObject();
        const QJsonObject orderBox = desktop[QStringLiteral("orderBox")].toObject();
        const QString alignment = name.section(u'-', 1, 1);
        const std::pair<QJsonObject, QJsonObject> tables[] = {
            {desktop[QStringLiteral("fieldTable")].toObject(), form},
            {desktop[QStringLiteral("orderTable")].toObject(), orderBox},
        };
        // "Zurücksetzen" brings the totals back with the quantities: only the
        // fixed-price shipping remains.
        EXPECT_EQ(desktop[QStringLiteral("afterReset")].toString(), QStringLiteral("4,90 €"));
        for (const auto &[table, box] : tables) {
            EXPECT_NEAR(num(table, "width"), 600, 1);
            if (alignment == u"links")
                EXPECT_NEAR(num(table, "left"), num(box, "left"), 1);
            else if (alignment == u"rechts")
                EXPECT_NEAR(num(table, "right"), num(box, "right"), 1);
            else
                EXPECT_NEAR(num(table, "left") - num(box, "left"),
                            num(box, "right") - num(table, "right"), 1);
        }
    }
}

QString violationsText(const QJsonArray &violations)
{
    QString text;
    for (const QJsonValue &v : violations) {
        const QString impact = v[QStringLiteral("impact")].toString();
        if (impact == u"critical" || impact == u"serious")
            text += impact + u' ' + v[QStringLiteral("id")].toString() + u": "
                    + v[QStringLiteral("help")].toString() + u" at "
                    + QString::fromUtf8(QJsonDocument(v[QStringLiteral("nodes")].toArray())
                                            .toJson(QJsonDocument::Compact))
                    + u'\n';
    }
    return text;
}

TEST_F(GeneratedPagesInChromium, AxeFindsNoCriticalOrSeriousViolation)
{
    for (const auto &[name, result] : s_results) {
        SCOPED_TRACE(name.toStdString());
        for (const char *view : {"phone", "desktop", "refused"}) {
            const QJsonObject checked = result[QString::fromLatin1(view)].toObject();
            if (checked.isEmpty())
                continue;
            ASSERT_TRUE(checked[QStringLiteral("axe")].isArray()) << view;
            EXPECT_EQ(violationsText(checked[QStringLiteral("axe")].toArray()), QString()) << view;
        }
    }
}

TEST_F(GeneratedPagesInChromium, ScreenReadersFindEveryControlByItsName)
{
    for (const auto &[name, result] : s_results) {
        if (!name.contains(u"zentriert"))
            continue;
        SCOPED_TRACE(name.toStdString());
        const QJsonArray found =
            result[QStringLiteral("desktop")][QStringLiteral("roles")].toArray();
        std::vector<const char *> expected;
        for (const auto &[role, control] : namedControls)
            expected.push_back(control);
        if (name.endsWith(u"-captcha"))
            for (const auto &[role, control] : captchaControls)
                expected.push_back(control);
        ASSERT_EQ(found.size(), qsizetype(expected.size()));
        for (qsizetype i = 0; i < found.size(); ++i) {
            const QJsonObject f = found[i].toObject();
            const std::string wanted =
                (f[QStringLiteral("role")].toString() + u' ' + f[QStringLiteral("name")].toString())
                    .toStdString();
            ASSERT_EQ(f[QStringLiteral("count")].toInt(), 1) << wanted;
            if (*expected[size_t(i)]) {
                EXPECT_EQ(f[QStringLiteral("control")].toString(),
                          QString::fromLatin1(expected[size_t(i)]))
                    << wanted;
            }
        }
    }
}

TEST_F(GeneratedPagesInChromium, TheTabKeyReachesEveryControlInPageOrder)
{
    const char *const order[] = {
        "anrede",   "name",     "email",     "strasse",
        "plz",      "land",     "nachricht", "agb",
        "b_anz0",   "b_opt0_0", "b_opt0_1",  "b_opt0_2",
        "b_opt1_0", "b_anz2",   "b_anz3",    "zahlungspflichtig bestellen"};
    for (const auto &[name, result] : s_results) {
        if (!name.contains(u"zentriert"))
            continue;
        SCOPED_TRACE(name.toStdString());
        QStringList reached;
        for (const QJsonValue &v :
             result[QStringLiteral("desktop")][QStringLiteral("tabs")].toArray())
            reached << v.toString();
        qsizetype last = -1;
        for (const char *control : order) {
            const qsizetype at = reached.indexOf(QString::fromLatin1(control));
            EXPECT_GT(at, last) << control
                                << " not reached in order: " << reached.join(u' ').toStdString();
            last = std::max(last, at);
        }
        if (name.endsWith(u"-captcha")) {
            const qsizetype box = reached.indexOf(u"captcha_input");
            EXPECT_GE(box, 0);
            EXPECT_EQ(reached.indexOf(u"Neuen Code anzeigen"), box + 1);
        }
    }
}

TEST_F(GeneratedPagesInChromium, ARefusedPostOfThePhpScriptIsToldInAnAlertRegion)
{
    const QJsonObject refused =
        s_results[QStringLiteral("php-zentriert-captcha")][QStringLiteral("refused")].toObject();
    ASSERT_FALSE(refused.isEmpty());
    EXPECT_EQ(refused[QStringLiteral("role")].toString(), QStringLiteral("alert"));
    const QString text = refused[QStringLiteral("text")].toString();
    for (const char *message :
         {"Bitte prüfen Sie Ihre Eingaben:", "Bitte geben Sie einen Wert in das Feld Name ein!",
          "Bitte aktivieren Sie das Feld Ich akzeptiere die AGB!",
          "Fehler, bitte übertragen Sie die Zahl aus dem Bild!"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(message))) << message << " missing in\n"
                                                               << text.toStdString();
    QStringList invalid;
    for (const QJsonValue &v : refused[QStringLiteral("invalid")].toArray())
        invalid << v.toString();
    for (const char *control : {"name", "email", "plz", "land", "agb", "anrede", "captcha_input"})
        EXPECT_TRUE(invalid.contains(QString::fromLatin1(control))) << control;
    // Fields that were not required, and the order table, are not marked.
    for (const char *control : {"strasse", "nachricht", "b_anz0"})
        EXPECT_FALSE(invalid.contains(QString::fromLatin1(control))) << control;
    const QJsonObject descriptions = refused[QStringLiteral("descriptions")].toObject();
    EXPECT_EQ(descriptions[QStringLiteral("name")].toString(),
              QStringLiteral("Bitte geben Sie einen Wert in das Feld Name ein!"));
    EXPECT_EQ(descriptions[QStringLiteral("captcha_input")].toString(),
              QStringLiteral("Fehler, bitte übertragen Sie die Zahl aus dem Bild!"));
}

TEST_F(GeneratedPagesInChromium, OddSettingsAndTextsNeitherBreakTheScriptNorTheNames)
{
    for (const auto &[name, result] : s_odd) {
        SCOPED_TRACE(name.toStdString());
        const bool articles = name.endsWith(u"-texte");
        EXPECT_TRUE(result[QStringLiteral("errors")].toArray().isEmpty())
            << QJsonDocument(result[QStringLiteral("errors")].toArray()).toJson().toStdString();
        const QJsonObject phone = result[QStringLiteral("phone")].toObject();
        EXPECT_LE(num(phone, "scrollWidth"), num(phone, "innerWidth"));
        for (const QJsonValue &value : phone[QStringLiteral("controls")].toArray()) {
            EXPECT_GE(num(value.toObject(), "left"), 0);
            EXPECT_LE(num(value.toObject(), "right"), num(phone, "innerWidth"));
        }
        // Without articles the order table is not shown.
        EXPECT_EQ(phone[QStringLiteral("orderTable")].toObject()[QStringLiteral("width")].toDouble()
                      > 0,
                  articles);
        for (const char *view : {"phone", "desktop"})
            EXPECT_EQ(
                violationsText(result[QString::fromLatin1(view)][QStringLiteral("axe")].toArray()),
                QString())
                << view;
        const QJsonObject desktop = result[QStringLiteral("desktop")].toObject();
        // 75 % of the room beside the page's padding.
        EXPECT_NEAR(num(desktop[QStringLiteral("fieldTable")].toObject(), "width"),
                    0.75 * num(desktop[QStringLiteral("form")].toObject(), "width"), 1);
        const QJsonArray found = desktop[QStringLiteral("roles")].toArray();
        ASSERT_EQ(found.size(), articles ? 1 + qsizetype(std::size(oddOrderControls)) : 1);
        EXPECT_EQ(found[0][QStringLiteral("control")].toString(), QStringLiteral("name"));
        for (qsizetype i = 1; i < found.size(); ++i) {
            const QJsonObject f = found[i].toObject();
            EXPECT_EQ(f[QStringLiteral("control")].toString(),
                      QString::fromLatin1(oddOrderControls[i - 1].second))
                << f[QStringLiteral("name")].toString().toStdString() << " found "
                << f[QStringLiteral("count")].toInt();
        }
    }
}

} // namespace
