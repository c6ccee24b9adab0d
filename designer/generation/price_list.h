// The price list for the form mailer: every article's number, name, price and
// VAT rate and the surcharges of its price options, exactly as the generated
// page posts them, so that the form mailer can refuse orders whose posted
// prices were changed on the way.
#pragma once

#include "designer/model/project_document.h"

#include <QByteArray>
#include <QString>

namespace vq {

// The file name the form mailer looks for beside its script.
inline constexpr const char *kPriceListFileName = "vq_preisliste.json";

// The price list as UTF-8 JSON:
// {"format":"vq-preisliste","version":1,"tax":"brutto"|"netto","articles":[{"number","name","price","vat",
//  "fixed","options":[{"name","values":[{"text","surcharge"}]}]}]}
// Numbers are strings in the notation of the page's hidden fields; texts are
// the page's texts after its encoding (a character a Windows-1252 page cannot
// hold is a "?" there, and so here). Only price options are listed. "fixed"
// (true or false) marks a fixed-price article, which every order must hold
// once; a list written before it existed has none and requires none.
QByteArray priceListJson(const ProjectDocument &project);

} // namespace vq
