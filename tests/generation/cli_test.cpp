// zelkin --generate as scripts use it: the page to a file or to standard
// output, and the exit status and messages of the ways it can fail.
#include "designer/model/project_document.h"
#include "tests/support/local_server.h"
#include "tests/support/page_blocks.h"
#include "tests/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vq;
using namespace vq::test;

namespace {

const QString kZelkin = QStringLiteral(VQ_PROGRAM_DIR "/zelkin");

QString saveProject(const QTemporaryDir &dir, const QString &encoding)
{
    ProjectDocument project;
    project.ExtSettings.encoding = encoding;
    project.setSetting(QStringLiteral("edtFormTitel"), QStringLiteral("Größen & Farben"));
    auto field = std::make_unique<TEinzField>();
    field->Name = QStringLiteral("name");
    field->Beschriftung = QStringLiteral("Name");
    project.ListField.push_back(std::move(field));
    const QString path = dir.filePath(encoding + QStringLiteral(".vqb"));
    QString error;
    EXPECT_TRUE(project.SaveProject(path, &error)) << error.toStdString();
    return path;
}

} // namespace

TEST(GenerateCommandLine, WritesThePageByTheFileRule)
{
    QTemporaryDir dir;
    // A PHP script never starts with a byte-order mark: PHP would print it
    // before the captcha image and the script's headers.
    struct Case
    {
        const char *kind;
        const char *encoding;
        QByteArray start;
        QByteArray title;
    } cases[] = {
        {"html", "utf-8", "\xEF\xBB\xBF<",
         "Gr\xC3\xB6\xC3\x9F"
         "en & Farben"},
        {"html", "windows-1252", "<",
         "Gr\xF6\xDF"
         "en & Farben"},
        {"php", "utf-8", "<?php",
         "Gr\xC3\xB6\xC3\x9F"
         "en & Farben"},
        {"php", "windows-1252", "<?php",
         "Gr\xF6\xDF"
         "en & Farben"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.kind) + " " + c.encoding);
        const QString project = saveProject(dir, QString::fromLatin1(c.encoding));
        const QString output = dir.filePath(QStringLiteral("seite.") + QString::fromLatin1(c.kind));
        QByteArray out, err;
        EXPECT_EQ(runProgram(kZelkin,
                             {QStringLiteral("--generate"), QString::fromLatin1(c.kind),
                              QStringLiteral("--output"), output, project},
                             &out, 30000, &err),
                  0)
            << err.toStdString();
        const QByteArray page = readFile(output);
        EXPECT_TRUE(page.startsWith(c.start));
        EXPECT_TRUE(page.contains(c.title));
        EXPECT_TRUE(page.contains("\r\n"));
        EXPECT_FALSE(QByteArray(page).replace("\r\n", "").contains('\n'))
            << "a line end without CR";
        EXPECT_FALSE(page.contains("<!-- FIELDS -->"));
    }
}

TEST(GenerateCommandLine, PrintsUtf8ToStandardOutput)
{
    QTemporaryDir dir;
    const QString project = saveProject(dir, QStringLiteral("windows-1252"));
    QByteArray out;
    ASSERT_EQ(
        runProgram(kZelkin, {QStringLiteral("--generate"), QStringLiteral("php"), project}, &out),
        0);
    EXPECT_TRUE(out.startsWith("<?php"));
    EXPECT_TRUE(out.contains("Gr\xC3\xB6\xC3\x9F"
                             "en & Farben"));
    // The same lines as the file gets: CR LF, never a bare LF.
    EXPECT_TRUE(out.contains("\r\n"));
    EXPECT_FALSE(QByteArray(out).replace("\r\n", "").contains('\n'));
}

