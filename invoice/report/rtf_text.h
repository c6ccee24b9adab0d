// The invoice footer's rich text: our own reader and writer for RTF, the form
// in which the client editor stores the footer. The writer produces what the
// footer editor can hold (paragraph alignment; bold, italic, underline, font
// name, size and colour of each piece of text). The reader takes that and RTF
// written by other programs, keeps its text and those formats, skips what it
// does not know, and never fails: damaged or plain text comes back as text.
#pragma once

#include <QColor>
#include <QList>
#include <QString>

class QTextDocument;

namespace vq::invoice {

struct RtfRun
{
    QString text; // U+2028 marks a line break inside the paragraph
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QString font;      // empty: the default font
    double sizePt = 0; // 0: the default size
    QColor color;      // invalid: the default colour

    bool sameFormat(const RtfRun &other) const
    {
        return bold == other.bold && italic == other.italic && underline == other.underline
               && font == other.font && sizePt == other.sizePt && color == other.color;
    }
    bool operator==(const RtfRun &other) const { return text == other.text && sameFormat(other); }
};

enum class RtfAlignment { Left, Center, Right, Justify };

struct RtfParagraph
{
    RtfAlignment alignment = RtfAlignment::Left;
    QList<RtfRun> runs;
    bool operator==(const RtfParagraph &other) const = default;
};

struct RtfText
{
    QList<RtfParagraph> paragraphs;
    bool operator==(const RtfText &other) const = default;
    QString plainText() const;
};

// Reads RTF; text that is not RTF at all is taken as plain text.
RtfText readRtf(const QString &rtf);
// Writes RTF in 7-bit form (Windows-1252 bytes as \'hh, anything else as \uN).
QString writeRtf(const RtfText &text);
// An HTML fragment (paragraphs with spans) with every text escaped.
QString rtfToHtml(const RtfText &text);

// The footer editor holds the text in a QTextDocument.
void fillTextDocument(const RtfText &text, QTextDocument *document);
RtfText fromTextDocument(const QTextDocument &document);

} // namespace vq::invoice
