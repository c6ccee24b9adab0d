// A real FTP server for tests: pyftpdlib on 127.0.0.1 with one user who may
// write in a temporary folder, stopped with the test. With Security::Tls it
// demands explicit FTPS (AUTH TLS, protected data) with a certificate of its
// own for 127.0.0.1, made by openssl for the test; caFile() names it.
#pragma once

#include "tests/support/local_server.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace vq::test {

class FtpServer
{
public:
    static constexpr const char *user = "kunde";
    static constexpr const char *password = "Ge#heim pw";
    enum class Security { Plain, Tls };

    explicit FtpServer(Security security = Security::Plain)
    {
        QDir(m_root.path()).mkpath(QStringLiteral("htdocs/shop"));
        m_port = freeLocalPort();
        if (security == Security::Plain) {
            m_ok = m_process.start(
                QStringLiteral("/usr/bin/python3"),
                {QStringLiteral("-m"), QStringLiteral("pyftpdlib"), QStringLiteral("-i"),
                 QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(m_port),
                 QStringLiteral("-w"), QStringLiteral("-d"), m_root.path(), QStringLiteral("-u"),
                 QString::fromLatin1(user), QStringLiteral("-P"), QString::fromLatin1(password)});
        } else {
            const QString key = m_keys.filePath(QStringLiteral("server.key"));
            QByteArray ignored;
            m_ok =
                runProgram(
                    QStringLiteral("openssl"),
                    {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                     QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                     QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                     QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"),
                     QStringLiteral("-keyout"), key, QStringLiteral("-out"), caFile()},
                    &ignored, 60000, &ignored)
                == 0;
            const QString script =
                QStringLiteral("import sys\n"
                               "from pyftpdlib.authorizers import DummyAuthorizer\n"
                               "from pyftpdlib.handlers import TLS_FTPHandler\n"
                               "from pyftpdlib.servers import FTPServer\n"
                               "port, root, user, password, cert, key = sys.argv[1:7]\n"
                               "users = DummyAuthorizer()\n"
                               "users.add_user(user, password, root, perm='elradfmwMT')\n"
                               "handler = TLS_FTPHandler\n"
                               "handler.authorizer = users\n"
                               "handler.certfile = cert\n"
                               "handler.keyfile = key\n"
                               "handler.tls_control_required = True\n"
                               "handler.tls_data_required = True\n"
                               "FTPServer(('127.0.0.1', int(port)), handler).serve_forever()\n");
            m_ok = m_ok
                   && m_process.start(QStringLiteral("/usr/bin/python3"),
                                      {QStringLiteral("-c"), script, QString::number(m_port),
                                       m_root.path(), QString::fromLatin1(user),
                                       QString::fromLatin1(password), caFile(), key});
        }
        m_ok = m_ok && waitForPort(m_port);
    }
    bool ok() const { return m_ok; }
    int port() const { return m_port; }
    QString root() const { return m_root.path(); }
    // Tls: the server's certificate, to trust it.
    QString caFile() const { return m_keys.filePath(QStringLiteral("server.crt")); }

private:
    QTemporaryDir m_root;
    QTemporaryDir m_keys; // not served
    int m_port = 0;
    bool m_ok = false;
    ServerProcess m_process;
};

// An FTP server whose replies carry a stranger's text: its greeting holds
// TEXT, PWD answers with TEXT as the current folder (quotes doubled),
// CWD to any folder succeeds and leaves it in the login folder, and the
// password "falsch" is refused with "530 TEXT". Otherwise as FtpServer.
class HostileFtpServer
{
public:
    explicit HostileFtpServer(const QString &text)
    {
        const QString textFile = m_keys.filePath(QStringLiteral("text.txt"));
        {
            QFile file(textFile);
            m_ok = file.open(QIODevice::WriteOnly)
                   && file.write(text.toUtf8()) == text.toUtf8().size();
        }
        m_port = freeLocalPort();
        const QString script =
            QStringLiteral("import sys\n"
                           "from pyftpdlib.authorizers import DummyAuthorizer\n"
                           "from pyftpdlib.handlers import FTPHandler\n"
                           "from pyftpdlib.servers import FTPServer\n"
                           "port, root, user, password, textfile = sys.argv[1:6]\n"
                           "text = open(textfile, encoding='utf-8', newline='').read()\n"
                           "users = DummyAuthorizer()\n"
                           "users.add_user(user, password, root, perm='elradfmwMT')\n"
                           "class Handler(FTPHandler):\n"
                           "    banner = text\n"
                           "    def ftp_PWD(self, line):\n"
                           "        self.respond('257 \"%s\" is the current directory.' % "
                           "text.replace('\"', '\"\"'))\n"
                           "    def ftp_CWD(self, path):\n"
                           "        self.respond('250 OK.')\n"
                           "    def ftp_PASS(self, line):\n"
                           "        if line == 'falsch':\n"
                           "            self.respond('530 ' + text)\n"
                           "        else:\n"
                           "            FTPHandler.ftp_PASS(self, line)\n"
                           "Handler.authorizer = users\n"
                           "FTPServer(('127.0.0.1', int(port)), Handler).serve_forever()\n");
        m_ok = m_ok
               && m_process.start(QStringLiteral("/usr/bin/python3"),
                                  {QStringLiteral("-c"), script, QString::number(m_port),
                                   m_root.path(), QString::fromLatin1(FtpServer::user),
                                   QString::fromLatin1(FtpServer::password), textFile})
               && waitForPort(m_port);
    }
    bool ok() const { return m_ok; }
    int port() const { return m_port; }

private:
    QTemporaryDir m_root;
    QTemporaryDir m_keys; // not served
    int m_port = 0;
    bool m_ok = false;
    ServerProcess m_process;
};

} // namespace vq::test
