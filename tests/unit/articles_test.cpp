// Articles and their options: the XML form, older files, damaged options and
// numbers under the regional settings.
#include "common/xml_document.h"
#include "designer/model/uArtikelField.h"
#include "tests/test_support.h"

#include <functional>
#include <gtest/gtest.h>

using namespace vq;

namespace {

TArtikelField sampleArticle()
{
    TArtikelField a;
    a.artikelNummer = QStringLiteral("A-17");
    a.name = QStringLiteral("T-Shirt \"Sommer\" <neu>");
    a.beschreibung = QStringLiteral("<b>Baumwolle</b>\r\nzweite Zeile\r\ndritte");
    a.preis = 12.5;
    a.mwst = 19;
    a.artikelTyp = 2;
    a.linklabel = QStringLiteral("Weitere Informationen");
    a.link = QStringLiteral("https://www.example.com/shirt?a=1&b=2");
    a.optionenNebeneinander = true;

    auto input = std::make_unique<TInputOption>();
    input->beschriftung = QStringLiteral("Aufdruck");
    input->defaultWert = QStringLiteral("Ihr Name");
    a.listOptionen.push_back(std::move(input));

    auto select = std::make_unique<TSelectOption>();
    select->beschriftung = QStringLiteral("Größe");
    select->defaultWert = QStringLiteral("S#M# L##XL");
    a.listOptionen.push_back(std::move(select));

    auto price = std::make_unique<TSelectPriceOption>();
    price->beschriftung = QStringLiteral("Farbe");
    price->elements = {{QStringLiteral("weiß"), 0},
                       {QStringLiteral("rot"), 1.5},
                       {QStringLiteral("Rabatt"), -2.25},
                       {QStringLiteral("gold"), 1234567.89}};
    a.listOptionen.push_back(std::move(price));
    return a;
}

QByteArray articleXml(const TArtikelField &a)
{
    XmlDocument doc = XmlDocument::withRoot(QStringLiteral("article"));
    QDomElement root = doc.root();
    SaveArtikelToXML(a, root);
    return doc.toByteArray();
}

std::unique_ptr<TArtikelField> readArticle(const QByteArray &xml)
{
    XmlDocument doc;
    QString error;
    EXPECT_TRUE(doc.parse(xml, &error)) << error.toStdString();
    return LoadArtikelFromXML(doc.root());
}

} // namespace

TEST(Articles, SurviveTheXmlUnderBothLocales)
{
    for (const QLocale &locale : {test::germanLocale(), test::englishLocale()}) {
        test::LocaleScope scope(locale);
        const TArtikelField a = sampleArticle();
        const auto back = readArticle(articleXml(a));
        EXPECT_TRUE(back->equals(a)) << locale.name().toStdString();
        ASSERT_EQ(back->listOptionen.size(), 3u);
        EXPECT_EQ(back->listOptionen[0]->kind(), OptionKind::Input);
        EXPECT_EQ(back->listOptionen[1]->kind(), OptionKind::Select);
        EXPECT_EQ(back->listOptionen[2]->kind(), OptionKind::Price);
    }
}

TEST(Articles, WritesChildrenInOrderWithRegionalNumbers)
{
    test::LocaleScope scope(test::germanLocale());
    XmlDocument doc;
    QString error;
    ASSERT_TRUE(doc.parse(articleXml(sampleArticle()), &error));
    QStringList names;
    for (const QDomElement &child : childElements(doc.root()))
        names << child.tagName();
    EXPECT_EQ(names,
              (QStringList{QStringLiteral("name"), QStringLiteral("artikelNummer"),
                           QStringLiteral("beschreibung"), QStringLiteral("mwst"),
                           QStringLiteral("preis"), QStringLiteral("artikelTyp"),
                           QStringLiteral("link"), QStringLiteral("linklabel"),
                           QStringLiteral("optionenNebeneinander"), QStringLiteral("Options")}));
    const QDomElement root = doc.root();
    EXPECT_EQ(elementText(findChild(root, QStringLiteral("preis"))), QStringLiteral("12,5"));
    EXPECT_EQ(elementText(findChild(root, QStringLiteral("mwst"))), QStringLiteral("19"));
    EXPECT_EQ(elementText(findChild(root, QStringLiteral("beschreibung"))),
              QStringLiteral("<b>Baumwolle</b>#br#zweite Zeile#br#dritte"));
    const QDomElement price = childElements(findChild(root, QStringLiteral("Options")))[2];
    QStringList priceChildren;
    for (const QDomElement &child : childElements(price))
        priceChildren << child.tagName();
    EXPECT_EQ(priceChildren,
              (QStringList{QStringLiteral("beschriftung"), QStringLiteral("defaultWert"),
                           QStringLiteral("typ"), QStringLiteral("elements")}));
}

