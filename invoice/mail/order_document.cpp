#include "invoice/mail/order_document.h"

#include "common/text_file.h"
#include "invoice/money/order_amounts.h"

#include <QLocale>
#include <QMessageAuthenticationCode>
#include <QXmlStreamReader>

#include <limits>

namespace vq::invoice {

namespace {

// A value as one line: tabs and line breaks become a space (CR LF one space),
// other control characters are left out. PostgreSQL cannot store NUL at all.
QString singleLine(const QString &text)
{
    QString result;
    result.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = text[i].unicode();
        if (u == u'\r' || u == u'\n' || u == u'\t') {
            result.append(u' ');
            if (u == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
        } else if (u < 0x20 || (u >= 0x7F && u <= 0x9F)) {
            continue;
        } else {
            result.append(QChar(u));
        }
    }
    return result;
}

bool isSpaceOrControl(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte <= 0x20 || byte == 0x7F;
}

// The document as a small tree: elements with their attributes and the text
// directly inside them. Its depth is bounded, so walking it recursively is safe.
struct Node
{
    QString name;
    QXmlStreamAttributes attributes;
    QString text;
    QList<Node> children;

    const Node *child(QStringView childName) const
    {
        for (const Node &c : children)
            if (c.name == childName)
                return &c;
        return nullptr;
    }
};

bool parseTree(const QByteArray &text, Node *root, QString *error)
{
    if (text.isEmpty()) {
        *error = QStringLiteral("Das Bestelldokument ist leer.");
        return false;
    }
    if (text.size() > kMaxOrderDocumentBytes) {
        *error = QStringLiteral("Das Bestelldokument ist mit %1 Bytes zu groß (höchstens %2).")
                     .arg(text.size())
                     .arg(kMaxOrderDocumentBytes);
        return false;
    }
    QXmlStreamReader reader(text);
    // Without a document type declaration no entity can be declared; the
    // limit only guards a reader that would still expand one.
    reader.setEntityExpansionLimit(0);
    QList<Node *> open;
    bool haveRoot = false;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::DTD:
            *error = QStringLiteral(
                "Das Bestelldokument enthält eine Dokumenttyp-Deklaration (DOCTYPE); "
                "das ist nicht erlaubt.");
            return false;
        case QXmlStreamReader::EntityReference:
            *error = QStringLiteral("Das Bestelldokument verwendet die unbekannte Entität \"%1\".")
                         .arg(reader.name());
            return false;
        case QXmlStreamReader::StartElement: {
            if (open.size() >= kMaxOrderDocumentDepth) {
                *error =
                    QStringLiteral("Das Bestelldokument ist tiefer als %1 Ebenen verschachtelt.")
                        .arg(kMaxOrderDocumentDepth);
                return false;
            }
            Node *node = nullptr;
            if (open.isEmpty()) {
                haveRoot = true;
                node = root;
            } else {
                open.last()->children.append(Node());
                node = &open.last()->children.last();
            }
            node->name = reader.name().toString();
            node->attributes = reader.attributes();
            open.append(node);
            break;
        }
        case QXmlStreamReader::EndElement:
            open.removeLast();
            break;
        case QXmlStreamReader::Characters:
            // Text may come in pieces (around references); all of it counts.
            if (!open.isEmpty())
                open.last()->text += reader.text();
            break;
        default: // declaration, comments, processing instructions
            break;
        }
    }
    if (reader.hasError() || !haveRoot) {
        *error =
            QStringLiteral("Das Bestelldokument ist kein gültiges XML (Zeile %1, Spalte %2: %3).")
                .arg(reader.lineNumber())
                .arg(reader.columnNumber())
                .arg(reader.hasError() ? reader.errorString() : QStringLiteral("kein Element"));
        return false;
    }
    return true;
}

// Reads the values of the tree into an order; the first failure ends it.
class ValueReader
{
public:
    explicit ValueReader(QString *error)
        : m_error(error)
    {
    }

