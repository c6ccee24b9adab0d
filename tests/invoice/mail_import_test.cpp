// The order-mail import against a real Dovecot POP3 server on 127.0.0.1, into
// SQLite and PostgreSQL: order mails in quoted-printable, base64 and 8bit,
// mails that are no order mails, a duplicate, a damaged document, an empty
// mailbox, a refused login, deleting by unique id, and later runs that fetch
// only new messages. The command line runs the same import. A connection
// that breaks during the run is shown with a small POP3 server of the test's
// own that drops it after some messages.
#include "invoice/db/clients.h"
#include "invoice/db/order_store.h"
#include "invoice/mail/mail_message.h"
#include "invoice/mail/order_document.h"
#include "invoice/mail/uMailOrder.h"
#include "invoice/money/order_amounts.h"
#include "tests/invoice/invoice_servers.h"
#include "tests/test_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace vq::invoice;

namespace {

QByteArray fixture(const char *name)
{
    return vq::test::readFile(
        vq::test::fixturePath(QStringLiteral("invoice/") + QString::fromLatin1(name)));
}

// Mailbox in this order: three order mails, two mails that are none, a
// duplicate, a damaged document and an order mail with a MIME-encoded subject.
const char *const kMailbox[] = {
    "order_qp.eml",   "plain_mail.eml",      "order_base64.eml",  "lowercase_marker.eml",
    "order_8bit.eml", "order_duplicate.eml", "order_damaged.eml", "order_encoded_subject.eml"};

class MailImportFixture : public testing::Test
{
protected:
    virtual SqlDialect dialect() const { return SqlDialect::SQLite; }
    static void TearDownTestSuite() { vq::test::stopSharedPostgres(); }

    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(
            dovecot.start({QStringLiteral("shop:geheim"), QStringLiteral("zweiter:pass")}, &error))
            << error.toStdString();
        ASSERT_TRUE(vq::test::openTestDatabase(db, dialect(), dir.path(), &error))
            << error.toStdString();
        clientId = addClient(QStringLiteral("shop"), QStringLiteral("geheim"));
    }

    int addClient(const QString &user, const QString &password)
    {
        TMandant client = newClient();
        client.firma = user;
        client.pop3 = QStringLiteral("127.0.0.1");
        client.port = dovecot.port();
        client.username = user;
        client.password = password;
        const auto id = ClientStore(db).insertClient(client);
        EXPECT_TRUE(id) << db.lastError().toStdString();
        return id.value_or(0);
    }

    void fillMailbox(const QString &user = QStringLiteral("shop"))
    {
        for (const char *name : kMailbox)
            dovecot.addMessage(user, fixture(name));
    }

    int count(const char *table)
    {
        QSqlQuery q(db.connection());
        q.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QString::fromLatin1(table)));
        return q.next() ? q.value(0).toInt() : -1;
    }

    static QStringList statuses(const MailImportResult &result)
    {
        QStringList list;
        for (const MailOrderRow &row : result.rows)
            list << row.subject + QStringLiteral(": ") + row.statusText();
        return list;
    }

    QTemporaryDir dir;
    vq::test::DovecotServer dovecot;
    InvoiceConnection db;
    int clientId = 0;
};

class MailImportTest : public MailImportFixture, public testing::WithParamInterface<SqlDialect>
{
protected:
    SqlDialect dialect() const override { return GetParam(); }
};

TEST_P(MailImportTest, StoresOrderMailsListsThemAndLaterRunsFetchOnlyNewMessages)
{
    fillMailbox();
    const MailImportResult first = MailOrder(db, clientId).importOrders();
    ASSERT_TRUE(first.connected) << first.detail.toStdString() << dovecot.log().toStdString();
    EXPECT_EQ(first.message,
              QStringLiteral("Das E-Mail-Postfach wurde erfolgreich auf Bestellungen ausgelesen."));
    // Only order mails get a row; the marker in lower case is none.
    const QStringList expected{
        QStringLiteral("Bestellung VQBESTMAIL: In Datenbank eingefügt."),
        QStringLiteral("Neue VQBESTMAIL Bestellung: In Datenbank eingefügt."),
        QStringLiteral("VQBESTMAIL: In Datenbank eingefügt."),
        QStringLiteral("VQBESTMAIL erneut: Bereits in DB vorhanden."),
        QStringLiteral("VQBESTMAIL defekt: Fehler beim XML-Parsing"),
        QStringLiteral("Bestellung für VQBESTMAIL: In Datenbank eingefügt.")};
    EXPECT_EQ(statuses(first), expected);
    EXPECT_TRUE(first.messages.contains(QStringLiteral("Fehler beim XML-Parsing")));
    ASSERT_EQ(first.rows.size(), 6);
    const MailOrderRow &qp = first.rows[0];
    EXPECT_EQ(qp.sender, QStringLiteral("bestellung@shop.example"));
    EXPECT_EQ(qp.number, 1);
    EXPECT_FALSE(qp.uidl.isEmpty());
    EXPECT_EQ(qp.date, QDateTime(QDate(2024, 1, 15), QTime(9, 0), Qt::UTC));
    EXPECT_EQ(qp.size, fixture("order_qp.eml").size()
                           + fixture("order_qp.eml").count('\n')); // CR LF on the wire
    EXPECT_EQ(first.rows[2].number, 5);

    // The stored orders: numbered by the mail rule, state 1, this client, values decoded.
    const QList<OrderListRow> list = OrderStore(db).orderList(clientId).value();
    ASSERT_EQ(list.size(), 4);
    const auto byUuid = [&](const char *uuid) {
        const QList<TBestellung> orders = OrderStore(db).ordersOfClient(clientId).value();
        for (const TBestellung &o : orders)
            if (o.uuid == QString::fromLatin1(uuid))
                return o;
        ADD_FAILURE() << "no order " << uuid;
        return TBestellung();
    };
    const TBestellung qpOrder = byUuid("qp-0001");
    EXPECT_EQ(qpOrder.rechNr, 1);
    EXPECT_EQ(qpOrder.status, 1);
    EXPECT_EQ(qpOrder.name, QStringLiteral("Jürgen"));
    EXPECT_EQ(qpOrder.strasse, QStringLiteral("Hauptstraße 1"));
    EXPECT_EQ(qpOrder.ip, QStringLiteral("192.0.2.10"));
    EXPECT_EQ(qpOrder.zeit, QDateTime(QDate(2024, 1, 15), QTime(9, 0), Qt::UTC));
    EXPECT_EQ(byUuid("b64-0002").rechNr, 2);
    EXPECT_EQ(byUuid("8bit-0003").zeit, QDateTime(QDate(1970, 1, 1), QTime(0, 0), Qt::UTC));
    const QList<TArtikel> lines = OrderStore(db).linesOfOrder(byUuid("b64-0002").id).value();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[1].preis, 12.5);
    EXPECT_TRUE(OrderStore(db).optionsOfLine(lines[1].id).value().isEmpty());
    EXPECT_FALSE(OrderStore(db).optionsOfLine(lines[0].id).value().first().preis); // price 0: none
    EXPECT_EQ(OrderStore(db).optionsOfLine(lines[2].id).value().first().preis, 0.5);
    EXPECT_EQ(count("Bestellung"), 4);
    EXPECT_EQ(count("Artikel"), 6);
    EXPECT_EQ(count("Optionen"), 8);

    // Second run: nothing is fetched again; the damaged mail is remembered
    // with its reason and listed as before.
    const MailImportResult second = MailOrder(db, clientId).importOrders();
    ASSERT_TRUE(second.connected);
    EXPECT_EQ(second.fetched, 0);
    EXPECT_EQ(second.rows[4].detail, first.rows[4].detail);
    EXPECT_FALSE(second.rows[4].detail.isEmpty());
    QStringList again = expected;
    for (int i : {0, 1, 2, 5})
        again[i].replace(QStringLiteral("In Datenbank eingefügt."),
                         QStringLiteral("Bereits in DB vorhanden."));
    EXPECT_EQ(statuses(second), again);
    EXPECT_EQ(second.rows[0].sender, qp.sender);
    EXPECT_EQ(second.rows[0].date, qp.date);
    EXPECT_EQ(second.rows[0].size, qp.size);
    EXPECT_EQ(count("Bestellung"), 4);

    // A new mail arrives, and an order is deleted by the user: both are read.
    dovecot.addMessage(QStringLiteral("shop"),
                       fixture("order_8bit.eml")
                           .replace("8bit-0003", "8bit-0008")
                           .replace("Subject: VQBESTMAIL", "Subject: VQBESTMAIL neu"));
    ASSERT_TRUE(OrderStore(db).deleteOrder(byUuid("b64-0002").id));
    const MailImportResult third = MailOrder(db, clientId).importOrders();
    ASSERT_TRUE(third.connected);
    EXPECT_EQ(third.fetched, 2);
    ASSERT_EQ(third.rows.size(), 7);
    EXPECT_EQ(third.rows[1].status, MailOrderStatus::Inserted);
    EXPECT_EQ(third.rows[6].status, MailOrderStatus::Inserted);
    EXPECT_EQ(count("Bestellung"), 5);
}

