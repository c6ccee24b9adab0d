// The road one order takes, with every part real: zelkin generates the order
// page and the self-contained PHP form from a project file; php -S serves them
// beside the form mailer, whose sendmail delivers into the maildir of a
// Dovecot POP3 server; Chromium sends each page empty (its checks refuse), then
// fills it as a customer would and sends it; vq_bestell_rechnung imports the
// order mails and prints the invoice, and pdftotext reads what it says.
// Servers and the browser are started once for both pages. The road of one
// withdrawal follows an order from its confirmation of receipt through the
// withdrawal page to the order's state.
#include "invoice/db/clients.h"
#include "invoice/db/order_store.h"
#include "invoice/mail/order_document.h"
#include "tests/formmailer/captured_mail.h"
#include "tests/invoice/invoice_servers.h"
#include "tests/support/local_server.h"
#include "tests/test_support.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <tuple>

using namespace vq::test;
using vq::invoice::ClientStore;
using vq::invoice::InvoiceConnection;
using vq::invoice::OrderStore;

namespace {

const QString kProgram = QStringLiteral(VQ_PROGRAM_DIR "/rechtool/vq_bestell_rechnung");

// What the customer types: umlauts and ß, an apostrophe, "&" and "<".
struct Customer
{
    QString vorname = QStringLiteral("Jürgen");
    QString nachname = QStringLiteral("O'Brien-Weiß");
    QString strasse = QStringLiteral("Große Straße 5");
    QString plz = QStringLiteral("80331");
    QString ort = QStringLiteral("München");
    QString email = QStringLiteral("juergen.obrien@kunde.example.org");
    QString gravur = QStringLiteral("Für Anna & Jörg <3");
};

// 6727 -> "67,27"
QString euros(qint64 cents)
{
    return QStringLiteral("%1,%2").arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0'));
}

// "67,27 €" -> 6727
qint64 cents(QString shown)
{
    shown = shown.section(u' ', 0, 0).remove(u'.').replace(u',', u'.');
    bool ok = false;
    const double value = shown.toDouble(&ok);
    return ok ? qRound64(value * 100) : -1;
}

class OrderRoad : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    DovecotServer dovecot;
    ServerProcess php;
    int port = 0;
    InvoiceConnection db;
    vq::invoice::DatabaseLocation location;
    int clientId = 0;

    QString path(const QString &name) const { return dir.filePath(name); }
    QString url(const QString &file) const
    {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(port).arg(file);
    }

