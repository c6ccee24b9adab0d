#include "invoice/output/invoice_issuer.h"
#include "invoice/db/audit_trail.h"
#include "invoice/db/clients.h"
#include "invoice/db/invoice_number_store.h"
#include "invoice/db/order_store.h"
#include "invoice/records/invoice_numbers.h"

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
    const bool unsaved = isUnsaved(orderId);
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
    if (order->stornoZu) {
        const auto cancelled = OrderStore(m_db).order(*order->stornoZu);
        if (!cancelled && !m_db.lastError().isEmpty())
            return databaseFailed();
        if (cancelled)
            data->preceding =
                PrecedingInvoice{invoiceNumberText(*cancelled), cancelled->rechnungsdatum};
    }
    return data;
}

bool InvoiceIssuer::isUnsaved(int orderId) const
{
    return m_unsaved.order && m_unsaved.lines && m_unsaved.order->id == orderId;
}

bool InvoiceIssuer::databaseFailed(int orderId, QString *error) const
{
    if (error)
        *error = QStringLiteral("Die Rechnung der Bestellung %1 kann nicht ausgestellt werden: %2")
                     .arg(orderId)
                     .arg(m_db.lastError());
    return false;
}

std::optional<InvoiceData> InvoiceIssuer::issue(int orderId, QString *error, DocumentKind wanted)
{
    m_warning.clear();
    if (isUnsaved(orderId)) {
        if (error)
            *error = QStringLiteral(
                "Die Bestellung hat Änderungen, die noch nicht gespeichert sind. Eine Rechnung "
                "wird aus der gespeicherten Bestellung ausgestellt: Bitte speichern Sie zuerst "
                "(Verlassen, \"Ja\").");
        return std::nullopt;
    }
    // One short transaction: the number drawn and the documents archived
    // belong together, and no other seat draws the same number meanwhile.
    const int depth = m_db.transactionDepth();
    if (!m_db.begin(InvoiceConnection::WriteLock::AtStart) || !m_db.lockOrdersForNumbering()) {
        databaseFailed(orderId, error);
        while (m_db.transactionDepth() > depth && m_db.rollback()) {
        }
        return std::nullopt;
    }
    auto data = issueLocked(orderId, error, wanted);
    if (data && !m_db.commit()) {
        databaseFailed(orderId, error);
        data.reset();
    }
    if (!data) {
        while (m_db.transactionDepth() > depth && m_db.rollback()) {
        }
    }
    return data;
}

std::optional<InvoiceData> InvoiceIssuer::issueLocked(int orderId, QString *error,
                                                      DocumentKind wanted)
{
    IssuedInvoiceStore store(m_db);
    const auto stored = OrderStore(m_db).order(orderId);
    if (!stored) {
        if (!m_db.lastError().isEmpty())
            databaseFailed(orderId, error);
        else if (error)
            *error = QStringLiteral("Die Bestellung %1 gibt es nicht.").arg(orderId);
        return std::nullopt;
    }
    if (stored->issued())
        return read(orderId, error);
    m_warning.clear();
    if (!store.fixIssue(orderId, today())) {
        databaseFailed(orderId, error);
        return std::nullopt;
    }
    auto data = read(orderId, error);
    if (!data || !archiveDocuments(*data, wanted, true, error))
        return std::nullopt;
    const auto fingerprint = store.fingerprint(orderId);
    if (!fingerprint
        || !AuditTrail(m_db).append(QString::fromUtf16(kAuditIssued), data->order.mandantId,
                                    orderId, invoiceNumberText(data->order), QString(),
                                    *fingerprint)) {
        databaseFailed(orderId, error);
        return std::nullopt;
    }
    return data;
}

EInvoiceResult InvoiceIssuer::checkedEInvoice(InvoiceData data, const QDate &today,
                                              EInvoiceProfile profile)
{
    data = eInvoiceData(data);
    if (!data.order.rechnungsdatum.isValid())
        data.order.rechnungsdatum = today;
    // A number the range draws at issue is there by then.
    if (invoiceNumberText(data.order).isEmpty())
        data.order.rechNrText = QStringLiteral("0");
    return buildXRechnung(data, profile);
}

