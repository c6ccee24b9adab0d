// The payment code's text element by element for the client's name, IBAN,
// BIC, currency and the amount owed, the invoices that get no code, and the
// picture: a QR code with its quiet zone, or none for a text too long.
#include "invoice/report/giro_code.h"

#include <QBuffer>
#include <gtest/gtest.h>

using namespace vq::invoice;

namespace {

struct Payee
{
    QString firma = QStringLiteral("Muster GmbH");
    QString vorname;
    QString name;
    QString iban = QStringLiteral("DE89 3704 0044 0532 0130 00");
    QString bic = QStringLiteral("COBADEFFXXX");
    QString waehrung = QStringLiteral("€");
};

InvoiceData invoice(const Payee &payee, qint64 owedCents, std::optional<int> rechNr = 17)
{
    InvoiceData data;
    data.client.firma = payee.firma;
    data.client.vorname = payee.vorname;
    data.client.name = payee.name;
    data.client.iban = payee.iban;
    data.client.bic = payee.bic;
    data.client.waehrung = payee.waehrung;
    data.order.rechNr = rechNr;
    // What the money rule worked out: the code states it, it computes nothing.
    data.amounts.grossCents = owedCents;
    return data;
}

QString payload(const InvoiceData &data)
{
    return QString::fromUtf8(giroCodePayload(data));
}

} // namespace

