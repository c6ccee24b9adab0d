#include "invoice/money/order_amounts.h"
#include "invoice/money/tax_case.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <map>

namespace vq::invoice {

namespace {

// Products of a quantity and a price in millionths need more than 64 bits.
__extension__ typedef __int128 Wide;

constexpr qint64 kMicrosPerCent = 10'000;
constexpr qint64 kMicrosPerUnit = 1'000'000;
// Unit prices and surcharges are bounded like line totals; far larger ones
// are no shop's and would not fit the arithmetic.
constexpr double kMaxPrice = double(kMaxLineTotalCents) / 100.0;

// a / b rounded half away from zero; b > 0.
Wide roundedDivision(Wide a, Wide b)
{
    const Wide magnitude = a < 0 ? -a : a;
    const Wide q = (magnitude * 2 + b) / (b * 2);
    return a < 0 ? -q : q;
}

// a / b rounded down (towards minus infinity) and the remainder in [0, b); b > 0.
std::pair<Wide, Wide> flooredDivision(Wide a, Wide b)
{
    Wide q = a / b;
    Wide r = a % b;
    if (r < 0) {
        q -= 1;
        r += b;
    }
    return {q, r};
}

std::optional<qint64> micros(double value)
{
    if (!std::isfinite(value) || std::fabs(value) > kMaxPrice)
        return std::nullopt;
    return qint64(std::llround(value * double(kMicrosPerUnit)));
}

// Hands the rounded total of a rate to its lines: each line's exact share
// rounded down, the cents left over to the lines that lost most by it.
QList<qint64> shares(const QList<qint64> &lineCents, qint64 rateTotal, Wide numerator,
                     Wide denominator)
{
    QList<qint64> result;
    QList<std::pair<Wide, int>> remainders;
    qint64 sum = 0;
    for (int i = 0; i < lineCents.size(); ++i) {
        const auto [q, r] = flooredDivision(Wide(lineCents[i]) * numerator, denominator);
        result << qint64(q);
        sum += qint64(q);
        remainders << std::pair<Wide, int>{r, i};
    }
    std::stable_sort(remainders.begin(), remainders.end(),
                     [](const auto &a, const auto &b) { return a.first > b.first; });
    qint64 missing = rateTotal - sum; // 0 ... number of lines
    for (int k = 0; missing > 0 && k < remainders.size(); ++k, --missing)
        ++result[remainders[k].second];
    return result;
}

} // namespace

std::optional<OrderAmounts> computeOrderAmounts(const QList<OrderLineInput> &lines, bool netPrices,
                                                QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return std::nullopt;
    };
    OrderAmounts result;
    result.net = netPrices;
    // Lines by rate in hundredths of a percent.
    std::map<qint64, QList<int>> byRate;
    for (int i = 0; i < lines.size(); ++i) {
        const OrderLineInput &line = lines[i];
        const QString which = QStringLiteral("Position %1").arg(i + 1);
        if (!std::isfinite(line.vatRate) || line.vatRate < 0 || line.vatRate > 100)
            return fail(QStringLiteral("%1: Der Mehrwertsteuersatz muss zwischen 0 und 100 liegen.")
                            .arg(which));
        auto unit = micros(line.unitPrice);
        if (!unit)
            return fail(QStringLiteral("%1: Der Preis ist zu groß oder keine Zahl.").arg(which));
        Wide piece = *unit;
        for (const double surcharge : line.surcharges) {
            const auto extra = micros(surcharge);
            if (!extra)
                return fail(
                    QStringLiteral("%1: Ein Aufpreis ist zu groß oder keine Zahl.").arg(which));
            piece += *extra;
        }
        const Wide cents = roundedDivision(Wide(line.quantity) * piece, kMicrosPerCent);
        if (cents > kMaxLineTotalCents || cents < -kMaxLineTotalCents)
            return fail(QStringLiteral("%1: Der Betrag der Position ist größer als 1.000.000.000.")
                            .arg(which));
        result.lines << OrderLineAmounts{qint64(cents), 0, 0};
        byRate[std::llround(line.vatRate * 100)].append(i);
    }
    for (const auto &[hundredths, members] : byRate) {
        QList<qint64> lineCents;
        qint64 sum = 0;
        for (const int i : members) {
            lineCents << result.lines[i].totalCents;
            sum += result.lines[i].totalCents; // at most 2^31 lines of 10^11: fits
        }
        // VAT = sum x rate / (100 + rate) with VAT included, sum x rate / 100 without.
        const Wide denominator = netPrices ? 10'000 : 10'000 + hundredths;
        const qint64 vat = qint64(roundedDivision(Wide(sum) * hundredths, denominator));
        const QList<qint64> vatShares = shares(lineCents, vat, hundredths, denominator);
        for (int k = 0; k < members.size(); ++k) {
            OrderLineAmounts &line = result.lines[members[k]];
            line.vatCents = vatShares[k];
            line.netCents = netPrices ? line.totalCents : line.totalCents - vatShares[k];
        }
        VatRateAmounts rate;
        rate.rate = double(hundredths) / 100.0;
        rate.vatCents = vat;
        rate.netCents = netPrices ? sum : sum - vat;
        rate.grossCents = rate.netCents + vat;
        result.rates << rate;
        result.netCents += rate.netCents;
        result.vatCents += rate.vatCents;
        result.grossCents += rate.grossCents;
    }
    return result;
}

