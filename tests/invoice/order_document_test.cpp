// The order document of an order mail, over a table of documents: what is
// stored from a valid one, which damaged ones are refused, and hostile ones
// (entity bombs, deep nesting, huge documents, values out of range, broken
// base64) that are refused at once instead of eating memory and time.
#include "invoice/mail/order_document.h"

#include <QByteArray>
#include <functional>
#include <gtest/gtest.h>

using namespace vq::invoice;

namespace {

QByteArray b64(const char *text)
{
    return QByteArray(text).toBase64();
}

QByteArray line(const char *nr, const QByteArray &price, const QByteArray &options,
                const QByteArray &vat = b64("19"), const QByteArray &amount = b64("2"))
{
    QByteArray xml = "<article><articleNumber>" + b64(nr) + "</articleNumber><articleName>"
                     + b64("Hemd") + "</articleName>";
    if (!price.isNull())
        xml += "<price>" + price + "</price>";
    if (!vat.isNull())
        xml += "<vat>" + vat + "</vat>";
    if (!amount.isNull())
        xml += "<amount>" + amount + "</amount>";
    return xml + options + "</article>";
}

QByteArray option(const char *name, const char *value, const char *price)
{
    QByteArray xml = "<option name=\"" + b64(name) + "\"";
    if (price)
        xml += QByteArray(" price=\"") + price + "\"";
    return xml + ">" + b64(value) + "</option>";
}

QByteArray document(const QByteArray &articles,
                    const QByteArray &timestamp = "<timestamp>1700000000</timestamp>",
                    const QByteArray &moreFormdata = {}, const QByteArray &prolog = {})
{
    return "\r\n \t<?xml version=\"1.0\"?>\n" + prolog + "<order><articles>" + articles
           + "</articles><formdata><uuid>4711-abc</uuid>" + timestamp + "<Vorname>"
           + b64("J\xfcrgen") + "</Vorname>" + "<Firma>" + b64("M\x80ller & S\xf6hne")
           + "</Firma><Nachname>" + b64("M\xfcller") + "</Nachname><company>192.0.2.7</company>"
           + moreFormdata + "</formdata></order>\r\n\x01";
}

// The classic entity bomb: ten levels of ten references each.
QByteArray entityBomb()
{
    QByteArray dtd = "<!DOCTYPE order [<!ENTITY e0 \"AAAAAAAAAA\">";
    for (int i = 1; i <= 10; ++i) {
        dtd += "<!ENTITY e" + QByteArray::number(i) + " \"";
        for (int k = 0; k < 10; ++k)
            dtd += "&e" + QByteArray::number(i - 1) + ";";
        dtd += "\">";
    }
    return dtd + "]>";
}

QByteArray nested(int levels, bool closed)
{
    QByteArray xml =
        "<order><formdata><uuid>tief</uuid><timestamp>0</timestamp></formdata><articles>";
    xml += QByteArray("<a>").repeated(levels);
    if (closed)
        xml += QByteArray("</a>").repeated(levels);
    return xml + (closed ? "</articles></order>" : "");
}

const QByteArray kOneOption = "<options>"
                              + option("Gr\xf6\xdf"
                                       "e",
                                       "XL", "1.5")
                              + "</options>";

struct Case
{
    const char *name;
    QByteArray body;
    bool valid;
    std::function<void(const OrderDocument &)> check;
    const char *errorPart = nullptr; // a refused document: part of the message
};

// Test names and failure messages show the case by its name.
void PrintTo(const Case &c, std::ostream *os)
{
    *os << c.name;
}

class OrderDocumentTest : public testing::TestWithParam<Case>
{
};

TEST_P(OrderDocumentTest, Reads)
{
    const Case &c = GetParam();
    OrderDocument doc;
    QString error;
    const bool ok = readOrderDocument(c.body, &doc, &error);
    ASSERT_EQ(ok, c.valid) << error.toStdString();
    if (ok && c.check) {
        c.check(doc);
    } else if (!ok) {
        EXPECT_FALSE(error.isEmpty());
        if (c.errorPart) {
            EXPECT_TRUE(error.contains(QString::fromUtf8(c.errorPart))) << error.toStdString();
        }
        // Nothing of a refused document is handed on but its identifier.
        EXPECT_TRUE(doc.lines.isEmpty());
        EXPECT_TRUE(doc.order.name.isEmpty());
    }
}

const Case kCases[] = {
    {"Valid", document(line("A-1", b64("12.5"), kOneOption)), true,
     [](const OrderDocument &d) {
         EXPECT_EQ(d.order.uuid, QStringLiteral("4711-abc"));
         // base64 values are Windows-1252 text.
         EXPECT_EQ(d.order.name, QStringLiteral("Jürgen"));
         EXPECT_EQ(d.order.firma, QStringLiteral("M€ller & Söhne"));
         EXPECT_EQ(d.order.nachname, QStringLiteral("Müller"));
         EXPECT_EQ(d.order.ip, QStringLiteral("192.0.2.7"));
         EXPECT_TRUE(d.order.strasse.isEmpty()); // missing element: empty text
         ASSERT_EQ(d.lines.size(), 1);
         EXPECT_EQ(d.lines[0].nr, QStringLiteral("A-1"));
         EXPECT_EQ(d.lines[0].preis, 12.5);
         EXPECT_EQ(d.lines[0].mwst, 19);
         EXPECT_EQ(d.lines[0].anzahl, 2);
         ASSERT_EQ(d.lines[0].optionen.size(), 1);
         EXPECT_EQ(d.lines[0].optionen[0].name, QStringLiteral("Größe"));
         EXPECT_EQ(d.lines[0].optionen[0].wert, QStringLiteral("XL"));
         EXPECT_EQ(d.lines[0].optionen[0].preis, 1.5);
     }},
    {"ThreeLinesSecondWithEmptyOptions",
     document(line("1", b64("1"), kOneOption) + line("2", b64("2"), "<options/>") + line("3", b64("3"), kOneOption)),
     true,
     [](const OrderDocument &d) {
         ASSERT_EQ(d.lines.size(), 3);
         EXPECT_EQ(d.lines[0].optionen.size(), 1);
         EXPECT_TRUE(d.lines[1].optionen.isEmpty());
         EXPECT_EQ(d.lines[2].optionen.size(), 1);
         EXPECT_EQ(d.lines[2].nr, QStringLiteral("3"));
     }},
    {"PricePoint", document(line("1", b64("2.50"), "<options/>")), true,
     [](const OrderDocument &d) { EXPECT_EQ(d.lines[0].preis, 2.5); }},
    {"PriceComma", document(line("1", b64("2,50"), "<options>" + option("a", "b", "0,75") + "</options>")), true,
     [](const OrderDocument &d) {
         EXPECT_EQ(d.lines[0].preis, 2.5);
         EXPECT_EQ(d.lines[0].optionen[0].preis, 0.75);
     }},
    {"OptionPriceZeroIsNoPrice",
     document(line("1", b64("1"), "<options>" + option("a", "b", "0") + option("c", "d", "0.00") + "</options>")), true,
     [](const OrderDocument &d) {
         EXPECT_FALSE(d.lines[0].optionen[0].preis);
         EXPECT_FALSE(d.lines[0].optionen[1].preis);
     }},
    {"TimestampZero", document(line("1", b64("1"), "<options/>"), "<timestamp>0</timestamp>"), true,
     [](const OrderDocument &d) {
         EXPECT_EQ(d.order.zeit, QDateTime(QDate(1970, 1, 1), QTime(0, 0), Qt::UTC));
     }},
    {"TimestampOneDay", document(line("1", b64("1"), "<options/>"), "<timestamp>86400</timestamp>"), true,
     [](const OrderDocument &d) {
         EXPECT_EQ(d.order.zeit, QDateTime(QDate(1970, 1, 2), QTime(0, 0), Qt::UTC));
     }},
    {"NoLines", document(""), true, [](const OrderDocument &d) { EXPECT_TRUE(d.lines.isEmpty()); }},
    {"TimestampMissing", document(line("1", b64("1"), "<options/>"), ""), false, nullptr},
    {"TimestampNoNumber", document(line("1", b64("1"), "<options/>"), "<timestamp>gestern</timestamp>"), false, nullptr},
    {"OptionsMissing", document(line("1", b64("1"), "")), false, nullptr},
    {"PriceNoNumber", document(line("1", b64("zwei"), "<options/>")), false, nullptr},
    {"PriceWithThousandsSeparator", document(line("1", b64("1.234,50"), "<options/>")), false, nullptr},
    {"PriceMissing", document(line("1", QByteArray(), "<options/>")), false, nullptr},
    {"AmountNoInteger", document(line("1", b64("1"), "<options/>", b64("19"), b64("2.5"))), false, nullptr},
    {"VatMissing", document(line("1", b64("1"), "<options/>", QByteArray())), false, nullptr},
    {"OptionPriceMissing", document(line("1", b64("1"), "<options>" + option("a", "b", nullptr) + "</options>")),
     false, nullptr},
    {"OptionPriceNoNumber", document(line("1", b64("1"), "<options>" + option("a", "b", "gratis") + "</options>")),
     false, nullptr},
    {"NotWellFormed", "<order><formdata><uuid>1</uuid></formdata><articles></order>", false, nullptr},
    {"Empty", "", false, nullptr},
    {"FormdataMissing", "<order><articles/></order>", false, nullptr},
    {"ArticlesMissing", "<order><formdata><uuid>1</uuid><timestamp>0</timestamp></formdata></order>", false, nullptr},
    {"UuidMissing", "<order><articles/><formdata><timestamp>0</timestamp></formdata></order>", false, nullptr},

    // Hostile documents: refused before they cost memory or time.
    {"EntityBomb", document(line("1", b64("1"), "<options/>"), "<timestamp>0</timestamp>", "<Ort>&e10;</Ort>",
                            entityBomb()),
     false, nullptr, "DOCTYPE"},
    {"DoctypeWithoutEntities", document("", "<timestamp>0</timestamp>", {}, "<!DOCTYPE order>"), false, nullptr,
     "DOCTYPE"},
    {"ExternalEntity",
     document("", "<timestamp>0</timestamp>", "<company>&x;</company>",
              "<!DOCTYPE order [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"),
     false, nullptr, "DOCTYPE"},
    {"PredefinedEntitiesAndCharacterReferences",
     "<order><articles/><formdata><uuid>a&amp;b&#x41;</uuid><timestamp>0</timestamp><Ort>S/Zsbg&#61;=</Ort>"
     "<company>1 &lt;2&gt;</company></formdata></order>",
     true,
     [](const OrderDocument &d) {
         EXPECT_EQ(d.order.uuid, QStringLiteral("a&bA"));
         EXPECT_EQ(d.order.ort, QStringLiteral("Köln"));
         EXPECT_EQ(d.order.ip, QStringLiteral("1 <2>"));
     }},
    {"UndeclaredEntity", document("", "<timestamp>0</timestamp>", "<company>&x;</company>"), false, nullptr},
    {"LargerThanOneMebibyte",
     document("", "<timestamp>0</timestamp>", "<!--" + QByteArray(kMaxOrderDocumentBytes, 'x') + "-->"), false,
     nullptr, "zu groß"},
    {"Nested17Levels", nested(15, true), false, nullptr, "verschachtelt"},
    {"Nested300000LevelsOpen", nested(300000, false), false, nullptr, "verschachtelt"},
    {"Nested300000LevelsClosed", nested(300000, true), false, nullptr, "zu groß"},
    {"Nested16LevelsIsAnOrderLine", nested(14, true), false, nullptr, "price"},
    {"VatNegative", document(line("1", b64("1"), "<options/>", b64("-100"))), false, nullptr, "außerhalb"},
    {"VatAbove100", document(line("1", b64("1"), "<options/>", b64("100.5"))), false, nullptr, "außerhalb"},
    {"VatZeroAnd100", document(line("1", b64("1"), "<options/>", b64("0")) + line("2", b64("1"), "<options/>", b64("100"))),
     true, [](const OrderDocument &d) { EXPECT_EQ(d.lines[1].mwst, 100); }},
    {"PriceNegative", document(line("1", b64("-0.01"), "<options/>")), false, nullptr, "außerhalb"},
    {"PriceBeyondAnyShop", document(line("1", b64(QByteArray(300, '9').constData()), "<options/>")), false, nullptr,
     "außerhalb"},
    {"PriceNegativeZeroIsZero", document(line("1", b64("-0"), "<options/>")), true,
     [](const OrderDocument &d) { EXPECT_EQ(d.lines[0].preis, 0); }},
    // A discount the designer allows, as long as the piece costs something.
    {"DiscountWithinThePrice", document(line("1", b64("3"), "<options>" + option("a", "b", "-2") + "</options>")), true,
     [](const OrderDocument &d) { EXPECT_EQ(d.lines[0].optionen[0].preis, -2); }},
    {"DiscountBeyondThePrice", document(line("1", b64("1"), "<options>" + option("a", "b", "-2") + "</options>")), false,
     nullptr, "weniger als nichts"},
    {"AmountNegative", document(line("1", b64("1"), "<options/>", b64("19"), b64("-3"))), false, nullptr,
     "außerhalb"},
    {"AmountBeyondInteger", document(line("1", b64("1"), "<options/>", b64("19"), b64("99999999999"))), false,
     nullptr, "amount"},
    {"AmountZero", document(line("1", b64("1"), "<options/>", b64("19"), b64("0"))), true,
     [](const OrderDocument &d) { EXPECT_EQ(d.lines[0].anzahl, 0); }},
    {"Base64PaddingInside", document(line("1", "QQ=QQ", "<options/>")), false, nullptr, "base64"},
    {"Base64PaddingThenData", document(line("1", "QQ=Q", "<options/>")), false, nullptr, "base64"},
    {"Base64ThreePads", document(line("1", "Q===", "<options/>")), false, nullptr, "base64"},
    {"Base64WithoutPadding", document(line("1", "MTI", "<options/>")), false, nullptr, "base64"},
    {"Base64ForeignCharacter", document(line("1", "MTI=!", "<options/>")), false, nullptr, "base64"},
    {"Base64BrokenInFormdata", document("", "<timestamp>0</timestamp>", "<Ort>S/Zsbg=?</Ort>"), false, nullptr,
     "\"Ort\""},
    {"Base64BrokenInOptionName",
     document(line("1", b64("1"), "<options><option name=\"a-b\" price=\"0\">" + b64("x") + "</option></options>")),
     false, nullptr, "Optionsname"},
    {"Base64WrappedWithCrLf",
     document(line("1", b64("1"), "<options/>"), "<timestamp>0</timestamp>",
              "<Strasse>" + b64("Hauptstra\xdf" "e 100, Hinterhaus, dritter Stock links, bei M\xfcller").insert(40, "\r\n ")
                  + "</Strasse>"),
     true,
     [](const OrderDocument &d) {
         EXPECT_EQ(d.order.strasse, QStringLiteral("Hauptstraße 100, Hinterhaus, dritter Stock links, bei Müller"));
     }},
    {"UuidLongerThanTheKey", "<order><articles/><formdata><uuid>" + QByteArray(256, 'u')
                                  + "</uuid><timestamp>0</timestamp></formdata></order>",
     false, nullptr, "uuid"},
};

INSTANTIATE_TEST_SUITE_P(Documents, OrderDocumentTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case> &info) {
                             return std::string(info.param.name);
                         });

