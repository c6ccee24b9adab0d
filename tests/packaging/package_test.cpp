// The Debian packages as a user gets them: built from this build tree with
// scripts/build-packages.sh into a temporary folder and unpacked (dpkg-deb -x)
// into a temporary root. The installed files are the expected ones, the
// desktop entries, AppStream metadata, manual pages, packages (lintian) and
// the scheduled import's systemd units pass their validators, and the
// installed programs start from that root and find their data there:
// --version, --generate, and --import against a local Dovecot.
#include "invoice/db/clients.h"
#include "invoice/db/invoice_connection.h"
#include "tests/invoice/invoice_servers.h"
#include "tests/test_support.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vq::invoice;

namespace {

struct RunResult
{
    int status = -1;
    QString out, err;
};

RunResult run(const QString &program, const QStringList &arguments,
              const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
              int timeoutMs = 120000)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    RunResult result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        result.err = program + QStringLiteral(" did not finish");
        return result;
    }
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

std::string shown(const RunResult &result)
{
    return (result.out + result.err).toStdString();
}

class PackageTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        const RunResult built = run(QStringLiteral("bash"),
                                    {QStringLiteral(VQ_SOURCE_DIR "/scripts/build-packages.sh"),
                                     packagesDir(), QStringLiteral(VQ_BUILD_DIR)},
                                    QProcessEnvironment::systemEnvironment(), 600000);
        s_buildLog = new QString(built.out + built.err);
        if (built.status != 0)
            return;
        for (const char *package : {"zelkin", "vq-bestell-rechnung"}) {
            const QString file = packageFile(package);
            if (file.isEmpty()
                || run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), file, root()}).status
                       != 0)
                return;
        }
        s_ready = true;
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        delete s_buildLog;
    }
    void SetUp() override { ASSERT_TRUE(s_ready) << s_buildLog->toStdString(); }

    static QString packagesDir() { return s_dir->filePath(QStringLiteral("pakete")); }
    static QString root() { return s_dir->filePath(QStringLiteral("wurzel")); }
    static QString rooted(const QString &path) { return root() + path; }
    static QString packageFile(const char *package)
    {
        const QStringList files =
            QDir(packagesDir())
                .entryList({QString::fromLatin1(package) + QStringLiteral("_*.deb")}, QDir::Files);
        return files.size() == 1 ? QDir(packagesDir()).filePath(files.first()) : QString();
    }
    // The files of a package (no folders), as dpkg lists them: "/usr/bin/zelkin".
    static QStringList contents(const char *package)
    {
        const RunResult listed =
            run(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), packageFile(package)});
        QStringList files;
        for (const QString &line : listed.out.split(u'\n', Qt::SkipEmptyParts)) {
            if (line.startsWith(u'd'))
                continue;
            files << line.section(QStringLiteral(" ./"), 1).prepend(u'/');
        }
        files.sort();
        return files;
    }
    static QProcessEnvironment userEnvironment(const QString &dataHome)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.remove(QStringLiteral("VQ_INVOICE_DATABASE"));
        return environment;
    }

    static QTemporaryDir *s_dir;
    static QString *s_buildLog;
    static bool s_ready;
};

QTemporaryDir *PackageTest::s_dir = nullptr;
QString *PackageTest::s_buildLog = nullptr;
bool PackageTest::s_ready = false;

// Every file each package installs, against the list in installed_files.txt
// ("[package]" lines start a package's list); the programs' dependencies are
// those dpkg-shlibdeps found.
TEST_F(PackageTest, EachPackageInstallsTheListedFiles)
{
    QMap<QString, QStringList> expected;
    QString package;
    for (const QByteArray &line :
         vq::test::readFile(QStringLiteral(VQ_SOURCE_DIR "/tests/packaging/installed_files.txt"))
             .split('\n')) {
        const QString text = QString::fromUtf8(line).trimmed();
        if (text.startsWith(u'['))
            package = text.mid(1, text.size() - 2);
        else if (text.startsWith(u'/'))
            expected[package] << text;
    }
    ASSERT_EQ(expected.keys(),
              (QStringList{QStringLiteral("vq-bestell-rechnung"), QStringLiteral("zelkin")}));
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        it->sort();
        EXPECT_EQ(contents(qPrintable(it.key())), *it) << it.key().toStdString();
        const RunResult depends = run(
            QStringLiteral("dpkg-deb"),
            {QStringLiteral("-f"), packageFile(qPrintable(it.key())), QStringLiteral("Depends")});
        for (const char *library : {"libc6", "libqt6core6", "libqt6widgets6"})
            EXPECT_TRUE(depends.out.contains(QString::fromLatin1(library)))
                << it.key().toStdString() << ": " << depends.out.toStdString();
    }
}

