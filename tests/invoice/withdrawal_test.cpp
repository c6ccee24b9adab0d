// Consumers' withdrawals on SQLite and PostgreSQL: which order a withdrawal
// finds, the state "Widerrufen" it gives the order, an older database that
// gets both by the upgrade, and withdrawal mails read by the import from a
// real Dovecot server.
#include "invoice/db/clients.h"
#include "invoice/db/order_store.h"
#include "invoice/db/state_store.h"
#include "invoice/db/withdrawal_store.h"
#include "invoice/mail/order_document.h"
#include "invoice/mail/uMailOrder.h"
#include "tests/invoice/invoice_servers.h"
#include "tests/test_support.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vq::invoice;

namespace {

class WithdrawalTest : public testing::TestWithParam<SqlDialect>
{
protected:
    static void TearDownTestSuite() { vq::test::stopSharedPostgres(); }

    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(vq::test::openTestDatabase(db, GetParam(), dir.path(), &error))
            << error.toStdString();
        shop = addClient(QStringLiteral("Shop"));
        other = addClient(QStringLiteral("Anderer"));
    }

    int addClient(const QString &firma)
    {
        TMandant client = newClient();
        client.firma = firma;
        client.pop3 = QStringLiteral("127.0.0.1");
        client.username = QStringLiteral("shop");
        client.password = QStringLiteral("geheim");
        const auto id = ClientStore(db).insertClient(client);
        EXPECT_TRUE(id) << db.lastError().toStdString();
        return id.value_or(0);
    }

    int addOrder(int client, const QString &uuid, const QString &email, const QDateTime &zeit)
    {
        TBestellung order;
        order.mandantId = client;
        order.uuid = uuid;
        order.email = email;
        order.zeit = zeit;
        const auto id = OrderStore(db).insertOrder(order);
        EXPECT_TRUE(id) << db.lastError().toStdString();
        return id.value_or(0);
    }

    QString stateOf(int orderId)
    {
        const QList<OrderListRow> rows = OrderStore(db).orderList(shop).value();
        for (const OrderListRow &row : rows)
            if (row.bestellungId == orderId)
                return row.statusBestellung;
        return {};
    }

    static TWiderruf withdrawal(const QString &uuid, const QString &number, const QString &email,
                                const QDate &date)
    {
        TWiderruf w;
        w.uuid = uuid;
        w.eingang = QDateTime(QDate(2026, 12, 10), QTime(14, 5, 9), Qt::UTC);
        w.name = QStringLiteral("Erika Mustermann");
        w.email = email;
        w.bestellnummer = number;
        w.bestelldatum = date;
        return w;
    }

    QTemporaryDir dir;
    InvoiceConnection db;
    int shop = 0;
    int other = 0;
};

