// The XML order document a form mailer sends in the body of an order mail:
// the customer's data in "formdata", the order lines with their options in
// "articles". Values are base64 of the text unless plain.
//
// Anyone can send an order mail, so the reader trusts nothing: the document is
// read once, with a bounded size and nesting depth and without any document
// type declaration (no entities of the sender's), and every value is checked
// before an order is made of it.
#pragma once

#include "invoice/records/invoice_records.h"
#include "invoice/records/withdrawal.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace vq::invoice {

// Limits of an order document. A real one holds some hundred bytes per order
// line and nests five elements deep.
inline constexpr qsizetype kMaxOrderDocumentBytes = 1024 * 1024;
inline constexpr int kMaxOrderDocumentDepth = 16;
// The identifier is a key of the database; the form mailer's are 36 characters.
inline constexpr qsizetype kMaxOrderUuidLength = 255;
// Prices and surcharges above this are no shop's; far larger ones would make the
// sums of the order views overflow.
inline constexpr double kMaxOrderPrice = 1e9;
// The most pieces of one line a form mailer accepts.
inline constexpr int kMaxOrderQuantity = 100000;

// The order of a document: the order row (without client, state or invoice
// number) and its lines, each with its options.
struct OrderDocument
{
    TBestellung order;
    QList<TArtikel> lines;
};

// The text of the document in a mail body: without the white space and control
// characters around it. The reader reads exactly this text.
QByteArray orderDocumentText(const QByteArray &body);

// Reads the whole document, once. On failure *error says what is wrong
// (German) and *document holds nothing but, when the XML could be read and
// named one, the identifier (document->order.uuid), so that an order already
// stored can be told from a new one.
bool readOrderDocument(const QByteArray &body, OrderDocument *document, QString *error);

// Strict base64 (MIME) as the form mailer encodes values: white space inside is
// skipped (the value may be wrapped), anything else outside the alphabet,
// padding that is missing or not at the end fails.
std::optional<QByteArray> decodeStrictBase64(QStringView base64);

// The text of a value's decoded bytes: UTF-8 when they are valid UTF-8 with
// characters beyond ASCII, otherwise Windows-1252. The values are single
// lines: tabs and line breaks become spaces, other control characters (with
// NUL, DEL and the C1 range) are left out.
QString decodeValueText(const QByteArray &bytes);

// The signature of an order mail: the header "X-VQ-Signature" holds
// "hmac-sha256=" and 64 lower-case hex digits, the HMAC-SHA256 with the
// client's order secret (its UTF-8 bytes) as key over the order document text
// (orderDocumentText) with every CR removed. Compared in constant time.
bool orderSignatureValid(const QByteArray &body, const QString &signatureHeader,
                         const QString &secret);
// The header value the form mailer sends for that body and secret.
QString orderSignature(const QByteArray &body, const QString &secret);

// Reads the document of a withdrawal mail ("Vertrag widerrufen") with the
// limits of an order document: "uuid", "timestamp", "orderDate" (YYYY-MM-DD)
// and "company" (the sender's network address) plain, "name", "email",
// "orderNumber" and "reason" base64. It must name an order number or an
// order date. On failure *error says what is wrong (German) and
// document->uuid holds the identifier when the document named one.
bool readWithdrawalDocument(const QByteArray &body, TWiderruf *document, QString *error);

// A decimal number with a point or a comma and no thousands separator.
std::optional<double> parseDecimal(const QString &text);

// "timestamp": seconds since 1970-01-01 00:00:00 as a clock reading, without
// time-zone conversion (a QDateTime in UTC, as the database keeps clock readings).
QDateTime timestampToDateTime(qint64 seconds);

} // namespace vq::invoice
