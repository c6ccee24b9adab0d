#include "designer/generation/page_source.h"

#include "common/text_file.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

namespace vq {

namespace {

const QByteArray kByteOrderMark("\xEF\xBB\xBF");

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isHtmlSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// Elements whose content is text up to their end tag, never markup.
bool holdsRawText(const QString &name)
{
    static const std::array<QString, 9> names{
        QStringLiteral("script"),   QStringLiteral("style"),   QStringLiteral("xmp"),
        QStringLiteral("iframe"),   QStringLiteral("noembed"), QStringLiteral("noframes"),
        QStringLiteral("textarea"), QStringLiteral("title"),   QStringLiteral("plaintext")};
    return std::find(names.begin(), names.end(), name) != names.end();
}

// One tag, comment, document type or processing instruction of a page.
struct Markup
{
    qsizetype from = 0;
    qsizetype to = 0; // just after its closing ">"
    QString name;     // a tag's name in lower case; empty for the others
    bool endTag = false;
};

qsizetype pastGreaterThan(const QString &t, qsizetype from)
{
    const qsizetype close = t.indexOf(u'>', from);
    return close < 0 ? t.size() : close + 1;
}

qsizetype pastComment(const QString &t, qsizetype at)
{
    const QStringView rest = QStringView(t).mid(at + 4);
    if (rest.startsWith(u">"))
        return at + 5;
    if (rest.startsWith(u"->"))
        return at + 6;
    const qsizetype close = t.indexOf(QStringLiteral("-->"), at + 4);
    return close < 0 ? t.size() : close + 3;
}

// The end of a start or end tag whose name begins at nameAt: a quoted
// attribute value may hold ">".
qsizetype pastTag(const QString &t, qsizetype nameAt)
{
    const qsizetype n = t.size();
    qsizetype j = nameAt;
    while (j < n && t[j] != u'>') {
        if (t[j] != u'=') {
            ++j;
            continue;
        }
        ++j;
        while (j < n && isHtmlSpace(t[j]))
            ++j;
        if (j < n && (t[j] == u'"' || t[j] == u'\'')) {
            const qsizetype close = t.indexOf(t[j], j + 1);
            j = close < 0 ? n : close + 1;
        }
    }
    return j < n ? j + 1 : n;
}

// Where the raw text of an element ends: at its end tag.
qsizetype rawTextEnd(const QString &t, const QString &name, qsizetype from)
{
    if (name == u"plaintext")
        return t.size();
    const QString endTag = QStringLiteral("</") + name;
    for (qsizetype k = from;;) {
        const qsizetype at = t.indexOf(endTag, k, Qt::CaseInsensitive);
        if (at < 0)
            return t.size();
        const qsizetype after = at + endTag.size();
        if (after >= t.size() || isHtmlSpace(t[after]) || t[after] == u'/' || t[after] == u'>')
            return at;
        k = after;
    }
}

// The markup of a page in order, as a browser's tokenizer finds it.
std::vector<Markup> scanMarkup(const QString &t)
{
    std::vector<Markup> items;
    const qsizetype n = t.size();
    qsizetype i = 0;
    while (i < n) {
        i = t.indexOf(u'<', i);
        if (i < 0)
            break;
        const QStringView rest = QStringView(t).mid(i);
        if (rest.startsWith(u"<!--")) {
            items.push_back({i, pastComment(t, i), {}, false});
            i = items.back().to;
            continue;
        }
        const QChar next = rest.size() > 1 ? rest[1] : QChar();
        const bool endTag = next == u'/';
        const qsizetype nameAt = i + (endTag ? 2 : 1);
        if (next == u'!' || next == u'?'
            || (endTag && (nameAt >= n || !isAsciiLetter(t[nameAt])))) {
            items.push_back({i, pastGreaterThan(t, i + 2), {}, false});
            i = items.back().to;
            continue;
        }
        if (nameAt >= n || !isAsciiLetter(t[nameAt])) {
            ++i; // a "<" of the text
            continue;
        }
        qsizetype j = nameAt;
        while (j < n && !isHtmlSpace(t[j]) && t[j] != u'/' && t[j] != u'>')
            ++j;
        Markup tag{i, pastTag(t, j), t.mid(nameAt, j - nameAt).toLower(), endTag};
        i = !endTag && holdsRawText(tag.name) ? rawTextEnd(t, tag.name, tag.to) : tag.to;
        items.push_back(std::move(tag));
    }
    return items;
}

// Characters of a windows-1252 page beyond Latin-1's: bytes 0x80 to 0x9F.
const QString &windows1252High()
{
    static const QString high = [] {
        QByteArray bytes;
        for (int b = 0x80; b < 0xA0; ++b)
            bytes.append(char(b));
        return fromWindows1252(bytes);
    }();
    return high;
}

QByteArray toWindows1252WithReferences(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes.append(char(u));
            continue;
        }
        if (const qsizetype high = windows1252High().indexOf(text[i]); high >= 0) {
            bytes.append(char(0x80 + high));
            continue;
        }
        char32_t code = u;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        bytes.append("&#");
        bytes.append(QByteArray::number(quint32(code)));
        bytes.append(';');
    }
    return bytes;
}

std::optional<QString> strictUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// The character set a meta tag declares, in lower case; empty without one.
QString declaredCharset(const QString &text)
{
    static const QRegularExpression meta(
        QStringLiteral("<meta\\b[^>]*?charset\\s*=\\s*[\"']?\\s*([a-z0-9_.:-]+)"),
        QRegularExpression::CaseInsensitiveOption);
    return meta.match(text).captured(1).toLower();
}

