// Reading single mails with GMime: transfer encodings undone, encoded
// subjects decoded, the sender's address without its name, and damaged mails
// read as far as they go without a crash.
#include "invoice/mail/mail_message.h"

#include <gtest/gtest.h>

using namespace vq::invoice;

namespace {

struct Case
{
    const char *name;
    QByteArray raw;
    const char *subject;
    const char *sender;
    QByteArray body;
};

// Test names and failure messages show the case by its name.
void PrintTo(const Case &c, std::ostream *os)
{
    *os << c.name;
}

const Case kCases[] = {
    {"QuotedPrintable",
     "From: \"M\xc3\xbcller, Hans\" <hans@example.org>\r\nSubject: A\r\nContent-Type: text/plain; "
     "charset=utf-8\r\n"
     "Content-Transfer-Encoding: quoted-printable\r\n\r\n<order a=3D\"1\">=\r\n</order>\r\n",
     "A", "hans@example.org", "<order a=\"1\"></order>\r\n"},
    {"Base64",
     "From: x@example.org\nSubject: B\nContent-Transfer-Encoding: base64\n\nPG9yZGVyLz4=\n", "B",
     "x@example.org", "<order/>"},
    {"EncodedSubject",
     "From: <y@example.org>\nSubject: =?ISO-8859-1?Q?Gr=FC=DFe_VQBESTMAIL?=\n\nText\n",
     "Grüße VQBESTMAIL", "y@example.org", "Text\n"},
    {"MultipartTakesFirstTextPart",
     "From: z@example.org\nSubject: M\nMIME-Version: 1.0\nContent-Type: multipart/mixed; "
     "boundary=XX\n\n--XX\n"
     "Content-Type: text/plain\n\n<order/>\n--XX\nContent-Type: application/pdf\n\nPDF\n--XX--\n",
     "M", "z@example.org", "<order/>"},
    {"HeaderOnly", "From: h@example.org\r\nSubject: Nur Kopf\r\n\r\n", "Nur Kopf", "h@example.org",
     ""},
    {"NoHeaders", "just some text without any header\n", "", "", ""},
    {"Empty", "", "", "", ""},
    {"BrokenBase64", "Subject: D\nContent-Transfer-Encoding: base64\n\n!!!not base64@@@\n", "D", "",
     ""},
    {"BinaryGarbage", QByteArray("\x00\xff\xfe\r\n\r\n\x01\x02", 8), "", "", ""},
};

class MailMessageTest : public testing::TestWithParam<Case>
{
};

TEST_P(MailMessageTest, Reads)
{
    const Case &c = GetParam();
    MailMessage mail;
    QString error;
    if (!readMailMessage(c.raw, &mail, &error)) {
        // Not readable at all: only acceptable for data that holds no mail.
        EXPECT_TRUE(QByteArray(c.subject).isEmpty());
        EXPECT_FALSE(error.isEmpty());
        return;
    }
    EXPECT_EQ(mail.subject, QString::fromUtf8(c.subject));
    EXPECT_EQ(mail.sender, QString::fromUtf8(c.sender));
    if (!c.body.isEmpty()) {
        EXPECT_EQ(mail.body.trimmed(), c.body.trimmed());
    }
}

INSTANTIATE_TEST_SUITE_P(Mails, MailMessageTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case> &info) {
                             return std::string(info.param.name);
                         });

TEST(MailMessage, DateIsTheMomentTheHeaderNames)
{
    MailMessage mail;
    ASSERT_TRUE(readMailMessage("Date: Mon, 15 Jan 2024 10:00:00 +0100\nSubject: x\n\nbody\n",
                                &mail, nullptr));
    EXPECT_EQ(mail.date.toUTC(), QDateTime(QDate(2024, 1, 15), QTime(9, 0), Qt::UTC));
    ASSERT_TRUE(readMailMessage("Date: kein Datum\nSubject: x\n\nbody\n", &mail, nullptr));
    EXPECT_FALSE(mail.date.isValid());
}

} // namespace
