// What the order pages owe consumers: an order button that names the duty to
// pay, the price information beside the totals, and the withdrawal page's
// file name. Without widgets; the main window and the command line ask here.
#pragma once

#include "designer/model/project_document.h"

#include <QString>
#include <QStringList>

namespace vq {

// Button texts that say clearly that the order costs money (letter case and
// blanks around them aside).
QStringList acceptedOrderButtonTexts();

// Whether the project sells something: an article with a price or a surcharge.
bool hasPricedArticles(const ProjectDocument &project);

// The warning the designer shows before an export, a preview or an upload of
// a project with priced articles whose button says something else; empty
// when there is nothing to warn of.
QString orderButtonWarning(const ProjectDocument &project);

// The price information the order pages show beside the totals: "inkl. MwSt."
// or "zzgl. MwSt." by the project's price calculation, and "zzgl.
// Versandkosten" (a link when the project names a page) unless an article of
// fixed price carries the shipping. Empty for a project without priced articles.
QString priceInformationHtml(const ProjectDocument &project);

// The file name the withdrawal page is uploaded under, beside the form:
// "widerruf.htm" or "widerruf.php".
QString withdrawalFileName(bool php);

} // namespace vq
