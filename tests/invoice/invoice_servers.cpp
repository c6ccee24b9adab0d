#include "tests/invoice/invoice_servers.h"
#include "invoice/db/clients.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <arpa/inet.h>
#include <csignal>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vq::test {

namespace {

const QString kPostgresBin = QStringLiteral("/usr/lib/postgresql/15/bin/");

bool isRoot()
{
    return geteuid() == 0;
}

void chownTree(const QString &path, uid_t uid, gid_t gid)
{
    if (::chown(QFile::encodeName(path).constData(), uid, gid) != 0)
        return;
    const QDir dir(path);
    for (const QString &entry :
         dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        chownTree(dir.filePath(entry), uid, gid);
}

// A server started by a test ends with the test process, even when that crashes.
void endWithParent()
{
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
}

void writeText(const QString &path, const QString &text)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text.toUtf8());
}

} // namespace

// PostgreSQL ------------------------------------------------------------------

PostgresServer::~PostgresServer()
{
    stop();
}

bool PostgresServer::run(const QStringList &command, QString *output)
{
    QProcess process;
    QStringList arguments = command;
    QString program = arguments.takeFirst();
    if (isRoot()) {
        // PostgreSQL refuses to run as root.
        arguments =
            QStringList{QStringLiteral("--reuid=postgres"), QStringLiteral("--regid=postgres"),
                        QStringLiteral("--init-groups"), program}
            + arguments;
        program = QStringLiteral("setpriv");
    }
    process.setWorkingDirectory(m_dir->path());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(60000);
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool PostgresServer::start(QString *error)
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_dataDir = m_dir->filePath(QStringLiteral("cluster"));
    if (isRoot()) {
        const passwd *user = getpwnam("postgres");
        if (!user) {
            *error = QStringLiteral("user postgres is missing");
            return false;
        }
        chownTree(m_dir->path(), user->pw_uid, user->pw_gid);
    }
    QString output;
    if (!run({kPostgresBin + QStringLiteral("initdb"), QStringLiteral("-D"), m_dataDir,
              QStringLiteral("-U"), QStringLiteral("vq"), QStringLiteral("--auth=trust"),
              QStringLiteral("--no-sync"), QStringLiteral("-E"), QStringLiteral("UTF8"),
              QStringLiteral("--locale=C")},
             &output)) {
        *error = QStringLiteral("initdb failed: ") + output;
        return false;
    }
    m_port = freeLocalPort();
    // The server runs as our child (not daemonised by pg_ctl), so it ends with the test.
    QStringList arguments{
        QStringLiteral("-D"), m_dataDir,
        QStringLiteral("-p"), QString::number(m_port),
        QStringLiteral("-c"), QStringLiteral("listen_addresses=127.0.0.1"),
        QStringLiteral("-c"), QStringLiteral("unix_socket_directories=") + m_dir->path(),
        QStringLiteral("-c"), QStringLiteral("fsync=off"),
        QStringLiteral("-c"), QStringLiteral("full_page_writes=off"),
        QStringLiteral("-c"), QStringLiteral("synchronous_commit=off")};
    QString program = kPostgresBin + QStringLiteral("postgres");
    if (isRoot()) {
        // setpriv changes the user, which clears a death signal set before; it sets its own after.
        arguments = QStringList{QStringLiteral("--reuid=postgres"),
                                QStringLiteral("--regid=postgres"), QStringLiteral("--init-groups"),
                                QStringLiteral("--pdeathsig=TERM"), program}
                    + arguments;
        program = QStringLiteral("setpriv");
    } else {
        m_server.setChildProcessModifier(endWithParent);
    }
    m_server.setWorkingDirectory(m_dir->path());
    m_server.setProcessChannelMode(QProcess::MergedChannels);
    m_server.start(program, arguments);
    bool ready = m_server.waitForStarted(10000) && waitForPort(m_port, 30000);
    // The port opens before the server accepts sessions.
    QElapsedTimer timer;
    timer.start();
    while (ready
           && !run({kPostgresBin + QStringLiteral("pg_isready"), QStringLiteral("-q"),
                    QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                    QString::number(m_port)},
                   nullptr)) {
        ready = timer.elapsed() < 30000 && m_server.state() == QProcess::Running;
        QThread::msleep(50);
    }
    if (!ready) {
        *error =
            QStringLiteral("postgres did not start: ") + QString::fromLocal8Bit(m_server.readAll());
        stop();
        return false;
    }
    return true;
}

