// The electronic invoice of a stored order: its client, lines and options
// read from the invoice database, the invoice date fixed on first output.
#pragma once

#include "invoice_database.h"
#include "xrechnung.h"

namespace vq::invoice {

// Reads what the invoice of the order needs. false with *error (German) for
// an unknown order or a database that fails. With fixDate the order's invoice
// date is stored as today when it has none (the invoice is put out); without,
// an order without one gets today's date in input only (a check before output).
bool loadEInvoiceInput(TInvoiceDatabase &db, int bestellungId, const QDate &today,
                       TEInvoiceInput *input, QString *error, bool fixDate = true);

} // namespace vq::invoice
