// Directory listings of FTP servers: the LIST styles servers really send (Unix
// "ls -l" with both date forms, MS-DOS/IIS, EPLF) and MLSD lines. Each entry
// gives what the FTP browser shows: name, size, date and time, and whether it
// is a folder (a link counts as a file).
#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace vq {

struct FtpEntry
{
    QString name;
    qint64 size = -1;   // bytes; -1 when the listing gives none
    QDateTime modified; // invalid when the listing gives none
    bool folder = false;

    bool operator==(const FtpEntry &) const = default;
};

// One line of a LIST reply, or nothing for lines that name no entry ("total
// 12", ".", "..", empty or unreadable lines). today decides the year of Unix
// dates given with a time instead of a year.
std::optional<FtpEntry> parseListLine(const QString &line, const QDate &today);

// One line of an MLSD reply ("type=file;size=12;modify=20240101120000; name").
std::optional<FtpEntry> parseMlsdLine(const QString &line);

// Every entry of a reply, lines split at CR LF or LF.
QList<FtpEntry> parseListing(const QByteArray &reply, bool mlsd, const QDate &today);

} // namespace vq