// An order mail with the given subject and document, as the form mailer sends it.
QByteArray orderMail(const QByteArray &subject, const QByteArray &document)
{
    return "From: Formmailer <mailer@shop.example>\nTo: shop@example.org\nSubject: " + subject
           + "\nDate: Wed, 17 Jan 2024 09:15:00 +0100\nMIME-Version: 1.0\n"
             "Content-Type: text/plain; charset=utf-8\nContent-Transfer-Encoding: 8bit\n\n"
           + document + "\n";
}

// An order document of the form mailer's shape; line holds one line's elements.
QByteArray orderDocument(const QByteArray &uuid, const QByteArray &line,
                         const QByteArray &prolog = {},
                         const QByteArray &name = QByteArray("Hans").toBase64())
{
    return prolog + "<order>\r\n<formdata>\r\n<uuid>" + uuid
           + "</uuid>\r\n<timestamp>1705401000</timestamp>\r\n" + "<Vorname>" + name
           + "</Vorname>\r\n<company>192.0.2.1</company>\r\n</formdata>\r\n<articles>\r\n"
           + "<article><articleNumber>QS0x</articleNumber><articleName>SGVtZA==</articleName>"
           + line + "<options></options></article>\r\n</articles>\r\n</order>\r\n";
}

// Hostile order mails in one mailbox with one good one: each is listed as
// damaged, none stores anything or stops the run, and the views over all
// orders (the VAT breakdown) still work.
TEST_P(MailImportTest, HostileOrderMailsAreListedAsDamagedAndStoredNowhere)
{
    const QByteArray goodLine = "<price>MTkuOTA=</price><vat>MTk=</vat><amount>Mg==</amount>";
    QByteArray bomb = "<!DOCTYPE order [<!ENTITY e0 "
                      "\"AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\">";
    for (int i = 1; i <= 12; ++i)
        bomb += "<!ENTITY e" + QByteArray::number(i) + " \""
                + ("&e" + QByteArray::number(i - 1) + ";").repeated(12) + "\">";
    bomb += "]>";
    QByteArray deep =
        "<order><formdata><uuid>tief</uuid><timestamp>0</timestamp></formdata><articles>"
        + QByteArray("<a>").repeated(300000) + QByteArray("</a>").repeated(300000)
        + "</articles></order>";
    const QList<QByteArray> hostile{
        orderMail("VQBESTMAIL Entitaeten",
                  orderDocument("bomb", goodLine, bomb).replace("Hans", "&e12;")),
        orderMail("VQBESTMAIL MwSt",
                  orderDocument("vat",
                                "<price>MTkuOTA=</price><vat>LTEwMA==</vat><amount>Mg==</amount>")),
        orderMail("VQBESTMAIL base64",
                  orderDocument("b64", "<price>QQ=QQ</price><vat>MTk=</vat><amount>Mg==</amount>")),
        orderMail(
            "VQBESTMAIL Menge",
            orderDocument("amount", "<price>MTkuOTA=</price><vat>MTk=</vat><amount>LTI=</amount>")),
        orderMail("VQBESTMAIL tief", deep),
        orderMail("VQBESTMAIL riesig",
                  orderDocument("huge", goodLine, "<!--" + QByteArray(5 << 20, 'x') + "-->")),
    };
    for (const QByteArray &mail : hostile)
        dovecot.addMessage(QStringLiteral("shop"), mail);
    // A good one between them: a UTF-8 name with a NUL, which PostgreSQL could not store.
    dovecot.addMessage(
        QStringLiteral("shop"),
        orderMail("VQBESTMAIL gut", orderDocument("gut-1", goodLine, {},
                                                  QByteArray("J\xc3\xbcrgen\0", 8).toBase64())));

    const MailImportResult result = MailOrder(db, clientId).importOrders();
    ASSERT_TRUE(result.ok) << result.detail.toStdString();
    ASSERT_EQ(result.rows.size(), 7);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(result.rows[i].status, MailOrderStatus::DocumentError)
            << result.rows[i].subject.toStdString() << ": " << result.rows[i].detail.toStdString();
    EXPECT_EQ(result.rows[6].status, MailOrderStatus::Inserted)
        << result.rows[6].detail.toStdString();
    EXPECT_TRUE(result.rows[5].detail.contains(QStringLiteral("zu groß")))
        << result.rows[5].detail.toStdString();
    EXPECT_EQ(count("Bestellung"), 1);
    EXPECT_EQ(count("Artikel"), 1);
    const QList<TBestellung> orders = OrderStore(db).ordersOfClient(clientId).value();
    ASSERT_EQ(orders.size(), 1);
    EXPECT_EQ(orders[0].name, QStringLiteral("Jürgen"));
    const auto amounts =
        orderAmounts(orders[0], OrderStore(db).linesWithOptions(orders[0].id).value(), nullptr);
    ASSERT_EQ(amounts.value().rates.size(), 1);
    EXPECT_EQ(amounts->rates[0].vatCents, 635); // 39,80 x 19 / 119 = 6,3546
    EXPECT_EQ(amounts->grossCents, 3980);
}

TEST_P(MailImportTest, RefusedLoginChangesNothing)
{
    fillMailbox();
    ASSERT_TRUE(MailOrder(db, clientId).importOrders().connected);
    TMandant client = *ClientStore(db).client(clientId);
    client.password = QStringLiteral("falsch");
    ASSERT_TRUE(ClientStore(db).updateClient(client));
    const MailImportResult result = MailOrder(db, clientId).importOrders();
    EXPECT_FALSE(result.connected);
    EXPECT_EQ(
        result.message,
        QStringLiteral(
            "Fehler beim Verbinden mit dem Mailserver, bitte prüfen Sie Ihre Einstellungen."));
    EXPECT_TRUE(result.rows.isEmpty());
    EXPECT_EQ(count("Bestellung"), 4);
    EXPECT_EQ(count("Nachricht"), 8); // what the first run learned stays, the damaged mail too
}

