// vq_bestell_rechnung --invoice N --xrechnung FILE on SQLite and PostgreSQL:
// the invoice of a stored order, its invoice date kept from the first output,
// and the refusals with their messages.
#include "invoice/db/clients.h"
#include "invoice/db/order_store.h"
#include "invoice/money/order_amounts.h"
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

// --check names what a business buyer's e-invoice lacks, and --pdf does not
// issue that buyer's invoice while it does; once mended, both pass.
TEST_P(EInvoiceCommandLine, CheckBeforeIssueOfABusinessBuyersInvoice)
{
    QTemporaryDir dir;
    InvoiceConnection db;
    QString error;
    ASSERT_TRUE(openTestDatabase(db, GetParam(), dir.path(), &error)) << error.toStdString();
    const auto clientId = ClientStore(db).insertClient(seller());
    ASSERT_TRUE(clientId);
    QFile::remove(clientTemplatePath(*clientId));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VQ_PROGRAM_DIR "/rechtool/rechnung.rav"),
                            clientTemplatePath(*clientId)));
    TBestellung order = test::order(true);
    order.mandantId = *clientId;
    order.steuerfall = QStringLiteral("innergemeinschaftlich");
    order.land = QStringLiteral("Österreich");
    order.kaeuferreferenz = QStringLiteral("04011000-12345-67");
    const auto orderId = OrderStore(db).insertOrder(order);
    ASSERT_TRUE(orderId);
    TArtikel line = test::line("Seife Lavendel", 3, 2.38, 19);
    line.bestellungId = *orderId;
    ASSERT_TRUE(OrderStore(db).insertLine(line));
    const QString url = lastTestDatabaseUrl();
    const QString id = QString::number(*orderId);
    QByteArray out, err;
    EXPECT_EQ(runProgram(kProgram,
                         {QStringLiteral("--check"), id, QStringLiteral("--database"), url}, &out,
                         60000, &err),
              1);
    const QString named = QString::fromUtf8(err);
    for (const char *item : {"USt-IdNr. des Käufers (für eine innergemeinschaftliche Lieferung)",
                             "eine gültige Leitweg-ID als Käuferreferenz"})
        EXPECT_TRUE(named.contains(QString::fromUtf8(item))) << named.toStdString();
    const QString pdf = dir.filePath(QStringLiteral("rechnung.pdf"));
    EXPECT_EQ(runProgram(kProgram,
                         {QStringLiteral("--invoice"), id, QStringLiteral("--pdf"), pdf,
                          QStringLiteral("--database"), url},
                         &out, 60000, &err),
              1);
    EXPECT_FALSE(QFileInfo::exists(pdf));
    EXPECT_FALSE(OrderStore(db).order(*orderId)->issued());

    TBestellung mended = *OrderStore(db).order(*orderId);
    mended.ustIdNr = QStringLiteral("ATU12345678");
    mended.kaeuferreferenz = QStringLiteral("04011000-12345-03");
    ASSERT_TRUE(OrderStore(db).updateOrder(mended));
    EXPECT_EQ(runProgram(kProgram,
                         {QStringLiteral("--check"), id, QStringLiteral("--database"), url}, &out,
                         60000, &err),
              0)
        << err.toStdString();
    EXPECT_EQ(runProgram(kProgram,
                         {QStringLiteral("--invoice"), id, QStringLiteral("--pdf"), pdf,
                          QStringLiteral("--database"), url},
                         &out, 60000, &err),
              0)
        << err.toStdString();
    // Invoiced at the net price: 3 x 2,00.
    EXPECT_EQ(invoiceAmounts(*ClientStore(db).client(*clientId), *OrderStore(db).order(*orderId),
                             *OrderStore(db).linesWithOptions(*orderId), nullptr)
                  ->grossCents,
              600);
    EXPECT_EQ(
        runProgram(kProgram, {QStringLiteral("--check"), QStringLiteral("x")}, &out, 60000, &err),
        2);
}

INSTANTIATE_TEST_SUITE_P(Backends, EInvoiceCommandLine,
                         testing::Values(SqlDialect::SQLite, SqlDialect::PostgreSQL),
                         [](const testing::TestParamInfo<SqlDialect> &info) {
                             return std::string(dialectName(info.param));
                         });
