// A stay in the order editor without its window, on both back ends: the
// rules of the boxes, "Nein" leaving the database as it was, two seats on one
// order, and invoice numbers drawn by two seats at once.
#include "invoice/db/clients.h"
#include "invoice/db/order_store.h"
#include "invoice/session/order_edit_session.h"
#include "tests/invoice/invoice_servers.h"
#include "tests/test_support.h"

#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vq::invoice;

namespace {

const QDate kToday(2026, 12, 10);

class OrderEditSessionTest : public testing::TestWithParam<SqlDialect>
{
protected:
    static void TearDownTestSuite() { vq::test::stopSharedPostgres(); }

    void SetUp() override
    {
        QString error;
        const auto where = vq::test::emptyTestDatabase(GetParam(), dir.path(), &error);
        ASSERT_TRUE(where) << error.toStdString();
        location = *where;
        ASSERT_TRUE(vq::test::openTestLocation(db, location, &error)) << error.toStdString();
        mandantId = ClientStore(db).insertClient(newClient()).value_or(0);
        ASSERT_GT(mandantId, 0);
        TBestellung held;
        held.mandantId = mandantId;
        held.rechNr = 17;
        held.name = QStringLiteral("Heidi");
        held.nachname = QStringLiteral("Muster");
        held.zeit = QDateTime(QDate(2026, 11, 30), QTime(9, 0), Qt::UTC);
        heldId = OrderStore(db).insertOrder(held).value_or(0);
        TBestellung order;
        order.mandantId = mandantId;
        order.rechNr = 5;
        order.firma = QStringLiteral("Alpenblick GmbH");
        order.zeit = QDateTime(QDate(2026, 3, 1), QTime(14, 30, 5), Qt::UTC);
        orderId = OrderStore(db).insertOrder(order).value_or(0);
        TArtikel line;
        line.bestellungId = orderId;
        line.nr = QStringLiteral("A");
        line.name = QStringLiteral("Bergkäse");
        line.anzahl = 2;
        line.preis = 4.2;
        line.mwst = 7;
        lineId = OrderStore(db).insertLine(line).value_or(0);
        ASSERT_TRUE(OrderStore(db).insertOption(
            TOption{0, lineId, QStringLiteral("Reifung"), QStringLiteral("12 Monate"), 1.5}));
    }

    OrderEditSession session()
    {
        return OrderEditSession(db, mandantId, [] { return kToday; });
    }

    // Every row of every table, in key order: what "the database as it was" means.
    QString dump()
    {
        QString text;
        for (const char *table : {"Mandant", "Bestellung", "Artikel", "Optionen", "Status",
                                  "Nachricht", "Schemaversion"}) {
            QSqlQuery q(db.connection());
            EXPECT_TRUE(
                q.exec(QStringLiteral("SELECT * FROM %1 ORDER BY 1").arg(QLatin1String(table))));
            text += QLatin1String(table) + u'\n';
            while (q.next()) {
                for (int i = 0; i < q.record().count(); ++i)
                    text += q.value(i).toString() + u'|';
                text += u'\n';
            }
        }
        return text;
    }