INSTANTIATE_TEST_SUITE_P(Backends, MailImportTest,
                         testing::Values(SqlDialect::SQLite, SqlDialect::PostgreSQL),
                         [](const testing::TestParamInfo<SqlDialect> &info) {
                             return std::string(vq::test::dialectName(info.param));
                         });

using MailImportSQLiteTest = MailImportFixture;

TEST_F(MailImportSQLiteTest, EmptyMailboxAndUnreachableServer)
{
    const MailImportResult empty = MailOrder(db, clientId).importOrders();
    EXPECT_TRUE(empty.connected) << empty.detail.toStdString();
    EXPECT_TRUE(empty.rows.isEmpty());
    EXPECT_EQ(empty.message,
              QStringLiteral("Das E-Mail-Postfach wurde erfolgreich auf Bestellungen ausgelesen."));

    TMandant client = *ClientStore(db).client(clientId);
    client.port = vq::test::freeLocalPort();
    ASSERT_TRUE(ClientStore(db).updateClient(client));
    const MailImportResult unreachable = MailOrder(db, clientId).importOrders();
    EXPECT_FALSE(unreachable.connected);
    EXPECT_EQ(
        unreachable.messages,
        QStringList{QStringLiteral(
            "Fehler beim Verbinden mit dem Mailserver, bitte prüfen Sie Ihre Einstellungen.")});
}

TEST_F(MailImportSQLiteTest, SameOrderInAnotherClientsMailboxIsAlreadyThere)
{
    dovecot.addMessage(QStringLiteral("shop"), fixture("order_qp.eml"));
    dovecot.addMessage(QStringLiteral("zweiter"), fixture("order_duplicate.eml"));
    const int second = addClient(QStringLiteral("zweiter"), QStringLiteral("pass"));
    ASSERT_EQ(MailOrder(db, clientId).importOrders().rows.first().status,
              MailOrderStatus::Inserted);
    const MailImportResult result = MailOrder(db, second).importOrders();
    ASSERT_EQ(result.rows.size(), 1);
    EXPECT_EQ(result.rows.first().status, MailOrderStatus::AlreadyThere);
    EXPECT_TRUE(OrderStore(db).orderList(second).value().isEmpty());
}

TEST_F(MailImportSQLiteTest, OrderThatCannotBeStoredLeavesNothingAndIsReadAgain)
{
    dovecot.addMessage(QStringLiteral("shop"), fixture("order_base64.eml"));
    QSqlQuery q(db.connection());
    // The third line's option is refused, after the order and two lines went in.
    ASSERT_TRUE(q.exec(
        QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON Optionen "
                       "WHEN NEW.Option_Wert = 'fein' BEGIN SELECT RAISE(ABORT, 'voll'); END")));
    const MailImportResult failed = MailOrder(db, clientId).importOrders();
    ASSERT_EQ(failed.rows.size(), 1);
    EXPECT_EQ(failed.rows.first().status, MailOrderStatus::StoreError);
    EXPECT_EQ(count("Bestellung"), 0);
    EXPECT_EQ(count("Artikel"), 0);
    EXPECT_EQ(count("Optionen"), 0);

    ASSERT_TRUE(q.exec(QStringLiteral("DROP TRIGGER refuse")));
    const MailImportResult retried = MailOrder(db, clientId).importOrders();
    ASSERT_EQ(retried.rows.size(), 1);
    EXPECT_EQ(retried.rows.first().status, MailOrderStatus::Inserted);
    EXPECT_EQ(count("Artikel"), 3);
}

TEST_F(MailImportSQLiteTest, DeletesTheMarkedMailByItsUniqueId)
{
    fillMailbox();
    const MailImportResult result = MailOrder(db, clientId).importOrders();
    ASSERT_EQ(result.rows.size(), 6);
    // Deleting the first row renumbers the messages behind it on the next
    // connection; the second delete must still hit its own mail.
    QString message;
    ASSERT_TRUE(MailOrder(db, clientId).deleteMail(result.rows[0], &message));
    ASSERT_TRUE(MailOrder(db, clientId).deleteMail(result.rows[1], &message));
    EXPECT_EQ(dovecot.messageCount(QStringLiteral("shop")), 6);

    const MailImportResult after = MailOrder(db, clientId).importOrders();
    QStringList subjects;
    for (const MailOrderRow &row : after.rows)
        subjects << row.subject;
    EXPECT_EQ(subjects,
              (QStringList{QStringLiteral("VQBESTMAIL"), QStringLiteral("VQBESTMAIL erneut"),
                           QStringLiteral("VQBESTMAIL defekt"),
                           QStringLiteral("Bestellung für VQBESTMAIL")}));
    // Orders stay when their mail is deleted.
    EXPECT_EQ(count("Bestellung"), 4);

    // A mail that is gone cannot be deleted again; the row would stay.
    EXPECT_FALSE(MailOrder(db, clientId).deleteMail(result.rows[0], &message));
    EXPECT_EQ(message, QStringLiteral("Fehler beim löschen der Nachricht"));
}

// A server that hands the id of a deleted message to a new one: the new
// message has the old id but another size and is read, not taken for the
// remembered one (an order already stored, or no order mail at all).
TEST(MailImportReusedId, AMessageWithAKnownIdButAnotherSizeIsReadAgain)
{
    vq::test::DovecotServer dovecot;
    dovecot.setUidlFormat(QStringLiteral("%f")); // the id is the file name
    QString error;
    ASSERT_TRUE(dovecot.start({QStringLiteral("shop:geheim")}, &error)) << error.toStdString();
    QTemporaryDir dir;
    InvoiceConnection db;
    ASSERT_TRUE(vq::test::openTestDatabase(db, SqlDialect::SQLite, dir.path(), &error))
        << error.toStdString();
    TMandant client = newClient();
    client.pop3 = QStringLiteral("127.0.0.1");
    client.port = dovecot.port();
    client.username = QStringLiteral("shop");
    client.password = QStringLiteral("geheim");
    const int clientId = ClientStore(db).insertClient(client).value_or(0);

    const QString orderName = dovecot.addMessage(QStringLiteral("shop"), fixture("order_qp.eml"));
    const QString plainName = dovecot.addMessage(QStringLiteral("shop"), fixture("plain_mail.eml"));
    const MailImportResult first = MailOrder(db, clientId).importOrders();
    ASSERT_TRUE(first.ok) << first.detail.toStdString() << dovecot.log().toStdString();
    ASSERT_EQ(first.rows.size(), 1);
    EXPECT_EQ(first.rows[0].uidl, orderName);

    // Both mails are deleted on the server; two new ones get their ids.
    QString message;
    ASSERT_TRUE(MailOrder(db, clientId).deleteMail(first.rows[0], &message));
    MailOrderRow plainRow;
    plainRow.uidl = plainName;
    ASSERT_TRUE(MailOrder(db, clientId).deleteMail(plainRow, &message));
    ASSERT_EQ(dovecot.messageCount(QStringLiteral("shop")), 0);
    dovecot.addMessageNamed(QStringLiteral("shop"), orderName, fixture("order_8bit.eml"));
    dovecot.addMessageNamed(QStringLiteral("shop"), plainName, fixture("order_base64.eml"));

    const MailImportResult second = MailOrder(db, clientId).importOrders();
    ASSERT_TRUE(second.ok) << second.detail.toStdString();
    EXPECT_EQ(second.fetched, 2);
    ASSERT_EQ(second.rows.size(), 2);
    EXPECT_EQ(second.rows[0].uidl, orderName);
    EXPECT_EQ(second.rows[0].subject, QStringLiteral("VQBESTMAIL"));
    EXPECT_EQ(second.rows[0].status, MailOrderStatus::Inserted);
    EXPECT_EQ(second.rows[1].uidl, plainName);
    EXPECT_EQ(second.rows[1].status, MailOrderStatus::Inserted);
    EXPECT_EQ(OrderStore(db).ordersOfClient(clientId).value().size(), 3);

    // Remembered with their sizes now: the next run fetches nothing.
    const MailImportResult third = MailOrder(db, clientId).importOrders();
    EXPECT_EQ(third.fetched, 0);
    EXPECT_EQ(third.rows.size(), 2);
}

