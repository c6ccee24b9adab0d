// GMime's headers use the word "signals"; the project builds with QT_NO_KEYWORDS.
#include <gmime/gmime.h>

#include "invoice/mail/mail_message.h"

#include <mutex>

namespace vq::invoice {

namespace {

std::once_flag gmimeInitialised;

// The first text part of the body: the body itself or, for a multipart
// mail, its first text/plain leaf.
GMimeObject *firstTextPart(GMimeObject *object)
{
    if (!object)
        return nullptr;
    if (GMIME_IS_MULTIPART(object)) {
        GMimeMultipart *multipart = GMIME_MULTIPART(object);
        const int count = g_mime_multipart_get_count(multipart);
        for (int i = 0; i < count; ++i)
            if (GMimeObject *found = firstTextPart(g_mime_multipart_get_part(multipart, i)))
                return found;
        return nullptr;
    }
    if (GMIME_IS_PART(object)) {
        GMimeContentType *type = g_mime_object_get_content_type(object);
        if (!type || g_mime_content_type_is_type(type, "text", "*"))
            return object;
    }
    return nullptr;
}

} // namespace

bool readMailMessage(const QByteArray &raw, MailMessage *message, QString *error)
{
    std::call_once(gmimeInitialised, [] { g_mime_init(); });
    *message = MailMessage();

    GMimeStream *stream = g_mime_stream_mem_new_with_byte_array(g_byte_array_new());
    g_mime_stream_write(stream, raw.constData(), static_cast<size_t>(raw.size()));
    g_mime_stream_seek(stream, 0, GMIME_STREAM_SEEK_SET);
    GMimeParser *parser = g_mime_parser_new_with_stream(stream);
    g_mime_parser_set_format(parser, GMIME_FORMAT_MESSAGE);
    GMimeMessage *mime = g_mime_parser_construct_message(parser, nullptr);
    g_object_unref(parser);
    g_object_unref(stream);
    if (!mime) {
        if (error)
            *error = QStringLiteral("Die E-Mail ist nicht lesbar.");
        return false;
    }

    if (const char *subject = g_mime_message_get_subject(mime))
        message->subject = QString::fromUtf8(subject);
    if (const char *signature = g_mime_object_get_header(GMIME_OBJECT(mime), "X-VQ-Signature"))
        message->signature = QString::fromLatin1(signature).trimmed();

    if (InternetAddressList *from = g_mime_message_get_from(mime)) {
        for (int i = 0; i < internet_address_list_length(from) && message->sender.isEmpty(); ++i) {
            InternetAddress *address = internet_address_list_get_address(from, i);
            if (INTERNET_ADDRESS_IS_MAILBOX(address))
                message->sender = QString::fromUtf8(
                    internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(address)));
        }
    }

    if (GDateTime *date = g_mime_message_get_date(mime))
        message->date = QDateTime::fromSecsSinceEpoch(g_date_time_to_unix(date));

    if (GMimeObject *part = firstTextPart(g_mime_message_get_mime_part(mime))) {
        if (GMimeDataWrapper *content = g_mime_part_get_content(GMIME_PART(part))) {
            GByteArray *bytes = g_byte_array_new();
            GMimeStream *out = g_mime_stream_mem_new_with_byte_array(bytes);
            g_mime_stream_mem_set_owner(GMIME_STREAM_MEM(out), FALSE);
            // Writing the wrapper undoes the transfer encoding.
            g_mime_data_wrapper_write_to_stream(content, out);
            g_object_unref(out);
            message->body = QByteArray(reinterpret_cast<const char *>(bytes->data),
                                       static_cast<qsizetype>(bytes->len));
            g_byte_array_free(bytes, TRUE);
        }
    }
    g_object_unref(mime);
    return true;
}

} // namespace vq::invoice
