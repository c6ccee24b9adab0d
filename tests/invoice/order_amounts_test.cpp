// The money rule of the invoice module: the shared table of money cases gives
// the same cents here as on the page and in the form mailer; what is printed
// adds up for every pair of typical prices; amounts that do not fit are
// refused; cents are read and written exactly.
#include "invoice/money/order_amounts.h"
#include "invoice/money/tax_case.h"
#include "tests/invoice/money_cases.h"

#include <gtest/gtest.h>

using namespace vq::invoice;
using namespace vq::invoice::test;

namespace {

// The invariants every printed invoice relies on.
void expectAddsUp(const OrderAmounts &a, const QList<OrderLineInput> &input)
{
    qint64 net = 0, vat = 0, gross = 0;
    for (const VatRateAmounts &rate : a.rates) {
        qint64 lineTotals = 0, lineNets = 0, lineVats = 0;
        for (int i = 0; i < input.size(); ++i) {
            if (std::llround(input[i].vatRate * 100) == std::llround(rate.rate * 100)) {
                lineTotals += a.lines[i].totalCents;
                lineNets += a.lines[i].netCents;
                lineVats += a.lines[i].vatCents;
            }
        }
        EXPECT_EQ(lineTotals, a.net ? rate.netCents : rate.grossCents) << rate.rate;
        EXPECT_EQ(lineNets, rate.netCents) << rate.rate;
        EXPECT_EQ(lineVats, rate.vatCents) << rate.rate;
        EXPECT_EQ(rate.netCents + rate.vatCents, rate.grossCents) << rate.rate;
        net += rate.netCents;
        vat += rate.vatCents;
        gross += rate.grossCents;
    }
    EXPECT_EQ(net, a.netCents);
    EXPECT_EQ(vat, a.vatCents);
    EXPECT_EQ(gross, a.grossCents);
    EXPECT_EQ(a.netCents + a.vatCents, a.grossCents);
}

QList<OrderLineInput> inputOf(const QList<TArtikel> &lines)
{
    QList<OrderLineInput> input;
    for (const TArtikel &line : lines) {
        OrderLineInput in{line.anzahl, line.preis, {}, line.mwst};
        for (const TOption &o : line.optionen)
            if (o.preis)
                in.surcharges << *o.preis;
        input << in;
    }
    return input;
}

} // namespace

TEST(OrderAmounts, MoneyTableGivesTheSameCentsAsThePageAndTheFormMailer)
{
    for (const MoneyCase &c : moneyCases()) {
        SCOPED_TRACE(c.name.toStdString());
        const QList<OrderLineInput> input = inputOf(moneyLines(c));
        QString error;
        const auto a = computeOrderAmounts(input, c.netto(), &error);
        ASSERT_TRUE(a) << error.toStdString();
        QStringList lines;
        for (const OrderLineAmounts &line : a->lines)
            lines << centsText(line.totalCents);
        EXPECT_EQ(lines, c.lines);
        ASSERT_EQ(a->rates.size(), c.rates.size());
        for (int i = 0; i < c.rates.size(); ++i) {
            EXPECT_EQ(QString::number(a->rates[i].rate), c.rates[i].rate);
            EXPECT_EQ(centsText(a->rates[i].netCents), c.rates[i].net)
                << c.rates[i].rate.toStdString();
            EXPECT_EQ(centsText(a->rates[i].vatCents), c.rates[i].vat)
                << c.rates[i].rate.toStdString();
            EXPECT_EQ(centsText(a->rates[i].grossCents), c.rates[i].gross)
                << c.rates[i].rate.toStdString();
        }
        EXPECT_EQ(centsText(a->netCents), c.net);
        EXPECT_EQ(centsText(a->vatCents), c.vat);
        EXPECT_EQ(centsText(a->grossCents), c.total);
        expectAddsUp(*a, input);
    }
}

TEST(OrderAmounts, EveryPairOfTypicalPricesAtTwoRatesAddsUp)
{
    // x,99 and x,49 at 19 % and 7 %, with VAT and without: the per-rate rows
    // and the totals never disagree by a cent.
    for (const bool netto : {false, true}) {
        for (int a = 0; a < 60; ++a) {
            for (int b = 0; b < 60; ++b) {
                const QList<OrderLineInput> input{
                    {1, a + 0.99, {}, 19}, {1, b + 0.49, {}, 7}, {2, a + 0.49, {-0.5}, 19}};
                const auto amounts = computeOrderAmounts(input, netto, nullptr);
                ASSERT_TRUE(amounts);
                expectAddsUp(*amounts, input);
                if (HasFailure())
                    return;
            }
        }
    }
    // With VAT: 9,99 at 19 % holds 1,60, 4,99 at 7 % holds 0,33: together 1,93.
    const auto pair = computeOrderAmounts({{1, 9.99, {}, 19}, {1, 4.99, {}, 7}}, false, nullptr);
    ASSERT_TRUE(pair);
    EXPECT_EQ(pair->vatCents, 193);
}

