// Folders both programs share: the user's application-data folder, the
// program folder and the temporary folder.
#pragma once

#include <QString>

namespace vq {

// Name of the per-user data folder below the XDG data home.
inline constexpr char16_t kAppDataFolderName[] = u"VQ-Bestellformular";

// $XDG_DATA_HOME/VQ-Bestellformular (default ~/.local/share/...), created when
// missing. Returns the path even when it cannot be created; callers see the
// failure when they write.
QString appDataFolder();

// Path of a file inside the application-data folder.
QString appDataFile(const QString &fileName);

// Folder of the running executable; data files of the installation lie here.
QString programFolder();

// Path of a file inside the program folder.
QString programFile(const QString &fileName);

QString tempFolder();

// Copies fileName from the program folder into the application-data folder
// unless it already exists there. Returns false when a copy was needed but failed.
bool copyMissingFromProgramFolder(const QString &fileName);

} // namespace vq