InvoiceData InvoiceIssuer::eInvoiceData(const InvoiceData &data)
{
    if (!data.preceding)
        return data;
    QList<TArtikel> lines = data.lines;
    for (TArtikel &line : lines)
        line.anzahl = -line.anzahl;
    auto credit = makeInvoiceData(data.client, data.order, lines, nullptr);
    if (!credit)
        return data;
    credit->preceding = data.preceding;
    return *credit;
}

std::optional<QByteArray> InvoiceIssuer::makeDocument(const InvoiceData &data, DocumentKind kind,
                                                      QString *error)
{
    if (kind == DocumentKind::XRechnung)
        return buildXRechnung(eInvoiceData(data), EInvoiceProfile::XRechnung).xml;
    const auto rendered = renderInvoiceData(data, today(), error);
    if (!rendered)
        return std::nullopt;
    if (!rendered->missingItems.isEmpty())
        m_warning = mandatoryItemsMessage(rendered->missingItems);
    const InvoiceDocument document(rendered->html, rendered->resourceFolder);
    const auto failed = [&]() -> std::optional<QByteArray> {
        if (error)
            *error = QStringLiteral("Die Rechnung der Bestellung %1 kann nicht ausgestellt "
                                    "werden: Die PDF-Ausgabe ist fehlgeschlagen.")
                         .arg(data.order.id);
        return std::nullopt;
    };
    if (kind == DocumentKind::Pdf) {
        auto pdf = invoicePdf(document);
        return pdf ? pdf : failed();
    }
    const auto base = invoicePdfA1b(document);
    if (!base)
        return failed();
    const QByteArray xml = buildXRechnung(eInvoiceData(data), EInvoiceProfile::FacturXEN16931).xml;
    return makeFacturXPdf(*base, xml, m_clock().toUTC(), error);
}

bool InvoiceIssuer::archiveDocuments(const InvoiceData &data, DocumentKind wanted, bool all,
                                     QString *error)
{
    IssuedInvoiceStore store(m_db);
    QList<DocumentKind> kinds{wanted};
    if (all)
        for (DocumentKind kind :
             {DocumentKind::Pdf, DocumentKind::XRechnung, DocumentKind::Zugferd})
            if (kind != wanted)
                kinds << kind;
    for (DocumentKind kind : kinds) {
        const bool required = kind == wanted;
        const auto existing = store.document(data.order.id, kind);
        if (!existing)
            return databaseFailed(data.order.id, error);
        if (*existing)
            continue;
        if (kind != DocumentKind::Pdf) {
            const EInvoiceResult check =
                checkedEInvoice(data, today(),
                                kind == DocumentKind::XRechnung ? EInvoiceProfile::XRechnung
                                                                : EInvoiceProfile::FacturXEN16931);
            if (!check.missing.isEmpty()) {
                if (!required)
                    continue;
                if (error)
                    *error = check.message();
                return false;
            }
        }
        // What goes out must be made; the other kinds are made now when they
        // can be (a missing template does not stop an XRechnung), else when
        // first asked for.
        QString why;
        const auto bytes = makeDocument(data, kind, &why);
        if (!bytes && !required)
            continue;
        if (!bytes) {
            if (error)
                *error = why;
            return false;
        }
        if (!store.storeDocument(data.order.id, data.order.mandantId, kind, *bytes,
                                 data.order.rechnungsdatum))
            return databaseFailed(data.order.id, error);
    }
    return true;
}

std::optional<QByteArray> InvoiceIssuer::document(int orderId, DocumentKind kind, QString *error)
{
    const auto data = issue(orderId, error, kind);
    if (!data)
        return std::nullopt;
    IssuedInvoiceStore store(m_db);
    auto archived = store.document(orderId, kind);
    if (archived && !*archived) {
        // Made now from the issued data, and archived: later outputs repeat it.
        if (!m_db.begin()) {
            databaseFailed(orderId, error);
            return std::nullopt;
        }
        if (!archiveDocuments(*data, kind, false, error)) {
            m_db.rollbackKeepingError();
            return std::nullopt;
        }
        if (!m_db.commit()) {
            databaseFailed(orderId, error);
            m_db.rollback();
            return std::nullopt;
        }
        archived = store.document(orderId, kind);
    }
    if (!archived || !*archived) {
        databaseFailed(orderId, error);
        return std::nullopt;
    }
    return (*archived)->bytes;
}