TEST(OrderAmounts, CreditLinesMirrorTheirOrder)
{
    // A line with a negative quantity rounds exactly as its positive twin.
    const QList<OrderLineInput> order{{3, 0.125, {}, 19}, {1, 1.005, {}, 7}, {2, 12.99, {2.5}, 19}};
    QList<OrderLineInput> credit = order;
    for (OrderLineInput &line : credit)
        line.quantity = -line.quantity;
    for (const bool netto : {false, true}) {
        const auto a = computeOrderAmounts(order, netto, nullptr);
        const auto b = computeOrderAmounts(credit, netto, nullptr);
        ASSERT_TRUE(a && b);
        EXPECT_EQ(a->grossCents, -b->grossCents);
        EXPECT_EQ(a->vatCents, -b->vatCents);
        for (int i = 0; i < order.size(); ++i)
            EXPECT_EQ(a->lines[i].totalCents, -b->lines[i].totalCents);
        expectAddsUp(*b, credit);
    }
}

TEST(OrderAmounts, AmountsThatDoNotFitAreRefusedWithAReason)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct
    {
        const char *what;
        OrderLineInput line;
        const char *reason;
    } cases[] = {
        {"overflowing line", {2147483647, 999999999, {}, 19}, "größer als 1.000.000.000"},
        {"line just above the bound", {2, 500000000.01, {}, 19}, "größer als 1.000.000.000"},
        {"price beyond any shop", {1, 1e300, {}, 19}, "Preis"},
        {"price not a number", {1, nan, {}, 19}, "Preis"},
        {"surcharge not a number", {1, 1, {nan}, 19}, "Aufpreis"},
        {"rate above 100", {1, 1, {}, 150}, "Mehrwertsteuersatz"},
        {"negative rate", {1, 1, {}, -7}, "Mehrwertsteuersatz"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QString error;
        EXPECT_FALSE(computeOrderAmounts({{1, 1, {}, 7}, c.line}, false, &error));
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason))) << error.toStdString();
        EXPECT_TRUE(error.startsWith(u"Position 2")) << error.toStdString();
    }
    // The bound itself is an amount; far more lines than any order has still add up.
    const auto bound = computeOrderAmounts({{100000, 10000, {}, 19}}, true, nullptr);
    ASSERT_TRUE(bound);
    EXPECT_EQ(bound->grossCents, 119'000'000'000LL);
    QList<OrderLineInput> many(20000, {100000, 10000, {}, 19});
    const auto sum = computeOrderAmounts(many, false, nullptr);
    ASSERT_TRUE(sum);
    EXPECT_EQ(sum->grossCents, 20000 * 100'000'000'000LL);
    expectAddsUp(*sum, many);
}

TEST(OrderAmounts, CentsAreReadAndWrittenExactly)
{
    const struct
    {
        const char *text;
        std::optional<qint64> cents;
    } reads[] = {{"12.99", 1299},
                 {"12,99", 1299},
                 {"0.125", 13},
                 {"1.005", 101},
                 {"-2.5", -250},
                 {"-0.005", -1},
                 {"7", 700},
                 {" 3.4 ", 340},
                 {"1.0049999", 100},
                 {"", std::nullopt},
                 {"1e5", std::nullopt},
                 {"1.2.3", std::nullopt},
                 {"12.", std::nullopt},
                 {"abc", std::nullopt}};
    for (const auto &r : reads)
        EXPECT_EQ(parseCents(QString::fromLatin1(r.text)), r.cents) << r.text;
    EXPECT_EQ(centsText(5810), QStringLiteral("58.10"));
    EXPECT_EQ(centsText(-5), QStringLiteral("-0.05"));
    EXPECT_EQ(centsText(0), QStringLiteral("0.00"));
    EXPECT_EQ(centsText(std::numeric_limits<qint64>::min()),
              QStringLiteral("-92233720368547758.08"));
    EXPECT_EQ(amountCents(3, 0.125), 38);
    EXPECT_EQ(amountCents(2147483647, 999999999), std::nullopt);
    EXPECT_EQ(vatOfCents(999, 19, false), 160);
    EXPECT_EQ(vatOfCents(50, 19, true), 10);
}

// Cases without VAT invoice an order at its net prices: each price and
// surcharge less its VAT by the rule, in cents; a small business's prices
// stay; once applied, applying again changes nothing.
TEST(TaxCases, InvoicedLinesTakeTheVatOutWhereTheCaseSaysSo)
{
    struct Case
    {
        const char *what;
        TaxCase taxCase;
        bool orderNet;
        double price, surcharge, rate;
        double invoicedPrice, invoicedSurcharge, invoicedRate;
        bool invoicedNet;
    };
    const Case cases[] = {
        {"domestic keeps everything", TaxCase::Domestic, false, 11.9, 1.19, 19, 11.9, 1.19, 19,
         false},
        {"domestic net keeps everything", TaxCase::Domestic, true, 10, 1, 7, 10, 1, 7, true},
        {"intra-community gross", TaxCase::IntraCommunity, false, 11.9, 1.19, 19, 10, 1, 0, true},
        {"reverse charge, VAT rounds down", TaxCase::ReverseCharge, false, 0.99, 0.5, 7, 0.93, 0.47,
         0, true},
        {"export of net prices", TaxCase::Export, true, 10, 1, 19, 10, 1, 0, true},
        {"export, a discount", TaxCase::Export, false, 11.9, -1.19, 19, 10, -1, 0, true},
        {"small business keeps its prices", TaxCase::SmallBusiness, false, 11.9, 1.19, 19, 11.9,
         1.19, 0, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TArtikel line;
        line.anzahl = 3;
        line.preis = c.price;
        line.mwst = c.rate;
        TOption option;
        option.preis = c.surcharge;
        line.optionen << option << TOption{}; // one without a price stays without
        bool net = false;
        const QList<TArtikel> invoiced = invoicedLines(c.taxCase, c.orderNet, {line}, &net);
        ASSERT_EQ(invoiced.size(), 1);
        EXPECT_DOUBLE_EQ(invoiced[0].preis, c.invoicedPrice);
        EXPECT_DOUBLE_EQ(invoiced[0].optionen[0].preis.value_or(-99), c.invoicedSurcharge);
        EXPECT_FALSE(invoiced[0].optionen[1].preis);
        EXPECT_EQ(invoiced[0].mwst, c.invoicedRate);
        EXPECT_EQ(invoiced[0].anzahl, 3);
        EXPECT_EQ(net, c.invoicedNet);
        bool again = false;
        const QList<TArtikel> twice = invoicedLines(c.taxCase, net, invoiced, &again);
        EXPECT_DOUBLE_EQ(twice[0].preis, invoiced[0].preis);
        EXPECT_EQ(again, net);
    }
}

TEST(TaxCases, TheClientsSmallBusinessWinsAndUnknownTextsCountAsDomestic)
{
    TMandant client;
    TBestellung order;
    TArtikel line;
    line.anzahl = 2;
    line.preis = 11.9;
    line.mwst = 19;
    for (const auto &[steuerfall, expected] :
         std::initializer_list<std::pair<const char *, TaxCase>>{
             {"", TaxCase::Domestic},
             {"Inland", TaxCase::Domestic},
             {" INNERGEMEINSCHAFTLICH ", TaxCase::IntraCommunity},
             {"ReverseCharge", TaxCase::ReverseCharge},
             {"Ausfuhr", TaxCase::Export},
             {"Mond", TaxCase::Domestic}}) {
        order.steuerfall = QString::fromUtf8(steuerfall);
        EXPECT_EQ(taxCaseOf(client, order), expected) << steuerfall;
    }
    EXPECT_FALSE(taxCaseFromText(QStringLiteral("Mond")));
    order.steuerfall = QStringLiteral("Ausfuhr");
    const auto exported = invoiceAmounts(client, order, {line}, nullptr);
    ASSERT_TRUE(exported);
    EXPECT_EQ(exported->grossCents, 2000);
    EXPECT_EQ(exported->vatCents, 0);
    client.kleinunternehmer = true;
    EXPECT_EQ(taxCaseOf(client, order), TaxCase::SmallBusiness);
    const auto small = invoiceAmounts(client, order, {line}, nullptr);
    ASSERT_TRUE(small);
    EXPECT_EQ(small->grossCents, 2380);
    EXPECT_EQ(small->vatCents, 0);
}
