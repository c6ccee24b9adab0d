// How the invoice windows show money and rates in their lists: "1.234,50 €"
// in the current client's currency, rates as "19 %" or "5,5 %".
#pragma once

#include "invoice/report/invoice_renderer.h"

#include <QLocale>
#include <QString>

namespace vq::invoice {

inline QString moneyText(double value, const QString &currency, const QLocale &locale = QLocale())
{
    const QString amount = formatMoney(value, locale);
    return currency.isEmpty() ? amount : amount + QLatin1Char(' ') + currency;
}

inline QString moneyCentsText(qint64 cents, const QString &currency,
                              const QLocale &locale = QLocale())
{
    const QString amount = formatCents(cents, locale);
    return currency.isEmpty() ? amount : amount + QLatin1Char(' ') + currency;
}

// An order whose stored amounts the money rule refuses (written by another program).
inline const QString kTextAmountInvalid = QStringLiteral("ungültig");

inline QString rateText(double value, const QLocale &locale = QLocale())
{
    return formatRate(value, locale) + QStringLiteral(" %");
}

} // namespace vq::invoice
