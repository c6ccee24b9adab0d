#include "common/regional_numbers.h"

#include <QRegularExpression>

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

QLocale displayLocale()
{
    const QLocale locale;
    return locale.language() == QLocale::German ? locale
                                                : QLocale(QLocale::German, QLocale::Germany);
}

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

double parseFileNumber(const QString &text, bool *ok, const QLocale &locale)
{
    bool good = false;
    double value = parseRegionalNumber(text, &good, locale);
    if (!good) {
        static const QRegularExpression plain(QStringLiteral("^-?[0-9]+([.,][0-9]+)?$"));
        if (plain.match(text).hasMatch()) {
            QString point = text;
            point.replace(QLatin1Char(','), QLatin1Char('.'));
            value = QLocale::c().toDouble(point, &good);
            good = good && std::isfinite(value);
        }
    }
    if (ok)
        *ok = good;
    return good ? value : 0.0;
}

} // namespace vq
