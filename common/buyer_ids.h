// The identifiers a business buyer gives for its e-invoice, checked by form:
// a VAT identification number of an EU member state (with its country
// prefix; the German one by its check digit too) and a Leitweg-ID, the
// buyer reference of German public buyers (by its check digits). The order
// page's script and the form mailer check the same rules.
#pragma once

#include <QString>
#include <QStringView>

namespace vq {

// The number without blanks, dots and hyphens, in capitals ("de 136 695 976"
// gives "DE136695976").
QString compactVatId(QStringView vatId);
// Whether it has the form of its state's numbers: "DE" + 9 digits (check
// digit ISO 7064 MOD 11,10), "ATU" + 8 digits, "FR" + 2 characters + 9
// digits, "NL" + 9 digits + "B" + 2 digits, ... for the 27 states ("EL" for
// Greece) and "XI" (Northern Ireland).
bool vatIdFormValid(QStringView vatId);
// Why not, in German, for a message naming the field; empty when it is valid.
QString vatIdProblem(QStringView vatId);

// Whether a text has the form of a Leitweg-ID: coarse address of 2 to 12
// digits, an optional fine address of up to 30 letters and digits, two check
// digits, joined by "-" ("04011000-12345-03").
bool looksLikeLeitwegId(QStringView text);
// Whether it is one with the right check digits (ISO 7064 MOD 97-10 over the
// ID without hyphens, letters counted A=10 ... Z=35).
bool leitwegIdValid(QStringView text);

} // namespace vq
