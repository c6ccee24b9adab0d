// Listing lines of several server kinds, as they come over the wire.
#include "designer/publishing/ftp_listing.h"

#include <QTimeZone>
#include <gtest/gtest.h>

using namespace vq;

namespace {

QDateTime local(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

QDateTime utc(int y, int mo, int d, int h, int mi, int s)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), QTimeZone::utc()).toLocalTime();
}

struct ListCase
{
    const char *server;
    const char *line;
    bool entry;
    const char *name;
    qint64 size;
    QDateTime modified;
    bool folder;
};

} // namespace

TEST(FtpListing, LinesOfRealServers)
{
    const QDate today(2026, 3, 15);
    const ListCase cases[] = {
        {"vsftpd folder, recent", "drwxr-xr-x    2 1000     1000         4096 Mar 12 10:30 bilder",
         true, "bilder", 4096, local(2026, 3, 12, 10, 30), true},
        {"vsftpd file, older with year",
         "-rw-r--r--    1 1000     1000        12345 Mar  3  2019 index.html", true, "index.html",
         12345, local(2019, 3, 3), false},
        {"recent date after today is last year",
         "-rw-r--r--   1 web  web   7 Dec 24 18:00 weihnachten.htm", true, "weihnachten.htm", 7,
         local(2025, 12, 24, 18, 0), false},
        {"ProFTPD, owner without group", "-rw-r--r--   1 owner 2048 Jan  5 09:05 kontakt.php", true,
         "kontakt.php", 2048, local(2026, 1, 5, 9, 5), false},
        {"name with blanks", "-rw-r--r--   1 u g   10 Feb 28 23:59 mein formular.htm", true,
         "mein formular.htm", 10, local(2026, 2, 28, 23, 59), false},
        {"link to a folder is a file", "lrwxrwxrwx   1 u g   11 Mar  1 12:00 www -> public_html",
         true, "www", 11, local(2026, 3, 1, 12, 0), false},
        {"large file", "-rw-r--r--   1 u g 5368709120 Jun 30  2024 sicherung.tar", true,
         "sicherung.tar", 5368709120LL, local(2024, 6, 30), false},
        {"time with seconds", "-rw-r--r--   1 u g   3 Mar 14 08:01:02 a.txt", true, "a.txt", 3,
         local(2026, 3, 14, 8, 1, 2), false},
        {"sticky bit and ACL mark", "drwxrwxrwt+  4 root root 80 Mar  2 07:00 tmp", true, "tmp", 80,
         local(2026, 3, 2, 7, 0), true},
        {"total line", "total 24", false, "", 0, {}, false},
        {"dot", "drwxr-xr-x    2 u g 4096 Mar 12 10:30 .", false, "", 0, {}, false},
        {"dot dot", "drwxr-xr-x    2 u g 4096 Mar 12 10:30 ..", false, "", 0, {}, false},
        {"hidden file", "-rw-r--r--    1 u g 12 Mar 12 10:30 .htaccess", true, ".htaccess", 12,
         local(2026, 3, 12, 10, 30), false},
        {"IIS folder, 12-hour clock", "01-12-20  10:30AM       <DIR>          aspnet_client", true,
         "aspnet_client", -1, local(2020, 1, 12, 10, 30), true},
        {"IIS file, afternoon", "11-05-2021  02:15PM               1234 default.htm", true,
         "default.htm", 1234, local(2021, 11, 5, 14, 15), false},
        {"IIS noon and midnight", "07-04-19  12:00AM                  0 leer.txt", true, "leer.txt",
         0, local(2019, 7, 4, 0, 0), false},
        {"MS-DOS 24-hour clock", "03-15-26  22:45                  99 spät.htm", true, "spät.htm",
         99, local(2026, 3, 15, 22, 45), false},
        {"EPLF folder", "+i8388621.29609,m824255902,/,\tdev", true, "dev", -1,
         QDateTime::fromSecsSinceEpoch(824255902, QTimeZone::utc()).toLocalTime(), true},
        {"EPLF file", "+i8388621.44468,m839956783,r,s10376,\tRFCEPLF", true, "RFCEPLF", 10376,
         QDateTime::fromSecsSinceEpoch(839956783, QTimeZone::utc()).toLocalTime(), false},
        {"EPLF without kind", "+m839956783,s10,\tweder", false, "", 0, {}, false},
        {"garbage", "Das ist keine Zeile", false, "", 0, {}, false},
        {"empty", "", false, "", 0, {}, false},
        {"impossible date", "-rw-r--r--   1 u g 3 Feb 31 2020 x", true, "x", 3, {}, false},
    };
    for (const ListCase &c : cases) {
        SCOPED_TRACE(c.server);
        const auto entry = parseListLine(QString::fromUtf8(c.line), today);
        ASSERT_EQ(entry.has_value(), c.entry);
        if (!entry)
            continue;
        EXPECT_EQ(entry->name, QString::fromUtf8(c.name));
        EXPECT_EQ(entry->size, c.size);
        EXPECT_EQ(entry->modified, c.modified);
        EXPECT_EQ(entry->folder, c.folder);
    }
}

