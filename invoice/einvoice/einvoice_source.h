// The electronic invoice of a stored order: its client, lines and options
// read from the invoice database, the invoice date fixed on first output.
#pragma once

#include "invoice_database.h"
#include "xrechnung.h"

namespace vq::invoice {

// Reads what the invoice of the order needs. false with *error (German) for
// an unknown order or a database that fails.
bool loadEInvoiceInput(TInvoiceDatabase &db, int bestellungId, const QDate &today, TEInvoiceInput *input,
                       QString *error);

} // namespace vq::invoice
