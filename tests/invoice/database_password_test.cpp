// A PostgreSQL login without the password on the command line: a URL
// "postgresql://user@host:port/db" leaves the password to libpq's own sources
// (~/.pgpass, PGPASSFILE, PGPASSWORD, a service file), against a role of the
// test server that must give a password (scram-sha-256). A password in the
// URL still works; a login that finds none says where the password goes.
#include "tests/invoice/invoice_servers.h"
#include "tests/support/environment_scope.h"
#include "tests/test_support.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using namespace vq::invoice;
using vq::test::EnvironmentScope;

namespace {

constexpr char kRole[] = "kasse";
constexpr char kPassword[] = "kassen-geheim";

class DatabasePasswordTest : public testing::Test
{
protected:
    static void TearDownTestSuite() { vq::test::stopSharedPostgres(); }

    // A role and its database on the shared server; logins of that role from
    // 127.0.0.1 need its password.
    void SetUp() override
    {
        QString error;
        const auto admin =
            vq::test::emptyTestDatabase(SqlDialect::PostgreSQL, m_dir.path(), &error);
        ASSERT_TRUE(admin) << error.toStdString();
        const QString name = QStringLiteral("password_admin");
        {
            QSqlDatabase db = vq::test::openPlainConnection(*admin, name, &error);
            ASSERT_TRUE(db.isOpen()) << error.toStdString();
            QSqlQuery query(db);
            ASSERT_TRUE(query.exec(QStringLiteral("SHOW hba_file")) && query.next());
            const QString hbaFile = query.value(0).toString();
            QFile hba(hbaFile);
            ASSERT_TRUE(hba.open(QIODevice::ReadOnly));
            const QByteArray rules = hba.readAll();
            hba.close();
            if (!rules.startsWith("host all kasse")) {
                vq::test::writeFile(hbaFile, "host all kasse 127.0.0.1/32 scram-sha-256\n" + rules);
                ASSERT_TRUE(vq::test::execAll(
                    db,
                    {QStringLiteral("SET password_encryption = 'scram-sha-256'"),
                     QStringLiteral("CREATE ROLE kasse LOGIN PASSWORD 'kassen-geheim'"),
                     QStringLiteral("CREATE DATABASE kasse_rechnung OWNER kasse"),
                     QStringLiteral("SELECT pg_reload_conf()")},
                    &error))
                    << error.toStdString();
                // The server reads its rules again on its own time.
                QThread::msleep(500);
            }
        }
        QSqlDatabase::removeDatabase(name);
        m_location = *admin;
        m_location.user = QString::fromLatin1(kRole);
        m_location.name = QStringLiteral("kasse_rechnung");
    }

    QString url(const char *password = nullptr) const
    {
        return QStringLiteral("postgresql://%1%2@127.0.0.1:%3/%4")
            .arg(m_location.user,
                 password ? QStringLiteral(":") + QString::fromLatin1(password) : QString())
            .arg(m_location.port)
            .arg(m_location.name);
    }

    // A file readable by its owner only, as libpq wants a password file.
    QString privateFile(const QString &name, const QByteArray &text) const
    {
        const QString path = m_dir.filePath(name);
        vq::test::writeFile(path, text);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        return path;
    }

    QByteArray passLine(const char *password) const
    {
        return QStringLiteral("127.0.0.1:%1:%2:%3:%4\n")
            .arg(m_location.port)
            .arg(m_location.name, m_location.user, QString::fromLatin1(password))
            .toUtf8();
    }

