// When an invoice is due: the client's payment period counted from the
// invoice date, and the sentence the printed invoice and the electronic
// invoice state it with. One place, so both name the same day.
#pragma once

#include "invoice/records/invoice_records.h"

#include <QDate>
#include <QString>
#include <optional>

namespace vq::invoice {

struct PaymentTerms
{
    std::optional<QDate> dueDate; // none: the client names no payment period
    QString text; // "Zahlbar bis 24.12.2026 ohne Abzug." or "Sofort fällig ohne Abzug."
};

// Nothing is due on an invoice that owes nothing (a credit).
inline PaymentTerms paymentTerms(const TMandant &client, const QDate &invoiceDate, qint64 owedCents)
{
    PaymentTerms terms;
    if (!client.zahlungsziel || *client.zahlungsziel < 0 || !invoiceDate.isValid()
        || owedCents <= 0)
        return terms;
    const int days = std::min(*client.zahlungsziel, 3650);
    terms.dueDate = invoiceDate.addDays(days);
    terms.text = days == 0 ? QStringLiteral("Sofort fällig ohne Abzug.")
                           : QStringLiteral("Zahlbar bis %1 ohne Abzug.")
                                 .arg(terms.dueDate->toString(QStringLiteral("dd.MM.yyyy")));
    return terms;
}

} // namespace vq::invoice
