// FTP profiles ("profiles.xml" in the application-data folder): named sets of
// server, port, user, password and passive mode that fill the main window's
// FTP settings.
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
