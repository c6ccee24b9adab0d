// "Bestellung als Unternehmen": the optional fields a business buyer fills in
// for the e-invoice, added to a form in one step. Each comes from the field
// template of its name, so the company field is the library's "Firma" and the
// others carry their format checks (FormatCheck) from the delivered library.
#pragma once

#include "designer/model/vqform.h"

#include <QString>
#include <QStringList>

namespace vq {

// The field names, in the order the fields are added.
QStringList businessOrderFieldNames();

// Appends, in that order, each field of businessOrderFieldNames() that no
// field of the list is named yet. A field is taken from the first library of
// `libraries` (paths; the user's before the delivered one) that holds a
// template of its name; a library that cannot be read is passed over.
// Returns the number of fields added; -1 with a German error, and the list
// unchanged, when a field has no readable template.
int addBusinessOrderFields(FieldList &fields, const QStringList &libraries, QString *error);

} // namespace vq
