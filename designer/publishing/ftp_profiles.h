// FTP profiles ("profiles.xml" in the application-data folder): named sets of
// server, port, user, password, passive mode, FTPS and the certificate file to
// trust that fill the main window's FTP settings.
#pragma once

#include <QList>
#include <QString>

namespace vq {

inline constexpr char kFtpProfilesFile[] = "profiles.xml";

struct TFtpProfile
{
    QString profilname;
    QString server;
    QString port = QStringLiteral("21");
    QString benutzername;
    QString passwort; // stored in plain text, as the file has always held it
    bool passiv = false;
    // Explicit FTPS: an element of its own that older files lack and older
    // readers ignore.
    bool ftps = false;
    // FTPS: a certificate file (PEM) to trust instead of the system's, for a
    // server with a certificate of its own; empty: the system's. An element
    // of its own as well.
    QString caFile;

    bool operator==(const TFtpProfile &) const = default;
};

// Reads the profiles in file order. A file that is missing gives an empty
// list without error; one that does not read, or a profile lacking one of its
// six elements, ends the reading with *error set and the profiles read
// before it returned.
QList<TFtpProfile> readFtpProfiles(const QString &path, QString *error);

// Writes the whole list safely (the old file survives a failed write).
bool writeFtpProfiles(const QString &path, const QList<TFtpProfile> &profiles, QString *error);

} // namespace vq