// Decoded value bytes: UTF-8 when they are valid UTF-8 beyond ASCII, otherwise
// Windows-1252; one line, without control characters.
TEST(OrderDocumentValues, DecodeAsUtf8OrWindows1252AndDropControlCharacters)
{
    const std::pair<QByteArray, QString> cases[] = {
        {"M\xc3\xbcller", QStringLiteral("Müller")}, // UTF-8
        {"M\xfcller", QStringLiteral("Müller")},     // Windows-1252
        {"M\x80ller \x84Gr\xfc\xdf\x93", QStringLiteral("M€ller „Grüß“")},
        {"Meier", QStringLiteral("Meier")},
        {"\xe5\xb1\xb1\xe7\x94\xb0 \xf0\x9f\x98\x80", QStringLiteral("山田 😀")},
        {"M\xc3\xbcller \xfc", QStringLiteral("MÃ¼ller ü")}, // not UTF-8 as a whole
        {"\xc0\xbc", QStringLiteral("À¼")},                  // overlong form
        {"\xed\xa0\x80", QStringLiteral("í\u00a0€")},        // encoded surrogate
        {"\xf4\x90\x80\x80", QStringLiteral("ô€€")},         // beyond U+10FFFF; 0x90 undefined
        {"M\xc3\xbc", QStringLiteral("Mü")},
        {"\xc3", QStringLiteral("Ã")},                 // cut off
        {QByteArray("A\0B", 3), QStringLiteral("AB")}, // PostgreSQL cannot store NUL
        {"A\tB\r\nC\nD\rE", QStringLiteral("A B C D E")},
        {"\x01\x1b[31mrot\x7f", QStringLiteral("[31mrot")},
        {"\x81\x8d\x8f\x90\x9d", QString()},         // undefined in Windows-1252
        {"\xc2\x85Z\xc3\xa4", QStringLiteral("Zä")}, // NEL in UTF-8
        {"", QString()},
    };
    for (const auto &[bytes, text] : cases)
        EXPECT_EQ(decodeValueText(bytes), text) << bytes.toHex().constData();

    // The same through a whole document: a UTF-8 name and a NUL in the street.
    OrderDocument doc;
    QString error;
    ASSERT_TRUE(readOrderDocument(
        document("", "<timestamp>0</timestamp>",
                 "<Ort>" + QByteArray("K\xc3\xb6ln").toBase64() + "</Ort><Strasse>"
                     + QByteArray("Weg\0 1", 6).toBase64() + "</Strasse>"),
        &doc, &error))
        << error.toStdString();
    EXPECT_EQ(doc.order.ort, QStringLiteral("Köln"));
    EXPECT_EQ(doc.order.strasse, QStringLiteral("Weg 1"));
    EXPECT_EQ(doc.order.nachname, QStringLiteral("Müller")); // Windows-1252 beside it
}

TEST(OrderDocumentUuid, ARefusedDocumentStillNamesItsIdentifier)
{
    // The duplicate test needs only the identifier; a damaged line does not
    // hide it, and the document is read once for both.
    OrderDocument doc;
    QString error;
    EXPECT_FALSE(readOrderDocument(document(line("1", b64("kaputt"), "")), &doc, &error));
    EXPECT_EQ(doc.order.uuid, QStringLiteral("4711-abc"));
    EXPECT_FALSE(readOrderDocument("<order/>", &doc, &error));
    EXPECT_TRUE(doc.order.uuid.isEmpty());
    // XML that cannot be read names nothing.
    EXPECT_FALSE(readOrderDocument(nested(300000, false), &doc, &error));
    EXPECT_TRUE(doc.order.uuid.isEmpty());
}

} // namespace