TEST(PriceListCommandLine, WritesTheProjectsPricesForTheFormMailer)
{
    QTemporaryDir dir;
    ProjectDocument project;
    project.ExtSettings.encoding = QStringLiteral("windows-1252");
    auto artikel = std::make_unique<TArtikelField>();
    artikel->artikelNummer = QStringLiteral("S-1");
    artikel->name = QStringLiteral("Seife \"Łódź\"");
    artikel->preis = 1234567.5;
    artikel->mwst = 7;
    auto input = std::make_unique<TInputOption>();
    input->beschriftung = QStringLiteral("Gravur");
    artikel->listOptionen.push_back(std::move(input));
    auto price = std::make_unique<TSelectPriceOption>();
    price->beschriftung = QStringLiteral("Größe");
    price->elements = {{QStringLiteral("klein"), 0}, {QStringLiteral("Rabatt"), -2.5}};
    artikel->listOptionen.push_back(std::move(price));
    project.ListArtikel.push_back(std::move(artikel));
    // Shipping: a fixed-price article, and a check box article beside it.
    for (const int kind : {1, 2}) {
        auto other = std::make_unique<TArtikelField>();
        other->artikelNummer = kind == 1 ? QStringLiteral("V-1") : QStringLiteral("G-1");
        other->name = kind == 1 ? QStringLiteral("Versand") : QStringLiteral("Geschenkpapier");
        other->preis = 4.9;
        other->mwst = 19;
        other->artikelTyp = kind;
        project.ListArtikel.push_back(std::move(other));
    }
    const QString path = dir.filePath(QStringLiteral("preise.vqb"));
    QString error;
    ASSERT_TRUE(project.SaveProject(path, &error)) << error.toStdString();

    const QString output = dir.filePath(QStringLiteral("vq_preisliste.json"));
    QByteArray out, err;
    ASSERT_EQ(runProgram(kZelkin,
                         {QStringLiteral("--price-list"), QStringLiteral("--output"), output, path},
                         &out, 30000, &err),
              0)
        << err.toStdString();
    const QJsonObject root = QJsonDocument::fromJson(readFile(output)).object();
    EXPECT_EQ(root.value(u"format").toString(), QStringLiteral("vq-preisliste"));
    EXPECT_EQ(root.value(u"version").toInt(), 1);
    EXPECT_EQ(root.value(u"tax").toString(), QStringLiteral("brutto"));
    const QJsonArray articles = root.value(u"articles").toArray();
    ASSERT_EQ(articles.size(), 3);
    const QJsonObject seife = articles.at(0).toObject();
    // Only the fixed-price article is marked: the form mailer demands it in every order.
    for (const auto &[index, fixed] :
         {std::pair{0, false}, std::pair{1, true}, std::pair{2, false}}) {
        const QJsonValue mark = articles.at(index).toObject().value(u"fixed");
        EXPECT_TRUE(mark.isBool()) << index;
        EXPECT_EQ(mark.toBool(), fixed) << index;
    }
    EXPECT_EQ(articles.at(1).toObject().value(u"price").toString(), QStringLiteral("4.9"));
    EXPECT_EQ(seife.value(u"number").toString(), QStringLiteral("S-1"));
    // As the Windows-1252 page posts it: the characters it cannot hold are "?".
    EXPECT_EQ(seife.value(u"name").toString(), QStringLiteral("Seife \"?\u00f3d?\""));
    EXPECT_EQ(seife.value(u"price").toString(), QStringLiteral("1234567.5"));
    EXPECT_EQ(seife.value(u"vat").toString(), QStringLiteral("7"));
    const QJsonArray options = seife.value(u"options").toArray();
    ASSERT_EQ(options.size(), 1) << "only price options";
    EXPECT_EQ(options.at(0).toObject().value(u"name").toString(), QStringLiteral("Größe"));
    const QJsonArray values = options.at(0).toObject().value(u"values").toArray();
    ASSERT_EQ(values.size(), 2);
    EXPECT_EQ(values.at(1).toObject().value(u"text").toString(), QStringLiteral("Rabatt"));
    EXPECT_EQ(values.at(1).toObject().value(u"surcharge").toString(), QStringLiteral("-2.50"));

    // Without --output the list goes to standard output; a wrong call fails.
    ASSERT_EQ(runProgram(kZelkin, {QStringLiteral("--price-list"), path}, &out), 0);
    EXPECT_EQ(out, readFile(output));
    EXPECT_EQ(runProgram(kZelkin, {QStringLiteral("--price-list"), path, path}, &out, 30000, &err),
              2);
    EXPECT_EQ(
        runProgram(kZelkin,
                   {QStringLiteral("--price-list"), dir.filePath(QStringLiteral("fehlt.vqb"))},
                   &out, 30000, &err),
        1);
    EXPECT_TRUE(err.contains("EFOpenError"));
}