std::optional<RenderedInvoice> InvoiceIssuer::render(int orderId, QString *error,
                                                     const QString &templatePath)
{
    const auto data = read(orderId, error);
    if (!data)
        return std::nullopt;
    return renderInvoiceData(*data, today(), error, templatePath);
}

bool InvoiceIssuer::writePdf(int orderId, const QString &path, QString *error)
{
    const auto pdf = document(orderId, DocumentKind::Pdf, error);
    return pdf && vq::writeFileSafely(path, *pdf, error);
}

QString InvoiceIssuer::eInvoiceRefusal(int orderId, EInvoiceProfile profile)
{
    QString error;
    const auto data = read(orderId, &error);
    if (!data)
        return error;
    return checkedEInvoice(*data, today(), profile).message();
}

std::optional<QStringList> InvoiceIssuer::precheck(int orderId, QString *error)
{
    const auto data = read(orderId, error);
    if (!data)
        return std::nullopt;
    // An issued invoice is checked as it went out.
    return checkedEInvoice(*data, today(), EInvoiceProfile::XRechnung).missing;
}

QString InvoiceIssuer::businessPrecheck(int orderId)
{
    QString error;
    const auto data = read(orderId, &error);
    if (!data)
        return error;
    if (data->order.issued() || !businessBuyer(*data))
        return QString();
    const EInvoiceResult result = checkedEInvoice(*data, today(), EInvoiceProfile::XRechnung);
    return result.missing.isEmpty() ? QString() : precheckText(result.missing);
}

std::optional<QByteArray> InvoiceIssuer::xrechnung(int orderId, QString *error,
                                                   EInvoiceProfile profile)
{
    // What the electronic invoice lacks is told before it is issued.
    if (const QString refusal = eInvoiceRefusal(orderId, profile); !refusal.isEmpty()) {
        if (error)
            *error = refusal;
        return std::nullopt;
    }
    if (profile == EInvoiceProfile::XRechnung)
        return document(orderId, DocumentKind::XRechnung, error);
    const auto data = issue(orderId, error);
    if (!data)
        return std::nullopt;
    return buildXRechnung(eInvoiceData(*data), profile).xml;
}

bool InvoiceIssuer::writeXRechnung(int orderId, const QString &path, QString *error)
{
    const auto xml = xrechnung(orderId, error);
    return xml && vq::writeFileSafely(path, *xml, error);
}

bool InvoiceIssuer::writeZugferd(int orderId, const QString &path, QString *error)
{
    // What the electronic invoice lacks is told before anything is laid out;
    // a refused invoice is not put out, so it stays a draft.
    if (const QString refusal = eInvoiceRefusal(orderId, EInvoiceProfile::FacturXEN16931);
        !refusal.isEmpty()) {
        if (error)
            *error = refusal;
        return false;
    }
    const auto pdf = document(orderId, DocumentKind::Zugferd, error);
    return pdf && vq::writeFileSafely(path, *pdf, error);
}

