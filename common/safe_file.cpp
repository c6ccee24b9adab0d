#include "common/safe_file.h"

#include <QSaveFile>

namespace vq {

bool writeFileSafely(const QString &path, const QByteArray &bytes, QString *error,
                     FileAccess access)
{
    QSaveFile file(path);
    // QSaveFile::commit() can report success after a write that failed while
    // flushing (a full disk, a file-size limit); flush and check first.
    const bool opened =
        file.open(QIODevice::WriteOnly)
        && (access == FileAccess::Shared
            || file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    const bool written = opened && file.write(bytes) == bytes.size() && file.flush()
                         && file.error() == QFileDevice::NoError && file.size() == bytes.size();
    if (written && file.commit())
        return true;
    if (error)
        *error = QStringLiteral("Datei \"%1\" kann nicht geschrieben werden: %2")
                     .arg(path, file.errorString());
    file.cancelWriting();
    return false;
}

} // namespace vq
