// What the windows compute without widgets: the binding of page settings to
// controls, colour texts, list rows, placeholders, moving rows, the preview's
// change test, and the form-mailer list file.
#include "designer/publishing/formmailer_list.h"
#include "designer/ui_logic/window_logic.h"
#include "tests/test_support.h"

#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vq;
using namespace vq::ui;
using namespace vq::test;

TEST(SettingControls, EveryPageSettingHasExactlyOneControlOnATab)
{
    QSet<QString> expected;
    for (const SettingDef &def : settingTable())
        if (def.no < 44 || def.no > 57) // the extended settings have their dialogs
            expected.insert(QString::fromLatin1(def.key));
    ASSERT_EQ(expected.size(), 66);
    for (const SettingDef &def : laterSettingTable())
        expected.insert(QString::fromLatin1(def.key));

    QSet<QString> seen;
    const QStringList tabs = tabCaptions();
    for (const SettingControl &control : settingControls()) {
        SCOPED_TRACE(control.key.toStdString());
        EXPECT_TRUE(expected.contains(control.key));
        EXPECT_FALSE(seen.contains(control.key)) << "twice";
        seen.insert(control.key);
        EXPECT_TRUE(tabs.contains(control.tab));
        EXPECT_FALSE(control.label.isEmpty());
        if (!control.beside.isEmpty()) {
            EXPECT_NE(findSettingControl(control.beside), nullptr);
        }
        // The kind of control follows the kind of setting.
        const SettingType type = findSetting(control.key)->type;
        switch (type) {
        case SettingType::Flag:
            EXPECT_EQ(control.kind, ControlKind::CheckBox);
            break;
        case SettingType::Colour:
            EXPECT_EQ(control.kind, ControlKind::ColourEdit);
            break;
        case SettingType::Size:
            EXPECT_EQ(control.kind, ControlKind::SpinBox);
            break;
        case SettingType::MultiLine:
            EXPECT_EQ(control.kind, ControlKind::MultiLine);
            break;
        case SettingType::Index:
            EXPECT_EQ(control.kind, ControlKind::IndexCombo);
            break;
        case SettingType::Choice:
            EXPECT_EQ(control.kind, ControlKind::ChoiceCombo);
            break;
        case SettingType::Text:
            break;
        }
    }
    EXPECT_EQ(seen, expected);
    // Each colour edit has its button.
    for (const ColourPair &pair : colourPairs())
        EXPECT_EQ(findSettingControl(QString::fromLatin1(pair.edit))->kind,
                  ControlKind::ColourEdit);
}

TEST(SettingControls, TabsInOrder)
{
    EXPECT_EQ(tabCaptions(),
              (QStringList{QStringLiteral("Artikel"), QStringLiteral("Felder"),
                           QStringLiteral("Einstellungen"), QStringLiteral("Beschriftungen"),
                           QStringLiteral("Design / CSS"), QStringLiteral("FTP + Spamschutz"),
                           QStringLiteral("Mailtext"), QStringLiteral("HTML-Code"),
                           QStringLiteral("PHP-Code"), QStringLiteral("Vorschau")}));
}

