// Issued invoices as records: fixing an invoice's number and date at issue,
// the archive of the exact bytes that went out, the cancellation invoice that
// is the only correction of an issued one, and the retention period.
//
// An order's invoice is issued by its first print, PDF, ZUGFeRD PDF or
// XRechnung (invoice_issuer.h); from then on the database refuses any change
// of what the invoice shows (triggers of the schema), and deleting it until
// the end of the eighth year after its issue.
#pragma once

#include "invoice/db/invoice_connection.h"
#include "invoice/records/invoice_records.h"

#include <QByteArray>
#include <QDate>
#include <optional>

namespace vq::invoice {

enum class DocumentKind { Pdf, Zugferd, XRechnung };
// "PDF", "ZUGFeRD", "XRechnung": the archive's and the audit trail's name.
QString documentKindName(DocumentKind kind);

struct ArchivedDocument
{
    DocumentKind kind = DocumentKind::Pdf;
    QByteArray bytes;
    QString sha256; // as stored at issue
    QString zeit;   // when it was archived (UTC)
};

// The last day an invoice issued on invoiceDate must be kept: the end of the
// eighth year after the year of issue (§ 147 AO, § 14b UStG).
inline QDate retentionEnd(const QDate &invoiceDate)
{
    return QDate(invoiceDate.year() + 8, 12, 31);
}

// The German refusal for deleting something that holds an invoice kept until keptUntil.
QString retentionMessage(const QString &what, const QDate &keptUntil);

class IssuedInvoiceStore
{
public:
    explicit IssuedInvoiceStore(InvoiceConnection &db)
        : m_db(db)
    {
    }

    // Issues the order's invoice: draws its number from the client's range
    // when it has none yet (a yearly range always draws at issue), fixes the
    // printed number and the invoice date today, and raises the version.
    // Runs inside the caller's transaction, begun with WriteLock::AtStart and
    // lockOrdersForNumbering(). An order issued before is returned as stored.
    std::optional<TBestellung> fixIssue(int orderId, const QDate &today);

    // The archived document of that kind; none when there is none.
    std::optional<std::optional<ArchivedDocument>> document(int orderId, DocumentKind kind);
    std::optional<QList<ArchivedDocument>> documents(int orderId);
    // Archives bytes with their SHA-256 and records it in the audit trail.
    bool storeDocument(int orderId, int mandantId, DocumentKind kind, const QByteArray &bytes,
                       const QDate &invoiceDate);

    // The SHA-256 of everything the issued invoice shows of the order (its
    // locked columns, lines and options), as the audit trail keeps it at issue.
    // nullopt with an empty lastError() when there is no such order.
    std::optional<QString> fingerprint(int orderId);

    // The latest day one of the client's issued invoices must still be kept,
    // none when nothing is kept today.
    std::optional<std::optional<QDate>> clientKeptUntil(int mandantId, const QDate &today);

    // The cancellation invoice of an order, none when it has none.
    std::optional<std::optional<int>> cancellationOf(int orderId);
    // The state "Storniert" (created when a user removed it).
    std::optional<int> cancelledState();

private:
    InvoiceConnection &m_db;
};

// "Prüfen" and --verify: the audit trail's chain, every archived document
// against its SHA-256 and the trail, and every issued invoice's data against
// the fingerprint the trail took at issue.
struct RecordCheck
{
    bool ok = true;
    // The first entry, document or invoice that does not match, in German;
    // a summary when all match.
    QString message;
    int entries = 0, documents = 0, invoices = 0;
};
// nullopt when the database cannot be read (db.lastError() says why).
std::optional<RecordCheck> checkRecords(InvoiceConnection &db);

} // namespace vq::invoice
