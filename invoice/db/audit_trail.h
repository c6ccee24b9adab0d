// The audit trail of issued invoices: an append-only log of every issue,
// cancellation, change to an issued order's editable data and refused change
// or deletion, with when, who (the system user and, on PostgreSQL, the
// database user), what, and the old and new value. Each entry carries the
// SHA-256 of its content and of the entry before, so that an entry changed,
// removed or slipped in behind the program's back breaks the chain.
#pragma once

#include "invoice/db/invoice_connection.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace vq::invoice {

// What the trail records.
inline constexpr char16_t kAuditIssued[] = u"Rechnung ausgestellt";
inline constexpr char16_t kAuditArchived[] = u"Dokument archiviert";
inline constexpr char16_t kAuditCancelled[] = u"Rechnung storniert";
inline constexpr char16_t kAuditChanged[] = u"Änderung";
inline constexpr char16_t kAuditRefused[] = u"Abgelehnt";
inline constexpr char16_t kAuditDeleted[] = u"Gelöscht nach Aufbewahrungsfrist";

struct AuditEntry
{
    qint64 id = 0;
    QString zeit; // UTC, ISO 8601 with milliseconds
    QString systemUser, databaseUser;
    std::optional<int> mandantId, bestellungId;
    QString aktion, feld, alt, neu;
    QString vorgaenger, hash; // hex SHA-256
};

// The hash an entry carries: of its content and its predecessor's hash.
QString auditEntryHash(const AuditEntry &entry);
// SHA-256 in lower-case hex.
QString sha256Hex(const QByteArray &bytes);

class AuditTrail
{
public:
    explicit AuditTrail(InvoiceConnection &db)
        : m_db(db)
    {
    }

    // Appends one entry after the last one; inside the caller's transaction
    // when there is one (it becomes part of that work), else in its own. The
    // trail is locked against other writers until that transaction ends, so
    // two seats never chain to the same predecessor.
    bool append(const QString &aktion, std::optional<int> mandantId,
                std::optional<int> bestellungId, const QString &feld = QString(),
                const QString &alt = QString(), const QString &neu = QString());

    std::optional<QList<AuditEntry>> entries();
    std::optional<QList<AuditEntry>> entriesOfOrder(int bestellungId);

private:
    QString databaseUser();

    InvoiceConnection &m_db;
    std::optional<QString> m_databaseUser;
};

// The system user the program runs as.
QString systemUserName();

} // namespace vq::invoice
