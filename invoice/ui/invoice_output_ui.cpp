#include "invoice/ui/invoice_output_ui.h"
#include "common_ui/dialog_buttons.h"
#include "invoice/db/order_store.h"

#include "common/safe_file.h"
#include "invoice/output/invoice_issuer.h"
#include "invoice/records/invoice_numbers.h"
#include "invoice/report/archived_pages.h"

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
#include <QRegularExpression>
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
    QString number = order ? invoiceNumberText(*order) : QString();
    if (number.isEmpty())
        number = QString::number(bestellungId);
    // The printed form may hold characters a file name cannot.
    number.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
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

TfrmRechnungVorschau::TfrmRechnungVorschau(std::shared_ptr<const InvoicePages> pages,
                                           QPrinter *printer, UserQuestions &questions,
                                           int zoomPercent, QWidget *parent, PdfSaver saver)
    : QPrintPreviewDialog(printer, parent)
    , m_pages(std::move(pages))
    , m_questions(questions)
    , m_saver(std::move(saver))
{
    setObjectName(QStringLiteral("frmRechnungVorschau"));
    setWindowTitle(QStringLiteral("Rechnung Vorschau"));
    connect(this, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter *target) { printInvoicePages(*m_pages, target); });
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
    bool written = false;
    if (m_saver) {
        written = m_saver(file, &error);
    } else if (const auto *archived = dynamic_cast<const ArchivedInvoicePages *>(m_pages.get())) {
        written = vq::writeFileSafely(file, archived->pdf(), &error);
    } else if (const auto *document = dynamic_cast<const InvoiceDocument *>(m_pages.get())) {
        written = writeInvoicePdf(*document, file, &error);
    }
    if (!written) {
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

std::shared_ptr<const InvoicePages> invoicePages(QWidget *parent, InvoiceConnection &db,
                                                 int bestellungId, UserQuestions &questions,
                                                 UnsavedOrder unsaved)
{
    QString error;
    InvoiceIssuer issuer(db);
    issuer.setUnsaved(unsaved);
    const auto data = issuer.read(bestellungId, &error);
    if (!data) {
        questions.showError(parent, kInvoiceTitle, error);
        return nullptr;
    }
    if (!unsaved.order && data->order.issued()) {
        // What went out, as it went out.
        const auto pdf = issuer.document(bestellungId, DocumentKind::Pdf, &error);
        if (!pdf) {
            questions.showError(parent, kInvoiceTitle, error);
            return nullptr;
        }
        auto pages = ArchivedInvoicePages::fromPdf(*pdf);
        if (!pages)
            questions.showError(parent, kInvoiceTitle,
                                QStringLiteral("Die archivierte Rechnung der Bestellung %1 lässt "
                                               "sich nicht lesen.")
                                    .arg(bestellungId));
        return pages;
    }
    const auto invoice = renderInvoiceData(*data, issuer.today(), &error);
    if (!invoice) {
        questions.showError(parent, kInvoiceTitle, error);
        return nullptr;
    }
    return std::make_shared<const InvoiceDocument>(invoice->html, invoice->resourceFolder);
}

namespace {

// Before a business buyer's invoice is issued on paper or as PDF: what its
// e-invoice would lack is said, and the user decides.
bool issueDespitePrecheck(QWidget *parent, InvoiceIssuer &issuer, int bestellungId,
                          UserQuestions &questions)
{
    const QString problems = issuer.businessPrecheck(bestellungId);
    if (problems.isEmpty())
        return true;
    return questions.askWarningYesNo(
        parent, kInvoiceTitle,
        problems
            + QStringLiteral("\n\nDer Käufer ist ein Unternehmen. Soll die "
                             "Rechnung trotzdem ausgestellt werden?"));
}

} // namespace

std::shared_ptr<const InvoicePages> issuedInvoicePages(QWidget *parent, InvoiceConnection &db,
                                                       int bestellungId, UserQuestions &questions,
                                                       UnsavedOrder unsaved)
{
    QString error;
    InvoiceIssuer issuer(db);
    issuer.setUnsaved(unsaved);
    if (!issueDespitePrecheck(parent, issuer, bestellungId, questions))
        return nullptr;
    const auto pdf = issuer.document(bestellungId, DocumentKind::Pdf, &error);
    if (!pdf) {
        questions.showError(parent, kInvoiceTitle, error);
        return nullptr;
    }
    // Issued now through a template that lacks what the law requires: said once.
    if (!issuer.lastWarning().isEmpty())
        questions.showInformation(parent, kInvoiceTitle, issuer.lastWarning());
    auto pages = ArchivedInvoicePages::fromPdf(*pdf);
    if (!pages)
        questions.showError(
            parent, kInvoiceTitle,
            QStringLiteral("Die archivierte Rechnung der Bestellung %1 lässt sich nicht lesen.")
                .arg(bestellungId));
    return pages;
}

bool printInvoicePages(const InvoicePages &pages, QPrinter *printer)
{
    // A print system that makes copies itself gets one; otherwise they are painted.
    const int copies = printer->supportsMultipleCopies() ? 1 : printer->copyCount();
    return pages.print(printer, copies, printer->collateCopies());
}

namespace {

// "PDF speichern" in the preview: the issued invoice's PDF, issuing it first.
TfrmRechnungVorschau::PdfSaver issuingSaver(QWidget *parent, InvoiceConnection &db,
                                            int bestellungId, UserQuestions &questions,
                                            UnsavedOrder unsaved)
{
    return [parent, &db, bestellungId, &questions, unsaved](const QString &file, QString *error) {
        InvoiceIssuer issuer(db);
        issuer.setUnsaved(unsaved);
        if (!issueDespitePrecheck(parent, issuer, bestellungId, questions)) {
            *error = QStringLiteral("Die Rechnung wurde nicht ausgestellt.");
            return false;
        }
        if (!issuer.writePdf(bestellungId, file, error))
            return false;
        if (!issuer.lastWarning().isEmpty())
            questions.showInformation(parent, kInvoiceTitle, issuer.lastWarning());
        return true;
    };
}

void showPreview(QWidget *parent, InvoiceConnection &db, int bestellungId, UserQuestions &questions,
                 UnsavedOrder unsaved, QPrinter *printer, int zoomPercent)
{
    const auto pages = invoicePages(parent, db, bestellungId, questions, unsaved);
    if (!pages)
        return;
    TfrmRechnungVorschau preview(pages, printer, questions, zoomPercent, parent,
                                 issuingSaver(parent, db, bestellungId, questions, unsaved));
    if (zoomPercent != 100)
        preview.setWindowState(preview.windowState() | Qt::WindowMaximized);
    preview.exec();
}

} // namespace

void previewInvoice(QWidget *parent, InvoiceConnection &db, int bestellungId,
                    UserQuestions &questions, UnsavedOrder unsaved)
{
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(&printer);
    showPreview(parent, db, bestellungId, questions, unsaved, &printer, 100);
}

void printInvoice(QWidget *parent, InvoiceConnection &db, int bestellungId,
                  UserQuestions &questions, UnsavedOrder unsaved)
{
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(&printer);
    TfrmDruckEinstellungen setup(&printer, parent);
    if (setup.exec() != QDialog::Accepted)
        return;
    setup.applyTo(&printer);
    if (setup.destination() == TfrmDruckEinstellungen::Destination::Preview) {
        showPreview(parent, db, bestellungId, questions, unsaved, &printer, 80);
        return;
    }
    // Printing issues the invoice; what is printed is what the archive keeps.
    const auto pages = issuedInvoicePages(parent, db, bestellungId, questions, unsaved);
    if (!pages)
        return;
    if (!printInvoicePages(*pages, &printer))
        questions.showError(parent, kInvoiceTitle,
                            QStringLiteral("Die Rechnung konnte nicht auf \"%1\" gedruckt werden.")
                                .arg(printer.printerName()));
}

bool saveXRechnung(QWidget *parent, InvoiceConnection &db, int bestellungId,
                   UserQuestions &questions, UnsavedOrder unsaved)
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

bool saveZugferd(QWidget *parent, InvoiceConnection &db, int bestellungId, UserQuestions &questions,
                 UnsavedOrder unsaved)
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

std::optional<CancellationResult> cancelInvoice(QWidget *parent, InvoiceConnection &db,
                                                int bestellungId, UserQuestions &questions,
                                                bool correct)
{
    const QString title =
        correct ? QStringLiteral("Rechnung korrigieren") : QStringLiteral("Rechnung stornieren");
    const auto order = OrderStore(db).order(bestellungId);
    if (!order) {
        questions.showError(
            parent, title,
            db.lastError().isEmpty()
                ? QStringLiteral("Die Bestellung %1 gibt es nicht.").arg(bestellungId)
                : db.lastError());
        return std::nullopt;
    }
    const QString question =
        QStringLiteral("Rechnung Nr. %1 stornieren? Es wird eine Stornorechnung mit eigener "
                       "Nummer ausgestellt, die alle Positionen aufhebt.%2")
            .arg(invoiceNumberText(*order),
                 correct ? QStringLiteral(" Danach wird eine Kopie der Bestellung zum "
                                          "Bearbeiten angelegt.")
                         : QString());
    if (order->issued() && !questions.askYesNo(parent, title, question))
        return std::nullopt;
    QString error;
    InvoiceIssuer issuer(db);
    const auto result = issuer.cancel(bestellungId, &error, correct);
    if (!result) {
        questions.showError(parent, title, error);
        return std::nullopt;
    }
    questions.showInformation(
        parent, title,
        QStringLiteral("Die Stornorechnung Nr. %1 ist ausgestellt (Bestellung %2).%3")
            .arg(result->number)
            .arg(result->orderId)
            .arg(result->copyId
                     ? QStringLiteral(" Die Kopie zum Korrigieren ist die Bestellung %1.")
                           .arg(result->copyId)
                     : QString()));
    return result;
}

void checkInvoiceRecords(QWidget *parent, InvoiceConnection &db, UserQuestions &questions)
{
    const QString title = QStringLiteral("Rechnungen prüfen");
    const auto check = checkRecords(db);
    if (!check)
        questions.showError(
            parent, title,
            QStringLiteral("Die Prüfung ist fehlgeschlagen: %1").arg(db.lastError()));
    else if (!check->ok)
        questions.showError(parent, title, check->message);
    else
        questions.showInformation(parent, title, check->message);
}

bool resetInvoiceTemplate(QWidget *parent, int mandantId, const QString &programFolder,
                          UserQuestions &questions)
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