// A mail with a header line added after the subject.
QByteArray withHeader(QByteArray mail, const QByteArray &header)
{
    const qsizetype subject = mail.indexOf("\nSubject:");
    return mail.insert(mail.indexOf('\n', subject + 1) + 1, header + "\n");
}

QByteArray signatureFor(const QByteArray &mail, const QString &secret)
{
    MailMessage message;
    EXPECT_TRUE(readMailMessage(mail, &message, nullptr));
    return orderSignature(message.body, secret).toLatin1();
}

// A client with an order secret stores only order mails signed with it; the
// others are listed "nicht signiert" and stored nowhere. Without a secret the
// header does not matter.
TEST_F(MailImportSQLiteTest, WithAnOrderSecretOnlySignedOrderMailsAreStored)
{
    const QString secret = QStringLiteral("Geh€im");
    // The form mailer's signature of the 8bit order with that secret.
    const QByteArray formMailerSignature =
        "hmac-sha256=0413c61503eec99fa308507c86a16394a46bb56580ca2d5317521a9dc5fc854b";
    const QByteArray eightBit = fixture("order_8bit.eml");
    const QByteArray qp = fixture("order_qp.eml");
    const QByteArray mails[] = {
        // Folded by a mail server on its way.
        withHeader(eightBit, "X-VQ-Signature: " + formMailerSignature.left(40) + "\n\t"
                                 + formMailerSignature.mid(40)),
        // Signed over the document after the transfer encoding is undone.
        withHeader(qp, "X-VQ-Signature: " + signatureFor(qp, secret)),
        fixture("order_base64.eml"),
        // Another secret, a changed document, upper-case digits, a cut signature.
        withHeader(fixture("order_duplicate.eml"),
                   "X-VQ-Signature: "
                       + signatureFor(fixture("order_duplicate.eml"), QStringLiteral("anders"))),
        withHeader(QByteArray(eightBit).replace("8bit-0003", "8bit-0099"),
                   "X-VQ-Signature: " + formMailerSignature),
        withHeader(
            QByteArray(eightBit).replace("8bit-0003", "8bit-0100"),
            "X-VQ-Signature: hmac-sha256="
                + signatureFor(QByteArray(eightBit).replace("8bit-0003", "8bit-0100"), secret)
                      .mid(12)
                      .toUpper()),
        withHeader(
            QByteArray(eightBit).replace("8bit-0003", "8bit-0101"),
            "X-VQ-Signature: "
                + signatureFor(QByteArray(eightBit).replace("8bit-0003", "8bit-0101"), secret)
                      .chopped(2)),
    };
    for (const QByteArray &mail : mails)
        dovecot.addMessage(QStringLiteral("shop"), mail);
    TMandant client = *ClientStore(db).client(clientId);
    client.bestellgeheimnis = secret;
    ASSERT_TRUE(ClientStore(db).updateClient(client));

    const MailImportResult signedOnly = MailOrder(db, clientId).importOrders();
    ASSERT_TRUE(signedOnly.ok) << signedOnly.detail.toStdString();
    QList<MailOrderStatus> statuses;
    for (const MailOrderRow &row : signedOnly.rows)
        statuses << row.status;
    using S = MailOrderStatus;
    EXPECT_EQ(statuses, (QList<S>{S::Inserted, S::Inserted, S::NotSigned, S::NotSigned,
                                  S::NotSigned, S::NotSigned, S::NotSigned}));
    EXPECT_EQ(signedOnly.rows[2].statusText(), QStringLiteral("nicht signiert"));
    EXPECT_EQ(count("Bestellung"), 2);

    // The refused mails are remembered: listed again with their reason, not fetched again.
    const MailImportResult again = MailOrder(db, clientId).importOrders();
    ASSERT_TRUE(again.ok) << again.detail.toStdString();
    EXPECT_EQ(again.fetched, 0);
    ASSERT_EQ(again.rows.size(), 7);
    EXPECT_EQ(again.rows[2].status, MailOrderStatus::NotSigned);
    EXPECT_EQ(again.rows[2].detail, signedOnly.rows[2].detail);
    EXPECT_EQ(again.rows[3].detail, signedOnly.rows[3].detail);

    // Without the secret every order mail counts again, signed or not.
    client.bestellgeheimnis.clear();
    ASSERT_TRUE(ClientStore(db).updateClient(client));
    const MailImportResult all = MailOrder(db, clientId).importOrders();
    ASSERT_TRUE(all.ok);
    statuses.clear();
    for (const MailOrderRow &row : all.rows)
        statuses << row.status;
    EXPECT_EQ(statuses, (QList<S>{S::AlreadyThere, S::AlreadyThere, S::Inserted, S::AlreadyThere,
                                  S::Inserted, S::Inserted, S::Inserted}));
    EXPECT_EQ(count("Bestellung"), 6);
}

TEST(MailOrderRow, SizeInWholeKilobytes)
{
    const std::pair<qint64, const char *> cases[] = {
        {0, "0 kb"}, {1023, "0 kb"}, {1024, "1 kb"}, {2048, "2 kb"}, {5000, "4 kb"}};
    for (const auto &[size, text] : cases) {
        MailOrderRow row;
        row.size = size;
        EXPECT_EQ(row.sizeText(), QString::fromLatin1(text)) << size;
    }
}

// The command line ---------------------------------------------------------------

class CommandLineTest : public MailImportSQLiteTest
{
protected:
    struct Outcome
    {
        int exitCode = -1;
        QString out, err;
    };

    Outcome run(const QStringList &arguments)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), dir.path());
        process.setProcessEnvironment(environment);
        process.start(
            QStringLiteral(VQ_PROGRAM_DIR "/rechtool/vq_bestell_rechnung"),
            arguments + QStringList{QStringLiteral("--database"), vq::test::lastTestDatabaseUrl()});
        process.waitForFinished(60000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
};

