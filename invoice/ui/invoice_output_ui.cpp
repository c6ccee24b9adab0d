#include "invoice/ui/invoice_output_ui.h"
#include "common_ui/dialog_buttons.h"
#include "invoice/db/order_store.h"

#include "invoice/output/invoice_issuer.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPageSetupDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolBar>
#include <QVBoxLayout>

namespace vq::invoice {

namespace {

const QString kInvoiceTitle = QStringLiteral("Rechnung");
const QString kXRechnungTitle = QStringLiteral("E-Rechnung (XRechnung) speichern");
const QString kZugferdTitle = QStringLiteral("E-Rechnung (ZUGFeRD-PDF) speichern");

QString suggestedName(InvoiceConnection &db, int bestellungId, const QString &suffix)
{
    const auto order = OrderStore(db).order(bestellungId);
    const QString number =
        order && order->rechNr ? QString::number(*order->rechNr) : QString::number(bestellungId);
    return QStringLiteral("Rechnung-%1.%2").arg(number, suffix);
}

void preparePrinter(QPrinter *printer)
{
    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setPageOrientation(QPageLayout::Portrait);
    printer->setFullPage(true);
    printer->setDocName(QStringLiteral("ReportPrinter Report"));
    printer->setCreator(QString::fromUtf16(kPdfCreator));
}

} // namespace

// Preview ---------------------------------------------------------------------

TfrmRechnungVorschau::TfrmRechnungVorschau(std::shared_ptr<const TInvoiceDocument> document,
                                           QPrinter *printer, TUserQuestions &questions,
                                           int zoomPercent, QWidget *parent)
    : QPrintPreviewDialog(printer, parent)
    , m_document(std::move(document))
    , m_questions(questions)
{
    setObjectName(QStringLiteral("frmRechnungVorschau"));
    setWindowTitle(QStringLiteral("Rechnung Vorschau"));
    connect(this, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter *target) { printInvoiceDocument(*m_document, target); });
    if (auto *toolBar = findChild<QToolBar *>()) {
        toolBar->addSeparator();
        QAction *pdf = toolBar->addAction(QStringLiteral("PDF speichern"));
        pdf->setObjectName(QStringLiteral("actPdfSpeichern"));
        pdf->setToolTip(QStringLiteral("Rechnung als PDF-Datei speichern"));
        connect(pdf, &QAction::triggered, this, [this] { savePdf(); });
    }
    if (auto *preview = findChild<QPrintPreviewWidget *>()) {
        preview->setZoomMode(QPrintPreviewWidget::CustomZoom);
        preview->setZoomFactor(zoomPercent / 100.0);
    }
}

double TfrmRechnungVorschau::zoomPercent() const
{
    const auto *preview = findChild<QPrintPreviewWidget *>();
    return preview ? preview->zoomFactor() * 100 : 0;
}

bool TfrmRechnungVorschau::savePdf()
{
    const QString file = m_questions.saveFileName(
        this, QStringLiteral("Rechnung als PDF speichern"), QStringLiteral("Rechnung.pdf"),
        QStringLiteral("PDF-Dateien (*.pdf)"));
    if (file.isEmpty())
        return false;
    QString error;
    if (!writeInvoicePdf(*m_document, file, &error)) {
        m_questions.showError(this, kInvoiceTitle, error);
        return false;
    }
    return true;
}

// Print set-up ------------------------------------------------------------------

