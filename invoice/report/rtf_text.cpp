#include "invoice/report/rtf_text.h"

#include "common/text_file.h"

#include <QHash>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace vq::invoice {

namespace {

constexpr QChar kLineBreak = QChar::LineSeparator;
// Groups nested deeper than this are read as if they were not groups; no real
// RTF comes near it, and a hostile one cannot grow the state stack without end.
constexpr int kMaxDepth = 256;

struct FontEntry
{
    QString name;
    int charset = -1;
};

enum class Destination { Text, FontTable, ColorTable, Skip };

struct State
{
    RtfRun format; // text unused
    RtfAlignment alignment = RtfAlignment::Left;
    Destination destination = Destination::Text;
    int unicodeSkip = 1;
    int fontIndex = -1;
};

// Code page of a font character set (\fcharset); 0 when the document's own applies.
int codePageOfCharset(int charset)
{
    static const QHash<int, int> codePages = {
        {128, 932},  {129, 949},  {134, 936},  {136, 950},  {161, 1253}, {162, 1254}, {163, 1258},
        {177, 1255}, {178, 1256}, {186, 1257}, {204, 1251}, {222, 874},  {238, 1250}};
    return codePages.value(charset, 0);
}

QString decodeBytes(const QByteArray &bytes, int codePage)
{
    if (codePage == 0 || codePage == 1252)
        return vq::fromWindows1252(bytes);
    if (codePage == 65001)
        return QString::fromUtf8(bytes);
    const QByteArray name = codePage == 932   ? QByteArrayLiteral("Shift_JIS")
                            : codePage == 936 ? QByteArrayLiteral("GBK")
                            : codePage == 949 ? QByteArrayLiteral("EUC-KR")
                            : codePage == 950
                                ? QByteArrayLiteral("Big5")
                                : QByteArrayLiteral("windows-") + QByteArray::number(codePage);
    QStringDecoder decoder(name.constData());
    if (!decoder.isValid())
        return vq::fromWindows1252(bytes);
    return decoder.decode(bytes);
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool isSkippedDestination(const QString &word)
{
    static const QStringList words = {QStringLiteral("stylesheet"),
                                      QStringLiteral("info"),
                                      QStringLiteral("pict"),
                                      QStringLiteral("header"),
                                      QStringLiteral("headerl"),
                                      QStringLiteral("headerr"),
                                      QStringLiteral("headerf"),
                                      QStringLiteral("footer"),
                                      QStringLiteral("footerl"),
                                      QStringLiteral("footerr"),
                                      QStringLiteral("footerf"),
                                      QStringLiteral("footnote"),
                                      QStringLiteral("object"),
                                      QStringLiteral("listtable"),
                                      QStringLiteral("listoverridetable"),
                                      QStringLiteral("rsidtbl"),
                                      QStringLiteral("fldinst"),
                                      QStringLiteral("filetbl"),
                                      QStringLiteral("revtbl"),
                                      QStringLiteral("xmlnstbl"),
                                      QStringLiteral("pntext"),
                                      QStringLiteral("pntxta"),
                                      QStringLiteral("pntxtb"),
                                      QStringLiteral("listtext"),
                                      QStringLiteral("themedata"),
                                      QStringLiteral("colorschememapping"),
                                      QStringLiteral("datastore"),
                                      QStringLiteral("latentstyles"),
                                      QStringLiteral("generator"),
                                      QStringLiteral("bkmkstart"),
                                      QStringLiteral("bkmkend"),
                                      QStringLiteral("shppict"),
                                      QStringLiteral("nonshppict"),
                                      QStringLiteral("template"),
                                      QStringLiteral("comment")};
    return words.contains(word);
}

class RtfReader
{
public:
    explicit RtfReader(const QString &input)
        : m_in(input)
    {
    }

    RtfText read()
    {
        m_states.push_back(State{});
        const qsizetype n = m_in.size();
        while (m_pos < n) {
            const QChar c = m_in.at(m_pos);
            if (c == u'{') {
                ++m_pos;
                countSkippedCharacter();
                openGroup();
            } else if (c == u'}') {
                ++m_pos;
                closeGroup();
            } else if (c == u'\\') {
                ++m_pos;
                readControl();
            } else if (c == u'\r' || c == u'\n') {
                ++m_pos;
            } else {
                ++m_pos;
                if (consumeSkip())
                    continue;
                if (c.unicode() < 128) {
                    flushBytes();
                    addText(QString(c));
                } else {
                    // Not 7-bit RTF: a program that wrote the characters themselves.
                    flushBytes();
                    addText(QString(c));
                }
            }
        }
        flushBytes();
        if (!m_paragraph.runs.isEmpty()) {
            m_paragraph.alignment = state().alignment;
            m_text.paragraphs << m_paragraph;
        }
        return m_text;
    }

private:
    State &state() { return m_states.back(); }

    void openGroup()
    {
        flushBytes();
        if (m_states.size() >= kMaxDepth) {
            ++m_flattened;
            return;
        }
        m_states.push_back(m_states.back());
    }

    void closeGroup()
    {
        flushBytes();
        if (m_flattened > 0) {
            --m_flattened;
            return;
        }
        if (state().destination == Destination::FontTable && !m_fontName.isEmpty())
            finishFontEntry();
        // A stray closing brace of damaged RTF does not end the reading.
        if (m_states.size() > 1)
            m_states.pop_back();
    }

    // After \uN the next characters (\ucN of them) are the fallback for readers
    // without Unicode; they are dropped.
    bool consumeSkip()
    {
        if (m_pendingSkip > 0) {
            --m_pendingSkip;
            return true;
        }
        return false;
    }
    void countSkippedCharacter() { m_pendingSkip = 0; }

    void readControl()
    {
        const qsizetype n = m_in.size();
        if (m_pos >= n)
            return;
        const QChar c = m_in.at(m_pos);
        if (c.isLetter() && c.unicode() < 128) {
            const qsizetype start = m_pos;
            while (m_pos < n && m_pos - start < 32 && m_in.at(m_pos).unicode() < 128
                   && m_in.at(m_pos).isLetter())
                ++m_pos;
            const QString word = m_in.mid(start, m_pos - start);
            bool hasParam = false;
            bool negative = false;
            qint64 param = 0;
            if (m_pos < n && m_in.at(m_pos) == u'-' && m_pos + 1 < n
                && m_in.at(m_pos + 1).isDigit()) {
                negative = true;
                ++m_pos;
            }
            int digits = 0;
            while (m_pos < n && m_in.at(m_pos).unicode() < 128 && m_in.at(m_pos).isDigit()) {
                if (digits < 10)
                    param = param * 10 + m_in.at(m_pos).digitValue();
                ++digits;
                ++m_pos;
                hasParam = true;
            }
            if (negative)
                param = -param;
            param = std::clamp<qint64>(param, -2147483647LL, 2147483647LL);
            if (m_pos < n && m_in.at(m_pos) == u' ')
                ++m_pos;
            if (word == u"bin") {
                // Raw bytes follow; they may hold braces and must not be read as RTF.
                m_pos = std::min<qsizetype>(n, m_pos + std::max<qint64>(0, param));
                return;
            }
            if (consumeSkip())
                return;
            controlWord(word, hasParam, int(param));
            return;
        }
        ++m_pos;
        switch (c.unicode()) {
        case u'\'': {
            const QString hex = m_in.mid(m_pos, 2);
            bool ok = hex.size() == 2 && isHexDigit(hex.at(0)) && isHexDigit(hex.at(1));
            const int byte = ok ? hex.toInt(nullptr, 16) : 0;
            if (ok)
                m_pos += 2;
            if (consumeSkip() || !ok)
                return;
            if (state().destination == Destination::Text
                || state().destination == Destination::FontTable)
                m_bytes.append(char(byte));
            return;
        }
        case u'\\':
        case u'{':
        case u'}':
            if (consumeSkip())
                return;
            flushBytes();
            addText(QString(c));
            return;
        case u'~':
            if (!consumeSkip()) {
                flushBytes();
                addText(QString(QChar(0x00A0)));
            }
            return;
        case u'_':
            if (!consumeSkip()) {
                flushBytes();
                addText(QString(QChar(0x2011)));
            }
            return;
        case u'*':
            // An optional destination: none of them carries footer text.
            state().destination = Destination::Skip;
            return;
        case u'\r':
        case u'\n':
            flushBytes();
            endParagraph();
            return;
        default:
            consumeSkip();
            return;
        }
    }

    void controlWord(const QString &w, bool hasParam, int param)
    {
        State &s = state();
        const bool on = !hasParam || param != 0;
        if (w == u"fonttbl") {
            flushBytes();
            s.destination = Destination::FontTable;
            return;
        }
        if (w == u"colortbl") {
            flushBytes();
            s.destination = Destination::ColorTable;
            m_colorOpen = false;
            return;
        }
        if (isSkippedDestination(w)) {
            flushBytes();
            s.destination = Destination::Skip;
            return;
        }
        if (s.destination == Destination::Skip)
            return;
        if (s.destination == Destination::FontTable) {
            if (w == u"f") {
                finishFontEntry();
                m_fontIndex = param;
            } else if (w == u"fcharset") {
                m_fontCharset = param;
            }
            return;
        }
        if (s.destination == Destination::ColorTable) {
            const int v = std::clamp(param, 0, 255);
            if (w == u"red")
                m_color.setRed(v), m_colorOpen = true;
            else if (w == u"green")
                m_color.setGreen(v), m_colorOpen = true;
            else if (w == u"blue")
                m_color.setBlue(v), m_colorOpen = true;
            return;
        }
        if (w == u"ansicpg") {
            m_codePage = param;
        } else if (w == u"uc") {
            s.unicodeSkip = std::clamp(param, 0, 8);
        } else if (w == u"u" && hasParam) {
            flushBytes();
            const int code = param < 0 ? param + 65536 : param;
            if (code >= 0 && code <= 0xFFFF)
                addText(QString(QChar(char16_t(code))));
            m_pendingSkip = s.unicodeSkip;
        } else if (w == u"par" || w == u"sect" || w == u"page" || w == u"row") {
            flushBytes();
            endParagraph();
        } else if (w == u"line") {
            flushBytes();
            addText(QString(kLineBreak));
        } else if (w == u"tab" || w == u"cell") {
            flushBytes();
            addText(QStringLiteral("\t"));
        } else if (w == u"pard") {
            s.alignment = RtfAlignment::Left;
        } else if (w == u"ql") {
            s.alignment = RtfAlignment::Left;
        } else if (w == u"qc") {
            s.alignment = RtfAlignment::Center;
        } else if (w == u"qr") {
            s.alignment = RtfAlignment::Right;
        } else if (w == u"qj") {
            s.alignment = RtfAlignment::Justify;
        } else if (w == u"plain") {
            flushBytes();
            s.format = RtfRun{};
            s.fontIndex = -1;
        } else if (w == u"b") {
            flushBytes();
            s.format.bold = on;
        } else if (w == u"i") {
            flushBytes();
            s.format.italic = on;
        } else if (w == u"ul" || w == u"uld" || w == u"uldb" || w == u"ulw" || w == u"uldash"
                   || w == u"ulth") {
            flushBytes();
            s.format.underline = on;
        } else if (w == u"ulnone") {
            flushBytes();
            s.format.underline = false;
        } else if (w == u"f") {
            flushBytes();
            s.fontIndex = param;
            s.format.font = m_fonts.value(param).name;
        } else if (w == u"fs") {
            flushBytes();
            s.format.sizePt = hasParam && param > 0 && param <= 3276 ? param / 2.0 : 0;
        } else if (w == u"cf") {
            flushBytes();
            s.format.color = param > 0 ? m_colors.value(param) : QColor();
        } else if (w == u"emdash") {
            addSymbol(0x2014);
        } else if (w == u"endash") {
            addSymbol(0x2013);
        } else if (w == u"bullet") {
            addSymbol(0x2022);
        } else if (w == u"lquote") {
            addSymbol(0x2018);
        } else if (w == u"rquote") {
            addSymbol(0x2019);
        } else if (w == u"ldblquote") {
            addSymbol(0x201C);
        } else if (w == u"rdblquote") {
            addSymbol(0x201D);
        } else if (w == u"emspace" || w == u"enspace" || w == u"qmspace") {
            addSymbol(0x0020);
        }
    }

    void addSymbol(char16_t code)
    {
        flushBytes();
        addText(QString(QChar(code)));
    }

    void finishFontEntry()
    {
        if (m_fontIndex >= 0) {
            QString name = m_fontName.trimmed();
            if (name.endsWith(u';'))
                name.chop(1);
            m_fonts.insert(m_fontIndex, FontEntry{name.trimmed(), m_fontCharset});
        }
        m_fontName.clear();
        m_fontIndex = -1;
        m_fontCharset = -1;
    }

    int currentCodePage() const
    {
        const State &s = m_states.back();
        if (s.fontIndex >= 0) {
            const int charsetPage = codePageOfCharset(m_fonts.value(s.fontIndex).charset);
            if (charsetPage != 0)
                return charsetPage;
        }
        return m_codePage;
    }

    void flushBytes()
    {
        if (m_bytes.isEmpty())
            return;
        const QByteArray bytes = m_bytes;
        m_bytes.clear();
        addText(decodeBytes(bytes, currentCodePage()));
    }

    void addText(const QString &text)
    {
        State &s = state();
        switch (s.destination) {
        case Destination::Skip:
            return;
        case Destination::FontTable:
            for (const QChar c : text) {
                if (c == u';') {
                    finishFontEntry();
                } else {
                    m_fontName += c;
                }
            }
            return;
        case Destination::ColorTable:
            for (const QChar c : text) {
                if (c == u';') {
                    m_colors << (m_colorOpen ? m_color : QColor());
                    m_color = QColor(0, 0, 0);
                    m_colorOpen = false;
                }
            }
            return;
        case Destination::Text:
            break;
        }
        QString clean;
        clean.reserve(text.size());
        for (const QChar c : text) {
            if (c.unicode() >= 0x20 || c == u'\t')
                clean += c;
        }
        if (clean.isEmpty())
            return;
        if (!m_paragraph.runs.isEmpty() && m_paragraph.runs.last().sameFormat(s.format)) {
            m_paragraph.runs.last().text += clean;
        } else {
            RtfRun run = s.format;
            run.text = clean;
            m_paragraph.runs << run;
        }
    }

    void endParagraph()
    {
        if (state().destination != Destination::Text)
            return;
        m_paragraph.alignment = state().alignment;
        m_text.paragraphs << m_paragraph;
        m_paragraph = RtfParagraph{};
    }

    const QString &m_in;
    qsizetype m_pos = 0;
    std::vector<State> m_states;
    int m_flattened = 0;
    int m_pendingSkip = 0;
    int m_codePage = 1252;
    QByteArray m_bytes;
    QHash<int, FontEntry> m_fonts;
    QString m_fontName;
    int m_fontIndex = -1;
    int m_fontCharset = -1;
    QList<QColor> m_colors; // entry 0 is the automatic colour
    QColor m_color{0, 0, 0};
    bool m_colorOpen = false;
    RtfParagraph m_paragraph;
    RtfText m_text;
};

// Lone halves of surrogate pairs (from a damaged \u sequence) become U+FFFD.
void repairSurrogates(RtfText &text)
{
    for (RtfParagraph &paragraph : text.paragraphs) {
        for (RtfRun &run : paragraph.runs) {
            QString &t = run.text;
            for (qsizetype i = 0; i < t.size(); ++i) {
                const QChar c = t.at(i);
                if (c.isHighSurrogate() && i + 1 < t.size() && t.at(i + 1).isLowSurrogate()) {
                    ++i;
                } else if (c.isSurrogate()) {
                    t[i] = QChar::ReplacementCharacter;
                }
            }
        }
    }
}

RtfText plainTextAsRtf(const QString &input)
{
    RtfText text;
    QString normalized = input;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    const QStringList lines = normalized.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // A final line break does not open another paragraph.
        if (i == lines.size() - 1 && lines[i].isEmpty() && i > 0)
            break;
        RtfParagraph paragraph;
        QString clean;
        for (const QChar c : lines[i]) {
            if (c.unicode() >= 0x20 || c == u'\t')
                clean += c;
        }
        if (!clean.isEmpty()) {
            RtfRun run;
            run.text = clean;
            paragraph.runs << run;
        }
        text.paragraphs << paragraph;
    }
    if (text.paragraphs.size() == 1 && text.paragraphs.first().runs.isEmpty())
        text.paragraphs.clear();
    return text;
}

QString escapeRtfText(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\' || u == u'{' || u == u'}') {
            out += u'\\';
            out += c;
        } else if (u == u'\t') {
            out += QStringLiteral("\\tab ");
        } else if (c == kLineBreak) {
            out += QStringLiteral("\\line ");
        } else if (u >= 0x20 && u < 0x7F) {
            out += c;
        } else {
            const QByteArray ansi = vq::toWindows1252(QString(c));
            if (!c.isSurrogate() && ansi.size() == 1 && ansi != "?"
                && vq::fromWindows1252(ansi) == QString(c)) {
                out += QStringLiteral("\\'%1").arg(uchar(ansi.at(0)), 2, 16, QLatin1Char('0'));
            } else {
                // \uN takes a signed 16-bit number; "?" is what older readers show.
                out += QStringLiteral("\\u%1?").arg(int(qint16(u)));
            }
        }
    }
    return out;
}