    QTemporaryDir dir;
    DatabaseLocation location;
    InvoiceConnection db;
    int mandantId = 0, heldId = 0, orderId = 0, lineId = 0;
};

TEST_P(OrderEditSessionTest, TheBoxesAreTakenOrRefusedByTheirRules)
{
    struct Case
    {
        const char *name;
        const char *rechNr, *zeit;
        EditRefusal::Box refusedBox; // None: taken
        const char *message;         // part of the refusal
        std::optional<int> number;   // when taken
        QDateTime zeitTaken;
    };
    const QDateTime stored(QDate(2026, 3, 1), QTime(14, 30, 5), Qt::UTC);
    const Case cases[] = {
        {"unchanged, seconds kept", "5", "01.03.2026 14:30:05", EditRefusal::Box::None, "", 5,
         stored},
        {"new number and date", "6", "2.3.2026", EditRefusal::Box::None, "", 6,
         QDateTime(QDate(2026, 3, 2), QTime(0, 0), Qt::UTC)},
        {"no number", "", "2026-03-02 08:15", EditRefusal::Box::None, "", std::nullopt,
         QDateTime(QDate(2026, 3, 2), QTime(8, 15), Qt::UTC)},
        {"number held by another order",
         "17",
         "01.03.2026 14:30:05",
         EditRefusal::Box::RechNr,
         "Heidi Muster",
         {},
         {}},
        {"zero", "0", "01.03.2026 14:30:05", EditRefusal::Box::RechNr, "2147483647", {}, {}},
        {"beyond the column",
         "2147483648",
         "01.03.2026 14:30:05",
         EditRefusal::Box::RechNr,
         "2147483647",
         {},
         {}},
        {"letters", "5a", "01.03.2026 14:30:05", EditRefusal::Box::RechNr, "ganze Zahl", {}, {}},
        {"no such day", "5", "31.02.2026", EditRefusal::Box::Zeit, "31.02.2026", {}, {}},
        {"hour 24", "5", "1.3.2026 24:00", EditRefusal::Box::Zeit, "Bestelldatum", {}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OrderEditSession stay = session();
        QString error;
        ASSERT_TRUE(stay.startEdit(orderId, &error)) << error.toStdString();
        OrderBoxes boxes = stay.boxes();
        EXPECT_EQ(boxes.zeit, QStringLiteral("01.03.2026 14:30:05"));
        boxes.rechNr = QString::fromLatin1(c.rechNr);
        boxes.zeit = QString::fromLatin1(c.zeit);
        boxes.firma = QStringLiteral("Neu");
        const auto refusal = stay.takeBoxes(boxes);
        if (c.refusedBox == EditRefusal::Box::None) {
            ASSERT_FALSE(refusal) << refusal->message.toStdString();
            EXPECT_EQ(stay.order().rechNr, c.number);
            EXPECT_EQ(stay.order().zeit, c.zeitTaken);
            EXPECT_EQ(stay.order().firma, QStringLiteral("Neu"));
        } else {
            ASSERT_TRUE(refusal);
            EXPECT_EQ(refusal->box, c.refusedBox);
            EXPECT_FALSE(refusal->databaseFailed);
            EXPECT_TRUE(refusal->message.contains(QString::fromUtf8(c.message)))
                << refusal->message.toStdString();
            // Nothing of refused boxes is taken.
            EXPECT_EQ(stay.order().firma, QStringLiteral("Alpenblick GmbH"));
        }
    }
}

TEST_P(OrderEditSessionTest, NeinLeavesTheDatabaseAsItWasAndJaWritesEverything)
{
    const QString before = dump();
    const QByteArray fileBefore =
        GetParam() == SqlDialect::SQLite ? vq::test::readFile(location.file) : QByteArray();
    const auto edit = [&](OrderEditSession &stay) {
        QString error;
        ASSERT_TRUE(stay.startEdit(orderId, &error)) << error.toStdString();
        for (const char *nr : {"C", "B"}) {
            TArtikel line = stay.newLine();
            line.nr = QString::fromLatin1(nr);
            line.name = QStringLiteral("Neu");
            line.optionen << TOption{0, 0, QStringLiteral("Farbe"), QStringLiteral("rot"), 1.0}
                          << TOption{0, 0, QStringLiteral("Größe"), QStringLiteral("XL"), {}};
            EXPECT_LT(stay.addLine(line), 0);
        }
        TArtikel changed = stay.lines().at(0);
        ASSERT_EQ(changed.id, lineId);
        changed.anzahl = 3;
        changed.optionen.clear();
        EXPECT_TRUE(stay.replaceLine(changed));
        OrderBoxes boxes = stay.boxes();
        boxes.ort = QStringLiteral("Zürich");
        EXPECT_FALSE(stay.takeBoxes(boxes));
        // Another new order in the same stay draws the number after the highest.
        ASSERT_TRUE(stay.startNew(&error)) << error.toStdString();
        EXPECT_EQ(stay.order().rechNr, 18);
        EXPECT_TRUE(stay.changed());
    };
    {
        OrderEditSession stay = session();
        edit(stay);
        EXPECT_EQ(db.transactionDepth(), 0);
    } // "Nein"
    EXPECT_EQ(dump(), before);
    if (GetParam() == SqlDialect::SQLite)
        EXPECT_EQ(vq::test::readFile(location.file), fileBefore);

    OrderEditSession stay = session();
    edit(stay);
    ASSERT_FALSE(stay.save());
    EXPECT_EQ(db.transactionDepth(), 0);
    const TBestellung saved = OrderStore(db).order(orderId).value();
    EXPECT_EQ(saved.ort, QStringLiteral("Zürich"));
    EXPECT_EQ(saved.version, 1);
    const auto lines = OrderStore(db).linesWithOptions(orderId).value();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines.at(0).id, lineId); // kept, not written anew
    EXPECT_EQ(lines.at(0).anzahl, 3);
    EXPECT_TRUE(lines.at(0).optionen.isEmpty());
    EXPECT_EQ(lines.at(1).nr, QStringLiteral("B"));
    ASSERT_EQ(lines.at(1).optionen.size(), 2);
    EXPECT_EQ(lines.at(1).optionen.at(1).name, QStringLiteral("Größe"));
    EXPECT_FALSE(lines.at(1).optionen.at(1).preis.has_value());
    const auto orders = OrderStore(db).ordersOfClient(mandantId).value();
    ASSERT_EQ(orders.size(), 3);
    EXPECT_EQ(orders.at(2).rechNr, 18);
    EXPECT_EQ(orders.at(2).zeit, QDateTime(kToday, QTime(0, 0), Qt::UTC));
}

// Two seats on one order: the second save would overwrite the first's work,
// so it is refused, the stay keeps what was typed, and nothing is written.
TEST_P(OrderEditSessionTest, ASecondSeatCannotOverwriteWhatTheFirstSaved)
{
    InvoiceConnection otherSeat;
    QString error;
    ASSERT_TRUE(otherSeat.openLocation(location, &error)) << error.toStdString();
    struct Case
    {
        const char *name;
        std::function<void()> meanwhile;
        const char *message;
    };
    const Case cases[] = {
        {"changed",
         [&] {
             OrderEditSession first(otherSeat, mandantId, [] { return kToday; });
             ASSERT_TRUE(first.startEdit(orderId, &error));
             OrderBoxes boxes = first.boxes();
             boxes.bemerkung = QStringLiteral("erster Platz");
             ASSERT_FALSE(first.takeBoxes(boxes));
             ASSERT_FALSE(first.save());
         },
         "inzwischen von einem anderen Benutzer oder beim Einlesen geändert"},
        {"deleted", [&] { ASSERT_TRUE(OrderStore(otherSeat).deleteOrder(orderId)); }, "gelöscht"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OrderEditSession second = session();
        ASSERT_TRUE(second.startEdit(orderId, &error)) << error.toStdString();
        OrderBoxes boxes = second.boxes();
        boxes.bemerkung = QStringLiteral("zweiter Platz");
        ASSERT_FALSE(second.takeBoxes(boxes));
        TArtikel line = second.newLine();
        line.nr = QStringLiteral("Z");
        second.addLine(line);
        c.meanwhile();
        const auto refusal = second.save();
        ASSERT_TRUE(refusal);
        EXPECT_TRUE(refusal->message.contains(QString::fromUtf8(c.message)))
            << refusal->message.toStdString();
        EXPECT_EQ(db.transactionDepth(), 0);
        EXPECT_EQ(second.order().bemerkung, QStringLiteral("zweiter Platz"));
        EXPECT_EQ(second.lines().size(), 2);
        if (const auto stored = OrderStore(db).order(orderId)) {
            EXPECT_EQ(stored->bemerkung, QStringLiteral("erster Platz"));
            EXPECT_EQ(OrderStore(db).linesOfOrder(orderId)->size(), 1);
        }
    }
}

// Two seats create an order each: a number the stay drew gives way to the
// next free one; a number typed in, or one an invoice already went out with,
// is refused.
TEST_P(OrderEditSessionTest, NewOrdersOfTwoSeatsNeverShareANumber)
{
    InvoiceConnection otherSeat;
    QString error;
    ASSERT_TRUE(otherSeat.openLocation(location, &error)) << error.toStdString();
    OrderEditSession first(otherSeat, mandantId, [] { return kToday; });
    OrderEditSession drawn = session();
    OrderEditSession typed = session();
    ASSERT_TRUE(first.startNew(&error));
    ASSERT_TRUE(drawn.startNew(&error));
    ASSERT_TRUE(typed.startNew(&error));
    EXPECT_EQ(first.order().rechNr, 18);
    EXPECT_EQ(drawn.order().rechNr, 18);
    OrderBoxes boxes = typed.boxes();
    boxes.rechNr = QStringLiteral("30");
    ASSERT_FALSE(typed.takeBoxes(boxes));
    OrderEditSession typedFirst(otherSeat, mandantId, [] { return kToday; });
    ASSERT_TRUE(typedFirst.startNew(&error));
    boxes = typedFirst.boxes();
    boxes.rechNr = QStringLiteral("30");
    ASSERT_FALSE(typedFirst.takeBoxes(boxes));

    ASSERT_FALSE(first.save());
    ASSERT_FALSE(typedFirst.save());
    ASSERT_FALSE(drawn.save());
    const auto refusal = typed.save();
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->box, EditRefusal::Box::RechNr);
    EXPECT_TRUE(refusal->message.contains(QStringLiteral("Rechnungs-Nr. 30")))
        << refusal->message.toStdString();

    QSqlQuery q(db.connection());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT Bestellung_RechNr FROM Bestellung ORDER BY "
                                      "Bestellung_RechNr")));
    QList<int> numbers;
    while (q.next())
        numbers << q.value(0).toInt();
    // The drawn number gave way to the highest + 1, as every new number is drawn.
    EXPECT_EQ(numbers, (QList<int>{5, 17, 18, 30, 31}));
}

INSTANTIATE_TEST_SUITE_P(Dialects, OrderEditSessionTest,
                         testing::Values(SqlDialect::SQLite, SqlDialect::PostgreSQL),
                         [](const testing::TestParamInfo<SqlDialect> &info) {
                             return std::string(vq::test::dialectName(info.param));
                         });

} // namespace
