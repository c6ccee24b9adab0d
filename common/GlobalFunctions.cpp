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

QString programFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    // Without an application object (tools, tests) ask the kernel.
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
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
