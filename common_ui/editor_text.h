// Multi-line texts are stored with CR LF; the editor boxes work with LF.
#pragma once

#include <QString>

namespace vq::ui {

// For an editor box: CR LF and a lone CR (and LF) become LF.
QString textForEditor(const QString &stored);
// From an editor box: every line break (LF, CR LF, lone CR) becomes CR LF.
QString textFromEditor(const QString &edited);

} // namespace vq::ui
