// The file-writing rule for generated text (pages, scripts): UTF-8 with a
// byte-order mark when the encoding is exactly "utf-8", otherwise Windows-1252;
// line breaks CR LF.
#pragma once

#include <QByteArray>
#include <QString>

namespace vq {

// Text converted to Windows-1252; characters that code page cannot hold become "?".
QByteArray toWindows1252(const QString &text);

// The bytes the rule gives for a text.
QByteArray encodeGeneratedText(const QString &text, const QString &encoding);

// Writes text by the rule to path through a temporary file, so a failed write
// leaves the old file whole. On failure *error says why.
bool writeGeneratedText(const QString &path, const QString &text, const QString &encoding,
                        QString *error);

} // namespace vq
