// An FTP client on libcurl: log in (USER and PASS right after connecting),
// change folders, ask for the current folder, list it, store a file, QUIT.
// One object is one connection, kept from the first command until quit() or
// destruction. Every command and reply goes to the traffic log as ">> " and
// "<< " lines, the PASS line masked, so the password never reaches a log.
#pragma once

#include "designer/publishing/ftp_listing.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace vq {

struct FtpSettings
{
    QString host;
    int port = 21;
    QString user;
    QString password;
    bool passive = false;
    bool tls = false; // explicit FTPS (AUTH TLS), required when set
    // FTPS: a file of certificates to trust instead of the system's (a server
    // with its own certificate authority); empty: the system's.
    QString caFile;
};

// How a command failed.
enum class FtpFailure {
    None,
    NoHost,        // no host given
    ServerRefused, // the server answered with an error (login, folder, storing)
    Other,         // host not found, connection refused, time-out, ...
};

class FtpClient
{
public:
    using Log = std::function<void(const QString &line)>;

    explicit FtpClient(FtpSettings settings, Log traffic = {});
    ~FtpClient();
    FtpClient(const FtpClient &) = delete;
    FtpClient &operator=(const FtpClient &) = delete;

    // Connects and logs in; afterwards currentFolder() is the login folder.
    bool connectAndLogin();
    // Changes into folder (relative to the current folder, or absolute) and
    // asks the server for the folder it is then in.
    bool changeFolder(const QString &folder);
    // The detailed listing of the current folder (LIST).
    std::optional<QList<FtpEntry>> list();
    // Stores data under name in the current folder (STOR, replacing), in ASCII
    // mode when ascii is set.
    bool store(const QString &name, const QByteArray &data, bool ascii);
    // Sends QUIT and closes the connection.
    void quit();

    bool connected() const { return m_connected; }
    QString currentFolder() const { return m_folder; }

    FtpFailure failure() const { return m_failure; }
    // The failure's own text (German where we write it).
    QString errorText() const { return m_error; }
    // The server's last reply line, for a refusal.
    QString serverReply() const { return m_lastReply; }

    // Masks a traffic line that carries the password.
    static QString maskedTraffic(const QString &line);

private:
    struct Request;
    bool perform(const Request &request);
    QByteArray url(const QString &folder, const QString &file = {}) const;

    FtpSettings m_settings;
    QByteArray m_caFile; // the settings' caFile as libcurl takes it, alive as long as the handle
    Log m_traffic;
    void *m_curl = nullptr;
    bool m_connected = false;
    QString m_folder; // absolute, as the server names it
    FtpFailure m_failure = FtpFailure::None;
    QString m_error;
    QString m_lastReply;
    QString m_lastPwd;
    QByteArray m_inbound; // reply bytes not yet split into lines
};

// The folder named in a PWD reply ('257 "/var/www" is current'), doubled
// quotes undone; empty when the reply names none.
QString folderFromPwdReply(const QString &reply);

} // namespace vq
