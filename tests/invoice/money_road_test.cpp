// Every case of the money table through the invoice module as an order takes
// it: the order document a form mailer sends, read and stored by the import,
// then issued. The stored order keeps how the page priced it; the printed
// invoice (read back with pdftotext), the values every template is given
// (SummeNetto, SummeMwst, SummeGesamt and the rows), and the XRechnung all
// show the table's cents.
#include "invoice/db/clients.h"
#include "invoice/db/mailbox_store.h"
#include "invoice/db/order_store.h"
#include "invoice/mail/order_document.h"
#include "invoice/output/invoice_issuer.h"
#include "tests/invoice/einvoice_fixtures.h"
#include "tests/invoice/einvoice_reading.h"
#include "tests/invoice/invoice_servers.h"
#include "tests/invoice/money_cases.h"
#include "tests/support/local_server.h"
#include "tests/test_support.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vq::invoice;
using namespace vq::invoice::test;

namespace {

// A template that prints exactly what templates are given, one value a line.
const QString kFiguresTemplate =
    QStringLiteral("{{#RvDataSetArtikel}}LINE {{Artikel_Gesamtbetrag}} {{Artikel_GesamtNetto}} "
                   "{{Artikel_GesamtMwst}} "
                   "{{Artikel_Gesamtpreis}}{{#RvDataSetOptionen}} "
                   "{{Gesamtpreis}}{{/RvDataSetOptionen}}\n{{/RvDataSetArtikel}}"
                   "{{#RvDataSetMwst}}RATE {{Artikel_Mwst}} {{SummeNetto}} {{Mwst}} "
                   "{{SummeGesamt}}\n{{/RvDataSetMwst}}"
                   "TOTAL {{SummeNetto}} {{SummeMwst}} {{SummeGesamt}} {{Preisberechnung}}\n");

} // namespace

class MoneyRoad : public testing::TestWithParam<SqlDialect>
{
protected:
    static void TearDownTestSuite() { vq::test::stopSharedPostgres(); }

    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(vq::test::openTestDatabase(db, GetParam(), dir.path(), &error))
            << error.toStdString();
        TMandant client = seller();
        const auto id = ClientStore(db).insertClient(client);
        ASSERT_TRUE(id) << db.lastError().toStdString();
        clientId = *id;
        QFile::remove(clientTemplatePath(clientId));
        ASSERT_TRUE(QFile::copy(QStringLiteral(VQ_PROGRAM_DIR "/rechtool/rechnung.rav"),
                                clientTemplatePath(clientId)));
        figuresTemplate = dir.filePath(QStringLiteral("figures.rav"));
        vq::test::writeFile(figuresTemplate, kFiguresTemplate.toUtf8());
    }

    QTemporaryDir dir;
    InvoiceConnection db;
    int clientId = 0;
    QString figuresTemplate;
};

