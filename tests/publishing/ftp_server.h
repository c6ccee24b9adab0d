// A real FTP server for tests: pyftpdlib on 127.0.0.1 with one user who may
// write in a temporary folder, stopped with the test.
#pragma once

#include "local_server.h"

#include <QTemporaryDir>

namespace vq::test {

class FtpServer
{
public:
    static constexpr const char *user = "kunde";
    static constexpr const char *password = "Ge#heim pw";

    FtpServer()
    {
        QDir(m_root.path()).mkpath(QStringLiteral("htdocs/shop"));
        m_port = freeLocalPort();
        m_ok = m_process.start(QStringLiteral("/usr/bin/python3"),
                               {QStringLiteral("-m"), QStringLiteral("pyftpdlib"), QStringLiteral("-i"),
                                QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(m_port),
                                QStringLiteral("-w"), QStringLiteral("-d"), m_root.path(), QStringLiteral("-u"),
                                QString::fromLatin1(user), QStringLiteral("-P"), QString::fromLatin1(password)})
               && waitForPort(m_port);
    }
    bool ok() const { return m_ok; }
    int port() const { return m_port; }
    QString root() const { return m_root.path(); }

private:
    QTemporaryDir m_root;
    int m_port = 0;
    bool m_ok = false;
    ServerProcess m_process;
};

} // namespace vq::test
