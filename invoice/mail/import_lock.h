// One import of a client's mailbox at a time, across processes: the timer's
// run, a cron job and the window's "Bestellungen einlesen" never read the same
// mailbox over each other.
//
// A SQLite database is a file on this machine: an advisory lock (flock) on
// the file "<database>.import-<client>.lock" beside it covers every process
// that uses that file. A PostgreSQL database is shared by several machines: a
// session advisory lock on the server (pg_try_advisory_lock) covers every seat.
// Both ends with the process that holds it, so a crashed run leaves no lock behind.
#pragma once

#include "invoice/db/invoice_connection.h"

#include <QString>
#include <atomic>
#include <memory>

namespace vq::invoice {

// The run that found the lock taken; %1 is the client's number.
inline constexpr char16_t kTextImportRunning[] =
    u"Die Bestellungen des Mandanten %1 werden gerade von einem anderen Programm eingelesen "
    u"(Zeitplan oder Fenster). Dieser Lauf liest nichts ein; der nächste liest weiter.";

class TImportLock
{
public:
    TImportLock(DatabaseLocation location, int mandantId);
    ~TImportLock();
    TImportLock(const TImportLock &) = delete;
    TImportLock &operator=(const TImportLock &) = delete;

    enum class Outcome { Taken, Busy, Failed };
    // Takes the lock, trying again until waitMs have passed (0: once) or
    // *cancel is set. Failed: the lock file or the server cannot be reached
    // (*error says why).
    Outcome acquire(int waitMs, const std::atomic_bool *cancel, QString *error);
    void release();

    // The lock file of a SQLite database for a client.
    static QString lockFile(const QString &databaseFile, int mandantId);

private:
    Outcome tryOnce(QString *error);

    DatabaseLocation m_location;
    int m_mandantId;
    int m_fd = -1;                               // SQLite: the locked file
    std::unique_ptr<InvoiceConnection> m_server; // PostgreSQL: the session that holds the lock
    bool m_held = false;
};

} // namespace vq::invoice
