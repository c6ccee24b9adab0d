#include "designer/generation/order/number_notation.h"

#include <cmath>

namespace vq {

namespace {

// The plain two-decimal text with a point, locale-independent, so that a
// regional setting with another decimal sign can never reach generated code.
QString cFixed2(double value)
{
    return QString::number(value, 'f', 2);
}

} // namespace

QString scriptNumber(double value)
{
    if (value == 0.0)
        return QStringLiteral("0"); // also for -0.0
    return QString::number(value, 'g', 15);
}

QString fixed2(double value, const QLocale &locale)
{
    QLocale plain(locale);
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(value, 'f', 2);
}

QString fixed2Point(double value)
{
    return cFixed2(value);
}

QString fixed2PointNoLeadingZero(double value)
{
    QString text = cFixed2(value);
    if (text.startsWith(QLatin1String("0.")))
        text.remove(0, 1);
    else if (text.startsWith(QLatin1String("-0.")))
        text.remove(1, 1);
    return text;
}

QString moneyText(double value, const QLocale &locale)
{
    QLocale grouped(locale);
    grouped.setNumberOptions(QLocale::DefaultNumberOptions);
    // An empty symbol makes Qt fall back to the ISO code, so lay the amount
    // out with a stand-in symbol and take the stand-in away again.
    const QChar standIn(0xE000);
    QString text = grouped.toCurrencyString(value, QString(standIn));
    text.remove(standIn);
    text.replace(QChar(0x00A0), QLatin1Char(' '));
    text.replace(QChar(0x202F), QLatin1Char(' '));
    return text;
}

QString priceKey(double value)
{
    const QString key = cFixed2(value);
    return key == QLatin1String("-0.00") ? QStringLiteral("0.00") : key;
}

} // namespace vq