QString cleanFontName(const QString &name)
{
    QString out;
    for (const QChar c : name) {
        if (c != u';' && c != u'{' && c != u'}' && c != u'\\' && c != u'"' && c != u'\''
            && c != u'<' && c != u'>' && c.unicode() >= 0x20)
            out += c;
    }
    return out.trimmed();
}

} // namespace

QString RtfText::plainText() const
{
    QStringList lines;
    for (const RtfParagraph &paragraph : paragraphs) {
        QString line;
        for (const RtfRun &run : paragraph.runs)
            line += run.text;
        lines << line.replace(kLineBreak, u'\n');
    }
    return lines.join(u'\n');
}

RtfText readRtf(const QString &rtf)
{
    const QString trimmed = rtf.trimmed();
    if (!trimmed.startsWith(QStringLiteral("{\\rtf")))
        return plainTextAsRtf(rtf);
    RtfText text = RtfReader(rtf).read();
    repairSurrogates(text);
    return text;
}

QString writeRtf(const RtfText &text)
{
    QStringList fonts;
    QList<QColor> colors;
    for (const RtfParagraph &paragraph : text.paragraphs) {
        for (const RtfRun &run : paragraph.runs) {
            const QString font = cleanFontName(run.font);
            if (!font.isEmpty() && !fonts.contains(font))
                fonts << font;
            if (run.color.isValid() && !colors.contains(run.color))
                colors << run.color;
        }
    }
    QString out = QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\uc1");
    if (!fonts.isEmpty()) {
        out += QStringLiteral("{\\fonttbl");
        for (qsizetype i = 0; i < fonts.size(); ++i)
            out +=
                QStringLiteral("{\\f%1\\fnil\\fcharset0 %2;}").arg(i).arg(escapeRtfText(fonts[i]));
        out += u'}';
    }
    if (!colors.isEmpty()) {
        out += QStringLiteral("{\\colortbl ;");
        for (const QColor &color : colors)
            out += QStringLiteral("\\red%1\\green%2\\blue%3;")
                       .arg(color.red())
                       .arg(color.green())
                       .arg(color.blue());
        out += u'}';
    }
    out += QStringLiteral("\r\n");
    for (const RtfParagraph &paragraph : text.paragraphs) {
        out += QStringLiteral("\\pard");
        switch (paragraph.alignment) {
        case RtfAlignment::Left:
            break;
        case RtfAlignment::Center:
            out += QStringLiteral("\\qc");
            break;
        case RtfAlignment::Right:
            out += QStringLiteral("\\qr");
            break;
        case RtfAlignment::Justify:
            out += QStringLiteral("\\qj");
            break;
        }
        for (const RtfRun &run : paragraph.runs) {
            if (run.text.isEmpty())
                continue;
            out += u'{';
            const qsizetype groupStart = out.size();
            if (run.bold)
                out += QStringLiteral("\\b");
            if (run.italic)
                out += QStringLiteral("\\i");
            if (run.underline)
                out += QStringLiteral("\\ul");
            const QString font = cleanFontName(run.font);
            if (!font.isEmpty())
                out += QStringLiteral("\\f%1").arg(fonts.indexOf(font));
            if (run.sizePt > 0)
                out += QStringLiteral("\\fs%1").arg(qRound(run.sizePt * 2));
            if (run.color.isValid())
                out += QStringLiteral("\\cf%1").arg(colors.indexOf(run.color) + 1);
            // A blank ends the last control word; without one it would be text.
            if (out.size() > groupStart)
                out += u' ';
            out += escapeRtfText(run.text);
            out += u'}';
        }
        out += QStringLiteral("\\par\r\n");
    }
    out += u'}';
    return out;
}