// desktop-file-validate, appstreamcli, man and lintian (no errors).
TEST_F(PackageTest, ValidatorsAcceptDesktopEntriesMetadataManualPagesAndPackages)
{
    struct Check
    {
        const char *program;
        QStringList arguments;
    };
    const QString share = rooted(QStringLiteral("/usr/share"));
    const Check checks[] = {
        {"desktop-file-validate",
         {share + QStringLiteral("/applications/zelkin.desktop"),
          share + QStringLiteral("/applications/vq_bestell_rechnung.desktop")}},
        {"appstreamcli",
         {QStringLiteral("validate"), QStringLiteral("--no-net"),
          share + QStringLiteral("/metainfo/de.vqbestellformular.zelkin.metainfo.xml"),
          share
              + QStringLiteral("/metainfo/de.vqbestellformular.vq_bestell_rechnung.metainfo.xml")}},
        {"lintian",
         {QStringLiteral("--fail-on"), QStringLiteral("error"), packageFile("zelkin"),
          packageFile("vq-bestell-rechnung")}},
    };
    for (const Check &check : checks) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(check.program));
        ASSERT_FALSE(program.isEmpty()) << check.program << " is missing (scripts/install-deps.sh)";
        const RunResult result = run(program, check.arguments);
        EXPECT_EQ(result.status, 0) << check.program << ": " << shown(result);
    }
    // The manual pages format without a warning.
    for (const char *page : {"zelkin", "vq_bestell_rechnung"}) {
        const RunResult result =
            run(QStringLiteral("man"),
                {QStringLiteral("--warnings"), QStringLiteral("-l"),
                 share + QStringLiteral("/man/man1/%1.1.gz").arg(QString::fromLatin1(page))});
        EXPECT_EQ(result.status, 0) << page << ": " << shown(result);
        EXPECT_EQ(result.err, QString()) << page;
        EXPECT_TRUE(result.out.contains(QStringLiteral("EXIT-STATUS"))) << page;
    }
}

// systemd-analyze verify on the timer and service of a client (instance 1) as
// installed. systemd looks for the program at its installed path on this
// machine, so only ExecStart's program is pointed into the root.
TEST_F(PackageTest, TheScheduledImportsUnitsVerify)
{
    const QString analyze = QStandardPaths::findExecutable(QStringLiteral("systemd-analyze"));
    if (analyze.isEmpty())
        GTEST_SKIP()
            << "systemd-analyze is missing: the units of the scheduled import are not verified.";
    QTemporaryDir units;
    const QString installed = rooted(QStringLiteral("/usr/lib/systemd/user/vq-bestell-import@."));
    QString service = QString::fromUtf8(vq::test::readFile(installed + QStringLiteral("service")));
    ASSERT_TRUE(service.contains(
        QStringLiteral("\nExecStart=/usr/bin/vq_bestell_rechnung --import --client %i\n")));
    service.replace(QStringLiteral("ExecStart=/usr/bin/"),
                    QStringLiteral("ExecStart=") + rooted(QStringLiteral("/usr/bin/")));
    vq::test::writeFile(units.filePath(QStringLiteral("vq-bestell-import@1.service")),
                        service.toUtf8());
    QFile::copy(installed + QStringLiteral("timer"),
                units.filePath(QStringLiteral("vq-bestell-import@1.timer")));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), units.path());
    // The Documentation= line's manual page, from the root.
    environment.insert(QStringLiteral("MANPATH"), rooted(QStringLiteral("/usr/share/man")));
    const RunResult verified = run(analyze,
                                   {QStringLiteral("verify"), QStringLiteral("--user"),
                                    units.filePath(QStringLiteral("vq-bestell-import@1.timer")),
                                    units.filePath(QStringLiteral("vq-bestell-import@1.service"))},
                                   environment);
    EXPECT_EQ(verified.status, 0) << shown(verified);
    EXPECT_EQ(verified.err.trimmed(), QString()) << shown(verified);
}