TEST(GenerateCommandLine, Failures)
{
    QTemporaryDir dir;
    const QString good = saveProject(dir, QStringLiteral("utf-8"));
    const QString wrong = dir.filePath(QStringLiteral("falsch.vqb"));
    writeFile(wrong, "<xml><FileInfo><Prog>Anderes</Prog></FileInfo><FileContent><ItemList/>"
                     "<ArticleList/></FileContent></xml>");
    // A program folder without templates.
    const QString bare = dir.filePath(QStringLiteral("zelkin"));
    ASSERT_TRUE(QFile::copy(kZelkin, bare));
    QFile::setPermissions(bare, QFileDevice::ReadOwner | QFileDevice::ExeOwner);

    struct Case
    {
        const char *what;
        QString program;
        QStringList args;
        int status;
        QString inError;
    } cases[] = {
        {"not a project",
         kZelkin,
         {QStringLiteral("--generate"), QStringLiteral("html"), wrong},
         1,
         QStringLiteral(
             "Die Datei scheint keine VQ-Bestellformular-Datei zu sein.\nException class name = "
             "Exception\nException message = Wrong File")},
        {"missing project",
         kZelkin,
         {QStringLiteral("--generate"), QStringLiteral("html"),
          dir.filePath(QStringLiteral("fehlt.vqb"))},
         1,
         QStringLiteral("EFOpenError")},
        {"missing template",
         bare,
         {QStringLiteral("--generate"), QStringLiteral("php"), good},
         1,
         QStringLiteral("template_php.htm")},
        {"unknown page kind",
         kZelkin,
         {QStringLiteral("--generate"), QStringLiteral("pdf"), good},
         2,
         QString()},
    };
    for (const Case &c : cases) {
        QByteArray out, err;
        EXPECT_EQ(runProgram(c.program, c.args, &out, 30000, &err), c.status) << c.what;
        EXPECT_TRUE(QString::fromUtf8(err).contains(c.inError))
            << c.what << ": " << err.toStdString();
        EXPECT_TRUE(out.isEmpty()) << c.what;
    }
}

TEST(ExportIntoCommandLine, InsertsRefreshesAndRefuses)
{
    QTemporaryDir dir;
    const QString project = saveProject(dir, QStringLiteral("windows-1252"));
    const QString page = dir.filePath(QStringLiteral("shop.html"));
    const QByteArray original = "<!DOCTYPE html>\n<html><head><title>Gr\xFC\xDF"
                                "e</title></head>\n"
                                "<body><p>Willkommen</p>INPUTVQFORM</body></html>\n";
    writeFile(page, original);
    QByteArray out, err;
    const QStringList call{QStringLiteral("--export-into"), page, project};
    ASSERT_EQ(runProgram(kZelkin, call, &out, 30000, &err), 0) << err.toStdString();
    const QByteArray inserted = readFile(page);
    // What stood before <html> stays, the page keeps its Windows-1252 text.
    EXPECT_TRUE(inserted.startsWith("<!DOCTYPE html>\n<html><head>\r\n<!-- VQFORMCSSBEGIN -->"));
    EXPECT_TRUE(inserted.contains("<title>Gr\xFC\xDF"
                                  "e</title>"));
    EXPECT_TRUE(inserted.contains("<p>Willkommen</p><!-- VQFORM begin -->\r\n<form"));
    EXPECT_TRUE(inserted.contains("<!-- VQFORMJSEND -->"));
    EXPECT_FALSE(inserted.contains("INPUTVQFORM"));

    // A second run refreshes the blocks in place: the page stays the same but
    // for the form id, which every generation draws anew.
    ASSERT_EQ(runProgram(kZelkin, call, &out, 30000, &err), 0) << err.toStdString();
    const auto withoutNumbers = [](const QByteArray &bytes) {
        return QString::fromLatin1(bytes).replace(QRegularExpression(QStringLiteral("[0-9]+")),
                                                  QStringLiteral("#"));
    };
    EXPECT_EQ(withoutNumbers(readFile(page)), withoutNumbers(inserted));

    // A page with neither blocks nor mark is refused and left as it was.
    const QString plain = dir.filePath(QStringLiteral("ohne.html"));
    writeFile(plain, "<html><body>nichts</body></html>");
    EXPECT_EQ(
        runProgram(kZelkin, {QStringLiteral("--export-into"), plain, project}, &out, 30000, &err),
        1);
    EXPECT_TRUE(QString::fromLocal8Bit(err).contains(u"INPUTVQFORM")) << err.toStdString();
    EXPECT_EQ(readFile(plain), QByteArray("<html><body>nichts</body></html>"));
    EXPECT_EQ(runProgram(kZelkin,
                         {QStringLiteral("--export-into"),
                          dir.filePath(QStringLiteral("fehlt.html")), project},
                         &out, 30000, &err),
              1);
    EXPECT_EQ(runProgram(kZelkin,
                         {QStringLiteral("--export-into"), page, QStringLiteral("--generate"),
                          QStringLiteral("html"), project},
                         &out, 30000, &err),
              2);
}