QString rtfToHtml(const RtfText &text)
{
    QString html;
    for (const RtfParagraph &paragraph : text.paragraphs) {
        const char *align = paragraph.alignment == RtfAlignment::Center    ? "center"
                            : paragraph.alignment == RtfAlignment::Right   ? "right"
                            : paragraph.alignment == RtfAlignment::Justify ? "justify"
                                                                           : "left";
        html +=
            QStringLiteral(
                "<p align=\"%1\" style=\"margin-top:0; margin-bottom:0; white-space:pre-wrap\">")
                .arg(QLatin1StringView(align));
        if (paragraph.runs.isEmpty())
            html += QStringLiteral("&nbsp;");
        for (const RtfRun &run : paragraph.runs) {
            QStringList style;
            if (run.bold)
                style << QStringLiteral("font-weight:bold");
            if (run.italic)
                style << QStringLiteral("font-style:italic");
            if (run.underline)
                style << QStringLiteral("text-decoration:underline");
            const QString font = cleanFontName(run.font);
            if (!font.isEmpty())
                style << QStringLiteral("font-family:'%1'").arg(font.toHtmlEscaped());
            if (run.sizePt > 0)
                style << QStringLiteral("font-size:%1pt").arg(run.sizePt);
            if (run.color.isValid())
                style << QStringLiteral("color:%1").arg(run.color.name());
            QString escaped = run.text.toHtmlEscaped();
            escaped.replace(kLineBreak, QStringLiteral("<br>"));
            if (style.isEmpty())
                html += escaped;
            else
                html +=
                    QStringLiteral("<span style=\"%1\">%2</span>").arg(style.join(u"; "), escaped);
        }
        html += QStringLiteral("</p>");
    }
    return html;
}