    QTemporaryDir m_dir;
    DatabaseLocation m_location;
};

TEST_F(DatabasePasswordTest, LoginWithThePasswordFromLibpqsSources)
{
    const QString home = m_dir.filePath(QStringLiteral("home"));
    ASSERT_TRUE(QDir().mkpath(home));
    const QString homePassFile = home + QStringLiteral("/.pgpass");
    const QString passFile = privateFile(QStringLiteral("passwoerter"), passLine(kPassword));
    const QString wrongPassFile = privateFile(QStringLiteral("falsch"), passLine("falsch"));
    const QString serviceFile =
        privateFile(QStringLiteral("dienste.conf"), QByteArray("[rechnung]\npassword=") + kPassword
                                                        + "\n[anderer]\npassword=falsch\n");

    struct Case
    {
        const char *what;
        const char *urlPassword;
        QByteArray homePassFile;
        std::optional<QByteArray> passFile, password, service;
        bool opens;
    };
    const Case cases[] = {
        {"no password anywhere", nullptr, {}, {}, {}, {}, false},
        {"~/.pgpass", nullptr, passLine(kPassword), {}, {}, {}, true},
        {"PGPASSFILE", nullptr, {}, passFile.toUtf8(), {}, {}, true},
        {"PGPASSFILE with a wrong password", nullptr, {}, wrongPassFile.toUtf8(), {}, {}, false},
        {"PGPASSWORD", nullptr, {}, {}, QByteArray(kPassword), {}, true},
        {"the service file's entry", nullptr, {}, {}, {}, QByteArray("rechnung"), true},
        {"another service's entry", nullptr, {}, {}, {}, QByteArray("anderer"), false},
        {"the URL's password", kPassword, {}, {}, {}, {}, true},
    };
    for (const Case &c : cases) {
        QFile::remove(homePassFile);
        if (!c.homePassFile.isEmpty()) {
            vq::test::writeFile(homePassFile, c.homePassFile);
            QFile::setPermissions(homePassFile, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        }
        const EnvironmentScope homeScope("HOME", home.toUtf8());
        const EnvironmentScope passFileScope("PGPASSFILE", c.passFile);
        const EnvironmentScope passwordScope("PGPASSWORD", c.password);
        const EnvironmentScope serviceFileScope("PGSERVICEFILE", serviceFile.toUtf8());
        const EnvironmentScope serviceScope("PGSERVICE", c.service);

        InvoiceConnection db;
        QString error;
        EXPECT_EQ(db.openConfigured(url(c.urlPassword), QString(), &error), c.opens)
            << c.what << ": " << error.toStdString();
        if (c.opens) {
            QSqlQuery query(db.connection());
            ASSERT_TRUE(query.exec(QStringLiteral("SELECT current_user")) && query.next())
                << c.what;
            EXPECT_EQ(query.value(0).toString(), QString::fromLatin1(kRole)) << c.what;
        } else if (!c.urlPassword)
            EXPECT_TRUE(error.endsWith(QString::fromUtf16(kTextPasswordSources)))
                << c.what << ": " << error.toStdString();
    }
}

// The program on the command line: the URL without a password and the
// password file in PGPASSFILE open the database (an unknown order then ends
// with status 1); without the file the database cannot be opened (status 2)
// and the message says where the password goes.
TEST_F(DatabasePasswordTest, TheProgramLogsInThroughThePasswordFile)
{
    const QString passFile = privateFile(QStringLiteral("passwoerter"), passLine(kPassword));
    const auto run = [&](bool withPassFile) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.path());
        environment.insert(QStringLiteral("HOME"), m_dir.path());
        environment.remove(QStringLiteral("PGPASSWORD"));
        if (withPassFile)
            environment.insert(QStringLiteral("PGPASSFILE"), passFile);
        else
            environment.remove(QStringLiteral("PGPASSFILE"));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(VQ_PROGRAM_DIR "/rechtool/vq_bestell_rechnung"),
                      {QStringLiteral("--invoice"), QStringLiteral("999"), QStringLiteral("--pdf"),
                       m_dir.filePath(QStringLiteral("r.pdf")), QStringLiteral("--database"),
                       url()});
        EXPECT_TRUE(program.waitForFinished(60000));
        return std::make_pair(program.exitCode(),
                              QString::fromUtf8(program.readAllStandardError()));
    };
    const auto [status, err] = run(true);
    EXPECT_EQ(status, 1) << err.toStdString();
    EXPECT_FALSE(err.contains(QStringLiteral("Datenbank kann nicht geöffnet")))
        << err.toStdString();

    const auto [statusWithout, errWithout] = run(false);
    EXPECT_EQ(statusWithout, 2) << errWithout.toStdString();
    EXPECT_TRUE(errWithout.contains(QStringLiteral("~/.pgpass"))) << errWithout.toStdString();
}

} // namespace
