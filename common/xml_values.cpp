#include "common/xml_values.h"

#include <QLocale>

#include <cmath>

namespace vq {

std::optional<bool> readXmlBool(const QString &text)
{
    if (auto number = readXmlInt(text))
        return *number != 0;
    // Fractional numbers count as numbers too (both decimal separators).
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    if (ok && std::isfinite(value))
        return value != 0.0;
    const double regional = QLocale().toDouble(text, &ok);
    if (ok && std::isfinite(regional))
        return regional != 0.0;
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

std::optional<int> readXmlInt(const QString &text)
{
    // QString::toInt accepts surrounding blanks; a decimal integer does not.
    if (text.isEmpty() || text.front().isSpace() || text.back().isSpace())
        return std::nullopt;
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace vq