void fillTextDocument(const RtfText &text, QTextDocument *document)
{
    document->clear();
    QTextCursor cursor(document);
    bool first = true;
    for (const RtfParagraph &paragraph : text.paragraphs) {
        QTextBlockFormat block;
        switch (paragraph.alignment) {
        case RtfAlignment::Left:
            block.setAlignment(Qt::AlignLeft);
            break;
        case RtfAlignment::Center:
            block.setAlignment(Qt::AlignHCenter);
            break;
        case RtfAlignment::Right:
            block.setAlignment(Qt::AlignRight);
            break;
        case RtfAlignment::Justify:
            block.setAlignment(Qt::AlignJustify);
            break;
        }
        if (first)
            cursor.setBlockFormat(block);
        else
            cursor.insertBlock(block, QTextCharFormat());
        first = false;
        for (const RtfRun &run : paragraph.runs) {
            QTextCharFormat format;
            if (run.bold)
                format.setFontWeight(QFont::Bold);
            if (run.italic)
                format.setFontItalic(true);
            if (run.underline)
                format.setFontUnderline(true);
            if (!run.font.isEmpty())
                format.setFontFamilies(QStringList{run.font});
            if (run.sizePt > 0)
                format.setFontPointSize(run.sizePt);
            if (run.color.isValid())
                format.setForeground(run.color);
            cursor.insertText(run.text, format);
        }
    }
}

