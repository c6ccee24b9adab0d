// When an invoice is due: the client's payment period counted from the
// invoice date, its cash discount ("Skonto") for early payment, and the
// sentence the printed invoice and the electronic invoice state them with.
// One place, so both name the same days and amounts.
#pragma once

#include "invoice/records/invoice_records.h"

#include <QDate>
#include <QString>
#include <optional>

namespace vq::invoice {

struct CashDiscount
{
    int days = 0;
    qint64 hundredthsPercent = 0; // 200: 2 %
    QDate until;                  // the last day it may be taken
    qint64 cents = 0;             // what it takes off the amount owed
};

struct PaymentTerms
{
    std::optional<QDate> dueDate; // none: the client names no payment period
    std::optional<CashDiscount> discount;
    // "Zahlbar bis 24.12.2026 ohne Abzug.", "Sofort fällig ohne Abzug.", with
    // the discount before it: "Bei Zahlung bis 17.12.2026 2,00 % Skonto
    // (1,23 €)."
    QString text;
};

// The client's discount as a valid one: 1 to 3650 days, above 0 and below
// 100 percent, to the hundredth of a percent; none otherwise.
std::optional<std::pair<int, qint64>> cashDiscountOf(const TMandant &client);

// Nothing is due on an invoice that owes nothing (a credit).
PaymentTerms paymentTerms(const TMandant &client, const QDate &invoiceDate, qint64 owedCents);

// The discount line the German e-invoice rules read from the payment terms
// ("#SKONTO#TAGE=14#PROZENT=2.00#" and a line break); empty without one.
QString cashDiscountLine(const PaymentTerms &terms);

} // namespace vq::invoice
