#include "uMailOrder.h"

#include "mail_message.h"
#include "order_document.h"

#include <QHash>
#include <QLocale>

namespace vq::invoice {

namespace {

// Messages up to this size are fetched whole without asking for the header first.
constexpr qint64 kFetchWholeUpTo = 64 * 1024;

// The marker word, in exactly this case, anywhere in the subject.
bool isOrderSubject(const QString &subject)
{
    return subject.contains(QStringLiteral("VQBESTMAIL"), Qt::CaseSensitive);
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
    return header.contains("VQBESTMAIL") || header.contains("=?");
}

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
    }
    return {};
}

QString MailOrderRow::sizeText() const
{
    return QStringLiteral("%1 kb").arg(size / 1024);
}

QString MailOrderRow::dateText() const
{
    return date.isValid() ? QLocale().toString(date.toLocalTime().date(), QLocale::ShortFormat) : QString();
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

TMailOrder::TMailOrder(TInvoiceDatabase &db, int mandantId)
    : m_db(db)
    , m_mandantId(mandantId)
{
}

MailImportResult TMailOrder::importOrders()
{
    MailImportResult result;
    auto connectionFailed = [&](const QString &detail) {
        result.connected = false;
        result.message = QString::fromUtf16(kTextConnectionError);
        result.detail = detail;
        result.messages << result.message;
        return result;
    };

    const auto client = m_db.client(m_mandantId);
    if (!client)
        return connectionFailed(QStringLiteral("Mandant %1 nicht gefunden.").arg(m_mandantId));
    const Pop3Account account = accountOfClient(*client);
    const QString mailbox = mailboxKey(account);

    TPop3Client pop3(account);
    const auto count = pop3.stat();
    if (!count)
        return connectionFailed(pop3.lastError());
    const auto sizes = pop3.list();
    if (!sizes)
        return connectionFailed(pop3.lastError());
    QHash<int, qint64> sizeOf;
    for (const Pop3Listing &entry : *sizes)
        sizeOf.insert(entry.number, entry.size);
    // A server without UIDL is read whole every time, as before.
    const auto uids = pop3.uidl();
    QHash<int, QString> uidOf;
    if (uids)
        for (const Pop3UniqueId &entry : *uids)
            uidOf.insert(entry.number, entry.uid);

    const QList<KnownMessage> knownList = uids ? m_db.knownMessages(m_mandantId, mailbox) : QList<KnownMessage>();
    QHash<QString, KnownMessage> known;
    for (const KnownMessage &message : knownList)
        known.insert(message.uidl, message);

    QList<KnownMessage> learned; // messages that are not order mails, stored together at the end
    for (int n = 1; n <= *count; ++n) {
        const QString uid = uidOf.value(n);
        const auto knownMessage = uid.isEmpty() ? known.end() : known.find(uid);
        if (knownMessage != known.end()) {
            if (!knownMessage->orderMail)
                continue;
            // Still stored: list it from what we know. Deleted from the
            // database since: read it again, as a fresh run would.
            if (knownMessage->orderStored) {
                MailOrderRow row;
                row.uidl = uid;
                row.number = n;
                row.sender = knownMessage->sender;
                row.subject = knownMessage->subject;
                row.size = sizeOf.value(n, knownMessage->size);
                row.date = knownMessage->date;
                row.status = MailOrderStatus::AlreadyThere;
                result.rows << row;
                continue;
            }
        }

        // A small message is fetched whole at once, one request like its
        // header alone. Of a large one the header tells first whether it is an
        // order mail; order mails are small, attachments never fetched for nothing.
        ++result.fetched;
        const bool small = sizeOf.value(n, kFetchWholeUpTo + 1) <= kFetchWholeUpTo;
        std::optional<QByteArray> whole;
        TMailMessage mail;
        const auto fetched = small ? pop3.retr(n) : pop3.top(n, 0);
        if (!fetched)
            continue; // a single mail that cannot be fetched is passed over
        if (small)
            whole = fetched;
        if (!mayBeOrderMail(*fetched) || !readMailMessage(*fetched, &mail, nullptr)
            || !isOrderSubject(mail.subject)) {
            if (!uid.isEmpty()) {
                KnownMessage message;
                message.uidl = uid;
                message.orderMail = false;
                learned << message;
            }
            continue;
        }
        if (!small) {
            whole = pop3.retr(n);
            if (!whole || !readMailMessage(*whole, &mail, nullptr))
                continue;
        }

        MailOrderRow row;
        row.uidl = uid;
        row.number = n;
        row.sender = mail.sender;
        row.subject = mail.subject;
        row.size = sizeOf.value(n, whole->size());
        row.date = mail.date.toUTC();

        KnownMessage message;
        message.uidl = uid;
        message.orderMail = true;
        message.sender = row.sender;
        message.subject = row.subject;
        message.size = row.size;
        message.date = row.date;

        // An order already stored is reported as such even when the rest of its
        // document is damaged; only the identifier is needed for that.
        QString error;
        TOrderDocument document;
        const bool complete = readOrderDocument(mail.body, &document, &error);
        QString uuid = document.order.uuid;
        if (!complete && !readOrderUuid(mail.body, &uuid, &error)) {
            row.status = MailOrderStatus::DocumentError;
            row.detail = error;
            result.messages << QString::fromUtf16(kTextXmlError);
        } else if (message.uuid = uuid; m_db.countOrdersWithUuid(uuid) > 0) {
            row.status = MailOrderStatus::AlreadyThere;
            if (!uid.isEmpty())
                learned << message;
        } else if (!complete) {
            row.status = MailOrderStatus::DocumentError;
            row.detail = error;
            result.messages << QString::fromUtf16(kTextXmlError);
        } else if (!m_db.storeMailOrder(document.order, document.lines, m_mandantId, mailbox,
                                        uid.isEmpty() ? nullptr : &message)) {
            // Nothing of the order was stored; the next run tries again.
            row.status = MailOrderStatus::StoreError;
            row.detail = m_db.lastError();
            result.messages << QString::fromUtf16(kTextStoreError);
        } else {
            row.status = MailOrderStatus::Inserted;
        }
        result.rows << row;
    }
    pop3.quit();

    m_db.rememberMessages(m_mandantId, mailbox, learned);
    if (uids) {
        QStringList present;
        for (const Pop3UniqueId &entry : *uids)
            present << entry.uid;
        m_db.forgetMessagesExcept(m_mandantId, mailbox, knownList, present);
    }

    result.connected = true;
    result.message = QString::fromUtf16(kTextSuccess);
    result.messages << result.message;
    return result;
}

bool TMailOrder::deleteMail(const MailOrderRow &row, QString *message, QString *detail)
{
    auto failed = [&](const QString &why) {
        if (message)
            *message = QString::fromUtf16(kTextDeleteError);
        if (detail)
            *detail = why;
        return false;
    };
    const auto client = m_db.client(m_mandantId);
    if (!client)
        return failed(QStringLiteral("Mandant %1 nicht gefunden.").arg(m_mandantId));
    TPop3Client pop3(accountOfClient(*client));
    if (!pop3.stat())
        return failed(pop3.lastError());
    int number = row.number;
    if (!row.uidl.isEmpty()) {
        // The number the row was listed with may name another message now.
        const auto uids = pop3.uidl();
        if (!uids)
            return failed(pop3.lastError());
        number = 0;
        for (const Pop3UniqueId &entry : *uids)
            if (entry.uid == row.uidl)
                number = entry.number;
        if (number == 0)
            return failed(QStringLiteral("Die Nachricht ist nicht mehr auf dem Server."));
    }
    if (!pop3.dele(number))
        return failed(pop3.lastError());
    pop3.quit();
    return true;
}

} // namespace vq::invoice
