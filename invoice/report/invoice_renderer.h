// Invoice output: an invoice template is an HTML file with Mustache tags over
// the data sources RvDataSetBestellung (the order), RvDataSetArtikel (its lines,
// each with RvDataSetOptionen, its options), RvDataSetOptionen (all options of
// the order), RvDataSetMandant (the client, the footer as HTML) and
// RvDataSetMwst (the VAT breakdown), the parameter Currency and GiroCode, the
// payment code as a picture (giro_code.h). Values are
// texts formatted by the regional settings; an empty value is left out, so
// {{#Name}}...{{/Name}} shows a piece only when Name has a value. What follows
// the comment "<!-- Seitenfuss -->" is the page footer, printed at the bottom
// of every page; the comment "<!-- Falzmarken -->" adds fold marks. The rendered HTML is laid out
// by Qt on A4 pages and painted on a PDF writer or a printer.
#pragma once

#include "invoice/money/invoice_data.h"

#include <QByteArray>
#include <QDate>
#include <QLocale>
#include <QSizeF>
#include <QString>
#include <memory>
#include <optional>

class QImage;
class QPagedPaintDevice;
class QPainter;
class QTextDocument;

namespace vq::invoice {

inline constexpr char16_t kPageFooterMarker[] = u"<!-- Seitenfuss -->";
// A template holding this comment gets the fold marks (105 mm, 210 mm) and the
// punch mark (148.5 mm) of DIN 5008 on the left edge of every page.
inline constexpr char16_t kFoldMarksMarker[] = u"<!-- Falzmarken -->";
// PDF document settings of every invoice.
inline constexpr char16_t kPdfTitle[] = u"Rechnung";
inline constexpr char16_t kPdfCreator[] = u"VQ-BestellFormular";

// "Stornorechnung zu Rechnung Nr. N vom DATUM" for a cancellation invoice,
// empty otherwise. Every rendered invoice prints it at the top, as it prints
// "Entwurf" on an invoice not issued yet.
QString cancellationNote(const InvoiceData &data);

// A parsed invoice template.
class InvoiceTemplate
{
public:
    // Reads a template file (UTF-8, with or without byte-order mark). A missing
    // or unreadable file or a template error gives a German message naming the file.
    static std::optional<InvoiceTemplate> load(const QString &path, QString *error);
    // The same for a text; name is the file name the messages give.
    static std::optional<InvoiceTemplate> fromText(const QString &text, const QString &name,
                                                   QString *error);

    // The invoice as HTML. today is the date the parameter "Heute" shows, and
    // the invoice date of an order not issued yet (a draft).
    QString render(const InvoiceData &data, const QDate &today,
                   const QLocale &locale = QLocale()) const;
    // Folder of the template file: pictures the template names (a logo) are found there.
    QString folder() const { return m_folder; }
    // The template's text as read.
    QString text() const;

private:
    struct Parsed;
    std::shared_ptr<const Parsed> m_parsed;
    QString m_folder;
};

// Pages of an invoice the preview shows and a printer prints: a draft laid
// out from its template, or an issued invoice's archived PDF.
class InvoicePages
{
public:
    virtual ~InvoicePages() = default;
    virtual int pageCount() const = 0;
    // Paints every page (A4, portrait) on a PDF writer or a printer. copies is
    // the number of copies the device does not make itself; collate keeps each
    // copy together.
    virtual bool print(QPagedPaintDevice *device, int copies = 1, bool collate = true) const = 0;
    // One page as a picture (the template editor's preview, tests).
    virtual QImage pageImage(int page, int dotsPerInch) const = 0;
};

// The rendered invoice laid out on A4 pages.
class InvoiceDocument : public InvoicePages
{
public:
    explicit InvoiceDocument(const QString &html, const QString &resourceFolder = QString());
    ~InvoiceDocument() override;
    InvoiceDocument(const InvoiceDocument &) = delete;
    InvoiceDocument &operator=(const InvoiceDocument &) = delete;

    int pageCount() const override;
    bool print(QPagedPaintDevice *device, int copies = 1, bool collate = true) const override;
    // One page as a picture (the template editor's preview, tests).
    QImage pageImage(int page, int dotsPerInch) const override;
    // The text of the body and the footer, for tests.
    QString plainText() const;

private:
    void paintPage(QPainter &painter, int page, double scale) const;

    std::unique_ptr<QTextDocument> m_body;
    std::unique_ptr<QTextDocument> m_footer;
    double m_bodyHeight = 0;
    bool m_foldMarks = false;
};

// Writes the document as a PDF with title "Rechnung" and creator
// "VQ-BestellFormular", through a temporary file so a failure keeps an older file.
bool writeInvoicePdf(const InvoiceDocument &document, const QString &path, QString *error);
// The same PDF as bytes: what the archive keeps of an issued invoice.
std::optional<QByteArray> invoicePdf(const InvoiceDocument &document);
// The same document as PDF/A-1b (fonts embedded, sRGB output intent): the
// base of a ZUGFeRD invoice. nullopt when painting fails.
std::optional<QByteArray> invoicePdfA1b(const InvoiceDocument &document);

// The invoice of one order through a template: the HTML and the folder of the
// template (pictures it names are found there).
struct RenderedInvoice
{
    QString html;
    QString resourceFolder;
    int mandantId = 0;
    // What the template fails to print of what § 14 UStG requires (missingMandatoryItems).
    QStringList missingItems;
};
// Renders the data through the client's template ("<Mandant_ID>.rav" in the
// data folder, or templatePath when given); a German message for a missing or
// broken template.
std::optional<RenderedInvoice> renderInvoiceData(const InvoiceData &data, const QDate &today,
                                                 QString *error,
                                                 const QString &templatePath = QString());

// The items § 14 Abs. 4 UStG requires on every invoice that a template does
// not print, in German, in a fixed order: the seller's VAT identification
// number or tax number (printed by the template, or held by the client's
// footer that the template prints), the invoice number, the invoice date, the
// delivery date and the VAT per rate. Empty when nothing is missing.
QStringList missingMandatoryItems(const QString &templateText, const TMandant &client);
// One message naming them, for a question or a warning.
QString mandatoryItemsMessage(const QStringList &missing);

// "Rechnungsvorlage zurücksetzen": copies the default template from the program
// folder over the client's file. A missing default or a failed write keeps the
// client's file and gives a German message.
bool resetClientTemplate(int mandantId, const QString &programFolder, QString *error);

// Money and rates as the invoice shows them: "1.234,50" and "19" or "5,5" on
// German settings.
QString formatMoney(double value, const QLocale &locale = QLocale());
QString formatCents(qint64 cents, const QLocale &locale = QLocale());
QString formatRate(double value, const QLocale &locale = QLocale());

} // namespace vq::invoice
