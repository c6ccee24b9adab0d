// Real servers for the invoice tests, started on 127.0.0.1 on a free high port
// and stopped by their destructor: a throwaway PostgreSQL cluster and a Dovecot
// POP3 server with maildir mailboxes. As root both run as unprivileged users.
#pragma once

#include "invoice/db/invoice_connection.h"
#include "invoice/records/invoice_records.h"
#include "tests/support/print_qstring.h"

#include "tests/support/local_server.h"
#include <QByteArray>
#include <QProcess>
#include <QSqlDatabase>

#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace vq::test {

class PostgresServer
{
public:
    PostgresServer() = default;
    ~PostgresServer();
    bool start(QString *error);
    void stop();
    // A fresh, empty database on the server.
    std::optional<vq::invoice::DatabaseLocation> createDatabase(QString *error);

private:
    bool run(const QStringList &command, QString *output);
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_dataDir;
    QProcess m_server;
    int m_port = 0;
    int m_databases = 0;
};

class DovecotServer
{
public:
    DovecotServer() = default;
    ~DovecotServer();
    // Starts with the users and passwords given as "user:password".
    // With tls, a self-signed certificate is made, STLS is offered on port()
    // and POP3S listens on tlsPort().
    bool start(const QStringList &users, QString *error, bool tls = false);
    void stop();
    int port() const { return m_port; }
    int tlsPort() const { return m_tlsPort; }
    // The server's unique ids (pop3_uidl_format); set before start(). "%f",
    // the maildir file name, lets a test hand an old id to a new message.
    void setUidlFormat(const QString &format) { m_uidlFormat = format; }
    // Puts a message into the user's mailbox; messages keep the order they were
    // added in. Returns the message's file name (without flags).
    QString addMessage(const QString &user, const QByteArray &message);
    // Puts a message into the mailbox under a file name of its own choosing.
    void addMessageNamed(const QString &user, const QString &name, const QByteArray &message);
    // Files of the user's mailbox (new and cur).
    int messageCount(const QString &user) const;
    // The user's maildir (with tmp, new and cur), for a delivery agent of the
    // test's own; files put there must belong to the owner of the folder.
    QString maildir(const QString &user) const;
    QString log() const;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QProcess m_process;
    int m_port = 0;
    int m_tlsPort = 0;
    int m_sequence = 0;
    QString m_uidlFormat = QStringLiteral("%08Xu%08Xv");
    unsigned m_uid = 0, m_gid = 0;
};

} // namespace vq::test

namespace vq::test {

// Opens an empty invoice database: a copy of the built template for SQLite
// (in folder), a new database on a PostgreSQL server shared by the tests of
// this process for PostgreSQL.
bool openTestDatabase(vq::invoice::InvoiceConnection &db, vq::invoice::SqlDialect dialect,
                      const QString &folder, QString *error);
// Where openTestDatabase would open: a file name in folder that does not exist
// yet (SQLite), a new, empty database on the shared server (PostgreSQL).
std::optional<vq::invoice::DatabaseLocation>
emptyTestDatabase(vq::invoice::SqlDialect dialect, const QString &folder, QString *error);
// Opens that location as the program does (SQLite: copied from the built template when missing).
bool openTestLocation(vq::invoice::InvoiceConnection &db,
                      const vq::invoice::DatabaseLocation &location, QString *error);
QString databaseUrl(const vq::invoice::DatabaseLocation &location);
// A plain Qt connection named name to that location, without the module's
// schema handling, for preparing databases as other versions left them.
// Remove it with QSqlDatabase::removeDatabase(name) when done.
QSqlDatabase openPlainConnection(const vq::invoice::DatabaseLocation &location, const QString &name,
                                 QString *error);
bool execAll(QSqlDatabase db, const QStringList &statements, QString *error);
// The location a second connection to the last opened test database would use.
QString lastTestDatabaseUrl();
// A new client whose mailbox is the user (password "geheim") of that Dovecot.
vq::invoice::TMandant mailboxClient(const DovecotServer &dovecot,
                                    const QString &user = QStringLiteral("shop"));
// Stops the shared PostgreSQL server; call from TearDownTestSuite.
void stopSharedPostgres();

inline const char *dialectName(vq::invoice::SqlDialect dialect)
{
    return dialect == vq::invoice::SqlDialect::SQLite ? "SQLite" : "PostgreSQL";
}

} // namespace vq::test

#include <ostream>

namespace vq::invoice {
// Test names show the back end by name.
inline void PrintTo(SqlDialect dialect, std::ostream *os)
{
    *os << vq::test::dialectName(dialect);
}
} // namespace vq::invoice