// Each manual page names every option the program's --help lists, so an
// option added to a command line without its manual page shows here.
TEST_F(PackageTest, TheManualPagesNameEveryOptionOfTheirProgram)
{
    QTemporaryDir home;
    const QRegularExpression option(QStringLiteral("^\\s+(?:-\\w, )?(--[a-z-]+)"),
                                    QRegularExpression::MultilineOption);
    for (const char *program : {"zelkin", "vq_bestell_rechnung"}) {
        const RunResult help =
            run(rooted(QStringLiteral("/usr/bin/%1").arg(QString::fromLatin1(program))),
                {QStringLiteral("--help")}, userEnvironment(home.path()));
        ASSERT_EQ(help.status, 0) << shown(help);
        const RunResult page = run(
            QStringLiteral("zcat"),
            {rooted(
                QStringLiteral("/usr/share/man/man1/%1.1.gz").arg(QString::fromLatin1(program)))});
        const QString text = QString(page.out).replace(QStringLiteral("\\-"), QStringLiteral("-"));
        int options = 0;
        for (const QRegularExpressionMatch &match : option.globalMatch(help.out)) {
            ++options;
            EXPECT_TRUE(text.contains(match.captured(1)))
                << program << " " << match.captured(1).toStdString();
        }
        EXPECT_GE(options, 6) << program << ": " << help.out.toStdString();
    }
}

// The installed programs from the root: versions, and a page generated from
// the installed default project with the installed page templates.
TEST_F(PackageTest, TheInstalledProgramsStartAndGenerateAPage)
{
    QTemporaryDir home;
    const QProcessEnvironment environment = userEnvironment(home.path());
    const QString zelkin = rooted(QStringLiteral("/usr/bin/zelkin"));
    const QString rechnung = rooted(QStringLiteral("/usr/bin/vq_bestell_rechnung"));
    for (const QString &program : {zelkin, rechnung}) {
        const RunResult version = run(program, {QStringLiteral("--version")}, environment);
        EXPECT_EQ(version.status, 0) << shown(version);
        EXPECT_TRUE(version.out.contains(QStringLiteral(PROJECT_VERSION_TEXT))) << shown(version);
    }
    const QString project = rooted(QStringLiteral("/usr/share/vq-bestellformular/default.vqb"));
    for (const char *kind : {"html", "php"}) {
        const RunResult page =
            run(zelkin, {QStringLiteral("--generate"), QString::fromLatin1(kind), project},
                environment);
        EXPECT_EQ(page.status, 0) << kind << ": " << page.err.toStdString();
        EXPECT_TRUE(page.out.contains(QStringLiteral("<form"))) << kind;
    }
}

// The installed invoice module creates its database from the installed
// template, copies the installed invoice template for the client and imports
// an order mail from a local Dovecot.
TEST_F(PackageTest, TheInstalledInvoiceModuleImportsFromTheMailbox)
{
    vq::test::DovecotServer dovecot;
    QString error;
    ASSERT_TRUE(dovecot.start({QStringLiteral("shop:geheim")}, &error)) << error.toStdString();
    dovecot.addMessage(QStringLiteral("shop"), vq::test::readFile(QStringLiteral(
                                                   VQ_FIXTURES_DIR "/invoice/order_8bit.eml")));
    QTemporaryDir home;
    const QProcessEnvironment environment = userEnvironment(home.path());
    const QString rechnung = rooted(QStringLiteral("/usr/bin/vq_bestell_rechnung"));
    const QString dataFolder = home.filePath(QStringLiteral("VQ-Bestellformular"));

    // No client yet: the database is made from the installed template, the call refused.
    const RunResult noClient =
        run(rechnung, {QStringLiteral("--import"), QStringLiteral("--client"), QStringLiteral("1")},
            environment);
    EXPECT_EQ(noClient.status, 2) << shown(noClient);
    ASSERT_TRUE(QFile::exists(dataFolder + QStringLiteral("/datenbank.db"))) << shown(noClient);

    int clientId = 0;
    {
        InvoiceConnection db;
        ASSERT_TRUE(db.openSQLite(dataFolder + QStringLiteral("/datenbank.db"), QString(), &error))
            << error.toStdString();
        clientId = ClientStore(db).insertClient(vq::test::mailboxClient(dovecot)).value_or(0);
        ASSERT_GT(clientId, 0) << db.lastError().toStdString();
    }
    const RunResult imported =
        run(rechnung,
            {QStringLiteral("--import"), QStringLiteral("--client"), QString::number(clientId)},
            environment);
    EXPECT_EQ(imported.status, 0) << shown(imported);
    EXPECT_TRUE(imported.out.contains(QStringLiteral("\tIn Datenbank eingefügt.\t")))
        << shown(imported);
    EXPECT_TRUE(imported.out.contains(QStringLiteral("1 Bestellungen eingefügt")))
        << shown(imported);
    EXPECT_EQ(vq::test::readFile(dataFolder + QStringLiteral("/%1.rav").arg(clientId)),
              vq::test::readFile(
                  rooted(QStringLiteral("/usr/share/vq-bestellformular/rechtool/rechnung.rav"))));
}

} // namespace
