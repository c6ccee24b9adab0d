#include "einvoice_amounts.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

namespace vq::invoice {

namespace {

qint64 roundCents(double amount)
{
    return qint64(std::llround(amount * 100.0));
}

// The net part of a gross amount at a rate, rounded to cents.
qint64 netOf(qint64 grossCents, double rate)
{
    return qint64(std::llround(double(grossCents) * 100.0 / (100.0 + rate)));
}

} // namespace

TEInvoiceAmounts computeEInvoiceAmounts(const QList<TEInvoiceLineInput> &lines)
{
    TEInvoiceAmounts result;
    double exactTotal = 0;
    for (const TEInvoiceLineInput &line : lines) {
        const double gross = double(line.quantity) * line.grossUnitPrice;
        exactTotal += gross;
        result.lines << TEInvoiceLineAmounts{roundCents(gross), 0};
    }
    // The printed total is the exact sum rounded; the largest line absorbs
    // what the rounding of single lines added up to.
    result.grossTotalCents = roundCents(exactTotal);
    const qint64 lineSum = std::accumulate(result.lines.begin(), result.lines.end(), qint64(0),
                                           [](qint64 sum, const TEInvoiceLineAmounts &l) { return sum + l.grossCents; });
    if (!result.lines.isEmpty() && lineSum != result.grossTotalCents) {
        auto largest = std::max_element(result.lines.begin(), result.lines.end(),
                                        [](const auto &a, const auto &b) { return std::llabs(a.grossCents) < std::llabs(b.grossCents); });
        largest->grossCents += result.grossTotalCents - lineSum;
    }

    // Per rate: the taxable amount from the group's gross, the VAT the rest.
    std::map<double, QList<int>> byRate;
    for (int i = 0; i < lines.size(); ++i)
        byRate[lines[i].vatRate].append(i);
    for (const auto &[rate, members] : byRate) {
        qint64 groupGross = 0;
        for (int i : members)
            groupGross += result.lines[i].grossCents;
        TEInvoiceVatGroup group;
        group.rate = rate;
        group.basisCents = netOf(groupGross, rate);
        group.vatCents = groupGross - group.basisCents;

        // Net line amounts add up to the taxable amount: each line's own net
        // part, and the cents left over go to the lines whose rounding cut most.
        struct Share
        {
            int line;
            double remainder;
        };
        QList<Share> shares;
        qint64 netSum = 0;
        for (int i : members) {
            const double exact = double(result.lines[i].grossCents) * 100.0 / (100.0 + rate);
            const qint64 net = qint64(std::floor(exact));
            result.lines[i].netCents = net;
            netSum += net;
            shares << Share{i, exact - double(net)};
        }
        std::stable_sort(shares.begin(), shares.end(),
                         [](const Share &a, const Share &b) { return a.remainder > b.remainder; });
        qint64 missing = group.basisCents - netSum;
        for (int k = 0; missing != 0 && !shares.isEmpty(); k = (k + 1) % int(shares.size())) {
            const qint64 step = missing > 0 ? 1 : -1;
            result.lines[shares[k].line].netCents += step;
            missing -= step;
        }
        result.netTotalCents += group.basisCents;
        result.vatTotalCents += group.vatCents;
        result.groups << group;
    }
    return result;
}

} // namespace vq::invoice
