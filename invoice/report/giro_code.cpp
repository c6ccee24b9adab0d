#include "invoice/report/giro_code.h"

#include "invoice/einvoice/xrechnung.h"
#include "invoice/records/invoice_numbers.h"

#include <QBuffer>
#include <QRegularExpression>
#include <memory>
#include <qrencode.h>

namespace vq::invoice {

namespace {

// What a code of the highest version the banking apps must read (13) holds
// at level M in bytes.
constexpr qsizetype kMaxPayloadBytes = 331;
constexpr int kMaxVersion = 13;
constexpr int kQuietZoneModules = 4;
constexpr qint64 kMaxCents = 99'999'999'999;
constexpr qsizetype kMaxNameCharacters = 70;
constexpr qsizetype kMaxRemittanceCharacters = 140;

// One line of the code: control characters (a line break would start the
// next element) as blanks, runs of blanks as one, at most maxCharacters
// characters (whole ones, never half a surrogate pair).
QString element(const QString &text, qsizetype maxCharacters)
{
    QString flat = text;
    for (QChar &c : flat) {
        if (c.category() == QChar::Other_Control)
            c = u' ';
    }
    const QList<uint> characters = flat.simplified().toUcs4();
    return QString::fromUcs4(characters.constData(), std::min(characters.size(), maxCharacters))
        .trimmed();
}

QString beneficiary(const TMandant &client)
{
    const QString firma = element(client.firma, kMaxNameCharacters);
    if (!firma.isEmpty())
        return firma;
    return element(client.vorname + u' ' + client.name, kMaxNameCharacters);
}

// Eight or eleven letters and digits, the first six letters; anything else is left out.
QString wellFormedBic(const QString &bic)
{
    static const QRegularExpression form(QStringLiteral("^[A-Z]{6}[A-Z0-9]{2}([A-Z0-9]{3})?$"));
    const QString compact = QString(bic).remove(u' ').toUpper();
    return form.match(compact).hasMatch() ? compact : QString();
}

QString amountText(qint64 cents)
{
    return QStringLiteral("EUR%1.%2").arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0'));
}

} // namespace

QByteArray giroCodePayload(const InvoiceData &data)
{
    const TMandant &client = data.client;
    const qint64 owed = data.amounts.grossCents;
    const QString name = beneficiary(client);
    if (name.isEmpty() || !ibanValid(client.iban) || owed <= 0 || owed > kMaxCents
        || currencyCode(client.waehrung) != u"EUR")
        return {};
    const QString number = invoiceNumberText(data.order);
    const QString remittance =
        number.isEmpty() ? QString()
                         : element(QStringLiteral("Rechnung ") + number, kMaxRemittanceCharacters);
    QStringList lines{QStringLiteral("BCD"),
                      QStringLiteral("002"),
                      QStringLiteral("1"),
                      QStringLiteral("SCT"),
                      wellFormedBic(client.bic),
                      name,
                      compactIban(client.iban),
                      amountText(owed),
                      QString(),
                      QString(),
                      remittance};
    // Nothing follows the last element given.
    while (lines.last().isEmpty())
        lines.removeLast();
    const QByteArray payload = lines.join(u'\n').toUtf8();
    return payload.size() <= kMaxPayloadBytes ? payload : QByteArray();
}

QImage giroCodeImage(const QByteArray &payload, int pixelsPerModule)
{
    if (payload.isEmpty() || pixelsPerModule < 1)
        return {};
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeData(int(payload.size()),
                          reinterpret_cast<const unsigned char *>(payload.data()), 0, QR_ECLEVEL_M),
        &QRcode_free);
    if (!code || code->version > kMaxVersion)
        return {};
    const int modules = code->width + 2 * kQuietZoneModules;
    QImage image(modules * pixelsPerModule, modules * pixelsPerModule, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            // The lowest bit of a module's byte: 1 is black.
            if (!(code->data[y * code->width + x] & 1))
                continue;
            const int left = (x + kQuietZoneModules) * pixelsPerModule;
            const int top = (y + kQuietZoneModules) * pixelsPerModule;
            for (int row = top; row < top + pixelsPerModule; ++row)
                std::fill_n(image.scanLine(row) + left, pixelsPerModule, uchar(0));
        }
    }
    return image;
}

QString giroCodeDataUrl(const InvoiceData &data)
{
    // Eight pixels a module: sharp on paper whatever the printer or viewer
    // does when it scales the picture to 3 cm.
    const QImage image = giroCodeImage(giroCodePayload(data), 8);
    if (image.isNull())
        return {};
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return {};
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
}

} // namespace vq::invoice