// A page without a head tag is refused and left as it was, with the reason on
// standard error; a UTF-8 page stays UTF-8 under a windows-1252 project, every
// byte outside the blocks as it was; a project without captcha that posts to
// the form mailer is exported with a warning on standard error.
TEST(ExportIntoCommandLine, KeepsThePageAndWarnsOfTheCaptcha)
{
    QTemporaryDir dir;
    const auto saveWithCaptcha = [&](bool captcha) {
        ProjectDocument project;
        project.ExtSettings.encoding = QStringLiteral("windows-1252");
        project.setSetting(QStringLiteral("cboFormMailer"),
                           QStringLiteral("https://shop.example/formmail.php"));
        project.setFlag(QStringLiteral("chkCaptcha"), captcha);
        auto field = std::make_unique<TEinzField>();
        field->Name = QStringLiteral("groesse");
        field->Beschriftung = QStringLiteral("Größe ő ✓");
        project.ListField.push_back(std::move(field));
        const QString path =
            dir.filePath(captcha ? QStringLiteral("mit.vqb") : QStringLiteral("ohne.vqb"));
        QString error;
        EXPECT_TRUE(project.SaveProject(path, &error)) << error.toStdString();
        return path;
    };
    const QString withoutCaptcha = saveWithCaptcha(false);
    const QString withCaptcha = saveWithCaptcha(true);
    const QByteArray label = "Gr\xC3\xB6\xC3\x9F"
                             "e \xC5\x91 \xE2\x9C\x93";
    const struct
    {
        const char *what;
        QByteArray page;
        QString project;
        int status;
        bool warned;
    } cases[] = {
        {"no head", "<html><body><p>Shop</p>INPUTVQFORM</body></html>\n", withoutCaptcha, 1, false},
        {"UTF-8, head with attributes and a line break",
         "<!DOCTYPE html>\n<html><head lang=\"de\"\n  prefix=\"og: http://ogp.me/ns#\">"
         "<title>Gr\xC3\xBC\xC3\x9F"
         "e \xE2\x9C\x93</title></head>\n<body>INPUTVQFORM</body></html>\n",
         withoutCaptcha, 0, true},
        {"UTF-8 with byte-order mark, captcha on",
         "\xEF\xBB\xBF<HTML><HEAD><TITLE>\xC5\x91</TITLE></HEAD><BODY>INPUTVQFORM</BODY></HTML>",
         withCaptcha, 0, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const QString page = dir.filePath(QStringLiteral("seite.html"));
        writeFile(page, c.page);
        QByteArray out, err;
        EXPECT_EQ(runProgram(kZelkin, {QStringLiteral("--export-into"), page, c.project}, &out,
                             30000, &err),
                  c.status)
            << err.toStdString();
        const QString errors = QString::fromLocal8Bit(err);
        EXPECT_EQ(errors.contains(u"Captcha-Spamschutz"), c.warned) << err.toStdString();
        const QByteArray saved = readFile(page);
        if (c.status != 0) {
            EXPECT_TRUE(errors.contains(u"<head>")) << err.toStdString();
            EXPECT_EQ(saved, c.page);
            continue;
        }
        EXPECT_TRUE(saved.contains(label)) << saved.toStdString();
        EXPECT_TRUE(saved.contains("<!-- VQFORMCSSBEGIN -->"));
        // Cut the blocks out: the page's own bytes remain.
        EXPECT_EQ(withoutFormBlocks(saved), QByteArray(c.page).replace("INPUTVQFORM", ""));
    }
}

// A project without a form-mailer address posts to the first entry of the
// user's form-mailer list, as in the window; without a list of the user's own
// to the first delivered one. Without either the page would post to itself
// and its orders would be lost.
TEST(GenerateCommandLine, ProjectWithoutFormMailerTakesTheListsFirstEntry)
{
    QTemporaryDir dir;
    ProjectDocument project;
    project.setSetting(QStringLiteral("cboFormMailer"), QString());
    const QString path = dir.filePath(QStringLiteral("ohne_formmailer.vqb"));
    QString error;
    ASSERT_TRUE(project.SaveProject(path, &error)) << error.toStdString();

    const QString userList = qEnvironmentVariable("XDG_DATA_HOME")
                             + QStringLiteral("/VQ-Bestellformular/formmailers.xml");
    QFile::remove(userList);
    QByteArray out;
    ASSERT_EQ(
        runProgram(kZelkin, {QStringLiteral("--generate"), QStringLiteral("html"), path}, &out), 0);
    EXPECT_TRUE(out.contains("action=\"https://www.ihre-domain.example/formmail.php\""))
        << "the delivered list's first entry";

    QDir().mkpath(QFileInfo(userList).path());
    writeFile(userList, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xml><formmailers>"
                        "<formmail>https://mailer.example/fm.php</formmail>"
                        "<formmail>https://zweiter.example/fm.php</formmail>"
                        "</formmailers></xml>\n");
    ASSERT_EQ(
        runProgram(kZelkin, {QStringLiteral("--generate"), QStringLiteral("html"), path}, &out), 0);
    EXPECT_TRUE(out.contains("action=\"https://mailer.example/fm.php\""));
    QFile::remove(userList);
}

TEST(GenerateCommandLine, ShowsMoneyInGermanOnAnEnglishOrCDesktop)
{
    QTemporaryDir dir;
    ProjectDocument project;
    auto artikel = std::make_unique<TArtikelField>();
    artikel->artikelNummer = QStringLiteral("T-1");
    artikel->name = QStringLiteral("Tasse");
    artikel->preis = 1234.5;
    artikel->mwst = 19;
    auto price = std::make_unique<TSelectPriceOption>();
    price->beschriftung = QStringLiteral("Größe");
    price->elements = {{QStringLiteral("groß"), 1002.5}};
    artikel->listOptionen.push_back(std::move(price));
    project.ListArtikel.push_back(std::move(artikel));
    const QString path = dir.filePath(QStringLiteral("tasse.vqb"));
    QString error;
    ASSERT_TRUE(project.SaveProject(path, &error)) << error.toStdString();

    const QByteArray lcAll = qgetenv("LC_ALL"), lang = qgetenv("LANG");
    const auto restore = qScopeGuard([&] {
        lcAll.isNull() ? void(qunsetenv("LC_ALL")) : void(qputenv("LC_ALL", lcAll));
        lang.isNull() ? void(qunsetenv("LANG")) : void(qputenv("LANG", lang));
    });
    for (const char *locale : {"C", "en_US.UTF-8", "en_GB.UTF-8"}) {
        SCOPED_TRACE(locale);
        qputenv("LC_ALL", locale);
        qputenv("LANG", locale);
        QByteArray out;
        ASSERT_EQ(
            runProgram(kZelkin, {QStringLiteral("--generate"), QStringLiteral("html"), path}, &out),
            0);
        const QString page = QString::fromUtf8(out);
        // The unit price as the invoice module writes it, the surcharge as money,
        // the posted value key with a point, as the form mailer reads it.
        EXPECT_TRUE(page.contains(QStringLiteral(">1234,50 €</td>"))) << page.toStdString();
        // (The money text ends in a blank for the empty currency symbol.)
        EXPECT_TRUE(page.contains(QStringLiteral("groß - 1.002,50  €"))) << page.toStdString();
        EXPECT_TRUE(page.contains(QStringLiteral("value=\"groß#1002.50\""))) << page.toStdString();
    }
}