    // A plain value: the element's text as one line; empty when missing.
    QString plain(const Node &parent, QStringView name) const
    {
        const Node *node = parent.child(name);
        return node ? singleLine(node->text) : QString();
    }

    // A base64 value; a missing element is empty text.
    std::optional<QString> base64(const Node &parent, QStringView name, const QString &where) const
    {
        const Node *node = parent.child(name);
        if (!node)
            return QString();
        return base64Text(node->text, where + u'"' + name.toString() + u'"');
    }

    std::optional<QString> base64Text(const QString &value, const QString &what) const
    {
        const auto bytes = decodeStrictBase64(value);
        if (!bytes) {
            fail(QStringLiteral("%1 ist kein gültiges base64.").arg(what));
            return std::nullopt;
        }
        return decodeValueText(*bytes);
    }

    // A number of a line that must be present; minimum and maximum bound it.
    std::optional<double> number(const Node &line, QStringView name, const QString &where,
                                 double minimum, double maximum) const
    {
        const Node *node = line.child(name);
        if (!node) {
            fail(QStringLiteral("%1das Element \"%2\" fehlt.").arg(where, name));
            return std::nullopt;
        }
        const auto text = base64Text(node->text, where + u'"' + name.toString() + u'"');
        if (!text)
            return std::nullopt;
        const auto value = parseDecimal(*text);
        if (!value) {
            fail(QStringLiteral("%1\"%2\" ist keine Zahl: \"%3\".").arg(where, name, *text));
            return std::nullopt;
        }
        return inRange(*value, minimum, maximum, where + u'"' + name.toString() + u'"')
                   ? value
                   : std::nullopt;
    }

    bool inRange(double value, double minimum, double maximum, const QString &what) const
    {
        if (value >= minimum && value <= maximum)
            return true;
        fail(QStringLiteral("%1 liegt mit %2 außerhalb von %3 bis %4.")
                 .arg(what, QLocale::c().toString(value, 'g', 15),
                      QLocale::c().toString(minimum, 'g', 15),
                      QLocale::c().toString(maximum, 'g', 15)));
        return false;
    }

    void fail(const QString &message) const
    {
        if (m_error->isEmpty())
            *m_error = message;
    }

private:
    QString *m_error;
};

