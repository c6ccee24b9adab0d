// The form mailer under a real PHP server: form mails in both formats, the
// order mail, the captcha, uploads, and every refusal that keeps the script
// from being abused. Mails go to a capture script instead of sendmail.
#include "designer/generation/order/number_notation.h"
#include "designer/model/business_order.h"
#include "designer/model/project_document.h"
#include "invoice/db/clients.h"
#include "invoice/db/invoice_connection.h"
#include "invoice/db/mailbox_store.h"
#include "invoice/db/order_store.h"
#include "invoice/mail/order_document.h"
#include "tests/formmailer/captured_mail.h"
#include "tests/formmailer/money_cases.h"
#include "tests/support/buyer_id_table.h"
#include "tests/support/local_server.h"
#include "tests/test_support.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDomDocument>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageAuthenticationCode>
#include <QProcess>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

#include <memory>
#include <vector>

using namespace vq::test;

namespace {

QString scramble(const QString &value)
{
    QByteArray bytes = value.toLatin1();
    for (char &c : bytes)
        c = static_cast<char>(c ^ 0x2C);
    return QString::fromLatin1(bytes.toBase64());
}

// The owner's key to the check page's list of settings in the tests' configuration.
const QString kCheckToken = QStringLiteral("pruef-0123456789-abcdef");

struct Response
{
    int status = 0;
    QString location;
    QString body;
};

class FormMailer : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    ServerProcess server;
    int port = 0;

    QString path(const QString &name) const { return dir.filePath(name); }

    // The cookies of the visitor that post() and get() act as.
    QString cookieJar = QStringLiteral("cookies.txt");

    void startServer(const QString &extraConfig = QString())
    {
        const QString source = QStringLiteral(VQ_SOURCE_DIR "/formmailer/");
        // A test may start the server again with other settings.
        for (const char *file : {"formmail.php", "vq_formmail_lib.php"}) {
            QFile::remove(path(QStringLiteral("web/") + QString::fromLatin1(file)));
            ASSERT_TRUE(QFile::copy(source + QString::fromLatin1(file),
                                    path(QStringLiteral("web/") + QString::fromLatin1(file))));
        }
        writeFile(
            path(QStringLiteral("web/formmail.config.php")),
            QStringLiteral(
                "<?php return ['allowed_recipients' => ['shop@example.com', "
                "'@rechnung.example.com'], 'mail_from' => 'formmailer@example.com', "
                "'storage_dir' => '%1', 'captcha_lifetime' => 600, "
                "'rate_limit_posts' => 50, 'rate_limit_seconds' => 600, "
                "'max_upload_size' => 4000, 'max_total_upload_size' => 6000, "
                "'refused_extensions' => ['php', 'phtml', 'htaccess', 'sh'], "
                "'captcha_required' => false, 'allowed_redirect_hosts' => ['shop.example.com'], "
                "'timezone' => 'Europe/Berlin', 'checkurl_token' => '%3', "
                "'send_confirmation' => false, %2];")
                .arg(path(QStringLiteral("storage")), extraConfig, kCheckToken)
                .toUtf8());
        writeFile(path(QStringLiteral("capture.sh")),
                  QStringLiteral("#!/bin/sh\ncat > \"%1/$(date +%s%N).eml\"\n")
                      .arg(path(QStringLiteral("mails")))
                      .toUtf8());
        QFile::setPermissions(path(QStringLiteral("capture.sh")),
                              QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        port = freeLocalPort();
        // Quiet (-q): no line per request, which would fill the unread pipe
        // after a few hundred requests and stop the server.
        ASSERT_TRUE(server.start(
            QStringLiteral("php"),
            {QStringLiteral("-q"), QStringLiteral("-S"), QStringLiteral("127.0.0.1:%1").arg(port),
             QStringLiteral("-t"), path(QStringLiteral("web")), QStringLiteral("-d"),
             QStringLiteral("sendmail_path=") + path(QStringLiteral("capture.sh")),
             QStringLiteral("-d"),
             QStringLiteral("session.save_path=") + path(QStringLiteral("storage"))}));
        ASSERT_TRUE(waitForPort(port)) << server.output().toStdString();
    }

    void SetUp() override
    {
        for (const char *sub : {"web", "mails", "storage"})
            QDir(dir.path()).mkpath(QString::fromLatin1(sub));
    }

    // The script that post() and get() address.
    QString script = QStringLiteral("formmail.php");

    QString url(const QString &query = QString()) const
    {
        return QStringLiteral("http://127.0.0.1:%1/%2%3").arg(port).arg(script, query);
    }

    // The fields a generated order page posts, with two articles of which
    // only the first is ordered.
    static QList<QPair<QString, QString>> orderForm(const QString &format)
    {
        return {
            {QStringLiteral("vq_formid"), QStringLiteral("4711")},
            {QStringLiteral("vq_settings"), scramble(QStringLiteral("false"))},
            {QStringLiteral("vq_tax"), scramble(QStringLiteral("brutto"))},
            {QStringLiteral("vq_danke"), QStringLiteral("https://shop.example.com/danke.htm")},
            {QStringLiteral("vq_ip"), QStringLiteral("-1")},
            {QStringLiteral("vq_encoding"), QStringLiteral("utf-8")},
            {QStringLiteral("vq_subject"), QStringLiteral("Bestellung über das Formular")},
            {QStringLiteral("vq_cryptmail"), QStringLiteral("0")},
            {QStringLiteral("vq_admin"), QStringLiteral("shop@example.com")},
            {QStringLiteral("vq_admin1"), QString()},
            {QStringLiteral("vq_admin2"), QString()},
            {QStringLiteral("vq_rechtool"), QStringLiteral("1")},
            {QStringLiteral("vq_rechtoolmail"), QStringLiteral("eingang@rechnung.example.com")},
            {QStringLiteral("vq_mailtext"),
             scramble(
                 QStringLiteral("Neue Bestellung von {#Vorname#} {#Nachname#}#br#Bitte prüfen."))},
            {QStringLiteral("vq_typemail"), format},
            {QStringLiteral("vq_anzahl"), QStringLiteral("2")},
            {QStringLiteral("vq_currency"), QStringLiteral("€")},
            {QStringLiteral("Vorname"), QStringLiteral("Max")},
            {QStringLiteral("Nachname"), QStringLiteral("Müller <b>")},
            {QStringLiteral("Ort"), QStringLiteral("Köln")},
            {QStringLiteral("email"), QStringLiteral("max@kunde.example.org")},
            {QStringLiteral("ReturnToSender"), QStringLiteral("-1")},
            {QStringLiteral("b_anz0"), QStringLiteral("2")},
            {QStringLiteral("b_ges0"), QStringLiteral("28,00 €")},
            {QStringLiteral("b_name0"), QStringLiteral("T-Shirt")},
            {QStringLiteral("b_preis0"), QStringLiteral("12.5")},
            {QStringLiteral("b_mwst0"), QStringLiteral("19")},
            {QStringLiteral("b_bestnr0"), QStringLiteral("TS-1")},
            {QStringLiteral("b_opt_count0"), QStringLiteral("2")},
            {QStringLiteral("b_opt_type0_0"), QStringLiteral("Price")},
            {QStringLiteral("b_optname0_0"), QStringLiteral("Farbe")},
            {QStringLiteral("b_opt0_0"), QStringLiteral("rot#1.50")},
            {QStringLiteral("b_opt_type0_1"), QStringLiteral("Input")},
            {QStringLiteral("b_optname0_1"), QStringLiteral("Aufdruck")},
            {QStringLiteral("b_opt0_1"), QStringLiteral("Hallo Welt")},
            {QStringLiteral("b_anz1"), QStringLiteral("0")},
            {QStringLiteral("b_name1"), QStringLiteral("Tasse")},
            {QStringLiteral("b_preis1"), QStringLiteral("8")},
            {QStringLiteral("b_mwst1"), QStringLiteral("19")},
            {QStringLiteral("b_bestnr1"), QStringLiteral("TA-1")},
            {QStringLiteral("b_opt_count1"), QStringLiteral("0")},
        };
    }

    static void set(QList<QPair<QString, QString>> &form, const QString &name, const QString &value)
    {
        for (auto &[key, old] : form)
            if (key == name) {
                old = value;
                return;
            }
        form.append({name, value});
    }

    // Posts with curl as a browser would (multipart); files as name -> path;filename=...
    Response post(const QList<QPair<QString, QString>> &form,
                  const QList<QPair<QString, QString>> &files = {},
                  const QString &query = QString(),
                  const QList<QPair<QString, QByteArray>> &rawFields = {})
    {
        QStringList args = {QStringLiteral("-s"), QStringLiteral("-D"),
                            path(QStringLiteral("head.txt")), QStringLiteral("-o"),
                            path(QStringLiteral("body.txt"))};
        for (const auto &[name, value] : form)
            args << QStringLiteral("--form-string") << name + u'=' + value;
        int rawCount = 0;
        for (const auto &[name, bytes] : rawFields) {
            const QString file = path(QStringLiteral("raw%1.bin").arg(rawCount++));
            writeFile(file, bytes);
            args << QStringLiteral("-F") << name + QStringLiteral("=<") + file;
        }
        for (const auto &[name, fileArg] : files)
            args << QStringLiteral("-F") << name + QStringLiteral("=@") + fileArg;
        args << url(query);
        return request(args);
    }

    Response get(const QString &query)
    {
        return request({QStringLiteral("-s"), QStringLiteral("-D"),
                        path(QStringLiteral("head.txt")), QStringLiteral("-o"),
                        path(QStringLiteral("body.txt")), url(query)});
    }

    Response request(QStringList args)
    {
        args.prepend(path(cookieJar));
        args.prepend(QStringLiteral("-c"));
        args.prepend(path(cookieJar));
        args.prepend(QStringLiteral("-b"));
        QByteArray out;
        EXPECT_EQ(runProgram(QStringLiteral("curl"), args, &out), 0);
        Response response;
        const QString head = QString::fromUtf8(readFile(path(QStringLiteral("head.txt"))));
        response.status = head.section(u' ', 1, 1).toInt();
        for (const QString &line : head.split(QStringLiteral("\r\n")))
            if (line.startsWith(QLatin1String("Location:"), Qt::CaseInsensitive))
                response.location = line.mid(9).trimmed();
        response.body = QString::fromUtf8(readFile(path(QStringLiteral("body.txt"))));
        return response;
    }

    QList<MailMessage> mails() const
    {
        QList<MailMessage> result;
        QDir mailDir(path(QStringLiteral("mails")));
        for (const QString &name : mailDir.entryList(QDir::Files, QDir::Name))
            result.append(parseMail(readFile(mailDir.filePath(name))));
        return result;
    }

    // The current visitor's captcha cookie (cookie jar), as the browser sends it.
    QByteArray captchaCookie() const
    {
        QByteArray value;
        for (const QByteArray &line : readFile(path(cookieJar)).split('\n'))
            if (line.contains("\tvq_captcha\t"))
                value = line.split('\t').last().trimmed();
        return value;
    }

    // The code of the current visitor's newest captcha image of a form,
    // worked out from the cookie with the server's key as formmail.php does.
    QString captchaCode(const QString &formId) const
    {
        return codeOfEntry(readFile(path(QStringLiteral("storage/captcha.key"))).trimmed(),
                           captchaCookie(), formId);
    }

    // Makes the current visitor send this captcha cookie.
    void setCaptchaCookie(const QByteArray &value)
    {
        writeFile(path(cookieJar), "127.0.0.1\tFALSE\t/\tFALSE\t0\tvq_captcha\t" + value + "\n");
    }

    // A captcha cookie entry as formmail.php makes it, with this key.
    static QByteArray captchaEntry(const QByteArray &key, const QByteArray &formId, qint64 issued,
                                   const QByteArray &nonce)
    {
        const QByteArray nul(1, '\0');
        const QByteArray tag =
            QMessageAuthenticationCode::hash("vq-captcha-tag" + nul + formId + nul
                                                 + QByteArray::number(issued) + nul + nonce,
                                             key, QCryptographicHash::Sha256)
                .left(16)
                .toHex();
        return formId + '-' + QByteArray::number(issued) + '-' + nonce + '-' + tag;
    }

    static QString codeOfEntry(const QByteArray &key, const QByteArray &cookie,
                               const QString &formId)
    {
        QString code;
        for (const QByteArray &entry : cookie.split('_')) {
            const QList<QByteArray> parts = entry.split('-');
            if (parts.size() != 4 || parts[0] != formId.toLatin1())
                continue;
            const QByteArray mac = QMessageAuthenticationCode::hash(
                "vq-captcha-code" + QByteArray(1, '\0') + parts[0] + QByteArray(1, '\0') + parts[1]
                    + QByteArray(1, '\0') + parts[2],
                key, QCryptographicHash::Sha256);
            code.clear();
            for (int i = 0; i < 5; ++i)
                code += QLatin1Char(
                    "ABCDEFGHJKLMNPQRSTUVWXYZ23456789"[static_cast<unsigned char>(mac[i]) & 31]);
        }
        return code;
    }

    void clearMails()
    {
        QDir mailDir(path(QStringLiteral("mails")));
        for (const QString &name : mailDir.entryList(QDir::Files))
            mailDir.remove(name);
    }
};

QString decode1252(const QString &base64)
{
    QStringDecoder decoder("windows-1252");
    return decoder(QByteArray::fromBase64(base64.toLatin1()));
}

// A decimal text as the order document writes numbers: no trailing zeros
// ("4.90" -> "4.9", "10.00" -> "10", "-0.00" -> "0").
QString plainNumber(QString text)
{
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    return text == u"-0" ? QStringLiteral("0") : text;
}

// The fields a generated page posts for the articles of a money case, as the
// customer filled it: hidden article data in the page's notations, quantity
// fields always, a check box only when ticked, the chosen price options.
QList<QPair<QString, QString>> moneyFields(const MoneyCase &money)
{
    QList<QPair<QString, QString>> fields;
    for (qsizetype i = 0; i < money.articles.size(); ++i) {
        const MoneyArticle &a = money.articles[i];
        const QString n = QString::number(i);
        if (a.kind == 0)
            fields.append({QStringLiteral("b_anz") + n, QString::number(a.quantity)});
        else if (a.kind == 2 && a.quantity > 0)
            fields.append({QStringLiteral("b_anz") + n, QStringLiteral("1")});
        for (qsizetype j = 0; j < a.options.size(); ++j) {
            const QString nj = n + u'_' + QString::number(j);
            const MoneyOptionValue &value = a.options[j].chosen();
            fields.append({QStringLiteral("b_opt") + nj,
                           value.name + u'#' + vq::priceKey(value.surcharge.toDouble())});
        }
        fields.append(
            {QStringLiteral("b_ges") + n, QStringLiteral("0,00 €")}); // shown only, never read
        fields.append({QStringLiteral("b_name") + n, a.name});
        fields.append({QStringLiteral("b_preis") + n, vq::scriptNumber(a.price.toDouble())});
        fields.append({QStringLiteral("b_mwst") + n, vq::scriptNumber(a.vat.toDouble())});
        fields.append({QStringLiteral("b_bestnr") + n, a.number});
        fields.append({QStringLiteral("b_opt_count") + n, QString::number(a.options.size())});
        for (qsizetype j = 0; j < a.options.size(); ++j) {
            const QString nj = n + u'_' + QString::number(j);
            fields.append({QStringLiteral("b_opt_type") + nj, QStringLiteral("Price")});
            fields.append({QStringLiteral("b_optname") + nj, a.options[j].name});
        }
        if (a.kind == 1)
            fields.append({QStringLiteral("b_anz") + n, QStringLiteral("1")});
    }
    return fields;
}

// The money of a form mail: the line totals in order, and the amount of each
// labelled line under the order ("Netto", "MwSt. 19 %", "MwSt.", "Gesamt").
struct MailFigures
{
    QStringList lines;
    QList<QPair<QString, QString>> labelled;
};

MailFigures mailFigures(const QString &text, bool html)
{
    MailFigures figures;
    if (html) {
        QString plain = text;
        plain.remove(QStringLiteral("<b>")).remove(QStringLiteral("</b>"));
        static const QRegularExpression line(
            QStringLiteral("<tr><td>\\d+</td>.*<td>([^<]*)</td></tr>"));
        static const QRegularExpression labelled(
            QStringLiteral("<tr><td colspan=\"4\">([^<]*)</td><td>([^<]*)</td></tr>"));
        for (const QString &row : plain.split(QStringLiteral("\r\n"))) {
            if (const auto m = line.match(row); m.hasMatch())
                figures.lines << m.captured(1);
            else if (const auto l = labelled.match(row); l.hasMatch())
                figures.labelled.append({l.captured(1), l.captured(2)});
        }
    } else {
        static const QRegularExpression line(QStringLiteral("^\\d+ x .* = (.*)$"));
        static const QRegularExpression labelled(
            QStringLiteral("^(Netto|MwSt\\.[^:]*|Gesamt): (.*)$"));
        for (const QString &row : text.split(QStringLiteral("\r\n"))) {
            if (const auto m = line.match(row); m.hasMatch())
                figures.lines << m.captured(1);
            else if (const auto l = labelled.match(row); l.hasMatch())
                figures.labelled.append({l.captured(1), l.captured(2)});
        }
    }
    return figures;
}

// What the form mail of a money case must show, money as the mails write it.
MailFigures expectedFigures(const MoneyCase &money, const QString &currency)
{
    auto shown = [&currency](const QString &amount) {
        return groupedMoney(amount) + u' ' + currency;
    };
    MailFigures figures;
    for (const QString &line : money.lines)
        figures.lines << shown(line);
    if (money.mode == u"netto")
        figures.labelled.append({QStringLiteral("Netto"), shown(money.net)});
    for (const MoneyRate &rate : money.rates)
        figures.labelled.append(
            {QStringLiteral("MwSt. ") + commaDecimal(rate.rate) + QStringLiteral(" %"),
             shown(rate.vat)});
    figures.labelled.append({QStringLiteral("MwSt."), shown(money.vat)});
    figures.labelled.append({QStringLiteral("Gesamt"), shown(money.total)});
    return figures;
}

} // namespace

TEST_F(FormMailer, SendsFormMailCopyAndOrderMailInBothFormats)
{
    startServer(QStringLiteral(
        "'send_copy_to_sender' => true, 'copy_subject' => 'Ihre Bestellung bei uns'"));
    for (const QString &format : {QStringLiteral("plain"), QStringLiteral("html")}) {
        clearMails();
        const Response response = post(orderForm(format));
        EXPECT_EQ(response.status, 303) << response.body.toStdString();
        EXPECT_EQ(response.location, QStringLiteral("https://shop.example.com/danke.htm"));

        const QList<MailMessage> sent = mails();
        ASSERT_EQ(sent.size(), 3) << format.toStdString();
        const MailMessage &mail = sent[0];
        EXPECT_EQ(mail.header(QStringLiteral("To")), QStringLiteral("shop@example.com"));
        EXPECT_EQ(mail.header(QStringLiteral("Reply-To")), QStringLiteral("max@kunde.example.org"));
        EXPECT_EQ(mail.header(QStringLiteral("Subject")),
                  QStringLiteral("=?UTF-8?B?")
                      + QString::fromLatin1(
                          QStringLiteral("Bestellung über das Formular").toUtf8().toBase64())
                      + QStringLiteral("?="));
        const QString text = mail.text();
        EXPECT_TRUE(mail.header(QStringLiteral("Content-Type"))
                        .startsWith(format == QLatin1String("html")
                                        ? QStringLiteral("text/html")
                                        : QStringLiteral("text/plain")));
        // Placeholders are filled; values reach an HTML mail escaped.
        if (format == QLatin1String("html")) {
            EXPECT_TRUE(
                text.contains(QStringLiteral("Neue Bestellung von Max Müller &lt;b&gt;<br>")))
                << text.toStdString();
            EXPECT_FALSE(text.contains(QStringLiteral("Müller <b>")));
        } else {
            EXPECT_TRUE(text.contains(
                QStringLiteral("Neue Bestellung von Max Müller <b>\r\nBitte prüfen.")))
                << text.toStdString();
            EXPECT_TRUE(text.contains(QStringLiteral("Ort: Köln")));
        }
        // The order: only the ordered line, surcharges in the line total, VAT contained.
        EXPECT_TRUE(text.contains(QStringLiteral("T-Shirt")));
        EXPECT_FALSE(text.contains(QStringLiteral("Tasse")));
        EXPECT_TRUE(text.contains(QStringLiteral("28,00 €")));
        EXPECT_TRUE(text.contains(QStringLiteral("4,47 €"))); // 28 * 19 / 119
        EXPECT_TRUE(text.contains(QStringLiteral("rot")));
        EXPECT_TRUE(text.contains(QStringLiteral("Hallo Welt")));
        EXPECT_TRUE(text.contains(QStringLiteral("127.0.0.1")));
        EXPECT_FALSE(text.contains(QStringLiteral("vq_admin")));

        // The copy: the owner's subject and text, the customer's fields and the order.
        EXPECT_EQ(sent[1].header(QStringLiteral("To")), QStringLiteral("max@kunde.example.org"));
        EXPECT_EQ(sent[1].header(QStringLiteral("Subject")),
                  QStringLiteral("Ihre Bestellung bei uns"));
        const QString copy = sent[1].text();
        EXPECT_TRUE(copy.contains(QStringLiteral("Vielen Dank für Ihre Nachricht.")))
            << copy.toStdString();
        EXPECT_FALSE(copy.contains(QStringLiteral("Neue Bestellung von")));
        for (const char *shown : {"Max", "Köln", "T-Shirt", "28,00 €", "4,47 €", "Hallo Welt"})
            EXPECT_TRUE(copy.contains(QString::fromUtf8(shown))) << shown << "\n"
                                                                 << copy.toStdString();
        EXPECT_FALSE(copy.contains(QStringLiteral("127.0.0.1")))
            << "the owner's extra lines stay the owner's";
        EXPECT_EQ(sent[2].header(QStringLiteral("To")),
                  QStringLiteral("eingang@rechnung.example.com"));
        EXPECT_TRUE(
            sent[2].header(QStringLiteral("Subject")).contains(QStringLiteral("VQBESTMAIL")));
    }
}

