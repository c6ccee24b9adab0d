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

// Name of the installation's data folder below <prefix>/share.
inline constexpr char16_t kInstalledDataFolderName[] = u"vq-bestellformular";

// Folder of the running executable.
QString executableFolder();

// The one rule by which a program finds its data files (page templates,
// default project, help, database template): an executable installed as
// <prefix>/bin/NAME finds them in <prefix>/share/vq-bestellformular/ and its
// installedSubfolder there ("rechtool" for the invoice module); anywhere else
// (a build tree, a test) they lie beside the executable.
QString dataFolderOf(const QString &executableFolder, const QString &installedSubfolder = {});

// The data folder of the running program: dataFolderOf(executableFolder(), installedSubfolder).
QString programFolder(const QString &installedSubfolder = {});

// Path of a file inside the designer's data folder.
QString programFile(const QString &fileName);

// Another program of the installation, named by its place in the build's
// program folder ("rechtool/vq_bestell_rechnung"): there below dataFolder in a
// build tree, installed beside the running executable.
QString companionProgram(const QString &dataFolder, const QString &buildPath);

QString tempFolder();

// Copies fileName from the program folder into the application-data folder
// unless it already exists there. Returns false when a copy was needed but failed.
bool copyMissingFromProgramFolder(const QString &fileName);

} // namespace vq
