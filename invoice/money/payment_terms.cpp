#include "invoice/money/payment_terms.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace vq::invoice {

namespace {

QString dateText(const QDate &date)
{
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

// Hundredths as a German decimal with two places ("2,00", "1.234,56").
QString hundredthsText(qint64 value)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    return german.toString(double(value) / 100.0, 'f', 2);
}

} // namespace

std::optional<std::pair<int, qint64>> cashDiscountOf(const TMandant &client)
{
    if (!client.skontoTage || *client.skontoTage < 1 || *client.skontoTage > 3650
        || !std::isfinite(client.skontoProzent))
        return std::nullopt;
    const qint64 hundredths = std::llround(client.skontoProzent * 100);
    if (hundredths <= 0 || hundredths >= 10000)
        return std::nullopt;
    return std::pair{*client.skontoTage, hundredths};
}

PaymentTerms paymentTerms(const TMandant &client, const QDate &invoiceDate, qint64 owedCents)
{
    PaymentTerms terms;
    if (!invoiceDate.isValid() || owedCents <= 0)
        return terms;
    QStringList sentences;
    if (const auto discount = cashDiscountOf(client)) {
        CashDiscount d;
        d.days = discount->first;
        d.hundredthsPercent = discount->second;
        d.until = invoiceDate.addDays(d.days);
        // owed x percent / 100, half away from zero; owed is positive.
        d.cents = (owedCents * d.hundredthsPercent + 5000) / 10000;
        const QString currency = client.waehrung.trimmed();
        sentences << QStringLiteral("Bei Zahlung bis %1 %2 % Skonto (%3%4).")
                         .arg(dateText(d.until), hundredthsText(d.hundredthsPercent),
                              hundredthsText(d.cents),
                              currency.isEmpty() ? QString() : u' ' + currency);
        terms.discount = d;
    }
    if (client.zahlungsziel && *client.zahlungsziel >= 0) {
        const int days = std::min(*client.zahlungsziel, 3650);
        terms.dueDate = invoiceDate.addDays(days);
        sentences
            << (days == 0
                    ? QStringLiteral("Sofort fällig ohne Abzug.")
                    : QStringLiteral("Zahlbar bis %1 ohne Abzug.").arg(dateText(*terms.dueDate)));
    }
    terms.text = sentences.join(u' ');
    return terms;
}

QString cashDiscountLine(const PaymentTerms &terms)
{
    if (!terms.discount)
        return QString();
    return QStringLiteral("#SKONTO#TAGE=%1#PROZENT=%2.%3#\n")
        .arg(terms.discount->days)
        .arg(terms.discount->hundredthsPercent / 100)
        .arg(terms.discount->hundredthsPercent % 100, 2, 10, QLatin1Char('0'));
}

} // namespace vq::invoice
