// A POP3 client on libcurl: log in with user name and password (plain, POP3S
// or STLS), STAT, LIST, UIDL, TOP, RETR, DELE, NOOP; QUIT when the client is
// destroyed or quit() is called. All commands of one client share one
// connection; once it is lost, every later command fails.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <memory>
#include <optional>

namespace vq::invoice {

enum class Pop3Security {
    Plain = 0, // as the module has always logged in: no encryption
    Pop3s = 1, // TLS from the start (port 995)
    Stls = 2,  // plain connection upgraded with STLS before the login
};

struct Pop3Account
{
    QString host;
    int port = 110;
    QString user;
    QString password;
    Pop3Security security = Pop3Security::Plain;
    // Certificate checks for POP3S and STLS; off only for servers the user trusts.
    bool verifyCertificate = true;
    int timeoutSeconds = 30;
};

struct Pop3Listing
{
    int number = 0;
    qint64 size = 0;
};

struct Pop3UniqueId
{
    int number = 0;
    QString uid;
};

class Pop3Client
{
public:
    explicit Pop3Client(Pop3Account account);
    ~Pop3Client();
    Pop3Client(const Pop3Client &) = delete;
    Pop3Client &operator=(const Pop3Client &) = delete;

    // Connects and logs in when not yet connected, then asks for the number of messages.
    std::optional<int> stat();
    std::optional<QList<Pop3Listing>> list();
    std::optional<QList<Pop3UniqueId>> uidl();
    // Header of message n and the first lines of its body.
    std::optional<QByteArray> top(int number, int lines = 0);
    std::optional<QByteArray> retr(int number);
    // Marks message n as deleted; the server deletes it at quit().
    bool dele(int number);
    // Unmarks every message marked by dele() in this session.
    bool rset();
    // Asks nothing; succeeds only on the connection the commands before used,
    // which shows that their replies came whole.
    bool noop();
    // Logs out, which makes deletions final. True only when the server
    // confirmed the logout on the connection the commands before used: a
    // server that never answered it keeps the messages marked by dele().
    bool quit();
    // Once *abort is set (from any thread), the command at hand is given up
    // within about a second and fails, as does every later one; nullptr: never.
    void setAbortFlag(const std::atomic_bool *abort) { m_abort = abort; }

    QString lastError() const { return m_lastError; }
    // True when the last command failed because the connection had been lost
    // after the command before it: that command's reply may have been cut off.
    bool connectionLost() const { return m_connectionLost; }
    // True when the last failure was the login (wrong user name or password).
    bool loginRefused() const { return m_loginRefused; }

private:
    bool perform(const QString &path, const QString &command, bool bodyless, QByteArray *body,
                 QByteArray *reply);

    Pop3Account m_account;
    void *m_curl = nullptr;
    // A command succeeded on the current connection. libcurl opens a new one
    // when the server closed it, and a reply cut off by the close looks
    // complete; every command on a new connection after the first therefore
    // fails, which reveals the cut.
    bool m_connected = false;
    bool m_connectionLost = false;
    QString m_lastError;
    bool m_loginRefused = false;
    const std::atomic_bool *m_abort = nullptr;
};

} // namespace vq::invoice
