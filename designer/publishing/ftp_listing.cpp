#include "designer/publishing/ftp_listing.h"

#include <QRegularExpression>
#include <QTimeZone>

namespace vq {

namespace {

int monthNumber(const QString &name)
{
    static const char *const months[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                         "jul", "aug", "sep", "oct", "nov", "dec"};
    const QString lower = name.toLower();
    for (int i = 0; i < 12; ++i) {
        if (lower == QLatin1String(months[i]))
            return i + 1;
    }
    return 0;
}

bool isDotEntry(const QString &name)
{
    return name.isEmpty() || name == u"." || name == u"..";
}

// Unix "ls -l": "drwxr-xr-x 2 owner group 4096 Jan 12 10:30 name" (the last
// twelve months) or "-rw-r--r-- 1 owner group 12 Mar  3  2019 name"; the group
// may be missing and owner names may hold blanks or digits. The size is the
// number right before the month.
std::optional<FtpEntry> parseUnix(const QString &line, const QDate &today)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^([-dlcbpsDLCBPS])[-rwxsStTlL]{9}\\S*\\s.*?(\\d+)\\s+([A-Za-z]{3})\\s+(\\d{1,2})\\s+"
        "(?:(\\d{1,2}):(\\d{2})(?::(\\d{2}))?|(\\d{4}))\\s(.+)$"));
    const QRegularExpressionMatch m = pattern.match(line);
    if (!m.hasMatch())
        return std::nullopt;
    const int month = monthNumber(m.captured(3));
    const int day = m.captured(4).toInt();
    if (month == 0)
        return std::nullopt;
    FtpEntry entry;
    bool sizeOk = false;
    entry.size = m.captured(2).toLongLong(&sizeOk);
    if (!sizeOk)
        entry.size = -1;
    const QChar type = m.captured(1).at(0).toLower();
    QString name = m.captured(9);
    if (type == u'l') {
        // "link -> target": the link's own name; a link is shown as a file.
        const qsizetype arrow = name.indexOf(QLatin1String(" -> "));
        if (arrow > 0)
            name.truncate(arrow);
    }
    entry.name = name;
    entry.folder = type == u'd';
    if (!m.captured(8).isEmpty()) {
        entry.modified = QDateTime(QDate(m.captured(8).toInt(), month, day), QTime(0, 0));
    } else {
        // Without a year the date lies in the twelve months up to today.
        QDate date(today.year(), month, day);
        if (!date.isValid() || date > today.addDays(1))
            date = QDate(today.year() - 1, month, day);
        entry.modified =
            QDateTime(date, QTime(m.captured(5).toInt(), m.captured(6).toInt(),
                                  m.captured(7).isEmpty() ? 0 : m.captured(7).toInt()));
    }
    if (!entry.modified.isValid())
        entry.modified = QDateTime();
    return entry;
}

// MS-DOS and IIS: "01-12-20  10:30AM       <DIR>          folder" or
// "01-12-2020  22:30   12345 file.txt" (month first).
std::optional<FtpEntry> parseDos(const QString &line)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{1,2})-(\\d{1,2})-(\\d{2}|\\d{4})\\s+(\\d{1,2}):(\\d{2})\\s*([AaPp]["
                       "Mm])?\\s+(<DIR>|\\d+)\\s+(.+)$"));
    const QRegularExpressionMatch m = pattern.match(line);
    if (!m.hasMatch())
        return std::nullopt;
    int year = m.captured(3).toInt();
    if (m.captured(3).size() == 2)
        year += year < 70 ? 2000 : 1900;
    int hour = m.captured(4).toInt();
    const QString half = m.captured(6).toUpper();
    if (half == u"PM" && hour < 12)
        hour += 12;
    else if (half == u"AM" && hour == 12)
        hour = 0;
    FtpEntry entry;
    entry.name = m.captured(8);
    entry.folder = m.captured(7) == u"<DIR>";
    if (!entry.folder)
        entry.size = m.captured(7).toLongLong();
    entry.modified = QDateTime(QDate(year, m.captured(1).toInt(), m.captured(2).toInt()),
                               QTime(hour, m.captured(5).toInt()));
    if (!entry.modified.isValid())
        entry.modified = QDateTime();
    return entry;
}

