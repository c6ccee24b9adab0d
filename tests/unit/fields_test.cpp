// Form fields: the XML form of every kind, older and damaged elements, and
// the field name lookup.
#include "common/xml_document.h"
#include "designer/model/vqform.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

using namespace vq;

namespace {

QDomElement parseElement(XmlDocument &doc, const QString &xml)
{
    QString error;
    EXPECT_TRUE(doc.parse(xml.toUtf8(), &error)) << error.toStdString();
    return doc.root();
}

std::unique_ptr<TFormField> roundTrip(const TFormField &field)
{
    XmlDocument doc = XmlDocument::withRoot(QStringLiteral("xml"));
    QDomElement element = appendElement(doc.root(), QStringLiteral("forms"));
    field.SetXMLNode(element);
    XmlDocument back;
    QString error;
    EXPECT_TRUE(back.parse(doc.toByteArray(), &error));
    return CreateFieldFromXML(findChild(back.root(), QStringLiteral("forms")));
}

void fillBase(TFormField &f, const char *name)
{
    f.Name = QString::fromLatin1(name);
    f.Beschriftung = QStringLiteral("<b>Größe</b> & \"Maß\"");
    f.BeschriftungNach = QStringLiteral("danach");
    f.Pflicht = true;
    f.Meldung = QStringLiteral("Bitte ausfüllen");
}

std::vector<std::unique_ptr<TFormField>> everyKind()
{
    std::vector<std::unique_ptr<TFormField>> fields;
    auto einz = std::make_unique<TEinzField>();
    fillBase(*einz, "email");
    einz->Vorgabewert = QStringLiteral("vor");
    einz->Groesse = QStringLiteral("15");
    einz->maxLaenge = QStringLiteral("100");
    einz->VorgabeLoeschen = true;
    einz->PflichtFeldTyp = 3;
    einz->MinPflichtLaenge = 7;
    fields.push_back(std::move(einz));

    auto mehrz = std::make_unique<TMehrzField>();
    fillBase(*mehrz, "text");
    mehrz->Vorgabewert = QStringLiteral("Zeile 1");
    mehrz->Hoehe = QStringLiteral("5");
    mehrz->Breite = QStringLiteral("40");
    mehrz->maxLaenge = QStringLiteral("500");
    mehrz->VorgabeLoeschen = true;
    mehrz->zeichenAnzeige = true;
    mehrz->zeichenAnzeigeText = QStringLiteral("Zeichen übrig");
    fields.push_back(std::move(mehrz));

    auto pass = std::make_unique<TPassField>();
    fillBase(*pass, "kennwort");
    pass->Vorgabewert = QStringLiteral("geheim");
    pass->Groesse = QStringLiteral("10");
    pass->maxLaenge = QStringLiteral("20");
    pass->VorgabeLoeschen = true;
    fields.push_back(std::move(pass));

    auto zw = std::make_unique<TZwField>();
    zw->Beschriftung = QStringLiteral("<h3>Lieferadresse</h3>");
    fields.push_back(std::move(zw));

    auto drop = std::make_unique<TDropDownField>();
    fillBase(*drop, "farbe");
    drop->Vorgabewert = QStringLiteral("rot");
    drop->Felder = QStringLiteral("rot# grün##blau");
    drop->Groesse = QStringLiteral("1");
    fields.push_back(std::move(drop));

    auto check = std::make_unique<TCheckBoxField>();
    fillBase(*check, "agb");
    check->Vorgabewert = QStringLiteral("ja");
    fields.push_back(std::move(check));

    auto radio = std::make_unique<TRadioField>();
    fillBase(*radio, "versand");
    radio->BeschriftungNach.clear(); // not stored for radio buttons
    radio->Vorgabewert = QStringLiteral("Post");
    radio->Felder = QStringLiteral("Post#DHL");
    fields.push_back(std::move(radio));

    auto file = std::make_unique<TFileField>();
    fillBase(*file, "anhang");
    file->Groesse = QStringLiteral("30");
    fields.push_back(std::move(file));
    return fields;
}

} // namespace

TEST(Fields, EveryKindSurvivesTheXmlUnderBothLocales)
{
    for (const QLocale &locale : {test::germanLocale(), test::englishLocale()}) {
        test::LocaleScope scope(locale);
        for (const auto &field : everyKind()) {
            auto back = roundTrip(*field);
            EXPECT_EQ(back->typeWord(), field->typeWord());
            EXPECT_TRUE(back->equals(*field)) << field->typeWord().toStdString();
        }
    }
}

