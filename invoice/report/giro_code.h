// The payment code on the invoice ("GiroCode", EPC QR code): the customer
// scans it with a banking app, which fills in a SEPA credit transfer of what
// the invoice owes to the client's account, with the invoice number as the
// remittance text. The template shows it through the value GiroCode, a
// picture as a data URL, present only when the invoice gets a code.
#pragma once

#include "invoice/money/invoice_data.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace vq::invoice {

// The code's text (version 002, UTF-8, SEPA credit transfer), its lines
// separated by LF: BCD, 002, 1, SCT, the client's BIC (empty unless it is a
// well-formed one), the client's Firma (else Vorname Name, at most 70
// characters), the IBAN (compact, upper case), "EUR" and the amount owed
// ("EUR12.30"), an empty purpose, an empty structured reference and
// "Rechnung <printed invoice number>" (at most 140 characters; left out while
// the order has no number). Empty, so no code is printed, when the client
// has no name, no IBAN or one whose check digits are wrong, when nothing is
// owed (a cancellation's negative total included) or more than
// 999,999,999.99, when the client's currency is not the euro, or when the
// text exceeds the 331 bytes a code of version 13 holds.
QByteArray giroCodePayload(const InvoiceData &data);

// The QR code of the text at error correction level M, black modules on
// white with the quiet zone of 4 modules, each module pixelsPerModule pixels
// square; a null image for an empty text or one too long for version 13.
QImage giroCodeImage(const QByteArray &payload, int pixelsPerModule);

// The picture of the invoice's code as "data:image/png;base64,...", for the
// template's <img src="{{GiroCode}}">; empty when the invoice gets no code.
QString giroCodeDataUrl(const InvoiceData &data);

} // namespace vq::invoice
