#include "regional_numbers.h"

#include <cmath>

namespace vq {

namespace {
QLocale strictLocale(const QLocale &locale)
{
    QLocale strict(locale);
    strict.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return strict;
}
} // namespace

QString formatRegionalNumber(double value, const QLocale &locale)
{
    if (value == 0.0)
        return QStringLiteral("0"); // also for -0.0
    return strictLocale(locale).toString(value, 'g', 15);
}

double parseRegionalNumber(const QString &text, bool *ok, const QLocale &locale)
{
    bool good = false;
    double value = strictLocale(locale).toDouble(text, &good);
    if (good && !std::isfinite(value))
        good = false;
    if (ok)
        *ok = good;
    return good ? value : 0.0;
}

} // namespace vq