TfrmDruckEinstellungen::TfrmDruckEinstellungen(QPrinter *printer, QWidget *parent)
    : QDialog(parent)
    , m_printer(printer)
{
    setObjectName(QStringLiteral("frmDruckEinstellungen"));
    setWindowTitle(QStringLiteral("Einstellungen Drucken"));

    auto *target = new QGroupBox(QStringLiteral("Ausgabe auf"), this);
    m_toPrinter = new QRadioButton(QStringLiteral("&Drucker"), target);
    m_toPrinter->setObjectName(QStringLiteral("rbDrucker"));
    m_toPreview = new QRadioButton(QStringLiteral("&Vorschau"), target);
    m_toPreview->setObjectName(QStringLiteral("rbVorschau"));
    m_printers = new QComboBox(target);
    m_printers->setObjectName(QStringLiteral("cboDrucker"));
    auto *setup = new QPushButton(QStringLiteral("Drucker &einrichten …"), target);
    setup->setObjectName(QStringLiteral("btnDruckerEinrichten"));
    auto *printerRow = new QHBoxLayout;
    printerRow->addWidget(m_printers, 1);
    printerRow->addWidget(setup);
    auto *targetLayout = new QVBoxLayout(target);
    targetLayout->addWidget(m_toPrinter);
    targetLayout->addLayout(printerRow);
    targetLayout->addWidget(m_toPreview);

    const QStringList names = QPrinterInfo::availablePrinterNames();
    if (names.isEmpty()) {
        m_printers->addItem(QStringLiteral("Kein Drucker eingerichtet"));
        m_toPrinter->setEnabled(false);
        m_printers->setEnabled(false);
        setup->setEnabled(false);
        m_toPreview->setChecked(true);
    } else {
        m_printers->addItems(names);
        const QString current = printer->printerName().isEmpty()
                                    ? QPrinterInfo::defaultPrinterName()
                                    : printer->printerName();
        m_printers->setCurrentIndex(std::max(0, int(names.indexOf(current))));
        m_toPrinter->setChecked(true);
    }
    connect(setup, &QPushButton::clicked, this, [this] {
        applyTo(m_printer);
        QPageSetupDialog dialog(m_printer, this);
        dialog.exec();
    });

    auto *options = new QGroupBox(QStringLiteral("Exemplare"), this);
    m_copies = new QSpinBox(options);
    m_copies->setObjectName(QStringLiteral("edtKopien"));
    m_copies->setRange(1, 999);
    m_copies->setValue(std::max(1, printer->copyCount()));
    m_collate = new QCheckBox(QStringLiteral("&Sortieren"), options);
    m_collate->setObjectName(QStringLiteral("chkSortieren"));
    m_collate->setChecked(printer->collateCopies());
    m_duplex = new QComboBox(options);
    m_duplex->setObjectName(QStringLiteral("cboDuplex"));
    m_duplex->addItem(QStringLiteral("Einseitig"), int(QPrinter::DuplexNone));
    m_duplex->addItem(QStringLiteral("Beidseitig, an der langen Kante wenden"),
                      int(QPrinter::DuplexLongSide));
    m_duplex->addItem(QStringLiteral("Beidseitig, an der kurzen Kante wenden"),
                      int(QPrinter::DuplexShortSide));
    m_duplex->setCurrentIndex(std::max(0, m_duplex->findData(int(printer->duplex()))));
    auto *optionsLayout = new QFormLayout(options);
    optionsLayout->addRow(QStringLiteral("&Anzahl:"), m_copies);
    optionsLayout->addRow(QString(), m_collate);
    optionsLayout->addRow(QStringLiteral("D&uplex:"), m_duplex);

    const auto buttons = vq::ui::okCancelButtons(*this, QStringLiteral("OK"), "btnAbbrechen");
    buttons.box->setObjectName(QStringLiteral("buttonBox"));
    buttons.ok->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(target);
    layout->addWidget(options);
    layout->addWidget(buttons.box);
}

TfrmDruckEinstellungen::Destination TfrmDruckEinstellungen::destination() const
{
    return m_toPrinter->isChecked() ? Destination::Printer : Destination::Preview;
}

void TfrmDruckEinstellungen::applyTo(QPrinter *printer) const
{
    if (m_printers->isEnabled())
        printer->setPrinterName(m_printers->currentText());
    printer->setCopyCount(m_copies->value());
    printer->setCollateCopies(m_collate->isChecked());
    printer->setDuplex(QPrinter::DuplexMode(m_duplex->currentData().toInt()));
}

// Entry points --------------------------------------------------------------------

std::shared_ptr<const TInvoiceDocument>
renderInvoiceDocument(QWidget *parent, InvoiceConnection &db, int bestellungId,
                      TUserQuestions &questions, UnsavedOrder unsaved)
{
    QString error;
    InvoiceIssuer issuer(db);
    issuer.setUnsaved(unsaved);
    const auto invoice = issuer.render(bestellungId, &error);
    if (!invoice) {
        questions.showError(parent, kInvoiceTitle, error);
        return nullptr;
    }
    // Issued now through a template that lacks what the law requires: said once.
    if (!issuer.lastWarning().isEmpty())
        questions.showInformation(parent, kInvoiceTitle, issuer.lastWarning());
    return std::make_shared<const TInvoiceDocument>(invoice->html, invoice->resourceFolder);
}

