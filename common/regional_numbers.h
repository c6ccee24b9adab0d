// Numbers as the regional settings write and read them: the project file, the
// article templates and every number shown to or typed by the user.
#pragma once

#include <QLocale>
#include <QString>

namespace vq {

// General decimal form: up to 15 significant digits, no thousands separator,
// the locale's decimal separator, a whole number without decimals
// (German: 12.5 -> "12,5", 19 -> "19").
QString formatRegionalNumber(double value, const QLocale &locale = QLocale());

// Reads a number written by the regional settings. A thousands separator, the
// other decimal separator, blanks or an empty text make it unreadable.
double parseRegionalNumber(const QString &text, bool *ok, const QLocale &locale = QLocale());

} // namespace vq