TEST_P(WithdrawalTest, FindsItsOrderByNumberOrByAddressAndDateElseStaysUnmatched)
{
    const QDateTime day1(QDate(2026, 12, 1), QTime(10, 0), Qt::UTC);
    const QDateTime day2(QDate(2026, 12, 2), QTime(23, 59), Qt::UTC);
    const QDateTime day3(QDate(2026, 12, 3), QTime(8, 0), Qt::UTC);
    const int byNumber = addOrder(shop, QStringLiteral("aaaa-1111"), QString(), day1);
    const int byAddress = addOrder(shop, QString(), QStringLiteral("Kunde@Example.org"), day2);
    addOrder(shop, QString(), QStringLiteral("zwei@example.org"), day3);
    addOrder(shop, QString(), QStringLiteral("zwei@example.org"), day3.addSecs(3600));
    addOrder(other, QStringLiteral("bbbb-2222"), QStringLiteral("kunde@example.org"), day1);

    struct Case
    {
        const char *what;
        QString number, email;
        QDate date;
        std::optional<int> order;
    };
    const Case cases[] = {
        {"the order number, letter case and blanks aside", QStringLiteral(" AAAA-1111 "),
         QStringLiteral("x@example.org"), QDate(), byNumber},
        {"another client's order number", QStringLiteral("bbbb-2222"),
         QStringLiteral("x@example.org"), QDate(), std::nullopt},
        {"address and order date", QString(), QStringLiteral("kunde@example.org"),
         QDate(2026, 12, 2), byAddress},
        {"a wrong number, then address and date", QStringLiteral("zzzz"),
         QStringLiteral("KUNDE@example.org"), QDate(2026, 12, 2), byAddress},
        {"two orders of that address that day", QString(), QStringLiteral("zwei@example.org"),
         QDate(2026, 12, 3), std::nullopt},
        {"the address on another day", QString(), QStringLiteral("kunde@example.org"),
         QDate(2026, 12, 3), std::nullopt},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const WithdrawalStoreResult stored = WithdrawalStore(db).storeWithdrawal(
            withdrawal(QStringLiteral("w-%1").arg(++n), c.number, c.email, c.date), shop);
        EXPECT_EQ(stored.outcome,
                  c.order ? WithdrawalStoreResult::Matched : WithdrawalStoreResult::Unmatched)
            << db.lastError().toStdString();
        EXPECT_EQ(stored.bestellungId, c.order);
    }

    // The withdrawn orders show the state, the others keep theirs.
    EXPECT_EQ(stateOf(byNumber), QStringLiteral("Widerrufen"));
    EXPECT_EQ(stateOf(byAddress), QStringLiteral("Widerrufen"));
    EXPECT_EQ(OrderStore(db).order(byNumber)->status,
              WithdrawalStore(db).withdrawnStateId().value());
    // A write of the order: an editor that read it before does not overwrite it.
    QSqlQuery version(db.connection());
    ASSERT_TRUE(version.exec(
        QStringLiteral("SELECT Bestellung_Version FROM Bestellung WHERE Bestellung_ID = %1")
            .arg(byNumber)));
    ASSERT_TRUE(version.next());
    EXPECT_EQ(version.value(0).toInt(), 1);

    // The same withdrawal read again is one withdrawal.
    const WithdrawalStoreResult again = WithdrawalStore(db).storeWithdrawal(
        withdrawal(QStringLiteral("w-1"), QStringLiteral("aaaa-1111"), QString(), QDate()), shop);
    EXPECT_EQ(again.outcome, WithdrawalStoreResult::AlreadyThere);
    EXPECT_EQ(again.bestellungId, byNumber);

    const QList<TWiderruf> listed = WithdrawalStore(db).withdrawals(shop).value();
    ASSERT_EQ(listed.size(), int(std::size(cases)));
    const QList<TWiderruf> ofOrder = WithdrawalStore(db).withdrawalsOfOrder(byAddress).value();
    ASSERT_EQ(ofOrder.size(), 2);
    EXPECT_EQ(ofOrder[0].name, QStringLiteral("Erika Mustermann"));
    EXPECT_EQ(ofOrder[0].bestelldatum, QDate(2026, 12, 2));
    EXPECT_EQ(ofOrder[0].eingang, QDateTime(QDate(2026, 12, 10), QTime(14, 5, 9), Qt::UTC));
    EXPECT_EQ(WithdrawalStore(db).withdrawals(other).value().size(), 0);

    // A withdrawal without identifier is refused before the database is asked.
    EXPECT_EQ(
        WithdrawalStore(db)
            .storeWithdrawal(withdrawal(QString(), QStringLiteral("x"), QString(), QDate()), shop)
            .outcome,
        WithdrawalStoreResult::Refused);
}

// The state is found by its name; a user who deleted it gets it back with the
// next withdrawal, and a state the user renamed is not taken for it.
TEST_P(WithdrawalTest, StateWiderrufenIsThereAndComesBack)
{
    const auto states = StateStore(db).states().value();
    int withdrawn = 0;
    for (const StatusRow &state : states)
        withdrawn += state.status == u"Widerrufen";
    EXPECT_EQ(withdrawn, 1);
    const int id = WithdrawalStore(db).withdrawnStateId().value();
    ASSERT_TRUE(StateStore(db).renameState(id, QStringLiteral("Zurückgegeben")));
    const auto made = WithdrawalStore(db).withdrawnStateId();
    ASSERT_TRUE(made) << db.lastError().toStdString();
    EXPECT_NE(*made, id);
    EXPECT_EQ(WithdrawalStore(db).withdrawnStateId(), made);
}

