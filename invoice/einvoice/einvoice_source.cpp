#include "einvoice_source.h"

namespace vq::invoice {

bool loadEInvoiceInput(TInvoiceDatabase &db, int bestellungId, const QDate &today,
                       TEInvoiceInput *input, QString *error, bool fixDate)
{
    const auto failed = [&](const QString &why) {
        *error = why;
        return false;
    };
    const auto order = db.order(bestellungId);
    if (!order) {
        if (!db.lastError().isEmpty())
            return failed(QStringLiteral("Die Bestellung %1 kann nicht gelesen werden: %2")
                              .arg(bestellungId)
                              .arg(db.lastError()));
        return failed(
            QStringLiteral("Es gibt keine Bestellung mit der Nummer %1.").arg(bestellungId));
    }
    const auto seller = db.client(order->mandantId);
    if (!seller)
        return failed(QStringLiteral("Der Mandant %1 der Bestellung kann nicht gelesen werden: %2")
                          .arg(order->mandantId)
                          .arg(db.lastError()));
    auto lines = db.linesOfOrder(bestellungId);
    if (!lines)
        return failed(
            QStringLiteral("Die Positionen der Bestellung können nicht gelesen werden: %1")
                .arg(db.lastError()));
    for (TArtikel &line : *lines) {
        const auto options = db.optionsOfLine(line.id);
        if (!options)
            return failed(
                QStringLiteral("Die Optionen der Bestellung können nicht gelesen werden: %1")
                    .arg(db.lastError()));
        line.optionen = *options;
    }
    const auto date =
        fixDate
            ? db.invoiceDate(bestellungId, today)
            : std::optional<QDate>(order->rechnungsdatum.isValid() ? order->rechnungsdatum : today);
    if (!date)
        return failed(QStringLiteral("Das Rechnungsdatum kann nicht gespeichert werden: %1")
                          .arg(db.lastError()));
    input->seller = *seller;
    input->order = *order;
    input->order.rechnungsdatum = *date;
    input->lines = *lines;
    input->invoiceDate = *date;
    return true;
}

} // namespace vq::invoice
