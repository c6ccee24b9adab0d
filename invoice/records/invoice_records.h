// The records of the invoice module as plain values: a client, an order, its
// lines and their options. Qt Core only, so that reading order mails needs no
// database.
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace vq::invoice {

// A client (table Mandant).
struct TMandant
{
    int id = 0;
    QString firma, name, vorname, strasse, plz, ort, land;
    QString pop3, username, password;
    int port = 110;
    QString email, rechnungsfuss, waehrung;
    int verschluesselung = 0; // 0 plain, 1 POP3S, 2 STLS
    // Secret shared with the client's form mailer; when set, only order mails
    // signed with it are stored. Empty: no signature is asked for.
    QString bestellgeheimnis;
    // What an electronic invoice needs beside the footer.
    QString ustIdNr, steuernummer, iban, bic, bank, telefon;
    // Days from the invoice date to the due date, 0: due at once; none: the
    // invoice names no due date.
    std::optional<int> zahlungsziel;
    // The invoice numbers: 0 one running range (the highest + 1, drawn when
    // the order is made); 1 a range per year, drawn at issue and starting
    // each year at ersteNummer. nummernformat is the printed form
    // (invoice_numbers.h); empty: the number alone.
    int nummernkreis = 0;
    int ersteNummer = 1;
    QString nummernformat;
    // A small business (section 19 of the VAT act): its invoices charge and
    // show no VAT.
    bool kleinunternehmer = false;
    // Cash discount ("Skonto") for payment within skontoTage days of the
    // invoice date: skontoProzent percent (above 0, below 100); none: no discount.
    std::optional<int> skontoTage;
    double skontoProzent = 0;
};

// An order (table Bestellung); rechNr and zeit may be empty.
struct TBestellung
{
    int id = 0;
    int mandantId = 0;
    std::optional<int> rechNr;
    QString uuid;
    QDateTime zeit;
    QString firma, name, nachname, strasse, plz, ort, land, telefon, email, homepage, ip;
    int status = 1;
    QString bemerkung;
    // Set when the invoice is first put out and kept for every later print.
    QDate rechnungsdatum;
    // The buyer's reference (a Leitweg-ID for public buyers); empty: the invoice number.
    QString kaeuferreferenz;
    // The prices of the lines and options are without VAT (the page computed
    // "netto"); otherwise they include it.
    bool netto = false;
    // Raised by every write of the order, its lines or options (read only:
    // the database counts it).
    int version = 0;
    // The year of the yearly range rechNr belongs to; none: the running range.
    std::optional<int> rechJahr;
    // The invoice number as printed, fixed at issue; empty before.
    QString rechNrText;
    // A cancellation invoice: the order whose invoice it cancels.
    std::optional<int> stornoZu;
    // A business buyer's VAT identification number ("USt-IdNr.").
    QString ustIdNr;
    // The address the buyer receives e-invoices at; empty: its e-mail address.
    QString emailERechnung;
    // The tax case (tax_case.h): empty or "Inland", "innergemeinschaftlich",
    // "ReverseCharge", "Ausfuhr".
    QString steuerfall;
    // When the goods were delivered; invalid: on the order date.
    QDate lieferdatum;

    // An invoice that went out (printed, saved or sent) is a record: its
    // data stay as they are. Older databases mark it by the invoice date alone.
    bool issued() const { return rechnungsdatum.isValid(); }
};

struct TOption
{
    int id = 0;
    int artikelId = 0;
    QString name, wert;
    std::optional<double> preis; // empty: the option has no price
};

// An order line (table Artikel); what it costs is the money rule's (order_amounts.h).
struct TArtikel
{
    int id = 0;
    int bestellungId = 0;
    QString nr, name;
    int anzahl = 0;
    double preis = 0, mwst = 0;
    QList<TOption> optionen; // filled where the whole order is read or stored
};

} // namespace vq::invoice
