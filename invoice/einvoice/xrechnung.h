// The electronic invoice of one order: XRechnung 3.0 in the UN/CEFACT Cross
// Industry Invoice syntax (EN 16931), which ZUGFeRD / Factur-X embeds as well.
#pragma once

#include "invoice/money/invoice_data.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace vq::invoice {

inline constexpr char kXRechnungGuideline[] =
    "urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0";
// The guideline of a ZUGFeRD / Factur-X invoice of the profile EN 16931.
inline constexpr char kEN16931Guideline[] = "urn:cen.eu:en16931:2017";

// Which rules the invoice declares: the German XRechnung, or plain EN 16931
// as ZUGFeRD / Factur-X embeds it in the PDF (the same XML otherwise).
enum class EInvoiceProfile { XRechnung, FacturXEN16931 };

struct EInvoiceResult
{
    QByteArray xml;      // empty when something is missing
    QStringList missing; // German names of what the client or order lacks
    // One message naming every missing item, for a message box or standard error.
    QString message() const;
};

// The check before issue ("Vorprüfung"): every item the e-invoice of the data
// lacks or holds wrongly, in German, in a fixed order: the client's and the
// buyer's data, VAT identification numbers and a Leitweg-ID by their form,
// the IBAN's check digits, what the tax case needs, the number, the dates
// and the lines. Empty when the e-invoice can be made.
QStringList eInvoiceProblems(const InvoiceData &data);
// The check's result in one German text: the items one per line, or that
// nothing is wrong.
QString precheckText(const QStringList &problems);
// Whether the buyer is a business that will want an e-invoice: it gave a VAT
// identification number, a buyer reference or an address for e-invoices, or
// the tax case is one between businesses (intra-community delivery, reverse
// charge).
bool businessBuyer(const InvoiceData &data);

// The invoice of the data: its amounts as worked out there, its date the
// order's invoice date (refused as missing while there is none).
EInvoiceResult buildXRechnung(const InvoiceData &data,
                              EInvoiceProfile profile = EInvoiceProfile::XRechnung);

// ISO 4217 code of a client's currency text ("€", "EUR", "Euro", "CHF", "Fr.",
// "$", "£", ...); empty when it names none.
QString currencyCode(const QString &waehrung);
// ISO 3166 code of a country text ("Deutschland", "DE", "Österreich", "Schweiz",
// ...); an empty text means Germany; empty when it names none known.
QString countryCode(const QString &land);
// Whether an IBAN's check sum (ISO 13616, mod 97) is right; blanks allowed.
bool ibanValid(const QString &iban);
// An IBAN as typed without its blanks, in capitals ("DE89370400440532013000").
QString compactIban(const QString &iban);

} // namespace vq::invoice