// The order mail reads back by the invoice module's own reader.
TEST_F(FormMailer, OrderMailHoldsTheOrderDocument)
{
    startServer();
    auto form = orderForm(QStringLiteral("plain"));
    set(form, QStringLiteral("vq_tax"), scramble(QStringLiteral("netto")));
    set(form, QStringLiteral("Firma"), QStringLiteral("Café & Co"));
    ASSERT_EQ(post(form).status, 303);
    ASSERT_EQ(post(form).status, 303);
    const QList<MailMessage> sent = mails();
    ASSERT_EQ(sent.size(), 4); // no copies: the delivered setting sends none

    QStringList uuids;
    for (const MailMessage &mail : {sent[1], sent[3]}) {
        vq::invoice::OrderDocument document;
        QString error;
        ASSERT_TRUE(vq::invoice::readOrderDocument(mail.parts[0].body, &document, &error))
            << error.toStdString() << "\n"
            << mail.parts[0].body.toStdString();
        const vq::invoice::TBestellung &order = document.order;
        uuids << order.uuid;
        EXPECT_EQ(order.firma, QStringLiteral("Café & Co"));
        EXPECT_EQ(order.name, QStringLiteral("Max"));
        EXPECT_EQ(order.nachname, QStringLiteral("Müller <b>"));
        EXPECT_EQ(order.ort, QStringLiteral("Köln"));
        EXPECT_EQ(order.email, QStringLiteral("max@kunde.example.org"));
        EXPECT_TRUE(order.strasse.isEmpty());
        EXPECT_EQ(order.ip, QStringLiteral("127.0.0.1"));
        // Local clock time of the shop, within a day of now.
        EXPECT_LT(std::abs(order.zeit.secsTo(QDateTime::currentDateTimeUtc())), 26 * 3600);

        ASSERT_EQ(document.lines.size(), 1); // the unordered line is not sent
        const vq::invoice::TArtikel &line = document.lines[0];
        EXPECT_EQ(line.nr, QStringLiteral("TS-1"));
        EXPECT_EQ(line.name, QStringLiteral("T-Shirt"));
        // Netto: the invoice module takes the net prices as posted and keeps the order netto.
        EXPECT_TRUE(order.netto);
        EXPECT_DOUBLE_EQ(line.preis, 12.5);
        EXPECT_DOUBLE_EQ(line.mwst, 19);
        EXPECT_EQ(line.anzahl, 2);
        ASSERT_EQ(line.optionen.size(), 2);
        EXPECT_EQ(line.optionen[0].name, QStringLiteral("Farbe"));
        EXPECT_EQ(line.optionen[0].wert, QStringLiteral("rot"));
        EXPECT_EQ(line.optionen[0].preis, std::optional<double>(1.5));
        EXPECT_EQ(line.optionen[1].wert, QStringLiteral("Hallo Welt"));
        EXPECT_FALSE(line.optionen[1].preis.has_value()); // price 0: no price

        // For invoice modules that know no net prices the gross ones stay, unrounded.
        QDomDocument doc;
        ASSERT_TRUE(doc.setContent(mail.parts[0].body));
        const QDomElement article =
            doc.documentElement().firstChildElement(QStringLiteral("articles")).firstChildElement();
        EXPECT_EQ(QByteArray::fromBase64(
                      article.firstChildElement(QStringLiteral("price")).text().toLatin1()),
                  "14.875");
        EXPECT_EQ(QByteArray::fromBase64(
                      article.firstChildElement(QStringLiteral("netPrice")).text().toLatin1()),
                  "12.5");
        const QDomElement colour =
            article.firstChildElement(QStringLiteral("options")).firstChildElement();
        EXPECT_EQ(colour.attribute(QStringLiteral("price")), QStringLiteral("1.785"));
        EXPECT_EQ(colour.attribute(QStringLiteral("netPrice")), QStringLiteral("1.5"));
    }
    EXPECT_NE(uuids[0], uuids[1]);
    // Netto: the VAT is added to the total (28 + 5.32).
    EXPECT_TRUE(sent[0].text().contains(QStringLiteral("33,32 €"))) << sent[0].text().toStdString();
}

TEST_F(FormMailer, CaptchaIsServedAndCheckedOnce)
{
    startServer();
    const Response image = get(QStringLiteral("?action=captcha&id=4711"));
    ASSERT_EQ(image.status, 200);
    EXPECT_TRUE(readFile(path(QStringLiteral("body.txt"))).startsWith("\x89PNG"));
    const QString code = captchaCode(QStringLiteral("4711"));
    ASSERT_EQ(code.size(), 5);

    // A second visitor of the same form gets a code of their own, and their
    // wrong try leaves the first visitor's code valid.
    cookieJar = QStringLiteral("cookies-b.txt");
    ASSERT_EQ(get(QStringLiteral("?action=captcha&id=4711")).status, 200);
    const QString codeB = captchaCode(QStringLiteral("4711"));
    auto form = orderForm(QStringLiteral("plain"));
    set(form, QStringLiteral("vq_settings"), scramble(QStringLiteral("true")));
    set(form, QStringLiteral("captcha_input"),
        codeB == QLatin1String("XXXXX") ? QStringLiteral("YYYYY") : QStringLiteral("XXXXX"));
    EXPECT_EQ(post(form).status, 400);
    cookieJar = QStringLiteral("cookies.txt");

    set(form, QStringLiteral("captcha_input"), code.toLower());
    EXPECT_EQ(post(form).status, 303);
    EXPECT_EQ(mails().size(), 2);

    // The same code a second time, a wrong code, no code: refused, no mail.
    clearMails();
    const Response again = post(form);
    EXPECT_EQ(again.status, 400);
    EXPECT_TRUE(again.body.contains(QStringLiteral("Falscher Sicherheitscode")));
    get(QStringLiteral("?action=captcha&id=4711"));
    set(form, QStringLiteral("captcha_input"), QStringLiteral("XXXXX"));
    set(form, QStringLiteral("settings_error_captcha"),
        QString::fromLatin1(QByteArray("https://shop.example.com/captcha-falsch.htm").toBase64()));
    const Response wrong = post(form);
    EXPECT_EQ(wrong.status, 303);
    EXPECT_EQ(wrong.location, QStringLiteral("https://shop.example.com/captcha-falsch.htm"));
    EXPECT_TRUE(mails().isEmpty());

    // The form open in two tabs: the first tab's code still counts after the second loaded.
    get(QStringLiteral("?action=captcha&id=4711"));
    const QString firstTab = captchaCode(QStringLiteral("4711"));
    get(QStringLiteral("?action=captcha&id=4711"));
    set(form, QStringLiteral("captcha_input"), firstTab);
    set(form, QStringLiteral("settings_error_captcha"), QString());
    EXPECT_EQ(post(form).status, 303);
    clearMails();

    // A code belongs to its visitor: B's fresh code does not pass with A's cookie.
    cookieJar = QStringLiteral("cookies-b.txt");
    get(QStringLiteral("?action=captcha&id=4711"));
    const QString freshB = captchaCode(QStringLiteral("4711"));
    cookieJar = QStringLiteral("cookies.txt");
    get(QStringLiteral("?action=captcha&id=4711"));
    set(form, QStringLiteral("captcha_input"), freshB);
    set(form, QStringLiteral("settings_error_captcha"), QString());
    if (freshB != captchaCode(QStringLiteral("4711"))) {
        EXPECT_EQ(post(form).status, 400);
    }
    EXPECT_TRUE(mails().isEmpty());

    EXPECT_EQ(get(QStringLiteral("?action=captcha&id=../../x")).status, 404);
}

// The captcha cookie is the server's: an entry it did not make, made for
// another form, expired or used before lets no post through, and an entry
// that was refused for its tag is not used up by that.
TEST_F(FormMailer, CaptchaCookieCannotBeForgedOrReplayed)
{
    startServer(QStringLiteral("'captcha_required' => true"));
    ASSERT_EQ(get(QStringLiteral("?action=captcha&id=4711")).status, 200);
    const QByteArray key = readFile(path(QStringLiteral("storage/captcha.key"))).trimmed();
    ASSERT_EQ(key.size(), 64);
    const QByteArray otherKey(64, 'a');
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const QByteArray good = captchaEntry(key, "4711", now, "0123456789abcdef01234567");
    QByteArray changedTag = good;
    changedTag[changedTag.size() - 1] = good.endsWith('0') ? '1' : '0';
    const QByteArray expired = captchaEntry(key, "4711", now - 700, "1123456789abcdef01234567");
    const QByteArray future = captchaEntry(key, "4711", now + 3600, "2123456789abcdef01234567");
    const QByteArray otherForm = captchaEntry(key, "4712", now, "3123456789abcdef01234567");
    const QByteArray foreign = captchaEntry(otherKey, "4711", now, "4123456789abcdef01234567");
    const QByteArray spare = captchaEntry(key, "4711", now, "5123456789abcdef01234567");
    struct Case
    {
        const char *what;
        QByteArray cookie;
        QString typed;
        int status;
    };
    const Case cases[] = {
        {"entry with a changed tag", changedTag, codeOfEntry(key, good, QStringLiteral("4711")),
         400},
        {"entry older than the lifetime", expired,
         codeOfEntry(key, expired, QStringLiteral("4711")), 400},
        {"entry from the future", future, codeOfEntry(key, future, QStringLiteral("4711")), 400},
        {"entry of another form", otherForm, codeOfEntry(key, otherForm, QStringLiteral("4712")),
         400},
        {"entry signed with another key", foreign,
         codeOfEntry(otherKey, foreign, QStringLiteral("4711")), 400},
        {"entries beyond the cookie's size", (spare + '_').repeated(40) + spare,
         codeOfEntry(key, spare, QStringLiteral("4711")), 400},
        {"broken bytes", QByteArray("4711-\xFF\x01-%00-<script>_") + QByteArray(3000, '-'),
         QStringLiteral("ABCDE"), 400},
        {"the code of another entry", good, codeOfEntry(key, spare, QStringLiteral("4711")), 400},
        {"an entry as the server makes it, after all those", spare,
         codeOfEntry(key, spare, QStringLiteral("4711")), 303},
        {"the same entry again", spare, codeOfEntry(key, spare, QStringLiteral("4711")), 400},
        {"an entry refused before for its code", good,
         codeOfEntry(key, good, QStringLiteral("4711")), 400},
    };
    for (const Case &c : cases) {
        clearMails();
        cookieJar = QStringLiteral("forged.txt");
        setCaptchaCookie(c.cookie);
        auto form = orderForm(QStringLiteral("plain"));
        set(form, QStringLiteral("captcha_input"), c.typed);
        const Response response = post(form);
        EXPECT_EQ(response.status, c.status) << c.what << "\n" << response.body.toStdString();
        EXPECT_EQ(mails().size(), c.status == 303 ? 2 : 0) << c.what;
        for (const char *leak : {"Warning", "Fatal", "Uncaught", ".php on line"})
            EXPECT_FALSE(response.body.contains(QString::fromLatin1(leak))) << c.what;
    }

    // One code in five posts at the same moment: exactly one goes.
    cookieJar = QStringLiteral("race.txt");
    ASSERT_EQ(get(QStringLiteral("?action=captcha&id=4711")).status, 200);
    auto form = orderForm(QStringLiteral("plain"));
    set(form, QStringLiteral("captcha_input"), captchaCode(QStringLiteral("4711")));
    QStringList args = {
        QStringLiteral("-s"),          QStringLiteral("-b"),        path(cookieJar),
        QStringLiteral("-o"),          QStringLiteral("/dev/null"), QStringLiteral("-w"),
        QStringLiteral("%{http_code}")};
    for (const auto &[name, value] : form)
        args << QStringLiteral("--form-string") << name + u'=' + value;
    args << url();
    clearMails();
    std::vector<std::unique_ptr<QProcess>> posts;
    for (int i = 0; i < 5; ++i) {
        posts.push_back(std::make_unique<QProcess>());
        posts.back()->start(QStringLiteral("curl"), args);
    }
    int sent = 0;
    for (auto &process : posts) {
        ASSERT_TRUE(process->waitForFinished(30000));
        const QByteArray status = process->readAllStandardOutput();
        EXPECT_TRUE(status == "303" || status == "400") << status.toStdString();
        sent += status == "303" ? 1 : 0;
    }
    EXPECT_EQ(sent, 1);
    EXPECT_EQ(mails().size(), 2);
}

// A flood of captcha images from one address, without the cookie or with a
// hostile one, stores nothing: the storage folder holds only the key, and a
// new visitor gets an image and orders.
TEST_F(FormMailer, CaptchaImageFloodLocksNoOneOut)
{
    startServer(QStringLiteral("'captcha_required' => true"));
    // The code files an earlier version stored go with the first key.
    for (int i = 0; i < 3; ++i)
        writeFile(path(QStringLiteral("storage/captcha_4711_%1.txt").arg(i)), "ABCDE");
    for (const QByteArray &cookie :
         {QByteArray(), QByteArray("vq_captcha=") + QByteArray(4000, 'A'),
          QByteArray("vq_captcha=4711-1-0123456789abcdef01234567-") + QByteArray(32, '0')}) {
        QStringList args = {QStringLiteral("-s"), QStringLiteral("-w"),
                            QStringLiteral("%{http_code}\n")};
        if (!cookie.isEmpty())
            args << QStringLiteral("-H")
                 << QStringLiteral("Cookie: ") + QString::fromLatin1(cookie);
        for (int i = 0; i < 150; ++i)
            args << QStringLiteral("-o") << QStringLiteral("/dev/null")
                 << url(QStringLiteral("?action=captcha&id=4711"));
        QByteArray out;
        ASSERT_EQ(runProgram(QStringLiteral("curl"), args, &out, 120000), 0);
        const QList<QByteArray> statuses = out.trimmed().split('\n');
        EXPECT_EQ(statuses.size(), 150);
        EXPECT_EQ(statuses.count("200"), 150) << out.toStdString();
    }
    EXPECT_EQ(QDir(path(QStringLiteral("storage")))
                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("captcha.key")});

    ASSERT_EQ(get(QStringLiteral("?action=captcha&id=4711")).status, 200);
    auto form = orderForm(QStringLiteral("plain"));
    set(form, QStringLiteral("captcha_input"), captchaCode(QStringLiteral("4711")));
    EXPECT_EQ(post(form).status, 303);
    EXPECT_EQ(mails().size(), 2);
}

// The configuration, not the post, decides whether a form needs the captcha.
TEST_F(FormMailer, CaptchaCannotBeSwitchedOffByThePost)
{
    startServer(QStringLiteral("'captcha_required' => true"));
    auto form = orderForm(QStringLiteral("plain"));
    set(form, QStringLiteral("vq_settings"), scramble(QStringLiteral("false")));
    const Response noField = post(form);
    EXPECT_EQ(noField.status, 400);
    EXPECT_TRUE(noField.body.contains(QStringLiteral("captcha_required")))
        << noField.body.toStdString();
    set(form, QStringLiteral("captcha_input"), QString());
    EXPECT_EQ(post(form).status, 400);
    set(form, QStringLiteral("vq_settings"), QStringLiteral("garbage"));
    EXPECT_EQ(post(form).status, 400);
    EXPECT_TRUE(mails().isEmpty());

    get(QStringLiteral("?action=captcha&id=4711"));
    set(form, QStringLiteral("captcha_input"), captchaCode(QStringLiteral("4711")));
    EXPECT_EQ(post(form).status, 303);
    EXPECT_EQ(mails().size(), 2);
}

// A page made without captcha posts to a form mailer that demands one: the
// refusal says so and names the setting, never "wrong code", and does not
// lead to the page's error page for a wrong code; a page with the field and a
// wrong code still gets that error page.
TEST_F(FormMailer, CaptchaRefusalSaysWhatIsWrong)
{
    startServer(QStringLiteral("'captcha_required' => true"));
    const QString wrongCodePage = QStringLiteral("https://shop.example.com/captcha-falsch.htm");
    const struct
    {
        const char *what;
        std::optional<QString> typed; // nothing: the page has no captcha field
        int status;
        const char *inBody;
        QString location;
    } cases[] = {
        {"page without captcha field", std::nullopt, 400, "captcha_required", QString()},
        {"page with the field, wrong code", QStringLiteral("XXXXX"), 303, "", wrongCodePage},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        auto form = orderForm(QStringLiteral("plain"));
        set(form, QStringLiteral("vq_settings"), scramble(QStringLiteral("false")));
        set(form, QStringLiteral("settings_error_captcha"),
            QString::fromLatin1(wrongCodePage.toLatin1().toBase64()));
        if (c.typed) {
            ASSERT_EQ(get(QStringLiteral("?action=captcha&id=4711")).status, 200);
            set(form, QStringLiteral("captcha_input"), *c.typed);
        }
        const Response response = post(form);
        EXPECT_EQ(response.status, c.status);
        EXPECT_EQ(response.location, c.location);
        EXPECT_TRUE(response.body.contains(QString::fromLatin1(c.inBody)))
            << response.body.toStdString();
        if (!c.typed) {
            EXPECT_TRUE(response.body.contains(QStringLiteral("Sicherheitscode fehlt")));
            EXPECT_TRUE(response.body.contains(QStringLiteral("Captcha-Spamschutz aktivieren")));
            EXPECT_FALSE(response.body.contains(QStringLiteral("Falscher Sicherheitscode")));
        }
    }
    EXPECT_TRUE(mails().isEmpty());
}

// A list of form ids in captcha_required (older configurations) demands the
// captcha of every form: the post names its form, so no posted id may skip it.
TEST_F(FormMailer, CaptchaListCannotBeSkippedWithAnotherFormId)
{
    for (const QString &setting :
         {QStringLiteral("['123456789']"), QStringLiteral("[]"), QStringLiteral("['4711']")}) {
        SCOPED_TRACE(setting.toStdString());
        server.stop();
        startServer(QStringLiteral("'captcha_required' => ") + setting);
        for (const QString &formId :
             {QStringLiteral("4711"), QStringLiteral("123456789"), QStringLiteral("999"), QString(),
              QStringLiteral("../4711")}) {
            clearMails();
            auto form = orderForm(QStringLiteral("plain"));
            set(form, QStringLiteral("vq_formid"), formId);
            const Response response = post(form);
            EXPECT_EQ(response.status, 400) << formId.toStdString();
            EXPECT_TRUE(response.body.contains(QStringLiteral("Sicherheitscode fehlt")))
                << formId.toStdString();
            set(form, QStringLiteral("captcha_input"), QStringLiteral("ABCDE"));
            EXPECT_EQ(post(form).status, 400) << formId.toStdString();
            EXPECT_TRUE(mails().isEmpty()) << formId.toStdString();
        }
        // With the code of its image the form goes.
        ASSERT_EQ(get(QStringLiteral("?action=captcha&id=4711")).status, 200);
        auto form = orderForm(QStringLiteral("plain"));
        set(form, QStringLiteral("captcha_input"), captchaCode(QStringLiteral("4711")));
        EXPECT_EQ(post(form).status, 303);
        EXPECT_EQ(mails().size(), 2);
    }
}

