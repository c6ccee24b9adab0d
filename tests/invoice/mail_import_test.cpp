// The order-mail import against a real Dovecot POP3 server on 127.0.0.1, into
// SQLite and PostgreSQL: order mails in quoted-printable, base64 and 8bit,
// mails that are no order mails, a duplicate, a damaged document, an empty
// mailbox, a refused login, deleting by unique id, and later runs that fetch
// only new messages. The command line runs the same import.
#include "clients.h"
#include "invoice_servers.h"
#include "test_support.h"
#include "uMailOrder.h"

#include <QDir>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vq::invoice;

namespace {

QByteArray fixture(const char *name)
{
    return vq::test::readFile(vq::test::fixturePath(QStringLiteral("invoice/") + QString::fromLatin1(name)));
}

// Mailbox in this order: three order mails, two mails that are none, a
// duplicate, a damaged document and an order mail with a MIME-encoded subject.
const char *const kMailbox[] = {"order_qp.eml",        "plain_mail.eml",      "order_base64.eml",
                                "lowercase_marker.eml", "order_8bit.eml",      "order_duplicate.eml",
                                "order_damaged.eml",    "order_encoded_subject.eml"};

class MailImportFixture : public testing::Test
{
protected:
    virtual SqlDialect dialect() const { return SqlDialect::SQLite; }
    static void TearDownTestSuite() { vq::test::stopSharedPostgres(); }

    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(dovecot.start({QStringLiteral("shop:geheim"), QStringLiteral("zweiter:pass")}, &error))
            << error.toStdString();
        ASSERT_TRUE(vq::test::openTestDatabase(db, dialect(), dir.path(), &error)) << error.toStdString();
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
        const auto id = db.insertClient(client);
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
    TInvoiceDatabase db;
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
    const MailImportResult first = TMailOrder(db, clientId).importOrders();
    ASSERT_TRUE(first.connected) << first.detail.toStdString() << dovecot.log().toStdString();
    EXPECT_EQ(first.message, QStringLiteral("Das E-Mail-Postfach wurde erfolgreich auf Bestellungen ausgelesen."));
    // Only order mails get a row; the marker in lower case is none.
    const QStringList expected{QStringLiteral("Bestellung VQBESTMAIL: In Datenbank eingefügt."),
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
    EXPECT_EQ(qp.size, fixture("order_qp.eml").size() + fixture("order_qp.eml").count('\n')); // CR LF on the wire
    EXPECT_EQ(first.rows[2].number, 5);

    // The stored orders: numbered by the mail rule, state 1, this client, values decoded.
    const QList<OrderListRow> list = db.orderList(clientId).value();
    ASSERT_EQ(list.size(), 4);
    const auto byUuid = [&](const char *uuid) {
        const QList<TBestellung> orders = db.ordersOfClient(clientId).value();
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
    const QList<TArtikel> lines = db.linesOfOrder(byUuid("b64-0002").id).value();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[1].preis, 12.5);
    EXPECT_TRUE(db.optionsOfLine(lines[1].id).value().isEmpty());
    EXPECT_FALSE(db.optionsOfLine(lines[0].id).value().first().preis); // price 0: none
    EXPECT_EQ(db.optionsOfLine(lines[2].id).value().first().preis, 0.5);
    EXPECT_EQ(count("Bestellung"), 4);
    EXPECT_EQ(count("Artikel"), 6);
    EXPECT_EQ(count("Optionen"), 8);

    // Second run: only the damaged mail, which was not remembered, is fetched again.
    const MailImportResult second = TMailOrder(db, clientId).importOrders();
    ASSERT_TRUE(second.connected);
    EXPECT_EQ(second.fetched, 1);
    QStringList again = expected;
    for (int i : {0, 1, 2, 5})
        again[i].replace(QStringLiteral("In Datenbank eingefügt."), QStringLiteral("Bereits in DB vorhanden."));
    EXPECT_EQ(statuses(second), again);
    EXPECT_EQ(second.rows[0].sender, qp.sender);
    EXPECT_EQ(second.rows[0].date, qp.date);
    EXPECT_EQ(second.rows[0].size, qp.size);
    EXPECT_EQ(count("Bestellung"), 4);

    // A new mail arrives, and an order is deleted by the user: both are read.
    dovecot.addMessage(QStringLiteral("shop"),
                       fixture("order_8bit.eml").replace("8bit-0003", "8bit-0008").replace("Subject: VQBESTMAIL",
                                                                                           "Subject: VQBESTMAIL neu"));
    ASSERT_TRUE(db.deleteOrder(byUuid("b64-0002").id));
    const MailImportResult third = TMailOrder(db, clientId).importOrders();
    ASSERT_TRUE(third.connected);
    EXPECT_EQ(third.fetched, 3);
    ASSERT_EQ(third.rows.size(), 7);
    EXPECT_EQ(third.rows[1].status, MailOrderStatus::Inserted);
    EXPECT_EQ(third.rows[6].status, MailOrderStatus::Inserted);
    EXPECT_EQ(count("Bestellung"), 5);
}

TEST_P(MailImportTest, RefusedLoginChangesNothing)
{
    fillMailbox();
    ASSERT_TRUE(TMailOrder(db, clientId).importOrders().connected);
    TMandant client = *db.client(clientId);
    client.password = QStringLiteral("falsch");
    ASSERT_TRUE(db.updateClient(client));
    const MailImportResult result = TMailOrder(db, clientId).importOrders();
    EXPECT_FALSE(result.connected);
    EXPECT_EQ(result.message,
              QStringLiteral("Fehler beim Verbinden mit dem Mailserver, bitte prüfen Sie Ihre Einstellungen."));
    EXPECT_TRUE(result.rows.isEmpty());
    EXPECT_EQ(count("Bestellung"), 4);
    EXPECT_EQ(count("Nachricht"), 7); // what the first run learned stays
}

INSTANTIATE_TEST_SUITE_P(Backends, MailImportTest, testing::Values(SqlDialect::SQLite, SqlDialect::PostgreSQL),
                         [](const testing::TestParamInfo<SqlDialect> &info) {
                             return std::string(vq::test::dialectName(info.param));
                         });

using MailImportSQLiteTest = MailImportFixture;

TEST_F(MailImportSQLiteTest, EmptyMailboxAndUnreachableServer)
{
    const MailImportResult empty = TMailOrder(db, clientId).importOrders();
    EXPECT_TRUE(empty.connected) << empty.detail.toStdString();
    EXPECT_TRUE(empty.rows.isEmpty());
    EXPECT_EQ(empty.message, QStringLiteral("Das E-Mail-Postfach wurde erfolgreich auf Bestellungen ausgelesen."));

    TMandant client = *db.client(clientId);
    client.port = vq::test::freeLocalPort();
    ASSERT_TRUE(db.updateClient(client));
    const MailImportResult unreachable = TMailOrder(db, clientId).importOrders();
    EXPECT_FALSE(unreachable.connected);
    EXPECT_EQ(unreachable.messages,
              QStringList{QStringLiteral("Fehler beim Verbinden mit dem Mailserver, bitte prüfen Sie Ihre Einstellungen.")});
}

TEST_F(MailImportSQLiteTest, SameOrderInAnotherClientsMailboxIsAlreadyThere)
{
    dovecot.addMessage(QStringLiteral("shop"), fixture("order_qp.eml"));
    dovecot.addMessage(QStringLiteral("zweiter"), fixture("order_duplicate.eml"));
    const int second = addClient(QStringLiteral("zweiter"), QStringLiteral("pass"));
    ASSERT_EQ(TMailOrder(db, clientId).importOrders().rows.first().status, MailOrderStatus::Inserted);
    const MailImportResult result = TMailOrder(db, second).importOrders();
    ASSERT_EQ(result.rows.size(), 1);
    EXPECT_EQ(result.rows.first().status, MailOrderStatus::AlreadyThere);
    EXPECT_TRUE(db.orderList(second).value().isEmpty());
}

TEST_F(MailImportSQLiteTest, OrderThatCannotBeStoredLeavesNothingAndIsReadAgain)
{
    dovecot.addMessage(QStringLiteral("shop"), fixture("order_base64.eml"));
    QSqlQuery q(db.connection());
    // The third line's option is refused, after the order and two lines went in.
    ASSERT_TRUE(q.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON Optionen "
                                      "WHEN NEW.Option_Wert = 'fein' BEGIN SELECT RAISE(ABORT, 'voll'); END")));
    const MailImportResult failed = TMailOrder(db, clientId).importOrders();
    ASSERT_EQ(failed.rows.size(), 1);
    EXPECT_EQ(failed.rows.first().status, MailOrderStatus::StoreError);
    EXPECT_EQ(count("Bestellung"), 0);
    EXPECT_EQ(count("Artikel"), 0);
    EXPECT_EQ(count("Optionen"), 0);

