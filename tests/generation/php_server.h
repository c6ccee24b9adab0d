// php -S serving a folder on 127.0.0.1 for the tests of the generated pages:
// sessions in the folder's "sessions", mails written by sendmail into its
// "mails", one file per mail.
#pragma once

#include "tests/support/local_server.h"
#include "tests/test_support.h"

#include <QDir>
#include <QFile>
#include <QString>

namespace vq::test {

class PhpServer
{
public:
    explicit PhpServer(const QString &root)
        : m_port(freeLocalPort())
    {
        QDir(root).mkpath(QStringLiteral("sessions"));
        QDir(root).mkpath(QStringLiteral("mails"));
        const QString capture = root + QStringLiteral("/capture.sh");
        writeFile(capture, "#!/bin/sh\ncat > \"" + root.toUtf8() + "/mails/mail_$$.eml\"\n");
        QFile::setPermissions(capture, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_process.start(QStringLiteral("php"),
                        {QStringLiteral("-d"),
                         QStringLiteral("session.save_path=") + root + QStringLiteral("/sessions"),
                         QStringLiteral("-d"), QStringLiteral("sendmail_path=") + capture,
                         QStringLiteral("-d"), QStringLiteral("display_errors=0"),
                         QStringLiteral("-S"), QStringLiteral("127.0.0.1:%1").arg(m_port),
                         QStringLiteral("-t"), root},
                        root);
        m_running = waitForPort(m_port);
    }
    bool running() const { return m_running; }
    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(m_port).arg(path);
    }

private:
    int m_port;
    bool m_running = false;
    ServerProcess m_process;
};

} // namespace vq::test
