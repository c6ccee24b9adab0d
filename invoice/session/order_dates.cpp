#include "invoice/session/order_dates.h"

#include <QRegularExpression>

namespace vq::invoice {

QString orderDateText(const QDateTime &zeit)
{
    if (!zeit.isValid())
        return QString();
    if (zeit.time() == QTime(0, 0))
        return zeit.date().toString(QStringLiteral("dd.MM.yyyy"));
    return zeit.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QDateTime orderDateFromText(const QString &text, bool *ok)
{
    const QString trimmed = text.trimmed();
    *ok = true;
    if (trimmed.isEmpty())
        return QDateTime();
    static const QRegularExpression german(QStringLiteral(
        "^(\\d{1,2})\\.(\\d{1,2})\\.(\\d{4})(?:\\s+(\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?$"));
    static const QRegularExpression iso(
        QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})(?:[ T](\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?$"));
    QDate date;
    QTime time(0, 0);
    QRegularExpressionMatch m = german.match(trimmed);
    int hourGroup = 4;
    if (m.hasMatch()) {
        date = QDate(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
    } else if ((m = iso.match(trimmed)).hasMatch()) {
        date = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    } else {
        *ok = false;
        return QDateTime();
    }
    if (m.hasCaptured(hourGroup)) {
        time = QTime(m.captured(hourGroup).toInt(), m.captured(hourGroup + 1).toInt(),
                     m.hasCaptured(hourGroup + 2) ? m.captured(hourGroup + 2).toInt() : 0);
    }
    // Orders come from shop owners' lifetimes, not from year 1.
    if (!date.isValid() || !time.isValid() || date.year() < 1900) {
        *ok = false;
        return QDateTime();
    }
    return QDateTime(date, time, Qt::UTC);
}

} // namespace vq::invoice