void PostgresServer::stop()
{
    if (m_server.state() == QProcess::NotRunning)
        return;
    // Our own postmaster, by its process id: SIGINT is the fast shutdown.
    ::kill(static_cast<pid_t>(m_server.processId()), SIGINT);
    if (!m_server.waitForFinished(15000)) {
        m_server.kill();
        m_server.waitForFinished(5000);
    }
}

std::optional<vq::invoice::DatabaseLocation> PostgresServer::createDatabase(QString *error)
{
    const QString name = QStringLiteral("vq_test_%1").arg(++m_databases);
    QString output;
    if (!run({kPostgresBin + QStringLiteral("psql"), QStringLiteral("-h"),
              QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(m_port),
              QStringLiteral("-U"), QStringLiteral("vq"), QStringLiteral("-d"),
              QStringLiteral("postgres"), QStringLiteral("-c"),
              QStringLiteral("CREATE DATABASE %1").arg(name)},
             &output)) {
        *error = QStringLiteral("CREATE DATABASE failed: ") + output;
        return std::nullopt;
    }
    vq::invoice::DatabaseLocation location;
    location.dialect = vq::invoice::SqlDialect::PostgreSQL;
    location.host = QStringLiteral("127.0.0.1");
    location.port = m_port;
    location.user = QStringLiteral("vq");
    location.name = name;
    return location;
}

// Dovecot ---------------------------------------------------------------------

DovecotServer::~DovecotServer()
{
    stop();
}

QString DovecotServer::maildir(const QString &user) const
{
    return m_dir->filePath(QStringLiteral("home/%1/Maildir").arg(user));
}

