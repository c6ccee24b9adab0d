#include "invoice/mail/uMailOrder.h"
#include "invoice/db/clients.h"
#include "invoice/db/mailbox_store.h"
#include "invoice/db/withdrawal_store.h"

#include "invoice/mail/import_lock.h"
#include "invoice/mail/mail_message.h"
#include "invoice/mail/order_document.h"

#include <QHash>

#include <QLocale>
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

namespace vq::invoice {

namespace {

// Messages up to this size are fetched whole without asking for the header first.
constexpr qint64 kFetchWholeUpTo = 64 * 1024;
// An order document is at most kMaxOrderDocumentBytes; quoted-printable may
// triple it. Larger order mails are listed as damaged without being fetched.
constexpr qint64 kMaxOrderMailBytes = 4 * kMaxOrderDocumentBytes;

// The marker words of order and withdrawal mails, in exactly this case,
// anywhere in the subject.
bool isWithdrawalSubject(const QString &subject)
{
    return subject.contains(QStringLiteral("VQWIDERRUF"), Qt::CaseSensitive);
}

bool isOrderSubject(const QString &subject)
{
    return subject.contains(QStringLiteral("VQBESTMAIL"), Qt::CaseSensitive)
           || isWithdrawalSubject(subject);
}

// False only when the header cannot name the marker word: it is not there
// as plain text and no header is MIME-encoded. Spares parsing most mails.
bool mayBeOrderMail(const QByteArray &raw)
{
    qsizetype end = raw.indexOf("\n\n");
    const qsizetype crlfEnd = raw.indexOf("\r\n\r\n");
    if (end < 0 || (crlfEnd >= 0 && crlfEnd < end))
        end = crlfEnd;
    const QByteArrayView header = end < 0 ? QByteArrayView(raw) : QByteArrayView(raw).first(end);
    return header.contains("VQBESTMAIL") || header.contains("VQWIDERRUF") || header.contains("=?");
}

// One message as the reading thread hands it over.
struct FetchedMail
{
    bool fetched = false;   // false: the connection failed; error says why
    bool orderMail = false; // the subject holds the marker; mail is the whole message
    bool tooLarge = false;  // an order mail too large to be one; mail holds its header only
    MailMessage mail;
    qint64 size = 0;
    QString error;
};

// A small message is fetched whole at once, one request like its header
// alone. Of a large one the header tells first whether it is an order mail;
// order mails are small, attachments are never fetched for nothing, and an
// order mail beyond kMaxOrderMailBytes is not fetched at all.
FetchedMail fetchMail(Pop3Client &pop3, int number, qint64 listedSize)
{
    FetchedMail result;
    const bool small = listedSize <= kFetchWholeUpTo;
    const auto first = small ? pop3.retr(number) : pop3.top(number, 0);
    if (!first) {
        result.error = pop3.lastError();
        return result;
    }
    result.fetched = true;
    result.size = first->size();
    if (!mayBeOrderMail(*first) || !readMailMessage(*first, &result.mail, nullptr)
        || !isOrderSubject(result.mail.subject))
        return result;
    result.orderMail = true;
    if (small)
        return result;
    if (listedSize > kMaxOrderMailBytes) {
        result.tooLarge = true;
        result.size = listedSize;
        return result;
    }
    const auto whole = pop3.retr(number);
    if (!whole) {
        result.fetched = false;
        result.error = pop3.lastError();
        return result;
    }
    result.size = whole->size();
    if (!readMailMessage(*whole, &result.mail, nullptr))
        result.mail.body.clear(); // an empty document: listed as damaged
    return result;
}

// Hands fetched messages from the reading thread to the storing one, in
// order; holds a few at most so a slow database does not fill the memory.
class FetchQueue
{
public:
    bool push(FetchedMail mail)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_cancelled || m_items.size() < kCapacity; });
        if (m_cancelled)
            return false;
        m_items.push_back(std::move(mail));
        m_changed.notify_all();
        return true;
    }
    FetchedMail pop()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_cancelled || !m_items.empty(); });
        if (m_items.empty())
            return {};
        FetchedMail mail = std::move(m_items.front());
        m_items.pop_front();
        m_changed.notify_all();
        return mail;
    }
    void cancel()
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
        m_changed.notify_all();
    }

