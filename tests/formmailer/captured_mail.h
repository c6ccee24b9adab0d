// Reads the mails the form mailer handed to sendmail: headers, the text part
// with its transfer encoding undone, and attachments.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

namespace vq::test {

struct MailPart
{
    QMap<QString, QString> headers; // names in lower case, folded lines joined
    QByteArray body;                // transfer encoding undone
};

struct MailMessage
{
    QMap<QString, QString> headers;
    QByteArray rawHeaders;
    QList<MailPart> parts; // a single part for a mail that is not multipart
    QString text() const { return QString::fromUtf8(parts.value(0).body); }
    QString header(const QString &name) const { return headers.value(name.toLower()); }
};

MailMessage parseMail(const QByteArray &raw);

} // namespace vq::test
