// The field and article template libraries: listing, inserting, saving,
// deleting, and libraries that are missing, damaged or written by hand.
#include "common/xml_document.h"
#include "designer/model/template_library.h"
#include "tests/test_support.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vq;
using namespace vq::test;

namespace {

struct Libraries
{
    QTemporaryDir dir;
    QString fields = dir.filePath(QStringLiteral("vorlagen.xml"));
    QString articles = dir.filePath(QStringLiteral("vorlagen_artikel.xml"));
    Libraries()
    {
        writeFile(fields, "<?xml version=\"1.0\"?><vorlagen/>");
        writeFile(articles, "<?xml version=\"1.0\"?><vorlagen/>");
    }
};

} // namespace

TEST(Templates, SavedFieldIsListedAndInsertsAsAnEqualField)
{
    Libraries lib;
    TEinzField email;
    email.Name = QStringLiteral("email");
    email.Beschriftung = QStringLiteral("E-Mail");
    email.Pflicht = true;
    email.PflichtFeldTyp = 1;
    TZwField zw;
    zw.Beschriftung = QStringLiteral("Zwischentext");
    QString error;
    ASSERT_TRUE(saveFieldAsTemplate(lib.fields, email, &error)) << error.toStdString();
    ASSERT_TRUE(saveFieldAsTemplate(lib.fields, zw, &error));

    const TemplateLists lists = RefreshTemplateLists(lib.fields, lib.articles);
    EXPECT_TRUE(lists.error.isEmpty());
    EXPECT_EQ(lists.fields,
              (QStringList{QStringLiteral("E-Mail"), QStringLiteral("Zwischentext")}));

    XmlDocument doc;
    ASSERT_TRUE(doc.loadFile(lib.fields, &error));
    EXPECT_EQ(childElements(doc.root()).last().tagName(), QStringLiteral("feld"));

    FieldList fields;
    ASSERT_TRUE(insertFieldTemplate(lib.fields, 0, fields, &error));
    ASSERT_TRUE(insertFieldTemplate(lib.fields, 0, fields, &error)); // twice: same name twice
    ASSERT_TRUE(insertFieldTemplate(lib.fields, 1, fields, &error));
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_TRUE(fields[0]->equals(email));
    EXPECT_EQ(fields[1]->Name, QStringLiteral("email"));
    EXPECT_EQ(fields[2]->kind(), FieldKind::Zw);

    // Nothing chosen: nothing happens.
    ASSERT_TRUE(insertFieldTemplate(lib.fields, -1, fields, &error));
    EXPECT_EQ(fields.size(), 3u);
}

TEST(Templates, SavedArticleIsListedUnderItsName)
{
    Libraries lib;
    TArtikelField artikel;
    artikel.name = QStringLiteral("Kaffee");
    artikel.preis = 8.5;
    artikel.mwst = 7;
    auto select = std::make_unique<TSelectOption>();
    select->beschriftung = QStringLiteral("Mahlgrad");
    select->defaultWert = QStringLiteral("fein#grob");
    artikel.listOptionen.push_back(std::move(select));
    QString error;
    ASSERT_TRUE(saveArticleAsTemplate(lib.articles, artikel, &error));
    const TemplateLists lists = RefreshTemplateLists(lib.fields, lib.articles);
    EXPECT_EQ(lists.articles, QStringList{QStringLiteral("Kaffee")});
    TArtikelList articles;
    ASSERT_TRUE(insertArticleTemplate(lib.articles, 0, articles, &error));
    ASSERT_EQ(articles.size(), 1u);
    EXPECT_TRUE(articles[0]->equals(artikel));
}

