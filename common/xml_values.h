// Readers and writers of the value texts in the system's XML files.
#pragma once

#include <QString>
#include <optional>

namespace vq {

// Booleans are written "-1" (true) and "0" (false).
inline QString boolText(bool value)
{
    return value ? QStringLiteral("-1") : QStringLiteral("0");
}

// A text that reads as a number is true unless it is 0; otherwise "True" and
// "False" in any letter case. Anything else, the empty text included, is
// unreadable (nullopt).
std::optional<bool> readXmlBool(const QString &text);

// A decimal integer (optional sign) within 32 bits; anything else is unreadable.
std::optional<int> readXmlInt(const QString &text);

} // namespace vq