// Source characters and the characters a browser makes of a reference at
// `at` (a "&").
std::pair<qsizetype, qsizetype> reference(const QString &t, qsizetype at)
{
    const qsizetype n = t.size();
    qsizetype j = at + 1;
    if (j < n && t[j] == u'#') {
        const bool hex = j + 1 < n && (t[j + 1] == u'x' || t[j + 1] == u'X');
        j += hex ? 2 : 1;
        const qsizetype digits = j;
        while (j < n && (hex ? isxdigit(t[j].unicode()) : t[j].isDigit()))
            ++j;
        if (j == digits)
            return {1, 1};
        const uint code = t.mid(digits, j - digits).toUInt(nullptr, hex ? 16 : 10);
        if (j < n && t[j] == u';')
            ++j;
        return {j - at, code > 0xFFFF ? 2 : 1};
    }
    while (j < n && t[j].isLetterOrNumber() && t[j].unicode() < 0x80)
        ++j;
    if (j > at + 1 && j < n && t[j] == u';')
        return {j + 1 - at, 1};
    // The old references browsers still take without a semicolon.
    static const std::array<QString, 16> legacy{
        QStringLiteral("amp"),  QStringLiteral("lt"),    QStringLiteral("gt"),
        QStringLiteral("quot"), QStringLiteral("nbsp"),  QStringLiteral("copy"),
        QStringLiteral("reg"),  QStringLiteral("auml"),  QStringLiteral("ouml"),
        QStringLiteral("uuml"), QStringLiteral("Auml"),  QStringLiteral("Ouml"),
        QStringLiteral("Uuml"), QStringLiteral("szlig"), QStringLiteral("sect"),
        QStringLiteral("deg")};
    const QStringView name = QStringView(t).mid(at + 1, j - at - 1);
    for (const QString &known : legacy)
        if (name.startsWith(known))
            return {1 + known.size(), 1};
    return {1, 1};
}

} // namespace

PageSource decodePage(const QByteArray &bytes, const QString &projectEncoding)
{
    if (bytes.startsWith(kByteOrderMark))
        if (std::optional<QString> text = strictUtf8(QByteArrayView(bytes).sliced(3)))
            return {*text, PageEncoding::Utf8WithBom};
    const bool beyondAscii =
        std::any_of(bytes.begin(), bytes.end(), [](char b) { return (b & 0x80) != 0; });
    if (beyondAscii) {
        if (std::optional<QString> text = strictUtf8(bytes))
            return {*text, PageEncoding::Utf8};
        return {fromWindows1252(bytes), PageEncoding::Windows1252};
    }
    QString text = QString::fromLatin1(bytes);
    const QString charset = declaredCharset(text);
    const bool utf8 = charset.isEmpty() ? projectEncoding == u"utf-8"
                                        : (charset == u"utf-8" || charset == u"utf8");
    return {std::move(text), utf8 ? PageEncoding::Utf8 : PageEncoding::Windows1252};
}

QByteArray encodePage(const PageSource &page)
{
    switch (page.encoding) {
    case PageEncoding::Utf8WithBom:
        return kByteOrderMark + page.text.toUtf8();
    case PageEncoding::Utf8:
        return page.text.toUtf8();
    case PageEncoding::Windows1252:
        break;
    }
    return toWindows1252WithReferences(page.text);
}

qsizetype headContentStart(const QString &pageText)
{
    for (const Markup &m : scanMarkup(pageText))
        if (!m.endTag && m.name == u"head")
            return m.to;
    return -1;
}

QString textForView(const QString &pageText)
{
    const QString prefix = QString::fromUtf16(kViewMarkPrefix);
    QString view;
    view.reserve(pageText.size() + pageText.size() / 4);
    qsizetype copied = 0;
    for (const Markup &m : scanMarkup(pageText)) {
        if (!m.endTag && holdsRawText(m.name))
            continue; // a comment there would be text
        qsizetype at = m.to;
        // The browser drops a line break right after these start tags; the
        // mark follows it, so the break stays the first text.
        if (!m.endTag && (m.name == u"pre" || m.name == u"listing")) {
            if (QStringView(pageText).mid(at).startsWith(u"\r\n"))
                at += 2;
            else if (QStringView(pageText).mid(at).startsWith(u"\n")
                     || QStringView(pageText).mid(at).startsWith(u"\r"))
                at += 1;
        }
        view += QStringView(pageText).mid(copied, at - copied);
        view += QStringLiteral("<!--") + prefix + QString::number(at) + QStringLiteral("-->");
        copied = at;
    }
    view += QStringView(pageText).mid(copied);
    return view;
}

qsizetype positionAfterMark(const QString &pageText, qsizetype mark, qsizetype characters)
{
    const qsizetype n = pageText.size();
    if (mark < 0 || mark > n)
        return -1;
    qsizetype limit = n;
    for (const Markup &m : scanMarkup(pageText))
        if (m.from >= mark) {
            limit = m.from;
            break;
        }
    qsizetype pos = mark;
    qsizetype remaining = characters;
    while (remaining > 0 && pos < limit) {
        const QChar c = pageText[pos];
        qsizetype length = 1;
        qsizetype counted = 1;
        if (c == u'\r' && pos + 1 < n && pageText[pos + 1] == u'\n')
            length = 2;
        else if (c.isHighSurrogate() && pos + 1 < n && pageText[pos + 1].isLowSurrogate())
            length = counted = 2;
        else if (c == u'&')
            std::tie(length, counted) = reference(pageText, pos);
        if (counted > remaining)
            break;
        pos += length;
        remaining -= counted;
    }
    return std::min(pos, limit);
}

} // namespace vq
