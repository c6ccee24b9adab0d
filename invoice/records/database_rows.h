// Rows the invoice database hands out beside the records: the order list, the
// order states, what the import remembers of a mailbox and what became of an
// order that came by mail. Qt Core only.
#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

namespace vq::invoice {

// One row of the order list (view AbfMainWindowBest, with the total by the money rule).
struct OrderListRow
{
    std::optional<int> rechNr;
    QString rechNrText; // the printed number of an issued invoice
    QDateTime zeit;
    QString name, firma, nachname;
    // What the order costs (order_amounts.h); nothing when its stored amounts
    // are beyond what an order may hold.
    std::optional<qint64> totalCents = 0;
    QString statusBestellung;
    int bestellungId = 0;
    int mandantId = 0;
};

struct StatusRow
{
    int id = 0;
    QString status;
};

// What the import remembers about one message of a mailbox, by the server's
// unique id, with its size for every message (order mail or not).
struct KnownMessage
{
    QString uidl;
    bool orderMail = false;
    QString uuid, sender, subject;
    qint64 size =
        0; // bytes as the server listed them; 0: not known (remembered by an older version)
    QDateTime date;
    bool orderStored = false; // read only: an order (or withdrawal) with that uuid is stored
    // An order mail the import cannot use as it is: listed again from here,
    // not fetched again, until the server gives its id to another message.
    enum Refusal { NotRefused = 0, Damaged = 1, NotSigned = 2, NotStorable = 3 };
    Refusal refusal = NotRefused;
    QString reason; // what the import said, for the list

    // A server may give the id of a deleted message to a new one: only a
    // message listed with the remembered size is the remembered message;
    // any other is read again.
    bool sameMessage(qint64 listedSize) const { return size > 0 && size == listedSize; }
};

// What became of an order that came by mail.
struct MailOrderStore
{
    // Refused: this order cannot be stored as it is (lastError() says why); the
    // database itself is fine. Failed: the database failed or stayed locked.
    enum Outcome { Stored, AlreadyThere, Refused, Failed };
    Outcome outcome = Failed;
    int orderId = 0; // Stored: the key of the new order
};

} // namespace vq::invoice
