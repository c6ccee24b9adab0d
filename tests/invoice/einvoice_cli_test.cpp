// vq_bestell_rechnung --invoice N --xrechnung FILE on SQLite and PostgreSQL:
// the invoice of a stored order, its invoice date kept from the first output,
// and the refusals with their messages.
#include "invoice/db/clients.h"
#include "invoice/db/order_store.h"
#include "tests/invoice/einvoice_fixtures.h"
#include "tests/invoice/invoice_servers.h"
#include "tests/support/local_server.h"
#include "tests/test_support.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vq::invoice;
using namespace vq::invoice::test;
using namespace vq::test;

namespace {

const QString kProgram = QStringLiteral(VQ_PROGRAM_DIR "/rechtool/vq_bestell_rechnung");

class EInvoiceCommandLine : public testing::TestWithParam<SqlDialect>
{
protected:
    static void TearDownTestSuite() { stopSharedPostgres(); }
};

} // namespace

TEST_P(EInvoiceCommandLine, WritesTheInvoiceOfAStoredOrder)
{
    QTemporaryDir dir;
    InvoiceConnection db;
    QString error;
    ASSERT_TRUE(openTestDatabase(db, GetParam(), dir.path(), &error)) << error.toStdString();
    const auto clientId = ClientStore(db).insertClient(seller());
    ASSERT_TRUE(clientId);
    TBestellung order = test::order(true);
    order.mandantId = *clientId;
    const auto orderId = OrderStore(db).insertOrder(order);
    ASSERT_TRUE(orderId);
    for (TArtikel line :
         {test::line("Seife Lavendel", 3, 0.99, 7, {option("Duft", "stark & süß", 0.5)}),
          test::line("Badesalz", 7, 12.45, 19)}) {
        line.bestellungId = *orderId;
        const auto lineId = OrderStore(db).insertLine(line);
        ASSERT_TRUE(lineId);
        for (TOption o : line.optionen) {
            o.artikelId = *lineId;
            ASSERT_TRUE(OrderStore(db).insertOption(o));
        }
    }
    const QString url = lastTestDatabaseUrl();
    const QString file = dir.filePath(QStringLiteral("rechnung.xml"));
    QByteArray out, err;
    ASSERT_EQ(runProgram(kProgram,
                         {QStringLiteral("--invoice"), QString::number(*orderId),
                          QStringLiteral("--xrechnung"), file, QStringLiteral("--database"), url},
                         &out, 60000, &err),
              0)
        << err.toStdString();
    const QString xml = QString::fromUtf8(readFile(file));
    // 3 × 1,49 + 7 × 12,45 = 91,62.
    EXPECT_TRUE(xml.contains(u"<ram:GrandTotalAmount>91.62</ram:GrandTotalAmount>"))
        << xml.toStdString();
    EXPECT_TRUE(xml.contains(u"stark &amp; süß"));
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    EXPECT_TRUE(xml.contains(QStringLiteral("format=\"102\">%1<").arg(today)));

    // The invoice is issued: its date cannot be changed any more, and the
    // next run writes the same bytes.
    const QByteArray first = readFile(file);
    TBestellung dated = *OrderStore(db).order(*orderId);
    EXPECT_EQ(dated.rechnungsdatum, QDate::currentDate());
    dated.rechnungsdatum = QDate(2026, 1, 31);
    EXPECT_FALSE(OrderStore(db).updateOrder(dated));
    ASSERT_EQ(runProgram(kProgram,
                         {QStringLiteral("--invoice"), QString::number(*orderId),
                          QStringLiteral("--xrechnung"), file, QStringLiteral("--database"), url},
                         &out, 60000, &err),
              0);
    EXPECT_EQ(readFile(file), first);

    // Refusals: an unknown order, a client without tax identifiers.
    EXPECT_EQ(runProgram(kProgram,
                         {QStringLiteral("--invoice"), QStringLiteral("9999"),
                          QStringLiteral("--xrechnung"), file, QStringLiteral("--database"), url},
                         &out, 60000, &err),
              1);
    EXPECT_TRUE(QString::fromUtf8(err).contains(u"Die Bestellung 9999 gibt es nicht."))
        << err.toStdString();
    TMandant bare = *ClientStore(db).client(*clientId);
    bare.ustIdNr.clear();
    bare.steuernummer.clear();
    ASSERT_TRUE(ClientStore(db).updateClient(bare));
    const QString second = dir.filePath(QStringLiteral("zweite.xml"));
    EXPECT_EQ(runProgram(kProgram,
                         {QStringLiteral("--invoice"), QString::number(*orderId),
                          QStringLiteral("--xrechnung"), second, QStringLiteral("--database"), url},
                         &out, 60000, &err),
              1);
    EXPECT_TRUE(QString::fromUtf8(err).contains(u"USt-IdNr. oder Steuernummer des Mandanten"))
        << err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(second));
    EXPECT_EQ(runProgram(kProgram,
                         {QStringLiteral("--invoice"), QStringLiteral("x"),
                          QStringLiteral("--database"), url},
                         &out, 60000, &err),
              2);
}

INSTANTIATE_TEST_SUITE_P(Backends, EInvoiceCommandLine,
                         testing::Values(SqlDialect::SQLite, SqlDialect::PostgreSQL),
                         [](const testing::TestParamInfo<SqlDialect> &info) {
                             return std::string(dialectName(info.param));
                         });
