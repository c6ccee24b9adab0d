#include "common/GlobalFunctions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace vq {

QString appDataFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString folder = QDir(base).filePath(QString::fromUtf16(kAppDataFolderName));
    QDir().mkpath(folder);
    return folder;
}

QString appDataFile(const QString &fileName)
{
    return QDir(appDataFolder()).filePath(fileName);
}

QString executableFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    // Without an application object (tools, tests) ask the kernel.
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

QString dataFolderOf(const QString &executableFolder, const QString &installedSubfolder)
{
    // Relative to the executable, so an installation unpacked below another
    // root (a package's contents, a prefix) finds its own files.
    const QDir installed(
        QDir(executableFolder)
            .filePath(QStringLiteral("../share/") + QString::fromUtf16(kInstalledDataFolderName)));
    if (QFileInfo(executableFolder).fileName() == u"bin" && installed.exists())
        return QDir::cleanPath(installed.filePath(installedSubfolder));
    return executableFolder;
}

QString programFolder(const QString &installedSubfolder)
{
    return dataFolderOf(executableFolder(), installedSubfolder);
}

QString companionProgram(const QString &dataFolder, const QString &buildPath)
{
    const QString inBuild = QDir(dataFolder).filePath(buildPath);
    if (QFileInfo(inBuild).isExecutable())
        return inBuild;
    return QDir(executableFolder()).filePath(QFileInfo(buildPath).fileName());
}

QString programFile(const QString &fileName)
{
    return QDir(programFolder()).filePath(fileName);
}

QString tempFolder()
{
    return QDir::tempPath();
}

bool copyMissingFromProgramFolder(const QString &fileName)
{
    const QString target = appDataFile(fileName);
    if (QFileInfo::exists(target))
        return true;
    const QString source = programFile(fileName);
    if (!QFileInfo::exists(source))
        return true;
    return QFile::copy(source, target);
}

} // namespace vq
