#include "tests/formmailer/captured_mail.h"

#include <QRegularExpression>

namespace vq::test {

namespace {

QPair<QMap<QString, QString>, QByteArray> splitHeaders(const QByteArray &raw,
                                                       QByteArray *rawHeaders)
{
    QByteArray data = raw;
    data.replace("\r\n", "\n");
    const qsizetype end = data.indexOf("\n\n");
    const QByteArray head = end < 0 ? data : data.left(end);
    const QByteArray body = end < 0 ? QByteArray() : data.mid(end + 2);
    if (rawHeaders)
        *rawHeaders = head;
    QMap<QString, QString> headers;
    QString last;
    for (const QByteArray &line : head.split('\n')) {
        if (!line.isEmpty() && (line[0] == ' ' || line[0] == '\t') && !last.isEmpty()) {
            headers[last] += QString::fromUtf8(line.trimmed()).prepend(u' ');
            continue;
        }
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        last = QString::fromUtf8(line.left(colon)).trimmed().toLower();
        headers[last] = QString::fromUtf8(line.mid(colon + 1)).trimmed();
    }
    return {headers, body};
}

QByteArray decodeBody(const QMap<QString, QString> &headers, const QByteArray &body)
{
    if (headers.value(QStringLiteral("content-transfer-encoding")).toLower()
        == QLatin1String("base64"))
        return QByteArray::fromBase64(body);
    return body;
}

} // namespace

MailMessage parseMail(const QByteArray &raw)
{
    MailMessage mail;
    auto [headers, body] = splitHeaders(raw, &mail.rawHeaders);
    mail.headers = headers;
    const QString type = headers.value(QStringLiteral("content-type"));
    const auto match = QRegularExpression(QStringLiteral("boundary=\"([^\"]+)\"")).match(type);
    if (!type.startsWith(QLatin1String("multipart/")) || !match.hasMatch()) {
        mail.parts.append({headers, decodeBody(headers, body)});
        return mail;
    }
    const QByteArray delimiter = "--" + match.captured(1).toUtf8();
    const QList<QByteArray> pieces = body.split('\n');
    QByteArray current;
    bool inPart = false;
    auto flush = [&] {
        if (inPart) {
            auto [partHeaders, partBody] = splitHeaders(current, nullptr);
            mail.parts.append({partHeaders, decodeBody(partHeaders, partBody)});
        }
        current.clear();
    };
    for (const QByteArray &line : pieces) {
        if (line.startsWith(delimiter)) {
            flush();
            inPart = !line.startsWith(QByteArray(delimiter + "--"));
            continue;
        }
        current += line + '\n';
    }
    return mail;
}

} // namespace vq::test
