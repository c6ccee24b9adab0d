// Writing a whole file so that a failure never destroys the previous one.
#pragma once

#include <QByteArray>
#include <QString>

namespace vq {

// Writes bytes to a temporary file beside path and renames it over path only
// when every byte reached the disk. On failure the old file is untouched, the
// temporary file is removed and *error names the file and the cause.
bool writeFileSafely(const QString &path, const QByteArray &bytes, QString *error);

} // namespace vq