bool readOrder(const Node &root, OrderDocument *result, QString *error)
{
    const Node *formdata = root.child(u"formdata");
    const Node *articles = root.child(u"articles");
    if (!formdata) {
        *error = QStringLiteral("Das Element \"formdata\" fehlt.");
        return false;
    }
    if (!articles) {
        *error = QStringLiteral("Das Element \"articles\" fehlt.");
        return false;
    }
    TBestellung &order = result->order;
    const ValueReader values(error);
    order.uuid = values.plain(*formdata, u"uuid").trimmed();
    // Without an identifier the duplicate test would match every order typed in by hand.
    if (order.uuid.isEmpty()) {
        *error = QStringLiteral("Das Element \"uuid\" fehlt oder ist leer.");
        return false;
    }
    if (order.uuid.size() > kMaxOrderUuidLength) {
        *error = QStringLiteral("Das Element \"uuid\" ist länger als %1 Zeichen.")
                     .arg(kMaxOrderUuidLength);
        order.uuid.clear();
        return false;
    }

    const Node *timestamp = formdata->child(u"timestamp");
    if (!timestamp) {
        *error = QStringLiteral("Das Element \"timestamp\" fehlt.");
        return false;
    }
    bool ok = false;
    const qint64 seconds = timestamp->text.trimmed().toLongLong(&ok);
    // Beyond years 1 to 9999 the date is meaningless.
    if (!ok || seconds < -62135596800LL || seconds > 253402300799LL) {
        *error = QStringLiteral("\"timestamp\" ist keine Zahl: \"%1\".")
                     .arg(singleLine(timestamp->text).left(100));
        return false;
    }
    order.zeit = timestampToDateTime(seconds);

    const std::pair<QString *, const char16_t *> texts[] = {
        {&order.firma, u"Firma"},      {&order.name, u"Vorname"}, {&order.nachname, u"Nachname"},
        {&order.strasse, u"Strasse"},  {&order.plz, u"PLZ"},      {&order.ort, u"Ort"},
        {&order.land, u"Land"},        {&order.email, u"email"},  {&order.telefon, u"Telefon"},
        {&order.homepage, u"Homepage"}};
    for (const auto &[target, name] : texts) {
        const auto value = values.base64(*formdata, name, QString());
        if (!value)
            return false;
        *target = *value;
    }
    // A business buyer's data, when its page asked for them; one line each.
    const std::pair<QString *, const char16_t *> businessTexts[] = {
        {&order.ustIdNr, u"UStIdNr"},
        {&order.kaeuferreferenz, u"Kaeuferreferenz"},
        {&order.emailERechnung, u"EMailERechnung"}};
    for (const auto &[target, name] : businessTexts) {
        const auto value = values.base64(*formdata, name, QString());
        if (!value)
            return false;
        *target = singleLine(*value).trimmed();
    }
    order.ip = values.plain(*formdata, u"company");
    // How the page priced the order: "netto" documents carry the net prices
    // the customer saw beside the gross ones older readers take.
    const QString taxMode = values.plain(*formdata, u"taxMode").trimmed().toLower();
    if (!taxMode.isEmpty() && taxMode != u"brutto" && taxMode != u"netto") {
        *error = QStringLiteral("\"taxMode\" ist weder \"brutto\" noch \"netto\": \"%1\".")
                     .arg(taxMode.left(100));
        return false;
    }
    order.netto = taxMode == u"netto";

    int lineNumber = 0;
    for (const Node &item : articles->children) {
        ++lineNumber;
        const QString where = QStringLiteral("Artikel %1: ").arg(lineNumber);
        TArtikel line;
        const auto nr = values.base64(item, u"articleNumber", where);
        const auto name = nr ? values.base64(item, u"articleName", where) : std::nullopt;
        auto price = name ? values.number(item, u"price", where, 0, kMaxOrderPrice) : std::nullopt;
        if (price && order.netto)
            price = values.number(item, u"netPrice", where, 0, kMaxOrderPrice);
        const auto vat = price ? values.number(item, u"vat", where, 0, 100) : std::nullopt;
        if (!vat)
            return false;
        const Node *amountNode = item.child(u"amount");
        if (!amountNode) {
            *error = QStringLiteral("%1das Element \"amount\" fehlt.").arg(where);
            return false;
        }
        const auto amountText =
            values.base64Text(amountNode->text, where + QStringLiteral("\"amount\""));
        if (!amountText)
            return false;
        const int amount = amountText->trimmed().toInt(&ok);
        if (!ok) {
            *error = QStringLiteral("%1\"amount\" ist keine ganze Zahl: \"%2\".")
                         .arg(where, *amountText);
            return false;
        }
        if (!values.inRange(amount, 0, kMaxOrderQuantity, where + QStringLiteral("\"amount\"")))
            return false;
        line.nr = *nr;
        line.name = *name;
        line.preis = *price + 0.0; // "-0" is 0
        line.mwst = *vat + 0.0;
        line.anzahl = amount;

        const Node *options = item.child(u"options");
        if (!options) {
            *error = QStringLiteral("%1das Element \"options\" fehlt.").arg(where);
            return false;
        }
        for (const Node &o : options->children) {
            TOption option;
            const auto optionName =
                values.base64Text(o.attributes.value(QLatin1StringView("name")).toString(),
                                  where + QStringLiteral("der Optionsname"));
            const auto optionValue =
                optionName ? values.base64Text(o.text, where + QStringLiteral("der Optionswert"))
                           : std::nullopt;
            if (!optionValue)
                return false;
            option.name = *optionName;
            option.wert = *optionValue;
            if (!o.attributes.hasAttribute(QLatin1StringView("price"))) {
                *error = QStringLiteral("%1einer Option fehlt der Preis.").arg(where);
                return false;
            }
            const QLatin1StringView priceAttribute =
                order.netto ? QLatin1StringView("netPrice") : QLatin1StringView("price");
            if (!o.attributes.hasAttribute(priceAttribute)) {
                *error = QStringLiteral("%1einer Option fehlt der Nettopreis.").arg(where);
                return false;
            }
            const QString priceText = o.attributes.value(priceAttribute).toString();
            const auto optionPrice = parseDecimal(priceText);
            if (!optionPrice) {
                *error = QStringLiteral("%1der Optionspreis \"%2\" ist keine Zahl.")
                             .arg(where, singleLine(priceText));
                return false;
            }
            // A negative surcharge is a discount the designer allows.
            if (!values.inRange(*optionPrice, -kMaxOrderPrice, kMaxOrderPrice,
                                where + QStringLiteral("der Optionspreis")))
                return false;
            // A price of 0 means the option has none.
            if (*optionPrice != 0)
                option.preis = *optionPrice + 0.0;
            line.optionen << option;
        }
        // Discounts never make a piece cost less than nothing.
        double unit = line.preis;
        for (const TOption &option : line.optionen)
            unit += option.preis.value_or(0.0);
        if (unit < 0) {
            *error =
                QStringLiteral("%1Preis und Aufpreise ergeben zusammen %2, weniger als nichts.")
                    .arg(where, QLocale::c().toString(unit, 'g', 15));
            return false;
        }
        result->lines << line;
    }
    // What the order costs must be something an invoice can print.
    QString why;
    if (!orderAmounts(order, result->lines, &why)) {
        *error = why;
        return false;
    }
    return true;
}

