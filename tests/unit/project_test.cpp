// The project document and its file: all 80 settings, fields and articles
// through save and load, the read rules, older files, damaged files and the
// partial load, and safe writing.
#include "common/xml_document.h"
#include "designer/model/project_document.h"
#include "tests/test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace vq;
using namespace vq::test;

namespace {

const QString kMailer = QStringLiteral("https://www.ihre-domain.example/formmail.php");

// A project where every setting differs from its start value.
ProjectDocument fullProject()
{
    ProjectDocument p;
    p.FormMailerList = {kMailer};
    for (const SettingDef &def : settingTable()) {
        const QString key = QString::fromLatin1(def.key);
        switch (def.type) {
        case SettingType::Flag:
            p.setFlag(key, !p.flag(key));
            break;
        case SettingType::Index:
            p.setSetting(key, QStringLiteral("1"));
            break;
        case SettingType::Choice:
            p.setSetting(key, key == QLatin1String("cboMailFormat") ? QStringLiteral("plain")
                                                                    : QStringLiteral("rechts"));
            break;
        case SettingType::MultiLine:
            p.setSetting(key, key + QStringLiteral(" Zeile 1\r\n\r\n<b>Zeile</b> 3 & \"ü\"\r\n"));
            break;
        case SettingType::Colour:
            p.setSetting(key, QStringLiteral("12AB%1").arg(def.no, 2, 10, QLatin1Char('0')));
            break;
        case SettingType::Size:
            p.setSetting(key, QString::number(def.no));
            break;
        case SettingType::Text:
            p.setSetting(key, key + QStringLiteral(" Wert €"));
            break;
        }
    }
    auto einz = std::make_unique<TEinzField>();
    einz->Name = QStringLiteral("email");
    einz->Beschriftung = QStringLiteral("E-Mail");
    einz->Pflicht = true;
    einz->PflichtFeldTyp = 1;
    p.ListField.push_back(std::move(einz));
    auto zw = std::make_unique<TZwField>();
    zw->Beschriftung = QStringLiteral("<hr>");
    p.ListField.push_back(std::move(zw));
    auto radio = std::make_unique<TRadioField>();
    radio->Name = QStringLiteral("versand");
    radio->Felder = QStringLiteral("Post#DHL");
    p.ListField.push_back(std::move(radio));

    auto artikel = std::make_unique<TArtikelField>();
    artikel->name = QStringLiteral("Buch");
    artikel->preis = 12.5;
    artikel->mwst = 7;
    artikel->beschreibung = QStringLiteral("a\r\nb");
    auto price = std::make_unique<TSelectPriceOption>();
    price->beschriftung = QStringLiteral("Einband");
    price->elements = {{QStringLiteral("Paperback"), 0}, {QStringLiteral("Leinen"), 4.95}};
    artikel->listOptionen.push_back(std::move(price));
    p.ListArtikel.push_back(std::move(artikel));
    auto fest = std::make_unique<TArtikelField>();
    fest->name = QStringLiteral("Versand");
    fest->artikelTyp = 1;
    fest->preis = 4.9;
    p.ListArtikel.push_back(std::move(fest));
    for (const SettingDef &def : laterSettingTable())
        p.setFlag(QString::fromLatin1(def.key), true);
    return p;
}

// The file of a project with some elements of FileContent changed: a null
// text removes the element.
QByteArray editedFile(const ProjectDocument &project,
                      const std::vector<std::pair<QString, std::optional<QString>>> &edits)
{
    XmlDocument doc;
    QString error;
    EXPECT_TRUE(doc.parse(project.toXml(), &error));
    QDomElement content = findChild(doc.root(), QStringLiteral("FileContent"));
    for (const auto &[key, text] : edits) {
        QDomElement old = findChild(content, key);
        if (!text) {
            content.removeChild(old);
            continue;
        }
        QDomElement replacement = doc.dom().createElement(key);
        if (!text->isEmpty())
            replacement.appendChild(doc.dom().createTextNode(*text));
        if (old.isNull())
            content.insertBefore(replacement, findChild(content, QStringLiteral("ItemList")));
        else
            content.replaceChild(replacement, old);
    }
    return doc.toByteArray();
}

} // namespace