    // Step 1 and 2: the mailbox, the invoice database with its client, the
    // web folder with the form mailer and php -S delivering into the mailbox.
    void startServers()
    {
        QString error;
        ASSERT_TRUE(dovecot.start({QStringLiteral("shop:geheim")}, &error))
            << "Dovecot: " << error.toStdString();
        for (const char *sub : {"web", "storage", "sessions"})
            QDir(dir.path()).mkpath(QString::fromLatin1(sub));

        const auto where = emptyTestDatabase(vq::invoice::SqlDialect::SQLite, dir.path(), &error);
        ASSERT_TRUE(where) << "database: " << error.toStdString();
        location = *where;
        ASSERT_TRUE(openTestLocation(db, location, &error)) << "database: " << error.toStdString();
        vq::invoice::TMandant client;
        client.firma = QStringLiteral("Café Süß GmbH");
        client.strasse = QStringLiteral("Hauptstraße 1");
        client.plz = QStringLiteral("50667");
        client.ort = QStringLiteral("Köln");
        client.waehrung = QStringLiteral("€");
        client.pop3 = QStringLiteral("127.0.0.1");
        client.port = dovecot.port();
        client.username = QStringLiteral("shop");
        client.password = QStringLiteral("geheim");
        const auto id = ClientStore(db).insertClient(client);
        ASSERT_TRUE(id) << "database: " << db.lastError().toStdString();
        clientId = *id;
        // An invoice number typed in before: the imported orders continue after it.
        vq::invoice::TBestellung typedIn;
        typedIn.mandantId = clientId;
        typedIn.rechNr = 41;
        ASSERT_TRUE(OrderStore(db).insertOrder(typedIn)) << db.lastError().toStdString();
        db.close();

        const QString source = QStringLiteral(VQ_SOURCE_DIR "/formmailer/");
        for (const char *file : {"formmail.php", "vq_formmail_lib.php"})
            ASSERT_TRUE(QFile::copy(source + QString::fromLatin1(file),
                                    path(QStringLiteral("web/") + QString::fromLatin1(file))));
        writeFile(path(QStringLiteral("web/formmail.config.php")),
                  QStringLiteral(
                      "<?php return ['allowed_recipients' => ['shop@example.com', "
                      "'@rechnung.example.com'], "
                      "'mail_from' => 'formmailer@example.com', 'storage_dir' => '%1', "
                      "'captcha_required' => true, 'captcha_lifetime' => 600, "
                      "'allowed_redirect_hosts' => ['127.0.0.1'], 'timezone' => 'Europe/Berlin'];")
                      .arg(path(QStringLiteral("storage")))
                      .toUtf8());
        writeFile(
            path(QStringLiteral("web/danke.htm")),
            "<!DOCTYPE html><html><head><title>Danke</title></head><body>Danke</body></html>");
        // sendmail as a maildir delivery agent: written into tmp, given to the
        // mailbox's owner, then moved into new.
        const QString maildir = dovecot.maildir(QStringLiteral("shop"));
        writeFile(
            path(QStringLiteral("deliver.sh")),
            QStringLiteral("#!/bin/sh\nset -e\nname=\"$(date +%s%N).$$.e2e\"\n"
                           "cat > \"%1/tmp/$name\"\nchown --reference=\"%1/new\" \"%1/tmp/$name\"\n"
                           "mv \"%1/tmp/$name\" \"%1/new/$name\"\n")
                .arg(maildir)
                .toUtf8());
        QFile::setPermissions(path(QStringLiteral("deliver.sh")),
                              QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        port = freeLocalPort();
        ASSERT_TRUE(
            php.start(QStringLiteral("php"),
                      {QStringLiteral("-S"), QStringLiteral("127.0.0.1:%1").arg(port),
                       QStringLiteral("-t"), path(QStringLiteral("web")), QStringLiteral("-d"),
                       QStringLiteral("sendmail_path=") + path(QStringLiteral("deliver.sh")),
                       QStringLiteral("-d"),
                       QStringLiteral("session.save_path=") + path(QStringLiteral("sessions"))}));
        ASSERT_TRUE(waitForPort(port)) << "php -S: " << php.output().toStdString();
    }

    // Step 2: zelkin writes the page from the project file; a netto shop
    // shows its prices without VAT and adds it.
    void generate(const QString &generator, const QString &page, bool netto)
    {
        QString project =
            QString::fromUtf8(readFile(QStringLiteral(VQ_FIXTURES_DIR "/order_road/shop.vqb")));
        ASSERT_FALSE(project.isEmpty()) << "fixture shop.vqb missing";
        project.replace(QStringLiteral("@DANKE@"), url(QStringLiteral("danke.htm")));
        if (netto)
            project.replace(QStringLiteral("<tax>brutto</tax>"),
                            QStringLiteral("<tax>netto</tax>"));
        writeFile(path(QStringLiteral("shop.vqb")), project.toUtf8());
        QByteArray out, err;
        ASSERT_EQ(
            runProgram(QStringLiteral(VQ_PROGRAM_DIR "/zelkin"),
                       {QStringLiteral("--generate"), generator, QStringLiteral("--output"),
                        path(QStringLiteral("web/") + page), path(QStringLiteral("shop.vqb"))},
                       &out, 30000, &err),
            0)
            << "zelkin --generate " << generator.toStdString() << ": " << err.toStdString();
    }

    QJsonObject pageJob(const QString &page, const QJsonObject &captcha) const
    {
        const Customer c;
        QJsonObject job{
            {QStringLiteral("url"), url(page)},
            {QStringLiteral("type"), QJsonObject{{QStringLiteral("Vorname"), c.vorname},
                                                 {QStringLiteral("Nachname"), c.nachname},
                                                 {QStringLiteral("Strasse"), c.strasse},
                                                 {QStringLiteral("PLZ"), c.plz},
                                                 {QStringLiteral("Ort"), c.ort},
                                                 {QStringLiteral("email"), c.email},
                                                 {QStringLiteral("b_anz0"), QStringLiteral("3")},
                                                 {QStringLiteral("b_opt0_0"), c.gravur}}},
            {QStringLiteral("check"), QJsonArray{QStringLiteral("AGB"), QStringLiteral("b_anz1")}},
            {QStringLiteral("select"),
             QJsonObject{{QStringLiteral("b_opt0_1"), 1}, {QStringLiteral("b_opt0_2"), 1}}},
            {QStringLiteral("read"),
             QJsonObject{{QStringLiteral("total"), QStringLiteral("f.b_gesamt.value")},
                         {QStringLiteral("vat"), QStringLiteral("f.b_mwst.value")}}},
            {QStringLiteral("until"), QStringLiteral("danke.htm")}};
        for (auto it = captcha.begin(); it != captcha.end(); ++it)
            job.insert(it.key(), it.value());
        return job;
    }

    QString maildirFile(const QString &name) const
    {
        const QString box = dovecot.maildir(QStringLiteral("shop"));
        return QFile::exists(box + QStringLiteral("/new/") + name)
                   ? box + QStringLiteral("/new/") + name
                   : box + QStringLiteral("/cur/") + name;
    }

    QStringList mailboxFiles() const
    {
        const QString box = dovecot.maildir(QStringLiteral("shop"));
        QStringList names = QDir(box + QStringLiteral("/new")).entryList(QDir::Files)
                            + QDir(box + QStringLiteral("/cur")).entryList(QDir::Files);
        names.sort();
        return names;
    }

    int importOrders(QString *out)
    {
        QByteArray stdOut, stdErr;
        const int code = runProgram(kProgram,
                                    {QStringLiteral("--import"), QStringLiteral("--client"),
                                     QString::number(clientId), QStringLiteral("--database"),
                                     databaseUrl(location)},
                                    &stdOut, 120000, &stdErr);
        *out = QString::fromUtf8(stdOut + stdErr);
        return code;
    }
};

// One page's road from the browser to the printed invoice; what the page
// showed must arrive on the invoice, character for character and to the cent.
struct PageRun
{
    const char *what;
    QString generator;
    QString page;
    bool netto;
    // What the page, the form mail and the invoice show, in cents.
    qint64 total, vat;
};

TEST_F(OrderRoad, OrderArrivesOnTheInvoiceAsTyped)
{
    ASSERT_NO_FATAL_FAILURE(startServers());
    qputenv("LC_ALL", "C.UTF-8");
    // With VAT: 3 x (12,99 + 1,15) + 19,95 + 4,90; VAT 7,56 of 47,32 at 19 % and
    // 1,31 of 19,95 at 7 %, each rounded on its own as the invoice does
    // (rounding their sum 8,8604 would show 8,86). Without VAT, the same prices
    // get 8,99 and 1,40 added.
    const PageRun runs[] = {{"generated HTML page with the form mailer", QStringLiteral("html"),
                             QStringLiteral("bestellung.htm"), false, 6727, 887},
                            {"self-contained PHP form", QStringLiteral("php"),
                             QStringLiteral("bestellung.php"), false, 6727, 887},
                            {"netto HTML page with mixed rates", QStringLiteral("html"),
                             QStringLiteral("bestellung_netto.htm"), true, 7766, 1039}};
    constexpr int kRuns = int(std::size(runs));
    QJsonArray jobs;
    for (const PageRun &run : runs) {
        SCOPED_TRACE(run.what);
        ASSERT_NO_FATAL_FAILURE(generate(run.generator, run.page, run.netto));
        QJsonObject captcha;
        if (run.generator == u"html") {
            const QString formId =
                QString::fromUtf8(readFile(path(QStringLiteral("web/") + run.page)))
                    .section(QStringLiteral("name=\"vq_formid\" value=\""), 1)
                    .section(u'"', 0, 0);
            ASSERT_FALSE(formId.isEmpty()) << "generated page has no vq_formid";
            captcha.insert(QStringLiteral("captchaStore"),
                           QJsonObject{{QStringLiteral("dir"), path(QStringLiteral("storage"))},
                                       {QStringLiteral("formId"), formId}});
        } else {
            captcha.insert(QStringLiteral("captchaSession"), path(QStringLiteral("sessions")));
        }
        jobs.append(pageJob(run.page, captcha));
    }

    // Step 3: one Chromium for both pages.
    writeFile(path(QStringLiteral("road.json")),
              QJsonDocument(QJsonObject{{QStringLiteral("pages"), jobs}}).toJson());
    QByteArray out, err;
    ASSERT_EQ(runProgram(QStringLiteral("node"),
                         {QStringLiteral(VQ_ORDER_ROAD_SCRIPT), path(QStringLiteral("road.json"))},
                         &out, 120000, &err),
              0)
        << "browser: " << err.toStdString();
    const QJsonArray results = QJsonDocument::fromJson(out).array();
    ASSERT_EQ(results.size(), kRuns) << "browser: " << out.toStdString();
    struct Shown
    {
        qint64 total = -1, vat = -1;
    } shown[kRuns];
    for (int n = 0; n < kRuns; ++n) {
        SCOPED_TRACE(runs[n].what);
        const QJsonObject result = results[n].toObject();
        ASSERT_FALSE(result.contains(QStringLiteral("error")))
            << "browser, step " << result[QStringLiteral("step")].toString().toStdString() << ": "
            << result[QStringLiteral("error")].toString().toStdString();
        // Sent empty, the page is refused: the HTML page's checks stop it in
        // the browser, the PHP form shows itself again with its message. No
        // mail leaves (the mailbox count below).
        if (runs[n].generator == u"html") {
            EXPECT_EQ(result[QStringLiteral("emptyUrl")].toString(), url(runs[n].page))
                << "browser: the empty page was sent";
            EXPECT_FALSE(result[QStringLiteral("emptyAlerts")].toArray().isEmpty())
                << "browser: no check refused the empty page";
        } else {
            EXPECT_TRUE(result[QStringLiteral("emptyText")].toString().contains(
                QStringLiteral("Bitte Vorname angeben.")))
                << "browser: the empty PHP form was not refused: "
                << result[QStringLiteral("emptyText")].toString().toStdString();
        }
        EXPECT_EQ(result[QStringLiteral("title")].toString(), QStringLiteral("Danke"))
            << "browser: " << out.toStdString();
        const QJsonObject read = result[QStringLiteral("read")].toObject();
        shown[n].total = cents(read[QStringLiteral("total")].toString());
        shown[n].vat = cents(read[QStringLiteral("vat")].toString());
        EXPECT_EQ(shown[n].total, runs[n].total)
            << "page total: " << read[QStringLiteral("total")].toString().toStdString();
        EXPECT_EQ(shown[n].vat, runs[n].vat)
            << "page VAT: " << read[QStringLiteral("vat")].toString().toStdString();
    }

    // Step 4: form mail, the customer's confirmation of receipt and the order
    // mail of each page in the mailbox.
    const QStringList files = mailboxFiles();
    ASSERT_EQ(files.size(), 3 * kRuns) << "mailbox: " << files.join(u' ').toStdString();
    for (int n = 0; n < kRuns; ++n) {
        SCOPED_TRACE(runs[n].what);
        const MailMessage form = parseMail(readFile(maildirFile(files[3 * n])));
        const MailMessage confirmation = parseMail(readFile(maildirFile(files[3 * n + 1])));
        const MailMessage order = parseMail(readFile(maildirFile(files[3 * n + 2])));
        // The confirmation states the total the page showed, by the same rule.
        EXPECT_EQ(confirmation.header(QStringLiteral("To")), Customer().email)
            << "mailbox: confirmation of receipt";
        EXPECT_TRUE(confirmation.text().contains(euros(runs[n].total) + QStringLiteral(" €")))
            << "mailbox: confirmation total:\n"
            << confirmation.text().toStdString();
        EXPECT_EQ(form.header(QStringLiteral("To")), QStringLiteral("shop@example.com"))
            << "mailbox: form mail";
        // The form mail's own sums (not only the posted fields) state the VAT
        // and the total the page showed.
        EXPECT_TRUE(
            form.text().contains(QStringLiteral("MwSt.</td><td>%1 €").arg(euros(runs[n].vat)))
            && form.text().contains(euros(runs[n].total) + QStringLiteral(" €")))
            << "mailbox: form mail VAT and total:\n"
            << form.text().toStdString();
        EXPECT_EQ(order.header(QStringLiteral("To")),
                  QStringLiteral("eingang@rechnung.example.com"))
            << "mailbox: order mail";
        EXPECT_TRUE(order.header(QStringLiteral("Subject")).contains(QStringLiteral("VQBESTMAIL")))
            << "mailbox: order mail subject";
        // The order document, read as the import reads it: the customer and
        // the three ordered lines with their gross prices and options.
        vq::invoice::OrderDocument document;
        QString error;
        ASSERT_TRUE(vq::invoice::readOrderDocument(order.parts.value(0).body, &document, &error))
            << "order mail: " << error.toStdString();
        EXPECT_EQ(document.order.nachname, Customer().nachname) << "order mail: customer";
        // A netto page's order keeps its net prices, as the page showed them.
        EXPECT_EQ(document.order.netto, runs[n].netto) << "order mail: prices with or without VAT";
        QStringList lines;
        for (const vq::invoice::TArtikel &line : document.lines) {
            QStringList options;
            for (const vq::invoice::TOption &option : line.optionen)
                options << option.name + u'=' + option.wert;
            lines << QStringLiteral("%1 %2 x %3 @ %4 %5 %")
                             .arg(line.nr, line.name)
                             .arg(line.anzahl)
                             .arg(line.preis)
                             .arg(line.mwst)
                         + (options.isEmpty() ? QString() : u' ' + options.join(u'|'));
        }
        EXPECT_EQ(lines,
                  QStringList({QStringLiteral("ET-1 Espressotasse „Süß“ x 3 @ 12.99 19 % Gravur=")
                                   + Customer().gravur
                                   + QStringLiteral("|Größe=groß|Verpackung=Box & Karte (< 2 kg)"),
                               QStringLiteral("KB-7 Kochbuch Grüße aus Köln x 1 @ 19.95 7 %"),
                               QStringLiteral("VP-1 Versandpauschale x 1 @ 4.9 19 %")}))
            << "order mail: lines";
    }

    // Step 4: the import stores both orders with the next invoice numbers; a
    // second import stores nothing new.
    QString importOut;
    ASSERT_EQ(importOrders(&importOut), 0) << "import: " << importOut.toStdString();
    EXPECT_TRUE(importOut.contains(
        QStringLiteral("%1 Bestellungen eingefügt, 0 bereits vorhanden, 0 fehlerhaft.").arg(kRuns)))
        << "import: " << importOut.toStdString();
    ASSERT_EQ(importOrders(&importOut), 0) << "second import: " << importOut.toStdString();
    EXPECT_TRUE(importOut.contains(
        QStringLiteral("0 Bestellungen eingefügt, %1 bereits vorhanden, 0 fehlerhaft.").arg(kRuns)))
        << "second import: " << importOut.toStdString();
    QString error;
    ASSERT_TRUE(openTestLocation(db, location, &error)) << error.toStdString();
    const auto listed = OrderStore(db).orderList(clientId);
    ASSERT_TRUE(listed) << db.lastError().toStdString();
    QList<vq::invoice::OrderListRow> orders;
    for (const auto &row : *listed)
        if (row.rechNr != 41)
            orders.append(row);
    ASSERT_EQ(orders.size(), kRuns) << "import: stored orders";
    std::sort(orders.begin(), orders.end(),
              [](const auto &a, const auto &b) { return a.rechNr < b.rechNr; });
    // The invoice numbers follow on 41, in the mailbox's order.
    for (int n = 0; n < kRuns; ++n)
        EXPECT_EQ(orders[n].rechNr, 42 + n) << "import: invoice number";
    // Each run's order: the netto one by its mode, the others in their order.
    QList<vq::invoice::OrderListRow> byRun;
    for (const PageRun &run : runs) {
        for (qsizetype k = 0; k < orders.size(); ++k) {
            if (OrderStore(db).order(orders[k].bestellungId)->netto == run.netto) {
                byRun << orders.takeAt(k);
                break;
            }
        }
    }
    ASSERT_EQ(byRun.size(), kRuns) << "import: a netto page's order keeps its mode";
    orders = byRun;
    db.close();

    // Step 5: the invoice as PDF, read back: German, whatever the locale (C here).
    const Customer c;
    for (int n = 0; n < kRuns; ++n) {
        SCOPED_TRACE(runs[n].what);
        EXPECT_EQ(orders[n].totalCents, shown[n].total) << "import: stored total";
        const QString pdf = path(QStringLiteral("rechnung%1.pdf").arg(n));
        QByteArray pdfOut, pdfErr;
        ASSERT_EQ(runProgram(kProgram,
                             {QStringLiteral("--invoice"), QString::number(orders[n].bestellungId),
                              QStringLiteral("--pdf"), pdf, QStringLiteral("--database"),
                              databaseUrl(location)},
                             &pdfOut, 60000, &pdfErr),
                  0)
            << "invoice PDF: " << pdfErr.toStdString();
        QByteArray text;
        ASSERT_EQ(runProgram(QStringLiteral("pdftotext"),
                             {QStringLiteral("-layout"), pdf, QStringLiteral("-")}, &text),
                  0)
            << "pdftotext";
        const QString invoice = QString::fromUtf8(text);
        for (const QString &expected :
             {c.vorname + u' ' + c.nachname, c.strasse, c.plz + u' ' + c.ort,
              QStringLiteral("ET-1 Espressotasse „Süß“"),
              QStringLiteral("KB-7 Kochbuch Grüße aus Köln"),
              QStringLiteral("VP-1 Versandpauschale"), QStringLiteral("Gravur: ") + c.gravur,
              QStringLiteral("Größe: groß"), QStringLiteral("Verpackung: Box & Karte (< 2 kg)"),
              QStringLiteral("Nr. %1").arg(*orders[n].rechNr)})
            // Blanks stand for any run of blanks on the same line (the columns).
            EXPECT_TRUE(
                invoice.contains(QRegularExpression(QRegularExpression::escape(expected).replace(
                    QStringLiteral("\\ "), QStringLiteral("[ ]+")))))
                << "invoice PDF lacks \"" << expected.toStdString() << "\":\n"
                << invoice.toStdString();
        EXPECT_TRUE(invoice.contains(euros(runs[n].total))) << "invoice PDF total:\n"
                                                            << invoice.toStdString();
        // The VAT amounts the invoice lists add up to the VAT the page showed.
        qint64 vat = 0;
        static const QRegularExpression vatLine(
            QStringLiteral("(?:MwSt|USt)[^\\n]*?(\\d+,\\d\\d)\\s*€?\\s*$"),
            QRegularExpression::MultilineOption);
        for (auto it = vatLine.globalMatch(invoice); it.hasNext();)
            vat += cents(it.next().captured(1));
        EXPECT_EQ(vat, shown[n].vat) << "invoice PDF VAT:\n" << invoice.toStdString();
    }
}

// The road of one withdrawal: an order sent from the page and imported; the
// customer takes the order number from the confirmation of receipt and
// withdraws on the withdrawal page zelkin wrote, on a phone, in Chromium; the
// form mailer confirms at once and mails the withdrawal into the mailbox;
// the import stores it with the order, which shows "Widerrufen".
TEST_F(OrderRoad, WithdrawalReachesItsOrder)
{
    ASSERT_NO_FATAL_FAILURE(startServers());
    qputenv("LC_ALL", "C.UTF-8");
    ASSERT_NO_FATAL_FAILURE(
        generate(QStringLiteral("html"), QStringLiteral("bestellung.htm"), false));
    ASSERT_NO_FATAL_FAILURE(
        generate(QStringLiteral("widerruf"), QStringLiteral("widerruf.htm"), false));
    const QString formId = QString::fromUtf8(readFile(path(QStringLiteral("web/bestellung.htm"))))
                               .section(QStringLiteral("name=\"vq_formid\" value=\""), 1)
                               .section(u'"', 0, 0);
    writeFile(
        path(QStringLiteral("road.json")),
        QJsonDocument(
            QJsonObject{{QStringLiteral("pages"),
                         QJsonArray{pageJob(
                             QStringLiteral("bestellung.htm"),
                             QJsonObject{{QStringLiteral("captchaStore"),
                                          QJsonObject{{QStringLiteral("dir"),
                                                       path(QStringLiteral("storage"))},
                                                      {QStringLiteral("formId"), formId}}}})}}})
            .toJson());
    QByteArray out, err;
    ASSERT_EQ(runProgram(QStringLiteral("node"),
                         {QStringLiteral(VQ_ORDER_ROAD_SCRIPT), path(QStringLiteral("road.json"))},
                         &out, 120000, &err),
              0)
        << "browser: " << err.toStdString();
    QString importOut;
    ASSERT_EQ(importOrders(&importOut), 0) << "import: " << importOut.toStdString();
    ASSERT_TRUE(importOut.contains(QStringLiteral("1 Bestellungen eingefügt")))
        << "import: " << importOut.toStdString();

    // The order number, as the customer reads it in the confirmation of receipt.
    QString orderNumber;
    static const QRegularExpression numbered(QStringLiteral(
        "Bestellnummer\\D*?([0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12})"));
    for (const QString &file : mailboxFiles()) {
        const MailMessage mail = parseMail(readFile(maildirFile(file)));
        if (mail.header(QStringLiteral("To")) == Customer().email)
            orderNumber = numbered.match(mail.text()).captured(1);
    }
    ASSERT_FALSE(orderNumber.isEmpty()) << "mailbox: no confirmation of receipt";

    const Customer c;
    const QJsonObject values{{QStringLiteral("Name *"), c.vorname + u' ' + c.nachname},
                             {QStringLiteral("E-Mail-Adresse *"), c.email},
                             {QStringLiteral("Bestellnummer"), orderNumber},
                             {QStringLiteral("Grund (freiwillig)"), QStringLiteral("Passt nicht")}};
    writeFile(
        path(QStringLiteral("withdrawal.json")),
        QJsonDocument(QJsonObject{{QStringLiteral("pages"),
                                   QJsonArray{QJsonObject{
                                       {QStringLiteral("name"), QStringLiteral("widerruf")},
                                       {QStringLiteral("kind"), QStringLiteral("withdrawal")},
                                       {QStringLiteral("url"), url(QStringLiteral("widerruf.htm"))},
                                       {QStringLiteral("phone"), true},
                                       {QStringLiteral("values"), values}}}}})
            .toJson());
    ASSERT_EQ(runProgram(QStringLiteral("node"),
                         {QStringLiteral(VQ_CONSUMER_CHECKS_SCRIPT),
                          path(QStringLiteral("withdrawal.json"))},
                         &out, 120000, &err),
              0)
        << "browser: " << err.toStdString();
    const QJsonObject page = QJsonDocument::fromJson(out).array().at(0).toObject();
    ASSERT_FALSE(page.contains(QStringLiteral("error")))
        << "browser, step " << page[QStringLiteral("step")].toString().toStdString() << ": "
        << page[QStringLiteral("error")].toString().toStdString();
    EXPECT_TRUE(page[QStringLiteral("answer")].toString().contains(
        QStringLiteral("Ihr Widerruf ist eingegangen")))
        << "browser: " << page[QStringLiteral("answer")].toString().toStdString();

    // The consumer's confirmation and the withdrawal mail in the mailbox.
    int confirmations = 0;
    for (const QString &file : mailboxFiles()) {
        const MailMessage mail = parseMail(readFile(maildirFile(file)));
        if (mail.header(QStringLiteral("To")) == c.email
            && mail.text().contains(QStringLiteral("Eingang Ihres Widerrufs")))
            ++confirmations;
    }
    EXPECT_EQ(confirmations, 1) << "mailbox: confirmation of the withdrawal";

    ASSERT_EQ(importOrders(&importOut), 0) << "import: " << importOut.toStdString();
    EXPECT_TRUE(importOut.contains(QStringLiteral("Widerruf zur Bestellung gespeichert.")))
        << "import: " << importOut.toStdString();
    EXPECT_TRUE(importOut.contains(
        QStringLiteral("1 Widerrufe gespeichert, davon 0 ohne passende Bestellung.")))
        << "import: " << importOut.toStdString();
    QString error;
    ASSERT_TRUE(openTestLocation(db, location, &error)) << error.toStdString();
    const auto listed = OrderStore(db).orderList(clientId);
    ASSERT_TRUE(listed) << db.lastError().toStdString();
    QStringList states;
    int withdrawn = 0;
    for (const auto &row : *listed)
        if (row.rechNr != 41) {
            states << row.statusBestellung;
            withdrawn = row.bestellungId;
        }
    EXPECT_EQ(states, QStringList{QStringLiteral("Widerrufen")});
    db.close();

    // The invoice had gone out; the withdrawal is answered by its
    // cancellation invoice, in one step.
    const QString url = databaseUrl(location);
    ASSERT_EQ(runProgram(kProgram,
                         {QStringLiteral("--invoice"), QString::number(withdrawn),
                          QStringLiteral("--pdf"), path(QStringLiteral("widerrufen.pdf")),
                          QStringLiteral("--database"), url},
                         &out, 60000, &err),
              0)
        << err.toStdString();
    ASSERT_EQ(runProgram(kProgram,
                         {QStringLiteral("--cancel"), QString::number(withdrawn),
                          QStringLiteral("--database"), url},
                         &out, 60000, &err),
              0)
        << err.toStdString();
    const int cancellation = QString::fromUtf8(out).section(u'\t', 0, 0).toInt();
    ASSERT_TRUE(openTestLocation(db, location, &error)) << error.toStdString();
    EXPECT_EQ(OrderStore(db).order(cancellation).value_or(vq::invoice::TBestellung{}).stornoZu,
              withdrawn);
    const auto afterwards = OrderStore(db).orderList(clientId);
    ASSERT_TRUE(afterwards);
    for (const auto &row : *afterwards) {
        if (row.bestellungId == withdrawn) {
            EXPECT_EQ(row.statusBestellung, QStringLiteral("Storniert"));
        }
    }
    db.close();
}

} // namespace

