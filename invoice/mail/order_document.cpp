#include "order_document.h"

#include "xml_document.h"

#include <QDomDocument>
#include <QDomElement>
#include <QLocale>

namespace vq::invoice {

namespace {

// Characters 0x80 to 0x9F of Windows-1252; the rest is Latin-1. Undefined
// bytes stay as their C1 control characters.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromWindows1252(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text += (byte >= 0x80 && byte < 0xA0) ? QChar(kWindows1252High[byte - 0x80]) : QChar(char16_t(byte));
    }
    return text;
}

// White space and control characters around the document are not part of it.
QByteArray trimmedBody(const QByteArray &body)
{
    qsizetype begin = 0;
    qsizetype end = body.size();
    auto isSpace = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= 0x20 || byte == 0x7F;
    };
    while (begin < end && isSpace(body[begin]))
        ++begin;
    while (end > begin && isSpace(body[end - 1]))
        --end;
    return body.mid(begin, end - begin);
}

struct Parsed
{
    QDomDocument dom;
    QDomElement formdata;
    QDomElement articles;
    QString uuid;
};

bool parseHead(const QByteArray &body, Parsed *parsed, QString *error)
{
    const QByteArray text = trimmedBody(body);
    QString parseError;
    int line = 0;
    int column = 0;
    if (!parsed->dom.setContent(text, &parseError, &line, &column)) {
        *error = QStringLiteral("Das Bestelldokument ist kein gültiges XML (Zeile %1, Spalte %2: %3).")
                     .arg(line)
                     .arg(column)
                     .arg(parseError);
        return false;
    }
    const QDomElement order = parsed->dom.documentElement();
    parsed->formdata = order.firstChildElement(QStringLiteral("formdata"));
    parsed->articles = order.firstChildElement(QStringLiteral("articles"));
    if (parsed->formdata.isNull()) {
        *error = QStringLiteral("Das Element \"formdata\" fehlt.");
        return false;
    }
    if (parsed->articles.isNull()) {
        *error = QStringLiteral("Das Element \"articles\" fehlt.");
        return false;
    }
    parsed->uuid = vq::elementText(parsed->formdata.firstChildElement(QStringLiteral("uuid"))).trimmed();
    // Without an identifier the duplicate test would match every order typed in by hand.
    if (parsed->uuid.isEmpty()) {
        *error = QStringLiteral("Das Element \"uuid\" fehlt oder ist leer.");
        return false;
    }
    return true;
}

QString plainValue(const QDomElement &parent, const char *name)
{
    return vq::elementText(parent.firstChildElement(QString::fromLatin1(name)));
}

QString base64Value(const QDomElement &parent, const char *name)
{
    return decodeBase64Value(plainValue(parent, name));
}

} // namespace

QString decodeBase64Value(const QString &base64)
{
    return fromWindows1252(QByteArray::fromBase64(base64.toLatin1()));
}

std::optional<double> parseDecimal(const QString &text)
{
    QString number = text.trimmed();
    number.replace(u',', u'.');
    bool ok = false;
    const double value = QLocale::c().toDouble(number, &ok);
    if (!ok || number.contains(u'e', Qt::CaseInsensitive) || qIsNaN(value) || qIsInf(value))
        return std::nullopt;
    return value;
}

QDateTime timestampToDateTime(qint64 seconds)
{
    // The clock reading, kept apart from the local time zone.
    return QDateTime(QDate(1970, 1, 1), QTime(0, 0), Qt::UTC).addSecs(seconds);
}

bool readOrderUuid(const QByteArray &body, QString *uuid, QString *error)
{
    Parsed parsed;
    if (!parseHead(body, &parsed, error))
        return false;
    *uuid = parsed.uuid;
    return true;
}

