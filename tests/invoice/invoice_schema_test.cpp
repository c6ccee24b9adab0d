// The schema of the invoice database on SQLite and PostgreSQL: a database of
// the first version is upgraded in place with every row kept, an upgrade that
// fails leaves it as it was, and a database of a newer version is refused.
#include "invoice/db/clients.h"
#include "invoice/db/invoice_connection.h"
#include "invoice/db/mailbox_store.h"
#include "invoice/db/order_store.h"
#include "tests/invoice/invoice_servers.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vq::invoice;

namespace {

const QString kPlain = QStringLiteral("plain");

// Tables with their columns and the indexes, as text, to compare two databases.
QStringList schemaShape(QSqlDatabase db, SqlDialect dialect)
{
    QSqlQuery q(db);
    const bool ok =
        dialect == SqlDialect::SQLite
            ? q.exec(
                QStringLiteral("SELECT lower(m.name || '.' || p.name) FROM sqlite_master m, "
                               "pragma_table_info(m.name) p "
                               "WHERE m.type IN ('table', 'view') AND m.name NOT LIKE 'sqlite%' "
                               "UNION ALL SELECT lower('index ' || name) FROM sqlite_master "
                               "WHERE type = 'index' AND name NOT LIKE 'sqlite%' ORDER BY 1"))
            : q.exec(QStringLiteral(
                "SELECT lower(table_name || '.' || column_name) FROM information_schema.columns "
                "WHERE table_schema = current_schema() "
                "UNION ALL SELECT lower('index ' || indexname) FROM pg_indexes "
                "WHERE schemaname = current_schema() AND indexname NOT LIKE '%pkey' "
                "AND indexname NOT LIKE '%_key' ORDER BY 1"));
    EXPECT_TRUE(ok) << q.lastError().text().toStdString();
    QStringList shape;
    while (q.next())
        shape << q.value(0).toString();
    return shape;
}

int scalar(QSqlDatabase db, const QString &sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql) || !q.next()) {
        ADD_FAILURE() << sql.toStdString() << ": " << q.lastError().text().toStdString();
        return -1;
    }
    return q.value(0).toInt();
}

class SchemaUpgradeTest : public testing::TestWithParam<SqlDialect>
{
protected:
    static void TearDownTestSuite() { vq::test::stopSharedPostgres(); }

    void TearDown() override { QSqlDatabase::removeDatabase(kPlain); }

    // A database as the first version left it: two orders stored twice by
    // imports that ran at once, orders typed in without identifier, lines,
    // options and remembered messages.
    DatabaseLocation firstVersionDatabase(const QStringList &extra = {})
    {
        QString error;
        const auto location = vq::test::emptyTestDatabase(GetParam(), dir.path(), &error);
        EXPECT_TRUE(location) << error.toStdString();
        {
            QSqlDatabase plain = vq::test::openPlainConnection(*location, kPlain, &error);
            EXPECT_TRUE(plain.isOpen()) << error.toStdString();
            QStringList statements = schemaStatements(GetParam(), 1);
            statements << QStringLiteral("INSERT INTO Mandant (Mandant_Firma) VALUES ('A')")
                       << QStringLiteral("INSERT INTO Mandant (Mandant_Firma) VALUES ('B')");
            const char *orders[][4] = {
                // client, invoice number, uuid, remark
                {"1", "1", "'a'", "NULL"},      {"1", "2", "'b'", "NULL"},
                {"2", "3", "'a'", "'bezahlt'"}, {"1", "4", "''", "NULL"},
                {"1", "5", "''", "NULL"},       {"2", "6", "NULL", "NULL"},
                {"1", "7", "'b'", "NULL"},      {"2", "NULL", "'a'", "NULL"},
            };
            for (const auto &o : orders)
                statements
                    << QStringLiteral(
                           "INSERT INTO Bestellung (Bestellung_MandantID, Bestellung_RechNr, "
                           "Bestellung_UUID, Bestellung_Bemerkung) VALUES (%1, %2, %3, %4)")
                           .arg(QString::fromLatin1(o[0]), QString::fromLatin1(o[1]),
                                QString::fromLatin1(o[2]), QString::fromLatin1(o[3]));
            statements
                << QStringLiteral(
                       "INSERT INTO Artikel (Artikel_BestellungID, Artikel_Nr, Artikel_Anzahl, "
                       "Artikel_Preis, Artikel_Mwst) VALUES (1, 'x', 2, 11.9, 19)")
                << QStringLiteral(
                       "INSERT INTO Artikel (Artikel_BestellungID, Artikel_Nr, Artikel_Anzahl, "
                       "Artikel_Preis, Artikel_Mwst) VALUES (3, 'x', 2, 11.9, 19)")
                << QStringLiteral(
                       "INSERT INTO Optionen (Option_ArtikelID, Option_Name, Option_Wert, "
                       "Option_Preis) VALUES (1, 'Farbe', 'rot', 1.19)")
                << QStringLiteral(
                       "INSERT INTO Nachricht (Nachricht_MandantID, Nachricht_Postfach, "
                       "Nachricht_UIDL, Nachricht_Bestellmail, Nachricht_UUID, Nachricht_Groesse) "
                       "VALUES (1, 'box', 'u1', 1, 'a', 1234)")
                << QStringLiteral("INSERT INTO Nachricht (Nachricht_MandantID, Nachricht_Postfach, "
                                  "Nachricht_UIDL, Nachricht_Bestellmail, Nachricht_Groesse) "
                                  "VALUES (1, 'box', 'u2', 0, 0)");
            statements << extra;
            EXPECT_TRUE(vq::test::execAll(plain, statements, &error)) << error.toStdString();
            plain.close();
        }
        QSqlDatabase::removeDatabase(kPlain);
        return *location;
    }