// A database of schema version 8 gets the table and the state by the upgrade;
// its orders and states stay.
TEST_P(WithdrawalTest, OlderDatabaseGetsWithdrawalsByTheUpgrade)
{
    const int order = addOrder(shop, QStringLiteral("alt-1"), QString(), QDateTime());
    const vq::invoice::DatabaseLocation location = db.location();
    QSqlQuery q(db.connection());
    // Back to version 8: without the withdrawals and without what came after.
    QStringList back{QStringLiteral("DROP TABLE Widerruf"),
                     QStringLiteral("DELETE FROM Status WHERE Status = 'Widerrufen'")};
    if (GetParam() == SqlDialect::SQLite)
        back << QStringLiteral("DROP TRIGGER Bestellung_Ausgestellt_Aendern");
    for (const char *column : {"Bestellung_UStIdNr", "Bestellung_EMailERechnung",
                               "Bestellung_Steuerfall", "Bestellung_Lieferdatum"})
        back << QStringLiteral("ALTER TABLE Bestellung DROP COLUMN %1").arg(QLatin1String(column));
    for (const char *column :
         {"Mandant_Kleinunternehmer", "Mandant_SkontoTage", "Mandant_SkontoProzent"})
        back << QStringLiteral("ALTER TABLE Mandant DROP COLUMN %1").arg(QLatin1String(column));
    back << QStringLiteral("UPDATE Schemaversion SET Version = 8");
    for (const QString &statement : std::as_const(back))
        ASSERT_TRUE(q.exec(statement))
            << statement.toStdString() << ": " << q.lastError().text().toStdString();
    q = QSqlQuery();
    db.close();
    QString error;
    ASSERT_TRUE(vq::test::openTestLocation(db, location, &error)) << error.toStdString();
    QSqlQuery v(db.connection());
    ASSERT_TRUE(v.exec(QStringLiteral("SELECT Version FROM Schemaversion")));
    ASSERT_TRUE(v.next());
    EXPECT_EQ(v.value(0).toInt(), kSchemaVersion);
    v = QSqlQuery();
    const WithdrawalStoreResult stored = WithdrawalStore(db).storeWithdrawal(
        withdrawal(QStringLiteral("w-alt"), QStringLiteral("alt-1"), QString(), QDate()), shop);
    EXPECT_EQ(stored.outcome, WithdrawalStoreResult::Matched) << db.lastError().toStdString();
    EXPECT_EQ(stateOf(order), QStringLiteral("Widerrufen"));
}

INSTANTIATE_TEST_SUITE_P(Backends, WithdrawalTest,
                         testing::Values(SqlDialect::SQLite, SqlDialect::PostgreSQL),
                         [](const testing::TestParamInfo<SqlDialect> &info) {
                             return std::string(vq::test::dialectName(info.param));
                         });

// ---- the import

QByteArray withdrawalMail(const QString &uuid, const QByteArray &orderNumber,
                          const QString &signature = QString(),
                          const char *subject = "VQWIDERRUF Widerruf")
{
    const QByteArray document =
        "<withdrawal>\r\n<uuid>" + uuid.toUtf8()
        + "</uuid>\r\n<timestamp>1796941084</timestamp>\r\n"
          "<name>"
        + QByteArray("Erika Mustermann").toBase64() + "</name>\r\n<email>"
        + QByteArray("erika@kunde.example.org").toBase64() + "</email>\r\n<orderNumber>"
        + orderNumber.toBase64()
        + "</orderNumber>\r\n<reason></reason>\r\n<orderDate></orderDate>\r\n"
          "<company>127.0.0.1</company>\r\n</withdrawal>\r\n";
    QByteArray mail = "From: formmailer@shop.example\r\nTo: eingang@shop.example\r\nSubject: "
                      + QByteArray(subject)
                      + "\r\nDate: Thu, 10 Dec 2026 14:05:09 +0100\r\nContent-Type: text/plain; "
                        "charset=UTF-8\r\n";
    if (!signature.isEmpty())
        mail += "X-VQ-Signature: " + signature.toLatin1() + "\r\n";
    return mail + "\r\n" + document;
}

class WithdrawalImportTest : public testing::TestWithParam<SqlDialect>
{
protected:
    static void TearDownTestSuite() { vq::test::stopSharedPostgres(); }
};