std::optional<OrderAmounts> orderAmounts(const TBestellung &order, const QList<TArtikel> &lines,
                                         QString *error)
{
    QList<OrderLineInput> input;
    input.reserve(lines.size());
    for (const TArtikel &line : lines) {
        OrderLineInput in{line.anzahl, line.preis, {}, line.mwst};
        for (const TOption &option : line.optionen) {
            if (option.preis)
                in.surcharges << *option.preis;
        }
        input << in;
    }
    return computeOrderAmounts(input, order.netto, error);
}

std::optional<OrderAmounts> invoiceAmounts(const TMandant &client, const TBestellung &order,
                                           const QList<TArtikel> &lines, QString *error)
{
    TBestellung invoiced = order;
    const QList<TArtikel> taxed =
        invoicedLines(taxCaseOf(client, order), order.netto, lines, &invoiced.netto);
    return orderAmounts(invoiced, taxed, error);
}

std::optional<qint64> amountCents(qint64 quantity, double price)
{
    const auto unit = micros(price);
    if (!unit)
        return std::nullopt;
    const Wide cents = roundedDivision(Wide(quantity) * *unit, kMicrosPerCent);
    if (cents > kMaxLineTotalCents || cents < -kMaxLineTotalCents)
        return std::nullopt;
    return qint64(cents);
}

qint64 vatOfCents(qint64 cents, double rate, bool netPrices)
{
    if (!std::isfinite(rate) || rate < 0 || rate > 100)
        return 0;
    const qint64 hundredths = std::llround(rate * 100);
    return qint64(
        roundedDivision(Wide(cents) * hundredths, netPrices ? 10'000 : 10'000 + hundredths));
}

QString centsText(qint64 cents)
{
    const bool negative = cents < 0;
    const quint64 magnitude = negative ? quint64(0) - quint64(cents) : quint64(cents);
    return (negative ? QStringLiteral("-") : QString()) + QString::number(magnitude / 100) + u'.'
           + QStringLiteral("%1").arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

std::optional<qint64> parseCents(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(-?)(\\d{1,13})(?:[.,](\\d{1,12}))?\\s*$"));
    const auto match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QString decimals = match.captured(3);
    qint64 cents =
        match.captured(2).toLongLong() * 100 + decimals.left(2).leftJustified(2, u'0').toLongLong();
    // Half away from zero: the third decimal decides.
    if (decimals.size() > 2 && decimals.at(2) >= u'5')
        ++cents;
    return match.captured(1).isEmpty() ? cents : -cents;
}

} // namespace vq::invoice