TEST(Project, EverySettingFieldAndArticleSurvivesSaveAndLoad)
{
    for (const QLocale &locale : {germanLocale(), englishLocale()}) {
        LocaleScope scope(locale);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("projekt.vqb"));
        const ProjectDocument saved = fullProject();
        QString error;
        ASSERT_TRUE(saved.SaveProject(path, &error)) << error.toStdString();

        ProjectDocument loaded;
        loaded.FormMailerList = {QStringLiteral("https://anders.example.com/")};
        const LoadResult result = loaded.LoadProject(path);
        ASSERT_TRUE(result.ok) << result.errorMessage.toStdString();
        for (const SettingDef &def : settingTable()) {
            const QString key = QString::fromLatin1(def.key);
            EXPECT_EQ(loaded.setting(key), saved.setting(key)) << def.key;
        }
        EXPECT_TRUE(loaded.equals(saved));

        // Saving again writes the same bytes: no line break grows a CR.
        const QString again = dir.filePath(QStringLiteral("nochmal.vqb"));
        ASSERT_TRUE(loaded.SaveProject(again, &error));
        EXPECT_EQ(readFile(again), readFile(path));
    }
}

TEST(Project, FileStructure)
{
    XmlDocument doc;
    QString error;
    ASSERT_TRUE(doc.parse(fullProject().toXml(), &error));
    EXPECT_EQ(doc.root().tagName(), QStringLiteral("xml"));
    const QDomElement info = findChild(doc.root(), QStringLiteral("FileInfo"));
    EXPECT_EQ(elementText(findChild(info, QStringLiteral("Prog"))),
              QStringLiteral("VQ-Bestellformular"));
    EXPECT_EQ(elementText(findChild(info, QStringLiteral("Version"))), QStringLiteral("1"));
    const QList<QDomElement> content =
        childElements(findChild(doc.root(), QStringLiteral("FileContent")));
    const int later = int(laterSettingTable().size());
    ASSERT_EQ(content.size(), 80 + later + 2);
    for (int i = 0; i < 80; ++i)
        EXPECT_EQ(content[i].tagName(), QString::fromLatin1(settingTable()[size_t(i)].key));
    // Settings added later come after the 80, where older readers skip them.
    for (int i = 0; i < later; ++i)
        EXPECT_EQ(content[80 + i].tagName(),
                  QString::fromLatin1(laterSettingTable()[size_t(i)].key));
    EXPECT_EQ(content[80].tagName(), QStringLiteral("chkFtpTls"));
    EXPECT_EQ(elementText(content[80]), QStringLiteral("-1"));
    const QDomElement items = content[80 + later];
    const QDomElement articles = content[80 + later + 1];
    EXPECT_EQ(items.tagName(), QStringLiteral("ItemList"));
    EXPECT_EQ(articles.tagName(), QStringLiteral("ArticleList"));
    EXPECT_EQ(childElements(items).first().tagName(), QStringLiteral("forms"));
    EXPECT_EQ(childElements(articles).first().tagName(), QStringLiteral("article"));
    // Flags as -1/0, the upload format as its index.
    EXPECT_EQ(elementText(content[25]), QStringLiteral("-1")); // cbCryptAddr
    EXPECT_EQ(elementText(content[42]), QStringLiteral("1"));  // cboUploadFormat
}

