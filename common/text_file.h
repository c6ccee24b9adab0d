// The file-writing rule for generated text (pages, scripts): UTF-8 with a
// byte-order mark when the encoding is exactly "utf-8", otherwise Windows-1252;
// line breaks CR LF.
#pragma once

#include <QByteArray>
#include <QString>

namespace vq {

// Text converted to Windows-1252; characters that code page cannot hold become "?".
QByteArray toWindows1252(const QString &text);

// Windows-1252 bytes as text. The five bytes the code page leaves unassigned
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) stay as their C1 control characters.
QString fromWindows1252(const QByteArray &bytes);

// Text of a file that may be UTF-8 or Windows-1252: UTF-8 when it starts with a
// UTF-8 byte-order mark (which is dropped) or when its bytes are valid UTF-8
// holding at least one character beyond ASCII; otherwise Windows-1252.
QString fromUtf8OrWindows1252(const QByteArray &bytes);

// What a generated text is: an HTML page, or a PHP script, which never starts
// with a byte-order mark (PHP would print it before the script's own headers).
enum class GeneratedKind { Page, PhpScript };

// Every line break (CR LF, LF or a lone CR) as CR LF.
QString withCrLf(const QString &text);

// The bytes the rule gives for a text.
QByteArray encodeGeneratedText(const QString &text, const QString &encoding,
                               GeneratedKind kind = GeneratedKind::Page);

// Writes text by the rule to path through a temporary file, so a failed write
// leaves the old file whole. On failure *error says why.
bool writeGeneratedText(const QString &path, const QString &text, const QString &encoding,
                        QString *error, GeneratedKind kind = GeneratedKind::Page);

} // namespace vq
