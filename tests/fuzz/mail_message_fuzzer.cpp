// Fuzz target over the mail reader: any bytes as a message from the POP3
// server, read as the import reads it (header, body with the transfer
// encoding undone, the signature header) and, when it is an order mail, its
// order document. Every input must end in a result or an error, never in a
// crash or a hang.
#include "invoice/mail/mail_message.h"
#include "invoice/mail/order_document.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace vq::invoice;
    const QByteArray raw(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    MailMessage mail;
    QString error;
    if (!readMailMessage(raw, &mail, &error))
        return 0;
    if (mail.subject.contains(QStringLiteral("VQBESTMAIL"))) {
        (void)orderSignatureValid(mail.body, mail.signature, QStringLiteral("geheim"));
        OrderDocument document;
        (void)readOrderDocument(mail.body, &document, &error);
    }
    return 0;
}