bool DovecotServer::start(const QStringList &users, QString *error, bool tls)
{
    m_dir = std::make_unique<QTemporaryDir>();
    const QString root = m_dir->path();
    ::chmod(QFile::encodeName(root).constData(), 0755);
    QString loginUser;
    QString internalUser;
    if (isRoot()) {
        // Mail belongs to dovecot's own user; logins run as dovenull.
        const passwd *mailUser = getpwnam("dovecot");
        if (!mailUser || !getpwnam("dovenull")) {
            *error = QStringLiteral("the users dovecot and dovenull are missing");
            return false;
        }
        m_uid = mailUser->pw_uid;
        m_gid = mailUser->pw_gid;
        loginUser = QStringLiteral("dovenull");
        internalUser = QStringLiteral("dovecot");
    } else {
        m_uid = geteuid();
        m_gid = getegid();
        loginUser = internalUser = QString::fromLocal8Bit(getpwuid(m_uid)->pw_name);
    }
    QString passwd;
    for (const QString &entry : users) {
        const QString user = entry.section(u':', 0, 0);
        passwd += QStringLiteral("%1:{PLAIN}%2::::::\n").arg(user, entry.section(u':', 1));
        for (const char *sub : {"new", "cur", "tmp"})
            QDir().mkpath(maildir(user) + u'/' + QString::fromLatin1(sub));
    }
    writeText(root + QStringLiteral("/passwd"), passwd);
    m_port = freeLocalPort();
    QDir().mkpath(root + QStringLiteral("/run"));
    QDir().mkpath(root + QStringLiteral("/state"));
    // Placeholders in @...@: dovecot's own %-variables stay as they are.
    QString config = QStringLiteral(
        "protocols = pop3\n"
        "listen = 127.0.0.1\n"
        "ssl = @SSL@\n"
        "disable_plaintext_auth = no\n"
        "base_dir = @ROOT@/run\n"
        "state_dir = @ROOT@/state\n"
        "log_path = @ROOT@/dovecot.log\n"
        "instance_name = vq-test-@PORT@\n"
        "default_login_user = @LOGIN@\n"
        "default_internal_user = @INTERNAL@\n"
        "first_valid_uid = 1\n"
        "first_valid_gid = 1\n"
        "mail_location = maildir:~/Maildir\n"
        "pop3_uidl_format = @UIDL@\n"
        "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN username_format=%u "
        "@ROOT@/passwd\n}\n"
        "userdb {\n  driver = static\n  args = uid=@UID@ gid=@GID@ home=@ROOT@/home/%u\n}\n"
        "service pop3-login {\n  inet_listener pop3 {\n    port = @PORT@\n  }\n"
        "  inet_listener pop3s {\n    port = @TLSPORT@\n  }\n}\n");
    QString ssl = QStringLiteral("no");
    if (tls) {
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"),
                      {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                       QStringLiteral("rsa:2048"), QStringLiteral("-nodes"),
                       QStringLiteral("-days"), QStringLiteral("1"), QStringLiteral("-subj"),
                       QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-keyout"),
                       root + QStringLiteral("/key.pem"), QStringLiteral("-out"),
                       root + QStringLiteral("/cert.pem")});
        if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0) {
            *error = QStringLiteral("openssl failed: ")
                     + QString::fromLocal8Bit(openssl.readAllStandardError());
            return false;
        }
        m_tlsPort = freeLocalPort();
        ssl = QStringLiteral("yes\nssl_cert = <%1/cert.pem\nssl_key = <%1/key.pem").arg(root);
    }
    config.replace(QStringLiteral("@SSL@"), ssl)
        .replace(QStringLiteral("@TLSPORT@"), QString::number(m_tlsPort));
    config.replace(QStringLiteral("@UIDL@"), m_uidlFormat);
    config.replace(QStringLiteral("@ROOT@"), root)
        .replace(QStringLiteral("@PORT@"), QString::number(m_port))
        .replace(QStringLiteral("@LOGIN@"), loginUser)
        .replace(QStringLiteral("@INTERNAL@"), internalUser)
        .replace(QStringLiteral("@UID@"), QString::number(m_uid))
        .replace(QStringLiteral("@GID@"), QString::number(m_gid));
    writeText(root + QStringLiteral("/dovecot.conf"), config);
    chownTree(root + QStringLiteral("/home"), m_uid, m_gid);
    ::chmod(QFile::encodeName(root + QStringLiteral("/passwd")).constData(), 0644);

    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setChildProcessModifier(endWithParent);
    m_process.start(
        QStringLiteral("/usr/sbin/dovecot"),
        {QStringLiteral("-F"), QStringLiteral("-c"), root + QStringLiteral("/dovecot.conf")});
    if (!m_process.waitForStarted(10000) || !waitForPort(m_port, 10000)) {
        *error = QStringLiteral("dovecot did not start: %1 %2")
                     .arg(QString::fromLocal8Bit(m_process.readAll()), log());
        stop();
        return false;
    }
    return true;
}

void DovecotServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    // Our own dovecot master, by its process id; it ends its children.
    m_process.terminate();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString DovecotServer::addMessage(const QString &user, const QByteArray &message)
{
    // Names sort in the order of adding, and Dovecot numbers new mail by name.
    ++m_sequence;
    const QString name = QStringLiteral("%1.M%2P1.vqtest")
                             .arg(1700000000 + m_sequence)
                             .arg(m_sequence, 6, 10, QChar(u'0'));
    addMessageNamed(user, name, message);
    return name;
}

void DovecotServer::addMessageNamed(const QString &user, const QString &name,
                                    const QByteArray &message)
{
    const QString path = maildir(user) + QStringLiteral("/cur/") + name + QStringLiteral(":2,");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        QByteArray crlf = message;
        // Maildir files hold LF line ends; the server sends CR LF.
        crlf.replace("\r\n", "\n");
        file.write(crlf);
    }
    file.close();
    if (::chown(QFile::encodeName(path).constData(), m_uid, m_gid) != 0) {
    }
}