bool printInvoiceDocument(const TInvoiceDocument &document, QPrinter *printer)
{
    // A print system that makes copies itself gets one; otherwise they are painted.
    const int copies = printer->supportsMultipleCopies() ? 1 : printer->copyCount();
    return document.print(printer, copies, printer->collateCopies());
}

void previewInvoice(QWidget *parent, InvoiceConnection &db, int bestellungId,
                    TUserQuestions &questions, UnsavedOrder unsaved)
{
    const auto document = renderInvoiceDocument(parent, db, bestellungId, questions, unsaved);
    if (!document)
        return;
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(&printer);
    TfrmRechnungVorschau preview(document, &printer, questions, 100, parent);
    preview.exec();
}

void printInvoice(QWidget *parent, InvoiceConnection &db, int bestellungId,
                  TUserQuestions &questions, UnsavedOrder unsaved)
{
    const auto document = renderInvoiceDocument(parent, db, bestellungId, questions, unsaved);
    if (!document)
        return;
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(&printer);
    TfrmDruckEinstellungen setup(&printer, parent);
    if (setup.exec() != QDialog::Accepted)
        return;
    setup.applyTo(&printer);
    if (setup.destination() == TfrmDruckEinstellungen::Destination::Preview) {
        TfrmRechnungVorschau preview(document, &printer, questions, 80, parent);
        preview.setWindowState(preview.windowState() | Qt::WindowMaximized);
        preview.exec();
        return;
    }
    if (!printInvoiceDocument(*document, &printer))
        questions.showError(parent, kInvoiceTitle,
                            QStringLiteral("Die Rechnung konnte nicht auf \"%1\" gedruckt werden.")
                                .arg(printer.printerName()));
}

bool saveXRechnung(QWidget *parent, InvoiceConnection &db, int bestellungId,
                   TUserQuestions &questions, UnsavedOrder unsaved)
{
    // A refused or cancelled invoice is not put out: the invoice date stays open.
    InvoiceIssuer issuer(db);
    issuer.setUnsaved(unsaved);
    if (const QString refusal = issuer.eInvoiceRefusal(bestellungId); !refusal.isEmpty()) {
        questions.showError(parent, kXRechnungTitle, refusal);
        return false;
    }
    const QString file = questions.saveFileName(
        parent, kXRechnungTitle, suggestedName(db, bestellungId, QStringLiteral("xml")),
        QStringLiteral("XRechnung (*.xml)"));
    if (file.isEmpty())
        return false;
    QString error;
    if (!issuer.writeXRechnung(bestellungId, file, &error)) {
        questions.showError(parent, kXRechnungTitle, error);
        return false;
    }
    return true;
}

bool saveZugferd(QWidget *parent, InvoiceConnection &db, int bestellungId,
                 TUserQuestions &questions, UnsavedOrder unsaved)
{
    InvoiceIssuer issuer(db);
    issuer.setUnsaved(unsaved);
    if (const QString refusal =
            issuer.eInvoiceRefusal(bestellungId, EInvoiceProfile::FacturXEN16931);
        !refusal.isEmpty()) {
        questions.showError(parent, kZugferdTitle, refusal);
        return false;
    }
    const QString file = questions.saveFileName(
        parent, kZugferdTitle, suggestedName(db, bestellungId, QStringLiteral("pdf")),
        QStringLiteral("ZUGFeRD-PDF (*.pdf)"));
    if (file.isEmpty())
        return false;
    QString error;
    if (!issuer.writeZugferd(bestellungId, file, &error)) {
        questions.showError(parent, kZugferdTitle, error);
        return false;
    }
    if (!issuer.lastWarning().isEmpty())
        questions.showInformation(parent, kZugferdTitle, issuer.lastWarning());
    return true;
}

bool resetInvoiceTemplate(QWidget *parent, int mandantId, const QString &programFolder,
                          TUserQuestions &questions)
{
    if (!questions.askYesNo(
            parent, QStringLiteral("Rechnungsvorlage zurücksetzen"),
            QStringLiteral("Wollen Sie die Originalrechnungsvorlage wieder herstellen?")))
        return false;
    QString error;
    if (!resetClientTemplate(mandantId, programFolder, &error)) {
        questions.showError(parent, QStringLiteral("Rechnungsvorlage zurücksetzen"), error);
        return false;
    }
    return true;
}

} // namespace vq::invoice