TEST_F(FormMailer, RefusesAbuse)
{
    startServer();
    writeFile(path(QStringLiteral("htaccess")), "Options +ExecCGI\n");
    writeFile(path(QStringLiteral("big.bin")), QByteArray(5000, 'x'));
    writeFile(path(QStringLiteral("formel.csv")), "Artikel;Menge\r\n=cmd|' /C calc'!A0;1\r\n");
    const QString errorPage =
        QString::fromLatin1(QByteArray("https://shop.example.com/datei.htm").toBase64());
    const QString foreignPage =
        QString::fromLatin1(QByteArray("https://boese.example.net/falle.htm").toBase64());
    auto upload = [this](const char *name) {
        return QList<QPair<QString, QString>>{
            {QStringLiteral("datei"), path(QStringLiteral("htaccess"))
                                          + QStringLiteral(";filename=") + QString::fromLatin1(name)
                                          + QStringLiteral(";type=image/png")}};
    };
    const QString refusedOrder = QStringLiteral("Bestellung nicht angenommen");
    struct Case
    {
        const char *what;
        QList<QPair<QString, QString>> changes;
        QList<QPair<QString, QString>> files;
        int status;
        QString location; // or text in the page
        QList<QPair<QString, QByteArray>> rawFields = {};
    };
    const Case cases[] = {
        {"recipient outside the allowed list",
         {{QStringLiteral("vq_admin"), QStringLiteral("opfer@anderswo.example.net")}},
         {},
         403,
         QStringLiteral("Empfänger nicht erlaubt")},
        {"allowed recipient plus a second one that is not",
         {{QStringLiteral("vq_admin1"), QStringLiteral("spam@anderswo.example.net")}},
         {},
         403,
         QStringLiteral("Empfänger nicht erlaubt")},
        {"several addresses in one field",
         {{QStringLiteral("vq_admin"),
           QStringLiteral("shop@example.com, spam@anderswo.example.net")}},
         {},
         403,
         QStringLiteral("Empfänger nicht erlaubt")},
        {"invoice-module address outside the list",
         {{QStringLiteral("vq_rechtoolmail"), QStringLiteral("eingang@anderswo.example.net")}},
         {},
         403,
         QStringLiteral("Rechnungsmoduls")},
        // Routing tricks whose last domain is an allowed one.
        {"quoted local part",
         {{QStringLiteral("vq_rechtoolmail"),
           QStringLiteral("\"opfer@anderswo.example.net\"@rechnung.example.com")}},
         {},
         403,
         QStringLiteral("Rechnungsmoduls")},
        {"percent routing",
         {{QStringLiteral("vq_rechtoolmail"),
           QStringLiteral("opfer%anderswo.example.net@rechnung.example.com")}},
         {},
         403,
         QStringLiteral("Rechnungsmoduls")},
        {"bang path",
         {{QStringLiteral("vq_rechtoolmail"),
           QStringLiteral("anderswo.example.net!opfer@rechnung.example.com")}},
         {},
         403,
         QStringLiteral("Rechnungsmoduls")},
        {"comment",
         {{QStringLiteral("vq_rechtoolmail"),
           QStringLiteral("eingang(x@anderswo.example.net)@rechnung.example.com")}},
         {},
         403,
         QStringLiteral("Rechnungsmoduls")},
        {"address literal",
         {{QStringLiteral("vq_admin"), QStringLiteral("shop@[127.0.0.1]")}},
         {},
         403,
         QStringLiteral("Empfänger nicht erlaubt")},
        {"recipient posted as an array",
         {{QStringLiteral("vq_admin[]"), QStringLiteral("shop@example.com")}},
         {},
         400,
         QStringLiteral("Kein Empfänger")},
        {".htaccess upload",
         {{QStringLiteral("settings_error_fileerror"), errorPage}},
         {{QStringLiteral("datei"),
           path(QStringLiteral("htaccess")) + QStringLiteral(";filename=.htaccess")}},
         303,
         QStringLiteral("https://shop.example.com/datei.htm")},
        {"script hidden behind a second extension",
         {},
         upload("bild.php.jpg"),
         400,
         QStringLiteral("Datei nicht angenommen")},
        {"upload beyond the size limit",
         {},
         {{QStringLiteral("datei"),
           path(QStringLiteral("big.bin")) + QStringLiteral(";filename=gross.pdf")}},
         400,
         QStringLiteral("Datei nicht angenommen")},
        // Uploads that would run on the owner's PC.
        {".hta upload", {}, upload("hilfe.hta"), 400, QStringLiteral("Datei nicht angenommen")},
        {".html upload", {}, upload("seite.html"), 400, QStringLiteral("Datei nicht angenommen")},
        {".lnk upload", {}, upload("ordner.lnk"), 400, QStringLiteral("Datei nicht angenommen")},
        {".msi upload", {}, upload("setup.msi"), 400, QStringLiteral("Datei nicht angenommen")},
        {".docm upload", {}, upload("angebot.docm"), 400, QStringLiteral("Datei nicht angenommen")},
        {".ps1 upload", {}, upload("skript.ps1"), 400, QStringLiteral("Datei nicht angenommen")},
        {"executable behind a document name",
         {},
         upload("rechnung.pdf.exe"),
         400,
         QStringLiteral("Datei nicht angenommen")},
        {"upload without an ending",
         {},
         upload("datei"),
         400,
         QStringLiteral("Datei nicht angenommen")},
        // A spreadsheet runs "=cmd|' /C calc'!A0" when the owner opens it: csv only when the owner
        // lists it.
        {"csv upload",
         {},
         {{QStringLiteral("datei"),
           path(QStringLiteral("formel.csv"))
               + QStringLiteral(";filename=bestellung.csv;type=text/csv")}},
         400,
         QStringLiteral("Datei nicht angenommen")},
        {"error page on a foreign host",
         {{QStringLiteral("settings_error_fileerror"), foreignPage}},
         upload("x.hta"),
         400,
         QStringLiteral("Datei nicht angenommen")},
        {"no recipient",
         {{QStringLiteral("vq_admin"), QString()}},
         {},
         400,
         QStringLiteral("Kein Empfänger")},
        // Amounts: negative, out of range or unreadable.
        {"negative price",
         {{QStringLiteral("b_preis0"), QStringLiteral("-12.5")}},
         {},
         400,
         refusedOrder},
        {"negative quantity",
         {{QStringLiteral("b_anz0"), QStringLiteral("-2")}},
         {},
         400,
         refusedOrder},
        {"fractional quantity",
         {{QStringLiteral("b_anz0"), QStringLiteral("1.5")}},
         {},
         400,
         refusedOrder},
        {"quantity with exponent",
         {{QStringLiteral("b_anz0"), QStringLiteral("1e3")}},
         {},
         400,
         refusedOrder},
        {"hexadecimal quantity",
         {{QStringLiteral("b_anz0"), QStringLiteral("0x10")}},
         {},
         400,
         refusedOrder},
        {"huge quantity",
         {{QStringLiteral("b_anz0"), QStringLiteral("100000000")}},
         {},
         400,
         refusedOrder},
        {"price with exponent",
         {{QStringLiteral("b_preis0"), QStringLiteral("1e3")}},
         {},
         400,
         refusedOrder},
        {"price NaN", {{QStringLiteral("b_preis0"), QStringLiteral("NaN")}}, {}, 400, refusedOrder},
        {"price INF", {{QStringLiteral("b_preis0"), QStringLiteral("INF")}}, {}, 400, refusedOrder},
        {"price with two points",
         {{QStringLiteral("b_preis0"), QStringLiteral("12.5.0")}},
         {},
         400,
         refusedOrder},
        {"grouped price",
         {{QStringLiteral("b_preis0"), QStringLiteral("1.000,50")}},
         {},
         400,
         refusedOrder},
        {"empty price", {{QStringLiteral("b_preis0"), QString()}}, {}, 400, refusedOrder},
        {"price beyond a billion",
         {{QStringLiteral("b_preis0"), QStringLiteral("1000000000")}},
         {},
         400,
         refusedOrder},
        {"VAT above 100",
         {{QStringLiteral("b_mwst0"), QStringLiteral("150")}},
         {},
         400,
         refusedOrder},
        {"negative VAT",
         {{QStringLiteral("b_mwst0"), QStringLiteral("-19")}},
         {},
         400,
         refusedOrder},
        {"VAT with a percent sign",
         {{QStringLiteral("b_mwst0"), QStringLiteral("19%")}},
         {},
         400,
         refusedOrder},
        {"discount beyond the price",
         {{QStringLiteral("b_opt0_0"), QStringLiteral("rot#-14.00")}},
         {},
         400,
         refusedOrder},
        {"surcharge with two signs",
         {{QStringLiteral("b_opt0_0"), QStringLiteral("rot#--1.50")}},
         {},
         400,
         refusedOrder},
        {"surcharge in brackets",
         {{QStringLiteral("b_opt0_0"), QStringLiteral("rot#(2.50)")}},
         {},
         400,
         refusedOrder},
        {"grouped surcharge",
         {{QStringLiteral("b_opt0_0"), QStringLiteral("rot#1.234.567,50")}},
         {},
         400,
         refusedOrder},
        {"price option without surcharge",
         {{QStringLiteral("b_opt0_0"), QStringLiteral("rot")}},
         {},
         400,
         refusedOrder},
        // Sizes: nothing is worked on beyond the bounds.
        {"a field of 40 KB",
         {},
         {},
         413,
         QStringLiteral("zu viel Text"),
         {{QStringLiteral("Nachricht"), QByteArray(40000, 'a')}}},
        {"a field of 7.8 MB",
         {},
         {},
         413,
         QStringLiteral("zu viel Text"),
         {{QStringLiteral("Nachricht"), QByteArray(7800000, 'a')}}},
        {"many fields making 300 KB",
         {},
         {},
         413,
         QStringLiteral("zu viel Text"),
         {{QStringLiteral("a1"), QByteArray(30000, 'a')},
          {QStringLiteral("a2"), QByteArray(30000, 'a')},
          {QStringLiteral("a3"), QByteArray(30000, 'a')},
          {QStringLiteral("a4"), QByteArray(30000, 'a')},
          {QStringLiteral("a5"), QByteArray(30000, 'a')},
          {QStringLiteral("a6"), QByteArray(30000, 'a')},
          {QStringLiteral("a7"), QByteArray(30000, 'a')},
          {QStringLiteral("a8"), QByteArray(30000, 'a')},
          {QStringLiteral("a9"), QByteArray(30000, 'a')},
          {QStringLiteral("a10"), QByteArray(30000, 'a')}}},
    };
    for (const Case &c : cases) {
        clearMails();
        auto form = orderForm(QStringLiteral("plain"));
        for (const auto &[name, value] : c.changes)
            set(form, name, value);
        const Response response = post(form, c.files, QString(), c.rawFields);
        EXPECT_EQ(response.status, c.status) << c.what << "\n" << response.body.toStdString();
        if (c.status == 303)
            EXPECT_EQ(response.location, c.location) << c.what;
        else
            EXPECT_TRUE(response.body.contains(c.location)) << c.what << "\n"
                                                            << response.body.toStdString();
        EXPECT_TRUE(mails().isEmpty()) << c.what;
        // A hostile post never shows a PHP message or a file path.
        for (const char *leak :
             {"Warning", "Fatal", "Uncaught", "Stack trace", ".php on line", "/tmp/", "/web/"})
            EXPECT_FALSE(response.body.contains(QString::fromLatin1(leak)))
                << c.what << ": " << leak;
    }
}

// Posts that cost a lot of work if taken at their word: counts of lines and
// options that were never posted, and a post that breaks the script.
TEST_F(FormMailer, WorksOnlyOnWhatWasPosted)
{
    startServer();
    auto form = orderForm(QStringLiteral("plain"));
    set(form, QStringLiteral("vq_anzahl"), QStringLiteral("999999999"));
    set(form, QStringLiteral("b_opt_count0"), QStringLiteral("99999999"));
    set(form, QStringLiteral("b_anz400000"), QStringLiteral("1"));
    set(form, QStringLiteral("vq_mailtext"),
        scramble(QStringLiteral("{#Nachname#}").repeated(2000)));
    QElapsedTimer timer;
    timer.start();
    const Response response = post(form);
    EXPECT_EQ(response.status, 303) << response.body.toStdString();
    EXPECT_LT(timer.elapsed(), 5000);
    const QList<MailMessage> sent = mails();
    ASSERT_EQ(sent.size(), 2);
    for (const MailMessage &mail : sent)
        EXPECT_LT(mail.parts[0].body.size(), 100000); // a 1 MB form mail before

    // Every field posted as an array: refused cleanly, no PHP message.
    clearMails();
    QList<QPair<QString, QString>> arrays;
    for (const auto &[name, value] : orderForm(QStringLiteral("plain")))
        arrays.append({name + QStringLiteral("[x][]"), value});
    const Response broken = post(arrays, {}, QStringLiteral("?action[]=send"));
    EXPECT_EQ(broken.status, 400) << broken.body.toStdString();
    EXPECT_FALSE(broken.body.contains(QStringLiteral(".php on line")));
    EXPECT_TRUE(mails().isEmpty());
}

// Every character arrives as typed in the form mail; the order document
// keeps what Windows-1252 has and transliterates the rest readably.
TEST_F(FormMailer, CharactersArriveAsTyped)
{
    startServer();
    struct Case
    {
        const char *what;
        QString encoding;
        QByteArray posted; // the bytes the browser posts for "Nachname"
        QString formMail;  // as the form mail shows it
        QString order;     // as the order document carries it
    };
    const Case cases[] = {
        {"UTF-8 page", QStringLiteral("utf-8"),
         QStringLiteral("Łukasz Dvořák – Grüße 😀 中").toUtf8(),
         QStringLiteral("Łukasz Dvořák – Grüße 😀 中"), QStringLiteral("Lukasz Dvorák – Grüße ? ?")},
        {"windows-1252 page with references", QStringLiteral("windows-1252"),
         QByteArray("&#321;ukasz Dvo&#x159;\xE1k \x96 Gr\xFC\xDF"
                    "e &#128512; &#0; &#xD800;"),
         QStringLiteral("Łukasz Dvořák – Grüße 😀  "), QStringLiteral("Lukasz Dvorák – Grüße ?  ")},
        {"Romanian and Hungarian", QStringLiteral("utf-8"), QStringLiteral("Ștefan Ő ğ").toUtf8(),
         QStringLiteral("Ștefan Ő ğ"), QStringLiteral("Stefan O g")},
        {"invalid UTF-8 and control characters", QStringLiteral("utf-8"),
         QByteArray("M\xC3\xBCller\xFF\xC3 \x01\x1B[31m"), QStringLiteral("Müller [31m"),
         QStringLiteral("Müller [31m")},
    };
    for (const Case &c : cases) {
        clearMails();
        auto form = orderForm(QStringLiteral("plain"));
        set(form, QStringLiteral("vq_encoding"), c.encoding);
        set(form, QStringLiteral("vq_currency"), QStringLiteral("EUR"));
        set(form, QStringLiteral("Ort"), QStringLiteral("Koeln"));
        form.removeIf([](const auto &field) { return field.first == u"Nachname"; });
        ASSERT_EQ(post(form, {}, QString(), {{QStringLiteral("Nachname"), c.posted}}).status, 303)
            << c.what;
        const QList<MailMessage> sent = mails();
        ASSERT_EQ(sent.size(), 2) << c.what;
        EXPECT_TRUE(sent[0].text().contains(QStringLiteral("Nachname: ") + c.formMail
                                            + QStringLiteral("\r\n")))
            << c.what << "\n"
            << sent[0].text().toStdString();
        vq::invoice::OrderDocument document;
        QString error;
        ASSERT_TRUE(vq::invoice::readOrderDocument(sent[1].parts[0].body, &document, &error))
            << error.toStdString();
        EXPECT_EQ(document.order.nachname, c.order) << c.what;
    }
}

// An option text of 840 characters: no line of the order mail beyond 998
// bytes, and the value reads back whole.
TEST_F(FormMailer, OrderMailLinesStayShort)
{
    startServer();
    auto form = orderForm(QStringLiteral("plain"));
    const QString longText =
        QStringLiteral("Bitte mit Gruß an Oma Ännchen. ").repeated(28).left(840);
    set(form, QStringLiteral("b_opt0_1"), longText);
    set(form, QStringLiteral("b_optname0_1"), QStringLiteral("Widmung ").repeated(100));
    ASSERT_EQ(post(form).status, 303);
    QDir mailDir(path(QStringLiteral("mails")));
    const QStringList files = mailDir.entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 2);
    const QByteArray raw = readFile(mailDir.filePath(files[1]));
    for (const QByteArray &line : raw.split('\n'))
        EXPECT_LE(line.size(), 998);
    vq::invoice::OrderDocument document;
    QString error;
    ASSERT_TRUE(vq::invoice::readOrderDocument(parseMail(raw).parts[0].body, &document, &error))
        << error.toStdString();
    ASSERT_EQ(document.lines.size(), 1);
    ASSERT_EQ(document.lines[0].optionen.size(), 2);
    EXPECT_EQ(document.lines[0].optionen[1].wert, longText);
}

// A page without an "email" field posts the shop's own address there: it is
// never taken for the customer's.
TEST_F(FormMailer, ShopAddressIsNoCustomerAddress)
{
    startServer(QStringLiteral("'send_copy_to_sender' => true"));
    auto form = orderForm(QStringLiteral("plain"));
    set(form, QStringLiteral("email"), QStringLiteral("Shop@Example.com"));
    ASSERT_EQ(post(form).status, 303);
    const QList<MailMessage> sent = mails();
    ASSERT_EQ(sent.size(), 2); // no copy to the shop itself
    EXPECT_FALSE(sent[0].headers.contains(QStringLiteral("reply-to")));
    vq::invoice::OrderDocument document;
    QString error;
    ASSERT_TRUE(vq::invoice::readOrderDocument(sent[1].parts[0].body, &document, &error));
    EXPECT_TRUE(document.order.email.isEmpty());
}

// Without the owner's consent no copy goes out, whatever the post asks; the
// copy's subject is the owner's.
TEST_F(FormMailer, CopyOnlyWhenTheOwnerAllowsIt)
{
    startServer();
    auto form = orderForm(QStringLiteral("plain"));
    set(form, QStringLiteral("email"), QStringLiteral("opfer@anderswo.example.net"));
    set(form, QStringLiteral("vq_subject"), QStringLiteral("Gewinnspiel!"));
    ASSERT_EQ(post(form).status, 303);
    for (const MailMessage &mail : mails())
        EXPECT_NE(mail.header(QStringLiteral("To")), QStringLiteral("opfer@anderswo.example.net"));
}

// The copy to the sender goes to any address a stranger posts, so nothing
// posted chooses its words: not the page's mail text, not a field the owner
// did not name for the copy.
TEST_F(FormMailer, CopyNeverCarriesAPostedText)
{
    startServer(QStringLiteral("'send_copy_to_sender' => true, 'copy_subject' => 'Ihre Angaben', "
                               "'copy_text' => 'Danke, {#Vorname#}!#br#Ihr Shop {#Hinweis#}'"));
    const QString lure =
        QStringLiteral("Ihr Konto wurde gesperrt: https://boese.example.net/anmelden");
    for (const QString &format : {QStringLiteral("plain"), QStringLiteral("html")}) {
        SCOPED_TRACE(format.toStdString());
        clearMails();
        auto form = orderForm(format);
        set(form, QStringLiteral("email"), QStringLiteral("opfer@anderswo.example.net"));
        set(form, QStringLiteral("vq_mailtext"), scramble(lure));
        set(form, QStringLiteral("Hinweis"), lure);
        ASSERT_EQ(post(form).status, 303);
        const QList<MailMessage> sent = mails();
        ASSERT_EQ(sent.size(), 3);
        // The owner reads everything posted.
        EXPECT_TRUE(sent[0].text().contains(QStringLiteral("boese.example.net")));
        const MailMessage &copy = sent[1];
        ASSERT_EQ(copy.header(QStringLiteral("To")), QStringLiteral("opfer@anderswo.example.net"));
        EXPECT_EQ(copy.header(QStringLiteral("Subject")), QStringLiteral("Ihre Angaben"));
        EXPECT_FALSE(copy.text().contains(QStringLiteral("boese.example.net")))
            << copy.text().toStdString();
        EXPECT_FALSE(copy.text().contains(QStringLiteral("gesperrt")));
        EXPECT_FALSE(copy.text().contains(QStringLiteral("Hinweis")));
        // The owner's text; its {field} tag for a field the copy does not show comes out empty.
        EXPECT_TRUE(copy.text().contains(format == u"html" ? QStringLiteral("Danke, Max!<br>")
                                                           : QStringLiteral("Danke, Max!\r\n")))
            << copy.text().toStdString();
        EXPECT_TRUE(copy.text().contains(format == u"html" ? QStringLiteral("Ihr Shop </p>")
                                                           : QStringLiteral("Ihr Shop \r\n")))
            << copy.text().toStdString();
    }
}

