// The text of an existing HTML page as its file holds it: read and written in
// the page's own encoding, so every byte outside the form's blocks stays as
// it was; where its head tag ends; and how a caret in the page as a browser
// shows it is found again in that text.
#pragma once

#include <QByteArray>
#include <QString>

namespace vq {

enum class PageEncoding { Utf8, Utf8WithBom, Windows1252 };

struct PageSource
{
    QString text;
    PageEncoding encoding = PageEncoding::Utf8;
};

// The page's text and encoding: UTF-8 with a byte-order mark (kept); UTF-8
// when its bytes are valid UTF-8 beyond ASCII; Windows-1252 when they are
// not. A page of plain ASCII takes the character set its meta tag declares,
// else the project's encoding ("utf-8" or anything else for Windows-1252).
PageSource decodePage(const QByteArray &bytes, const QString &projectEncoding);

// The bytes of the page in its encoding, the byte-order mark again when it
// had one. Text read by decodePage gives back the very bytes it came from; a
// character Windows-1252 cannot hold is written as a numeric character
// reference ("&#10003;").
QByteArray encodePage(const PageSource &page);

// The position right after the page's head start tag ("<head>", any letter
// case, with attributes or line breaks inside the tag), comments and scripts
// skipped; -1 when the page has none.
qsizetype headContentStart(const QString &pageText);

// The comment text that marks a position of the page text in the view.
inline constexpr char16_t kViewMarkPrefix[] = u"vqpos:";

// The page text as the export view shows it: after every tag and comment
// (not inside scripts, styles and the like) a comment "<!--vqpos:N-->" names
// the position N in the page text where that markup ends.
QString textForView(const QString &pageText);

// The position in the page text of a caret that stands `characters` text
// characters (as the browser counts them: entities decoded, CR LF as one)
// after the view mark of position `mark`. Stays within the text that follows
// the mark.
qsizetype positionAfterMark(const QString &pageText, qsizetype mark, qsizetype characters);

} // namespace vq