TEST_P(MoneyRoad, ImportedOrderPrintsAndInvoicesTheCentsThePageShowed)
{
    const QDateTime now(QDate(2026, 12, 10), QTime(9, 30));
    InvoiceIssuer issuer(db, [&] { return now; });
    int n = 0;
    for (const MoneyCase &c : moneyCases()) {
        SCOPED_TRACE(c.name.toStdString());
        // The import: the document as the form mailer writes it, stored.
        OrderDocument document;
        QString error;
        ASSERT_TRUE(readOrderDocument(moneyOrderDocument(c, QStringLiteral("money-%1").arg(++n)),
                                      &document, &error))
            << error.toStdString();
        const MailOrderStore stored = MailboxStore(db).storeMailOrder(
            document.order, document.lines, clientId, QStringLiteral("INBOX"), nullptr);
        ASSERT_EQ(stored.outcome, MailOrderStore::Stored) << db.lastError().toStdString();
        const int orderId = stored.orderId;
        EXPECT_EQ(OrderStore(db).order(orderId)->netto, c.netto());
        // The stored prices are the ones the page showed.
        const QList<TArtikel> expectedLines = moneyLines(c);
        const QList<TArtikel> storedLines = OrderStore(db).linesWithOptions(orderId).value();
        ASSERT_EQ(storedLines.size(), expectedLines.size());
        for (const TArtikel &line : storedLines) {
            const auto same = std::find_if(expectedLines.begin(), expectedLines.end(),
                                           [&](const TArtikel &l) { return l.nr == line.nr; });
            ASSERT_NE(same, expectedLines.end());
            EXPECT_EQ(line.preis, same->preis) << line.nr.toStdString();
        }
        // The order list shows the total.
        const auto list = OrderStore(db).orderList(clientId).value();
        const auto row = std::find_if(list.begin(), list.end(),
                                      [&](const auto &r) { return r.bestellungId == orderId; });
        ASSERT_NE(row, list.end());
        EXPECT_EQ(row->totalCents, parseCents(c.total));

        // What every template is given: the rows add up to the totals.
        const auto figures = issuer.render(orderId, &error, figuresTemplate);
        ASSERT_TRUE(figures) << error.toStdString();
        qint64 rowNet = 0, rowVat = 0, rowGross = 0, lineSum = 0;
        QStringList lines, rates;
        for (const QString &out : figures->html.split(u'\n', Qt::SkipEmptyParts)) {
            if (out.startsWith(u'<'))
                continue; // the note that the invoice is not issued yet
            const QStringList f = out.split(u' ');
            if (f[0] == u"LINE") {
                lines << f[1];
                lineSum += cents(f[1]);
                EXPECT_EQ(cents(f[2]) + cents(f[3]),
                          c.netto() ? cents(f[1]) + cents(f[3]) : cents(f[1]))
                    << out.toStdString();
                // The line's own part and its options' parts add up to the line.
                qint64 parts = 0;
                for (qsizetype k = 4; k < f.size(); ++k)
                    parts += cents(f[k]);
                EXPECT_EQ(parts, cents(f[1])) << out.toStdString();
            } else if (f[0] == u"RATE") {
                rates << f[1];
                rowNet += cents(f[2]);
                rowVat += cents(f[3]);
                rowGross += cents(f[4]);
                EXPECT_EQ(cents(f[2]) + cents(f[3]), cents(f[4])) << out.toStdString();
            } else {
                EXPECT_EQ(cents(f[1]), rowNet) << "SummeNetto";
                EXPECT_EQ(cents(f[2]), rowVat) << "SummeMwst";
                EXPECT_EQ(cents(f[3]), rowGross) << "SummeGesamt";
                EXPECT_EQ(cents(f[1]), parseCents(c.net));
                EXPECT_EQ(cents(f[2]), parseCents(c.vat));
                EXPECT_EQ(cents(f[3]), parseCents(c.total));
                EXPECT_EQ(f[4], c.netto() ? QStringLiteral("netto") : QStringLiteral("brutto"));
                EXPECT_EQ(lineSum, c.netto() ? rowNet : rowGross)
                    << "the lines add up to the rates";
            }
        }
        QStringList expectedLineTotals;
        for (const QString &total : c.lines)
            expectedLineTotals << germanAmount(total);
        // The template lists lines by article number; compare as sets of amounts.
        QStringList sortedLines = lines, sortedExpected = expectedLineTotals;
        sortedLines.sort();
        sortedExpected.sort();
        EXPECT_EQ(sortedLines, sortedExpected);
        EXPECT_EQ(rates.size(), c.rates.size());

        // The printed invoice through the delivered template.
        const QString pdf = dir.filePath(QStringLiteral("%1.pdf").arg(c.name));
        ASSERT_TRUE(issuer.writePdf(orderId, pdf, &error)) << error.toStdString();
        const QString text = pdfText(pdf);
        QStringList printed;
        for (const MoneyRate &rate : c.rates)
            printed
                << QStringLiteral("Nettobetrag %1% %2 €").arg(rate.rate, germanAmount(rate.net))
                << QStringLiteral("zzgl. %1% MwSt. %2 €").arg(rate.rate, germanAmount(rate.vat));
        printed << QStringLiteral("Gesamtbetrag %1 €").arg(germanAmount(c.total))
                << QStringLiteral("Rechnungsdatum 10.12.2026");
        // Lines without options print their total in one figure.
        for (qsizetype k = 0; k < expectedLines.size(); ++k) {
            if (expectedLines[k].optionen.isEmpty())
                printed << germanAmount(c.lines[k]) + QStringLiteral(" €");
        }
        for (const QString &expected : printed)
            EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << "\n"
                                                 << text.toStdString();

        // The XRechnung: the same cents.
        const auto xml = issuer.xrechnung(orderId, &error);
        ASSERT_TRUE(xml) << error.toStdString();
        const XmlAmounts x = readXml(*xml);
        QStringList xmlRates;
        for (const MoneyRate &rate : c.rates)
            xmlRates << rate.rate + u' ' + rate.net + u' ' + rate.vat;
        EXPECT_EQ(x.rates, xmlRates);
        EXPECT_EQ(x.lineTotal, c.net);
        EXPECT_EQ(x.taxBasis, c.net);
        EXPECT_EQ(x.taxTotal, c.vat);
        EXPECT_EQ(x.grandTotal, c.total);
        EXPECT_EQ(x.duePayable, c.total);
        qint64 lineNets = 0;
        for (const QString &line : x.lines)
            lineNets += parseCents(line).value_or(0);
        EXPECT_EQ(lineNets, parseCents(c.net));
        if (c.netto()) {
            // Without VAT the net line amounts are the lines the customer saw.
            QStringList sortedXml = x.lines, sortedTable = c.lines;
            sortedXml.sort();
            sortedTable.sort();
            EXPECT_EQ(sortedXml, sortedTable);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, MoneyRoad,
                         testing::Values(SqlDialect::SQLite, SqlDialect::PostgreSQL),
                         [](const auto &info) {
                             return std::string(vq::test::dialectName(info.param));
                         });

TEST(MoneyBounds, ImportRefusesQuantitiesAndLineTotalsNoInvoiceCanHold)
{
    MoneyCase base = moneyCases().value(0);
    const auto withArticle = [&](const char *price, int quantity) {
        MoneyCase c = base;
        c.articles[0].price = QString::fromLatin1(price);
        c.articles[0].quantity = quantity;
        return moneyOrderDocument(c, QStringLiteral("bounds"));
    };
    const struct
    {
        const char *what;
        QByteArray document;
        const char *reason;
    } cases[] = {
        {"quantity of the largest int", withArticle("999999999", 2147483647),
         "außerhalb von 0 bis 100000"},
        {"quantity above the form mailer's limit", withArticle("0.01", 100001),
         "außerhalb von 0 bis 100000"},
        {"line total above 10^9", withArticle("99999.99", 100000), "größer als 1.000.000.000"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        OrderDocument document;
        QString error;
        EXPECT_FALSE(readOrderDocument(c.document, &document, &error));
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason))) << error.toStdString();
    }
    // 100,000 pieces of 10,000.00 are exactly the bound, and stay an order.
    OrderDocument document;
    QString error;
    EXPECT_TRUE(readOrderDocument(withArticle("10000", 100000), &document, &error))
        << error.toStdString();
}
