// Statements that fail report failure, on SQLite and PostgreSQL: no invoice
// number 1 from a number that cannot be read, no empty list in place of an
// error, no silent bookkeeping loss; what was stored before stays whole. The
// import run ends on such a failure with a German message.
#include "invoice/db/clients.h"
#include "invoice/db/invoice_number_store.h"
#include "invoice/db/mailbox_store.h"
#include "invoice/db/order_store.h"
#include "invoice/db/state_store.h"
#include "invoice/mail/uMailOrder.h"
#include "tests/invoice/invoice_servers.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace vq::invoice;

namespace {

class FailingStatementTest : public testing::TestWithParam<SqlDialect>
{
protected:
    static void TearDownTestSuite() { vq::test::stopSharedPostgres(); }

    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(vq::test::openTestDatabase(db, GetParam(), dir.path(), &error))
            << error.toStdString();
        TMandant c = newClient();
        c.firma = QStringLiteral("A");
        client = ClientStore(db).insertClient(c).value_or(0);
        TBestellung order;
        order.mandantId = client;
        order.rechNr = 7;
        order.uuid = QStringLiteral("vorher");
        order.zeit = QDateTime(QDate(2024, 5, 1), QTime(10, 0), Qt::UTC);
        orderId = OrderStore(db).insertOrder(order).value_or(0);
        TArtikel line;
        line.bestellungId = orderId;
        line.nr = QStringLiteral("A-1");
        line.anzahl = 2;
        line.preis = 10;
        line.mwst = 19;
        lineId = OrderStore(db).insertLine(line).value_or(0);
        TOption option;
        option.artikelId = lineId;
        option.name = QStringLiteral("Farbe");
        option.preis = 1;
        ASSERT_TRUE(OrderStore(db).insertOption(option));
        ASSERT_TRUE(
            MailboxStore(db).rememberMessages(client, kBox, {message(QStringLiteral("u1"))}));
        ASSERT_TRUE(client && orderId && lineId) << db.lastError().toStdString();
    }

    static KnownMessage message(const QString &uidl)
    {
        KnownMessage m;
        m.uidl = uidl;
        m.size = 100;
        return m;
    }

    // Everything the database holds, as text, to show that a failure changed nothing.
    QString snapshot()
    {
        QString text;
        for (const char *sql :
             {"SELECT Mandant_ID, Mandant_Firma FROM Mandant ORDER BY 1",
              "SELECT Bestellung_ID, Bestellung_RechNr, Bestellung_UUID FROM Bestellung ORDER BY 1",
              "SELECT Artikel_ID, Artikel_Nr, Artikel_Anzahl FROM Artikel ORDER BY 1",
              "SELECT Option_ID, Option_Name, Option_Preis FROM Optionen ORDER BY 1",
              "SELECT Nachricht_UIDL, Nachricht_Groesse FROM Nachricht ORDER BY 1",
              "SELECT ID, Status FROM Status ORDER BY 1"}) {
            QSqlQuery q(db.connection());
            EXPECT_TRUE(q.exec(QString::fromLatin1(sql)))
                << sql << q.lastError().text().toStdString();
            while (q.next())
                for (int i = 0; i < q.record().count(); ++i)
                    text += q.value(i).toString() + u'|';
            text += u'\n';
        }
        return text;
    }

    bool run(const QString &sql)
    {
        QSqlQuery q(db.connection());
        const bool ok = q.exec(sql);
        EXPECT_TRUE(ok) << sql.toStdString() << ": " << q.lastError().text().toStdString();
        return ok;
    }

    QString viewStatement(const char *name) const
    {
        for (const QString &statement : schemaStatements(GetParam()))
            if (statement.startsWith(QStringLiteral("CREATE VIEW ") + QString::fromLatin1(name)
                                     + u' '))
                return statement;
        return {};
    }

    const QString kBox = QStringLiteral("box");
    QTemporaryDir dir;
    InvoiceConnection db;
    int client = 0, orderId = 0, lineId = 0;
};