namespace {

// The order id of the order document, as the invoice module reads it.
QString orderIdOf(const MailMessage &mail)
{
    vq::invoice::OrderDocument document;
    QString error;
    EXPECT_TRUE(vq::invoice::readOrderDocument(mail.parts[0].body, &document, &error))
        << error.toStdString();
    return document.order.uuid;
}

} // namespace

// The same order sent again from one page view (after a failed order mail)
// keeps its id, so the invoice module stores it once; another order from that
// view (back, change, send again) gets an id of its own, as does an order
// from another view.
TEST_F(FormMailer, OrderIdFollowsTheOrderAndThePageView)
{
    startServer();
    const QString view = QStringLiteral("0123456789abcdef0123456789abcdef");
    struct Send
    {
        const char *what;
        QList<QPair<QString, QString>> changes;
        const char *sameAs; // an earlier send with the same id; nullptr: an id of its own
    };
    const Send sends[] = {
        {"the order", {}, nullptr},
        {"the same order again", {}, "the order"},
        {"more pieces", {{QStringLiteral("b_anz0"), QStringLiteral("3")}}, nullptr},
        {"another price option",
         {{QStringLiteral("b_opt0_0"), QStringLiteral("blau#1.50")}},
         nullptr},
        {"another text option",
         {{QStringLiteral("b_opt0_1"), QStringLiteral("Hallo Mond")}},
         nullptr},
        {"a second article", {{QStringLiteral("b_anz1"), QStringLiteral("1")}}, nullptr},
        {"another town", {{QStringLiteral("Ort"), QStringLiteral("Bonn")}}, nullptr},
        {"another customer address",
         {{QStringLiteral("email"), QStringLiteral("erika@kunde.example.org")}},
         nullptr},
        {"netto instead of brutto",
         {{QStringLiteral("vq_tax"), scramble(QStringLiteral("netto"))}},
         nullptr},
        {"more pieces again", {{QStringLiteral("b_anz0"), QStringLiteral("3")}}, "more pieces"},
        // A field the order document does not carry leaves the order as it was.
        {"only a note added",
         {{QStringLiteral("Nachricht"), QStringLiteral("Bitte schnell")}},
         "the order"},
        {"another page view",
         {{QStringLiteral("vq_view"), QStringLiteral("fedcba9876543210fedcba9876543210")}},
         nullptr},
        {"a broken view token",
         {{QStringLiteral("vq_view"), QStringLiteral("../../etc")}},
         nullptr},
        {"the broken view token again",
         {{QStringLiteral("vq_view"), QStringLiteral("../../etc")}},
         nullptr},
    };
    QList<QPair<QString, QString>> ids; // what -> order id
    for (const Send &send : sends) {
        clearMails();
        auto form = orderForm(QStringLiteral("plain"));
        set(form, QStringLiteral("vq_view"), view);
        for (const auto &[name, value] : send.changes)
            set(form, name, value);
        ASSERT_EQ(post(form).status, 303) << send.what;
        const QList<MailMessage> sent = mails();
        ASSERT_EQ(sent.size(), 2) << send.what;
        EXPECT_FALSE(sent[0].text().contains(QStringLiteral("vq_view")));
        const QString id = orderIdOf(sent[1]);
        EXPECT_EQ(id.size(), 36) << send.what;
        for (const auto &[earlier, earlierId] : ids) {
            if (send.sameAs != nullptr && earlier == QLatin1String(send.sameAs)) {
                EXPECT_EQ(id, earlierId) << send.what << " as " << send.sameAs;
            } else if (send.sameAs == nullptr) {
                EXPECT_NE(id, earlierId) << send.what << " and " << earlier.toStdString();
            }
        }
        ids.append({QString::fromLatin1(send.what), id});
    }
}

// With an order secret the order mail is signed over its document.
TEST_F(FormMailer, OrderMailIsSignedWithTheSecret)
{
    startServer(QStringLiteral("'order_secret' => 'geheim-1234'"));
    ASSERT_EQ(post(orderForm(QStringLiteral("plain"))).status, 303);
    const QList<MailMessage> sent = mails();
    ASSERT_EQ(sent.size(), 2);
    const QByteArray document = sent[1].parts[0].body;
    QByteArray message = document;
    message.replace('\r', QByteArray());
    const QByteArray expected = "hmac-sha256="
                                + QMessageAuthenticationCode::hash(message.trimmed(), "geheim-1234",
                                                                   QCryptographicHash::Sha256)
                                      .toHex();
    EXPECT_EQ(sent[1].header(QStringLiteral("X-VQ-Signature")), QString::fromLatin1(expected));
    EXPECT_FALSE(sent[0].headers.contains(QStringLiteral("x-vq-signature")));
}

TEST_F(FormMailer, RedirectsOnlyToOwnOrListedHosts)
{
    startServer();
    struct Case
    {
        QString target;
        bool followed;
    };
    const Case cases[] = {
        {QStringLiteral("https://shop.example.com/danke.htm"), true},
        {QStringLiteral("https://SHOP.example.com./danke.htm"), true},
        {QStringLiteral("http://127.0.0.1:%1/danke.htm").arg(port), true},
        {QStringLiteral("https://boese.example.net/danke.htm"), false},
        {QStringLiteral("https://shop.example.com@boese.example.net/"), false},
        {QStringLiteral("https://shop.example.com.boese.example.net/"), false},
        {QStringLiteral("//boese.example.net/"), false},
        {QStringLiteral("javascript:alert(1)"), false},
        {QStringLiteral("https:\\\\boese.example.net"), false},
    };
    for (const Case &c : cases) {
        auto form = orderForm(QStringLiteral("plain"));
        set(form, QStringLiteral("vq_danke"), c.target);
        set(form, QStringLiteral("vq_rechtool"), QStringLiteral("0"));
        const Response response = post(form);
        if (c.followed) {
            EXPECT_EQ(response.status, 303) << c.target.toStdString();
            EXPECT_EQ(response.location, c.target);
        } else {
            EXPECT_EQ(response.status, 200) << c.target.toStdString();
            EXPECT_TRUE(response.location.isEmpty()) << c.target.toStdString();
            EXPECT_TRUE(response.body.contains(QStringLiteral("Vielen Dank")));
        }
    }
}

// With the designer's price list beside the script, an order must match it
// exactly; a broken list refuses every order.
TEST_F(FormMailer, PriceListDecidesThePrices)
{
    startServer();
    const QByteArray list = R"({"format":"vq-preisliste","version":1,"articles":[
        {"number":"TS-1","name":"T-Shirt","price":"12.50","vat":"19",
         "options":[{"name":"Farbe","values":[{"text":"weiß","surcharge":"0"},{"text":"rot","surcharge":"1.5"}]}]},
        {"number":"TA-1","name":"Tasse","price":"8","vat":"19","options":[]}]})";
    writeFile(path(QStringLiteral("web/vq_preisliste.json")), list);
    const QString refused = QStringLiteral("Preisliste");
    struct Case
    {
        const char *what;
        QList<QPair<QString, QString>> changes;
        bool accepted;
    };
    const Case cases[] = {
        {"prices as listed", {}, true},
        {"price with a comma and trailing zeros",
         {{QStringLiteral("b_preis0"), QStringLiteral("12,500")}},
         true},
        {"lower price", {{QStringLiteral("b_preis0"), QStringLiteral("0.01")}}, false},
        {"other VAT", {{QStringLiteral("b_mwst0"), QStringLiteral("7")}}, false},
        {"other number", {{QStringLiteral("b_bestnr0"), QStringLiteral("TS-2")}}, false},
        {"other name", {{QStringLiteral("b_name0"), QStringLiteral("T-Shirt ")}}, false},
        {"cheaper surcharge", {{QStringLiteral("b_opt0_0"), QStringLiteral("rot#0")}}, false},
        {"unlisted value", {{QStringLiteral("b_opt0_0"), QStringLiteral("gold#1.5")}}, false},
        {"unlisted option", {{QStringLiteral("b_optname0_0"), QStringLiteral("Größe")}}, false},
        {"second line at a wrong price",
         {{QStringLiteral("b_anz1"), QStringLiteral("1")},
          {QStringLiteral("b_preis1"), QStringLiteral("7.99")}},
         false},
        {"second line as listed", {{QStringLiteral("b_anz1"), QStringLiteral("1")}}, true},
        {"text option is not compared",
         {{QStringLiteral("b_opt0_1"), QStringLiteral("beliebig")}},
         true},
        {"price option posted as a text option",
         {{QStringLiteral("b_opt_type0_0"), QStringLiteral("Input")},
          {QStringLiteral("b_opt0_0"), QStringLiteral("rot")}},
         false},
        {"price option left out", {{QStringLiteral("b_opt_count0"), QStringLiteral("0")}}, false},
        {"price option posted twice, its other value too",
         {{QStringLiteral("b_opt_count0"), QStringLiteral("3")},
          {QStringLiteral("b_opt_type0_2"), QStringLiteral("Price")},
          {QStringLiteral("b_optname0_2"), QStringLiteral("Farbe")},
          {QStringLiteral("b_opt0_2"), QStringLiteral("weiß#0")}},
         false},
        {"price option posted twice, once without surcharge",
         {{QStringLiteral("b_opt_count0"), QStringLiteral("3")},
          {QStringLiteral("b_opt_type0_2"), QStringLiteral("Input")},
          {QStringLiteral("b_optname0_2"), QStringLiteral("Farbe")},
          {QStringLiteral("b_opt0_2"), QStringLiteral("rot")}},
         false},
    };
    for (const Case &c : cases) {
        clearMails();
        auto form = orderForm(QStringLiteral("plain"));
        for (const auto &[name, value] : c.changes)
            set(form, name, value);
        const Response response = post(form);
        if (c.accepted) {
            EXPECT_EQ(response.status, 303) << c.what << "\n" << response.body.toStdString();
            EXPECT_EQ(mails().size(), 2) << c.what;
        } else {
            EXPECT_EQ(response.status, 400) << c.what;
            EXPECT_TRUE(response.body.contains(refused)) << c.what;
            EXPECT_TRUE(mails().isEmpty()) << c.what;
        }
    }
    EXPECT_TRUE(get(QStringLiteral("?action=checkurl&token=") + kCheckToken)
                    .body.contains(QStringLiteral("Preisliste mit 2 Artikeln")));

    // A list that names its VAT mode: a page posting the other mode would pay
    // the wrong VAT.
    QByteArray netto = list;
    netto.replace("\"version\":1,", "\"version\":1,\"tax\":\"netto\",");
    writeFile(path(QStringLiteral("web/vq_preisliste.json")), netto);
    clearMails();
    EXPECT_EQ(post(orderForm(QStringLiteral("plain"))).status, 400); // the form posts brutto
    auto nettoForm = orderForm(QStringLiteral("plain"));
    set(nettoForm, QStringLiteral("vq_tax"), scramble(QStringLiteral("netto")));
    EXPECT_EQ(post(nettoForm).status, 303);
    EXPECT_EQ(mails().size(), 2);

    // Names stand in the page as attribute values, which the browser posts
    // decoded; a discount the designer allows (a negative surcharge) is ordered.
    QByteArray discount = list;
    discount.replace("\"name\":\"T-Shirt\"", "\"name\":\"T-Shirt &amp; Co\"");
    discount.replace("{\"text\":\"rot\",\"surcharge\":\"1.5\"}",
                     "{\"text\":\"ohne Druck\",\"surcharge\":\"-1.50\"}");
    writeFile(path(QStringLiteral("web/vq_preisliste.json")), discount);
    clearMails();
    auto discounted = orderForm(QStringLiteral("plain"));
    set(discounted, QStringLiteral("b_name0"), QStringLiteral("T-Shirt & Co"));
    set(discounted, QStringLiteral("b_opt0_0"), QStringLiteral("ohne Druck#-1.50"));
    EXPECT_EQ(post(discounted).status, 303);
    ASSERT_EQ(mails().size(), 2);
    EXPECT_TRUE(mails()[1].parts[0].body.contains("<option"))
        << "the order mail holds the discount";

    // A list that does not parse, or of another version: every order is refused.
    for (const QByteArray &broken :
         {QByteArray("{\"format\":\"vq-preisliste\",\"version\":1,\"articles\":["),
          QByteArray(
              "{\"format\":\"vq-preisliste\",\"version\":1,\"articles\":[{\"number\":\"TS-1\","
              "\"name\":\"T-Shirt\",\"price\":\"12.5\",\"vat\":\"19\",\"fixed\":\"ja\"}]}"),
          QByteArray("{\"format\":\"vq-preisliste\",\"version\":2,\"articles\":[]}"),
          QByteArray("{\"format\":\"vq-preisliste\",\"version\":1,\"articles\":[{\"number\":\"TS-"
                     "1\",\"name\":\"T-Shirt\",\"price\":12.5,\"vat\":\"19\"}]}")}) {
        clearMails();
        writeFile(path(QStringLiteral("web/vq_preisliste.json")), broken);
        const Response response = post(orderForm(QStringLiteral("plain")));
        EXPECT_EQ(response.status, 400) << broken.toStdString();
        EXPECT_TRUE(
            response.body.contains(QStringLiteral("Bestellungen sind zurzeit nicht möglich")))
            << response.body.toStdString();
        EXPECT_TRUE(mails().isEmpty());
        const Response check = get(QStringLiteral("?action=checkurl&token=") + kCheckToken);
        EXPECT_TRUE(check.body.contains(QStringLiteral("Preisprüfung</td><td>FEHLT")))
            << check.body.toStdString();
    }
    // A contact form without ordered lines still goes.
    auto contact = orderForm(QStringLiteral("plain"));
    set(contact, QStringLiteral("b_anz0"), QStringLiteral("0"));
    EXPECT_EQ(post(contact).status, 303);

    QFile::remove(path(QStringLiteral("web/vq_preisliste.json")));
    EXPECT_TRUE(get(QStringLiteral("?action=checkurl&token=") + kCheckToken)
                    .body.contains(QStringLiteral("werden nicht geprüft")));
}

// A fixed-price article of the price list (shipping) belongs to every order,
// once and as one piece; every listed price option is posted once, also when
// two options of an article share a name.
TEST_F(FormMailer, PriceListRequiresShippingAndEachOptionOnce)
{
    startServer();
    writeFile(path(QStringLiteral("web/vq_preisliste.json")),
              R"({"format":"vq-preisliste","version":1,"tax":"brutto","articles":[
        {"number":"TS-1","name":"T-Shirt","price":"12.5","vat":"19","fixed":false,"options":[
          {"name":"Farbe","values":[{"text":"weiß","surcharge":"0"},{"text":"rot","surcharge":"1.5"}]},
          {"name":"Druck","values":[{"text":"vorne","surcharge":"0"},{"text":"beidseitig","surcharge":"4"}]},
          {"name":"Druck","values":[{"text":"matt","surcharge":"2"},{"text":"glanz","surcharge":"3"}]}]},
        {"number":"TA-1","name":"Tasse","price":"8","vat":"19","fixed":false,"options":[]},
        {"number":"V-1","name":"Versand","price":"4.9","vat":"19","fixed":true,"options":[]}]})");
    // The page: the T-Shirt with its two "Druck" options, shipping as the
    // third article, posted as one piece as the page always does.
    auto base = orderForm(QStringLiteral("plain"));
    const QList<QPair<QString, QString>> extra = {
        {QStringLiteral("vq_anzahl"), QStringLiteral("3")},
        {QStringLiteral("b_opt_count0"), QStringLiteral("4")},
        {QStringLiteral("b_opt_type0_2"), QStringLiteral("Price")},
        {QStringLiteral("b_optname0_2"), QStringLiteral("Druck")},
        {QStringLiteral("b_opt0_2"), QStringLiteral("vorne#0")},
        {QStringLiteral("b_opt_type0_3"), QStringLiteral("Price")},
        {QStringLiteral("b_optname0_3"), QStringLiteral("Druck")},
        {QStringLiteral("b_opt0_3"), QStringLiteral("matt#2")},
        {QStringLiteral("b_name2"), QStringLiteral("Versand")},
        {QStringLiteral("b_preis2"), QStringLiteral("4.9")},
        {QStringLiteral("b_mwst2"), QStringLiteral("19")},
        {QStringLiteral("b_bestnr2"), QStringLiteral("V-1")},
        {QStringLiteral("b_opt_count2"), QStringLiteral("0")},
        {QStringLiteral("b_anz2"), QStringLiteral("1")}};
    for (const auto &[name, value] : extra)
        set(base, name, value);
    const QList<QPair<QString, QString>> secondShipping = {
        {QStringLiteral("vq_anzahl"), QStringLiteral("4")},
        {QStringLiteral("b_name3"), QStringLiteral("Versand")},
        {QStringLiteral("b_preis3"), QStringLiteral("4.9")},
        {QStringLiteral("b_mwst3"), QStringLiteral("19")},
        {QStringLiteral("b_bestnr3"), QStringLiteral("V-1")},
        {QStringLiteral("b_opt_count3"), QStringLiteral("0")},
        {QStringLiteral("b_anz3"), QStringLiteral("1")}};
    struct Case
    {
        const char *what;
        QList<QPair<QString, QString>> changes;
        QStringList removed;
        bool accepted;
    };
    const Case cases[] = {
        {"as the page posts it", {}, {}, true},
        {"shipping left out", {}, {QStringLiteral("b_anz2")}, false},
        {"shipping as zero pieces", {{QStringLiteral("b_anz2"), QStringLiteral("0")}}, {}, false},
        {"shipping three times", {{QStringLiteral("b_anz2"), QStringLiteral("3")}}, {}, false},
        {"shipping as a second line too", secondShipping, {}, false},
        {"shipping at another price",
         {{QStringLiteral("b_preis2"), QStringLiteral("0")}},
         {},
         false},
        {"shipping under the number of an ordinary article",
         {{QStringLiteral("b_bestnr2"), QStringLiteral("TA-1")},
          {QStringLiteral("b_name2"), QStringLiteral("Tasse")},
          {QStringLiteral("b_preis2"), QStringLiteral("8")}},
         {},
         false},
        // Nothing ordered at all is a contact form: no order, nothing to ship.
        {"no line at all",
         {{QStringLiteral("b_anz0"), QStringLiteral("0")}},
         {QStringLiteral("b_anz2")},
         true},
        {"options of one name in the other order",
         {{QStringLiteral("b_opt0_2"), QStringLiteral("glanz#3")},
          {QStringLiteral("b_opt0_3"), QStringLiteral("beidseitig#4")}},
         {},
         true},
        // Both "Druck" options posted with values of the first: the second's surcharge is left out.
        {"one option of a name posted for both",
         {{QStringLiteral("b_opt0_3"), QStringLiteral("beidseitig#4")}},
         {},
         false},
        {"a listed option left out",
         {},
         {QStringLiteral("b_opt_type0_3"), QStringLiteral("b_optname0_3"),
          QStringLiteral("b_opt0_3")},
         false},
        {"a listed option posted twice with another value",
         {{QStringLiteral("b_opt_count0"), QStringLiteral("5")},
          {QStringLiteral("b_opt_type0_4"), QStringLiteral("Price")},
          {QStringLiteral("b_optname0_4"), QStringLiteral("Farbe")},
          {QStringLiteral("b_opt0_4"), QStringLiteral("weiß#0")}},
         {},
         false},
        {"a third option of a listed name",
         {{QStringLiteral("b_opt_count0"), QStringLiteral("5")},
          {QStringLiteral("b_opt_type0_4"), QStringLiteral("Price")},
          {QStringLiteral("b_optname0_4"), QStringLiteral("Druck")},
          {QStringLiteral("b_opt0_4"), QStringLiteral("glanz#3")}},
         {},
         false},
    };
    for (const Case &c : cases) {
        clearMails();
        auto form = base;
        for (const auto &[name, value] : c.changes)
            set(form, name, value);
        form.removeIf([&c](const auto &field) { return c.removed.contains(field.first); });
        const Response response = post(form);
        if (c.accepted) {
            EXPECT_EQ(response.status, 303) << c.what << "\n" << response.body.toStdString();
            EXPECT_FALSE(mails().isEmpty()) << c.what;
        } else {
            EXPECT_EQ(response.status, 400) << c.what;
            EXPECT_TRUE(response.body.contains(QStringLiteral("Preisliste")))
                << c.what << "\n"
                << response.body.toStdString();
            EXPECT_TRUE(mails().isEmpty()) << c.what;
        }
    }

    // The order mail carries the shipping line.
    clearMails();
    ASSERT_EQ(post(base).status, 303);
    const QList<MailMessage> sent = mails();
    ASSERT_EQ(sent.size(), 2);
    vq::invoice::OrderDocument document;
    QString error;
    ASSERT_TRUE(vq::invoice::readOrderDocument(sent[1].parts[0].body, &document, &error))
        << error.toStdString();
    ASSERT_EQ(document.lines.size(), 2);
    EXPECT_EQ(document.lines[1].nr, QStringLiteral("V-1"));
    EXPECT_EQ(document.lines[1].anzahl, 1);
}

