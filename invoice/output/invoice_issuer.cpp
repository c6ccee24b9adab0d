#include "invoice/output/invoice_issuer.h"
#include "invoice/db/clients.h"
#include "invoice/db/order_store.h"

#include "common/safe_file.h"
#include "invoice/einvoice/zugferd.h"

#include <QDir>

namespace vq::invoice {

QDateTime systemClock()
{
    return QDateTime::currentDateTime();
}

InvoiceIssuer::InvoiceIssuer(InvoiceConnection &db, Clock clock)
    : m_db(db)
    , m_clock(std::move(clock))
{
}

QDate InvoiceIssuer::today() const
{
    return m_clock().date();
}

std::optional<InvoiceData> InvoiceIssuer::read(int orderId, QString *error)
{
    const auto fail = [error](const QString &message) {
        if (error)
            *error = message;
        return std::nullopt;
    };
    const auto databaseFailed = [&] {
        return fail(QStringLiteral("Die Rechnung der Bestellung %1 kann nicht gelesen werden: %2")
                        .arg(orderId)
                        .arg(m_db.lastError()));
    };
    const bool unsaved = m_unsaved.order && m_unsaved.lines && m_unsaved.order->id == orderId;
    const auto order =
        unsaved ? std::optional<TBestellung>(*m_unsaved.order) : OrderStore(m_db).order(orderId);
    if (!order) {
        if (!m_db.lastError().isEmpty())
            return databaseFailed();
        return fail(QStringLiteral("Die Bestellung %1 gibt es nicht.").arg(orderId));
    }
    const auto client = ClientStore(m_db).client(order->mandantId);
    if (!client) {
        if (!m_db.lastError().isEmpty())
            return databaseFailed();
        return fail(QStringLiteral("Den Mandanten %1 der Bestellung %2 gibt es nicht.")
                        .arg(order->mandantId)
                        .arg(orderId));
    }
    const auto lines = unsaved ? std::optional<QList<TArtikel>>(*m_unsaved.lines)
                               : OrderStore(m_db).linesWithOptions(orderId);
    if (!lines)
        return databaseFailed();
    QString why;
    auto data = makeInvoiceData(*client, *order, *lines, &why);
    if (!data)
        return fail(QStringLiteral("Die Rechnung der Bestellung %1 kann nicht erstellt werden: %2")
                        .arg(orderId)
                        .arg(why));
    return data;
}

bool InvoiceIssuer::fixInvoiceDate(InvoiceData &data, QString *error)
{
    if (data.order.rechnungsdatum.isValid())
        return true;
    // A new order not saved yet has its date with it; a stored one keeps it
    // in the database at once.
    const auto date = data.order.id < 0 ? std::optional<QDate>(today())
                                        : OrderStore(m_db).invoiceDate(data.order.id, today());
    if (!date) {
        if (error)
            *error = QStringLiteral(
                         "Das Rechnungsdatum der Bestellung %1 kann nicht gespeichert werden: %2")
                         .arg(data.order.id)
                         .arg(m_db.lastError());
        return false;
    }
    data.order.rechnungsdatum = *date;
    if (m_unsaved.order && m_unsaved.order->id == data.order.id)
        m_unsaved.order->rechnungsdatum = *date;
    return true;
}

std::optional<InvoiceData> InvoiceIssuer::issue(int orderId, QString *error)
{
    auto data = read(orderId, error);
    if (!data || !fixInvoiceDate(*data, error))
        return std::nullopt;
    return data;
}

std::optional<RenderedInvoice> InvoiceIssuer::render(int orderId, QString *error,
                                                     const QString &templatePath)
{
    m_warning.clear();
    auto data = read(orderId, error);
    if (!data)
        return std::nullopt;
    const bool firstOutput = !data->order.rechnungsdatum.isValid();
    if (!fixInvoiceDate(*data, error))
        return std::nullopt;
    auto rendered = renderInvoiceData(*data, today(), error, templatePath);
    if (rendered && firstOutput && !rendered->missingItems.isEmpty())
        m_warning = mandatoryItemsMessage(rendered->missingItems);
    return rendered;
}

bool InvoiceIssuer::writePdf(int orderId, const QString &path, QString *error)
{
    const auto invoice = render(orderId, error);
    if (!invoice)
        return false;
    const TInvoiceDocument document(invoice->html, invoice->resourceFolder);
    return writeInvoicePdf(document, path, error);
}

TEInvoiceResult InvoiceIssuer::checkedEInvoice(InvoiceData data, const QDate &today,
                                               EInvoiceProfile profile)
{
    if (!data.order.rechnungsdatum.isValid())
        data.order.rechnungsdatum = today;
    return buildXRechnung(data, profile);
}

QString InvoiceIssuer::eInvoiceRefusal(int orderId, EInvoiceProfile profile)
{
    QString error;
    const auto data = read(orderId, &error);
    if (!data)
        return error;
    return checkedEInvoice(*data, today(), profile).message();
}

std::optional<QByteArray> InvoiceIssuer::xrechnung(int orderId, QString *error,
                                                   EInvoiceProfile profile)
{
    auto data = read(orderId, error);
    if (!data)
        return std::nullopt;
    if (const TEInvoiceResult check = checkedEInvoice(*data, today(), profile);
        !check.missing.isEmpty()) {
        if (error)
            *error = check.message();
        return std::nullopt;
    }
    if (!fixInvoiceDate(*data, error))
        return std::nullopt;
    return buildXRechnung(*data, profile).xml;
}

bool InvoiceIssuer::writeXRechnung(int orderId, const QString &path, QString *error)
{
    const auto xml = xrechnung(orderId, error);
    return xml && vq::writeFileSafely(path, *xml, error);
}

bool InvoiceIssuer::writeZugferd(int orderId, const QString &path, QString *error)
{
    const auto failed = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    QString message;
    auto data = read(orderId, &message);
    if (!data)
        return failed(message);
    // What the electronic invoice lacks is told before anything is laid out;
    // a refused invoice is not put out, so it keeps its invoice date open.
    if (const TEInvoiceResult check =
            checkedEInvoice(*data, today(), EInvoiceProfile::FacturXEN16931);
        !check.missing.isEmpty())
        return failed(check.message());
    m_warning.clear();
    const bool firstOutput = !data->order.rechnungsdatum.isValid();
    if (!fixInvoiceDate(*data, &message))
        return failed(message);
    const TEInvoiceResult invoice = buildXRechnung(*data, EInvoiceProfile::FacturXEN16931);
    const auto rendered = renderInvoiceData(*data, today(), &message);
    if (!rendered)
        return failed(message);
    if (firstOutput && !rendered->missingItems.isEmpty())
        m_warning = mandatoryItemsMessage(rendered->missingItems);
    const TInvoiceDocument document(rendered->html, rendered->resourceFolder);
    const auto base = invoicePdfA1b(document);
    if (!base)
        return failed(QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden: Die "
                                     "PDF-Ausgabe ist fehlgeschlagen.")
                          .arg(QDir::toNativeSeparators(path)));
    const auto pdf = makeFacturXPdf(*base, invoice.xml, m_clock().toUTC(), &message);
    if (!pdf)
        return failed(message);
    return vq::writeFileSafely(path, *pdf, error);
}

