// Real servers for integration tests: a free port on 127.0.0.1, waiting for
// a port to accept connections, and a process that is stopped with its test.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace vq::test {

// A TCP port on 127.0.0.1 that was free a moment ago.
int freeLocalPort();

// Waits until 127.0.0.1:port accepts a connection; false after timeoutMs.
bool waitForPort(int port, int timeoutMs = 10000);

// Runs a program until it is destroyed; stops only the process it started.
class ServerProcess
{
public:
    ServerProcess() = default;
    ~ServerProcess();
    ServerProcess(const ServerProcess &) = delete;
    ServerProcess &operator=(const ServerProcess &) = delete;

    bool start(const QString &program, const QStringList &arguments,
               const QString &workingDirectory = QString());
    void stop();
    QString output() const;

private:
    QProcess m_process;
};

// Runs a program to its end; returns its exit code (-1 when it did not start
// or ran longer than timeoutMs) and its standard output.
int runProgram(const QString &program, const QStringList &arguments, QByteArray *standardOutput,
               int timeoutMs = 30000, QByteArray *standardError = nullptr);

} // namespace vq::test