TEST(Project, OlderFileGetsTheDefaultsOfMissingSettings)
{
    const QStringList missing = {QStringLiteral("edtTabKopfColor"),
                                 QStringLiteral("edtErrorColor"),
                                 QStringLiteral("edtAnzahl"),
                                 QStringLiteral("edtBeschreibung"),
                                 QStringLiteral("edtEinzelpreis"),
                                 QStringLiteral("edtGesamtpreis"),
                                 QStringLiteral("edtMwstLabel"),
                                 QStringLiteral("edtGesamtLabel"),
                                 QStringLiteral("edtWaehrung"),
                                 QStringLiteral("cboTarget"),
                                 QStringLiteral("encoding"),
                                 QStringLiteral("tax"),
                                 QStringLiteral("CaptchaErrorMessage"),
                                 QStringLiteral("cartActive"),
                                 QStringLiteral("chkCaptcha"),
                                 QStringLiteral("cboStandardButton"),
                                 QStringLiteral("chkPrintButton"),
                                 QStringLiteral("cboStandardFeld"),
                                 QStringLiteral("chkFtpTls"),
                                 QStringLiteral("edtFtpZertifikat")};
    const ProjectDocument source = fullProject();
    std::vector<std::pair<QString, std::optional<QString>>> edits;
    for (const QString &key : missing)
        edits.emplace_back(key, std::nullopt);

    ProjectDocument p;
    p.setFlag(QStringLiteral("chkCaptcha"), true);
    p.setFlag(QStringLiteral("cboStandardButton"), false);
    p.setFlag(QStringLiteral("chkPrintButton"), true);
    p.setFlag(QStringLiteral("cboStandardFeld"), false);
    p.setFlag(QStringLiteral("chkFtpTls"), true);
    p.setSetting(QStringLiteral("edtFtpZertifikat"), QStringLiteral("/etc/alt.pem"));
    ASSERT_TRUE(p.loadFromBytes(editedFile(source, edits)).ok);

    const std::pair<const char *, const char *> expected[] = {
        {"edtTabKopfColor", "CCCCCC"},
        {"edtErrorColor", "FF0000"},
        {"edtAnzahl", "Anzahl"},
        {"edtBeschreibung", "Beschreibung"},
        {"edtEinzelpreis", "Einzelpreis"},
        {"edtGesamtpreis", "Gesamtpreis"},
        {"edtMwstLabel", "enthaltene MwSt.:"},
        {"edtGesamtLabel", "Gesamt:"},
        {"edtWaehrung", "€"},
        {"cboTarget", "_self"},
        {"encoding", "windows-1252"},
        {"tax", "brutto"},
        {"CaptchaErrorMessage",
         "Falsche Eingabe im Spam-Schutz-Feld. Bitte überprüfen Sie Ihre Eingaben."},
        {"cartActive", "-1"},
        {"chkCaptcha", "0"},
        // The three design check boxes keep what they had.
        {"cboStandardButton", "0"},
        {"chkPrintButton", "-1"},
        {"cboStandardFeld", "0"},
        // A file from before FTPS uploads in plain FTP, as it always did.
        {"chkFtpTls", "0"},
        // and trusts the system's certificates.
        {"edtFtpZertifikat", ""}};
    for (const auto &[key, value] : expected)
        EXPECT_EQ(p.setting(QString::fromLatin1(key)), QString::fromUtf8(value)) << key;
    EXPECT_EQ(p.ListField.size(), 3u);
}