// The road of a business order: the page asks for the buyer's VAT ID, its
// Leitweg-ID and its address for e-invoices; what the customer types arrives
// in the order mail, the stored order and the XRechnung (BT-10, BT-48, BT-49).
TEST_F(OrderRoad, BusinessOrderCarriesItsBuyerReferenceIntoTheXRechnung)
{
    ASSERT_NO_FATAL_FAILURE(startServers());
    qputenv("LC_ALL", "C.UTF-8");
    // The seller has what an e-invoice needs.
    QString error;
    ASSERT_TRUE(openTestLocation(db, location, &error)) << error.toStdString();
    vq::invoice::TMandant seller = *ClientStore(db).client(clientId);
    seller.land = QStringLiteral("Deutschland");
    seller.email = QStringLiteral("rechnung@cafe-suess.example");
    seller.telefon = QStringLiteral("0221 123456");
    seller.ustIdNr = QStringLiteral("DE136695976");
    seller.iban = QStringLiteral("DE02 1203 0000 0000 2020 51");
    ASSERT_TRUE(ClientStore(db).updateClient(seller)) << db.lastError().toStdString();
    db.close();

    // The project with the fields "Bestellung als Unternehmen" adds.
    ASSERT_NO_FATAL_FAILURE(generate(QStringLiteral("html"), QStringLiteral("firma.htm"), false));
    QString project = QString::fromUtf8(readFile(path(QStringLiteral("shop.vqb"))));
    QString business;
    for (const auto &[name, label, check] :
         {std::tuple{"UStIdNr", "USt-IdNr.", "ustidnr"},
          std::tuple{"Kaeuferreferenz", "Käuferreferenz / Leitweg-ID", "leitwegid"},
          std::tuple{"EMailERechnung", "E-Mail-Adresse für E-Rechnungen", "erechnungemail"}})
        business += QStringLiteral("<forms><typ>TEinzField</typ><name>%1</name>"
                                   "<beschriftung>%2</beschriftung><beschriftungnach/>"
                                   "<vorgabewert/><groesse>30</groesse><maxLaenge>60</maxLaenge>"
                                   "<pflicht>0</pflicht><meldung/><vorgabeloeschen>0"
                                   "</vorgabeloeschen><pflichttyp>0</pflichttyp><mindestLaenge>0"
                                   "</mindestLaenge><formatpruefung>%3</formatpruefung></forms>\n")
                        .arg(QString::fromLatin1(name), QString::fromUtf8(label),
                             QString::fromLatin1(check));
    const qsizetype email = project.indexOf(QStringLiteral("<name>email</name>"));
    ASSERT_GT(email, 0);
    project.insert(project.lastIndexOf(QStringLiteral("<forms>"), email), business);
    writeFile(path(QStringLiteral("shop.vqb")), project.toUtf8());
    QByteArray out, err;
    ASSERT_EQ(runProgram(QStringLiteral(VQ_PROGRAM_DIR "/zelkin"),
                         {QStringLiteral("--generate"), QStringLiteral("html"),
                          QStringLiteral("--output"), path(QStringLiteral("web/firma.htm")),
                          path(QStringLiteral("shop.vqb"))},
                         &out, 30000, &err),
              0)
        << err.toStdString();

    const QString formId = QString::fromUtf8(readFile(path(QStringLiteral("web/firma.htm"))))
                               .section(QStringLiteral("name=\"vq_formid\" value=\""), 1)
                               .section(u'"', 0, 0);
    QJsonObject job =
        pageJob(QStringLiteral("firma.htm"),
                QJsonObject{{QStringLiteral("captchaStore"),
                             QJsonObject{{QStringLiteral("dir"), path(QStringLiteral("storage"))},
                                         {QStringLiteral("formId"), formId}}}});
    QJsonObject typed = job.value(QStringLiteral("type")).toObject();
    typed.insert(QStringLiteral("UStIdNr"), QStringLiteral("de 811 569 869"));
    typed.insert(QStringLiteral("Kaeuferreferenz"), QStringLiteral("04011000-12345-03"));
    typed.insert(QStringLiteral("EMailERechnung"), QStringLiteral("e-rechnung@stadt.example"));
    job.insert(QStringLiteral("type"), typed);
    writeFile(path(QStringLiteral("firma.json")),
              QJsonDocument(QJsonObject{{QStringLiteral("pages"), QJsonArray{job}}}).toJson());
    ASSERT_EQ(runProgram(QStringLiteral("node"),
                         {QStringLiteral(VQ_ORDER_ROAD_SCRIPT), path(QStringLiteral("firma.json"))},
                         &out, 120000, &err),
              0)
        << "browser: " << err.toStdString();
    const QJsonObject result = QJsonDocument::fromJson(out).array().at(0).toObject();
    ASSERT_FALSE(result.contains(QStringLiteral("error")))
        << "browser: " << result[QStringLiteral("error")].toString().toStdString();
    EXPECT_EQ(result[QStringLiteral("title")].toString(), QStringLiteral("Danke"));

    QString importOut;
    ASSERT_EQ(importOrders(&importOut), 0) << "import: " << importOut.toStdString();
    ASSERT_TRUE(openTestLocation(db, location, &error)) << error.toStdString();
    const auto listed = OrderStore(db).orderList(clientId);
    ASSERT_TRUE(listed);
    int orderId = 0;
    for (const auto &row : *listed)
        if (row.rechNr != 41)
            orderId = row.bestellungId;
    ASSERT_NE(orderId, 0) << "import: " << importOut.toStdString();
    const vq::invoice::TBestellung stored = *OrderStore(db).order(orderId);
    EXPECT_EQ(stored.ustIdNr, QStringLiteral("DE811569869"));
    EXPECT_EQ(stored.kaeuferreferenz, QStringLiteral("04011000-12345-03"));
    EXPECT_EQ(stored.emailERechnung, QStringLiteral("e-rechnung@stadt.example"));
    db.close();

    EXPECT_EQ(runProgram(kProgram,
                         {QStringLiteral("--check"), QString::number(orderId),
                          QStringLiteral("--database"), databaseUrl(location)},
                         &out, 60000, &err),
              0)
        << err.toStdString();
    const QString xmlFile = path(QStringLiteral("firma.xml"));
    ASSERT_EQ(runProgram(kProgram,
                         {QStringLiteral("--invoice"), QString::number(orderId),
                          QStringLiteral("--xrechnung"), xmlFile, QStringLiteral("--database"),
                          databaseUrl(location)},
                         &out, 60000, &err),
              0)
        << err.toStdString();
    const QString xml = QString::fromUtf8(readFile(xmlFile));
    for (const char *fragment :
         {"<ram:BuyerReference>04011000-12345-03</ram:BuyerReference>",
          "schemeID=\"VA\">DE811569869<", "schemeID=\"EM\">e-rechnung@stadt.example<"})
        EXPECT_TRUE(xml.contains(QString::fromUtf8(fragment))) << fragment << "\n"
                                                               << xml.toStdString();
}
