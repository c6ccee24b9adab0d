// Reading one e-mail with GMime: subject, sender address, date, the form
// mailer's signature header and the text body with its transfer encoding
// (quoted-printable, base64) undone.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace vq::invoice {

struct MailMessage
{
    QString subject;   // decoded (RFC 2047)
    QString sender;    // address only, without the display name
    QDateTime date;    // invalid when the mail has no readable date
    QByteArray body;   // bytes of the text body after transfer decoding
    QString signature; // the header X-VQ-Signature as it stands; empty when missing
};

// Parses a whole message, or only its header (the reply to TOP n 0).
// Returns false with *error for data GMime cannot read as a message.
bool readMailMessage(const QByteArray &raw, MailMessage *message, QString *error);

} // namespace vq::invoice