TEST(Project, ReadRules)
{
    struct Case
    {
        const char *key;
        std::optional<QString> text; // nullopt: element missing
        QString before;
        QString after;
        bool loads;
    };
    const QString none;
    const Case cases[] = {
        // T: LF becomes CR LF; missing gives the empty text.
        {"memoEinleitung", QStringLiteral("a\nb"), none, QStringLiteral("a\r\nb"), true},
        {"edtFormTitel", std::nullopt, QStringLiteral("alt"), QString(), true},
        // D: an empty element is present and gives the empty text.
        {"encoding", QString(), QStringLiteral("utf-8"), QString(), true},
        {"tax", std::nullopt, QStringLiteral("netto"), QStringLiteral("brutto"), true},
        // L
        {"cboTabAusrichtung", QStringLiteral("rechts"), QStringLiteral("zentriert"),
         QStringLiteral("rechts"), true},
        {"cboTabAusrichtung", QStringLiteral("oben"), QStringLiteral("links"),
         QStringLiteral("links"), true},
        {"cboTabAusrichtung", std::nullopt, QStringLiteral("links"), QStringLiteral("links"), true},
        // F
        {"chkAbsender", QStringLiteral("True"), QStringLiteral("0"), QStringLiteral("-1"), true},
        {"chkAbsender", std::nullopt, QStringLiteral("-1"), QStringLiteral("0"), true},
        {"chkAbsender", QStringLiteral("vielleicht"), QStringLiteral("0"), QStringLiteral("0"),
         false},
        {"chkAbsender", QString(), QStringLiteral("0"), QStringLiteral("0"), false},
        // C
        {"chkCaptcha", QStringLiteral("x"), QStringLiteral("-1"), QStringLiteral("-1"), true},
        {"chkCaptcha", std::nullopt, QStringLiteral("-1"), QStringLiteral("0"), true},
        {"chkCaptcha", QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("-1"), true},
        // K
        {"chkPrintButton", QStringLiteral("x"), QStringLiteral("-1"), QStringLiteral("-1"), true},
        {"chkPrintButton", QStringLiteral("false"), QStringLiteral("-1"), QStringLiteral("0"),
         true},
        // A
        {"cartActive", QStringLiteral("x"), QStringLiteral("0"), QStringLiteral("-1"), true},
        {"cartActive", QStringLiteral("0"), QStringLiteral("-1"), QStringLiteral("0"), true},
        {"cartActive", std::nullopt, QStringLiteral("0"), QStringLiteral("-1"), true},
        // I
        {"cboUploadFormat", QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("1"), true},
        {"cboUploadFormat", std::nullopt, QStringLiteral("1"), QStringLiteral("0"), true},
        {"cboUploadFormat", QStringLiteral("x"), QStringLiteral("0"), QStringLiteral("0"), false},
        {"cboUploadFormat", QStringLiteral("7"), QStringLiteral("0"), QStringLiteral("-1"), true},
        // M
        {"cboMailFormat", QStringLiteral("plain"), QStringLiteral("html"), QStringLiteral("plain"),
         true},
        {"cboMailFormat", QStringLiteral("Plain"), QStringLiteral("html"), QStringLiteral("html"),
         true},
        {"cboMailFormat", QStringLiteral("xml"), QStringLiteral("html"), QString(), true},
        {"cboMailFormat", std::nullopt, QStringLiteral("plain"), QStringLiteral("plain"), true},
        // R
        {"cboFormMailer", QString(), QStringLiteral("alt"), kMailer, true},
        {"cboFormMailer", std::nullopt, QStringLiteral("alt"), kMailer, true},
        {"cboFormMailer", QStringLiteral("https://mein.example.org/fm.php"), QStringLiteral("alt"),
         QStringLiteral("https://mein.example.org/fm.php"), true},
    };
    const ProjectDocument source = fullProject();
    for (const Case &c : cases) {
        const QString key = QString::fromLatin1(c.key);
        ProjectDocument p;
        p.FormMailerList = {kMailer, QStringLiteral("https://zwei.example.com/")};
        p.setSetting(key, c.before);
        const LoadResult result = p.loadFromBytes(editedFile(source, {{key, c.text}}));
        EXPECT_EQ(result.ok, c.loads)
            << c.key << " " << c.text.value_or(QStringLiteral("(fehlt)")).toStdString();
        EXPECT_EQ(p.setting(key), c.after)
            << c.key << " " << c.text.value_or(QStringLiteral("(fehlt)")).toStdString();
    }
}