TEST(Fields, NotStoredPropertiesReadBackEmpty)
{
    TRadioField radio;
    radio.Name = QStringLiteral("r");
    radio.BeschriftungNach = QStringLiteral("nach");
    EXPECT_TRUE(roundTrip(radio)->BeschriftungNach.isEmpty());

    TFileField file;
    file.Name = QStringLiteral("f");
    file.Vorgabewert = QStringLiteral("x");
    auto back = roundTrip(file);
    EXPECT_TRUE(static_cast<TFileField &>(*back).Vorgabewert.isEmpty());
}

TEST(Fields, LabelLineBreaksComeBackAsLf)
{
    TEinzField field;
    field.Name = QStringLiteral("n");
    field.Beschriftung = QStringLiteral("zwei\r\nZeilen");
    EXPECT_EQ(roundTrip(field)->Beschriftung, QStringLiteral("zwei\nZeilen"));
}

TEST(Fields, WritesChildrenInOrder)
{
    TCheckBoxField check;
    check.Name = QStringLiteral("agb");
    check.Vorgabewert = QStringLiteral("ja");
    check.Pflicht = true;
    XmlDocument doc = XmlDocument::withRoot(QStringLiteral("feld"));
    QDomElement root = doc.root();
    check.SetXMLNode(root);
    QStringList got;
    for (const QDomElement &child : childElements(root))
        got << child.tagName() + u'=' + elementText(child);
    EXPECT_EQ(got,
              (QStringList{QStringLiteral("typ=TCheckBoxField"), QStringLiteral("name=agb"),
                           QStringLiteral("beschriftung="), QStringLiteral("beschriftungnach="),
                           QStringLiteral("vorgabewert=ja"), QStringLiteral("pflicht=-1"),
                           QStringLiteral("meldung=")}));

    const std::pair<const char *, int> counts[] = {
        {"TEinzField", 12},    {"TMehrzField", 13},   {"TPassField", 10}, {"TZwField", 2},
        {"TDropDownField", 9}, {"TCheckBoxField", 7}, {"TRadioField", 7}, {"TFileField", 7}};
    for (const auto &[type, count] : counts) {
        auto field = createFieldOfType(QString::fromLatin1(type));
        XmlDocument d = XmlDocument::withRoot(QStringLiteral("feld"));
        QDomElement r = d.root();
        field->SetXMLNode(r);
        EXPECT_EQ(childElements(r).size(), count) << type;
        EXPECT_EQ(elementText(r.firstChildElement()), QString::fromLatin1(type));
    }
}

TEST(Fields, ReadsOlderAndDamagedElements)
{
    const QString einzBase = QStringLiteral(
        "<name>n</name><beschriftung>B</beschriftung><vorgabewert/><groesse>15</groesse>"
        "<maxLaenge>100</maxLaenge><meldung/>");
    struct Case
    {
        const char *what;
        QString xml;
        bool ok;
        std::function<void(const TFormField &)> check;
    };
    const Case cases[] = {
        {"older single-line field without optional elements",
         QStringLiteral("<forms><typ>TEinzField</typ>") + einzBase
             + QStringLiteral("<pflicht>0</pflicht></forms>"),
         true,
         [](const TFormField &f) {
             const auto &e = static_cast<const TEinzField &>(f);
             EXPECT_TRUE(e.BeschriftungNach.isEmpty());
             EXPECT_FALSE(e.VorgabeLoeschen);
             EXPECT_EQ(e.PflichtFeldTyp, 0);
             EXPECT_EQ(e.MinPflichtLaenge, 0);
             EXPECT_EQ(e.formatCheck, FormatCheck::None);
         }},
        {"unreadable pflichttyp falls back to 0",
         QStringLiteral("<forms><typ>TEinzField</typ>") + einzBase
             + QStringLiteral("<pflicht>1</pflicht><pflichttyp>abc</pflichttyp></forms>"),
         true,
         [](const TFormField &f) {
             EXPECT_EQ(static_cast<const TEinzField &>(f).PflichtFeldTyp, 0);
             EXPECT_TRUE(f.Pflicht);
         }},
        {"unreadable pflicht fails",
         QStringLiteral("<forms><typ>TEinzField</typ>") + einzBase
             + QStringLiteral("<pflicht>abc</pflicht></forms>"),
         false, nullptr},
        {"empty pflicht fails",
         QStringLiteral("<forms><typ>TEinzField</typ>") + einzBase
             + QStringLiteral("<pflicht></pflicht></forms>"),
         false, nullptr},
        {"missing required groesse fails",
         QStringLiteral("<forms><typ>TPassField</typ><name>n</name><beschriftung/><vorgabewert/>"
                        "<pflicht>0</pflicht><maxLaenge/><meldung/></forms>"),
         false, nullptr},
        {"type word in other letter case fails",
         QStringLiteral("<forms><typ>teinzfield</typ>") + einzBase
             + QStringLiteral("<pflicht>0</pflicht></forms>"),
         false, nullptr},
        {"unknown type word fails", QStringLiteral("<forms><typ>TUnknown</typ></forms>"), false,
         nullptr},
        {"missing typ fails", QStringLiteral("<forms><name>x</name></forms>"), false, nullptr},
        {"intermediate text with only typ and beschriftung",
         QStringLiteral("<forms><typ>TZwField</typ><beschriftung>Hallo</beschriftung></forms>"),
         true,
         [](const TFormField &f) {
             EXPECT_EQ(f.Beschriftung, QStringLiteral("Hallo"));
             EXPECT_TRUE(f.Name.isEmpty());
         }},
        {"children in another order and element names of any kind",
         QStringLiteral("<x><meldung>m</meldung><pflicht>True</pflicht><name>agb</name>"
                        "<vorgabewert>ja</vorgabewert><beschriftung>AGB</beschriftung>"
                        "<typ>TCheckBoxField</typ></x>"),
         true, [](const TFormField &f) { EXPECT_TRUE(f.Pflicht); }},
    };
    for (const Case &c : cases) {
        XmlDocument doc;
        const QDomElement element = parseElement(doc, c.xml);
        try {
            auto field = CreateFieldFromXML(element);
            EXPECT_TRUE(c.ok) << c.what;
            if (c.check)
                c.check(*field);
        } catch (const ModelError &e) {
            EXPECT_FALSE(c.ok) << c.what << ": " << e.message().toStdString();
        }
    }
}

