// Fuzz target over the footer's RTF reader: every input ends in text, never
// in a crash or a hang, and what the reader made of it is written and read
// back with the same text and the same paragraphs.
#include "invoice/report/rtf_text.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString input =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const vq::invoice::RtfText text = vq::invoice::readRtf(input);
    (void)vq::invoice::rtfToHtml(text);
    const vq::invoice::RtfText again = vq::invoice::readRtf(vq::invoice::writeRtf(text));
    if (again.plainText() != text.plainText() || again.paragraphs.size() != text.paragraphs.size())
        __builtin_trap();
    return 0;
}
