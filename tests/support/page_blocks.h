// The bytes of a page with the form's blocks cut out again, as the export
// into an existing page put them in: the style and script blocks with the
// line break before them, the form block with the line break after it. What
// remains is what the page held of its own. Empty when a block is missing.
#pragma once

#include <QByteArray>
#include <cstring>
#include <utility>

namespace vq::test {

inline QByteArray withoutFormBlocks(QByteArray bytes)
{
    for (const auto &[begin, end] :
         {std::pair{"\r\n<!-- VQFORMCSSBEGIN -->", "<!-- VQFORMJSEND -->"},
          std::pair{"<!-- VQFORM begin -->", "<!-- VQFORM end -->\r\n"}}) {
        const qsizetype from = bytes.indexOf(begin);
        const qsizetype to = bytes.indexOf(end, from);
        if (from < 0 || to < 0)
            return {};
        bytes.remove(from, to + qsizetype(std::strlen(end)) - from);
    }
    return bytes;
}

} // namespace vq::test