TEST_F(CommandLineTest, ImportPrintsOneLinePerOrderMailAndExitsByOutcome)
{
    fillMailbox();
    db.close(); // the program opens the file itself
    Outcome ok =
        run({QStringLiteral("--import"), QStringLiteral("--client"), QString::number(clientId)});
    ASSERT_EQ(ok.exitCode, 0) << ok.err.toStdString();
    const QStringList lines = ok.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 8) << lines.join(u'\n').toStdString();
    const QStringList first = lines[0].split(u'\t');
    ASSERT_EQ(first.size(), 6);
    EXPECT_EQ(first.mid(0, 5),
              (QStringList{QStringLiteral("bestellung@shop.example"),
                           QStringLiteral("Bestellung VQBESTMAIL"), QStringLiteral("1 kb"),
                           QStringLiteral("15.01.24"), QStringLiteral("In Datenbank eingefügt.")}));
    EXPECT_TRUE(lines[4].startsWith(
        QStringLiteral("broken@shop.example\tVQBESTMAIL defekt\t0 kb\t19.01.24\t"
                       "Fehler beim XML-Parsing: ")));
    EXPECT_EQ(lines[6],
              QStringLiteral("Das E-Mail-Postfach wurde erfolgreich auf Bestellungen ausgelesen."));
    EXPECT_EQ(lines[7],
              QStringLiteral("4 Bestellungen eingefügt, 1 bereits vorhanden, 1 fehlerhaft."));

    // The mail of a line is deleted by its unique id, and only once.
    const QStringList deleteArguments{QStringLiteral("--delete"), first[5],
                                      QStringLiteral("--client"), QString::number(clientId)};
    EXPECT_EQ(run(deleteArguments).exitCode, 0);
    EXPECT_EQ(dovecot.messageCount(QStringLiteral("shop")), 7);
    const Outcome again = run(deleteArguments);
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.err.startsWith(QStringLiteral("Fehler beim löschen der Nachricht")))
        << again.err.toStdString();

    // Refused login: the German message and exit code 1.
    QString error;
    ASSERT_TRUE(vq::test::openTestDatabase(db, SqlDialect::SQLite, dir.path(), &error));
    TMandant client = *ClientStore(db).client(clientId);
    client.password = QStringLiteral("falsch");
    ASSERT_TRUE(ClientStore(db).updateClient(client));
    db.close();
    Outcome refused =
        run({QStringLiteral("--import"), QStringLiteral("--client"), QString::number(clientId)});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.startsWith(
        QStringLiteral("Fehler beim Verbinden mit dem Mailserver, bitte prüfen Sie Ihre "
                       "Einstellungen.")));

    Outcome unknown =
        run({QStringLiteral("--import"), QStringLiteral("--client"), QStringLiteral("99")});
    EXPECT_EQ(unknown.exitCode, 2);
}

TEST_F(CommandLineTest, FieldsFromAMailCannotForgeARowOrCommandTheTerminal)
{
    // Sender and subject as encoded words holding tabs, line breaks, an
    // escape sequence and a direction mark: a row that would read as a stored
    // order with a unique id of the sender's choice.
    const auto word = [](const QString &text) {
        return "=?UTF-8?B?" + text.toUtf8().toBase64() + "?=";
    };
    const QString forged = QStringLiteral(
        "\tIn Datenbank eingefügt.\tFAKE-UIDL\n\x1b[31mrot\x1b]0;Titel\x07\u202Eabc");
    dovecot.addMessage(QStringLiteral("shop"),
                       "From: " + word(QStringLiteral("Böse") + forged)
                           + " <boese@example.org>\r\nSubject: "
                           + word(QStringLiteral("VQBESTMAIL") + forged)
                           + "\r\nDate: Mon, 15 Jan 2024 10:00:00 +0100\r\nMIME-Version: 1.0\r\n"
                             "Content-Type: text/plain; charset=UTF-8\r\n\r\n<order>\r\n");
    db.close();
    const Outcome outcome =
        run({QStringLiteral("--import"), QStringLiteral("--client"), QString::number(clientId)});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    const QStringList lines = outcome.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << outcome.out.toStdString();
    const QStringList fields = lines[0].split(u'\t');
    ASSERT_EQ(fields.size(), 6) << lines[0].toStdString();
    // The forged text stays inside the subject's column, as blanks.
    EXPECT_TRUE(fields[1].startsWith(QStringLiteral("VQBESTMAIL"))
                && fields[1].contains(QStringLiteral("FAKE-UIDL")))
        << fields[1].toStdString();
    EXPECT_TRUE(fields[4].startsWith(QStringLiteral("Fehler beim XML-Parsing")))
        << fields[4].toStdString();
    EXPECT_NE(fields[5], QStringLiteral("FAKE-UIDL"));
    for (const QChar c : outcome.out)
        EXPECT_TRUE(c == u'\n' || c == u'\t'
                    || (c.category() != QChar::Other_Control && c.unicode() != 0x202E))
            << "control character " << int(c.unicode()) << " in the output";
    EXPECT_TRUE(lines[2].startsWith(
        QStringLiteral("0 Bestellungen eingefügt, 0 bereits vorhanden, 1 fehlerhaft.")));
}

} // namespace

namespace {

// The POP3 client over TLS: POP3S from the start and STLS on the plain port.
TEST(Pop3Client, LogsInPlainWithPop3sAndWithStls)
{
    vq::test::DovecotServer dovecot;
    QString error;
    ASSERT_TRUE(dovecot.start({QStringLiteral("shop:geheim")}, &error, true))
        << error.toStdString();
    dovecot.addMessage(QStringLiteral("shop"), fixture("plain_mail.eml"));
    struct Case
    {
        Pop3Security security;
        int port;
        bool verify;
        bool succeeds;
    };
    const Case cases[] = {
        {Pop3Security::Plain, dovecot.port(), true, true},
        {Pop3Security::Stls, dovecot.port(), false, true},
        {Pop3Security::Pop3s, dovecot.tlsPort(), false, true},
        // A self-signed certificate is refused while certificates are checked.
        {Pop3Security::Pop3s, dovecot.tlsPort(), true, false},
    };
    for (const Case &c : cases) {
        Pop3Account account{QStringLiteral("127.0.0.1"),
                            c.port,
                            QStringLiteral("shop"),
                            QStringLiteral("geheim"),
                            c.security,
                            c.verify,
                            10};
        Pop3Client pop3(account);
        const auto count = pop3.stat();
        ASSERT_EQ(count.has_value(), c.succeeds)
            << int(c.security) << pop3.lastError().toStdString();
        if (!c.succeeds)
            continue;
        EXPECT_EQ(*count, 1);
        const auto mail = pop3.retr(1);
        ASSERT_TRUE(mail);
        EXPECT_TRUE(mail->contains("Nur eine normale Nachricht."));
    }
}

} // namespace

