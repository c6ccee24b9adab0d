// The XML order document a form mailer sends in the body of an order mail:
// the customer's data in "formdata", the order lines with their options in
// "articles". Values are base64 of Windows-1252 text unless plain.
#pragma once

#include "invoice_records.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace vq::invoice {

// The order of a document: the order row (without client, state or invoice
// number) and its lines, each with its options.
struct TOrderDocument
{
    TBestellung order;
    QList<TArtikel> lines;
};

// Reads only as far as the identifier "uuid": well-formed XML, the elements
// "formdata" and "articles", a non-empty "uuid". The duplicate test needs no more.
bool readOrderUuid(const QByteArray &body, QString *uuid, QString *error);

// Reads the whole document. On failure *error says what is wrong (German) and
// *document is left unchanged.
bool readOrderDocument(const QByteArray &body, TOrderDocument *document, QString *error);

// Base64 (MIME) of Windows-1252 text, as the form mailer encodes values.
QString decodeBase64Value(const QString &base64);

// A decimal number with a point or a comma and no thousands separator.
std::optional<double> parseDecimal(const QString &text);

// "timestamp": seconds since 1970-01-01 00:00:00 as a clock reading, without
// time-zone conversion (a QDateTime in UTC, as the database keeps clock readings).
QDateTime timestampToDateTime(qint64 seconds);

} // namespace vq::invoice
