// Issuing an invoice: the one road from a stored order to what goes out. It
// reads the order's invoice once (client, order, lines with options), works
// its amounts out once by the money rule, and hands those same figures to the
// printed invoice, the PDF, the XRechnung and the ZUGFeRD PDF. The first
// output issues the invoice: it fixes the order's invoice date, here and
// nowhere else; every later output shows that date. "Today" comes from the
// clock the caller passes in.
#pragma once

#include "invoice/db/invoice_connection.h"
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

// An order open in the editor, as typed and not saved yet (a new one has a
// key below zero). Its outputs show it so; issuing sets its invoice date, and
// a stored order's in the database too, so the date stays whatever becomes
// of the edit.
struct UnsavedOrder
{
    TBestellung *order = nullptr;
    const QList<TArtikel> *lines = nullptr;
};

// An example invoice of the client, for the template editor's preview when
// there is no order to show; its amounts by the money rule.
InvoiceData sampleInvoiceData(const TMandant &client);

class InvoiceIssuer
{
public:
    explicit InvoiceIssuer(InvoiceConnection &db, Clock clock = systemClock);

    QDate today() const;
    // Reads the order of unsaved instead of the stored one of that key.
    void setUnsaved(UnsavedOrder unsaved) { m_unsaved = unsaved; }

    // The order's invoice as it stands, without issuing it: the invoice date
    // stays open when it is. nullopt with a German *error for an unknown
    // order, a client that is gone, a failing database, or amounts beyond
    // what an order may hold.
    std::optional<InvoiceData> read(int orderId, QString *error);
    // The same, issued: an order without an invoice date gets today's.
    std::optional<InvoiceData> issue(int orderId, QString *error);

    // The warning of the last output that issued an invoice (its first output)
    // through a template lacking what § 14 UStG requires; empty otherwise.
    // Issuing warns once: later outputs of the same invoice stay silent.
    QString lastWarning() const { return m_warning; }

    // The printed invoice through the client's template (or templatePath); issues it.
    std::optional<RenderedInvoice> render(int orderId, QString *error,
                                          const QString &templatePath = QString());
    // render, laid out and written as PDF through a temporary file.
    bool writePdf(int orderId, const QString &path, QString *error);

    // What the electronic invoice lacks, in one German message naming every
    // item; empty when nothing. Issues nothing.
    QString eInvoiceRefusal(int orderId, EInvoiceProfile profile = EInvoiceProfile::XRechnung);
    // The XRechnung (or plain EN 16931) XML; issues the invoice only when
    // nothing is missing, so a refused invoice keeps its invoice date open.
    std::optional<QByteArray> xrechnung(int orderId, QString *error,
                                        EInvoiceProfile profile = EInvoiceProfile::XRechnung);
    bool writeXRechnung(int orderId, const QString &path, QString *error);
    // The printed invoice as PDF/A-3 with its EN 16931 XML inside, from the
    // same figures; checked before anything is laid out or issued.
    bool writeZugferd(int orderId, const QString &path, QString *error);

private:
    bool fixInvoiceDate(InvoiceData &data, QString *error);
    // What the electronic invoice of the data lacks; the data's invoice date
    // taken as today while it is open.
    static TEInvoiceResult checkedEInvoice(InvoiceData data, const QDate &today,
                                           EInvoiceProfile profile);

    InvoiceConnection &m_db;
    Clock m_clock;
    QString m_warning;
    UnsavedOrder m_unsaved;
};

} // namespace vq::invoice
