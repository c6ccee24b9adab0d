#include "invoice/mail/import_lock.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vq::invoice {

namespace {

// First key of the PostgreSQL advisory lock; the second is the client's number.
constexpr int kImportLockClass = 0x5651'494D; // "VQIM"
constexpr int kRetryMs = 200;

} // namespace

TImportLock::TImportLock(DatabaseLocation location, int mandantId)
    : m_location(std::move(location))
    , m_mandantId(mandantId)
{
}

TImportLock::~TImportLock()
{
    release();
}

QString TImportLock::lockFile(const QString &databaseFile, int mandantId)
{
    return QStringLiteral("%1.import-%2.lock").arg(databaseFile).arg(mandantId);
}

TImportLock::Outcome TImportLock::acquire(int waitMs, const std::atomic_bool *cancel,
                                          QString *error)
{
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        const Outcome outcome = tryOnce(error);
        if (outcome != Outcome::Busy || deadline.hasExpired() || (cancel && cancel->load()))
            return outcome;
        QThread::msleep(std::min<qint64>(kRetryMs, std::max<qint64>(1, deadline.remainingTime())));
    }
}

TImportLock::Outcome TImportLock::tryOnce(QString *error)
{
    if (m_held)
        return Outcome::Taken;
    if (m_location.dialect == SqlDialect::SQLite) {
        if (m_fd < 0) {
            const QByteArray path = QFile::encodeName(lockFile(m_location.file, m_mandantId));
            m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
            if (m_fd < 0) {
                *error =
                    QStringLiteral("Die Sperrdatei \"%1\" kann nicht angelegt werden: %2")
                        .arg(QFile::decodeName(path), QString::fromLocal8Bit(std::strerror(errno)));
                return Outcome::Failed;
            }
        }
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
            m_held = true;
            return Outcome::Taken;
        }
        if (errno == EWOULDBLOCK || errno == EINTR)
            return Outcome::Busy;
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return Outcome::Failed;
    }

    if (!m_server) {
        m_server = std::make_unique<InvoiceConnection>();
        if (!m_server->openLocation(m_location, error)) {
            m_server.reset();
            return Outcome::Failed;
        }
    }
    QSqlQuery query(m_server->connection());
    query.prepare(QStringLiteral("SELECT pg_try_advisory_lock(?, ?)"));
    query.addBindValue(kImportLockClass);
    query.addBindValue(m_mandantId);
    if (!query.exec() || !query.next()) {
        *error = query.lastError().text();
        return Outcome::Failed;
    }
    m_held = query.value(0).toBool();
    return m_held ? Outcome::Taken : Outcome::Busy;
}

void TImportLock::release()
{
    if (m_fd >= 0) {
        // Closing the file ends the lock; the file stays for the next run.
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_server) {
        if (m_held) {
            QSqlQuery query(m_server->connection());
            query.prepare(QStringLiteral("SELECT pg_advisory_unlock(?, ?)"));
            query.addBindValue(kImportLockClass);
            query.addBindValue(m_mandantId);
            query.exec();
        }
        // Ending the session ends the lock in any case.
        m_server.reset();
    }
    m_held = false;
}

} // namespace vq::invoice
