// The order-mail import: fetches the current client's mailbox, stores each new
// order mail as an order of that client and each withdrawal mail with the
// order it names, lists every such mail with its status, and deletes a listed
// mail from the server.
//
// Rows are bound to the server's unique message id (UIDL), not to the message
// number, which changes with every deletion. What a message turned out to be
// is remembered in the database, so a later run fetches only new messages.
#pragma once

#include "invoice/db/invoice_connection.h"
#include "invoice/mail/pop3_client.h"
#include "invoice/records/database_rows.h"
#include "invoice/records/invoice_records.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>

namespace vq::invoice {

// Fixed texts of the import.
inline constexpr char16_t kTextInserted[] = u"In Datenbank eingefügt.";
inline constexpr char16_t kTextAlreadyThere[] = u"Bereits in DB vorhanden.";
inline constexpr char16_t kTextXmlError[] = u"Fehler beim XML-Parsing";
inline constexpr char16_t kTextNotSigned[] = u"nicht signiert";
inline constexpr char16_t kTextConnectionError[] =
    u"Fehler beim Verbinden mit dem Mailserver, bitte prüfen Sie Ihre Einstellungen.";
inline constexpr char16_t kTextSuccess[] =
    u"Das E-Mail-Postfach wurde erfolgreich auf Bestellungen ausgelesen.";
inline constexpr char16_t kTextDeleteError[] = u"Fehler beim löschen der Nachricht";
inline constexpr char16_t kTextStoreError[] = u"Fehler beim Speichern der Bestellung";
// The run ends on a database failure (the lock message when another user holds the database).
inline constexpr char16_t kTextDatabaseError[] = u"Fehler beim Zugriff auf die Datenbank.";
// The run was stopped between two mails at the user's wish.
inline constexpr char16_t kTextImportCancelled[] =
    u"Das Einlesen wurde abgebrochen. Die bis dahin gespeicherten Bestellungen bleiben erhalten; "
    u"ein erneutes Einlesen liest die übrigen E-Mails.";

// A withdrawal mail ("VQWIDERRUF" in the subject) stored with its order, or
// stored without one because no order of the client fits.
inline constexpr char16_t kTextWithdrawalMatched[] = u"Widerruf zur Bestellung gespeichert.";
inline constexpr char16_t kTextWithdrawalUnmatched[] =
    u"Widerruf gespeichert, keine passende Bestellung gefunden.";

// NotSigned: the client has an order secret and the mail carries no valid
// signature with it; such a mail is listed and stored nowhere.
enum class MailOrderStatus {
    Inserted,
    AlreadyThere,
    DocumentError,
    StoreError,
    NotSigned,
    WithdrawalMatched,
    WithdrawalUnmatched
};

// One order mail of the list.
struct MailOrderRow
{
    QString uidl;   // the server's unique id; empty when the server has no UIDL
    int number = 0; // message number during the run that listed it
    QString sender, subject;
    qint64 size = 0;
    QDateTime date;
    MailOrderStatus status = MailOrderStatus::Inserted;
    QString detail;          // why the document could not be read or stored
    bool withdrawal = false; // a withdrawal mail, not an order mail
    // The order a stored withdrawal names (WithdrawalMatched): where the
    // cancellation of the withdrawn order starts.
    std::optional<int> withdrawnOrderId;

    QString statusText() const;
    // "Größe": whole kilobytes, remainder dropped ("0 kb" for 1023 bytes).
    QString sizeText() const;
    QString dateText() const; // date only, in the short date format
};

struct MailImportResult
{
    bool ok = false; // the whole mailbox was read and everything recorded
    bool connected =
        false; // false: connection or login failed, it broke off, or the database failed
    bool cancelled = false;   // stopped between two mails by MailImportObserver::cancel
    bool busy = false;        // another import of the client held its lock (kTextImportRunning)
    QString message;          // the final message (success or connection error)
    QString detail;           // the server's or the library's words on a failure
    QList<MailOrderRow> rows; // every order mail, in mailbox order
    QStringList messages;     // the messages shown during the run, in order
    int fetched = 0;          // messages whose header or body came from the server
};

// What a caller follows of a run while it goes on, and how it stops one.
// Every member may stay empty. The callbacks run on the thread of the run.
struct MailImportObserver
{
    // Messages of the mailbox done of all of them: (0, total) once the
    // mailbox is open, then after each message.
    std::function<void(int done, int total)> progress;
    // Each order mail's row as soon as it is known, in mailbox order.
    std::function<void(const MailOrderRow &row)> row;
    // Looked at before each message: once set, the run stops there. The mail
    // being stored is finished and every order stored stays; a transfer from
    // the server at hand is given up. The next run reads the rest.
    const std::atomic_bool *cancel = nullptr;
};

// The mailbox account of a client.
Pop3Account accountOfClient(const TMandant &client);
// The key under which a mailbox's known messages are kept.
QString mailboxKey(const Pop3Account &account);

class MailOrder
{
public:
    MailOrder(InvoiceConnection &db, int mandantId);

    // "E-Mails einlesen". The account is read from the client row afresh.
    // Holds the client's import lock (import_lock.h) for the run; when another
    // import holds it longer than the lock wait, nothing is read (result.busy).
    MailImportResult importOrders(const MailImportObserver &observer = {});
    // How long importOrders waits for another import of the client; 0 (the
    // window's choice): not at all.
    void setLockWait(int milliseconds) { m_lockWaitMs = milliseconds; }

    // "Markierte E-Mail löschen": deletes the row's message on the server,
    // found by its unique id. On failure *message is "Fehler beim löschen der Nachricht".
    bool deleteMail(const MailOrderRow &row, QString *message, QString *detail = nullptr);
    // The same for several rows in one session: all of them are deleted, or,
    // when one cannot be found or deleted, none.
    bool deleteMails(const QList<MailOrderRow> &rows, QString *message, QString *detail = nullptr);

private:
    // Reads and stores one withdrawal mail into *row; what the run learns of
    // the message goes to *learned. False when the database failed.
    bool importWithdrawal(const QByteArray &body, MailOrderRow *row, KnownMessage *message,
                          QStringList *messages, QList<KnownMessage> *learned, const QString &uid);

    InvoiceConnection &m_db;
    int m_mandantId;
    int m_lockWaitMs = 0;
};

} // namespace vq::invoice