private:
    static constexpr size_t kCapacity = 64;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<FetchedMail> m_items;
    bool m_cancelled = false;
};

} // namespace

QString MailOrderRow::statusText() const
{
    switch (status) {
    case MailOrderStatus::Inserted:
        return QString::fromUtf16(kTextInserted);
    case MailOrderStatus::AlreadyThere:
        return QString::fromUtf16(kTextAlreadyThere);
    case MailOrderStatus::DocumentError:
        return QString::fromUtf16(kTextXmlError);
    case MailOrderStatus::StoreError:
        return QString::fromUtf16(kTextStoreError);
    case MailOrderStatus::NotSigned:
        return QString::fromUtf16(kTextNotSigned);
    case MailOrderStatus::WithdrawalMatched:
        return QString::fromUtf16(kTextWithdrawalMatched);
    case MailOrderStatus::WithdrawalUnmatched:
        return QString::fromUtf16(kTextWithdrawalUnmatched);
    }
    return {};
}

QString MailOrderRow::sizeText() const
{
    return QStringLiteral("%1 kb").arg(size / 1024);
}

QString MailOrderRow::dateText() const
{
    return date.isValid() ? QLocale().toString(date.toLocalTime().date(), QLocale::ShortFormat)
                          : QString();
}

Pop3Account accountOfClient(const TMandant &client)
{
    Pop3Account account;
    account.host = client.pop3;
    account.port = client.port;
    account.user = client.username;
    account.password = client.password;
    account.security = static_cast<Pop3Security>(qBound(0, client.verschluesselung, 2));
    return account;
}

QString mailboxKey(const Pop3Account &account)
{
    return QStringLiteral("%1@%2:%3").arg(account.user, account.host).arg(account.port);
}

MailOrder::MailOrder(InvoiceConnection &db, int mandantId)
    : m_db(db)
    , m_mandantId(mandantId)
{
}

namespace {

// How a remembered order mail is listed again.
MailOrderStatus statusOfRefusal(KnownMessage::Refusal refusal)
{
    switch (refusal) {
    case KnownMessage::Damaged:
        return MailOrderStatus::DocumentError;
    case KnownMessage::NotSigned:
        return MailOrderStatus::NotSigned;
    case KnownMessage::NotStorable:
        return MailOrderStatus::StoreError;
    case KnownMessage::NotRefused:
        break;
    }
    return MailOrderStatus::AlreadyThere;
}

} // namespace

