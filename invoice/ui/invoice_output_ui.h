// The invoice windows the order list and the order editor call: the preview
// "Rechnung Vorschau" (at 100 %, with saving as PDF), printing with the set-up
// dialog "Einstellungen Drucken", and resetting a client's template. Each
// entry point renders the order through its client's template afresh; a
// missing or broken template shows its message instead of a blank page.
#pragma once

#include "invoice/output/invoice_issuer.h"

#include "invoice/db/invoice_connection.h"
#include "invoice/records/invoice_records.h"
#include "invoice/report/invoice_renderer.h"
#include "invoice/ui/user_questions.h"

#include <QDialog>
#include <QPrintPreviewDialog>
#include <memory>

class QCheckBox;
class QComboBox;
class QPrinter;
class QRadioButton;
class QSpinBox;

namespace vq::invoice {

// The preview window with the rendered invoice and a "PDF speichern" action.
class TfrmRechnungVorschau : public QPrintPreviewDialog
{
    Q_OBJECT
public:
    // zoomPercent: 100 for "Vorschau", 80 when the print set-up chose the preview.
    TfrmRechnungVorschau(std::shared_ptr<const TInvoiceDocument> document, QPrinter *printer,
                         TUserQuestions &questions, int zoomPercent, QWidget *parent = nullptr);
    // Asks for a file name and writes the invoice as PDF; false when cancelled or failed.
    bool savePdf();
    double zoomPercent() const;
    const TInvoiceDocument &document() const { return *m_document; }

private:
    std::shared_ptr<const TInvoiceDocument> m_document;
    TUserQuestions &m_questions;
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

// Renders the order; a German message (through questions) and nullptr when it fails.
std::shared_ptr<const TInvoiceDocument>
renderInvoiceDocument(QWidget *parent, InvoiceConnection &db, int bestellungId,
                      TUserQuestions &questions, UnsavedOrder unsaved = {});

// The print job: the printer's own copies when it makes them, otherwise painted.
bool printInvoiceDocument(const TInvoiceDocument &document, QPrinter *printer);

// "Vorschau": the preview at 100 %.
void previewInvoice(QWidget *parent, InvoiceConnection &db, int bestellungId,
                    TUserQuestions &questions, UnsavedOrder unsaved = {});
// "Drucken": the set-up dialog, then the printer or the preview (maximised, 80 %).
void printInvoice(QWidget *parent, InvoiceConnection &db, int bestellungId,
                  TUserQuestions &questions, UnsavedOrder unsaved = {});
// "E-Rechnung (XRechnung) speichern": when the client and the order hold what
// the electronic invoice needs, asks for a file name and writes the order's
// XRechnung XML; otherwise one German message names every missing item and no
// file is asked for or written. false when refused, cancelled or failed.
bool saveXRechnung(QWidget *parent, InvoiceConnection &db, int bestellungId,
                   TUserQuestions &questions, UnsavedOrder unsaved = {});
// "E-Rechnung (ZUGFeRD-PDF) speichern": the same for the invoice PDF of the
// client's template with the electronic invoice inside (ZUGFeRD / Factur-X).
bool saveZugferd(QWidget *parent, InvoiceConnection &db, int bestellungId,
                 TUserQuestions &questions, UnsavedOrder unsaved = {});
// "Rechnungsvorlage zurücksetzen": asks, then copies the default over the client's template.
bool resetInvoiceTemplate(QWidget *parent, int mandantId, const QString &programFolder,
                          TUserQuestions &questions);

} // namespace vq::invoice
