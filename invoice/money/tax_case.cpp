#include "invoice/money/tax_case.h"
#include "invoice/money/order_amounts.h"

#include <QStringList>
#include <initializer_list>
#include <utility>

namespace vq::invoice {

namespace {

// A price less the VAT it holds at the rate, in whole cents.
double netOf(double grossPrice, double rate)
{
    const auto cents = amountCents(1, grossPrice);
    if (!cents)
        return grossPrice; // the money rule refuses it later
    return double(*cents - vatOfCents(*cents, rate, false)) / 100.0;
}

} // namespace

std::optional<TaxCase> taxCaseFromText(const QString &steuerfall)
{
    const QString text = steuerfall.trimmed();
    if (text.isEmpty() || text.compare(QStringView(kSteuerfallInland), Qt::CaseInsensitive) == 0)
        return TaxCase::Domestic;
    if (text.compare(QStringView(kSteuerfallInnergemeinschaftlich), Qt::CaseInsensitive) == 0)
        return TaxCase::IntraCommunity;
    if (text.compare(QStringView(kSteuerfallReverseCharge), Qt::CaseInsensitive) == 0)
        return TaxCase::ReverseCharge;
    if (text.compare(QStringView(kSteuerfallAusfuhr), Qt::CaseInsensitive) == 0)
        return TaxCase::Export;
    return std::nullopt;
}

QString taxCaseText(TaxCase taxCase)
{
    switch (taxCase) {
    case TaxCase::IntraCommunity:
        return QString::fromUtf16(kSteuerfallInnergemeinschaftlich);
    case TaxCase::ReverseCharge:
        return QString::fromUtf16(kSteuerfallReverseCharge);
    case TaxCase::Export:
        return QString::fromUtf16(kSteuerfallAusfuhr);
    case TaxCase::Domestic:
    case TaxCase::SmallBusiness:
        break;
    }
    return QString::fromUtf16(kSteuerfallInland);
}

QString taxCaseLabel(TaxCase taxCase)
{
    switch (taxCase) {
    case TaxCase::Domestic:
        return QStringLiteral("Inland");
    case TaxCase::SmallBusiness:
        return QStringLiteral("Kleinunternehmer (§ 19 UStG)");
    case TaxCase::IntraCommunity:
        return QStringLiteral("Innergemeinschaftliche Lieferung");
    case TaxCase::ReverseCharge:
        return QStringLiteral("Reverse Charge (§ 13b UStG)");
    case TaxCase::Export:
        return QStringLiteral("Ausfuhr (Drittland)");
    }
    return QString();
}

TaxCase taxCaseOf(const TMandant &client, const TBestellung &order)
{
    if (client.kleinunternehmer)
        return TaxCase::SmallBusiness;
    return taxCaseFromText(order.steuerfall).value_or(TaxCase::Domestic);
}

QList<TArtikel> invoicedLines(TaxCase taxCase, bool orderNetPrices, const QList<TArtikel> &lines,
                              bool *netPrices)
{
    if (chargesVat(taxCase)) {
        *netPrices = orderNetPrices;
        return lines;
    }
    // A small business's prices are what the customer pays: no VAT in them.
    const bool takeVatOut = !orderNetPrices && taxCase != TaxCase::SmallBusiness;
    QList<TArtikel> result = lines;
    for (TArtikel &line : result) {
        if (takeVatOut) {
            line.preis = netOf(line.preis, line.mwst);
            for (TOption &option : line.optionen) {
                if (option.preis)
                    option.preis = netOf(*option.preis, line.mwst);
            }
        }
        line.mwst = 0;
    }
    *netPrices = true;
    return result;
}

QString taxCaseNote(TaxCase taxCase, const TMandant &client, const TBestellung &order)
{
    // "USt-IdNr. des Lieferers: DE…" for each number there is.
    const auto ids = [](std::initializer_list<std::pair<const char *, QString>> parts) {
        QStringList named;
        for (const auto &[who, id] : parts) {
            if (!id.trimmed().isEmpty())
                named << QStringLiteral("USt-IdNr. des %1: %2")
                             .arg(QString::fromUtf8(who), id.trimmed());
        }
        return named.isEmpty() ? QString() : u' ' + named.join(QStringLiteral(", ")) + u'.';
    };
    switch (taxCase) {
    case TaxCase::Domestic:
        return QString();
    case TaxCase::SmallBusiness:
        return QStringLiteral("Gemäß § 19 UStG wird keine Umsatzsteuer berechnet.");
    case TaxCase::IntraCommunity:
        return QStringLiteral("Steuerfreie innergemeinschaftliche Lieferung (§ 4 Nr. 1 Buchst. b "
                              "i. V. m. § 6a UStG).")
               + ids({{"Lieferers", client.ustIdNr}, {"Abnehmers", order.ustIdNr}});
    case TaxCase::ReverseCharge:
        return QStringLiteral("Steuerschuldnerschaft des Leistungsempfängers (§ 13b UStG).")
               + ids({{"Leistenden", client.ustIdNr}, {"Leistungsempfängers", order.ustIdNr}});
    case TaxCase::Export:
        return QStringLiteral(
            "Steuerfreie Ausfuhrlieferung (§ 4 Nr. 1 Buchst. a i. V. m. § 6 UStG).");
    }
    return QString();
}

} // namespace vq::invoice
