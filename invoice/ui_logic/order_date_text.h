// The order date as the order editor shows and reads it.
#pragma once

#include <QDateTime>
#include <QString>

namespace vq::invoice {

// The order date as the editor shows it: "24.12.2026", with the time of day
// when it has one ("24.12.2026 14:30:05"); empty for no date.
QString orderDateText(const QDateTime &zeit);
// The order date as typed: day.month.year (four digits) with an optional
// time "h:mm" or "h:mm:ss", or ISO "2026-12-24". Empty text is no date
// (*ok true, invalid result); text that is no such date sets *ok to false.
QDateTime orderDateFromText(const QString &text, bool *ok);

} // namespace vq::invoice