namespace {

// A POP3 server of the test's own, on 127.0.0.1, for the one thing Dovecot
// cannot be made to do: drop the connection in the middle of a run. It
// serves its messages until one beyond dropAfter is asked for, then closes
// the connection: at once, or after half of that message.
class DroppingPop3Server
{
public:
    // stall: instead of closing the connection the server falls silent and
    // waits until the client leaves.
    DroppingPop3Server(const QList<QByteArray> &messages, int dropAfter, bool cutInside,
                       bool stall = false)
        : m_dropAfter(dropAfter)
        , m_cutInside(cutInside)
        , m_stall(stall)
    {
        for (QByteArray message : messages)
            m_messages << message.replace("\r\n", "\n").replace("\n", "\r\n");
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(m_listener, reinterpret_cast<sockaddr *>(&address), length) != 0
            || ::listen(m_listener, 4) != 0
            || ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~DroppingPop3Server()
    {
        ::shutdown(m_listener, SHUT_RDWR);
        ::close(m_listener);
        if (m_thread.joinable())
            m_thread.join();
    }
    int port() const { return m_port; }
    void setDropAfter(int count) { m_dropAfter = count; }
    // The server closes the connection on QUIT without answering it, as one
    // whose connection breaks at the logout; its marked messages stay.
    void setQuitUnanswered(bool unanswered) { m_quitUnanswered = unanswered; }
    // Messages deleted by a confirmed logout, over all connections.
    int deletedMessages() const { return m_deleted; }
    // STAT names this many messages instead of those the server has; -1: those.
    void setStatCount(int count) { m_statCount = count; }
    // The server knows no UIDL, as some old ones.
    void setWithoutUidl(bool without) { m_withoutUidl = without; }
    // The first count messages are gone, as deleted from another device.
    void hideFirst(int count) { m_hidden = count; }

private:
    void serve()
    {
        for (;;) {
            const int connection = ::accept(m_listener, nullptr, nullptr);
            if (connection < 0)
                return;
            converse(connection);
            ::close(connection);
        }
    }

    static bool send(int connection, const QByteArray &data)
    {
        return ::send(connection, data.constData(), static_cast<size_t>(data.size()), MSG_NOSIGNAL)
               == data.size();
    }

    void converse(int connection)
    {
        QByteArray buffer;
        int marked = 0;
        if (!send(connection, "+OK bereit\r\n"))
            return;
        for (;;) {
            qsizetype end;
            while ((end = buffer.indexOf("\r\n")) < 0) {
                char chunk[512];
                const ssize_t n = ::recv(connection, chunk, sizeof chunk, 0);
                if (n <= 0)
                    return;
                buffer.append(chunk, n);
            }
            const QList<QByteArray> words = buffer.left(end).split(' ');
            // Messages another device deleted are gone; the others move up.
            const int hidden = m_hidden;
            const QList<QByteArray> messages = m_messages.mid(hidden);
            buffer.remove(0, end + 2);
            const QByteArray command = words[0].toUpper();
            QByteArray reply;
            if (command == "CAPA") {
                reply = "+OK\r\nUSER\r\nUIDL\r\nTOP\r\n.\r\n";
            } else if (command == "USER" || command == "PASS" || command == "NOOP") {
                reply = "+OK\r\n";
            } else if (command == "STAT") {
                qsizetype total = 0;
                for (const QByteArray &m : messages)
                    total += m.size();
                const qsizetype count = m_statCount >= 0 ? qsizetype(m_statCount) : messages.size();
                reply =
                    "+OK " + QByteArray::number(count) + ' ' + QByteArray::number(total) + "\r\n";
            } else if (command == "UIDL" && m_withoutUidl) {
                reply = "-ERR unbekannt\r\n";
            } else if (command == "LIST" || command == "UIDL") {
                reply = "+OK\r\n";
                for (int i = 0; i < messages.size(); ++i)
                    reply += QByteArray::number(i + 1) + ' '
                             + (command == "LIST" ? QByteArray::number(messages[i].size())
                                                  : "m" + QByteArray::number(hidden + i + 1))
                             + "\r\n";
                reply += ".\r\n";
            } else if ((command == "RETR" || command == "TOP") && words.size() >= 2) {
                const int number = words[1].toInt();
                if (number < 1 || number > messages.size()) {
                    reply = "-ERR keine solche Nachricht\r\n";
                } else {
                    QByteArray body = messages[number - 1];
                    body.replace("\r\n.", "\r\n..");
                    if (number > m_dropAfter) {
                        if (m_cutInside)
                            send(connection, "+OK\r\n" + body.left(body.size() / 2));
                        char ignored;
                        while (m_stall && ::recv(connection, &ignored, 1, 0) > 0) {
                        }
                        return;
                    }
                    reply = "+OK\r\n" + body + (body.endsWith("\r\n") ? "" : "\r\n") + ".\r\n";
                }
            } else if (command == "DELE" && words.size() >= 2) {
                const int number = words[1].toInt();
                if (number < 1 || number > messages.size()) {
                    reply = "-ERR keine solche Nachricht\r\n";
                } else {
                    ++marked;
                    reply = "+OK\r\n";
                }
            } else if (command == "QUIT") {
                if (m_quitUnanswered)
                    return;
                m_deleted += marked;
                send(connection, "+OK\r\n");
                return;
            } else {
                reply = "-ERR unbekannt\r\n";
            }
            if (!send(connection, reply))
                return;
        }
    }

    QList<QByteArray> m_messages;
    std::atomic<int> m_dropAfter;
    std::atomic_bool m_quitUnanswered{false};
    std::atomic<int> m_deleted{0};
    std::atomic<int> m_statCount{-1};
    std::atomic_bool m_withoutUidl{false};
    std::atomic<int> m_hidden{0};
    bool m_cutInside;
    bool m_stall;
    int m_listener = -1;
    int m_port = 0;
    std::thread m_thread;
};

struct Break
{
    const char *name;
    int dropAfter;  // messages served whole
    bool cutInside; // the next one is cut off in the middle, else not begun
    int fetchedNextTime;
};

void PrintTo(const Break &b, std::ostream *os)
{
    *os << b.name;
}

class BrokenConnectionTest : public testing::TestWithParam<Break>
{
};

// The connection breaks while a message of four (order, order, plain mail,
// order) is fetched: the run ends with the connection message, the orders
// stored before stay whole and nothing is reported as success; the command
// line exits with 1; the next run reads the rest. A message cut off inside
// arrives from libcurl as if whole: it must not be taken for one.
TEST_P(BrokenConnectionTest, EndsTheRunKeepsWhatWasStoredAndReadsTheRestNextTime)
{
    const Break &b = GetParam();
    DroppingPop3Server server({fixture("order_qp.eml"), fixture("order_base64.eml"),
                               fixture("plain_mail.eml"), fixture("order_8bit.eml")},
                              b.dropAfter, b.cutInside);
    ASSERT_NE(server.port(), 0);
    QTemporaryDir dir;
    InvoiceConnection db;
    QString error;
    ASSERT_TRUE(vq::test::openTestDatabase(db, SqlDialect::SQLite, dir.path(), &error))
        << error.toStdString();
    TMandant client = newClient();
    client.pop3 = QStringLiteral("127.0.0.1");
    client.port = server.port();
    client.username = QStringLiteral("shop");
    client.password = QStringLiteral("geheim");
    const int clientId = ClientStore(db).insertClient(client).value_or(0);
    ASSERT_NE(clientId, 0);
    auto orderCount = [&] {
        QSqlQuery q(db.connection());
        q.exec(QStringLiteral("SELECT COUNT(*) FROM Bestellung"));
        return q.next() ? q.value(0).toInt() : -1;
    };

    const MailImportResult broken = MailOrder(db, clientId).importOrders();
    EXPECT_FALSE(broken.ok);
    EXPECT_FALSE(broken.connected);
    EXPECT_EQ(
        broken.message,
        QStringLiteral(
            "Fehler beim Verbinden mit dem Mailserver, bitte prüfen Sie Ihre Einstellungen."));
    EXPECT_FALSE(broken.messages.contains(QString::fromUtf16(kTextSuccess)));
    ASSERT_EQ(broken.rows.size(), 2);
    EXPECT_EQ(broken.rows[0].status, MailOrderStatus::Inserted);
    EXPECT_EQ(broken.rows[1].status, MailOrderStatus::Inserted);
    EXPECT_EQ(orderCount(), 2);
    // The orders stored before the break are whole.
    const QList<TBestellung> storedBefore = OrderStore(db).ordersOfClient(clientId).value();
    for (const TBestellung &order : storedBefore)
        EXPECT_EQ(OrderStore(db).linesOfOrder(order.id).value().size(),
                  order.uuid == QStringLiteral("b64-0002") ? 3 : 1);

    // The command line: the rows read so far, the German message and status 1.
    db.close();
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dir.path());
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VQ_PROGRAM_DIR "/rechtool/vq_bestell_rechnung"),
                  {QStringLiteral("--import"), QStringLiteral("--client"),
                   QString::number(clientId), QStringLiteral("--database"),
                   vq::test::lastTestDatabaseUrl()});
    ASSERT_TRUE(process.waitForFinished(60000));
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_EQ(process.exitCode(), 1) << out.toStdString() << err.toStdString();
    EXPECT_TRUE(err.startsWith(QStringLiteral("Fehler beim Verbinden mit dem Mailserver")))
        << err.toStdString();
    EXPECT_FALSE(out.contains(QStringLiteral("erfolgreich"))) << out.toStdString();
    EXPECT_FALSE(out.contains(QStringLiteral("Bestellungen eingefügt"))) << out.toStdString();

    // Once the server serves everything, the rest comes in, every order once.
    server.setDropAfter(1000);
    ASSERT_TRUE(vq::test::openTestDatabase(db, SqlDialect::SQLite, dir.path(), &error))
        << error.toStdString();
    const MailImportResult rest = MailOrder(db, clientId).importOrders();
    EXPECT_TRUE(rest.ok) << rest.detail.toStdString();
    EXPECT_EQ(rest.fetched, b.fetchedNextTime);
    EXPECT_EQ(orderCount(), 3);
    QList<int> numbers;
    const QList<TBestellung> storedAfter = OrderStore(db).ordersOfClient(clientId).value();
    for (const TBestellung &order : storedAfter)
        numbers << order.rechNr.value_or(0);
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ(numbers, (QList<int>{1, 2, 3}));
}

