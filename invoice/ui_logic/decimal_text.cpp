#include "invoice/ui_logic/decimal_text.h"

#include "common/regional_numbers.h"

#include <QLocale>

#include <cmath>

namespace vq::invoice {

const QRegularExpression &decimalPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^[0-9]*([.,][0-9]*)?$"));
    return pattern;
}

bool holdsSeparator(const QString &text)
{
    return text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('.'));
}

bool decimalKeyAccepted(const QString &text, QChar typed)
{
    if (typed.isDigit() && typed.unicode() < 128)
        return true;
    if (typed == QLatin1Char(',') || typed == QLatin1Char('.'))
        return !holdsSeparator(text);
    return false;
}

std::optional<double> decimalBoxValue(const QString &text)
{
    if (!decimalPattern().match(text).hasMatch() || text == QLatin1String(",")
        || text == QLatin1String(".") || text.isEmpty())
        return std::nullopt;
    QString point = text;
    point.replace(QLatin1Char(','), QLatin1Char('.'));
    if (point.startsWith(QLatin1Char('.')))
        point.prepend(QLatin1Char('0'));
    if (point.endsWith(QLatin1Char('.')))
        point.chop(1);
    bool ok = false;
    const double value = QLocale::c().toDouble(point, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> optionPriceFromText(const QString &text, bool *ok)
{
    const QString trimmed = text.trimmed();
    *ok = true;
    if (trimmed.isEmpty())
        return std::nullopt;
    const double value = vq::parseFileNumber(trimmed, ok);
    if (!*ok)
        return std::nullopt;
    return value;
}

QValidator::State DecimalValidator::validate(QString &input, int &) const
{
    return decimalPattern().match(input).hasMatch() ? Acceptable : Invalid;
}

} // namespace vq::invoice