MailImportResult MailOrder::importOrders(const MailImportObserver &observer)
{
    MailImportResult result;
    auto addRow = [&](const MailOrderRow &row) {
        result.rows << row;
        if (observer.row)
            observer.row(row);
    };
    auto report = [&](int done, int total) {
        if (observer.progress)
            observer.progress(done, total);
    };
    auto cancelRequested = [&] { return observer.cancel && observer.cancel->load(); };
    auto stopCancelled = [&] {
        result.connected = true;
        result.cancelled = true;
        result.message = QString::fromUtf16(kTextImportCancelled);
        result.messages << result.message;
        return result;
    };
    auto connectionFailed = [&](const QString &detail) {
        // A command given up at the user's wish is no connection failure.
        if (cancelRequested())
            return stopCancelled();
        result.connected = false;
        result.message = QString::fromUtf16(kTextConnectionError);
        result.detail = detail;
        result.messages << result.message;
        return result;
    };

    const auto client = ClientStore(m_db).client(m_mandantId);
    if (!client)
        return connectionFailed(QStringLiteral("Mandant %1 nicht gefunden.").arg(m_mandantId));
    // One import of the client at a time, across processes.
    TImportLock lock(m_db.location(), m_mandantId);
    QString lockError;
    switch (lock.acquire(m_lockWaitMs, observer.cancel, &lockError)) {
    case TImportLock::Outcome::Taken:
        break;
    case TImportLock::Outcome::Busy:
        if (cancelRequested())
            return stopCancelled();
        result.busy = true;
        result.connected = false;
        result.message = QString::fromUtf16(kTextImportRunning).arg(m_mandantId);
        result.messages << result.message;
        return result;
    case TImportLock::Outcome::Failed:
        result.connected = false;
        result.message = QString::fromUtf16(kTextDatabaseError);
        result.detail = lockError;
        result.messages << result.message;
        return result;
    }
    const Pop3Account account = accountOfClient(*client);
    const QString orderSecret = client->bestellgeheimnis;
    const QString mailbox = mailboxKey(account);

    Pop3Client pop3(account);
    // A cancel gives up a transfer at hand, so a slow or silent server does
    // not hold the run until its timeout.
    pop3.setAbortFlag(observer.cancel);
    const auto count = pop3.stat();
    if (!count)
        return connectionFailed(pop3.lastError());
    const auto sizes = pop3.list();
    if (!sizes)
        return connectionFailed(pop3.lastError());
    QHash<int, qint64> sizeOf;
    for (const Pop3Listing &entry : *sizes)
        sizeOf.insert(entry.number, entry.size);
    // The mailbox holds the messages LIST names. A count beyond them (a
    // broken or hostile server's STAT) would have the run plan and ask for
    // messages that are not there, by the billion.
    const int messages = std::min(*count, static_cast<int>(sizes->size()));
    // A server without UIDL is read whole every time, as before.
    const auto uids = pop3.uidl();
    if (!uids) {
        if (pop3.connectionLost() || cancelRequested())
            return connectionFailed(pop3.lastError());
        // libcurl gives the connection up after the server refused UIDL, and
        // a new connection in the middle of a run counts as broken. The run
        // goes on in a session of its own, over the same messages.
        pop3.quit();
        const auto countAgain = pop3.stat();
        const auto sizesAgain = countAgain ? pop3.list() : std::nullopt;
        if (!sizesAgain)
            return connectionFailed(pop3.lastError());
        const bool sameMailbox = *countAgain == *count && sizesAgain->size() == sizes->size()
                                 && std::equal(sizes->cbegin(), sizes->cend(), sizesAgain->cbegin(),
                                               [](const Pop3Listing &a, const Pop3Listing &b) {
                                                   return a.number == b.number && a.size == b.size;
                                               });
        if (!sameMailbox)
            return connectionFailed(
                QStringLiteral("Das Postfach hat sich während des Einlesens geändert."));
    }
    QHash<int, QString> uidOf;
    if (uids)
        for (const Pop3UniqueId &entry : *uids)
            uidOf.insert(entry.number, entry.uid);

    auto databaseFailed = [&]() {
        result.connected = false;
        result.message =
            QString::fromUtf16(m_db.lastErrorIsLock() ? kTextDatabaseLocked : kTextDatabaseError);
        result.detail = m_db.lastErrorIsLock() ? QString() : m_db.lastError();
        result.messages << result.message;
        return result;
    };
    QList<KnownMessage> knownList;
    if (uids) {
        const auto remembered = MailboxStore(m_db).knownMessages(m_mandantId, mailbox);
        if (!remembered)
            return databaseFailed();
        knownList = *remembered;
    }
    QHash<QString, KnownMessage> known;
    for (const KnownMessage &message : knownList)
        known.insert(message.uidl, message);

    // Which messages need the server: those not known, and known order mails
    // whose order was deleted from the database since (read again, as a fresh
    // run would). Known order mails still stored, and those refused before
    // (damaged, unsigned, not storable), are listed from what we know.
    QList<int> toFetch;
    for (int n = 1; n <= messages; ++n) {
        const QString uid = uidOf.value(n);
        const auto knownMessage = uid.isEmpty() ? known.constEnd() : known.constFind(uid);
        // A server may hand the id of a deleted message to a new one: a known
        // id listed with another size is read again.
        if (knownMessage == known.constEnd() || !knownMessage->sameMessage(sizeOf.value(n, -1))
            || (knownMessage->orderMail && !knownMessage->orderStored
                && knownMessage->refusal == KnownMessage::NotRefused))
            toFetch << n;
    }
    result.fetched = static_cast<int>(toFetch.size());
    report(0, messages);

    // The server is read on a thread of its own while this one reads the
    // documents and stores the orders; the database stays on this thread.
    FetchQueue queue;
    std::thread fetcher([&] {
        // A reply the server cut off by closing the connection arrives as if
        // whole; only the next command, which finds the connection gone,
        // reveals it. So each message is handed on once the command after it
        // has been sent on the same connection, the last one after a NOOP; a
        // message whose connection was found lost after it is not handed on
        // but read again by the next run.
        std::optional<FetchedMail> pending;
        for (const int n : std::as_const(toFetch)) {
            FetchedMail fetched = fetchMail(pop3, n, sizeOf.value(n, kFetchWholeUpTo + 1));
            if (!fetched.fetched) {
                // A command given up at the user's wish does not show that
                // the reply before it came whole.
                const bool aborted = cancelRequested();
                if (pending && !pop3.connectionLost() && !aborted)
                    queue.push(std::move(*pending));
                // After a failure nothing more is asked.
                queue.push(std::move(fetched));
                return;
            }
            if (pending && !queue.push(std::move(*pending)))
                return;
            pending = std::move(fetched);
        }
        if (pending) {
            // Any other failure of the NOOP comes after a whole reply.
            if (pop3.noop() || !pop3.connectionLost()) {
                queue.push(std::move(*pending));
            } else {
                FetchedMail failed;
                failed.error = pop3.lastError();
                queue.push(std::move(failed));
            }
        }
    });

    QList<KnownMessage> learned; // messages that are not order mails, stored together at the end
    QString broken;              // why the connection failed during the run
    qsizetype nextFetched = 0;
    bool databaseFailure = false; // the run stops; orders stored before stay
    bool cancelled = false;
    for (int n = 1; n <= messages && !databaseFailure; ++n) {
        if (n > 1)
            report(n - 1, messages);
        if (cancelRequested()) {
            cancelled = true;
            break;
        }
        const QString uid = uidOf.value(n);
        if (nextFetched < toFetch.size() && toFetch.at(nextFetched) == n) {
            ++nextFetched;
        } else {
            const auto knownMessage = known.constFind(uid);
            if (!knownMessage->orderMail)
                continue;
            MailOrderRow row;
            row.uidl = uid;
            row.number = n;
            row.sender = knownMessage->sender;
            row.subject = knownMessage->subject;
            row.size = sizeOf.value(n, knownMessage->size);
            row.date = knownMessage->date;
            row.status = statusOfRefusal(knownMessage->refusal);
            row.detail = knownMessage->reason;
            row.withdrawal = isWithdrawalSubject(row.subject);
            addRow(row);
            continue;
        }

        const FetchedMail fetched = queue.pop();
        if (!fetched.fetched && cancelRequested()) {
            cancelled = true; // the transfer was given up at the user's wish
            break;
        }
        if (!fetched.fetched) {
            // The run ends here; what was stored stays, the rest is read next time.
            broken = fetched.error.isEmpty() ? QStringLiteral("Die Verbindung ist abgebrochen.")
                                             : fetched.error;
            break;
        }
        if (!fetched.orderMail) {
            if (!uid.isEmpty()) {
                KnownMessage message;
                message.uidl = uid;
                message.orderMail = false;
                message.size = sizeOf.value(n, fetched.size);
                learned << message;
            }
            continue;
        }
        const MailMessage &mail = fetched.mail;

        MailOrderRow row;
        row.uidl = uid;
        row.number = n;
        row.sender = mail.sender;
        row.subject = mail.subject;
        row.size = sizeOf.value(n, fetched.size);
        row.date = mail.date.toUTC();
        row.withdrawal = isWithdrawalSubject(mail.subject);

        KnownMessage message;
        message.uidl = uid;
        message.orderMail = true;
        message.sender = row.sender;
        message.subject = row.subject;
        message.size = row.size;
        message.date = row.date;

        // A mail refused as it is stays refused: remembered with its reason,
        // it is listed again by later runs but not fetched again.
        const auto refuse = [&](KnownMessage::Refusal why) {
            if (uid.isEmpty())
                return;
            message.refusal = why;
            message.reason = row.detail;
            learned << message;
        };

        if (fetched.tooLarge) {
            row.status = MailOrderStatus::DocumentError;
            row.detail =
                QStringLiteral("Die Bestellmail ist mit %1 Bytes zu groß.").arg(fetched.size);
            result.messages << QString::fromUtf16(kTextXmlError);
            refuse(KnownMessage::Damaged);
            addRow(row);
            continue;
        }

        // With an order secret only signed order mails count; the check comes
        // before the document is read at all.
        if (!orderSecret.isEmpty()
            && !orderSignatureValid(mail.body, mail.signature, orderSecret)) {
            row.status = MailOrderStatus::NotSigned;
            row.detail = mail.signature.isEmpty()
                             ? QStringLiteral("Die E-Mail trägt keine Signatur.")
                             : QStringLiteral("Die Signatur der E-Mail stimmt nicht.");
            refuse(KnownMessage::NotSigned);
            addRow(row);
            continue;
        }

        if (row.withdrawal) {
            if (!importWithdrawal(mail.body, &row, &message, &result.messages, &learned, uid))
                databaseFailure = true;
            addRow(row);
            continue;
        }

        // An order already stored is reported as such even when the rest of its
        // document is damaged; only the identifier is needed for that.
        QString error;
        OrderDocument document;
        const bool complete = readOrderDocument(mail.body, &document, &error);
        const QString uuid = document.order.uuid;
        if (uuid.isEmpty()) {
            row.status = MailOrderStatus::DocumentError;
            row.detail = error;
            result.messages << QString::fromUtf16(kTextXmlError);
            refuse(KnownMessage::Damaged);
        } else if (message.uuid = uuid; !complete) {
            // An order already stored is reported as such even when the rest of
            // its document is damaged.
            const int stored = MailboxStore(m_db).countOrdersWithUuid(uuid);
            if (stored < 0) {
                row.status = MailOrderStatus::StoreError;
                row.detail = m_db.lastError();
                databaseFailure = true;
            } else if (stored > 0) {
                row.status = MailOrderStatus::AlreadyThere;
                if (!uid.isEmpty())
                    learned << message;
            } else {
                row.status = MailOrderStatus::DocumentError;
                row.detail = error;
                result.messages << QString::fromUtf16(kTextXmlError);
                refuse(KnownMessage::Damaged);
            }
        } else {
            // Whether the order is there is decided under the write lock.
            const MailOrderStore store =
                MailboxStore(m_db).storeMailOrder(document.order, document.lines, m_mandantId,
                                                  mailbox, uid.isEmpty() ? nullptr : &message);
            if (store.outcome == MailOrderStore::Stored) {
                row.status = MailOrderStatus::Inserted;
            } else if (store.outcome == MailOrderStore::AlreadyThere) {
                row.status = MailOrderStatus::AlreadyThere;
            } else if (store.outcome == MailOrderStore::Refused) {
                row.status = MailOrderStatus::StoreError; // this order only; the run goes on
                row.detail = m_db.lastError();
                result.messages << QString::fromUtf16(kTextStoreError);
                refuse(KnownMessage::NotStorable);
            } else {
                // Nothing of the order was stored; the next run tries again.
                row.status = MailOrderStatus::StoreError;
                row.detail = m_db.lastError();
                result.messages << QString::fromUtf16(kTextStoreError);
                databaseFailure = true;
            }
        }
        addRow(row);
    }
    if (!cancelled && !databaseFailure && broken.isEmpty())
        report(messages, messages);
    queue.cancel();
    fetcher.join();
    pop3.quit();

    if (databaseFailure)
        return databaseFailed();
    // What was learned is true even when the connection broke afterwards.
    if (!MailboxStore(m_db).rememberMessages(m_mandantId, mailbox, learned))
        return databaseFailed();
    if (uids) {
        QStringList present;
        for (const Pop3UniqueId &entry : *uids)
            present << entry.uid;
        if (!MailboxStore(m_db).forgetMessagesExcept(m_mandantId, mailbox, knownList, present))
            return databaseFailed();
    }
    if (!broken.isEmpty())
        return connectionFailed(broken);
    if (cancelled)
        return stopCancelled(); // the messages not read yet are read by the next run

    result.connected = true;
    result.ok = true;
    result.message = QString::fromUtf16(kTextSuccess);
    result.messages << result.message;
    return result;
}