    QTemporaryDir dir;
};

TEST_P(SchemaUpgradeTest, FirstVersionIsUpgradedInPlaceWithEveryRow)
{
    const DatabaseLocation location = firstVersionDatabase();
    InvoiceConnection db;
    QString error;
    ASSERT_TRUE(vq::test::openTestLocation(db, location, &error)) << error.toStdString();
    QSqlDatabase c = db.connection();
    EXPECT_EQ(scalar(c, QStringLiteral("SELECT Version FROM Schemaversion")), kSchemaVersion);
    EXPECT_EQ(scalar(c, QStringLiteral("SELECT COUNT(*) FROM Schemaversion")), 1);
    EXPECT_EQ(scalar(c, QStringLiteral("SELECT COUNT(*) FROM Mandant")), 2);
    EXPECT_EQ(scalar(c, QStringLiteral("SELECT COUNT(*) FROM Bestellung")), 8);
    EXPECT_EQ(scalar(c, QStringLiteral("SELECT COUNT(*) FROM Artikel")), 2);
    EXPECT_EQ(scalar(c, QStringLiteral("SELECT COUNT(*) FROM Optionen")), 1);
    EXPECT_EQ(scalar(c, QStringLiteral("SELECT COUNT(*) FROM Nachricht")), 2);

    // The first copy of an order keeps its identifier; later copies keep
    // everything else and say which invoice the order went out with first.
    struct Expected
    {
        int id;
        QString uuid, bemerkung;
    };
    const Expected expected[] = {
        {1, QStringLiteral("a"), QString()},
        {2, QStringLiteral("b"), QString()},
        {3, QString(),
         QStringLiteral("bezahlt\r\nDoppelt eingelesen: dieselbe Bestellung (Kennung a) ist schon "
                        "als Rechnung Nr. 1 "
                        "gespeichert.")},
        {7, QString(),
         QStringLiteral("Doppelt eingelesen: dieselbe Bestellung (Kennung b) ist schon als "
                        "Rechnung Nr. 2 gespeichert.")},
        {8, QString(),
         QStringLiteral("Doppelt eingelesen: dieselbe Bestellung (Kennung a) ist schon als "
                        "Rechnung Nr. 1 gespeichert.")},
    };
    for (const Expected &e : expected) {
        const auto order = OrderStore(db).order(e.id);
        ASSERT_TRUE(order) << e.id;
        EXPECT_EQ(order->uuid, e.uuid) << e.id;
        EXPECT_EQ(order->bemerkung, e.bemerkung) << e.id;
    }
    EXPECT_EQ(OrderStore(db).order(3)->rechNr, 3);
    EXPECT_EQ(OrderStore(db).order(8)->rechNr, std::nullopt);
    EXPECT_EQ(OrderStore(db).linesOfOrder(3).value().size(), 1);
    EXPECT_EQ(MailboxStore(db).countOrdersWithUuid(QStringLiteral("a")), 1);

    // Identifiers are unique now, whoever writes; orders without one are not limited.
    QSqlQuery raw(c);
    EXPECT_FALSE(raw.exec(QStringLiteral(
        "INSERT INTO Bestellung (Bestellung_MandantID, Bestellung_UUID) VALUES (1, 'b')")));
    EXPECT_TRUE(raw.exec(QStringLiteral(
        "INSERT INTO Bestellung (Bestellung_MandantID, Bestellung_UUID) VALUES (1, '')")))
        << raw.lastError().text().toStdString();

    // Remembered sizes are kept; an order mail's id is the same message only at its size.
    const QList<KnownMessage> known =
        MailboxStore(db).knownMessages(1, QStringLiteral("box")).value();
    ASSERT_EQ(known.size(), 2);
    for (const KnownMessage &m : known) {
        EXPECT_EQ(m.size, m.orderMail ? 1234 : 0) << m.uidl.toStdString();
        EXPECT_EQ(m.sameMessage(1234), m.orderMail) << m.uidl.toStdString();
    }

    // The client's order secret is there, empty, and kept when written.
    TMandant client = *ClientStore(db).client(1);
    EXPECT_EQ(client.firma, QStringLiteral("A"));
    EXPECT_TRUE(client.bestellgeheimnis.isEmpty());
    client.bestellgeheimnis = QStringLiteral("s3cr€t");
    ASSERT_TRUE(ClientStore(db).updateClient(client)) << db.lastError().toStdString();
    EXPECT_EQ(ClientStore(db).client(1)->bestellgeheimnis, QStringLiteral("s3cr€t"));

    // The same schema as a database made new.
    const QStringList upgraded = schemaShape(c, GetParam());
    raw = QSqlQuery();
    c = QSqlDatabase();
    db.close();
    QTemporaryDir otherDir;
    InvoiceConnection fresh;
    ASSERT_TRUE(vq::test::openTestDatabase(fresh, GetParam(), otherDir.path(), &error))
        << error.toStdString();
    EXPECT_EQ(schemaShape(fresh.connection(), GetParam()), upgraded);
    fresh.close();

    // Opening again changes nothing.
    ASSERT_TRUE(vq::test::openTestLocation(db, location, &error)) << error.toStdString();
    EXPECT_EQ(OrderStore(db).order(3)->bemerkung, expected[2].bemerkung);
    EXPECT_EQ(ClientStore(db).client(1)->bestellgeheimnis, QStringLiteral("s3cr€t"));
}

