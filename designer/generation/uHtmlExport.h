// Export into an existing HTML page: the three framed blocks (CSS, scripts and
// the form) taken from the generated page, and inserting, refreshing and
// removing them in the text of a page. Plain text functions, so the export
// dialog and the command line share them.
#pragma once

#include <QString>

namespace vq {

inline constexpr char16_t kCssBegin[] = u"<!-- VQFORMCSSBEGIN -->";
inline constexpr char16_t kCssEnd[] = u"<!-- VQFORMCSSEND -->";
inline constexpr char16_t kScriptBegin[] = u"<!-- VQFORMJSBEGIN -->";
inline constexpr char16_t kScriptEnd[] = u"<!-- VQFORMJSEND -->";
inline constexpr char16_t kFormBegin[] = u"<!-- VQFORM begin -->";
inline constexpr char16_t kFormEnd[] = u"<!-- VQFORM end -->";
// Pasted at the caret to remember where the form block goes.
inline constexpr char16_t kInsertionMark[] = u"INPUTVQFORM";

// The blocks of a generated HTML page: from the begin marker through the end
// marker; empty when the page lacks one of them.
QString cssBlock(const QString &generatedPage);
QString scriptBlock(const QString &generatedPage);
// "<!-- VQFORM begin -->" CR LF, the page from its first "<form" through its
// first "</form>", "<!-- VQFORM end -->" CR LF; empty without a form.
QString formBlock(const QString &generatedPage);

bool hasFormBlock(const QString &pageText);
// Whether the page holds the insertion mark (letter case ignored).
bool hasInsertionMark(const QString &pageText);

// Why the blocks cannot go into a page, or empty: the style and the script
// block belong into its head, so a page without a head tag is refused.
QString exportRefusal(const QString &pageText);

// Every insertion mark (letter case ignored) becomes the form block; the CSS
// block follows the page's head start tag (see headContentStart), the script
// block follows the CSS end marker. Each of these two is preceded by CR LF.
// Without a head tag (see exportRefusal) neither of them goes in.
QString insertBlocks(const QString &pageText, const QString &generatedPage);

// Replaces the blocks by fresh ones from the generated page: the CSS and the
// script block are cut (when both their markers are there) and inserted anew
// as by insertBlocks; the form block is replaced where it stands. A block
// missing one of its markers is left alone.
QString refreshBlocks(const QString &pageText, const QString &generatedPage);

// Cuts the three blocks, each only when both its markers are there.
QString removeBlocks(const QString &pageText);

} // namespace vq
