#include "text_file.h"

#include "safe_file.h"


#include <cerrno>
#include <iconv.h>

namespace vq {

namespace {

// Every line break as CR LF: lone LF and lone CR become CR LF.
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

QByteArray encodeGeneratedText(const QString &text, const QString &encoding)
{
    const QString crlf = withCrLf(text);
    if (encoding == QLatin1String("utf-8"))
        return QByteArray("\xEF\xBB\xBF") + crlf.toUtf8();
    return toWindows1252(crlf);
}

bool writeGeneratedText(const QString &path, const QString &text, const QString &encoding,
                        QString *error)
{
    return writeFileSafely(path, encodeGeneratedText(text, encoding), error);
}

} // namespace vq
