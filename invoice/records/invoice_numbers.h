// The printed form of an invoice number. A client's form is a text with
// placeholders: {JJJJ} the year of the range, {JJ} its last two digits, and
// {N}, {NN}, ... the number, filled with leading zeros to as many digits as
// there are N ("RE-{JJJJ}-{NNNN}": "RE-2027-0001"). Without {N...} the number
// follows the form; an empty form prints the number alone.
#pragma once

#include "invoice/records/invoice_records.h"

#include <QRegularExpression>

namespace vq::invoice {

inline QString printedInvoiceNumber(const QString &format, std::optional<int> year, int number)
{
    if (format.trimmed().isEmpty())
        return QString::number(number);
    static const QRegularExpression numberField(QStringLiteral("\\{(N+)\\}"));
    QString text = format;
    const int yearValue = year.value_or(0);
    text.replace(QStringLiteral("{JJJJ}"), QString::number(yearValue).rightJustified(4, u'0'));
    text.replace(QStringLiteral("{JJ}"), QString::number(yearValue % 100).rightJustified(2, u'0'));
    const auto match = numberField.match(text);
    if (!match.hasMatch())
        return text + QString::number(number);
    return text.left(match.capturedStart())
           + QString::number(number).rightJustified(match.capturedLength(1), u'0')
           + text.mid(match.capturedEnd());
}

// What a client's number form lacks, in German; empty when it is usable. A
// yearly range needs the year in the form, or numbers of two years would be
// printed alike.
inline QString invoiceNumberFormatProblem(const QString &format, int nummernkreis)
{
    if (format.size() > 40)
        return QStringLiteral("Die Form der Rechnungsnummer darf höchstens 40 Zeichen lang sein.");
    for (const QChar c : format) {
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("Die Form der Rechnungsnummer enthält ein Steuerzeichen.");
    }
    if (nummernkreis == 1 && !format.contains(QStringLiteral("{JJJJ}"))
        && !format.contains(QStringLiteral("{JJ}")))
        return QStringLiteral(
            "Bei jährlichen Nummernkreisen muss die Form der Rechnungsnummer das Jahr "
            "({JJJJ} oder {JJ}) enthalten, z. B. RE-{JJJJ}-{NNNN}.");
    if (format.count(QStringLiteral("{N")) > 1)
        return QStringLiteral("Die Form der Rechnungsnummer darf die Nummer nur einmal enthalten.");
    return {};
}

// The number an order's invoice shows: the printed form fixed at issue, else
// the number alone; empty when the order has none yet.
inline QString invoiceNumberText(const TBestellung &order)
{
    if (!order.rechNrText.isEmpty())
        return order.rechNrText;
    return order.rechNr ? QString::number(*order.rechNr) : QString();
}

} // namespace vq::invoice