TEST(GiroCodePayload, ElementsInTheirOrder)
{
    const QString header = QStringLiteral("BCD\n002\n1\nSCT\n");
    const QString account = QStringLiteral("DE89370400440532013000\n");
    const struct
    {
        const char *what;
        InvoiceData data;
        QString expected;
    } cases[] = {
        {"company with BIC", invoice({}, 1230),
         header + QStringLiteral("COBADEFFXXX\nMuster GmbH\n") + account
             + QStringLiteral("EUR12.30\n\n\nRechnung 17")},
        {"no company: first name and name; IBAN in small letters; no BIC",
         invoice({.firma = {},
                  .vorname = QStringLiteral("Jörg"),
                  .name = QStringLiteral("Müller"),
                  .iban = QStringLiteral("de89 3704 0044 0532 0130 00"),
                  .bic = {}},
                 1),
         header + QStringLiteral("\nJörg Müller\n") + account
             + QStringLiteral("EUR0.01\n\n\nRechnung 17")},
        {"BIC of eight characters with a blank, in small letters",
         invoice({.bic = QStringLiteral("bylad em1")}, 100),
         header + QStringLiteral("BYLADEM1\nMuster GmbH\n") + account
             + QStringLiteral("EUR1.00\n\n\nRechnung 17")},
        {"a BIC that is none is left out", invoice({.bic = QStringLiteral("COBA-DE")}, 100),
         header + QStringLiteral("\nMuster GmbH\n") + account
             + QStringLiteral("EUR1.00\n\n\nRechnung 17")},
        {"the largest amount", invoice({}, 99'999'999'999),
         header + QStringLiteral("COBADEFFXXX\nMuster GmbH\n") + account
             + QStringLiteral("EUR999999999.99\n\n\nRechnung 17")},
        {"umlauts and ampersand as typed",
         invoice({.firma = QStringLiteral("Bäckerei Größe & Söhne")}, 5),
         header + QStringLiteral("COBADEFFXXX\nBäckerei Größe & Söhne\n") + account
             + QStringLiteral("EUR0.05\n\n\nRechnung 17")},
        {"a name longer than 70 characters is cut", invoice({.firma = QString(80, u'ä')}, 1230),
         header + QStringLiteral("COBADEFFXXX\n") + QString(70, u'ä') + u'\n' + account
             + QStringLiteral("EUR12.30\n\n\nRechnung 17")},
        {"line breaks in a name would start the next element",
         invoice({.firma = QStringLiteral(" Muster\nGmbH\r\n")}, 1230),
         header + QStringLiteral("COBADEFFXXX\nMuster GmbH\n") + account
             + QStringLiteral("EUR12.30\n\n\nRechnung 17")},
        {"no invoice number yet: nothing after the amount", invoice({}, 1230, std::nullopt),
         header + QStringLiteral("COBADEFFXXX\nMuster GmbH\n") + account
             + QStringLiteral("EUR12.30")},
        {"currency EUR", invoice({.waehrung = QStringLiteral("EUR")}, 1230),
         header + QStringLiteral("COBADEFFXXX\nMuster GmbH\n") + account
             + QStringLiteral("EUR12.30\n\n\nRechnung 17")},
        {"no currency is the euro", invoice({.waehrung = {}}, 1230),
         header + QStringLiteral("COBADEFFXXX\nMuster GmbH\n") + account
             + QStringLiteral("EUR12.30\n\n\nRechnung 17")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(payload(c.data), c.expected);
    }
}

TEST(GiroCodePayload, NoCodeForWhatABankCannotTransfer)
{
    const struct
    {
        const char *what;
        InvoiceData data;
    } cases[] = {
        {"no IBAN", invoice({.iban = {}}, 1230)},
        {"only blanks for an IBAN", invoice({.iban = QStringLiteral("   ")}, 1230)},
        {"wrong check digits",
         invoice({.iban = QStringLiteral("DE89 3704 0044 0532 0130 01")}, 1230)},
        {"nothing owed", invoice({}, 0)},
        {"a cancellation's negative total", invoice({}, -1230)},
        {"above 999,999,999.99", invoice({}, 100'000'000'000)},
        {"Swiss francs", invoice({.waehrung = QStringLiteral("CHF")}, 1230)},
        {"dollars", invoice({.waehrung = QStringLiteral("$")}, 1230)},
        {"no name of the client", invoice({.firma = QStringLiteral(" \n")}, 1230)},
        // 70 characters of four bytes each leave the text above the 331 bytes of version 13.
        {"a name too long in bytes",
         invoice({.firma = QString::fromUcs4(QList<char32_t>(70, U'\U0001F33B').constData(), 70)},
                 1230)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(giroCodePayload(c.data), QByteArray());
        EXPECT_EQ(giroCodeDataUrl(c.data), QString());
    }
}

TEST(GiroCodeImage, ModulesWithTheQuietZoneAndNoneForATextTooLong)
{
    const QByteArray text = giroCodePayload(invoice({}, 1230));
    const QImage image = giroCodeImage(text, 3);
    ASSERT_FALSE(image.isNull());
    // A QR code is 17 + 4 x version modules wide, here with 4 modules of quiet zone each side.
    ASSERT_EQ(image.width() % 3, 0);
    const int modules = image.width() / 3 - 8;
    EXPECT_EQ((modules - 17) % 4, 0) << modules;
    EXPECT_LE(modules, 17 + 4 * 13);
    EXPECT_EQ(image.width(), image.height());
    const auto dark = [&](int x, int y) { return qGray(image.pixel(x, y)) < 128; };
    for (int i = 0; i < image.width(); ++i) {
        for (int edge = 0; edge < 4 * 3; ++edge) {
            EXPECT_FALSE(dark(i, edge) || dark(edge, i) || dark(i, image.width() - 1 - edge)
                         || dark(image.width() - 1 - edge, i))
                << i << "," << edge;
        }
    }
    // The finder pattern's dark corner starts right after the quiet zone.
    EXPECT_TRUE(dark(4 * 3, 4 * 3));

    EXPECT_TRUE(giroCodeImage(QByteArray(), 3).isNull());
    EXPECT_TRUE(giroCodeImage(QByteArray(400, 'x'), 3).isNull());

    // The template's picture is the same code as PNG.
    const QString url = giroCodeDataUrl(invoice({}, 1230));
    const QString prefix = QStringLiteral("data:image/png;base64,");
    ASSERT_TRUE(url.startsWith(prefix));
    QImage png;
    ASSERT_TRUE(png.loadFromData(QByteArray::fromBase64(url.mid(prefix.size()).toLatin1()), "PNG"));
    EXPECT_EQ(png.width(), image.width() / 3 * 8);
}