// A run followed from outside: progress from (0, all) to (all, all), each
// row as it is known, and a cancel wish honoured before the next mail: the
// mail at hand is stored, no later one, and the next run reads the rest.
TEST_F(MailImportSQLiteTest, ReportsProgressAndRowsAndStopsBeforeTheNextMailWhenCancelled)
{
    const QByteArray line = "<price>" + QByteArray("5").toBase64() + "</price><vat>"
                            + QByteArray("19").toBase64() + "</vat><amount>"
                            + QByteArray("1").toBase64() + "</amount>";
    for (int i = 1; i <= 5; ++i) {
        const QByteArray n = QByteArray::number(i);
        dovecot.addMessage(QStringLiteral("shop"),
                           orderMail("VQBESTMAIL " + n, orderDocument("stop-" + n, line)));
        if (i == 2)
            dovecot.addMessage(QStringLiteral("shop"), fixture("plain_mail.eml"));
    }

    std::atomic_bool cancel{false};
    QList<QPair<int, int>> progress;
    QStringList seen;
    MailImportObserver observer;
    observer.progress = [&](int done, int total) { progress << qMakePair(done, total); };
    observer.row = [&](const MailOrderRow &row) {
        seen << row.subject;
        cancel = true; // after the first order mail
    };
    observer.cancel = &cancel;
    const MailImportResult stopped = MailOrder(db, clientId).importOrders(observer);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_FALSE(stopped.ok);
    EXPECT_TRUE(stopped.connected);
    EXPECT_EQ(stopped.message, QString::fromUtf16(kTextImportCancelled));
    EXPECT_EQ(seen, QStringList{QStringLiteral("VQBESTMAIL 1")});
    ASSERT_EQ(stopped.rows.size(), 1);
    EXPECT_EQ(stopped.rows.first().status, MailOrderStatus::Inserted);
    EXPECT_EQ((progress), (QList<QPair<int, int>>{{0, 6}, {1, 6}}));
    EXPECT_EQ(count("Bestellung"), 1);

    // Cancelled before the first mail: nothing is read.
    cancel = true;
    const MailImportResult none = MailOrder(db, clientId).importOrders(observer);
    EXPECT_TRUE(none.cancelled);
    EXPECT_TRUE(none.rows.isEmpty());
    EXPECT_EQ(count("Bestellung"), 1);

    cancel = false;
    progress.clear();
    seen.clear();
    observer.row = [&](const MailOrderRow &row) {
        seen << row.subject + QStringLiteral(": ") + row.statusText();
    };
    const MailImportResult rest = MailOrder(db, clientId).importOrders(observer);
    EXPECT_TRUE(rest.ok) << rest.detail.toStdString();
    EXPECT_FALSE(rest.cancelled);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("VQBESTMAIL 1: Bereits in DB vorhanden."),
                                 QStringLiteral("VQBESTMAIL 2: In Datenbank eingefügt."),
                                 QStringLiteral("VQBESTMAIL 3: In Datenbank eingefügt."),
                                 QStringLiteral("VQBESTMAIL 4: In Datenbank eingefügt."),
                                 QStringLiteral("VQBESTMAIL 5: In Datenbank eingefügt.")}));
    ASSERT_EQ(progress.size(), 7);
    for (int i = 0; i < progress.size(); ++i)
        EXPECT_EQ(progress[i], qMakePair(i, 6));
    EXPECT_EQ(count("Bestellung"), 5);
}

// A server that falls silent in the middle of a message: a cancel gives the
// transfer up instead of waiting for the server's timeout, and the run ends
// as cancelled, not as a connection failure. The message before it, not yet
// shown to be whole, is not stored; the next run reads both.
TEST(MailImportCancel, GivesUpASilentServerAndTheNextRunReadsEverything)
{
    DroppingPop3Server server({fixture("order_qp.eml"), fixture("order_base64.eml")}, 1, true,
                              true);
    ASSERT_NE(server.port(), 0);
    QTemporaryDir dir;
    InvoiceConnection db;
    QString error;
    ASSERT_TRUE(vq::test::openTestDatabase(db, SqlDialect::SQLite, dir.path(), &error))
        << error.toStdString();
    TMandant client = newClient();
    client.pop3 = QStringLiteral("127.0.0.1");
    client.port = server.port();
    client.username = QStringLiteral("shop");
    client.password = QStringLiteral("geheim");
    const int clientId = ClientStore(db).insertClient(client).value_or(0);
    ASSERT_NE(clientId, 0);

    // The user presses cancel while the run waits for the silent server.
    std::atomic_bool cancel{false};
    std::thread user([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        cancel = true;
    });
    MailImportObserver observer;
    observer.cancel = &cancel;
    QElapsedTimer clock;
    clock.start();
    const MailImportResult stopped = MailOrder(db, clientId).importOrders(observer);
    const qint64 waited = clock.elapsed();
    user.join();
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_TRUE(stopped.connected);
    EXPECT_EQ(stopped.message, QString::fromUtf16(kTextImportCancelled));
    EXPECT_TRUE(stopped.rows.isEmpty());
    EXPECT_TRUE(OrderStore(db).orderList(clientId).value().isEmpty());
    // Far below the 30 s a silent server is waited for otherwise.
    EXPECT_LT(waited, 15000);

    server.setDropAfter(1000);
    const MailImportResult rest = MailOrder(db, clientId).importOrders();
    EXPECT_TRUE(rest.ok) << rest.detail.toStdString();
    EXPECT_EQ(rest.rows.size(), 2);
    EXPECT_EQ(OrderStore(db).orderList(clientId).value().size(), 2);
}

const Break kBreaks[] = {
    {"BeforeTheThird", 2, false, 2},
    {"InsideTheThird", 2, true, 2},
    {"InsideTheLast", 3, true, 1},
};

INSTANTIATE_TEST_SUITE_P(Drops, BrokenConnectionTest, testing::ValuesIn(kBreaks),
                         [](const testing::TestParamInfo<Break> &info) {
                             return std::string(info.param.name);
                         });