bool readOrderDocument(const QByteArray &body, TOrderDocument *document, QString *error)
{
    Parsed parsed;
    if (!parseHead(body, &parsed, error))
        return false;
    const QDomElement &f = parsed.formdata;
    TOrderDocument result;
    TBestellung &order = result.order;
    order.uuid = parsed.uuid;

    const QDomElement timestamp = f.firstChildElement(QStringLiteral("timestamp"));
    if (timestamp.isNull()) {
        *error = QStringLiteral("Das Element \"timestamp\" fehlt.");
        return false;
    }
    bool ok = false;
    const qint64 seconds = vq::elementText(timestamp).trimmed().toLongLong(&ok);
    // Beyond about ±10,000 years the date is meaningless.
    if (!ok || seconds < -62135596800LL || seconds > 253402300799LL) {
        *error = QStringLiteral("\"timestamp\" ist keine Zahl: \"%1\".").arg(vq::elementText(timestamp));
        return false;
    }
    order.zeit = timestampToDateTime(seconds);
    order.firma = base64Value(f, "Firma");
    order.name = base64Value(f, "Vorname");
    order.nachname = base64Value(f, "Nachname");
    order.strasse = base64Value(f, "Strasse");
    order.plz = base64Value(f, "PLZ");
    order.ort = base64Value(f, "Ort");
    order.land = base64Value(f, "Land");
    order.email = base64Value(f, "email");
    order.telefon = base64Value(f, "Telefon");
    order.homepage = base64Value(f, "Homepage");
    order.ip = plainValue(f, "company");

    int lineNumber = 0;
    for (QDomElement item = parsed.articles.firstChildElement(); !item.isNull(); item = item.nextSiblingElement()) {
        ++lineNumber;
        TArtikel line;
        line.nr = base64Value(item, "articleNumber");
        line.name = base64Value(item, "articleName");
        for (const char *name : {"price", "vat", "amount"}) {
            if (item.firstChildElement(QString::fromLatin1(name)).isNull()) {
                *error = QStringLiteral("Artikel %1: das Element \"%2\" fehlt.").arg(lineNumber).arg(QString::fromLatin1(name));
                return false;
            }
        }
        const QString priceText = base64Value(item, "price");
        const QString vatText = base64Value(item, "vat");
        const QString amountText = base64Value(item, "amount");
        const auto price = parseDecimal(priceText);
        const auto vat = parseDecimal(vatText);
        const int amount = amountText.trimmed().toInt(&ok);
        if (!price || !vat || !ok) {
            const QString bad = !price ? priceText : !vat ? vatText : amountText;
            *error = QStringLiteral("Artikel %1: \"%2\" ist keine Zahl.").arg(lineNumber).arg(bad);
            return false;
        }
        line.preis = *price;
        line.mwst = *vat;
        line.anzahl = amount;

        const QDomElement options = item.firstChildElement(QStringLiteral("options"));
        if (options.isNull()) {
            *error = QStringLiteral("Artikel %1: das Element \"options\" fehlt.").arg(lineNumber);
            return false;
        }
        for (QDomElement o = options.firstChildElement(); !o.isNull(); o = o.nextSiblingElement()) {
            TOption option;
            option.name = decodeBase64Value(o.attribute(QStringLiteral("name")));
            option.wert = decodeBase64Value(vq::elementText(o));
            if (!o.hasAttribute(QStringLiteral("price"))) {
                *error = QStringLiteral("Artikel %1: einer Option fehlt der Preis.").arg(lineNumber);
                return false;
            }
            const auto optionPrice = parseDecimal(o.attribute(QStringLiteral("price")));
            if (!optionPrice) {
                *error = QStringLiteral("Artikel %1: der Optionspreis \"%2\" ist keine Zahl.")
                             .arg(lineNumber)
                             .arg(o.attribute(QStringLiteral("price")));
                return false;
            }
            // A price of 0 means the option has none.
            if (*optionPrice != 0)
                option.preis = *optionPrice;
            line.optionen << option;
        }
        result.lines << line;
    }
    *document = result;
    return true;
}

} // namespace vq::invoice
