// Writing a whole file so that a failure never destroys the previous one.
#pragma once

#include <QByteArray>
#include <QString>

namespace vq {

// Who may read a file written: everyone the system lets (the umask decides),
// or its owner alone (a file that holds passwords).
enum class FileAccess { Shared, OwnerOnly };

// Writes bytes to a temporary file beside path and renames it over path only
// when every byte reached the disk. On failure the old file is untouched, the
// temporary file is removed and *error names the file and the cause. With
// OwnerOnly the file is readable and writable by its owner alone from its
// first byte on, whatever the old file allowed.
bool writeFileSafely(const QString &path, const QByteArray &bytes, QString *error,
                     FileAccess access = FileAccess::Shared);

} // namespace vq
