#include "common/text_file.h"

#include "common/safe_file.h"

#include <QStringDecoder>

#include <cerrno>
#include <iconv.h>

namespace vq {

namespace {

int utf8SequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 1;
}

} // namespace

QByteArray toWindows1252(const QString &text)
{
    QByteArray input = text.toUtf8();
    QByteArray output;
    output.reserve(input.size());
    iconv_t cd = iconv_open("WINDOWS-1252", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return text.toLatin1();

    char *in = input.data();
    size_t inLeft = static_cast<size_t>(input.size());
    char buffer[4096];
    while (inLeft > 0) {
        char *out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(buffer, static_cast<qsizetype>(out - buffer));
        if (rc != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // A character the code page cannot hold (EILSEQ), or a cut sequence.
        output.append('?');
        const size_t skip =
            std::min<size_t>(inLeft, utf8SequenceLength(static_cast<unsigned char>(*in)));
        in += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return output;
}

QString fromWindows1252(const QByteArray &bytes)
{
    // 0x80..0x9F; the rest is ISO-8859-1.
    static constexpr char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        *out++ = (u >= 0x80 && u < 0xA0) ? QChar(high[u - 0x80]) : QChar(char16_t(u));
    }
    return text;
}

QString fromUtf8OrWindows1252(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    bool beyondAscii = false;
    for (const char b : bytes) {
        if (static_cast<unsigned char>(b) >= 0x80) {
            beyondAscii = true;
            break;
        }
    }
    if (!beyondAscii)
        return QString::fromLatin1(bytes);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (!decoder.hasError())
        return text;
    return fromWindows1252(bytes);
}

QString withCrLf(const QString &text)
{
    QString result;
    result.reserve(text.size() + text.size() / 32);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            result.append(QLatin1String("\r\n"));
            if (i + 1 < n && text[i + 1] == u'\n')
                ++i;
        } else if (c == u'\n') {
            result.append(QLatin1String("\r\n"));
        } else {
            result.append(c);
        }
    }
    return result;
}

QByteArray encodeText(const QString &text, const QString &encoding, GeneratedKind kind)
{
    if (encoding == QLatin1String("utf-8")) {
        if (kind == GeneratedKind::PhpScript)
            return text.toUtf8();
        return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    }
    return toWindows1252(text);
}

QByteArray encodeGeneratedText(const QString &text, const QString &encoding, GeneratedKind kind)
{
    return encodeText(withCrLf(text), encoding, kind);
}

bool writeGeneratedText(const QString &path, const QString &text, const QString &encoding,
                        QString *error, GeneratedKind kind)
{
    return writeFileSafely(path, encodeGeneratedText(text, encoding, kind), error);
}

} // namespace vq