TEST(Colours, TextAndColour)
{
    struct Case
    {
        const char *text;
        std::optional<QColor> colour;
    } cases[] = {
        {"00ff00", QColor(0, 255, 0)},
        {"FF0000", QColor(255, 0, 0)},
        {"a0A0a4", QColor(160, 160, 164)},
        {"000000", QColor(0, 0, 0)},
        {"", std::nullopt},
        {"12345", std::nullopt},
        {"1234567", std::nullopt},
        {"#12345", std::nullopt},
        {"GG0000", std::nullopt},
        {" 00ff0", std::nullopt},
        {"-12345", std::nullopt},
        {"0x1234", std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(colourFromText(QString::fromLatin1(c.text)), c.colour);
    }
    EXPECT_EQ(colourText(QColor(255, 0, 0)), QStringLiteral("FF0000"));
    EXPECT_EQ(colourText(QColor(10, 11, 171)), QStringLiteral("0A0BAB"));
}

TEST(ListRows, FieldAndArticleRows)
{
    TEinzField field;
    field.Name = QStringLiteral("email");
    field.Beschriftung = QStringLiteral("E-Mail");
    field.Pflicht = true;
    EXPECT_EQ(fieldRow(field), (QStringList{QStringLiteral("email"), QStringLiteral("E-Mail"),
                                            field.kindCaption(), QStringLiteral("X")}));
    field.Pflicht = false;
    EXPECT_EQ(fieldRow(field).last(), QString());

    TArtikelField artikel;
    artikel.artikelNummer = QStringLiteral("A-1");
    artikel.name = QStringLiteral("Tee");
    artikel.preis = 12.5;
    artikel.mwst = 19;
    artikel.artikelTyp = 1;
    EXPECT_EQ(articleRow(artikel, germanLocale()),
              (QStringList{QStringLiteral("A-1"), QStringLiteral("Tee"), QStringLiteral("12,5"),
                           QStringLiteral("19"), QStringLiteral("Festpreis Artikel")}));
    EXPECT_EQ(articleRow(artikel, englishLocale())[2], QStringLiteral("12.5"));
}

TEST(Placeholders, OnlyFieldsThatCarryAValue)
{
    FieldList fields;
    auto add = [&](std::unique_ptr<TFormField> field, const char *name) {
        field->Name = QString::fromLatin1(name);
        fields.push_back(std::move(field));
    };
    add(std::make_unique<TPassField>(), "pw");
    add(std::make_unique<TFileField>(), "datei");
    add(std::make_unique<TZwField>(), "zwischen");
    add(std::make_unique<TCheckBoxField>(), "agb");
    EXPECT_EQ(placeholderNames(fields), (QStringList{QStringLiteral("pw"), QStringLiteral("agb")}));
    EXPECT_EQ(placeholderText(QStringLiteral("pw")), QStringLiteral("{#pw#}"));
    EXPECT_EQ(placeholderText(QString()), QString());
    EXPECT_TRUE(hasUploadField(fields));
    EXPECT_FALSE(hasSenderField(fields));
    add(std::make_unique<TEinzField>(), "Email");
    EXPECT_FALSE(hasSenderField(fields)) << "the name must be exactly \"email\"";
    add(std::make_unique<TEinzField>(), "email");
    EXPECT_TRUE(hasSenderField(fields));
}

TEST(MoveEntry, KeepsTheEntryAndStopsAtTheEnds)
{
    struct Case
    {
        int row;
        int delta;
        int result;
        const char *order;
    } cases[] = {
        {1, -1, 0, "bac"},  {1, 1, 2, "acb"},    {0, -1, -1, "abc"}, {2, 1, -1, "abc"},
        {-1, 1, -1, "abc"}, {-1, -1, -1, "abc"}, {3, -1, -1, "abc"}, {0, 1, 1, "bac"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.row << " " << c.delta);
        std::vector<char> list{'a', 'b', 'c'};
        EXPECT_EQ(moveEntry(list, c.row, c.delta), c.result);
        EXPECT_EQ(std::string(list.begin(), list.end()), c.order);
    }
}

TEST(PreviewChange, IgnoresTheFormIdOnly)
{
    const QString page =
        QStringLiteral("<input name=\"vq_formid\" value=\"%1\"><img src=\"x?id=%1\"> 120 %2");
    PreviewChange change;
    EXPECT_TRUE(
        change.changed(page.arg(QStringLiteral("12"), QStringLiteral("a")), QStringLiteral("12")));
    EXPECT_FALSE(change.changed(page.arg(QStringLiteral("4711"), QStringLiteral("a")),
                                QStringLiteral("4711")))
        << "only the form id differs";
    EXPECT_TRUE(
        change.changed(page.arg(QStringLiteral("5"), QStringLiteral("b")), QStringLiteral("5")));
    EXPECT_FALSE(
        change.changed(page.arg(QStringLiteral("6"), QStringLiteral("b")), QStringLiteral("6")));
    change.forget();
    EXPECT_TRUE(
        change.changed(page.arg(QStringLiteral("6"), QStringLiteral("b")), QStringLiteral("6")));
    EXPECT_EQ(pageWithoutFormId(QStringLiteral("12 123 312 12"), QStringLiteral("12")),
              QStringLiteral(" 123 312 "));
}

TEST(FormMailerList, ReadsWhatItCanAndWritesSafely)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("formmailers.xml"));
    EXPECT_TRUE(readFormMailerList(path).isEmpty()) << "no file";
    const QStringList list{QStringLiteral("https://a.example/fm.php"),
                           QStringLiteral("https://b.example/fm.php?x=1&y=<2>"), QString()};
    QString error;
    ASSERT_TRUE(writeFormMailerList(path, list, &error)) << error.toStdString();
    EXPECT_EQ(readFormMailerList(path), list);
    EXPECT_TRUE(readFile(path).contains("<formmailers>"));

    struct Case
    {
        const char *name;
        QByteArray bytes;
        QStringList entries;
    } cases[] = {
        {"other root name",
         "<liste><formmailers><formmail>x</formmail></formmailers></liste>",
         {QStringLiteral("x")}},
        {"no formmailers", "<xml><mailer><formmail>x</formmail></mailer></xml>", {}},
        {"not well-formed", "<xml><formmailers><formmail>x</formmail>", {}},
        {"empty file", "", {}},
        {"any element name",
         "<xml><formmailers><a>1</a><b>2</b></formmailers></xml>",
         {QStringLiteral("1"), QStringLiteral("2")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(path, c.bytes);
        EXPECT_EQ(readFormMailerList(path), c.entries);
    }
}