// A server whose STAT names more messages than it lists: the run reads
// the messages there are and ends as a whole run, instead of asking for
// messages that do not exist (with a count in the billions it would plan a
// list of all of them first).
TEST(MailImportStat, ACountBeyondTheListedMessagesReadsThoseListed)
{
    DroppingPop3Server server({fixture("order_qp.eml"), fixture("order_base64.eml")}, 1000, false);
    ASSERT_NE(server.port(), 0);
    server.setStatCount(7);
    QTemporaryDir dir;
    InvoiceConnection db;
    QString error;
    ASSERT_TRUE(vq::test::openTestDatabase(db, SqlDialect::SQLite, dir.path(), &error))
        << error.toStdString();
    TMandant client = newClient();
    client.pop3 = QStringLiteral("127.0.0.1");
    client.port = server.port();
    client.username = QStringLiteral("shop");
    client.password = QStringLiteral("geheim");
    const int clientId = ClientStore(db).insertClient(client).value_or(0);
    ASSERT_NE(clientId, 0);

    QList<std::pair<int, int>> progress;
    MailImportObserver observer;
    observer.progress = [&](int done, int total) { progress << std::pair(done, total); };
    const MailImportResult result = MailOrder(db, clientId).importOrders(observer);
    EXPECT_TRUE(result.ok) << result.detail.toStdString();
    EXPECT_EQ(result.message, QString::fromUtf16(kTextSuccess));
    ASSERT_EQ(result.rows.size(), 2);
    EXPECT_EQ(result.rows[0].status, MailOrderStatus::Inserted);
    EXPECT_EQ(result.rows[1].status, MailOrderStatus::Inserted);
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.first(), std::pair(0, 2));
    EXPECT_EQ(progress.last(), std::pair(2, 2));
}

// A message marked with DELE is deleted by the server only at a logout it
// confirms. When the connection breaks at the logout the message stays in
// the mailbox: the deletion is reported as failed, so the window keeps its
// row, and a later deletion once the server answers goes through.
TEST(MailDelete, IsReportedDoneOnlyWhenTheServerConfirmedTheLogout)
{
    DroppingPop3Server server({fixture("order_qp.eml"), fixture("plain_mail.eml")}, 1000, false);
    ASSERT_NE(server.port(), 0);
    QTemporaryDir dir;
    InvoiceConnection db;
    QString error;
    ASSERT_TRUE(vq::test::openTestDatabase(db, SqlDialect::SQLite, dir.path(), &error))
        << error.toStdString();
    TMandant client = newClient();
    client.pop3 = QStringLiteral("127.0.0.1");
    client.port = server.port();
    client.username = QStringLiteral("shop");
    client.password = QStringLiteral("geheim");
    const int clientId = ClientStore(db).insertClient(client).value_or(0);
    ASSERT_NE(clientId, 0);
    MailOrderRow row;
    row.uidl = QStringLiteral("m1");
    row.number = 1;

    struct Case
    {
        const char *name;
        bool quitUnanswered;
        bool reportedDone;
        int deletedOnServer;
    };
    const Case cases[] = {
        {"logout not answered", true, false, 0},
        {"logout confirmed", false, true, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        server.setQuitUnanswered(c.quitUnanswered);
        QString message, detail;
        EXPECT_EQ(MailOrder(db, clientId).deleteMail(row, &message, &detail), c.reportedDone);
        EXPECT_EQ(message, c.reportedDone ? QString() : QString::fromUtf16(kTextDeleteError));
        EXPECT_EQ(server.deletedMessages(), c.deletedOnServer);
    }
}

// A server without UIDL refuses the command, and libcurl gives its
// connection up after a refusal: the run goes on in a new session instead of
// taking the new connection for a broken one, reads every mail each time
// and lists its rows by number.
TEST(MailImportWithoutUidl, ReadsEveryMailEachRunAndListsItByNumber)
{
    DroppingPop3Server server(
        {fixture("order_qp.eml"), fixture("plain_mail.eml"), fixture("order_base64.eml")}, 1000,
        false);
    ASSERT_NE(server.port(), 0);
    server.setWithoutUidl(true);
    QTemporaryDir dir;
    InvoiceConnection db;
    QString error;
    ASSERT_TRUE(vq::test::openTestDatabase(db, SqlDialect::SQLite, dir.path(), &error))
        << error.toStdString();
    TMandant client = newClient();
    client.pop3 = QStringLiteral("127.0.0.1");
    client.port = server.port();
    client.username = QStringLiteral("shop");
    client.password = QStringLiteral("geheim");
    const int clientId = ClientStore(db).insertClient(client).value_or(0);
    ASSERT_NE(clientId, 0);

    const MailOrderStatus inserted = MailOrderStatus::Inserted,
                          there = MailOrderStatus::AlreadyThere;
    for (const MailOrderStatus expected : {inserted, there}) {
        const MailImportResult run = MailOrder(db, clientId).importOrders();
        EXPECT_TRUE(run.ok) << run.detail.toStdString();
        EXPECT_EQ(run.message, QString::fromUtf16(kTextSuccess));
        EXPECT_EQ(run.fetched, 3);
        ASSERT_EQ(run.rows.size(), 2);
        EXPECT_EQ(run.rows[0].number, 1);
        EXPECT_EQ(run.rows[1].number, 3);
        for (const MailOrderRow &row : run.rows) {
            EXPECT_TRUE(row.uidl.isEmpty());
            EXPECT_EQ(row.status, expected);
        }
    }
    EXPECT_EQ(OrderStore(db).orderList(clientId).value().size(), 2);
}

// A server without UIDL: a row names its message by the number of the run
// that listed it. Once another device has deleted a message before it, that
// number names the next message; the deletion must not take that one.
TEST(MailDelete, WithoutUidlDeletesOnlyTheMessageTheRowWasListedFor)
{
    DroppingPop3Server server({fixture("order_qp.eml"), fixture("order_base64.eml")}, 1000, false);
    ASSERT_NE(server.port(), 0);
    server.setWithoutUidl(true);
    QTemporaryDir dir;
    InvoiceConnection db;
    QString error;
    ASSERT_TRUE(vq::test::openTestDatabase(db, SqlDialect::SQLite, dir.path(), &error))
        << error.toStdString();
    TMandant client = newClient();
    client.pop3 = QStringLiteral("127.0.0.1");
    client.port = server.port();
    client.username = QStringLiteral("shop");
    client.password = QStringLiteral("geheim");
    const int clientId = ClientStore(db).insertClient(client).value_or(0);
    ASSERT_NE(clientId, 0);
    const MailImportResult listed = MailOrder(db, clientId).importOrders();
    ASSERT_TRUE(listed.ok) << listed.detail.toStdString();
    ASSERT_EQ(listed.rows.size(), 2);
    ASSERT_TRUE(listed.rows[0].uidl.isEmpty());
    ASSERT_EQ(listed.rows[0].number, 1);

    // The first mail was deleted elsewhere: number 1 is the second one now.
    server.hideFirst(1);
    QString message, detail;
    EXPECT_FALSE(MailOrder(db, clientId).deleteMail(listed.rows[0], &message, &detail));
    EXPECT_EQ(message, QString::fromUtf16(kTextDeleteError));
    EXPECT_FALSE(detail.isEmpty());
    EXPECT_EQ(server.deletedMessages(), 0);

    // Where the number still names the listed mail, it is deleted.
    server.hideFirst(0);
    EXPECT_TRUE(MailOrder(db, clientId).deleteMail(listed.rows[1], &message, &detail))
        << detail.toStdString();
    EXPECT_EQ(server.deletedMessages(), 1);
}

} // namespace