    ASSERT_TRUE(q.exec(QStringLiteral("DROP TRIGGER refuse")));
    const MailImportResult retried = TMailOrder(db, clientId).importOrders();
    ASSERT_EQ(retried.rows.size(), 1);
    EXPECT_EQ(retried.rows.first().status, MailOrderStatus::Inserted);
    EXPECT_EQ(count("Artikel"), 3);
}

TEST_F(MailImportSQLiteTest, DeletesTheMarkedMailByItsUniqueId)
{
    fillMailbox();
    const MailImportResult result = TMailOrder(db, clientId).importOrders();
    ASSERT_EQ(result.rows.size(), 6);
    // Deleting the first row renumbers the messages behind it on the next
    // connection; the second delete must still hit its own mail.
    QString message;
    ASSERT_TRUE(TMailOrder(db, clientId).deleteMail(result.rows[0], &message));
    ASSERT_TRUE(TMailOrder(db, clientId).deleteMail(result.rows[1], &message));
    EXPECT_EQ(dovecot.messageCount(QStringLiteral("shop")), 6);

    const MailImportResult after = TMailOrder(db, clientId).importOrders();
    QStringList subjects;
    for (const MailOrderRow &row : after.rows)
        subjects << row.subject;
    EXPECT_EQ(subjects, (QStringList{QStringLiteral("VQBESTMAIL"), QStringLiteral("VQBESTMAIL erneut"),
                                     QStringLiteral("VQBESTMAIL defekt"), QStringLiteral("Bestellung für VQBESTMAIL")}));
    // Orders stay when their mail is deleted.
    EXPECT_EQ(count("Bestellung"), 4);

    // A mail that is gone cannot be deleted again; the row would stay.
    EXPECT_FALSE(TMailOrder(db, clientId).deleteMail(result.rows[0], &message));
    EXPECT_EQ(message, QStringLiteral("Fehler beim löschen der Nachricht"));
}