InvoiceData sampleInvoiceData(const TMandant &client)
{
    InvoiceData data;
    data.client = client;
    TBestellung &order = data.order;
    order.mandantId = client.id;
    order.rechNr = 1;
    order.zeit = QDateTime::currentDateTimeUtc();
    order.name = QStringLiteral("Erika");
    order.nachname = QStringLiteral("Mustermann");
    order.strasse = QStringLiteral("Musterstraße 1");
    order.plz = QStringLiteral("12345");
    order.ort = QStringLiteral("Musterstadt");
    auto line = [&](int id, const char *nr, const QString &name, int anzahl, double preis,
                    double mwst) {
        TArtikel a;
        a.id = id;
        a.nr = QString::fromLatin1(nr);
        a.name = name;
        a.anzahl = anzahl;
        a.preis = preis;
        a.mwst = mwst;
        data.lines << a;
    };
    line(1, "1001", QStringLiteral("Musterartikel"), 2, 10.0, 19);
    line(2, "1002", QStringLiteral("Buch"), 1, 15.0, 7);
    TOption option;
    option.id = 1;
    option.artikelId = 1;
    option.name = QStringLiteral("Farbe");
    option.wert = QStringLiteral("Blau");
    option.preis = 1.0;
    data.lines[0].optionen << option;
    // Small sample figures always fit the rule.
    data.amounts = orderAmounts(order, data.lines, nullptr).value_or(OrderAmounts{});
    return data;
}

} // namespace vq::invoice
