// Splits a choice list ("rot# grün##blau") into its choices; used by list and
// radio fields and by the select options of articles.
#pragma once

#include <QStringList>

namespace vq {

// Separators are "#", CR and LF; blanks, tabs, CR and LF at the start of a
// choice are skipped, trailing blanks stay; a part in single or double quotes
// may hold separators and keeps its quotes; empty choices are dropped.
QStringList splitChoiceList(const QString &text);

} // namespace vq