TEST(FtpListing, MlsdLines)
{
    const ListCase cases[] = {
        {"file", "type=file;size=1830;modify=20240102131415;perm=adfrw; index.html", true,
         "index.html", 1830, utc(2024, 1, 2, 13, 14, 15), false},
        {"folder", "type=dir;modify=20231224180000.123;perm=flcdmpe; bilder", true, "bilder", -1,
         utc(2023, 12, 24, 18, 0, 0), true},
        {"name with blanks and semicolons",
         "type=file;size=1; a; b c.txt",
         true,
         "a; b c.txt",
         1,
         {},
         false},
        {"current and parent", "type=cdir;modify=20240101000000; /www", false, "", 0, {}, false},
        {"parent", "type=pdir; ..", false, "", 0, {}, false},
        {"link is a file",
         "type=OS.unix=slink:/srv;size=4; verweis",
         true,
         "verweis",
         4,
         {},
         false},
        {"no facts", "index.html", false, "", 0, {}, false},
    };
    for (const ListCase &c : cases) {
        SCOPED_TRACE(c.server);
        const auto entry = parseMlsdLine(QString::fromUtf8(c.line));
        ASSERT_EQ(entry.has_value(), c.entry);
        if (!entry)
            continue;
        EXPECT_EQ(entry->name, QString::fromUtf8(c.name));
        EXPECT_EQ(entry->size, c.size);
        EXPECT_EQ(entry->modified, c.modified);
        EXPECT_EQ(entry->folder, c.folder);
    }
}

TEST(FtpListing, OverlongLinesAreNoEntries)
{
    // A hostile server's endless line is not read, whatever its shape.
    for (const char *fill : {"1", "1 ", "Jan 1 "}) {
        QString line = QStringLiteral("-rw-r--r-- ");
        while (line.size() < 200000)
            line += QString::fromLatin1(fill);
        line += QStringLiteral(" 5 Mar 12 10:30 x");
        EXPECT_FALSE(parseListLine(line, QDate(2026, 3, 15)).has_value()) << fill;
        EXPECT_FALSE(parseMlsdLine(QStringLiteral("type=file;") + line).has_value()) << fill;
    }
}

TEST(FtpListing, WholeReplyWithMixedLineEnds)
{
    const QByteArray reply = "total 8\r\n"
                             "drwxr-xr-x 2 u g 4096 Mar 12 10:30 a\r\n"
                             "-rw-r--r-- 1 u g 5 Mar 12 10:30 b\n"
                             "\r\n";
    const QList<FtpEntry> entries = parseListing(reply, false, QDate(2026, 3, 15));
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].name, QStringLiteral("a"));
    EXPECT_TRUE(entries[0].folder);
    EXPECT_EQ(entries[1].name, QStringLiteral("b"));
}
