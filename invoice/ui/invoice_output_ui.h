// The invoice windows the order list and the order editor call: the preview
// "Rechnung Vorschau" (at 100 %, with saving as PDF), printing with the set-up
// dialog "Einstellungen Drucken", and resetting a client's template. An
// order whose invoice is not issued is shown as a draft rendered afresh; an
// issued one as its archived PDF. A
// missing or broken template shows its message instead of a blank page.
#pragma once

#include "invoice/output/invoice_issuer.h"

#include "invoice/db/invoice_connection.h"
#include "invoice/records/invoice_records.h"
#include "invoice/report/invoice_renderer.h"
#include "invoice/ui/user_questions.h"

#include <QDialog>
#include <QPrintPreviewDialog>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QPrinter;
class QRadioButton;
class QSpinBox;

namespace vq::invoice {

// The preview window with the invoice's pages and a "PDF speichern" action:
// a draft as it stands, marked "Entwurf", or an issued invoice as archived.
class TfrmRechnungVorschau : public QPrintPreviewDialog
{
    Q_OBJECT
public:
    // Writes the PDF "PDF speichern" asks for; false with a German *error.
    using PdfSaver = std::function<bool(const QString &file, QString *error)>;
    // zoomPercent: 100 for "Vorschau", 80 when the print set-up chose the
    // preview. Without a saver the pages shown are written.
    TfrmRechnungVorschau(std::shared_ptr<const InvoicePages> pages, QPrinter *printer,
                         UserQuestions &questions, int zoomPercent, QWidget *parent = nullptr,
                         PdfSaver saver = nullptr);
    // Asks for a file name and writes the invoice as PDF; false when cancelled or failed.
    bool savePdf();
    double zoomPercent() const;
    const InvoicePages &pages() const { return *m_pages; }

private:
    std::shared_ptr<const InvoicePages> m_pages;
    UserQuestions &m_questions;
    PdfSaver m_saver;
};

// "Einstellungen Drucken": printer or preview, which printer, copies, collation, duplex.
class TfrmDruckEinstellungen : public QDialog
{
    Q_OBJECT
public:
    enum class Destination { Printer, Preview };
    explicit TfrmDruckEinstellungen(QPrinter *printer, QWidget *parent = nullptr);
    Destination destination() const;
    // Copies the choices to the printer.
    void applyTo(QPrinter *printer) const;

private:
    QPrinter *m_printer;
    QRadioButton *m_toPrinter;
    QRadioButton *m_toPreview;
    QComboBox *m_printers;
    QSpinBox *m_copies;
    QCheckBox *m_collate;
    QComboBox *m_duplex;
};

// The pages the preview shows: an issued invoice's archived PDF, else the
// order (unsaved as typed) rendered as a draft. Issues nothing. A German
// message (through questions) and nullptr when it fails.
std::shared_ptr<const InvoicePages> invoicePages(QWidget *parent, InvoiceConnection &db,
                                                 int bestellungId, UserQuestions &questions,
                                                 UnsavedOrder unsaved = {});
// The pages of the issued invoice, issuing it first (refused for an order
// with unsaved changes); the warning of a template lacking what the law
// requires is shown once, at issue.
std::shared_ptr<const InvoicePages> issuedInvoicePages(QWidget *parent, InvoiceConnection &db,
                                                       int bestellungId, UserQuestions &questions,
                                                       UnsavedOrder unsaved = {});

// The print job: the printer's own copies when it makes them, otherwise painted.
bool printInvoicePages(const InvoicePages &pages, QPrinter *printer);

// "Vorschau": the preview at 100 %.
void previewInvoice(QWidget *parent, InvoiceConnection &db, int bestellungId,
                    UserQuestions &questions, UnsavedOrder unsaved = {});
// "Drucken": the set-up dialog, then the printer (which issues the invoice
// and prints what the archive keeps) or the preview (maximised, 80 %).
void printInvoice(QWidget *parent, InvoiceConnection &db, int bestellungId,
                  UserQuestions &questions, UnsavedOrder unsaved = {});
// "E-Rechnung (XRechnung) speichern": when the client and the order hold what
// the electronic invoice needs, asks for a file name and writes the order's
// XRechnung XML; otherwise one German message names every missing item and no
// file is asked for or written. false when refused, cancelled or failed.
bool saveXRechnung(QWidget *parent, InvoiceConnection &db, int bestellungId,
                   UserQuestions &questions, UnsavedOrder unsaved = {});
// "E-Rechnung (ZUGFeRD-PDF) speichern": the same for the invoice PDF of the
// client's template with the electronic invoice inside (ZUGFeRD / Factur-X).
bool saveZugferd(QWidget *parent, InvoiceConnection &db, int bestellungId, UserQuestions &questions,
                 UnsavedOrder unsaved = {});
// "Stornieren" (correct: "Korrigieren"): asks, then creates and issues the
// cancellation invoice of the order's issued invoice (and with correct a new
// editable copy); says what was created, or why not. nullopt when cancelled,
// refused or failed.
std::optional<CancellationResult> cancelInvoice(QWidget *parent, InvoiceConnection &db,
                                                int bestellungId, UserQuestions &questions,
                                                bool correct);
// "Prüfen": checks the audit trail, the archived documents and the issued
// invoices and says the result (the first mismatch as an error).
void checkInvoiceRecords(QWidget *parent, InvoiceConnection &db, UserQuestions &questions);

// "Rechnungsvorlage zurücksetzen": asks, then copies the default over the client's template.
bool resetInvoiceTemplate(QWidget *parent, int mandantId, const QString &programFolder,
                          UserQuestions &questions);

} // namespace vq::invoice