bool MailOrder::importWithdrawal(const QByteArray &body, MailOrderRow *row, KnownMessage *message,
                                 QStringList *messages, QList<KnownMessage> *learned,
                                 const QString &uid)
{
    TWiderruf withdrawal;
    QString error;
    if (!readWithdrawalDocument(body, &withdrawal, &error)) {
        row->status = MailOrderStatus::DocumentError;
        row->detail = error;
        *messages << QString::fromUtf16(kTextXmlError);
        if (!uid.isEmpty()) {
            message->refusal = KnownMessage::Damaged;
            message->reason = error;
            *learned << *message;
        }
        return true;
    }
    message->uuid = withdrawal.uuid;
    const WithdrawalStoreResult stored =
        WithdrawalStore(m_db).storeWithdrawal(withdrawal, m_mandantId);
    row->withdrawnOrderId = stored.bestellungId;
    switch (stored.outcome) {
    case WithdrawalStoreResult::Matched:
        row->status = MailOrderStatus::WithdrawalMatched;
        break;
    case WithdrawalStoreResult::Unmatched:
        row->status = MailOrderStatus::WithdrawalUnmatched;
        break;
    case WithdrawalStoreResult::AlreadyThere:
        row->status = MailOrderStatus::AlreadyThere;
        break;
    case WithdrawalStoreResult::Refused:
        row->status = MailOrderStatus::StoreError;
        row->detail = m_db.lastError();
        *messages << QString::fromUtf16(kTextStoreError);
        if (!uid.isEmpty()) {
            message->refusal = KnownMessage::NotStorable;
            message->reason = row->detail;
            *learned << *message;
        }
        return true;
    case WithdrawalStoreResult::Failed:
        row->status = MailOrderStatus::StoreError;
        row->detail = m_db.lastError();
        *messages << QString::fromUtf16(kTextStoreError);
        return false;
    }
    if (!uid.isEmpty())
        *learned << *message;
    return true;
}