TEST_P(SchemaUpgradeTest, FailedUpgradeLeavesTheFirstVersionWhole)
{
    // An index of the user's own under the name the upgrade needs makes it fail half-way.
    const DatabaseLocation location = firstVersionDatabase(
        {QStringLiteral("CREATE INDEX Bestellung_UUID_Eindeutig ON Artikel (Artikel_Nr)")});
    InvoiceConnection db;
    QString error;
    EXPECT_FALSE(vq::test::openTestLocation(db, location, &error));
    EXPECT_TRUE(error.startsWith(
        QStringLiteral("Die Datenbank konnte nicht für diese Programmversion umgestellt "
                       "werden: ")))
        << error.toStdString();

    QSqlDatabase plain =
        vq::test::openPlainConnection(location, kPlain, &error); // removed by TearDown
    ASSERT_TRUE(plain.isOpen()) << error.toStdString();
    EXPECT_EQ(scalar(plain, QStringLiteral("SELECT Version FROM Schemaversion")), 1);
    EXPECT_EQ(scalar(plain,
                     QStringLiteral("SELECT COUNT(*) FROM Bestellung WHERE Bestellung_UUID = 'a'")),
              3);
    EXPECT_EQ(scalar(plain,
                     QStringLiteral(
                         "SELECT COUNT(*) FROM Bestellung WHERE Bestellung_Bemerkung IS NOT NULL")),
              1);
    QSqlQuery q(plain);
    EXPECT_FALSE(q.exec(QStringLiteral("SELECT Mandant_Bestellgeheimnis FROM Mandant")));
    plain.close();
}

TEST_P(SchemaUpgradeTest, NewerVersionIsRefusedAndLeftAlone)
{
    for (const int version : {kSchemaVersion + 1, 0}) {
        const DatabaseLocation location = firstVersionDatabase(
            {QStringLiteral("UPDATE Schemaversion SET Version = %1").arg(version)});
        InvoiceConnection db;
        QString error;
        EXPECT_FALSE(vq::test::openTestLocation(db, location, &error));
        const QString expected =
            version > kSchemaVersion
                ? QStringLiteral(
                      "Die Datenbank stammt von einer neueren Programmversion (Schema %1).")
                      .arg(version)
                : QStringLiteral("Die Datei ist keine Rechnungsdatenbank (Schema \"0\").");
        EXPECT_EQ(error, expected);
        {
            QSqlDatabase plain = vq::test::openPlainConnection(location, kPlain, &error);
            EXPECT_EQ(scalar(plain, QStringLiteral("SELECT Version FROM Schemaversion")), version);
            EXPECT_EQ(
                scalar(plain, QStringLiteral(
                                  "SELECT COUNT(*) FROM Bestellung WHERE Bestellung_UUID = 'a'")),
                3);
            plain.close();
        }
        QSqlDatabase::removeDatabase(kPlain);
        if (GetParam() == SqlDialect::SQLite)
            QFile::remove(location.file);
    }
}

TEST(InvoiceSchema, TemplateHasTheCurrentSchema)
{
    // Read as delivered, not through the program, which would upgrade it.
    QTemporaryDir dir;
    DatabaseLocation location;
    location.file = dir.filePath(QStringLiteral("vorlage.db"));
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(VQ_PROGRAM_DIR "/rechtool/datenbank.tdb"), location.file));
    QString error;
    {
        QSqlDatabase plain = vq::test::openPlainConnection(location, kPlain, &error);
        ASSERT_TRUE(plain.isOpen()) << error.toStdString();
        EXPECT_EQ(scalar(plain, QStringLiteral("SELECT Version FROM Schemaversion")),
                  kSchemaVersion);
        EXPECT_EQ(scalar(plain, QStringLiteral("SELECT COUNT(*) FROM Status WHERE ID = 1")), 1);
        plain.close();
    }
    QSqlDatabase::removeDatabase(kPlain);
}

INSTANTIATE_TEST_SUITE_P(Backends, SchemaUpgradeTest,
                         testing::Values(SqlDialect::SQLite, SqlDialect::PostgreSQL),
                         [](const testing::TestParamInfo<SqlDialect> &info) {
                             return std::string(vq::test::dialectName(info.param));
                         });

} // namespace