TEST_P(FailingStatementTest, EveryFailureReachesTheCallerAndChangesNothing)
{
    // A table or view out of the way makes every statement on it fail, as a
    // broken file, a revoked right or a lost server would.
    struct Case
    {
        const char *what;
        QString breakIt, mendIt;
        std::function<bool()> fails; // true when the call reported its failure
    };
    const auto failsWithReason = [&](bool failed) {
        EXPECT_FALSE(db.lastError().isEmpty());
        return failed && !db.lastError().isEmpty();
    };
    TBestellung newOrder;
    newOrder.uuid = QStringLiteral("neu");
    TArtikel newLine;
    newLine.anzahl = 1;
    const auto rename = [](const char *from, const char *to) {
        return QStringLiteral("ALTER TABLE %1 RENAME TO %2")
            .arg(QString::fromLatin1(from), QString::fromLatin1(to));
    };
    const Case cases[] = {
        {"mail invoice number", rename("Bestellung", "Weg"), rename("Weg", "Bestellung"),
         [&] { return failsWithReason(!InvoiceNumberStore(db).nextInvoiceNumberForMail()); }},
        {"client invoice number", rename("Bestellung", "Weg"), rename("Weg", "Bestellung"),
         [&] {
             return failsWithReason(!InvoiceNumberStore(db).nextInvoiceNumberForClient(client));
         }},
        {"uuid check", rename("Bestellung", "Weg"), rename("Weg", "Bestellung"),
         [&] {
             return failsWithReason(MailboxStore(db).countOrdersWithUuid(QStringLiteral("vorher"))
                                    < 0);
         }},
        {"store a mail order", rename("Bestellung", "Weg"), rename("Weg", "Bestellung"),
         [&] {
             const auto outcome = MailboxStore(db)
                                      .storeMailOrder(newOrder, {newLine}, client, kBox, nullptr)
                                      .outcome;
             return failsWithReason(outcome == MailOrderStore::Failed)
                    && db.transactionDepth() == 0;
         }},
        {"store a mail order that fails at its option", rename("Optionen", "Weg"),
         rename("Weg", "Optionen"),
         [&] {
             TArtikel withOption = newLine;
             withOption.optionen = {TOption()};
             const auto outcome = MailboxStore(db)
                                      .storeMailOrder(newOrder, {withOption}, client, kBox, nullptr)
                                      .outcome;
             return failsWithReason(outcome == MailOrderStore::Failed);
         }},
        {"orders of a client", rename("Bestellung", "Weg"), rename("Weg", "Bestellung"),
         [&] { return failsWithReason(!OrderStore(db).ordersOfClient(client)); }},
        {"one order", rename("Bestellung", "Weg"), rename("Weg", "Bestellung"),
         [&] { return failsWithReason(!OrderStore(db).order(orderId)); }},
        {"order list", QStringLiteral("DROP VIEW AbfMainWindowBest"),
         viewStatement("AbfMainWindowBest"),
         [&] { return failsWithReason(!OrderStore(db).orderList(client)); }},
        {"order list totals", rename("Optionen", "Weg"), rename("Weg", "Optionen"),
         [&] { return failsWithReason(!OrderStore(db).orderList(client)); }},
        {"lines", rename("Artikel", "Weg"), rename("Weg", "Artikel"),
         [&] { return failsWithReason(!OrderStore(db).linesOfOrder(orderId)); }},
        {"lines with their options", rename("Optionen", "Weg"), rename("Weg", "Optionen"),
         [&] { return failsWithReason(!OrderStore(db).linesWithOptions(orderId)); }},
        {"options of a line", rename("Optionen", "Weg"), rename("Weg", "Optionen"),
         [&] { return failsWithReason(!OrderStore(db).optionsOfLine(lineId)); }},
        {"clients", rename("Mandant", "Weg"), rename("Weg", "Mandant"),
         [&] { return failsWithReason(!ClientStore(db).clients()); }},
        {"one client", rename("Mandant", "Weg"), rename("Weg", "Mandant"),
         [&] { return failsWithReason(!ClientStore(db).client(client)); }},
        {"states", rename("Status", "Weg"), rename("Weg", "Status"),
         [&] { return failsWithReason(!StateStore(db).states()); }},
        {"known messages", rename("Nachricht", "Weg"), rename("Weg", "Nachricht"),
         [&] { return failsWithReason(!MailboxStore(db).knownMessages(client, kBox)); }},
        {"remember messages", rename("Nachricht", "Weg"), rename("Weg", "Nachricht"),
         [&] {
             return failsWithReason(!MailboxStore(db).rememberMessages(
                        client, kBox, {message(QStringLiteral("u2"))}))
                    && db.transactionDepth() == 0;
         }},
        {"forget messages", rename("Nachricht", "Weg"), rename("Weg", "Nachricht"),
         [&] {
             return failsWithReason(!MailboxStore(db).forgetMessagesExcept(
                        client, kBox, {message(QStringLiteral("u1"))}, {}))
                    && db.transactionDepth() == 0;
         }},
    };
    const QString before = snapshot();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(run(c.breakIt));
        EXPECT_TRUE(c.fails());
        ASSERT_TRUE(run(c.mendIt));
        EXPECT_EQ(snapshot(), before);
    }
    // Mended, everything works again on the same connection.
    EXPECT_EQ(InvoiceNumberStore(db).nextInvoiceNumberForMail(), 8);
    EXPECT_EQ(OrderStore(db).orderList(client).value().size(), 1);
    EXPECT_EQ(MailboxStore(db).knownMessages(client, kBox).value().size(), 1);
    EXPECT_EQ(MailboxStore(db).storeMailOrder(newOrder, {newLine}, client, kBox, nullptr).outcome,
              MailOrderStore::Stored);
}