bool MailOrder::deleteMail(const MailOrderRow &row, QString *message, QString *detail)
{
    return deleteMails({row}, message, detail);
}

bool MailOrder::deleteMails(const QList<MailOrderRow> &rows, QString *message, QString *detail)
{
    auto failed = [&](const QString &why) {
        if (message)
            *message = QString::fromUtf16(kTextDeleteError);
        if (detail)
            *detail = why;
        return false;
    };
    const auto client = ClientStore(m_db).client(m_mandantId);
    if (!client)
        return failed(QStringLiteral("Mandant %1 nicht gefunden.").arg(m_mandantId));
    Pop3Client pop3(accountOfClient(*client));
    if (!pop3.stat())
        return failed(pop3.lastError());
    // Every message is found before the first is marked.
    std::optional<QList<Pop3UniqueId>> uids;
    QList<int> numbers;
    for (const MailOrderRow &row : rows) {
        int number = row.number;
        if (!row.uidl.isEmpty()) {
            // The number the row was listed with may name another message now.
            if (!uids && !(uids = pop3.uidl()))
                return failed(pop3.lastError());
            number = 0;
            for (const Pop3UniqueId &entry : *uids)
                if (entry.uid == row.uidl)
                    number = entry.number;
            if (number == 0)
                return failed(QStringLiteral("Die Nachricht ist nicht mehr auf dem Server."));
        } else {
            // Without unique ids the number is all the row has; once a message
            // before it was deleted elsewhere, it names the next one. Its header
            // must still be the listed mail's.
            const auto header = pop3.top(number, 0);
            MailMessage mail;
            if (!header)
                return failed(pop3.lastError());
            if (!readMailMessage(*header, &mail, nullptr) || mail.sender != row.sender
                || mail.subject != row.subject || mail.date.toUTC() != row.date)
                return failed(
                    QStringLiteral("Die Nachricht %1 ist nicht mehr die gelistete E-Mail; "
                                   "bitte lesen Sie die E-Mails erneut ein.")
                        .arg(number));
        }
        if (!numbers.contains(number))
            numbers << number;
    }
    for (const int number : std::as_const(numbers)) {
        if (!pop3.dele(number)) {
            const QString why = pop3.lastError();
            // All or none: the marks made so far are taken back.
            if (!pop3.connectionLost())
                pop3.rset();
            return failed(why);
        }
    }
    // The server deletes the messages only when it has confirmed the logout;
    // a connection lost before that leaves them in the mailbox.
    if (!pop3.quit())
        return failed(pop3.lastError());
    return true;
}

} // namespace vq::invoice