TEST(Fields, FormatCheckIsWrittenLastAndOnlyWhenSet)
{
    const std::pair<FormatCheck, const char *> checks[] = {
        {FormatCheck::VatId, "ustidnr"},
        {FormatCheck::LeitwegId, "leitwegid"},
        {FormatCheck::EInvoiceAddress, "erechnungemail"}};
    for (const auto &[check, word] : checks) {
        TEinzField field;
        field.Name = QStringLiteral("UStIdNr");
        field.formatCheck = check;
        XmlDocument doc = XmlDocument::withRoot(QStringLiteral("feld"));
        QDomElement root = doc.root();
        field.SetXMLNode(root);
        const QList<QDomElement> children = childElements(root);
        ASSERT_EQ(children.size(), 13) << word;
        EXPECT_EQ(children.last().tagName(), QStringLiteral("formatpruefung"));
        EXPECT_EQ(elementText(children.last()), QString::fromLatin1(word));
        const auto back = roundTrip(field);
        EXPECT_TRUE(back->equals(field)) << word;
        TEinzField other = field;
        other.formatCheck = FormatCheck::None;
        EXPECT_FALSE(other.equals(field)) << word;
    }
    // An unknown word, from a newer version, reads as no check.
    XmlDocument doc;
    const auto field = CreateFieldFromXML(parseElement(
        doc, QStringLiteral("<forms><typ>TEinzField</typ><name>n</name><beschriftung/>"
                            "<vorgabewert/><groesse>15</groesse><maxLaenge>100</maxLaenge>"
                            "<pflicht>0</pflicht><meldung/><formatpruefung>iban"
                            "</formatpruefung></forms>")));
    EXPECT_EQ(static_cast<const TEinzField &>(*field).formatCheck, FormatCheck::None);
}

TEST(Fields, PflichtTexts)
{
    const std::pair<const char *, std::optional<bool>> cases[] = {
        {"True", true}, {"true", true},   {"1", true},       {"-1", true},
        {"0", false},   {"False", false}, {"", std::nullopt}};
    for (const auto &[text, expected] : cases) {
        XmlDocument doc;
        const QDomElement element = parseElement(
            doc, QStringLiteral("<f><typ>TCheckBoxField</typ><name>a</name><beschriftung/>"
                                "<vorgabewert/><meldung/><pflicht>%1</pflicht></f>")
                     .arg(QString::fromLatin1(text)));
        try {
            auto field = CreateFieldFromXML(element);
            ASSERT_TRUE(expected.has_value()) << text;
            EXPECT_EQ(field->Pflicht, *expected) << text;
        } catch (const ModelError &) {
            EXPECT_FALSE(expected.has_value()) << text;
        }
    }
}

TEST(Fields, GetFieldNr)
{
    FieldList fields;
    for (const char *name : {"a", "agb", "b", "agb"}) {
        auto field = std::make_unique<TEinzField>();
        field->Name = QString::fromLatin1(name);
        fields.push_back(std::move(field));
    }
    EXPECT_EQ(GetFieldNr(fields, QStringLiteral("agb")), 3);
    EXPECT_EQ(GetFieldNr(fields, QStringLiteral("a")), 0);
    EXPECT_EQ(GetFieldNr(fields, QStringLiteral("AGB")), -1);
    EXPECT_EQ(GetFieldNr(fields, QStringLiteral("")), -1);
}