INSTANTIATE_TEST_SUITE_P(Backends, FailingStatementTest,
                         testing::Values(SqlDialect::SQLite, SqlDialect::PostgreSQL),
                         [](const testing::TestParamInfo<SqlDialect> &info) {
                             return std::string(vq::test::dialectName(info.param));
                         });

// The import run against a database that fails ------------------------------------

TEST(ImportWithFailingDatabase, RunEndsWithTheDatabaseMessageAndKeepsWhatWasStored)
{
    vq::test::DovecotServer dovecot;
    QString error;
    ASSERT_TRUE(dovecot.start({QStringLiteral("shop:geheim")}, &error)) << error.toStdString();
    const auto mail = [](int n, const char *option) {
        const QByteArray b = QByteArray(option).toBase64();
        return "From: form@shop.example\nSubject: VQBESTMAIL " + QByteArray::number(n)
               + "\n\n<order><formdata><uuid>kaputt-" + QByteArray::number(n)
               + "</uuid><timestamp>0</timestamp></formdata><articles><article><price>MQ==</"
                 "price><vat>MTk=</vat>"
                 "<amount>MQ==</amount><options><option name=\""
               + b + "\" price=\"0\">" + b + "</option></options></article></articles></order>\n";
    };
    dovecot.addMessage(QStringLiteral("shop"), mail(1, "gut"));
    dovecot.addMessage(QStringLiteral("shop"), mail(2, "boom"));
    dovecot.addMessage(QStringLiteral("shop"), mail(3, "gut"));

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
    QSqlQuery q(db.connection());
    // The second order cannot be stored, as with a full disk.
    ASSERT_TRUE(q.exec(
        QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON Optionen "
                       "WHEN NEW.Option_Name = 'boom' BEGIN SELECT RAISE(ABORT, 'voll'); END")));

    const MailImportResult result = MailOrder(db, clientId).importOrders();
    EXPECT_FALSE(result.connected);
    EXPECT_EQ(result.message, QStringLiteral("Fehler beim Zugriff auf die Datenbank."));
    ASSERT_EQ(result.rows.size(), 2); // the run stopped at the order it could not store
    EXPECT_EQ(result.rows[0].status, MailOrderStatus::Inserted);
    EXPECT_EQ(result.rows[1].status, MailOrderStatus::StoreError);
    const auto orders = OrderStore(db).ordersOfClient(clientId);
    ASSERT_TRUE(orders);
    ASSERT_EQ(orders->size(), 1);
    EXPECT_EQ(orders->first().uuid, QStringLiteral("kaputt-1"));

    // Bookkeeping that cannot be read ends the run before any mail is stored.
    ASSERT_TRUE(q.exec(QStringLiteral("DROP TRIGGER refuse")));
    ASSERT_TRUE(q.exec(QStringLiteral("ALTER TABLE Nachricht RENAME TO Weg")));
    const MailImportResult unread = MailOrder(db, clientId).importOrders();
    EXPECT_FALSE(unread.connected);
    EXPECT_EQ(unread.message, QStringLiteral("Fehler beim Zugriff auf die Datenbank."));
    EXPECT_FALSE(unread.detail.isEmpty());
    EXPECT_EQ(OrderStore(db).ordersOfClient(clientId).value().size(), 1);

    ASSERT_TRUE(q.exec(QStringLiteral("ALTER TABLE Weg RENAME TO Nachricht")));
    const MailImportResult mended = MailOrder(db, clientId).importOrders();
    EXPECT_TRUE(mended.connected) << mended.detail.toStdString();
    EXPECT_EQ(OrderStore(db).ordersOfClient(clientId).value().size(), 3);
}

} // namespace