// The withdrawal of the tree. Names, address and reason are base64 like an
// order's customer; the identifiers, the time and the order date are plain.
bool readWithdrawal(const Node &root, TWiderruf *result, QString *error)
{
    const ValueReader values(error);
    result->uuid = values.plain(root, u"uuid").trimmed();
    if (result->uuid.isEmpty() || result->uuid.size() > kMaxOrderUuidLength) {
        *error = QStringLiteral("Das Element \"uuid\" fehlt, ist leer oder länger als %1 Zeichen.")
                     .arg(kMaxOrderUuidLength);
        result->uuid.clear();
        return false;
    }
    const Node *timestamp = root.child(u"timestamp");
    bool ok = false;
    const qint64 seconds = timestamp ? timestamp->text.trimmed().toLongLong(&ok) : 0;
    if (!ok || seconds < 0 || seconds > 253402300799LL) {
        *error = QStringLiteral("\"timestamp\" fehlt oder ist keine Zahl.");
        return false;
    }
    result->eingang = timestampToDateTime(seconds);
    const std::pair<QString *, const char16_t *> texts[] = {
        {&result->name, u"name"},
        {&result->email, u"email"},
        {&result->bestellnummer, u"orderNumber"},
        {&result->grund, u"reason"}};
    for (const auto &[target, name] : texts) {
        const auto value = values.base64(root, name, QString());
        if (!value)
            return false;
        *target = value->trimmed();
    }
    const QString date = values.plain(root, u"orderDate").trimmed();
    if (!date.isEmpty()) {
        result->bestelldatum = QDate::fromString(date, Qt::ISODate);
        if (!result->bestelldatum.isValid()) {
            *error = QStringLiteral("\"orderDate\" ist kein Datum: \"%1\".").arg(date.left(100));
            return false;
        }
    }
    if (result->bestellnummer.isEmpty() && !result->bestelldatum.isValid()) {
        *error = QStringLiteral("Der Widerruf nennt weder Bestellnummer noch Bestelldatum.");
        return false;
    }
    result->ip = values.plain(root, u"company");
    return true;
}

} // namespace

