// Numbers as the regional settings write and read them: the project file, the
// article templates and every number shown to or typed by the user.
#pragma once

#include <QLocale>
#include <QString>

namespace vq {

// The regional settings money and numbers are shown and typed in: the
// default locale when it is German (Germany, Austria, Switzerland ...),
// German (Germany) on a desktop of another language or none (LC_ALL=C), so
// both programs show "1.234,50" like a German invoice. Files keep the default
// locale, so a project file written before reads and writes as it did.
QLocale displayLocale();

// General decimal form: up to 15 significant digits, no thousands separator,
// the locale's decimal separator, a whole number without decimals
// (German: 12.5 -> "12,5", 19 -> "19").
QString formatRegionalNumber(double value, const QLocale &locale = QLocale());

// Reads a number written by the regional settings. A thousands separator, the
// other decimal separator, blanks or an empty text make it unreadable.
double parseRegionalNumber(const QString &text, bool *ok, const QLocale &locale = QLocale());

// Reads a number from a file that another machine may have written under other
// regional settings: by the locale's rules first, then, when those refuse it,
// as a plain decimal with exactly one "," or "." as its decimal separator
// ("12,5" on English settings, "12.5" on German ones). Files never hold
// thousands separators, so "1.234,5" stays unreadable.
double parseFileNumber(const QString &text, bool *ok, const QLocale &locale = QLocale());

} // namespace vq