// The storage folder is private and never a link; the rate limit counts an
// IPv6 sender by its /64 network and forgets old entries.
TEST_F(FormMailer, StorageIsPrivateAndRateLimitEntriesExpire)
{
    QDir(dir.path()).rmdir(QStringLiteral("storage"));
    startServer();
    EXPECT_EQ(post(orderForm(QStringLiteral("plain"))).status, 303);
    EXPECT_EQ(QFileInfo(path(QStringLiteral("storage"))).permissions()
                  & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteOther
                     | QFileDevice::ExeOther),
              QFileDevice::Permissions());

    // An entry older than the period is removed by the next post.
    const QString old = path(QStringLiteral("storage/rate_0000.txt"));
    writeFile(old, "1");
    QFile file(old);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                 QFileDevice::FileModificationTime));
    file.close();
    EXPECT_EQ(post(orderForm(QStringLiteral("plain"))).status, 303);
    EXPECT_FALSE(QFile::exists(old));

    // A storage folder that is a link is not used.
    QDir(dir.path()).mkpath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QFile::link(path(QStringLiteral("elsewhere")), path(QStringLiteral("linked"))));
    writeFile(
        path(QStringLiteral("web/formmail.config.php")),
        QStringLiteral(
            "<?php return ['allowed_recipients' => ['shop@example.com'], 'storage_dir' => '%1', "
            "'checkurl_token' => '%2'];")
            .arg(path(QStringLiteral("linked")), kCheckToken)
            .toUtf8());
    EXPECT_TRUE(get(QStringLiteral("?action=checkurl&token=") + kCheckToken)
                    .body.contains(QStringLiteral("Speicherordner</td><td>FEHLT")));
    EXPECT_EQ(get(QStringLiteral("?action=captcha&id=4711")).status, 404);
    EXPECT_TRUE(QDir(path(QStringLiteral("elsewhere"))).isEmpty());

    // Which senders count as one.
    QByteArray out;
    ASSERT_EQ(
        runProgram(QStringLiteral("php"),
                   {QStringLiteral("-r"),
                    QStringLiteral(
                        "require '%1'; foreach (['2001:db8:1:2::1', '2001:db8:1:2:ffff::9', "
                        "'2001:db8:1:3::1', '192.0.2.1', '::ffff:192.0.2.1', '192.0.2.2'] as $ip) "
                        "echo vq_rate_limit_key($ip), \"\\n\";")
                        .arg(QStringLiteral(VQ_SOURCE_DIR "/formmailer/vq_formmail_lib.php"))},
                   &out),
        0);
    const QList<QByteArray> keys = out.trimmed().split('\n');
    ASSERT_EQ(keys.size(), 6) << out.toStdString();
    EXPECT_EQ(keys[0], keys[1]); // one /64
    EXPECT_NE(keys[0], keys[2]);
    EXPECT_EQ(keys[3], keys[4]); // IPv4 written as IPv6
    EXPECT_NE(keys[3], keys[5]);
}

TEST_F(FormMailer, LineBreaksNeverReachAMailHeader)
{
    startServer();
    auto form = orderForm(QStringLiteral("plain"));
    set(form, QStringLiteral("vq_subject"),
        QStringLiteral("Hallo\r\nBcc: opfer@anderswo.example.net"));
    set(form, QStringLiteral("email"),
        QStringLiteral("max@kunde.example.org\r\nBcc: opfer@anderswo.example.net"));
    set(form, QStringLiteral("vq_rechtool"), QStringLiteral("0"));
    ASSERT_EQ(post(form).status, 303);
    const QList<MailMessage> sent = mails();
    ASSERT_EQ(sent.size(), 1); // no copy to an address that is not one
    EXPECT_FALSE(sent[0].headers.contains(QStringLiteral("bcc")))
        << sent[0].rawHeaders.toStdString();
    EXPECT_FALSE(sent[0].rawHeaders.contains("\nBcc")) << sent[0].rawHeaders.toStdString();
    EXPECT_FALSE(sent[0].headers.contains(QStringLiteral("reply-to")));
    EXPECT_EQ(sent[0].header(QStringLiteral("Subject")),
              QStringLiteral("Hallo Bcc: opfer@anderswo.example.net"));
}

TEST_F(FormMailer, ScrambledRecipientsAndAttachments)
{
    startServer();
    writeFile(path(QStringLiteral("plan.pdf")), "%PDF-1.4 kleiner Plan");
    auto form = orderForm(QStringLiteral("html"));
    set(form, QStringLiteral("vq_cryptmail"), QStringLiteral("1"));
    set(form, QStringLiteral("vq_admin"), scramble(QStringLiteral("shop@example.com")));
    set(form, QStringLiteral("vq_admin1"), scramble(QString()));
    set(form, QStringLiteral("ReturnToSender"), QStringLiteral("0"));
    set(form, QStringLiteral("vq_rechtool"), QStringLiteral("0"));
    ASSERT_EQ(post(form, {{QStringLiteral("anhang"),
                           path(QStringLiteral("plan.pdf"))
                               + QStringLiteral(";filename=Plan für Sie.pdf;type=text/html")}})
                  .status,
              303);
    const QList<MailMessage> sent = mails();
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0].header(QStringLiteral("To")), QStringLiteral("shop@example.com"));
    ASSERT_EQ(sent[0].parts.size(), 2);
    EXPECT_EQ(sent[0].parts[1].body, QByteArray("%PDF-1.4 kleiner Plan"));
    EXPECT_TRUE(sent[0]
                    .parts[1]
                    .headers.value(QStringLiteral("content-disposition"))
                    .contains(QStringLiteral("Plan_f_r_Sie.pdf")));
    // The content type comes from the ending, never from the visitor.
    EXPECT_TRUE(sent[0]
                    .parts[1]
                    .headers.value(QStringLiteral("content-type"))
                    .startsWith(QStringLiteral("application/pdf;")));
    // Nothing of the upload stays beside the script.
    EXPECT_EQ(QDir(path(QStringLiteral("web"))).entryList(QDir::Files).size(), 3);
}

TEST_F(FormMailer, RateLimitBlocksASender)
{
    startServer(QStringLiteral("'rate_limit_posts' => 2"));
    auto form = orderForm(QStringLiteral("plain"));
    set(form, QStringLiteral("settings_error_iplock"),
        QString::fromLatin1(QByteArray("https://shop.example.com/gesperrt.htm").toBase64()));
    EXPECT_EQ(post(form).status, 303);
    EXPECT_EQ(post(form).status, 303);
    clearMails();
    const Response blocked = post(form);
    EXPECT_EQ(blocked.location, QStringLiteral("https://shop.example.com/gesperrt.htm"));
    EXPECT_TRUE(mails().isEmpty());
}

// The check page says to anyone that the script runs (the designer's "Link
// testen" opens it); what is checked and signed only the owner's key shows.
TEST_F(FormMailer, CheckUrlShowsTheSetupOnlyToTheOwner)
{
    startServer(QStringLiteral("'order_secret' => 'geheim-1234'"));
    const Response owner = get(QStringLiteral("?action=checkurl&token=") + kCheckToken);
    EXPECT_EQ(owner.status, 200);
    EXPECT_TRUE(owner.body.contains(QStringLiteral("Das Formmailer-Skript ist erreichbar.")));
    EXPECT_TRUE(owner.body.contains(QStringLiteral("Erlaubte Empfänger (2)</td><td>in Ordnung")));
    EXPECT_TRUE(owner.body.contains(QStringLiteral("Signatur der Bestell-Mails</td><td>an")));
    EXPECT_FALSE(owner.body.contains(QStringLiteral("FEHLT"))) << owner.body.toStdString();

    QString changed = kCheckToken;
    changed[changed.size() - 1] = changed.endsWith(u'f') ? u'e' : u'f';
    const QString strangers[] = {
        QStringLiteral("?action=checkurl"),
        QStringLiteral("?action=checkurl&token="),
        QStringLiteral("?action=checkurl&token=") + changed,
        QStringLiteral("?action=checkurl&token=") + kCheckToken.left(kCheckToken.size() - 1),
        QStringLiteral("?action=checkurl&token=") + kCheckToken + u'x',
        QStringLiteral("?action=checkurl&token=") + kCheckToken.toUpper(),
        QStringLiteral("?action=checkurl&token%5B%5D=") + kCheckToken,
        QStringLiteral("?action=checkurl&token=%00") + kCheckToken,
        QStringLiteral("?action=checkurl&TOKEN=") + kCheckToken,
    };
    for (const QString &query : strangers) {
        const Response response = get(query);
        EXPECT_EQ(response.status, 200) << query.toStdString();
        EXPECT_TRUE(response.body.contains(QStringLiteral("Das Formmailer-Skript ist erreichbar.")))
            << query.toStdString();
        for (const char *hidden : {"Preisprüfung", "Captcha</td>", "Signatur der", "Kopie an",
                                   "Empfänger", "Speicherordner", "in Ordnung", "FEHLT", "<table"})
            EXPECT_FALSE(response.body.contains(QString::fromUtf8(hidden)))
                << query.toStdString() << ": " << hidden;
    }

    // A key shorter than 16 characters opens nothing, not even to itself.
    server.stop();
    startServer(QStringLiteral("'checkurl_token' => 'kurz-12345'"));
    EXPECT_FALSE(get(QStringLiteral("?action=checkurl&token=kurz-12345"))
                     .body.contains(QStringLiteral("Preisprüfung")));
}

// The delivered settings are the safe ones: captcha for every form, no
// copies, prices unchecked until a price list is put beside the script.
TEST_F(FormMailer, DeliveredConfigIsSafe)
{
    QDir(dir.path()).mkpath(QStringLiteral("tmp"));
    qputenv("TMPDIR", path(QStringLiteral("tmp")).toLocal8Bit());
    startServer();
    qunsetenv("TMPDIR");
    QFile::remove(path(QStringLiteral("web/formmail.config.php")));
    // The delivered config with only the owner's check key filled in.
    QByteArray delivered =
        readFile(QStringLiteral(VQ_SOURCE_DIR "/formmailer/formmail.config.php"));
    ASSERT_TRUE(delivered.contains("'checkurl_token' => '',"));
    writeFile(path(QStringLiteral("web/formmail.config.php")),
              delivered.replace("'checkurl_token' => '',",
                                "'checkurl_token' => '" + kCheckToken.toUtf8() + "',"));
    const Response check = get(QStringLiteral("?action=checkurl&token=") + kCheckToken);
    EXPECT_TRUE(check.body.contains(QStringLiteral("Captcha</td><td>für alle Formulare verlangt")))
        << check.body.toStdString();
    EXPECT_TRUE(check.body.contains(QStringLiteral("Kopie an den Absender</td><td>abgeschaltet")));
    EXPECT_TRUE(check.body.contains(QStringLiteral("Eingangsbestätigung</td><td>an")));
    EXPECT_TRUE(check.body.contains(QStringLiteral("Signatur der Bestell-Mails</td><td>aus")));
    EXPECT_TRUE(
        check.body.contains(QStringLiteral("die Preise der Bestellungen werden nicht geprüft")));
    EXPECT_TRUE(check.body.contains(QStringLiteral("Speicherordner</td><td>in Ordnung")));
    const Response refused = post(orderForm(QStringLiteral("plain")));
    EXPECT_EQ(refused.status, 400);
    EXPECT_TRUE(mails().isEmpty());

    // No csv among the delivered upload types, nor in the library's own list.
    QByteArray types;
    ASSERT_EQ(
        runProgram(
            QStringLiteral("php"),
            {QStringLiteral("-r"),
             QStringLiteral(
                 "require '%1'; $c = require '%2'; echo implode(',', $c['allowed_upload_types']), "
                 "'|', implode(',', VQ_DEFAULT_UPLOAD_TYPES);")
                 .arg(QStringLiteral(VQ_SOURCE_DIR "/formmailer/vq_formmail_lib.php"),
                      QStringLiteral(VQ_SOURCE_DIR "/formmailer/formmail.config.php"))},
            &types),
        0)
        << types.toStdString();
    const QList<QByteArray> lists = types.split('|');
    ASSERT_EQ(lists.size(), 2) << types.toStdString();
    for (const QByteArray &list : lists) {
        EXPECT_TRUE(list.split(',').contains("pdf")) << list.toStdString();
        EXPECT_FALSE(list.split(',').contains("csv")) << list.toStdString();
    }
}