RtfText fromTextDocument(const QTextDocument &document)
{
    RtfText text;
    if (document.isEmpty())
        return text;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        RtfParagraph paragraph;
        const Qt::Alignment align = block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
        if (align & Qt::AlignHCenter)
            paragraph.alignment = RtfAlignment::Center;
        else if (align & (Qt::AlignRight | Qt::AlignTrailing))
            paragraph.alignment = RtfAlignment::Right;
        else if (align & Qt::AlignJustify)
            paragraph.alignment = RtfAlignment::Justify;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid() || fragment.text().isEmpty())
                continue;
            const QTextCharFormat format = fragment.charFormat();
            RtfRun run;
            // A pasted picture or other object has no place in the footer.
            run.text = fragment.text().remove(QChar::ObjectReplacementCharacter);
            if (run.text.isEmpty())
                continue;
            run.bold = format.fontWeight() >= QFont::DemiBold;
            run.italic = format.fontItalic();
            run.underline = format.fontUnderline();
            if (format.hasProperty(QTextFormat::FontFamilies))
                run.font = format.fontFamilies().toStringList().value(0);
            if (format.hasProperty(QTextFormat::FontPointSize))
                run.sizePt = format.fontPointSize();
            if (format.hasProperty(QTextFormat::ForegroundBrush))
                run.color = format.foreground().color();
            if (!paragraph.runs.isEmpty() && paragraph.runs.last().sameFormat(run))
                paragraph.runs.last().text += run.text;
            else
                paragraph.runs << run;
        }
        text.paragraphs << paragraph;
    }
    return text;
}

} // namespace vq::invoice