std::optional<CancellationResult> InvoiceIssuer::cancel(int orderId, QString *error, bool correct)
{
    const auto refuse = [error](const QString &message) -> std::optional<CancellationResult> {
        if (error)
            *error = message;
        return std::nullopt;
    };
    const int depth = m_db.transactionDepth();
    const auto failed = [&]() -> std::optional<CancellationResult> {
        const QString reason = m_db.lastError();
        while (m_db.transactionDepth() > depth && m_db.rollback()) {
        }
        return refuse(QStringLiteral("Die Rechnung der Bestellung %1 kann nicht storniert "
                                     "werden: %2")
                          .arg(orderId)
                          .arg(reason));
    };
    const auto refused = [&](const QString &message) {
        while (m_db.transactionDepth() > depth && m_db.rollback()) {
        }
        // A refused cancellation is recorded, as every refused change of an
        // issued invoice is.
        AuditTrail(m_db).append(QString::fromUtf16(kAuditRefused), std::nullopt, orderId,
                                QStringLiteral("Stornieren"), QString(), message);
        return refuse(message);
    };
    if (!m_db.begin(InvoiceConnection::WriteLock::AtStart) || !m_db.lockOrdersForNumbering())
        return failed();
    OrderStore orders(m_db);
    IssuedInvoiceStore store(m_db);
    const auto original = orders.order(orderId);
    if (!original) {
        if (!m_db.lastError().isEmpty())
            return failed();
        while (m_db.transactionDepth() > depth && m_db.rollback()) {
        }
        return refuse(QStringLiteral("Die Bestellung %1 gibt es nicht.").arg(orderId));
    }
    if (!original->issued())
        return refused(QStringLiteral("Die Rechnung der Bestellung %1 ist noch nicht "
                                      "ausgestellt. Ein Entwurf wird geändert oder gelöscht, "
                                      "nicht storniert.")
                           .arg(orderId));
    if (original->stornoZu)
        return refused(QStringLiteral("Die Bestellung %1 ist selbst eine Stornorechnung und "
                                      "lässt sich nicht stornieren.")
                           .arg(orderId));
    const auto earlier = store.cancellationOf(orderId);
    if (!earlier)
        return failed();
    if (*earlier)
        return refused(QStringLiteral("Die Rechnung Nr. %1 ist bereits storniert (Bestellung %2).")
                           .arg(invoiceNumberText(*original))
                           .arg(**earlier));
    const auto lines = orders.linesWithOptions(orderId);
    const auto client = ClientStore(m_db).client(original->mandantId);
    const auto state = store.cancelledState();
    if (!lines || !client || !state)
        return failed();

    // A copy of the order: the same customer, date and lines, not issued,
    // with a number from the running range (a yearly range draws at issue).
    const auto copyOf = [&](const TBestellung &from) -> std::optional<TBestellung> {
        TBestellung copy = from;
        copy.id = 0;
        copy.uuid.clear();
        copy.rechNr.reset();
        copy.rechJahr.reset();
        copy.rechNrText.clear();
        copy.rechnungsdatum = QDate();
        copy.stornoZu.reset();
        copy.version = 0;
        if (client->nummernkreis != 1) {
            copy.rechNr = InvoiceNumberStore(m_db).nextInvoiceNumberForClient(client->id);
            if (!copy.rechNr)
                return std::nullopt;
        }
        return copy;
    };
    const auto insertWithLines = [&](const TBestellung &order, int sign) -> std::optional<int> {
        const auto id = orders.insertOrder(order);
        if (!id)
            return std::nullopt;
        for (TArtikel line : *lines) {
            line.bestellungId = *id;
            line.anzahl *= sign;
            const auto lineId = orders.insertLine(line);
            if (!lineId)
                return std::nullopt;
            for (TOption option : line.optionen) {
                option.artikelId = *lineId;
                if (!orders.insertOption(option))
                    return std::nullopt;
            }
        }
        return id;
    };

    auto cancellation = copyOf(*original);
    if (!cancellation)
        return failed();
    cancellation->stornoZu = orderId;
    cancellation->status = *state;
    cancellation->bemerkung.clear();
    const auto cancellationId = insertWithLines(*cancellation, -1);
    if (!cancellationId)
        return failed();
    if (!m_db.exec(QStringLiteral("UPDATE Bestellung SET Bestellung_Status = ?, "
                                  "Bestellung_Version = Bestellung_Version + 1 WHERE "
                                  "Bestellung_ID = ?"),
                   {*state, orderId}))
        return failed();
    QString why;
    const auto issued = issueLocked(*cancellationId, &why, DocumentKind::Pdf);
    if (!issued) {
        while (m_db.transactionDepth() > depth && m_db.rollback()) {
        }
        return refuse(why);
    }
    CancellationResult result{*cancellationId, invoiceNumberText(issued->order), 0};
    if (!AuditTrail(m_db).append(QString::fromUtf16(kAuditCancelled), original->mandantId, orderId,
                                 invoiceNumberText(*original), QString(), result.number))
        return failed();
    if (correct) {
        auto copy = copyOf(*original);
        if (!copy)
            return failed();
        copy->status = 1;
        const auto copyId = insertWithLines(*copy, 1);
        if (!copyId)
            return failed();
        result.copyId = *copyId;
    }
    if (!m_db.commit())
        return failed();
    return result;
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