// The whole road: a page generated by zelkin, served beside the form mailer,
// filled and sent in Chromium with its captcha, ends on the thank-you page
// and leaves the form mail and the order mail.
TEST_F(FormMailer, GeneratedPageSentInChromium)
{
    startServer();
    writeFile(path(QStringLiteral("web/danke.htm")),
              "<!DOCTYPE html><html><head><title>Danke</title></head><body>Danke</body></html>");

    vq::ProjectDocument project;
    project.ExtSettings.encoding = QStringLiteral("utf-8");
    project.ExtSettings.tax = QStringLiteral("brutto");
    project.setSetting(QStringLiteral("cboFormMailer"), QStringLiteral("formmail.php"));
    project.setSetting(QStringLiteral("edtDanke"),
                       url().replace(QStringLiteral("formmail.php"), QStringLiteral("danke.htm")));
    project.setSetting(QStringLiteral("edtEMail"), QStringLiteral("shop@example.com"));
    project.setSetting(QStringLiteral("cboMailFormat"), QStringLiteral("html"));
    project.setSetting(QStringLiteral("edtBetreff"), QStringLiteral("Neue Bestellung"));
    project.setSetting(QStringLiteral("memoMailtext"),
                       QStringLiteral("Bestellung von {#Nachname#}"));
    project.setFlag(QStringLiteral("chkCaptcha"), true);
    project.setFlag(QStringLiteral("checkboxRechnung"), true);
    project.setSetting(QStringLiteral("editMailRechnung"),
                       QStringLiteral("eingang@rechnung.example.com"));
    for (const char *name : {"Vorname", "Nachname", "email"}) {
        auto field = std::make_unique<vq::TEinzField>();
        field->Name = QString::fromLatin1(name);
        field->Beschriftung = QString::fromLatin1(name);
        field->Pflicht = true;
        field->PflichtFeldTyp = QByteArray(name) == "email" ? 1 : 0;
        project.ListField.push_back(std::move(field));
    }
    auto shirt = std::make_unique<vq::TArtikelField>();
    shirt->name = QStringLiteral("T-Shirt \"Sommer\"");
    shirt->artikelNummer = QStringLiteral("TS-1");
    shirt->preis = 12.5;
    shirt->mwst = 19;
    auto colour = std::make_unique<vq::TSelectPriceOption>();
    colour->beschriftung = QStringLiteral("Farbe");
    colour->elements = {{QStringLiteral("weiß"), 0}, {QStringLiteral("gold"), 2.5}};
    shirt->listOptionen.push_back(std::move(colour));
    project.ListArtikel.push_back(std::move(shirt));
    auto mug = std::make_unique<vq::TArtikelField>();
    mug->name = QStringLiteral("Tasse");
    mug->preis = 8;
    mug->mwst = 19;
    project.ListArtikel.push_back(std::move(mug));
    auto shipping = std::make_unique<vq::TArtikelField>();
    shipping->name = QStringLiteral("Versand");
    shipping->artikelNummer = QStringLiteral("V-1");
    shipping->preis = 4.9;
    shipping->mwst = 19;
    shipping->artikelTyp = 1;
    project.ListArtikel.push_back(std::move(shipping));
    // Prices are written by the regional settings: the file and zelkin agree on a point.
    qputenv("LC_ALL", "C.UTF-8");
    {
        LocaleScope english(englishLocale());
        QString error;
        ASSERT_TRUE(project.SaveProject(path(QStringLiteral("shop.vqb")), &error));
    }

    QByteArray out, err;
    // The price list beside the script: the page's post must match it, shipping included.
    ASSERT_EQ(runProgram(QStringLiteral(VQ_PROGRAM_DIR "/zelkin"),
                         {QStringLiteral("--price-list"), QStringLiteral("--output"),
                          path(QStringLiteral("web/vq_preisliste.json")),
                          path(QStringLiteral("shop.vqb"))},
                         &out, 30000, &err),
              0)
        << err.toStdString();
    ASSERT_EQ(runProgram(QStringLiteral(VQ_PROGRAM_DIR "/zelkin"),
                         {QStringLiteral("--generate"), QStringLiteral("html"),
                          QStringLiteral("--output"), path(QStringLiteral("web/bestellung.htm")),
                          path(QStringLiteral("shop.vqb"))},
                         &out, 30000, &err),
              0)
        << err.toStdString();
    const QString formId = QString::fromLatin1(readFile(path(QStringLiteral("web/bestellung.htm"))))
                               .section(QStringLiteral("name=\"vq_formid\" value=\""), 1)
                               .section(u'"', 0, 0);
    ASSERT_FALSE(formId.isEmpty());

    const QString job = path(QStringLiteral("submit.json"));
    writeFile(
        job,
        QJsonDocument(
            QJsonObject{{QStringLiteral("url"), url().replace(QStringLiteral("formmail.php"),
                                                              QStringLiteral("bestellung.htm"))},
                        {QStringLiteral("fill"),
                         QStringLiteral(
                             "f.Vorname.value='Erika'; f.Nachname.value='Mustermann';"
                             "f.email.value='erika@kunde.example.org';"
                             "f.b_anz0.value='3'; f.b_opt0_0.selectedIndex=1; preisUpdateArt();")},
                        {QStringLiteral("captchaStore"),
                         QJsonObject{{QStringLiteral("dir"), path(QStringLiteral("storage"))},
                                     {QStringLiteral("formId"), formId}}},
                        {QStringLiteral("until"), QStringLiteral("danke.htm")}})
            .toJson());
    ASSERT_EQ(runProgram(QStringLiteral("node"), {QStringLiteral(VQ_SUBMIT_SCRIPT), job}, &out,
                         60000, &err),
              0)
        << err.toStdString();
    const QJsonObject result = QJsonDocument::fromJson(out).object();
    EXPECT_EQ(result[QStringLiteral("title")].toString(), QStringLiteral("Danke"))
        << out.toStdString();

    const QList<MailMessage> sent = mails();
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(sent[0].header(QStringLiteral("To")), QStringLiteral("shop@example.com"));
    const QString text = sent[0].text();
    EXPECT_TRUE(text.contains(QStringLiteral("Bestellung von Mustermann"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("45,00 €"))); // 3 x (12.50 + 2.50)
    EXPECT_FALSE(text.contains(QStringLiteral("Tasse")));

    QDomDocument doc;
    ASSERT_TRUE(doc.setContent(sent[1].parts[0].body));
    const QDomElement line =
        doc.documentElement().firstChildElement(QStringLiteral("articles")).firstChildElement();
    EXPECT_EQ(decode1252(line.firstChildElement(QStringLiteral("articleName")).text()),
              QStringLiteral("T-Shirt \"Sommer\""));
    EXPECT_EQ(decode1252(line.firstChildElement(QStringLiteral("amount")).text()),
              QStringLiteral("3"));
    const QDomElement option =
        line.firstChildElement(QStringLiteral("options")).firstChildElement();
    EXPECT_EQ(decode1252(option.text()), QStringLiteral("gold"));
    EXPECT_EQ(option.attribute(QStringLiteral("price")), QStringLiteral("2.5"));
    const QDomElement shippingLine = line.nextSiblingElement();
    EXPECT_EQ(decode1252(shippingLine.firstChildElement(QStringLiteral("articleNumber")).text()),
              QStringLiteral("V-1"));
    EXPECT_EQ(decode1252(shippingLine.firstChildElement(QStringLiteral("amount")).text()),
              QStringLiteral("1"));
    EXPECT_TRUE(shippingLine.nextSiblingElement().isNull());
}

// The order the invoice module stores equals, to the cent, the total the
// customer saw on the page: generated HTML page and self-contained PHP form,
// prices with VAT (brutto) and without (netto), sent in Chromium, the order
// mail read back and stored by the invoice module's own code.
TEST_F(FormMailer, ImportedTotalEqualsThePageTotal)
{
    startServer();
    writeFile(path(QStringLiteral("web/danke.htm")),
              "<!DOCTYPE html><html><head><title>Danke</title></head><body>Danke</body></html>");
    qputenv("LC_ALL", "C.UTF-8");
    int run = 0;
    for (const QString &generator : {QStringLiteral("html"), QStringLiteral("php")}) {
        for (const QString &tax : {QStringLiteral("brutto"), QStringLiteral("netto")}) {
            SCOPED_TRACE((generator + u' ' + tax).toStdString());
            clearMails();
            vq::ProjectDocument project;
            project.ExtSettings.encoding = QStringLiteral("utf-8");
            project.ExtSettings.tax = tax;
            project.setSetting(QStringLiteral("cboFormMailer"), QStringLiteral("formmail.php"));
            project.setSetting(QStringLiteral("edtDanke"),
                               url().replace(script, QStringLiteral("danke.htm")));
            project.setSetting(QStringLiteral("edtEMail"), QStringLiteral("shop@example.com"));
            project.setFlag(QStringLiteral("checkboxRechnung"), true);
            project.setSetting(QStringLiteral("editMailRechnung"),
                               QStringLiteral("eingang@rechnung.example.com"));
            auto shirt = std::make_unique<vq::TArtikelField>();
            shirt->name = QStringLiteral("T-Shirt");
            shirt->artikelNummer = QStringLiteral("TS-1");
            shirt->preis = 12.34;
            shirt->mwst = 19;
            auto colour = std::make_unique<vq::TSelectPriceOption>();
            colour->beschriftung = QStringLiteral("Farbe");
            colour->elements = {{QStringLiteral("weiß"), 0}, {QStringLiteral("gold"), 2.51}};
            shirt->listOptionen.push_back(std::move(colour));
            project.ListArtikel.push_back(std::move(shirt));
            auto mug = std::make_unique<vq::TArtikelField>();
            mug->name = QStringLiteral("Tasse");
            mug->artikelNummer = QStringLiteral("TA-1");
            mug->preis = 8.99;
            mug->mwst = 7;
            project.ListArtikel.push_back(std::move(mug));
            const QString page = generator == u"html" ? QStringLiteral("bestellung%1.htm").arg(run)
                                                      : QStringLiteral("bestellung%1.php").arg(run);
            ++run;
            {
                LocaleScope english(englishLocale());
                QString error;
                ASSERT_TRUE(project.SaveProject(path(QStringLiteral("total.vqb")), &error));
            }
            QByteArray out, err;
            ASSERT_EQ(
                runProgram(QStringLiteral(VQ_PROGRAM_DIR "/zelkin"),
                           {QStringLiteral("--generate"), generator, QStringLiteral("--output"),
                            path(QStringLiteral("web/") + page), path(QStringLiteral("total.vqb"))},
                           &out, 30000, &err),
                0)
                << err.toStdString();

            const QString job = path(QStringLiteral("submit.json"));
            writeFile(job, QJsonDocument(
                               QJsonObject{
                                   {QStringLiteral("url"), url().replace(script, page)},
                                   {QStringLiteral("fill"),
                                    QStringLiteral("f.b_anz0.value='3'; f.b_opt0_0.selectedIndex=1;"
                                                   "f.b_anz1.value='2'; preisUpdateArt();")},
                                   {QStringLiteral("read"), QStringLiteral("f.b_gesamt.value")},
                                   {QStringLiteral("until"), QStringLiteral("danke.htm")}})
                               .toJson());
            ASSERT_EQ(runProgram(QStringLiteral("node"), {QStringLiteral(VQ_SUBMIT_SCRIPT), job},
                                 &out, 60000, &err),
                      0)
                << err.toStdString();
            const QJsonObject result = QJsonDocument::fromJson(out).object();
            EXPECT_EQ(result[QStringLiteral("title")].toString(), QStringLiteral("Danke"))
                << out.toStdString();
            // "72,25 €": the page's total.
            QString shown = result[QStringLiteral("read")].toString();
            shown = shown.left(shown.indexOf(u' ')).replace(u',', u'.');
            bool ok = false;
            const double pageTotal = shown.toDouble(&ok);
            ASSERT_TRUE(ok) << out.toStdString();
            EXPECT_NEAR(pageTotal, tax == u"netto" ? 72.25 : 62.53, 0.001);

            const QList<MailMessage> sent = mails();
            ASSERT_EQ(sent.size(), 2);
            vq::invoice::OrderDocument document;
            QString error;
            ASSERT_TRUE(vq::invoice::readOrderDocument(sent[1].parts[0].body, &document, &error))
                << error.toStdString();
            QTemporaryDir dbDir;
            vq::invoice::InvoiceConnection db;
            ASSERT_TRUE(db.openSQLite(dbDir.filePath(QStringLiteral("datenbank.db")),
                                      QStringLiteral(VQ_PROGRAM_DIR "/rechtool/datenbank.tdb"),
                                      &error))
                << error.toStdString();
            vq::invoice::TMandant client;
            client.firma = QStringLiteral("Shop");
            const auto clientId = vq::invoice::ClientStore(db).insertClient(client);
            ASSERT_TRUE(clientId);
            ASSERT_EQ(
                vq::invoice::MailboxStore(db)
                    .storeMailOrder(document.order, document.lines, *clientId, QString(), nullptr)
                    .outcome,
                vq::invoice::MailOrderStore::Stored);
            const auto listed = vq::invoice::OrderStore(db).orderList(*clientId);
            ASSERT_TRUE(listed.has_value());
            const QList<vq::invoice::OrderListRow> orders = *listed;
            ASSERT_EQ(orders.size(), 1);
            ASSERT_TRUE(orders[0].totalCents.has_value());
            EXPECT_EQ(*orders[0].totalCents, qRound64(pageTotal * 100))
                << *orders[0].totalCents << " vs " << pageTotal;
        }
    }
}

// The self-contained PHP form sends the same order mail, built by the same
// functions, when its invoice-module switch is on.
namespace {

// The article of the self-contained PHP forms' tests: a book at 20 with 7 % VAT.
void addBook(vq::ProjectDocument &project)
{
    auto book = std::make_unique<vq::TArtikelField>();
    book->name = QStringLiteral("Buch");
    book->artikelNummer = QStringLiteral("B-7");
    book->preis = 20;
    book->mwst = 7;
    project.ListArtikel.push_back(std::move(book));
}

// A project that mails shop@example.com, thanks on the shop's page and sends
// its orders to the invoice module.
vq::ProjectDocument shopWithInvoiceModule()
{
    vq::ProjectDocument project;
    project.setSetting(QStringLiteral("edtEMail"), QStringLiteral("shop@example.com"));
    project.setSetting(QStringLiteral("edtDanke"),
                       QStringLiteral("https://shop.example.com/danke.htm"));
    project.setFlag(QStringLiteral("checkboxRechnung"), true);
    project.setSetting(QStringLiteral("editMailRechnung"),
                       QStringLiteral("eingang@rechnung.example.com"));
    return project;
}

// Two books as the form posts them.
QList<QPair<QString, QString>> bookOrdered()
{
    return {{QStringLiteral("b_anz0"), QStringLiteral("2")},
            {QStringLiteral("b_name0"), QStringLiteral("Buch")},
            {QStringLiteral("b_preis0"), QStringLiteral("20")},
            {QStringLiteral("b_mwst0"), QStringLiteral("7")},
            {QStringLiteral("b_bestnr0"), QStringLiteral("B-7")},
            {QStringLiteral("b_opt_count0"), QStringLiteral("0")}};
}

} // namespace

TEST_F(FormMailer, SelfContainedPhpFormSendsTheOrderMail)
{
    startServer();
    vq::ProjectDocument project;
    project.ExtSettings.encoding = QStringLiteral("utf-8");
    project.setSetting(QStringLiteral("edtEMail"), QStringLiteral("shop@example.com"));
    project.setSetting(QStringLiteral("edtDanke"),
                       QStringLiteral("https://shop.example.com/danke.htm"));
    project.setSetting(QStringLiteral("edtBetreff"),
                       QStringLiteral("Bestellung\r\nBcc: opfer@anderswo.example.net"));
    project.setFlag(QStringLiteral("checkboxRechnung"), true);
    project.setSetting(QStringLiteral("editMailRechnung"),
                       QStringLiteral("eingang@rechnung.example.com"));
    auto name = std::make_unique<vq::TEinzField>();
    name->Name = QStringLiteral("Nachname");
    name->Beschriftung = QStringLiteral("Nachname");
    project.ListField.push_back(std::move(name));
    addBook(project);
    qputenv("LC_ALL", "C.UTF-8");
    {
        LocaleScope english(englishLocale());
        QString error;
        ASSERT_TRUE(project.SaveProject(path(QStringLiteral("form.vqb")), &error));
    }
    QByteArray out, err;
    ASSERT_EQ(
        runProgram(QStringLiteral(VQ_PROGRAM_DIR "/zelkin"),
                   {QStringLiteral("--generate"), QStringLiteral("php"), QStringLiteral("--output"),
                    path(QStringLiteral("web/form.php")), path(QStringLiteral("form.vqb"))},
                   &out, 30000, &err),
        0)
        << err.toStdString();
    ASSERT_EQ(runProgram(QStringLiteral("php"),
                         {QStringLiteral("-l"), path(QStringLiteral("web/form.php"))}, &out),
              0)
        << out.toStdString();

    script = QStringLiteral("form.php");
    writeFile(path(QStringLiteral("evil.php")), "<?php echo 1;");
    QList<QPair<QString, QString>> form = bookOrdered();
    form.prepend({QStringLiteral("Nachname"), QStringLiteral("Müller")});
    // A script upload is refused with the form shown again; nothing is sent.
    const Response refused =
        post(form,
             {{QStringLiteral("datei"),
               path(QStringLiteral("evil.php")) + QStringLiteral(";filename=evil.php")}},
             QStringLiteral("?action=send"));
    EXPECT_TRUE(refused.location.isEmpty());
    EXPECT_TRUE(refused.body.contains(QStringLiteral("evil.php"))) << refused.body.toStdString();
    EXPECT_TRUE(refused.body.contains(QStringLiteral("nicht angenommen")));
    EXPECT_TRUE(mails().isEmpty());
    const Response response = post(form, {}, QStringLiteral("?action=send"));
    EXPECT_EQ(response.location, QStringLiteral("https://shop.example.com/danke.htm"))
        << response.body.toStdString();

    const QList<MailMessage> sent = mails();
    ASSERT_EQ(sent.size(), 2);
    EXPECT_FALSE(sent[0].headers.contains(QStringLiteral("bcc")));
    EXPECT_EQ(sent[0].parts.size(), 1);
    EXPECT_EQ(sent[1].header(QStringLiteral("To")), QStringLiteral("eingang@rechnung.example.com"));
    EXPECT_TRUE(sent[1].header(QStringLiteral("Subject")).contains(QStringLiteral("VQBESTMAIL")));
    QDomDocument doc;
    ASSERT_TRUE(doc.setContent(sent[1].parts[0].body)) << sent[1].parts[0].body.toStdString();
    const QDomElement formdata =
        doc.documentElement().firstChildElement(QStringLiteral("formdata"));
    EXPECT_EQ(decode1252(formdata.firstChildElement(QStringLiteral("Nachname")).text()),
              QStringLiteral("Müller"));
    const QDomElement line =
        doc.documentElement().firstChildElement(QStringLiteral("articles")).firstChildElement();
    EXPECT_EQ(decode1252(line.firstChildElement(QStringLiteral("articleNumber")).text()),
              QStringLiteral("B-7"));
    EXPECT_EQ(decode1252(line.firstChildElement(QStringLiteral("amount")).text()),
              QStringLiteral("2"));
    EXPECT_EQ(decode1252(line.firstChildElement(QStringLiteral("price")).text()),
              QStringLiteral("20"));

    // The page view's token as the form writes it: the same order sent again
    // keeps its id, a changed one gets another.
    clearMails();
    const Response page = get(QString());
    const QString view =
        page.body.section(QStringLiteral("name=\"vq_view\" value=\""), 1).section(u'"', 0, 0);
    ASSERT_EQ(view.size(), 32) << page.body.toStdString();
    auto viewed = form;
    viewed.append({QStringLiteral("vq_view"), view});
    auto changed = viewed;
    set(changed, QStringLiteral("b_anz0"), QStringLiteral("3"));
    for (const auto &send : {viewed, viewed, changed})
        ASSERT_EQ(post(send, {}, QStringLiteral("?action=send")).location,
                  QStringLiteral("https://shop.example.com/danke.htm"));
    const QList<MailMessage> again = mails();
    ASSERT_EQ(again.size(), 6);
    EXPECT_EQ(orderIdOf(again[1]), orderIdOf(again[3]));
    EXPECT_NE(orderIdOf(again[1]), orderIdOf(again[5]));
}

// The self-contained PHP form, written in Windows-1252, refuses the same
// hostile posts with its form shown again and nothing sent, and takes
// characters the page cannot carry as the browser posts them.
TEST_F(FormMailer, SelfContainedPhpFormRefusesHostilePosts)
{
    startServer();
    vq::ProjectDocument project = shopWithInvoiceModule();
    project.ExtSettings.encoding = QStringLiteral("windows-1252");
    auto name = std::make_unique<vq::TEinzField>();
    name->Name = QStringLiteral("Nachname");
    name->Beschriftung = QStringLiteral("Nachname");
    project.ListField.push_back(std::move(name));
    addBook(project);
    qputenv("LC_ALL", "C.UTF-8");
    {
        LocaleScope english(englishLocale());
        QString error;
        ASSERT_TRUE(project.SaveProject(path(QStringLiteral("form.vqb")), &error));
    }
    QByteArray out, err;
    ASSERT_EQ(
        runProgram(QStringLiteral(VQ_PROGRAM_DIR "/zelkin"),
                   {QStringLiteral("--generate"), QStringLiteral("php"), QStringLiteral("--output"),
                    path(QStringLiteral("web/form.php")), path(QStringLiteral("form.vqb"))},
                   &out, 30000, &err),
        0)
        << err.toStdString();
    script = QStringLiteral("form.php");
    writeFile(path(QStringLiteral("skript.hta")), "<script>alert(1)</script>");
    const QList<QPair<QString, QString>> order = bookOrdered();
    struct Case
    {
        const char *what;
        QList<QPair<QString, QString>> changes;
        QList<QPair<QString, QString>> files;
        QList<QPair<QString, QByteArray>> rawFields;
        const char *message; // as the page shows it
    };
    const Case cases[] = {
        {"negative price",
         {{QStringLiteral("b_preis0"), QStringLiteral("-20")}},
         {},
         {},
         "ung&uuml;ltigen Preis"},
        {"VAT above 100",
         {{QStringLiteral("b_mwst0"), QStringLiteral("150")}},
         {},
         {},
         "Mehrwertsteuersatz"},
        {"negative quantity",
         {{QStringLiteral("b_anz0"), QStringLiteral("-1")}},
         {},
         {},
         "ung&uuml;ltige Menge"},
        {".hta upload",
         {},
         {{QStringLiteral("datei"),
           path(QStringLiteral("skript.hta")) + QStringLiteral(";filename=hilfe.hta")}},
         {},
         "nicht angenommen"},
        {".csv upload",
         {},
         {{QStringLiteral("datei"),
           path(QStringLiteral("skript.hta")) + QStringLiteral(";filename=liste.csv")}},
         {},
         "nicht angenommen"},
        {"a field of 40 KB",
         {},
         {},
         {{QStringLiteral("Nachname"), QByteArray(40000, 'a')}},
         "zu viel Text"},
        {"price below the price list",
         {{QStringLiteral("b_preis0"), QStringLiteral("2")}},
         {},
         {},
         "Preisliste"},
    };
    writeFile(
        path(QStringLiteral("web/vq_preisliste.json")),
        R"({"format":"vq-preisliste","version":1,"articles":[{"number":"B-7","name":"Buch","price":"20","vat":"7"}]})");
    for (const Case &c : cases) {
        clearMails();
        auto form = order;
        for (const auto &[key, value] : c.changes)
            set(form, key, value);
        const Response response = post(form, c.files, QStringLiteral("?action=send"), c.rawFields);
        EXPECT_TRUE(response.location.isEmpty()) << c.what;
        EXPECT_TRUE(response.body.contains(QString::fromLatin1(c.message)))
            << c.what << "\n"
            << response.body.toStdString();
        EXPECT_TRUE(mails().isEmpty()) << c.what;
    }

    // A windows-1252 page posts "Ł" as "&#321;": it arrives as typed.
    clearMails();
    const Response response =
        post(order, {}, QStringLiteral("?action=send"),
             {{QStringLiteral("Nachname"), QByteArray("&#321;ukasz Dvo&#345;\xE1k")}});
    EXPECT_EQ(response.location, QStringLiteral("https://shop.example.com/danke.htm"))
        << response.body.toStdString();
    const QList<MailMessage> sent = mails();
    ASSERT_EQ(sent.size(), 2);
    EXPECT_TRUE(sent[0].text().contains(QStringLiteral("Nachname: Łukasz Dvořák")))
        << sent[0].text().toStdString();
    vq::invoice::OrderDocument document;
    QString error;
    ASSERT_TRUE(vq::invoice::readOrderDocument(sent[1].parts[0].body, &document, &error))
        << error.toStdString();
    EXPECT_EQ(document.order.nachname, QStringLiteral("Lukasz Dvorák"));
}

// Every case of the shared money table, posted as a generated page posts it
// (brutto and netto, plain and HTML mail): the form mail shows the table's
// line totals, VAT per rate and in all, net amount (netto) and total; the
// order document names the VAT mode, carries the net prices as posted in
// netto mode and none in brutto mode, keeps its gross prices, and is signed
// over all of it.
TEST_F(FormMailer, EveryCaseOfTheMoneyTableInTheMailsAndTheOrderDocument)
{
    startServer(QStringLiteral("'order_secret' => 'geheim-1234'"));
    const QList<MoneyCase> cases = loadMoneyCases();
    ASSERT_GE(cases.size(), 10);
    for (const MoneyCase &money : cases) {
        for (const QString &format : {QStringLiteral("plain"), QStringLiteral("html")}) {
            SCOPED_TRACE((money.name + u' ' + format).toStdString());
            clearMails();
            auto form = orderForm(format);
            form.removeIf([](const auto &field) { return field.first.startsWith(u"b_"); });
            set(form, QStringLiteral("vq_tax"), scramble(money.mode));
            set(form, QStringLiteral("vq_anzahl"), QString::number(money.articles.size()));
            set(form, QStringLiteral("b_gesamt"), commaDecimal(money.total) + QStringLiteral(" €"));
            form.append(moneyFields(money));
            const Response response = post(form);
            ASSERT_EQ(response.status, 303) << response.body.toStdString();
            const QList<MailMessage> sent = mails();
            ASSERT_EQ(sent.size(), 2);

            const MailFigures shown = mailFigures(sent[0].text(), format == u"html");
            const MailFigures expected = expectedFigures(money, QStringLiteral("€"));
            EXPECT_EQ(shown.lines, expected.lines) << sent[0].text().toStdString();
            EXPECT_EQ(shown.labelled, expected.labelled) << sent[0].text().toStdString();

            if (format == u"html")
                continue; // one order document per case is enough
            const QByteArray body = sent[1].parts[0].body;
            QByteArray signedText = body;
            signedText.replace('\r', QByteArray());
            EXPECT_EQ(sent[1].header(QStringLiteral("X-VQ-Signature")),
                      QStringLiteral("hmac-sha256=")
                          + QString::fromLatin1(
                              QMessageAuthenticationCode::hash(signedText.trimmed(), "geheim-1234",
                                                               QCryptographicHash::Sha256)
                                  .toHex()));
            QDomDocument doc;
            ASSERT_TRUE(doc.setContent(body)) << body.toStdString();
            const QDomElement root = doc.documentElement();
            EXPECT_EQ(root.firstChildElement(QStringLiteral("formdata"))
                          .firstChildElement(QStringLiteral("taxMode"))
                          .text(),
                      money.mode);
            const bool netto = money.mode == u"netto";
            QDomElement article = root.firstChildElement(QStringLiteral("articles"))
                                      .firstChildElement(QStringLiteral("article"));
            for (const MoneyArticle &a : money.articles) {
                if (a.ordered() == 0)
                    continue;
                ASSERT_FALSE(article.isNull()) << "a line is missing: " << a.number.toStdString();
                SCOPED_TRACE(a.number.toStdString());
                EXPECT_EQ(
                    decode1252(article.firstChildElement(QStringLiteral("articleNumber")).text()),
                    a.number);
                const QDomElement price = article.firstChildElement(QStringLiteral("price"));
                const QDomElement netPrice = price.nextSiblingElement();
                if (netto) {
                    ASSERT_EQ(netPrice.tagName(), QStringLiteral("netPrice"))
                        << "right after the price";
                    EXPECT_EQ(
                        QString::fromLatin1(QByteArray::fromBase64(netPrice.text().toLatin1())),
                        plainNumber(a.price));
                    // The price stays gross, as older invoice modules read it.
                    EXPECT_NEAR(QByteArray::fromBase64(price.text().toLatin1()).toDouble(),
                                a.price.toDouble() * (100 + a.vat.toDouble()) / 100, 1e-6);
                } else {
                    EXPECT_TRUE(article.firstChildElement(QStringLiteral("netPrice")).isNull());
                    EXPECT_EQ(QString::fromLatin1(QByteArray::fromBase64(price.text().toLatin1())),
                              plainNumber(a.price));
                }
                QDomElement option =
                    article.firstChildElement(QStringLiteral("options")).firstChildElement();
                for (const MoneyOption &o : a.options) {
                    ASSERT_FALSE(option.isNull());
                    EXPECT_EQ(decode1252(option.text()), o.chosen().name);
                    EXPECT_EQ(option.hasAttribute(QStringLiteral("netPrice")), netto);
                    if (netto)
                        EXPECT_EQ(option.attribute(QStringLiteral("netPrice")),
                                  plainNumber(o.chosen().surcharge));
                    else
                        EXPECT_EQ(option.attribute(QStringLiteral("price")),
                                  plainNumber(o.chosen().surcharge));
                    option = option.nextSiblingElement();
                }
                article = article.nextSiblingElement(QStringLiteral("article"));
            }
            EXPECT_TRUE(article.isNull()) << "a line too many";
            // The net surcharge stands right after the gross one.
            if (netto && body.contains("<option ")) {
                EXPECT_TRUE(
                    QRegularExpression(
                        QStringLiteral(
                            "<option name=\"[^\"]*\" price=\"[^\"]*\" netPrice=\"[^\"]*\">"))
                        .match(QString::fromLatin1(body))
                        .hasMatch())
                    << body.toStdString();
            }
            // The invoice module's reader still takes the document.
            vq::invoice::OrderDocument document;
            QString error;
            EXPECT_TRUE(vq::invoice::readOrderDocument(body, &document, &error))
                << error.toStdString();
        }
    }
}

// Amounts the money rule cannot or must not carry are refused before any
// mail goes out: a line above 1,000,000,000.00 (also when only its rounding
// makes it so), a product beyond the integers, a quantity above max_quantity,
// and a price option posted twice to count its surcharge or discount twice.
TEST_F(FormMailer, RefusesLinesTheMoneyRuleCannotCarry)
{
    startServer();
    QList<QPair<QString, QString>> manyOptions = {
        {QStringLiteral("b_anz0"), QStringLiteral("100000")},
        {QStringLiteral("b_opt_count0"), QStringLiteral("50")}};
    for (int j = 0; j < 50; ++j) {
        const QString n = QStringLiteral("0_") + QString::number(j);
        manyOptions.append({QStringLiteral("b_opt_type") + n, QStringLiteral("Price")});
        manyOptions.append(
            {QStringLiteral("b_optname") + n, QStringLiteral("Extra ") + QString::number(j)});
        manyOptions.append({QStringLiteral("b_opt") + n, QStringLiteral("ja#999999999.99")});
    }
    const QString tooHigh = QStringLiteral("zu hohen Betrag");
    struct Case
    {
        const char *what;
        QList<QPair<QString, QString>> changes;
        QString refusal; // empty: accepted, with this total
        QString total = {};
    };
    const Case cases[] = {
        {"line of exactly a billion",
         {{QStringLiteral("b_anz0"), QStringLiteral("1")},
          {QStringLiteral("b_preis0"), QStringLiteral("999999998.5")}},
         {},
         QStringLiteral("1.000.000.000,00 €")},
        {"line a cent above a billion",
         {{QStringLiteral("b_anz0"), QStringLiteral("1")},
          {QStringLiteral("b_preis0"), QStringLiteral("999999998.51")}},
         tooHigh},
        {"line above a billion from prices below it",
         {{QStringLiteral("b_anz0"), QStringLiteral("2")},
          {QStringLiteral("b_preis0"), QStringLiteral("500000000")}},
         tooHigh},
        {"line rounded above a billion",
         {{QStringLiteral("b_anz0"), QStringLiteral("3")},
          {QStringLiteral("b_preis0"), QStringLiteral("333333333.335")},
          {QStringLiteral("b_opt0_0"), QStringLiteral("rot#0.00")}},
         tooHigh},
        {"quantity times 50 surcharges beyond the integers", manyOptions, tooHigh},
        {"quantity of max_quantity",
         {{QStringLiteral("b_anz0"), QStringLiteral("100000")},
          {QStringLiteral("b_preis0"), QStringLiteral("0.01")},
          {QStringLiteral("b_opt0_0"), QStringLiteral("rot#0.00")}},
         {},
         QStringLiteral("1.000,00 €")},
        {"quantity above max_quantity",
         {{QStringLiteral("b_anz0"), QStringLiteral("100001")}},
         QStringLiteral("ungültige Menge")},
        {"quantity of twenty digits",
         {{QStringLiteral("b_anz0"), QStringLiteral("18446744073709551617")}},
         QStringLiteral("ungültige Menge")},
        {"surcharge posted twice",
         {{QStringLiteral("b_opt_count0"), QStringLiteral("3")},
          {QStringLiteral("b_opt_type0_2"), QStringLiteral("Price")},
          {QStringLiteral("b_optname0_2"), QStringLiteral("Farbe")},
          {QStringLiteral("b_opt0_2"), QStringLiteral("rot#1.50")}},
         QStringLiteral("ungültigen Aufpreis")},
        {"discount posted twice",
         {{QStringLiteral("b_opt0_0"), QStringLiteral("rot#-1.50")},
          {QStringLiteral("b_opt_count0"), QStringLiteral("3")},
          {QStringLiteral("b_opt_type0_2"), QStringLiteral("Price")},
          {QStringLiteral("b_optname0_2"), QStringLiteral("Farbe")},
          {QStringLiteral("b_opt0_2"), QStringLiteral("rot#-1.50")}},
         QStringLiteral("ungültigen Aufpreis")},
    };
    for (const Case &c : cases) {
        clearMails();
        auto form = orderForm(QStringLiteral("plain"));
        for (const auto &[name, value] : c.changes)
            set(form, name, value);
        const Response response = post(form);
        if (c.refusal.isEmpty()) {
            EXPECT_EQ(response.status, 303) << c.what << "\n" << response.body.toStdString();
            ASSERT_EQ(mails().size(), 2) << c.what;
            EXPECT_TRUE(mails()[0].text().contains(QStringLiteral("Gesamt: ") + c.total))
                << c.what << "\n"
                << mails()[0].text().toStdString();
        } else {
            EXPECT_EQ(response.status, 400) << c.what;
            EXPECT_TRUE(response.body.contains(c.refusal)) << c.what << "\n"
                                                           << response.body.toStdString();
            EXPECT_TRUE(mails().isEmpty()) << c.what;
        }
    }
}

// ---- the confirmation of receipt and the withdrawal

namespace {

// The fields the withdrawal page posts in its second step.
QList<QPair<QString, QString>> withdrawalForm()
{
    return {{QStringLiteral("wr_schritt"), QStringLiteral("2")},
            {QStringLiteral("wr_name"), QStringLiteral("Erika Mustermann")},
            {QStringLiteral("wr_email"), QStringLiteral("erika@kunde.example.org")},
            {QStringLiteral("wr_bestellnummer"),
             QStringLiteral("7ca6c466-56d2-473b-b2aa-84a9371ded1a")},
            {QStringLiteral("wr_bestelldatum"), QStringLiteral("2026-12-01")},
            {QStringLiteral("wr_grund"), QStringLiteral("Passt nicht")},
            {QStringLiteral("vq_encoding"), QStringLiteral("utf-8")},
            {QStringLiteral("vq_cryptmail"), QStringLiteral("0")},
            {QStringLiteral("vq_admin"), QStringLiteral("shop@example.com")},
            {QStringLiteral("vq_rechtool"), QStringLiteral("1")},
            {QStringLiteral("vq_rechtoolmail"), QStringLiteral("eingang@rechnung.example.com")}};
}

const QRegularExpression
    kReceivedAt(QStringLiteral("\\d{2}\\.\\d{2}\\.\\d{4} um \\d{2}:\\d{2}:\\d{2} Uhr"));

} // namespace

// The customer's confirmation of receipt: to the address the order carries,
// with the owner's subject, text and files, the order number the invoice
// module stores, the time of receipt and the order as the server read it;
// nothing the post chose, and it replaces the copy to the sender.
TEST_F(FormMailer, ConfirmationOfReceiptCarriesTheCheckedOrder)
{
    writeFile(path(QStringLiteral("agb.pdf")), "%PDF-1.4 AGB");
    startServer(QStringLiteral("'send_confirmation' => true, 'send_copy_to_sender' => true, "
                               "'confirmation_subject' => 'Eingang Ihrer Bestellung', "
                               "'confirmation_text' => 'Danke!#br#Ihr Shop', "
                               "'confirmation_attachments' => ['%1', '%2']")
                    .arg(path(QStringLiteral("agb.pdf")), path(QStringLiteral("fehlt.pdf"))));
    const QString lure =
        QStringLiteral("Ihr Konto wurde gesperrt: https://boese.example.net/anmelden");
    for (const QString &format : {QStringLiteral("plain"), QStringLiteral("html")}) {
        SCOPED_TRACE(format.toStdString());
        clearMails();
        auto form = orderForm(format);
        set(form, QStringLiteral("vq_mailtext"), scramble(lure));
        set(form, QStringLiteral("Hinweis"), lure);
        set(form, QStringLiteral("vq_bestaetigung"), QStringLiteral("1"));
        ASSERT_EQ(post(form).status, 303);
        const QList<MailMessage> sent = mails();
        // The owner's mail, the confirmation (no copy besides it), the order mail.
        ASSERT_EQ(sent.size(), 3);
        const MailMessage &confirmation = sent[1];
        EXPECT_EQ(confirmation.header(QStringLiteral("To")),
                  QStringLiteral("max@kunde.example.org"));
        EXPECT_FALSE(confirmation.headers.contains(QStringLiteral("reply-to")));
        EXPECT_EQ(confirmation.header(QStringLiteral("Subject")),
                  QStringLiteral("Eingang Ihrer Bestellung"));
        const QString text = confirmation.text();
        EXPECT_FALSE(text.contains(QStringLiteral("boese.example.net")));
        EXPECT_TRUE(text.contains(QStringLiteral("Danke!"))) << text.toStdString();
        EXPECT_TRUE(text.contains(kReceivedAt)) << text.toStdString();
        EXPECT_TRUE(text.contains(orderIdOf(sent[2]))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("T-Shirt")));
        EXPECT_TRUE(text.contains(QStringLiteral("Farbe")));
        // The totals by the form mailer's money rule, as the owner's mail states them.
        EXPECT_TRUE(text.contains(QStringLiteral("28,00")));
        EXPECT_TRUE(text.contains(QStringLiteral("4,47")));
        ASSERT_EQ(confirmation.parts.size(), 2); // the text and the one file that exists
        EXPECT_EQ(confirmation.parts[1].body, QByteArray("%PDF-1.4 AGB"));
    }
}