TEST(Articles, ReadsOlderAndDamagedElements)
{
    const QString base = QStringLiteral(
        "<name>N</name><artikelNummer>1</artikelNummer><preis>10</preis><mwst>7</mwst>"
        "<beschreibung>eins#br#zwei</beschreibung>");
    const QString input = QStringLiteral("<option><beschriftung>A</beschriftung><defaultWert>x</"
                                         "defaultWert><typ>Input</typ></option>");
    struct Case
    {
        const char *what;
        QString body;
        bool ok;
        std::function<void(const TArtikelField &)> check;
    };
    const Case cases[] = {
        {"festpreis True without artikelTyp is kind 1",
         QStringLiteral("<festpreis>True</festpreis>"), true,
         [](const TArtikelField &a) { EXPECT_EQ(a.artikelTyp, 1); }},
        {"artikelTyp overrides festpreis",
         QStringLiteral("<festpreis>True</festpreis><artikelTyp>2</artikelTyp>"), true,
         [](const TArtikelField &a) { EXPECT_EQ(a.artikelTyp, 2); }},
        {"neither gives kind 0", QString(), true,
         [](const TArtikelField &a) {
             EXPECT_EQ(a.artikelTyp, 0);
             EXPECT_TRUE(a.listOptionen.empty());
             EXPECT_EQ(a.beschreibung, QStringLiteral("eins\r\nzwei"));
         }},
        {"unreadable artikelTyp keeps the festpreis kind",
         QStringLiteral("<festpreis>-1</festpreis><artikelTyp>x</artikelTyp>"), true,
         [](const TArtikelField &a) { EXPECT_EQ(a.artikelTyp, 1); }},
        {"optionenNebeneinander 1",
         QStringLiteral("<optionenNebeneinander>1</optionenNebeneinander>"), true,
         [](const TArtikelField &a) { EXPECT_TRUE(a.optionenNebeneinander); }},
        {"optionenNebeneinander ja",
         QStringLiteral("<optionenNebeneinander>ja</optionenNebeneinander>"), true,
         [](const TArtikelField &a) { EXPECT_FALSE(a.optionenNebeneinander); }},
        {"link without linklabel is not read", QStringLiteral("<link>http://x</link>"), true,
         [](const TArtikelField &a) {
             EXPECT_TRUE(a.link.isEmpty());
             EXPECT_TRUE(a.linklabel.isEmpty());
         }},
        {"linklabel without link", QStringLiteral("<linklabel>Mehr</linklabel>"), true,
         [](const TArtikelField &a) {
             EXPECT_EQ(a.linklabel, QStringLiteral("Mehr"));
             EXPECT_TRUE(a.link.isEmpty());
         }},
        {"lower-case type word ends the options after the first",
         QStringLiteral("<Options>") + input
             + QStringLiteral("<option><beschriftung>P</beschriftung><defaultWert/><typ>price</typ>"
                              "</option>")
             + input + QStringLiteral("</Options>"),
         true, [](const TArtikelField &a) { EXPECT_EQ(a.listOptionen.size(), 1u); }},
        {"option without defaultWert ends the options",
         QStringLiteral("<Options>") + input + input
             + QStringLiteral("<option><beschriftung>B</beschriftung><typ>Select</typ></option>")
             + input + QStringLiteral("</Options>"),
         true, [](const TArtikelField &a) { EXPECT_EQ(a.listOptionen.size(), 2u); }},
        {"unreadable element price ends the options",
         QStringLiteral(
             "<Options><option><beschriftung>F</beschriftung><defaultWert/><typ>Price</typ>"
             "<elements><element><name>a</name><preis>x</preis></element></elements>"
             "</option>")
             + input + QStringLiteral("</Options>"),
         true, [](const TArtikelField &a) { EXPECT_TRUE(a.listOptionen.empty()); }},
        {"price option without elements",
         QStringLiteral(
             "<Options><option><beschriftung>F</beschriftung><defaultWert/><typ>Price</typ>"
             "</option></Options>"),
         true, [](const TArtikelField &a) { ASSERT_EQ(a.listOptionen.size(), 1u); }},
    };
    for (const Case &c : cases) {
        const QByteArray xml =
            (QStringLiteral("<article>") + base + c.body + QStringLiteral("</article>")).toUtf8();
        try {
            auto a = readArticle(xml);
            EXPECT_TRUE(c.ok) << c.what;
            if (c.check)
                c.check(*a);
        } catch (const ModelError &e) {
            EXPECT_FALSE(c.ok) << c.what << ": " << e.message().toStdString();
        }
    }
}