TEST(Templates, LibrariesWithProjectElementNamesWork)
{
    Libraries lib;
    writeFile(lib.fields,
              "<irgendwas><forms><typ>TZwField</typ><beschriftung>A</beschriftung></forms>"
              "<article-ish><typ>TZwField</typ><beschriftung>B</beschriftung></article-ish>"
              "</irgendwas>");
    const TemplateLists lists = RefreshTemplateLists(lib.fields, lib.articles);
    EXPECT_EQ(lists.fields, (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
}

TEST(Templates, DeletingTheSecondOfThree)
{
    Libraries lib;
    QString error;
    for (const char *text : {"eins", "zwei", "drei"}) {
        TZwField zw;
        zw.Beschriftung = QString::fromLatin1(text);
        ASSERT_TRUE(saveFieldAsTemplate(lib.fields, zw, &error));
    }
    ASSERT_TRUE(deleteTemplate(lib.fields, 1, &error));
    EXPECT_EQ(RefreshTemplateLists(lib.fields, lib.articles).fields,
              (QStringList{QStringLiteral("eins"), QStringLiteral("drei")}));
}

TEST(Templates, DamagedLibraries)
{
    struct Case
    {
        const char *what;
        QByteArray fieldLibrary;
        QByteArray articleLibrary;
        QStringList fields;
        QStringList articles;
    };
    const QByteArray article = "<l><feld><name>Tee</name></feld></l>";
    const Case cases[] = {
        {"field library not well-formed: neither list", "<l><feld>", article, {}, {}},
        {"template without beschriftung stops the list there",
         "<l><f><beschriftung>a</beschriftung></f><f/><f><beschriftung>c</beschriftung></f></l>",
         article,
         {QStringLiteral("a")},
         {}},
        {"article library damaged: fields stay", "<l/>", "kaputt", {}, {}},
        {"both fine", "<l/>", article, {}, {QStringLiteral("Tee")}},
    };
    for (const Case &c : cases) {
        Libraries lib;
        writeFile(lib.fields, c.fieldLibrary);
        writeFile(lib.articles, c.articleLibrary);
        const TemplateLists lists = RefreshTemplateLists(lib.fields, lib.articles);
        EXPECT_EQ(lists.fields, c.fields) << c.what;
        EXPECT_EQ(lists.articles, c.articles) << c.what;
        EXPECT_EQ(lists.error.isEmpty(), c.what == std::string("both fine")) << c.what;
    }

    Libraries missing;
    QFile::remove(missing.fields);
    EXPECT_FALSE(RefreshTemplateLists(missing.fields, missing.articles).error.isEmpty());
}

TEST(Templates, TemplateThatDoesNotReadIsNotInserted)
{
    Libraries lib;
    writeFile(lib.fields,
              "<l><feld><typ>TEinzField</typ><beschriftung>kaputt</beschriftung></feld></l>");
    FieldList fields;
    QString error;
    EXPECT_FALSE(insertFieldTemplate(lib.fields, 0, fields, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(fields.empty());
}

TEST(Templates, FailedWriteKeepsTheLibrary)
{
    Libraries lib;
    const QByteArray before = readFile(lib.fields);
    TEinzField field;
    field.Beschriftung = QString(4000, u'x');
    QString error;
    {
        FileSizeLimit full(500);
        EXPECT_FALSE(saveFieldAsTemplate(lib.fields, field, &error));
    }
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readFile(lib.fields), before);
}

TEST(Templates, DeliveredLibrariesRead)
{
    const QString program = QStringLiteral(VQ_PROGRAM_DIR);
    const TemplateLists lists =
        RefreshTemplateLists(program + QStringLiteral("/vorlagen.xml"),
                             program + QStringLiteral("/vorlagen_artikel.xml"));
    ASSERT_TRUE(lists.error.isEmpty()) << lists.error.toStdString();
    EXPECT_TRUE(lists.fields.contains(QStringLiteral("E-Mail")));
    FieldList fields;
    QString error;
    for (int i = 0; i < lists.fields.size(); ++i)
        ASSERT_TRUE(
            insertFieldTemplate(program + QStringLiteral("/vorlagen.xml"), i, fields, &error))
            << error.toStdString();
    EXPECT_EQ(fields[0]->Name, QStringLiteral("email"));
    for (const QLocale &locale : {germanLocale(), englishLocale()}) {
        LocaleScope scope(locale);
        TArtikelList articles;
        for (int i = 0; i < lists.articles.size(); ++i)
            ASSERT_TRUE(insertArticleTemplate(program + QStringLiteral("/vorlagen_artikel.xml"), i,
                                              articles, &error))
                << error.toStdString();
    }
}

// Older libraries declare windows-1252. Writing one back as UTF-8 under that
// declaration garbled every umlaut on the next read, and more after each save.
TEST(Templates, WrittenLibraryDeclaresTheEncodingOfItsBytes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vorlagen.xml"));
    writeFile(path, "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<vorlagen><feld>"
                    "<typ>TZwField</typ><name>z</name><beschriftung>Gr\xF6\xDF"
                    "e</beschriftung>"
                    "</feld></vorlagen>\n");
    TZwField field;
    field.Name = QStringLiteral("hinweis");
    field.Beschriftung = QStringLiteral("Bitte wählen Sie: Äpfel");
    for (int save = 0; save < 2; ++save) {
        QString error;
        ASSERT_TRUE(saveFieldAsTemplate(path, field, &error)) << error.toStdString();
    }
    const QByteArray bytes = readFile(path);
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"))
        << bytes.left(60).toStdString();
    QString error;
    EXPECT_EQ(readTemplateCaptions(path, QString::fromLatin1(kFieldCaptionTag), &error),
              (QStringList{QStringLiteral("Größe"), field.Beschriftung, field.Beschriftung}))
        << error.toStdString();
}