QByteArray orderDocumentText(const QByteArray &body)
{
    qsizetype begin = 0;
    qsizetype end = body.size();
    while (begin < end && isSpaceOrControl(body[begin]))
        ++begin;
    while (end > begin && isSpaceOrControl(body[end - 1]))
        --end;
    return body.mid(begin, end - begin);
}

std::optional<QByteArray> decodeStrictBase64(QStringView base64)
{
    QByteArray compact;
    compact.reserve(base64.size());
    for (const QChar c : base64) {
        const char16_t u = c.unicode();
        if (u == u' ' || u == u'\t' || u == u'\r' || u == u'\n')
            continue;
        const bool alphabet = (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z')
                              || (u >= u'0' && u <= u'9') || u == u'+' || u == u'/' || u == u'=';
        if (!alphabet)
            return std::nullopt;
        compact.append(char(u));
    }
    if (compact.size() % 4 != 0)
        return std::nullopt;
    // Padding only as the last one or two characters.
    const qsizetype firstPad = compact.indexOf('=');
    if (firstPad >= 0 && firstPad < compact.size() - 2)
        return std::nullopt;
    if (firstPad >= 0 && firstPad == compact.size() - 2 && compact.back() != '=')
        return std::nullopt;
    return QByteArray::fromBase64(compact);
}

QString decodeValueText(const QByteArray &bytes)
{
    return singleLine(vq::fromUtf8OrWindows1252(bytes));
}

namespace {

constexpr QLatin1StringView kSignaturePrefix("hmac-sha256=");

QByteArray signatureMac(const QByteArray &body, const QString &secret)
{
    QByteArray text = body;
    text.replace('\r', QByteArray());
    return QMessageAuthenticationCode::hash(orderDocumentText(text), secret.toUtf8(),
                                            QCryptographicHash::Sha256);
}

} // namespace

QString orderSignature(const QByteArray &body, const QString &secret)
{
    return kSignaturePrefix + QString::fromLatin1(signatureMac(body, secret).toHex());
}

bool orderSignatureValid(const QByteArray &body, const QString &signatureHeader,
                         const QString &secret)
{
    // A mail server may fold a long header line; white space is no part of the value.
    QString value = signatureHeader;
    value.removeIf([](QChar c) { return c.isSpace(); });
    if (!value.startsWith(kSignaturePrefix))
        return false;
    const QStringView hex = QStringView(value).mid(kSignaturePrefix.size());
    if (hex.size() != 64)
        return false;
    QByteArray given;
    for (const QChar c : hex) {
        const char16_t u = c.unicode();
        if (!((u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f')))
            return false;
        given.append(char(u));
    }
    given = QByteArray::fromHex(given);
    const QByteArray expected = signatureMac(body, secret);
    // Every byte is compared, whatever differs first.
    unsigned char difference = 0;
    for (qsizetype i = 0; i < expected.size(); ++i)
        difference |= static_cast<unsigned char>(expected[i] ^ given[i]);
    return difference == 0;
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

bool readOrderDocument(const QByteArray &body, OrderDocument *document, QString *error)
{
    *document = OrderDocument();
    error->clear();
    Node root;
    if (!parseTree(orderDocumentText(body), &root, error))
        return false;
    OrderDocument result;
    if (!readOrder(root, &result, error)) {
        document->order.uuid = result.order.uuid;
        return false;
    }
    *document = std::move(result);
    return true;
}

} // namespace vq::invoice

namespace vq::invoice {

bool readWithdrawalDocument(const QByteArray &body, TWiderruf *document, QString *error)
{
    *document = TWiderruf();
    error->clear();
    Node root;
    if (!parseTree(orderDocumentText(body), &root, error))
        return false;
    TWiderruf result;
    if (!readWithdrawal(root, &result, error)) {
        document->uuid = result.uuid;
        return false;
    }
    *document = std::move(result);
    return true;
}

} // namespace vq::invoice
