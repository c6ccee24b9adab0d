// Escaping of texts that generated code puts into string literals: a JavaScript
// string in double quotes inside a <script> element, and a PHP string in double
// quotes. Texts inserted as HTML are not escaped; they may hold HTML on purpose.
#pragma once

#include <QString>

namespace vq {

// For the inside of "..." in JavaScript within an HTML page or PHP script:
// backslash, double quote, CR, LF, tab, U+2028/U+2029 get backslash escapes,
// and every "<" is written "\x3C", so "</script>", "<!--" and "<?" cannot end
// or change the script element or the PHP script. The literal still holds
// the same text; ordinary texts come back unchanged.
QString escapeJsString(const QString &text);

// For the inside of "..." in PHP: backslash, double quote, "$", CR, LF and tab
// get backslash escapes, so nothing is interpolated and the literal holds the
// text itself. Ordinary texts come back unchanged.
QString escapePhpString(const QString &text);

// PHP expression that prints-safely a posted value: htmlspecialchars with
// ENT_QUOTES. The byte-wise charset "ISO-8859-1" escapes & " ' < > and passes
// every other byte through, so UTF-8 and Windows-1252 pages both keep their
// text (with the UTF-8 default an invalid byte sequence would blank the value).
QString phpHtmlEscaped(const QString &phpExpression);

} // namespace vq
