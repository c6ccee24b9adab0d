// A consumer's withdrawal from a contract ("Vertrag widerrufen"), as the form
// mailer received it and the invoice database keeps it (table Widerruf).
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

namespace vq::invoice {

struct TWiderruf
{
    int id = 0;
    int mandantId = 0;
    std::optional<int> bestellungId; // the withdrawn order; none while unmatched
    QString uuid;                    // the withdrawal's own identifier
    QDateTime eingang;               // received, a clock reading (UTC as the database keeps it)
    QString name, email;
    QString bestellnummer; // the order number the consumer gave (the order's identifier)
    QDate bestelldatum;    // the order date the consumer gave; invalid: none
    QString grund;         // the reason, when the consumer gave one
    QString ip;
};

} // namespace vq::invoice
