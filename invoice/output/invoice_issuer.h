// Issuing an invoice: the one road from a stored order to what goes out. It
// reads the order's invoice once (client, order, lines with options), works
// its amounts out once by the money rule, and hands those same figures to the
// printed invoice, the PDF, the XRechnung and the ZUGFeRD PDF. The first
// output issues the invoice: it fixes its number and date and archives what
// goes out, here and nowhere else; every later output is the archived one.
// "Today" comes from the clock the caller passes in.
#pragma once

#include "invoice/db/invoice_connection.h"
#include "invoice/db/issued_invoices.h"
#include "invoice/einvoice/xrechnung.h"
#include "invoice/money/invoice_data.h"
#include "invoice/report/invoice_renderer.h"

#include <QByteArray>
#include <QDateTime>
#include <functional>
#include <optional>

namespace vq::invoice {

// The local time now; tests and scripts pass a clock of their own.
using Clock = std::function<QDateTime()>;
QDateTime systemClock();

// An order open in the editor with changes not saved yet (a new one has a
// key below zero): its preview shows it as typed, as a draft.
struct UnsavedOrder
{
    TBestellung *order = nullptr;
    const QList<TArtikel> *lines = nullptr;
};

// An example invoice of the client, for the template editor's preview when
// there is no order to show; its amounts by the money rule.
InvoiceData sampleInvoiceData(const TMandant &client);

// What --cancel and "Stornieren" report: the cancellation invoice's order
// and its printed number.
struct CancellationResult
{
    int orderId = 0;
    QString number;
    // "Korrigieren": the new editable copy of the cancelled order; 0: none.
    int copyId = 0;
};

class InvoiceIssuer
{
public:
    explicit InvoiceIssuer(InvoiceConnection &db, Clock clock = systemClock);

    QDate today() const;
    // Reads the order of unsaved instead of the stored one of that key: a
    // preview shows it as a draft; it cannot be issued until it is saved.
    void setUnsaved(UnsavedOrder unsaved) { m_unsaved = unsaved; }

    // The order's invoice as it stands, without issuing it: the invoice date
    // stays open when it is. nullopt with a German *error for an unknown
    // order, a client that is gone, a failing database, or amounts beyond
    // what an order may hold.
    std::optional<InvoiceData> read(int orderId, QString *error);
    // Issues the invoice unless it is issued: in one transaction its number
    // is drawn where the client's range says so, its printed number and
    // invoice date are fixed, the PDF (and the XRechnung and ZUGFeRD PDF when
    // nothing they need is missing) are archived with their SHA-256, and the
    // audit trail records the issue. Then the order's data are locked.
    // wanted is what goes out: it must be made; the other kinds are archived
    // with it when they can be made.
    std::optional<InvoiceData> issue(int orderId, QString *error,
                                     DocumentKind wanted = DocumentKind::Pdf);

    // The warning of the last output that issued an invoice through a
    // template lacking what § 14 UStG requires; empty otherwise. Issuing
    // warns once: later outputs of the same invoice stay silent.
    QString lastWarning() const { return m_warning; }

    // The invoice through the client's template (or templatePath) as it
    // stands, without issuing: a draft says "Entwurf" on the page. For the
    // preview and the template editor; what goes out comes from document().
    std::optional<RenderedInvoice> render(int orderId, QString *error,
                                          const QString &templatePath = QString());
    // What went out: the archived bytes of the issued invoice, issuing it
    // first. A reprint or a second save gives the same bytes whatever
    // changed since. A kind the archive lacks (an invoice issued before
    // documents were archived, or an e-invoice that lacked something then)
    // is made now from the issued data and archived.
    std::optional<QByteArray> document(int orderId, DocumentKind kind, QString *error);
    bool writePdf(int orderId, const QString &path, QString *error);

    // What the electronic invoice lacks, in one German message naming every
    // item; empty when nothing. Issues nothing.
    QString eInvoiceRefusal(int orderId, EInvoiceProfile profile = EInvoiceProfile::XRechnung);
    // "Vorprüfung": every item the order's e-invoice lacks or holds wrongly
    // (eInvoiceProblems); empty when none. nullopt with *error when the
    // order cannot be read.
    std::optional<QStringList> precheck(int orderId, QString *error);
    // The check before issue of a business buyer's invoice (businessBuyer):
    // while it is not issued, what its e-invoice lacks or holds wrongly, as
    // eInvoiceRefusal says it; empty for an issued invoice, a consumer's
    // order or an order the check finds complete.
    QString businessPrecheck(int orderId);
    // The XRechnung (or the plain EN 16931 XML a ZUGFeRD PDF holds); issues
    // the invoice only when nothing is missing, so a refused invoice stays a draft.
    std::optional<QByteArray> xrechnung(int orderId, QString *error,
                                        EInvoiceProfile profile = EInvoiceProfile::XRechnung);
    bool writeXRechnung(int orderId, const QString &path, QString *error);
    // The printed invoice as PDF/A-3 with its EN 16931 XML inside, from the
    // same figures; checked before anything is laid out or issued.
    bool writeZugferd(int orderId, const QString &path, QString *error);

    // "Stornieren": a cancellation invoice for an issued invoice, issued at
    // once: a new order of the client with its own number from the client's
    // range, the original lines with negated quantities, printing
    // "Stornorechnung zu Rechnung Nr. N vom DATUM"; the original takes the
    // state "Storniert". With correct ("Korrigieren") a new editable copy of
    // the original follows. Refused with a German *error for an invoice not
    // issued (a draft is changed or deleted instead), a cancellation invoice,
    // or one cancelled before.
    std::optional<CancellationResult> cancel(int orderId, QString *error, bool correct = false);

private:
    std::optional<InvoiceData> issueLocked(int orderId, QString *error, DocumentKind wanted);
    // The documents of issued data not archived yet, archived: wanted always
    // (refused when it cannot be made); with all, the other kinds too when
    // nothing they need is missing.
    bool archiveDocuments(const InvoiceData &data, DocumentKind wanted, bool all, QString *error);
    std::optional<QByteArray> makeDocument(const InvoiceData &data, DocumentKind kind,
                                           QString *error);
    bool isUnsaved(int orderId) const;
    // What the electronic invoice of the data lacks; the data's invoice date
    // taken as today while it is open.
    static EInvoiceResult checkedEInvoice(InvoiceData data, const QDate &today,
                                          EInvoiceProfile profile);
    // A cancellation's e-invoice is a credit note with the amounts of the
    // invoice it cancels: its quantities positive again.
    static InvoiceData eInvoiceData(const InvoiceData &data);
    bool databaseFailed(int orderId, QString *error) const;

    InvoiceConnection &m_db;
    Clock m_clock;
    QString m_warning;
    UnsavedOrder m_unsaved;
};

} // namespace vq::invoice
