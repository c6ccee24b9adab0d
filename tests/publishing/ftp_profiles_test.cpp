// The profile file: round trip, older files, damaged files.
#include "designer/publishing/ftp_profiles.h"
#include "tests/test_support.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vq;
using namespace vq::test;

TEST(FtpProfiles, RoundTripKeepsEveryValue)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("profiles.xml"));
    QList<TFtpProfile> profiles(2);
    profiles[0] = {QStringLiteral("Shop <&> \"Ü\""),
                   QStringLiteral("ftp.example.org"),
                   QStringLiteral("2121"),
                   QStringLiteral("kunde"),
                   QStringLiteral(" pa&ss<wort> "),
                   true,
                   true,
                   QStringLiteral("/home/kunde/Zertifikate/ftp & shop.pem")};
    profiles[1].profilname = QStringLiteral("Leer");
    QString error;
    ASSERT_TRUE(writeFtpProfiles(path, profiles, &error)) << error.toStdString();
    EXPECT_EQ(readFtpProfiles(path, &error), profiles);
    EXPECT_TRUE(error.isEmpty());
}

TEST(FtpProfiles, OnlyTheOwnerMayReadThePasswords)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("profiles.xml"));
    // A file an older version left readable for everyone.
    writeFile(path, "<?xml version=\"1.0\"?><xml><profiles/></xml>");
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    QList<TFtpProfile> profiles(1);
    profiles[0] = {QStringLiteral("Shop"),
                   QStringLiteral("ftp.example.org"),
                   QStringLiteral("21"),
                   QStringLiteral("kunde"),
                   QStringLiteral("geheim"),
                   true,
                   false};
    QString error;
    ASSERT_TRUE(writeFtpProfiles(path, profiles, &error)) << error.toStdString();
    EXPECT_EQ(QFile::permissions(path) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(readFtpProfiles(path, &error), profiles);
    // A new file too.
    QFile::remove(path);
    ASSERT_TRUE(writeFtpProfiles(path, profiles, &error)) << error.toStdString();
    EXPECT_EQ(QFile::permissions(path) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST(FtpProfiles, OlderAndDamagedFiles)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("profiles.xml"));
    const QByteArray one =
        "<profile><profilename>A</profilename><server>s</server><port>21</port>"
        "<benutzername>u</benutzername><passwort>p</passwort><passiv>True</passiv></profile>";
    const struct
    {
        const char *what;
        QByteArray bytes;
        int profiles;
        bool error;
    } cases[] = {
        {"older file without ftps, other root name",
         "<wurzel><profiles>" + one + "</profiles></wurzel>", 1, false},
        {"second profile lacks its password",
         "<xml><profiles>" + one
             + "<profile><profilename>B</profilename><server>s</server><port>21</"
               "port><benutzername>u</benutzername>"
               "<passiv>0</passiv></profile></profiles></xml>",
         1, true},
        {"unreadable passive flag",
         "<xml><profiles>" + QByteArray(one).replace("True", "vielleicht") + "</profiles></xml>", 0,
         true},
        {"no profiles element", "<xml/>", 0, true},
        {"not XML", "<xml><profiles>", 0, true},
    };
    for (const auto &c : cases) {
        writeFile(path, c.bytes);
        QString error;
        const auto profiles = readFtpProfiles(path, &error);
        EXPECT_EQ(profiles.size(), c.profiles) << c.what;
        EXPECT_EQ(!error.isEmpty(), c.error) << c.what << ": " << error.toStdString();
        if (!profiles.isEmpty()) {
            EXPECT_TRUE(profiles[0].passiv) << c.what;
            EXPECT_FALSE(profiles[0].ftps) << c.what;
            EXPECT_TRUE(profiles[0].caFile.isEmpty()) << c.what << ": the system's certificates";
        }
    }
    QString error;
    EXPECT_TRUE(readFtpProfiles(dir.filePath(QStringLiteral("fehlt.xml")), &error).isEmpty());
    EXPECT_TRUE(error.isEmpty());
}
