// The order-mail import: fetches the current client's mailbox, stores each new
// order mail as an order of that client, lists every order mail with its
// status, and deletes a listed mail from the server.
//
// Rows are bound to the server's unique message id (UIDL), not to the message
// number, which changes with every deletion. What a message turned out to be
// is remembered in the database, so a later run fetches only new messages.
#pragma once

#include "invoice_database.h"
#include "pop3_client.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace vq::invoice {

// Fixed texts of the import.
inline constexpr char16_t kTextInserted[] = u"In Datenbank eingefügt.";
inline constexpr char16_t kTextAlreadyThere[] = u"Bereits in DB vorhanden.";
inline constexpr char16_t kTextXmlError[] = u"Fehler beim XML-Parsing";
inline constexpr char16_t kTextConnectionError[] =
    u"Fehler beim Verbinden mit dem Mailserver, bitte prüfen Sie Ihre Einstellungen.";
inline constexpr char16_t kTextSuccess[] = u"Das E-Mail-Postfach wurde erfolgreich auf Bestellungen ausgelesen.";
inline constexpr char16_t kTextDeleteError[] = u"Fehler beim löschen der Nachricht";
inline constexpr char16_t kTextStoreError[] = u"Fehler beim Speichern der Bestellung";
// The run ends on a database failure (the lock message when another user holds the database).
inline constexpr char16_t kTextDatabaseError[] = u"Fehler beim Zugriff auf die Datenbank.";

enum class MailOrderStatus { Inserted, AlreadyThere, DocumentError, StoreError };

// One order mail of the list.
struct MailOrderRow
{
    QString uidl;   // the server's unique id; empty when the server has no UIDL
    int number = 0; // message number during the run that listed it
    QString sender, subject;
    qint64 size = 0;
    QDateTime date;
    MailOrderStatus status = MailOrderStatus::Inserted;
    QString detail; // why the document could not be read or stored

    QString statusText() const;
    // "Größe": whole kilobytes, remainder dropped ("0 kb" for 1023 bytes).
    QString sizeText() const;
    QString dateText() const; // date only, in the short date format
};

struct MailImportResult
{
    bool connected = false;   // false: connection, login or database failed, or it broke off
    QString message;          // the final message (success or connection error)
    QString detail;           // the server's or the library's words on a failure
    QList<MailOrderRow> rows; // every order mail, in mailbox order
    QStringList messages;     // the messages shown during the run, in order
    int fetched = 0;          // messages whose header or body came from the server
};

// The mailbox account of a client.
Pop3Account accountOfClient(const TMandant &client);
// The key under which a mailbox's known messages are kept.
QString mailboxKey(const Pop3Account &account);

class TMailOrder
{
public:
    TMailOrder(TInvoiceDatabase &db, int mandantId);

    // "E-Mails einlesen". The account is read from the client row afresh.
    MailImportResult importOrders();

    // "Markierte E-Mail löschen": deletes the row's message on the server,
    // found by its unique id. On failure *message is "Fehler beim löschen der Nachricht".
    bool deleteMail(const MailOrderRow &row, QString *message, QString *detail = nullptr);

private:
    TInvoiceDatabase &m_db;
    int m_mandantId;
};

} // namespace vq::invoice
