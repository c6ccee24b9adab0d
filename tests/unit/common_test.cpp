// The shared helpers: regional numbers, XML value readers, choice lists, the
// XML layer and the file-writing rule for generated text.
#include "common/GlobalFunctions.h"
#include "common/choice_list.h"
#include "common/regional_numbers.h"
#include "common/text_file.h"
#include "common/xml_document.h"
#include "common/xml_values.h"
#include "tests/test_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vq;
using namespace vq::test;

TEST(RegionalNumbers, WritesGeneralFormByLocale)
{
    struct Case
    {
        double value;
        const char *german;
        const char *english;
    };
    const Case cases[] = {
        {12.5, "12,5", "12.5"},
        {19, "19", "19"},
        {0, "0", "0"},
        {-0.0, "0", "0"},
        {-3.25, "-3,25", "-3.25"},
        {1234567.5, "1234567,5", "1234567.5"}, // no thousands separator
        {0.1 + 0.2, "0,3", "0.3"},             // 15 significant digits
        {123456789012.345, "123456789012,345", "123456789012.345"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(formatRegionalNumber(c.value, germanLocale()), QString::fromUtf8(c.german));
        EXPECT_EQ(formatRegionalNumber(c.value, englishLocale()), QString::fromUtf8(c.english));
    }
}

TEST(RegionalNumbers, ReadsOnlyTheLocalesForm)
{
    struct Case
    {
        const char *text;
        bool germanOk;
        double germanValue;
        bool englishOk;
        double englishValue;
    };
    const Case cases[] = {
        {"12,5", true, 12.5, false, 0},  {"12.5", false, 0, true, 12.5},
        {"19", true, 19, true, 19},      {"-2,50", true, -2.5, false, 0},
        {"1.234,5", false, 0, false, 0}, // thousands separators are refused
        {"", false, 0, false, 0},        {"abc", false, 0, false, 0},
        {"inf", false, 0, false, 0},
    };
    for (const Case &c : cases) {
        bool ok = true;
        const QString text = QString::fromUtf8(c.text);
        const double german = parseRegionalNumber(text, &ok, germanLocale());
        EXPECT_EQ(ok, c.germanOk) << c.text;
        if (ok) {
            EXPECT_DOUBLE_EQ(german, c.germanValue) << c.text;
        }
        const double english = parseRegionalNumber(text, &ok, englishLocale());
        EXPECT_EQ(ok, c.englishOk) << c.text;
        if (ok) {
            EXPECT_DOUBLE_EQ(english, c.englishValue) << c.text;
        }
    }
}

TEST(RegionalNumbers, FilesOfOtherSettingsReadWithTheirOneSeparator)
{
    struct Case
    {
        const char *text;
        bool ok;
        double value;
    };
    const Case cases[] = {
        {"12,5", true, 12.5},  {"12.5", true, 12.5},  {"-2,50", true, -2.5},   {"19", true, 19},
        {"1.234,5", false, 0}, {"1,234.5", false, 0}, {"1.234.567", false, 0}, {"", false, 0},
        {"12,5,0", false, 0},  {"abc", false, 0},
    };
    for (const QLocale &locale : {germanLocale(), englishLocale(), QLocale::c()}) {
        for (const Case &c : cases) {
            bool ok = !c.ok;
            const double value = parseFileNumber(QString::fromUtf8(c.text), &ok, locale);
            EXPECT_EQ(ok, c.ok) << c.text << " " << locale.name().toStdString();
            if (ok) {
                EXPECT_DOUBLE_EQ(value, c.value) << c.text;
            }
        }
    }
}

TEST(XmlValues, BooleansAndIntegers)
{
    struct Case
    {
        const char *text;
        std::optional<bool> boolean;
        std::optional<int> integer;
    };
    const Case cases[] = {
        {"-1", true, -1},   {"1", true, 1},           {"0", false, 0},      {"True", true, {}},
        {"true", true, {}}, {"TRUE", true, {}},       {"False", false, {}}, {"false", false, {}},
        {"", {}, {}},       {"abc", {}, {}},          {"ja", {}, {}},       {" 1", true, {}},
        {"42", true, 42},   {"2147483648", true, {}}, {"1x", {}, {}},       {"nan", {}, {}},
        {"inf", {}, {}},
    };
    for (const Case &c : cases) {
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(readXmlBool(text), c.boolean) << '"' << c.text << '"';
        EXPECT_EQ(readXmlInt(text), c.integer) << '"' << c.text << '"';
    }
    EXPECT_EQ(boolText(true), QStringLiteral("-1"));
    EXPECT_EQ(boolText(false), QStringLiteral("0"));
}

TEST(ChoiceList, SplitsByTheRules)
{
    struct Case
    {
        const char *text;
        QStringList choices;
    };
    const Case cases[] = {
        {"rot# grün##blau",
         {QStringLiteral("rot"), QStringLiteral("grün"), QStringLiteral("blau")}},
        {"'a#b'#c", {QStringLiteral("'a#b'"), QStringLiteral("c")}},
        {"\"x#y\"#z", {QStringLiteral("\"x#y\""), QStringLiteral("z")}},
        {"S#M# L##XL",
         {QStringLiteral("S"), QStringLiteral("M"), QStringLiteral("L"), QStringLiteral("XL")}},
        {"", {}},
        {"###", {}},
        {"eins\r\nzwei\nd\rrei",
         {QStringLiteral("eins"), QStringLiteral("zwei"), QStringLiteral("d"),
          QStringLiteral("rei")}},
        {"\t  a  #b ", {QStringLiteral("a  "), QStringLiteral("b ")}}, // trailing blanks stay
        {"'offen#bis zum Ende", {QStringLiteral("'offen#bis zum Ende")}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(splitChoiceList(QString::fromUtf8(c.text)), c.choices) << c.text;
}

TEST(XmlLayer, LineBreaksAreWrittenPlainAndReadAsLf)
{
    XmlDocument doc = XmlDocument::withRoot(QStringLiteral("xml"));
    appendTextElement(doc.root(), QStringLiteral("a"), QStringLiteral("eins\r\nzwei\rdrei\nvier"));
    const QByteArray bytes = doc.toByteArray();
    EXPECT_FALSE(bytes.contains("&#xd;"));
    EXPECT_FALSE(bytes.contains('\r'));

    XmlDocument back;
    QString error;
    ASSERT_TRUE(back.parse(bytes, &error)) << error.toStdString();
    EXPECT_EQ(elementText(findChild(back.root(), QStringLiteral("a"))),
              QStringLiteral("eins\nzwei\ndrei\nvier"));
}

TEST(XmlLayer, KeepsWhiteSpaceOnlyTextAndMarkupCharacters)
{
    const QString texts[] = {QStringLiteral(" "), QStringLiteral("\r\n"), QStringLiteral("  \t "),
                             QStringLiteral("<b>fett</b> & \"zitiert\" ]]>"),
                             QStringLiteral("€ ő 😀")};
    for (const QString &text : texts) {
        XmlDocument doc = XmlDocument::withRoot(QStringLiteral("xml"));
        appendTextElement(doc.root(), QStringLiteral("a"), text);
        XmlDocument back;
        QString error;
        ASSERT_TRUE(back.parse(doc.toByteArray(), &error)) << error.toStdString();
        QString expected = text;
        expected.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        EXPECT_EQ(elementText(findChild(back.root(), QStringLiteral("a"))), expected);
    }
}

TEST(XmlLayer, LeavesOutCharactersXmlCannotHold)
{
    XmlDocument doc = XmlDocument::withRoot(QStringLiteral("xml"));
    QString text = QStringLiteral("a");
    text += QChar(0x01);
    text += QChar(0xD800); // unpaired surrogate
    text += QStringLiteral("b");
    appendTextElement(doc.root(), QStringLiteral("a"), text);
    XmlDocument back;
    QString error;
    ASSERT_TRUE(back.parse(doc.toByteArray(), &error)) << error.toStdString();
    EXPECT_EQ(elementText(findChild(back.root(), QStringLiteral("a"))), QStringLiteral("ab"));
}

TEST(XmlLayer, ReportsFilesThatDoNotParse)
{
    QTemporaryDir dir;
    XmlDocument doc;
    QString error;
    EXPECT_FALSE(doc.loadFile(dir.filePath(QStringLiteral("fehlt.xml")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("fehlt.xml")));

    const QString broken = dir.filePath(QStringLiteral("kaputt.xml"));
    writeFile(broken, "<xml><a>offen</xml>");
    error.clear();
    EXPECT_FALSE(doc.loadFile(broken, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("Zeile 1"))) << error.toStdString();
    EXPECT_TRUE(doc.root().isNull());
}

TEST(XmlLayer, RefusesElementsNestedBeyondTheLimitAtOnce)
{
    // Unclosed or closed, a file nested 200000 deep would keep the DOM parser busy for minutes.
    const auto nested = [](int depth, bool closed) {
        QByteArray bytes = "<xml>";
        for (int i = 1; i < depth; ++i)
            bytes += "<a>";
        if (closed) {
            for (int i = 1; i < depth; ++i)
                bytes += "</a>";
            bytes += "</xml>";
        }
        return bytes;
    };
    XmlDocument doc;
    QString error;
    EXPECT_TRUE(doc.parse(nested(kMaxXmlDepth, true), &error)) << error.toStdString();
    for (const bool closed : {true, false}) {
        QElapsedTimer timer;
        timer.start();
        error.clear();
        EXPECT_FALSE(doc.parse(nested(200000, closed), &error));
        EXPECT_LT(timer.elapsed(), 5000);
        EXPECT_TRUE(error.contains(QStringLiteral("Ebenen"))) << error.toStdString();
        EXPECT_TRUE(doc.root().isNull());
    }
    error.clear();
    EXPECT_FALSE(doc.parse(nested(kMaxXmlDepth + 1, true), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("Zeile 1"))) << error.toStdString();
}

TEST(XmlLayer, FailedSaveLeavesTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("alt.xml"));
    writeFile(path, "<alt/>");

    XmlDocument doc = XmlDocument::withRoot(QStringLiteral("neu"));
    appendTextElement(doc.root(), QStringLiteral("a"), QString(5000, u'x'));
    QString error;
    {
        FileSizeLimit full(1000);
        EXPECT_FALSE(doc.saveFile(path, &error));
    }
    EXPECT_TRUE(error.contains(QStringLiteral("alt.xml"))) << error.toStdString();
    EXPECT_EQ(readFile(path), QByteArray("<alt/>"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("alt.xml")});
}

TEST(XmlLayer, SaveIntoMissingFolderFailsWithMessage)
{
    QTemporaryDir dir;
    XmlDocument doc = XmlDocument::withRoot(QStringLiteral("neu"));
    QString error;
    EXPECT_FALSE(doc.saveFile(dir.filePath(QStringLiteral("gibt/es/nicht.xml")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("kann nicht geschrieben werden")));
}

TEST(GeneratedText, EncodingRule)
{
    struct Case
    {
        const char *encoding;
        QString text;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"utf-8", QStringLiteral("ä€\r\nx"), QByteArray("\xEF\xBB\xBF\xC3\xA4\xE2\x82\xAC\r\nx")},
        {"windows-1252", QStringLiteral("ä€\r\nx"), QByteArray("\xE4\x80\r\nx")},
        {"UTF-8", QStringLiteral("ä"), QByteArray("\xE4")}, // only exactly "utf-8" is UTF-8
        {"", QStringLiteral("a\nb\rc"), QByteArray("a\r\nb\r\nc")},
        {"windows-1252", QStringLiteral("aőb😀c"), QByteArray("a?b?c")}, // never cut short
    };
    for (const Case &c : cases)
        EXPECT_EQ(encodeGeneratedText(c.text, QString::fromLatin1(c.encoding)), c.bytes)
            << c.encoding;
}

TEST(GeneratedText, WritesFileAndReportsFailure)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("seite.htm"));
    QString error;
    ASSERT_TRUE(
        writeGeneratedText(path, QStringLiteral("<p>ü</p>\n"), QStringLiteral("utf-8"), &error));
    EXPECT_EQ(readFile(path), QByteArray("\xEF\xBB\xBF<p>\xC3\xBC</p>\r\n"));
    EXPECT_FALSE(writeGeneratedText(dir.filePath(QStringLiteral("nein/x.htm")), QStringLiteral("x"),
                                    QString(), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(Folders, AppDataFolderIsCreatedBelowXdgDataHome)
{
    const QString folder = appDataFolder();
    EXPECT_TRUE(folder.startsWith(QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"))));
    EXPECT_TRUE(folder.endsWith(QStringLiteral("/VQ-Bestellformular")));
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

TEST(Folders, CopiesMissingFilesButNeverReplaces)
{
    // The test executable's folder stands in for the program folder.
    const QString name = QStringLiteral("kopie-test.xml");
    const QString source = programFile(name);
    writeFile(source, "<neu/>");
    const QString target = appDataFile(name);
    QFile::remove(target);
    EXPECT_TRUE(copyMissingFromProgramFolder(name));
    EXPECT_EQ(readFile(target), QByteArray("<neu/>"));
    writeFile(source, "<noch-neuer/>");
    EXPECT_TRUE(copyMissingFromProgramFolder(name));
    EXPECT_EQ(readFile(target), QByteArray("<neu/>"));
    QFile::remove(source);
}

// The one rule by which both programs find their data: below
// share/vq-bestellformular when the executable is installed as <prefix>/bin/NAME
// (also under a temporary root), beside the executable anywhere else.
TEST(Folders, DataFolderUnderShareWhenInstalledElseBesideTheExecutable)
{
    QTemporaryDir root;
    for (const char *folder : {"usr/bin", "usr/share/vq-bestellformular/rechtool",
                               "build/bin/rechtool", "opt/bin", "tools/share/vq-bestellformular"})
        ASSERT_TRUE(QDir(root.path()).mkpath(QString::fromLatin1(folder)));
    struct Case
    {
        const char *executableFolder;
        const char *installedSubfolder;
        const char *dataFolder;
    };
    const Case cases[] = {
        {"usr/bin", "", "usr/share/vq-bestellformular"},
        {"usr/bin", "rechtool", "usr/share/vq-bestellformular/rechtool"},
        {"build/bin", "", "build/bin"},
        {"build/bin/rechtool", "rechtool", "build/bin/rechtool"},
        // A bin folder without installed data beside it, and installed data
        // beside a folder that is no bin folder.
        {"opt/bin", "rechtool", "opt/bin"},
        {"tools/x", "", "tools/x"},
    };
    for (const Case &c : cases) {
        const QString executable = root.filePath(QString::fromLatin1(c.executableFolder));
        EXPECT_EQ(dataFolderOf(executable, QString::fromLatin1(c.installedSubfolder)),
                  root.filePath(QString::fromLatin1(c.dataFolder)))
            << c.executableFolder << " " << c.installedSubfolder;
    }
}

// The designer starts the invoice module from rechtool/ of its folder in a
// build, from beside itself when installed.
TEST(Folders, CompanionProgramInTheBuildFolderElseBesideTheExecutable)
{
    QTemporaryDir build;
    ASSERT_TRUE(QDir(build.path()).mkpath(QStringLiteral("rechtool")));
    const QString program = build.filePath(QStringLiteral("rechtool/vq_bestell_rechnung"));
    writeFile(program, "#!/bin/sh\n");
    const QString buildPath = QStringLiteral("rechtool/vq_bestell_rechnung");
    // Not executable yet: no program.
    EXPECT_EQ(companionProgram(build.path(), buildPath),
              QDir(executableFolder()).filePath(QStringLiteral("vq_bestell_rechnung")));
    QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
    EXPECT_EQ(companionProgram(build.path(), buildPath), program);
}