int DovecotServer::messageCount(const QString &user) const
{
    return QDir(maildir(user) + QStringLiteral("/cur")).entryList(QDir::Files).size()
           + QDir(maildir(user) + QStringLiteral("/new")).entryList(QDir::Files).size();
}

QString DovecotServer::log() const
{
    QFile file(m_dir->filePath(QStringLiteral("dovecot.log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace vq::test

namespace vq::test {

namespace {
std::unique_ptr<PostgresServer> sharedPostgres;
QString lastUrl;
} // namespace

std::optional<vq::invoice::DatabaseLocation>
emptyTestDatabase(vq::invoice::SqlDialect dialect, const QString &folder, QString *error)
{
    if (dialect == vq::invoice::SqlDialect::SQLite) {
        vq::invoice::DatabaseLocation location;
        location.dialect = dialect;
        location.file = folder + QStringLiteral("/datenbank.db");
        return location;
    }
    if (!sharedPostgres) {
        auto server = std::make_unique<PostgresServer>();
        if (!server->start(error))
            return std::nullopt;
        sharedPostgres = std::move(server);
    }
    return sharedPostgres->createDatabase(error);
}

QString databaseUrl(const vq::invoice::DatabaseLocation &location)
{
    if (location.dialect == vq::invoice::SqlDialect::SQLite)
        return QStringLiteral("sqlite://") + location.file;
    return QStringLiteral("postgresql://%1@%2:%3/%4")
        .arg(location.user, location.host)
        .arg(location.port)
        .arg(location.name);
}

bool openTestLocation(vq::invoice::InvoiceConnection &db,
                      const vq::invoice::DatabaseLocation &location, QString *error)
{
    lastUrl = databaseUrl(location);
    if (location.dialect == vq::invoice::SqlDialect::SQLite)
        return db.openSQLite(location.file,
                             QStringLiteral(VQ_PROGRAM_DIR "/rechtool/datenbank.tdb"), error);
    return db.openPostgreSQL(location, error);
}

QSqlDatabase openPlainConnection(const vq::invoice::DatabaseLocation &location, const QString &name,
                                 QString *error)
{
    const bool sqlite = location.dialect == vq::invoice::SqlDialect::SQLite;
    QSqlDatabase db = QSqlDatabase::addDatabase(
        sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"), name);
    if (sqlite) {
        db.setDatabaseName(location.file);
    } else {
        db.setHostName(location.host);
        db.setPort(location.port);
        db.setUserName(location.user);
        db.setPassword(location.password);
        db.setDatabaseName(location.name);
    }
    if (!db.open() && error)
        *error = db.lastError().text();
    return db;
}

bool execAll(QSqlDatabase db, const QStringList &statements, QString *error)
{
    for (const QString &statement : statements) {
        QSqlQuery query(db);
        if (!query.exec(statement)) {
            if (error)
                *error = statement + QStringLiteral(": ") + query.lastError().text();
            return false;
        }
    }
    return true;
}

bool openTestDatabase(vq::invoice::InvoiceConnection &db, vq::invoice::SqlDialect dialect,
                      const QString &folder, QString *error)
{
    const auto location = emptyTestDatabase(dialect, folder, error);
    return location && openTestLocation(db, *location, error);
}

QString lastTestDatabaseUrl()
{
    return lastUrl;
}

void stopSharedPostgres()
{
    sharedPostgres.reset();
}

vq::invoice::TMandant mailboxClient(const DovecotServer &dovecot, const QString &user)
{
    vq::invoice::TMandant client = vq::invoice::newClient();
    client.pop3 = QStringLiteral("127.0.0.1");
    client.port = dovecot.port();
    client.username = user;
    client.password = QStringLiteral("geheim");
    return client;
}

} // namespace vq::test