TEST(Project, WrongFilesAndTheirMessages)
{
    const QByteArray good = fullProject().toXml();
    struct Case
    {
        const char *what;
        QByteArray bytes;
        bool ok;
        const char *errorClass;
        const char *message;
    };
    QByteArray capitals = good;
    capitals.replace("<Prog>VQ-Bestellformular</Prog>", "<Prog>VQ-BESTELLFORMULAR</Prog>");
    QByteArray noVersion = good;
    noVersion.replace("<Version>1</Version>", "");
    QByteArray noProg = good;
    noProg.replace("<Prog>VQ-Bestellformular</Prog>", "");
    QByteArray noItems = good;
    noItems.replace("<ItemList>", "<Items>").replace("</ItemList>", "</Items>");
    const Case cases[] = {
        {"product name in capitals", capitals, false, "Exception", "Wrong File"},
        {"no Prog", noProg, false, "Exception", "Wrong File"},
        {"no Version", noVersion, true, "", ""},
        {"not well-formed", good.left(good.size() / 2), false, "EDOMParseError", nullptr},
        {"empty file", QByteArray(), false, "EDOMParseError", nullptr},
        {"no ItemList", noItems, false, "Exception", nullptr},
        {"other XML", "<html><body/></html>", false, "Exception", nullptr},
    };
    for (const Case &c : cases) {
        ProjectDocument p;
        p.setSetting(QStringLiteral("edtFormTitel"), QStringLiteral("unverändert"));
        const LoadResult result = p.loadFromBytes(c.bytes);
        EXPECT_EQ(result.ok, c.ok) << c.what;
        if (c.ok)
            continue;
        EXPECT_EQ(result.errorClass, QString::fromLatin1(c.errorClass)) << c.what;
        if (c.message) {
            EXPECT_EQ(result.errorMessage, QString::fromLatin1(c.message)) << c.what;
        }
        const QStringList messages = result.messages();
        ASSERT_EQ(messages.size(), 3);
        EXPECT_EQ(messages[0],
                  QStringLiteral("Die Datei scheint keine VQ-Bestellformular-Datei zu sein."));
        EXPECT_EQ(messages[1], QStringLiteral("Exception class name = ") + result.errorClass);
        EXPECT_EQ(messages[2], QStringLiteral("Exception message = ") + result.errorMessage);
        // A file that is no project at all changes nothing.
        EXPECT_EQ(p.setting(QStringLiteral("edtFormTitel")), QStringLiteral("unverändert"))
            << c.what;
    }
}

TEST(Project, MissingFileIsReported)
{
    ProjectDocument p;
    const LoadResult result = p.LoadProject(QStringLiteral("/nicht/da/projekt.vqb"));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.errorClass, QStringLiteral("EFOpenError"));
    EXPECT_TRUE(result.errorMessage.contains(QStringLiteral("/nicht/da/projekt.vqb")));
}

TEST(Project, FailedLoadKeepsWhatWasAppliedBefore)
{
    ProjectDocument source = fullProject();
    source.setSetting(QStringLiteral("edtFormTitel"), QStringLiteral("Neu"));

    // Upload format "x": settings applied before it (1-35, 44-57, 36-42) stay,
    // the ones after it (58-80) and the lists are untouched.
    {
        ProjectDocument p;
        auto old = std::make_unique<TEinzField>();
        old->Name = QStringLiteral("alt");
        p.ListField.push_back(std::move(old));
        const LoadResult result = p.loadFromBytes(
            editedFile(source, {{QStringLiteral("cboUploadFormat"), QStringLiteral("x")}}));
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.errorClass, QStringLiteral("EConvertError"));
        EXPECT_EQ(p.setting(QStringLiteral("edtFormTitel")), QStringLiteral("Neu"));
        EXPECT_EQ(p.setting(QStringLiteral("tax")), source.setting(QStringLiteral("tax")));
        EXPECT_EQ(p.setting(QStringLiteral("chkPassiv")), QStringLiteral("-1"));
        EXPECT_EQ(p.setting(QStringLiteral("edtCaptchaText1")), QStringLiteral("Spam-Schutz"));
        ASSERT_EQ(p.ListField.size(), 1u);
        EXPECT_EQ(p.ListField[0]->Name, QStringLiteral("alt"));
    }

    // A third field of unknown type: the first two are in the list, the old
    // articles stay.
    {
        QByteArray bytes = source.toXml();
        const QByteArray marker = "<typ>TRadioField</typ>";
        ASSERT_TRUE(bytes.contains(marker));
        bytes.replace(marker, "<typ>TUnknown</typ>");
        ProjectDocument p;
        auto oldArticle = std::make_unique<TArtikelField>();
        oldArticle->name = QStringLiteral("alter Artikel");
        p.ListArtikel.push_back(std::move(oldArticle));
        const LoadResult result = p.loadFromBytes(bytes);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.messages().size(), 3);
        ASSERT_EQ(p.ListField.size(), 2u);
        EXPECT_EQ(p.ListField[0]->Name, QStringLiteral("email"));
        ASSERT_EQ(p.ListArtikel.size(), 1u);
        EXPECT_EQ(p.ListArtikel[0]->name, QStringLiteral("alter Artikel"));
    }
}

