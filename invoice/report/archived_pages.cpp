#include "invoice/report/archived_pages.h"

#include <QBuffer>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfDocument>

#include <algorithm>

namespace vq::invoice {

ArchivedInvoicePages::ArchivedInvoicePages(const QByteArray &pdf)
    : m_pdf(pdf)
    , m_buffer(std::make_unique<QBuffer>())
    , m_document(std::make_unique<QPdfDocument>())
{
    m_buffer->setData(m_pdf);
    m_buffer->open(QIODevice::ReadOnly);
}

ArchivedInvoicePages::~ArchivedInvoicePages()
{
    m_document->close();
}

std::shared_ptr<const ArchivedInvoicePages> ArchivedInvoicePages::fromPdf(const QByteArray &pdf)
{
    std::shared_ptr<ArchivedInvoicePages> pages(new ArchivedInvoicePages(pdf));
    pages->m_document->load(pages->m_buffer.get());
    if (pages->m_document->status() != QPdfDocument::Status::Ready
        || pages->m_document->pageCount() < 1)
        return nullptr;
    return pages;
}

int ArchivedInvoicePages::pageCount() const
{
    return m_document->pageCount();
}

QImage ArchivedInvoicePages::pageImage(int page, int dotsPerInch) const
{
    page = std::clamp(page, 0, pageCount() - 1);
    const QSizeF points = m_document->pagePointSize(page);
    const QSize size(qRound(points.width() / 72.0 * dotsPerInch),
                     qRound(points.height() / 72.0 * dotsPerInch));
    QImage image = m_document->render(page, size);
    image.setDotsPerMeterX(qRound(dotsPerInch / 0.0254));
    image.setDotsPerMeterY(qRound(dotsPerInch / 0.0254));
    return image;
}

bool ArchivedInvoicePages::print(QPagedPaintDevice *device, int copies, bool collate) const
{
    QPainter painter;
    if (!painter.begin(device))
        return false;
    // Each page as the PDF shows it, at the device's resolution, on the whole sheet.
    const int dpi = std::min(device->logicalDpiX(), 600);
    const QRect paintRect = device->pageLayout().paintRectPixels(device->logicalDpiX());
    const QRect fullRect = device->pageLayout().fullRectPixels(device->logicalDpiX());
    const QRect target = fullRect.translated(-paintRect.topLeft());
    copies = std::max(1, copies);
    bool first = true;
    bool ok = true;
    auto paintOne = [&](int page) {
        if (!first && !device->newPage())
            return false;
        first = false;
        const QImage image = pageImage(page, dpi);
        if (image.isNull())
            return false;
        painter.drawImage(target, image);
        return true;
    };
    for (int outer = 0; ok && outer < (collate ? copies : 1); ++outer)
        for (int page = 0; ok && page < pageCount(); ++page)
            for (int inner = 0; ok && inner < (collate ? 1 : copies); ++inner)
                ok = paintOne(page);
    return painter.end() && ok;
}

} // namespace vq::invoice