TEST(MailOrderRow, SizeInWholeKilobytes)
{
    const std::pair<qint64, const char *> cases[] = {{0, "0 kb"}, {1023, "0 kb"}, {1024, "1 kb"}, {2048, "2 kb"},
                                                      {5000, "4 kb"}};
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
        process.start(QStringLiteral(VQ_PROGRAM_DIR "/rechtool/vq_bestell_rechnung"),
                      arguments + QStringList{QStringLiteral("--database"), vq::test::lastTestDatabaseUrl()});
        process.waitForFinished(60000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
    }
};

TEST_F(CommandLineTest, ImportPrintsOneLinePerOrderMailAndExitsByOutcome)
{
    fillMailbox();
    db.close(); // the program opens the file itself
    Outcome ok = run({QStringLiteral("--import"), QStringLiteral("--client"), QString::number(clientId)});
    ASSERT_EQ(ok.exitCode, 0) << ok.err.toStdString();
    const QStringList lines = ok.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 8) << lines.join(u'\n').toStdString();
    const QStringList first = lines[0].split(u'\t');
    ASSERT_EQ(first.size(), 6);
    EXPECT_EQ(first.mid(0, 5), (QStringList{QStringLiteral("bestellung@shop.example"),
                                            QStringLiteral("Bestellung VQBESTMAIL"), QStringLiteral("1 kb"),
                                            QStringLiteral("15.01.24"), QStringLiteral("In Datenbank eingefügt.")}));
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral("broken@shop.example\tVQBESTMAIL defekt\t0 kb\t19.01.24\t"
                                                   "Fehler beim XML-Parsing: ")));
    EXPECT_EQ(lines[6], QStringLiteral("Das E-Mail-Postfach wurde erfolgreich auf Bestellungen ausgelesen."));
    EXPECT_EQ(lines[7], QStringLiteral("4 Bestellungen eingefügt, 1 bereits vorhanden, 1 fehlerhaft."));

    // The mail of a line is deleted by its unique id, and only once.
    const QStringList deleteArguments{QStringLiteral("--delete"), first[5], QStringLiteral("--client"),
                                      QString::number(clientId)};
    EXPECT_EQ(run(deleteArguments).exitCode, 0);
    EXPECT_EQ(dovecot.messageCount(QStringLiteral("shop")), 7);
    const Outcome again = run(deleteArguments);
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.err.startsWith(QStringLiteral("Fehler beim löschen der Nachricht"))) << again.err.toStdString();

    // Refused login: the German message and exit code 1.
    QString error;
    ASSERT_TRUE(vq::test::openTestDatabase(db, SqlDialect::SQLite, dir.path(), &error));
    TMandant client = *db.client(clientId);
    client.password = QStringLiteral("falsch");
    ASSERT_TRUE(db.updateClient(client));
    db.close();
    Outcome refused = run({QStringLiteral("--import"), QStringLiteral("--client"), QString::number(clientId)});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.startsWith(QStringLiteral("Fehler beim Verbinden mit dem Mailserver, bitte prüfen Sie Ihre "
                                               "Einstellungen.")));

    Outcome unknown = run({QStringLiteral("--import"), QStringLiteral("--client"), QStringLiteral("99")});
    EXPECT_EQ(unknown.exitCode, 2);
}

} // namespace

namespace {

// The POP3 client over TLS: POP3S from the start and STLS on the plain port.
TEST(Pop3Client, LogsInPlainWithPop3sAndWithStls)
{
    vq::test::DovecotServer dovecot;
    QString error;
    ASSERT_TRUE(dovecot.start({QStringLiteral("shop:geheim")}, &error, true)) << error.toStdString();
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
        Pop3Account account{QStringLiteral("127.0.0.1"), c.port, QStringLiteral("shop"), QStringLiteral("geheim"),
                            c.security, c.verify, 10};
        TPop3Client pop3(account);
        const auto count = pop3.stat();
        ASSERT_EQ(count.has_value(), c.succeeds) << int(c.security) << pop3.lastError().toStdString();
        if (!c.succeeds)
            continue;
        EXPECT_EQ(*count, 1);
        const auto mail = pop3.retr(1);
        ASSERT_TRUE(mail);
        EXPECT_TRUE(mail->contains("Nur eine normale Nachricht."));
    }
}

} // namespace
