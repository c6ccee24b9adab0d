// The pages of an issued invoice's archived PDF, for the preview and the
// printer: a reprint shows and prints what went out, whatever changed since.
#pragma once

#include "invoice/report/invoice_renderer.h"

#include <QByteArray>
#include <memory>

class QBuffer;
class QPdfDocument;

namespace vq::invoice {

class ArchivedInvoicePages : public InvoicePages
{
public:
    // nullptr when the bytes are no readable PDF.
    static std::shared_ptr<const ArchivedInvoicePages> fromPdf(const QByteArray &pdf);
    ~ArchivedInvoicePages() override;

    int pageCount() const override;
    bool print(QPagedPaintDevice *device, int copies = 1, bool collate = true) const override;
    QImage pageImage(int page, int dotsPerInch) const override;
    const QByteArray &pdf() const { return m_pdf; }

private:
    explicit ArchivedInvoicePages(const QByteArray &pdf);

    QByteArray m_pdf;
    std::unique_ptr<QBuffer> m_buffer;
    std::unique_ptr<QPdfDocument> m_document;
};

} // namespace vq::invoice