TEST_P(WithdrawalImportTest, WithdrawalMailsAreStoredListedAndReadOnce)
{
    QTemporaryDir dir;
    vq::test::DovecotServer dovecot;
    InvoiceConnection db;
    QString error;
    ASSERT_TRUE(dovecot.start({QStringLiteral("shop:geheim")}, &error)) << error.toStdString();
    ASSERT_TRUE(vq::test::openTestDatabase(db, GetParam(), dir.path(), &error))
        << error.toStdString();
    TMandant client = newClient();
    client.firma = QStringLiteral("Shop");
    client.pop3 = QStringLiteral("127.0.0.1");
    client.port = dovecot.port();
    client.username = QStringLiteral("shop");
    client.password = QStringLiteral("geheim");
    const int clientId = ClientStore(db).insertClient(client).value();
    TBestellung order;
    order.mandantId = clientId;
    order.uuid = QStringLiteral("7ca6c466-56d2-473b-b2aa-84a9371ded1a");
    const int orderId = OrderStore(db).insertOrder(order).value();

    dovecot.addMessage(QStringLiteral("shop"),
                       withdrawalMail(QStringLiteral("w-1"), order.uuid.toUtf8()));
    dovecot.addMessage(QStringLiteral("shop"),
                       withdrawalMail(QStringLiteral("w-2"), "unbekannt-1"));
    dovecot.addMessage(QStringLiteral("shop"), withdrawalMail(QString(), "x"));
    // The marker in lower case is no withdrawal mail.
    dovecot.addMessage(QStringLiteral("shop"),
                       withdrawalMail(QStringLiteral("w-3"), "x", {}, "vqwiderruf Widerruf"));

    const MailImportResult first = MailOrder(db, clientId).importOrders();
    ASSERT_TRUE(first.ok) << first.detail.toStdString();
    ASSERT_EQ(first.rows.size(), 3);
    EXPECT_EQ(first.rows[0].status, MailOrderStatus::WithdrawalMatched);
    EXPECT_EQ(first.rows[0].statusText(), QStringLiteral("Widerruf zur Bestellung gespeichert."));
    EXPECT_EQ(first.rows[0].withdrawnOrderId, orderId);
    EXPECT_TRUE(first.rows[0].withdrawal);
    EXPECT_EQ(first.rows[1].status, MailOrderStatus::WithdrawalUnmatched);
    EXPECT_EQ(first.rows[2].status, MailOrderStatus::DocumentError);
    EXPECT_EQ(OrderStore(db).order(orderId)->status,
              WithdrawalStore(db).withdrawnStateId().value());
    EXPECT_EQ(WithdrawalStore(db).withdrawals(clientId).value().size(), 2);

    // A later run knows the mails and fetches none of them again.
    const MailImportResult second = MailOrder(db, clientId).importOrders();
    ASSERT_TRUE(second.ok);
    EXPECT_EQ(second.fetched, 0);
    ASSERT_EQ(second.rows.size(), 3);
    EXPECT_EQ(second.rows[0].status, MailOrderStatus::AlreadyThere);
    EXPECT_TRUE(second.rows[0].withdrawal);
    EXPECT_EQ(WithdrawalStore(db).withdrawals(clientId).value().size(), 2);

    // With an order secret only signed withdrawal mails count.
    client = *ClientStore(db).client(clientId);
    client.bestellgeheimnis = QStringLiteral("geheim-0123456789");
    ASSERT_TRUE(ClientStore(db).updateClient(client));
    const QByteArray unsigned_ = withdrawalMail(QStringLiteral("w-4"), "x");
    dovecot.addMessage(QStringLiteral("shop"), unsigned_);
    QByteArray body = unsigned_.mid(unsigned_.indexOf("\r\n\r\n") + 4);
    dovecot.addMessage(QStringLiteral("shop"),
                       withdrawalMail(QStringLiteral("w-5"), "x",
                                      orderSignature(body.replace("w-4", "w-5"),
                                                     QStringLiteral("geheim-0123456789"))));
    const MailImportResult third = MailOrder(db, clientId).importOrders();
    ASSERT_TRUE(third.ok);
    ASSERT_EQ(third.rows.size(), 5);
    EXPECT_EQ(third.rows[3].status, MailOrderStatus::NotSigned);
    EXPECT_EQ(third.rows[4].status, MailOrderStatus::WithdrawalUnmatched);
}

INSTANTIATE_TEST_SUITE_P(Backends, WithdrawalImportTest,
                         testing::Values(SqlDialect::SQLite, SqlDialect::PostgreSQL),
                         [](const testing::TestParamInfo<SqlDialect> &info) {
                             return std::string(vq::test::dialectName(info.param));
                         });

} // namespace