TEST(Articles, RequiredChildrenAndNumbers)
{
    struct Case
    {
        const char *what;
        const char *xml;
        const QLocale locale;
        bool ok;
        double preis;
    };
    // A file written under other regional settings still reads: its one
    // separator is the decimal separator. Thousands separators never are.
    const Case cases[] = {
        {"comma price under a point locale reads",
         "<a><name>N</name><artikelNummer/><preis>12,5</preis><mwst>19</mwst><beschreibung/></a>",
         test::englishLocale(), true, 12.5},
        {"comma price under German settings reads",
         "<a><name>N</name><artikelNummer/><preis>12,5</preis><mwst>19</mwst><beschreibung/></a>",
         test::germanLocale(), true, 12.5},
        {"point price under German settings reads",
         "<a><name>N</name><artikelNummer/><preis>12.5</preis><mwst>19</mwst><beschreibung/></a>",
         test::germanLocale(), true, 12.5},
        {"grouped price under German settings fails",
         "<a><name>N</name><artikelNummer/><preis>1.234,5</preis><mwst>19</mwst><beschreibung/></"
         "a>",
         test::germanLocale(), false, 0},
        {"grouped price under English settings fails",
         "<a><name>N</name><artikelNummer/><preis>1,234.5</preis><mwst>19</mwst><beschreibung/></"
         "a>",
         test::englishLocale(), false, 0},
        {"missing name", "<a><artikelNummer/><preis>1</preis><mwst>19</mwst><beschreibung/></a>",
         test::germanLocale(), false, 0},
        {"missing beschreibung",
         "<a><name>N</name><artikelNummer/><preis>1</preis><mwst>19</mwst></a>",
         test::germanLocale(), false, 0},
        {"empty VAT rate",
         "<a><name>N</name><artikelNummer/><preis>1</preis><mwst/><beschreibung/></a>",
         test::germanLocale(), false, 0},
    };
    for (const Case &c : cases) {
        test::LocaleScope scope(c.locale);
        try {
            auto a = readArticle(QByteArray(c.xml));
            EXPECT_TRUE(c.ok) << c.what;
            EXPECT_DOUBLE_EQ(a->preis, c.preis) << c.what;
        } catch (const ModelError &e) {
            EXPECT_FALSE(c.ok) << c.what;
            EXPECT_EQ(e.className().isEmpty(), false);
        }
    }
}

TEST(Articles, CopyIsDeep)
{
    const TArtikelField a = sampleArticle();
    TArtikelField b = a;
    static_cast<TSelectPriceOption &>(*b.listOptionen[2]).elements[0].preis = 99;
    EXPECT_FALSE(a.equals(b));
    EXPECT_EQ(static_cast<TSelectPriceOption &>(*a.listOptionen[2]).elements[0].preis, 0.0);
}