TEST(Project, MultiLineSettingStaysStableOverManySaves)
{
    QTemporaryDir dir;
    ProjectDocument p;
    p.setSetting(QStringLiteral("memoMailtext"),
                 QStringLiteral("Hallo {#Name#},\r\n\r\ndanke.\r\n"));
    auto field = std::make_unique<TEinzField>();
    field->Name = QStringLiteral("n");
    field->Beschriftung = QStringLiteral("zwei\r\nZeilen");
    p.ListField.push_back(std::move(field));
    const QString path = dir.filePath(QStringLiteral("p.vqb"));
    QByteArray first;
    for (int round = 0; round < 3; ++round) {
        QString error;
        ASSERT_TRUE(p.SaveProject(path, &error));
        if (round == 0)
            first = readFile(path);
        else
            EXPECT_EQ(readFile(path), first) << "round " << round;
        ASSERT_TRUE(p.LoadProject(path).ok);
    }
    EXPECT_EQ(p.setting(QStringLiteral("memoMailtext")),
              QStringLiteral("Hallo {#Name#},\r\n\r\ndanke.\r\n"));
    EXPECT_EQ(p.ListField[0]->Beschriftung, QStringLiteral("zwei\nZeilen"));
}

TEST(Project, FailedSaveLeavesTheOldFileAndTheDocument)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.vqb"));
    const ProjectDocument small;
    QString error;
    ASSERT_TRUE(small.SaveProject(path, &error));
    const QByteArray before = readFile(path);

    ProjectDocument big = fullProject();
    for (int i = 0; i < 200; ++i)
        big.ListField.push_back(big.ListField[0]->clone());
    const ProjectDocument copy = big;
    {
        FileSizeLimit full(before.size() + 100);
        EXPECT_FALSE(big.SaveProject(path, &error));
    }
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readFile(path), before);
    EXPECT_TRUE(big.equals(copy));
}

TEST(Project, DeliveredDefaultProjectHoldsTheStartValues)
{
    ProjectDocument p;
    p.FormMailerList = {kMailer};
    const LoadResult result = p.NewProject(QStringLiteral(VQ_PROGRAM_DIR));
    ASSERT_TRUE(result.ok) << result.errorMessage.toStdString();
    const ProjectDocument start;
    for (const SettingDef &def : settingTable()) {
        const QString key = QString::fromLatin1(def.key);
        const QString expected = def.missingValue && QString::fromUtf16(def.startValue).isEmpty()
                                     ? QString::fromUtf16(def.missingValue)
                                     : start.setting(key);
        // The delivered project writes new forms in UTF-8 and mails them as HTML.
        if (key == QLatin1String("encoding")) {
            EXPECT_EQ(p.setting(key), QStringLiteral("utf-8"));
        } else if (key == QLatin1String("cboMailFormat")) {
            EXPECT_EQ(p.setting(key), QStringLiteral("html"));
        } else if (key == QLatin1String("cartActive")) {
            EXPECT_TRUE(p.flag(key));
        } else {
            EXPECT_EQ(p.setting(key), expected) << def.key;
        }
    }
    EXPECT_TRUE(p.ListField.empty());
    EXPECT_TRUE(p.ListArtikel.empty());
}