// The confirmation goes out only where configuration, page, captcha and the
// limit per address let it; a hostile address gets nothing.
TEST_F(FormMailer, ConfirmationOnlyWhereAllowedAndLimitedPerAddress)
{
    struct Case
    {
        const char *what;
        const char *config;
        const char *pageSwitch;
        const char *email;
        int posts;
        int confirmations;
    };
    const Case cases[] = {
        {"on", "'send_confirmation' => true", "1", "max@kunde.example.org", 1, 1},
        {"off in the configuration", "'send_confirmation' => false", "1", "max@kunde.example.org",
         1, 0},
        {"off in the project", "'send_confirmation' => true", "0", "max@kunde.example.org", 1, 0},
        {"a flood to one address", "'send_confirmation' => true, 'confirmation_limit' => 2", "1",
         "max@kunde.example.org", 4, 2},
        {"a header in the address", "'send_confirmation' => true", "1",
         "max@kunde.example.org\r\nBcc: opfer@anderswo.example.net", 1, 0},
        {"two addresses", "'send_confirmation' => true", "1",
         "max@kunde.example.org, opfer@anderswo.example.net", 1, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QDir(path(QStringLiteral("storage"))).removeRecursively();
        QDir(dir.path()).mkpath(QStringLiteral("storage"));
        startServer(QString::fromLatin1(c.config));
        clearMails();
        auto form = orderForm(QStringLiteral("plain"));
        set(form, QStringLiteral("email"), QString::fromLatin1(c.email));
        set(form, QStringLiteral("vq_bestaetigung"), QString::fromLatin1(c.pageSwitch));
        for (int i = 0; i < c.posts; ++i)
            ASSERT_EQ(post(form).status, 303);
        int confirmations = 0;
        for (const MailMessage &mail : mails()) {
            EXPECT_FALSE(mail.headers.contains(QStringLiteral("bcc")));
            if (mail.header(QStringLiteral("Subject"))
                    .contains(QStringLiteral("=?UTF-8?B?RWluZ2FuZ3NiZXN0")))
                ++confirmations;
        }
        EXPECT_EQ(confirmations, c.confirmations);
        server.stop();
    }
}

// A form that needs the captcha sends nothing, no confirmation either, before
// the code is right.
TEST_F(FormMailer, ConfirmationOnlyAfterTheCaptcha)
{
    startServer(QStringLiteral("'send_confirmation' => true, 'captcha_required' => true"));
    auto form = orderForm(QStringLiteral("plain"));
    form.append({QStringLiteral("captcha_input"), QStringLiteral("AAAAA")});
    EXPECT_NE(post(form).status, 303);
    EXPECT_TRUE(mails().isEmpty());
}

// A withdrawal from the page's second step: the owner's mail, the document
// the invoice module reads and at once the consumer's confirmation with the
// date and time of receipt, which repeats nothing but what identifies the
// withdrawal; the answer page states the same time.
TEST_F(FormMailer, WithdrawalIsSentAndConfirmedAtOnce)
{
    startServer(QStringLiteral("'order_secret' => 'geheim-0123456789'"));
    auto form = withdrawalForm();
    set(form, QStringLiteral("wr_grund"), QStringLiteral("Siehe https://boese.example.net"));
    const Response response = post(form, {}, QStringLiteral("?action=widerruf"));
    ASSERT_EQ(response.status, 200) << response.body.toStdString();
    EXPECT_TRUE(response.body.contains(QStringLiteral("Ihr Widerruf ist eingegangen")));
    const QString received = kReceivedAt.match(response.body).captured();
    ASSERT_FALSE(received.isEmpty()) << response.body.toStdString();

    const QList<MailMessage> sent = mails();
    ASSERT_EQ(sent.size(), 3);
    EXPECT_EQ(sent[0].header(QStringLiteral("To")), QStringLiteral("shop@example.com"));
    EXPECT_TRUE(sent[0].text().contains(QStringLiteral("boese.example.net")));
    EXPECT_EQ(sent[1].header(QStringLiteral("Subject")), QStringLiteral("VQWIDERRUF Widerruf"));
    vq::invoice::TWiderruf withdrawal;
    QString error;
    ASSERT_TRUE(vq::invoice::readWithdrawalDocument(sent[1].parts[0].body, &withdrawal, &error))
        << error.toStdString();
    EXPECT_TRUE(vq::invoice::orderSignatureValid(sent[1].parts[0].body,
                                                 sent[1].header(QStringLiteral("X-VQ-Signature")),
                                                 QStringLiteral("geheim-0123456789")));
    EXPECT_EQ(withdrawal.name, QStringLiteral("Erika Mustermann"));
    EXPECT_EQ(withdrawal.bestellnummer, QStringLiteral("7ca6c466-56d2-473b-b2aa-84a9371ded1a"));
    EXPECT_EQ(withdrawal.bestelldatum, QDate(2026, 12, 1));
    EXPECT_EQ(withdrawal.eingang.toString(QStringLiteral("dd.MM.yyyy 'um' HH:mm:ss 'Uhr'")),
              received);
    EXPECT_EQ(sent[2].header(QStringLiteral("To")), QStringLiteral("erika@kunde.example.org"));
    const QString confirmation = sent[2].text();
    EXPECT_TRUE(confirmation.contains(received)) << confirmation.toStdString();
    EXPECT_TRUE(confirmation.contains(QStringLiteral("01.12.2026")));
    EXPECT_FALSE(confirmation.contains(QStringLiteral("boese.example.net")));
}

// Hostile and broken withdrawals: refused with nothing sent, or sent with the
// consumer's confirmation limited per address.
TEST_F(FormMailer, WithdrawalRefusesHostilePosts)
{
    startServer(QStringLiteral("'confirmation_limit' => 2, 'max_post_text' => 20000"));
    struct Case
    {
        const char *what;
        QString field, value;
        int status;
    };
    const Case cases[] = {
        {"without the second step", QStringLiteral("wr_schritt"), QStringLiteral("1"), 400},
        {"without order number and date", QStringLiteral("wr_bestellnummer"), QString(), 400},
        {"an address with a header", QStringLiteral("wr_email"),
         QStringLiteral("erika@kunde.example.org\nBcc: opfer@anderswo.example.net"), 400},
        {"a text as order number", QStringLiteral("wr_bestellnummer"),
         QStringLiteral("Jetzt gewinnen: https://boese.example.net"), 400},
        {"an order date in the future", QStringLiteral("wr_bestelldatum"),
         QStringLiteral("2999-01-01"), 400},
        {"a recipient the owner did not allow", QStringLiteral("vq_admin"),
         QStringLiteral("opfer@anderswo.example.net"), 403},
        {"a huge reason", QStringLiteral("wr_grund"), QString(30000, u'x'), 413},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        clearMails();
        auto form = withdrawalForm();
        set(form, c.field, c.value);
        if (c.field == u"wr_bestellnummer" && c.value.isEmpty())
            set(form, QStringLiteral("wr_bestelldatum"), QString());
        EXPECT_EQ(post(form, {}, QStringLiteral("?action=widerruf")).status, c.status);
        EXPECT_TRUE(mails().isEmpty());
    }
    EXPECT_EQ(get(QStringLiteral("?action=widerruf")).status, 405);

    // A flood of withdrawals to one address: every one reaches the owner, the
    // address gets two confirmations.
    clearMails();
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(post(withdrawalForm(), {}, QStringLiteral("?action=widerruf")).status, 200);
    int confirmations = 0;
    int owner = 0;
    for (const MailMessage &mail : mails()) {
        confirmations += mail.header(QStringLiteral("To")) == u"erika@kunde.example.org";
        owner += mail.header(QStringLiteral("To")) == u"shop@example.com";
    }
    EXPECT_EQ(owner, 4);
    EXPECT_EQ(confirmations, 2);
}

namespace {

// Generates a page of the project with zelkin into the web folder.
void generateInto(const vq::ProjectDocument &project, const QString &kind, const QString &folder,
                  const QString &page)
{
    QString error;
    ASSERT_TRUE(project.SaveProject(folder + QStringLiteral("/../shop.vqb"), &error))
        << error.toStdString();
    QByteArray out, err;
    ASSERT_EQ(runProgram(QStringLiteral(VQ_PROGRAM_DIR "/zelkin"),
                         {QStringLiteral("--generate"), kind, QStringLiteral("--output"),
                          folder + u'/' + page, folder + QStringLiteral("/../shop.vqb")},
                         &out, 30000, &err),
              0)
        << err.toStdString();
}

} // namespace

// The self-contained PHP form confirms an order with the project's subject,
// text and the files beside it, to the checked address only, and not when
// the project switches it off.
TEST_F(FormMailer, SelfContainedPhpFormConfirmsWithTheProjectsWords)
{
    startServer();
    vq::ProjectDocument project;
    project.ExtSettings.encoding = QStringLiteral("utf-8");
    project.setSetting(QStringLiteral("edtEMail"), QStringLiteral("shop@example.com"));
    project.setSetting(QStringLiteral("edtDanke"), QString());
    project.setSetting(QStringLiteral("edtBestaetigungBetreff"),
                       QStringLiteral("Danke für Ihre Bestellung"));
    project.setSetting(QStringLiteral("memoBestaetigungText"), QStringLiteral("Ihr Shop"));
    project.setSetting(QStringLiteral("edtBestaetigungAnhaenge"),
                       QStringLiteral("agb.pdf;../evil.php;fehlt.pdf"));
    auto email = std::make_unique<vq::TEinzField>();
    email->Name = QStringLiteral("email");
    email->Beschriftung = QStringLiteral("E-Mail");
    project.ListField.push_back(std::move(email));
    addBook(project);
    writeFile(path(QStringLiteral("web/agb.pdf")), "%PDF-1.4 AGB");
    writeFile(path(QStringLiteral("evil.php")), "<?php echo 1;");
    script = QStringLiteral("form.php");
    const QList<QPair<QString, QString>> form = bookOrdered();
    struct Case
    {
        const char *what;
        bool on;
        QString email;
        int confirmations;
    };
    const Case cases[] = {
        {"on", true, QStringLiteral("max@kunde.example.org"), 1},
        {"a header in the address", true,
         QStringLiteral("max@kunde.example.org\r\nBcc: opfer@anderswo.example.net"), 0},
        {"switched off in the project", false, QStringLiteral("max@kunde.example.org"), 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        project.setFlag(QStringLiteral("chkBestaetigung"), c.on);
        ASSERT_NO_FATAL_FAILURE(generateInto(project, QStringLiteral("php"),
                                             path(QStringLiteral("web")),
                                             QStringLiteral("form.php")));
        clearMails();
        auto posted = form;
        posted.append({QStringLiteral("email"), c.email});
        EXPECT_EQ(post(posted, {}, QStringLiteral("?action=send")).status, 200);
        const QList<MailMessage> sent = mails();
        ASSERT_EQ(sent.size(), 1 + c.confirmations);
        for (const MailMessage &mail : sent)
            EXPECT_FALSE(mail.headers.contains(QStringLiteral("bcc")));
        if (c.confirmations == 0)
            continue;
        const MailMessage &confirmation = sent[1];
        EXPECT_EQ(confirmation.header(QStringLiteral("To")),
                  QStringLiteral("max@kunde.example.org"));
        EXPECT_TRUE(confirmation.text().contains(QStringLiteral("Ihr Shop")));
        EXPECT_TRUE(confirmation.text().contains(QStringLiteral("40,00")))
            << confirmation.text().toStdString();
        // Only the file beside the script; nothing outside its folder.
        ASSERT_EQ(confirmation.parts.size(), 2);
        EXPECT_EQ(confirmation.parts[1].body, QByteArray("%PDF-1.4 AGB"));
    }
}

// The self-contained withdrawal page takes its two steps on the server:
// the first shows what will be sent, the second sends it; a hostile post is
// shown its error and sends nothing, a flood to one address gets at most five
// confirmations.
TEST_F(FormMailer, SelfContainedWithdrawalPageStepsAndLimits)
{
    startServer();
    vq::ProjectDocument project;
    project.ExtSettings.encoding = QStringLiteral("windows-1252");
    project.setSetting(QStringLiteral("edtEMail"), QStringLiteral("shop@example.com"));
    project.setSetting(QStringLiteral("cboUploadFormat"), QStringLiteral("1"));
    ASSERT_NO_FATAL_FAILURE(generateInto(project, QStringLiteral("widerruf"),
                                         path(QStringLiteral("web")),
                                         QStringLiteral("widerruf.php")));
    QByteArray out;
    ASSERT_EQ(runProgram(QStringLiteral("php"),
                         {QStringLiteral("-l"), path(QStringLiteral("web/widerruf.php"))}, &out),
              0)
        << out.toStdString();
    script = QStringLiteral("widerruf.php");

    auto form = withdrawalForm();
    set(form, QStringLiteral("wr_schritt"), QStringLiteral("1"));
    // As a browser posts from a Windows-1252 page.
    form.removeIf([](const auto &field) { return field.first == u"wr_name"; });
    const Response first = post(form, {}, QString(), {{QStringLiteral("wr_name"), "J\xFCrgen"}});
    EXPECT_TRUE(first.body.contains(QStringLiteral("Widerruf best&auml;tigen")))
        << first.body.toStdString();
    // The page is Windows-1252: the name as a character reference.
    EXPECT_TRUE(first.body.contains(QStringLiteral("J&#252;rgen"))) << first.body.toStdString();
    EXPECT_TRUE(mails().isEmpty());

    struct Case
    {
        const char *what;
        QString field, value;
        QString message;
    };
    const Case cases[] = {
        {"an address with a header", QStringLiteral("wr_email"),
         QStringLiteral("erika@kunde.example.org\r\nBcc: opfer@anderswo.example.net"),
         QStringLiteral("g&#252;ltige E-Mail-Adresse")},
        {"a text as order number", QStringLiteral("wr_bestellnummer"),
         QStringLiteral("<a href=\"https://boese.example.net\">Gewinn</a>"),
         QStringLiteral("Die Bestellnummer besteht")},
        {"a huge reason", QStringLiteral("wr_grund"), QString(100000, u'x'),
         QStringLiteral("zu viel Text")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        auto hostile = withdrawalForm();
        set(hostile, c.field, c.value);
        const Response refused = post(hostile);
        EXPECT_EQ(refused.status, 200);
        EXPECT_TRUE(refused.body.contains(c.message)) << refused.body.left(3000).toStdString();
        EXPECT_FALSE(refused.body.contains(QStringLiteral("<a href=\"https://boese")));
        EXPECT_TRUE(mails().isEmpty());
    }

    for (int i = 0; i < 7; ++i) {
        const Response sent = post(withdrawalForm());
        ASSERT_TRUE(sent.body.contains(QStringLiteral("Ihr Widerruf ist eingegangen")))
            << sent.body.toStdString();
    }
    int owner = 0, consumer = 0;
    for (const MailMessage &mail : mails()) {
        owner += mail.header(QStringLiteral("To")) == u"shop@example.com";
        consumer += mail.header(QStringLiteral("To")) == u"erika@kunde.example.org";
    }
    EXPECT_EQ(owner, 7);
    EXPECT_EQ(consumer, 5);
}

// ---- a business buyer's identifiers

namespace {

const QString kFormMailLib = QStringLiteral(VQ_SOURCE_DIR "/formmailer/vq_formmail_lib.php");

// The order document the library builds for one fixed order post, with the
// posted fields of `extra` (a JSON object) added: fixed id source, time and
// sender, so two runs compare byte for byte.
QByteArray fixedOrderDocument(const QByteArray &extra)
{
    const QString code =
        QStringLiteral(
            "require '%1';"
            "$post = ['Firma' => 'Café & Co', 'Vorname' => 'Max', 'Nachname' => 'Müller <b>',"
            " 'Ort' => 'Köln', 'b_anz0' => '2', 'b_name0' => 'T-Shirt', 'b_preis0' => '12.5',"
            " 'b_mwst0' => '19', 'b_bestnr0' => 'TS-1', 'b_opt_count0' => '0']"
            " + json_decode($argv[1], true);"
            "$text = fn(string $name): string => $post[$name] ?? '';"
            "$order = vq_order_lines(1, array_keys($post), $text);"
            "$customer = vq_order_customer($text, 'max@kunde.example.org');"
            "$uuid = vq_order_uuid('4711', str_repeat('ab', 16),"
            " vq_order_digest($order['lines'], $customer, 'brutto'));"
            "echo vq_order_document($uuid, 1700000000, $customer, '192.0.2.10', $order['lines'],"
            " 'brutto');")
            .arg(kFormMailLib);
    QByteArray out, err;
    EXPECT_EQ(
        runProgram(QStringLiteral("php"),
                   {QStringLiteral("-r"), code, QStringLiteral("--"), QString::fromUtf8(extra)},
                   &out, 30000, &err),
        0)
        << err.toStdString();
    return out;
}

QStringList formdataNames(const QByteArray &document)
{
    QDomDocument doc;
    EXPECT_TRUE(doc.setContent(document)) << document.toStdString();
    QStringList names;
    for (QDomElement e = doc.documentElement()
                             .firstChildElement(QStringLiteral("formdata"))
                             .firstChildElement();
         !e.isNull(); e = e.nextSiblingElement())
        names << e.tagName();
    return names;
}

QString formdataText(const QByteArray &document, const QString &name)
{
    QDomDocument doc;
    doc.setContent(document);
    return decode1252(doc.documentElement()
                          .firstChildElement(QStringLiteral("formdata"))
                          .firstChildElement(name)
                          .text());
}

QList<QPair<QString, QString>> businessFields(const QString &vat, const QString &reference,
                                              const QString &address)
{
    return {{QStringLiteral("Firma"), QStringLiteral("Stadtwerke Köln")},
            {QStringLiteral("UStIdNr"), vat},
            {QStringLiteral("Kaeuferreferenz"), reference},
            {QStringLiteral("EMailERechnung"), address}};
}

} // namespace

// The library's checks give what the shared table says, case by case.
TEST(FormMailerBuyerIds, EveryCaseOfTheTable)
{
    const QString code =
        QStringLiteral(
            "require '%1';"
            "$checks = ['vat' => 'vq_vat_id_problem', 'leitweg' => 'vq_leitweg_id_problem',"
            " 'email' => 'vq_e_invoice_address_problem'];"
            "$cases = json_decode(file_get_contents('%2'), true)['cases'];"
            "echo json_encode(array_map(fn($c) => $checks[$c['kind']]($c['value']), $cases),"
            " JSON_UNESCAPED_UNICODE);")
            .arg(kFormMailLib, buyerIdCasesPath());
    QByteArray out, err;
    ASSERT_EQ(runProgram(QStringLiteral("php"), {QStringLiteral("-r"), code}, &out, 30000, &err), 0)
        << err.toStdString();
    const QJsonArray problems = QJsonDocument::fromJson(out).array();
    const QList<BuyerIdCase> cases = loadBuyerIdCases();
    ASSERT_EQ(problems.size(), cases.size()) << out.toStdString();
    for (qsizetype i = 0; i < cases.size(); ++i)
        EXPECT_EQ(problems[i].toString(), cases[i].message)
            << cases[i].kind.toStdString() << " " << cases[i].value.toStdString();
}

// An order without the business fields, or with them left empty, keeps the
// document (and so the order id) it had before they existed; given ones
// stand after Homepage, encoded like Firma, the VAT ID compact.
TEST(FormMailerBuyerIds, OrderDocumentGainsOnlyTheFieldsGiven)
{
    const QByteArray before =
        readFile(fixturePath(QStringLiteral("order_document/order_without_business_fields.xml")));
    ASSERT_FALSE(before.isEmpty());
    EXPECT_EQ(fixedOrderDocument("{}"), before);
    EXPECT_EQ(
        fixedOrderDocument(R"({"UStIdNr": "", "Kaeuferreferenz": " ", "EMailERechnung": ""})"),
        before);

    const QByteArray business = fixedOrderDocument(
        R"({"UStIdNr": "de 136 695 976", "Kaeuferreferenz": " 991-33333test-33 ",)"
        R"( "EMailERechnung": "e-rechnung@stadt.example"})");
    QStringList expected = formdataNames(before);
    expected.insert(expected.indexOf(QStringLiteral("company")), QStringLiteral("UStIdNr"));
    expected.insert(expected.indexOf(QStringLiteral("company")), QStringLiteral("Kaeuferreferenz"));
    expected.insert(expected.indexOf(QStringLiteral("company")), QStringLiteral("EMailERechnung"));
    EXPECT_EQ(formdataNames(business), expected);
    EXPECT_EQ(formdataText(business, QStringLiteral("UStIdNr")), QStringLiteral("DE136695976"));
    EXPECT_EQ(formdataText(business, QStringLiteral("Kaeuferreferenz")),
              QStringLiteral("991-33333test-33"));
    EXPECT_EQ(formdataText(business, QStringLiteral("EMailERechnung")),
              QStringLiteral("e-rechnung@stadt.example"));
    // Another buyer is another order.
    auto uuidOf = [](const QByteArray &document) {
        return QString::fromUtf8(document).section(QStringLiteral("<uuid>"), 1).section(u'<', 0, 0);
    };
    EXPECT_EQ(uuidOf(before).size(), 36);
    EXPECT_NE(uuidOf(business), uuidOf(before));
}

// Through formmail.php: a business order reaches the order mail, which the
// invoice module still reads, and the form mail shows the values labelled;
// a post whose values fail is refused with the check's message and sends
// nothing.
TEST_F(FormMailer, BusinessOrderIsCheckedAndCarriedToTheOrderMail)
{
    startServer();
    for (const QString &format : {QStringLiteral("plain"), QStringLiteral("html")}) {
        SCOPED_TRACE(format.toStdString());
        clearMails();
        auto form = orderForm(format);
        for (const auto &[name, value] :
             businessFields(QStringLiteral("DE 136695976"), QStringLiteral("04011000-12345-03"),
                            QStringLiteral("e-rechnung@stadtwerke.example")))
            set(form, name, value);
        const Response response = post(form);
        ASSERT_EQ(response.status, 303) << response.body.toStdString();
        const QList<MailMessage> sent = mails();
        ASSERT_EQ(sent.size(), 2);
        const QString text = sent[0].text();
        const QString labelled[] = {
            QStringLiteral("USt-IdNr.: DE 136695976"),
            QStringLiteral("Käuferreferenz / Leitweg-ID: 04011000-12345-03"),
            QStringLiteral("E-Mail-Adresse für E-Rechnungen: e-rechnung@stadtwerke.example")};
        for (QString line : labelled) {
            if (format == u"html")
                line = QStringLiteral("<tr><td><b>")
                       + line.replace(QStringLiteral(": "), QStringLiteral("</b></td><td>"));
            EXPECT_TRUE(text.contains(line)) << line.toStdString() << "\n" << text.toStdString();
        }
        const QByteArray body = sent[1].parts[0].body;
        vq::invoice::OrderDocument document;
        QString error;
        ASSERT_TRUE(vq::invoice::readOrderDocument(body, &document, &error)) << error.toStdString();
        EXPECT_EQ(document.order.firma, QStringLiteral("Stadtwerke Köln"));
        EXPECT_EQ(formdataText(body, QStringLiteral("UStIdNr")), QStringLiteral("DE136695976"));
        EXPECT_EQ(formdataText(body, QStringLiteral("Kaeuferreferenz")),
                  QStringLiteral("04011000-12345-03"));
        EXPECT_EQ(formdataText(body, QStringLiteral("EMailERechnung")),
                  QStringLiteral("e-rechnung@stadtwerke.example"));
    }

    const struct
    {
        QList<QPair<QString, QString>> fields;
        const char *message;
    } refused[] = {
        {businessFields(QStringLiteral("DE136695977"), {}, {}),
         "Die USt-IdNr. ist ungültig. Bitte prüfen Sie die Prüfziffer."},
        {businessFields(QStringLiteral("GB123456789"), {}, {}),
         "Bitte geben Sie eine gültige USt-IdNr. ein."},
        {businessFields({}, QStringLiteral("04011000-12345-04"), {}),
         "Die Leitweg-ID ist ungültig. Bitte prüfen Sie die Prüfziffern."},
        {businessFields({}, QStringLiteral("Abteilung 4"), {}),
         "Bitte geben Sie eine gültige Leitweg-ID ein (zum Beispiel 04011000-12345-03)."},
        {businessFields({}, {}, QStringLiteral("rechnung@[127.0.0.1]")),
         "Bitte geben Sie eine gültige E-Mail-Adresse für E-Rechnungen ein."},
    };
    clearMails();
    for (const auto &c : refused) {
        auto form = orderForm(QStringLiteral("plain"));
        for (const auto &[name, value] : c.fields)
            set(form, name, value);
        const Response response = post(form);
        EXPECT_EQ(response.status, 400) << c.message;
        EXPECT_TRUE(response.body.contains(QString::fromUtf8(c.message)))
            << response.body.toStdString();
    }
    EXPECT_TRUE(mails().isEmpty());
}

// The self-contained PHP form with the business fields, written in
// Windows-1252: a wrong Leitweg-ID shows the check's message under its field
// and sends nothing; a right one reaches the order mail.
TEST_F(FormMailer, SelfContainedPhpFormChecksTheBusinessFields)
{
    startServer();
    vq::ProjectDocument project = shopWithInvoiceModule();
    project.ExtSettings.encoding = QStringLiteral("windows-1252");
    QString error;
    ASSERT_EQ(vq::addBusinessOrderFields(project.ListField,
                                         {QStringLiteral(VQ_PROGRAM_DIR "/vorlagen.xml")}, &error),
              4)
        << error.toStdString();
    addBook(project);
    ASSERT_NO_FATAL_FAILURE(generateInto(project, QStringLiteral("php"),
                                         path(QStringLiteral("web")), QStringLiteral("form.php")));
    script = QStringLiteral("form.php");

    auto form = bookOrdered();
    form.append(businessFields(QStringLiteral("ATU12345678"), QStringLiteral("991-33333TEST-34"),
                               QStringLiteral("rechnung@stadtwerke.example")));
    const Response wrong = post(form, {}, QStringLiteral("?action=send"));
    EXPECT_EQ(wrong.status, 200);
    EXPECT_TRUE(wrong.body.contains(QStringLiteral(
        "<span style=\"color:#FF0000;\">Die Leitweg-ID ist ung&uuml;ltig. Bitte pr&uuml;fen Sie "
        "die Pr&uuml;fziffern.</span>")))
        << wrong.body.toStdString();
    EXPECT_FALSE(wrong.body.contains(QStringLiteral("USt-IdNr. ist")));
    EXPECT_TRUE(mails().isEmpty());

    set(form, QStringLiteral("Kaeuferreferenz"), QStringLiteral("991-33333TEST-33"));
    const Response right = post(form, {}, QStringLiteral("?action=send"));
    EXPECT_EQ(right.location, QStringLiteral("https://shop.example.com/danke.htm"))
        << right.body.toStdString();
    const QList<MailMessage> sent = mails();
    ASSERT_EQ(sent.size(), 2);
    const QByteArray body = sent[1].parts[0].body;
    EXPECT_EQ(formdataText(body, QStringLiteral("UStIdNr")), QStringLiteral("ATU12345678"));
    EXPECT_EQ(formdataText(body, QStringLiteral("Kaeuferreferenz")),
              QStringLiteral("991-33333TEST-33"));
    EXPECT_EQ(formdataText(body, QStringLiteral("EMailERechnung")),
              QStringLiteral("rechnung@stadtwerke.example"));
}