// EPLF: "+i8388621.29609,m824255902,/,\tdev" (facts, a tab, the name).
std::optional<FtpEntry> parseEplf(const QString &line)
{
    const qsizetype tab = line.indexOf(u'\t');
    if (!line.startsWith(u'+') || tab < 0)
        return std::nullopt;
    FtpEntry entry;
    entry.name = line.mid(tab + 1);
    bool listable = false;
    for (const QString &fact : line.mid(1, tab - 1).split(u',', Qt::SkipEmptyParts)) {
        if (fact == u"/") {
            entry.folder = true;
            listable = true;
        } else if (fact == u"r") {
            listable = true;
        } else if (fact.startsWith(u's')) {
            bool ok = false;
            const qint64 size = fact.mid(1).toLongLong(&ok);
            if (ok && size >= 0)
                entry.size = size;
        } else if (fact.startsWith(u'm')) {
            bool ok = false;
            const qint64 seconds = fact.mid(1).toLongLong(&ok);
            if (ok)
                entry.modified =
                    QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc()).toLocalTime();
        }
    }
    if (!listable)
        return std::nullopt;
    return entry;
}

} // namespace

// No real listing line comes near this; longer ones are not read, so a
// hostile server cannot make the patterns work for long.
constexpr qsizetype kMaxLineLength = 4096;

std::optional<FtpEntry> parseListLine(const QString &line, const QDate &today)
{
    if (line.size() > kMaxLineLength)
        return std::nullopt;
    std::optional<FtpEntry> entry;
    if (line.startsWith(u'+'))
        entry = parseEplf(line);
    else if (!line.isEmpty() && line.at(0).isDigit())
        entry = parseDos(line);
    else
        entry = parseUnix(line, today);
    if (entry && isDotEntry(entry->name))
        return std::nullopt;
    return entry;
}

std::optional<FtpEntry> parseMlsdLine(const QString &line)
{
    if (line.size() > kMaxLineLength)
        return std::nullopt;
    // Facts end at the first blank; the name is the rest, blanks and all.
    const qsizetype space = line.indexOf(u' ');
    if (space <= 0)
        return std::nullopt;
    FtpEntry entry;
    entry.name = line.mid(space + 1);
    QString type;
    for (const QString &fact : line.left(space).split(u';', Qt::SkipEmptyParts)) {
        const qsizetype eq = fact.indexOf(u'=');
        if (eq <= 0)
            continue;
        const QString key = fact.left(eq).toLower();
        const QString value = fact.mid(eq + 1);
        if (key == u"type") {
            type = value.toLower();
        } else if (key == u"size") {
            bool ok = false;
            const qint64 size = value.toLongLong(&ok);
            if (ok && size >= 0)
                entry.size = size;
        } else if (key == u"modify") {
            // UTC, YYYYMMDDHHMMSS with optional fractions.
            QDateTime utc = QDateTime::fromString(value.left(14), QStringLiteral("yyyyMMddHHmmss"));
            if (utc.isValid()) {
                utc.setTimeZone(QTimeZone::utc());
                entry.modified = utc.toLocalTime();
            }
        }
    }
    if (type == u"cdir" || type == u"pdir" || isDotEntry(entry.name))
        return std::nullopt;
    entry.folder = type == u"dir";
    if (entry.folder)
        entry.size = -1;
    return entry;
}

QList<FtpEntry> parseListing(const QByteArray &reply, bool mlsd, const QDate &today)
{
    QList<FtpEntry> entries;
    // Names on the wire are UTF-8 on current servers; anything else is kept byte for byte.
    for (QByteArray line : reply.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const QString text = QString::fromUtf8(line);
        const auto entry = mlsd ? parseMlsdLine(text) : parseListLine(text, today);
        if (entry)
            entries << *entry;
    }
    return entries;
}

} // namespace vq
