// The number notations of the order table: numbers in generated scripts and
// hidden fields (always with a point) and prices shown to the customer (by
// the regional settings).
#pragma once

#include <QLocale>
#include <QString>

namespace vq {

// N: general form, up to 15 significant digits, no thousands separator, a
// point (12.5 -> "12.5", 19 -> "19", 0.19 -> "0.19").
QString scriptNumber(double value);

// F2: two decimals, at least one digit before the regional decimal separator,
// no thousands separator (German: 12.5 -> "12,50").
QString fixed2(double value, const QLocale &locale);

// F2.: F2 with a point instead of the comma (12.5 -> "12.50").
QString fixed2Point(double value);

// F2': two decimals, no mandatory digit before the point, no thousands
// separator (0.5 -> ".50", 12.5 -> "12.50").
QString fixed2PointNoLeadingZero(double value);

// M: a money amount by the regional settings (thousands separator, currency
// decimals, layout of amount and sign) with an empty currency symbol; a blank
// of the layout stays as a plain blank (German: 1234.5 -> "1.234,50 ").
QString moneyText(double value, const QLocale &locale);

// K: the surcharge in the value key of a price option: two decimals with a
// point, no thousands separator, a leading minus (1234567.5 -> "1234567.50",
// -2.5 -> "-2.50"), whatever the regional settings, so that the page's script
// and the form mailer read back exactly the amount shown.
QString priceKey(double value);

} // namespace vq
