// What the invoice of one order is made of, read from the database: the order,
// its lines ordered by article number, the options of those lines, the client
// and the VAT breakdown of the order. Read without windows, for the renderer.
#pragma once

#include "invoice_database.h"

namespace vq::invoice {

struct InvoiceData
{
    TBestellung order;
    QList<TArtikel> lines;          // by Artikel_Nr
    QList<OptionReportRow> options; // of those lines, by Option_ID
    TMandant client;                // the client the order belongs to
    QList<VatRow> vat;              // of the order, by rate ascending
};

// The options of the lines of one order, with the amounts of the report's
// option view (an option is taxed at the rate of its line).
// Nothing when the database fails, so a failure never prints as "no options".
std::optional<QList<OptionReportRow>> optionsOfOrderForReport(TInvoiceDatabase &db, int bestellungId,
                                                              QString *error = nullptr);
// The rows of the VAT breakdown that belong to one order, by rate ascending;
// nothing when the database fails.
std::optional<QList<VatRow>> vatBreakdownOfOrder(TInvoiceDatabase &db, int bestellungId, QString *error = nullptr);

// Everything the invoice of that order shows. Fails with a German message for
// an unknown order, an order whose client is gone, or a database error.
std::optional<InvoiceData> readInvoiceData(TInvoiceDatabase &db, int bestellungId, QString *error);

} // namespace vq::invoice
