#include "invoice/db/audit_trail.h"
#include "invoice/db/sql_values.h"

#include <QCryptographicHash>
#include <QDateTime>

#include <pwd.h>
#include <unistd.h>

namespace vq::invoice {

using namespace dbdetail;

namespace {

// Every field with its length in front, so that no two entries share a text.
void addField(QByteArray &text, const QString &value)
{
    const QByteArray bytes = value.toUtf8();
    text += QByteArray::number(bytes.size());
    text += ':';
    text += bytes;
    text += ';';
}

QString optionalText(const std::optional<int> &value)
{
    return value ? QString::number(*value) : QString();
}

AuditEntry readEntry(const QSqlQuery &q)
{
    AuditEntry e;
    e.id = col(q, "Protokoll_ID").toLongLong();
    e.zeit = col(q, "Protokoll_Zeit").toString();
    e.systemUser = col(q, "Protokoll_Systembenutzer").toString();
    e.databaseUser = col(q, "Protokoll_Datenbankbenutzer").toString();
    e.mandantId = optionalInt(col(q, "Protokoll_MandantID"));
    e.bestellungId = optionalInt(col(q, "Protokoll_BestellungID"));
    e.aktion = col(q, "Protokoll_Aktion").toString();
    e.feld = col(q, "Protokoll_Feld").toString();
    e.alt = col(q, "Protokoll_Alt").toString();
    e.neu = col(q, "Protokoll_Neu").toString();
    e.vorgaenger = col(q, "Protokoll_Vorgaenger").toString();
    e.hash = col(q, "Protokoll_Hash").toString();
    return e;
}

} // namespace

QString sha256Hex(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QString auditEntryHash(const AuditEntry &e)
{
    QByteArray text;
    for (const QString &field :
         {QString::number(e.id), e.zeit, e.systemUser, e.databaseUser, optionalText(e.mandantId),
          optionalText(e.bestellungId), e.aktion, e.feld, e.alt, e.neu, e.vorgaenger})
        addField(text, field);
    return sha256Hex(text);
}

QString systemUserName()
{
    if (const passwd *entry = getpwuid(geteuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return QString::number(geteuid());
}

QString AuditTrail::databaseUser()
{
    if (!m_databaseUser) {
        if (m_db.dialect() == SqlDialect::SQLite)
            m_databaseUser = QString();
        else if (const auto user =
                     m_db.row(QStringLiteral("SELECT current_user AS Benutzer"), {},
                              [](const QSqlQuery &q) { return q.value(0).toString(); }))
            m_databaseUser = *user;
        else
            return QString();
    }
    return *m_databaseUser;
}

bool AuditTrail::append(const QString &aktion, std::optional<int> mandantId,
                        std::optional<int> bestellungId, const QString &feld, const QString &alt,
                        const QString &neu)
{
    if (!m_db.begin(InvoiceConnection::WriteLock::AtStart))
        return false;
    const auto failed = [this] { return m_db.rollbackKeepingError(); };
    // PostgreSQL: one writer of the trail at a time, readers go on.
    if (m_db.dialect() == SqlDialect::PostgreSQL
        && !m_db.exec(QStringLiteral("LOCK TABLE Protokoll IN SHARE ROW EXCLUSIVE MODE")))
        return failed();
    const auto last = m_db.row(
        QStringLiteral("SELECT Protokoll_ID, Protokoll_Hash FROM Protokoll ORDER BY Protokoll_ID "
                       "DESC LIMIT 1"),
        {}, [](const QSqlQuery &q) {
            return std::pair<qint64, QString>(q.value(0).toLongLong(), q.value(1).toString());
        });
    if (!last && !m_db.lastError().isEmpty())
        return failed();
    AuditEntry e;
    // The key is chosen here, not by the database, so that it is part of the
    // hash: an entry moved to another place breaks the chain.
    e.id = last ? last->first + 1 : 1;
    e.vorgaenger = last ? last->second : QString(64, u'0');
    e.zeit = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    e.systemUser = systemUserName();
    e.databaseUser = databaseUser();
    e.mandantId = mandantId;
    e.bestellungId = bestellungId;
    e.aktion = aktion;
    e.feld = feld;
    e.alt = alt;
    e.neu = neu;
    e.hash = auditEntryHash(e);
    if (!m_db.exec(QStringLiteral("INSERT INTO Protokoll (Protokoll_ID, Protokoll_Zeit, "
                                  "Protokoll_Systembenutzer, Protokoll_Datenbankbenutzer, "
                                  "Protokoll_MandantID, Protokoll_BestellungID, Protokoll_Aktion, "
                                  "Protokoll_Feld, Protokoll_Alt, Protokoll_Neu, "
                                  "Protokoll_Vorgaenger, Protokoll_Hash) VALUES (?, ?, ?, ?, ?, "
                                  "?, ?, ?, ?, ?, ?, ?)"),
                   {e.id, e.zeit, e.systemUser, e.databaseUser, nullable(e.mandantId),
                    nullable(e.bestellungId), e.aktion, notNull(e.feld), notNull(e.alt),
                    notNull(e.neu), e.vorgaenger, e.hash}))
        return failed();
    return m_db.commit() || failed();
}

std::optional<QList<AuditEntry>> AuditTrail::entries()
{
    return m_db.rows(QStringLiteral("SELECT * FROM Protokoll ORDER BY Protokoll_ID"), {},
                     readEntry);
}

std::optional<QList<AuditEntry>> AuditTrail::entriesOfOrder(int bestellungId)
{
    return m_db.rows(QStringLiteral("SELECT * FROM Protokoll WHERE Protokoll_BestellungID = ? "
                                    "ORDER BY Protokoll_ID"),
                     {bestellungId}, readEntry);
}

} // namespace vq::invoice
