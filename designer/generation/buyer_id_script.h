// The order page's checks of a business buyer's identifiers: the script
// functions that the format checks of single-line fields call (VAT ID,
// Leitweg-ID, address for e-invoices), built from the same rules and messages
// as the C++ checks, and the names of the functions that apply them in the
// page's script and in the PHP script.
#pragma once

#include "designer/model/vqform.h"

#include <QString>

namespace vq {

// The JavaScript functions vqVatIdProblem, vqLeitwegIdProblem and
// vqEInvoiceAddressProblem: each takes the field's value and returns the
// German message, or "" when the value passes (an empty one does).
QString buyerIdScriptFunctions();

// The name of the JavaScript function of a check; empty for None.
QString formatCheckScriptFunction(FormatCheck check);
// The name of the PHP function of the form mailer's library that does the same.
QString formatCheckPhpFunction(FormatCheck check);

} // namespace vq
