// Two import processes at once against one database (a SQLite file, a
// PostgreSQL server) and one Dovecot mailbox of a few hundred order mails:
// every order is stored once, every invoice number is given once, and neither
// run fails on the lock the other holds (the second waits for the client's
// import lock). An import of a client whose import lock another run holds
// waits up to --wait seconds, then ends with status 3. An import behind
// another user's open transaction ends after the lock timeout with the German
// message.
#include "invoice/db/clients.h"
#include "invoice/db/order_store.h"
#include "invoice/mail/import_lock.h"
#include "invoice/mail/uMailOrder.h"
#include "invoice/session/order_edit_session.h"
#include "tests/invoice/invoice_servers.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vq::invoice;

namespace {

constexpr int kOrders = 300;
constexpr int kOtherMails = 30;

QByteArray b64(const char *text)
{
    return QByteArray(text).toBase64();
}

QByteArray orderMail(int n)
{
    const QByteArray document =
        "<?xml version=\"1.0\"?>\n<order><formdata><uuid>parallel-" + QByteArray::number(n)
        + "</uuid><timestamp>" + QByteArray::number(1700000000 + n) + "</timestamp><Vorname>"
        + b64("Erika") + "</Vorname><Nachname>" + b64("Mustermann")
        + "</Nachname><company>192.0.2.7</company></formdata>"
        + "<articles><article><articleNumber>" + b64("A-1") + "</articleNumber><articleName>"
        + b64("Tasse") + "</articleName><price>" + b64("9.90") + "</price><vat>" + b64("19")
        + "</vat><amount>" + b64("2") + "</amount><options><option name=\"" + b64("Farbe")
        + "\" price=\"0.50\">" + b64("blau") + "</option></options></article></articles></order>\n";
    return "From: Formmailer <form@shop.example>\nTo: shop@example.org\nSubject: Bestellung "
           "VQBESTMAIL "
           + QByteArray::number(n)
           + "\nDate: Mon, 15 Jan 2024 10:00:00 +0100\nMIME-Version: 1.0\n"
             "Content-Type: text/plain; charset=utf-8\nContent-Transfer-Encoding: 8bit\n\n"
           + document;
}

QByteArray otherMail(int n)
{
    return "From: news@example.org\nTo: shop@example.org\nSubject: Newsletter "
           + QByteArray::number(n)
           + "\nDate: Mon, 15 Jan 2024 10:00:00 +0100\n\nNichts zu bestellen.\n";
}

int scalar(const InvoiceConnection &db, const char *sql)
{
    QSqlQuery q(db.connection());
    if (!q.exec(QString::fromLatin1(sql)) || !q.next()) {
        ADD_FAILURE() << sql;
        return -1;
    }
    return q.value(0).toInt();
}

class ConcurrentImportTest : public testing::TestWithParam<SqlDialect>
{
protected:
    static void TearDownTestSuite() { vq::test::stopSharedPostgres(); }
};

TEST_P(ConcurrentImportTest, TwoImportsAtOnceStoreEveryOrderOnce)
{
    vq::test::DovecotServer dovecot;
    QString error;
    ASSERT_TRUE(dovecot.start({QStringLiteral("shop:geheim")}, &error)) << error.toStdString();
    for (int n = 1; n <= kOrders; ++n) {
        dovecot.addMessage(QStringLiteral("shop"), orderMail(n));
        if (n % (kOrders / kOtherMails) == 0)
            dovecot.addMessage(QStringLiteral("shop"), otherMail(n));
    }

    QTemporaryDir dir;
    InvoiceConnection db;
    const auto location = vq::test::emptyTestDatabase(GetParam(), dir.path(), &error);
    ASSERT_TRUE(location) << error.toStdString();
    ASSERT_TRUE(vq::test::openTestLocation(db, *location, &error)) << error.toStdString();
    const TMandant client = vq::test::mailboxClient(dovecot);
    const auto clientId = ClientStore(db).insertClient(client);
    ASSERT_TRUE(clientId) << db.lastError().toStdString();
    // An invoice number given before: the imports continue after it.
    TBestellung typedIn;
    typedIn.mandantId = *clientId;
    typedIn.rechNr = 41;
    ASSERT_TRUE(OrderStore(db).insertOrder(typedIn));
    db.close();

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dir.path());
    QProcess runs[2];
    for (QProcess &run : runs) {
        run.setProcessEnvironment(environment);
        run.start(QStringLiteral(VQ_PROGRAM_DIR "/rechtool/vq_bestell_rechnung"),
                  {QStringLiteral("--import"), QStringLiteral("--client"),
                   QString::number(*clientId), QStringLiteral("--database"),
                   vq::test::databaseUrl(*location)});
    }
    int inserted = 0;
    QList<int> insertedByRun;
    for (QProcess &run : runs) {
        ASSERT_TRUE(run.waitForFinished(300000));
        const QString out = QString::fromUtf8(run.readAllStandardOutput());
        const QString err = QString::fromUtf8(run.readAllStandardError());
        EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(run.exitCode(), 0) << err.toStdString();
        EXPECT_FALSE(
            out.contains(QStringLiteral("gesperrt")) || err.contains(QStringLiteral("gesperrt"))
            || out.contains(QStringLiteral("locked")) || err.contains(QStringLiteral("locked")))
            << err.toStdString();
        // Each run lists every order mail, as inserted by it or already there.
        EXPECT_EQ(out.count(QStringLiteral("\tIn Datenbank eingefügt.\t"))
                      + out.count(QStringLiteral("\tBereits in DB vorhanden.\t")),
                  kOrders)
            << out.toStdString();
        insertedByRun << int(out.count(QStringLiteral("\tIn Datenbank eingefügt.\t")));
        inserted += insertedByRun.last();
    }
    EXPECT_EQ(inserted, kOrders);
    // The client's import lock lets one run read the mailbox after the other:
    // the first stores every order, the second finds them all there.
    EXPECT_TRUE(insertedByRun.contains(kOrders) && insertedByRun.contains(0))
        << insertedByRun[0] << " " << insertedByRun[1];

    ASSERT_TRUE(vq::test::openTestLocation(db, *location, &error)) << error.toStdString();
    EXPECT_EQ(scalar(db, "SELECT COUNT(*) FROM Bestellung WHERE Bestellung_UUID LIKE 'parallel-%'"),
              kOrders);
    EXPECT_EQ(
        scalar(
            db,
            "SELECT COUNT(DISTINCT Bestellung_UUID) FROM Bestellung WHERE Bestellung_UUID <> ''"),
        kOrders);
    EXPECT_EQ(scalar(db, "SELECT COUNT(DISTINCT Bestellung_RechNr) FROM Bestellung"), kOrders + 1);
    EXPECT_EQ(
        scalar(db, "SELECT MIN(Bestellung_RechNr) FROM Bestellung WHERE Bestellung_UUID <> ''"),
        42);
    EXPECT_EQ(scalar(db, "SELECT MAX(Bestellung_RechNr) FROM Bestellung"), 41 + kOrders);
    EXPECT_EQ(scalar(db, "SELECT COUNT(*) FROM Artikel"), kOrders);
    EXPECT_EQ(scalar(db, "SELECT COUNT(*) FROM Optionen"), kOrders);
    // Every message is remembered once, with its size.
    EXPECT_EQ(scalar(db, "SELECT COUNT(*) FROM Nachricht"), kOrders + kOtherMails);
    EXPECT_EQ(scalar(db, "SELECT COUNT(*) FROM Nachricht WHERE Nachricht_Groesse > 0 AND "
                         "Nachricht_Bestellmail = 1"),
              kOrders);
}

TEST_P(ConcurrentImportTest, ImportBehindAnotherUsersTransactionEndsWithTheLockMessage)
{
    vq::test::DovecotServer dovecot;
    QString error;
    ASSERT_TRUE(dovecot.start({QStringLiteral("shop:geheim")}, &error)) << error.toStdString();
    dovecot.addMessage(QStringLiteral("shop"), orderMail(1));
    QTemporaryDir dir;
    const auto location = vq::test::emptyTestDatabase(GetParam(), dir.path(), &error);
    ASSERT_TRUE(location) << error.toStdString();
    int clientId = 0;
    {
        InvoiceConnection db;
        ASSERT_TRUE(vq::test::openTestLocation(db, *location, &error)) << error.toStdString();
        const TMandant client = vq::test::mailboxClient(dovecot);
        clientId = ClientStore(db).insertClient(client).value_or(0);
        TBestellung order;
        order.mandantId = clientId;
        ASSERT_TRUE(OrderStore(db).insertOrder(order));
    }
    const auto import = [&]() {
        QProcess run;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), dir.path());
        run.setProcessEnvironment(environment);
        run.start(QStringLiteral(VQ_PROGRAM_DIR "/rechtool/vq_bestell_rechnung"),
                  {QStringLiteral("--import"), QStringLiteral("--client"),
                   QString::number(clientId), QStringLiteral("--database"),
                   vq::test::databaseUrl(*location)});
        EXPECT_TRUE(run.waitForFinished(120000));
        return std::make_pair(run.exitCode(), QString::fromUtf8(run.readAllStandardError()));
    };

    // The order editor of another user keeps a transaction open while the user edits.
    const QString name = QStringLiteral("editor");
    {
        QSqlDatabase other = vq::test::openPlainConnection(*location, name, &error);
        ASSERT_TRUE(other.isOpen()) << error.toStdString();
        QSqlQuery editor(other);
        ASSERT_TRUE(editor.exec(GetParam() == SqlDialect::SQLite ? QStringLiteral("BEGIN IMMEDIATE")
                                                                 : QStringLiteral("BEGIN")));
        ASSERT_TRUE(editor.exec(
            QStringLiteral("UPDATE Bestellung SET Bestellung_Bemerkung = 'in Arbeit'")));
        const auto [exitCode, err] = import();
        EXPECT_EQ(exitCode, 1);
        EXPECT_EQ(err, QStringLiteral(
                           "Die Datenbank ist gerade durch einen anderen Benutzer gesperrt.\n"));
        ASSERT_TRUE(editor.exec(QStringLiteral("COMMIT")));
        editor = QSqlQuery();
        other.close();
    }
    QSqlDatabase::removeDatabase(name);

    const auto [exitCode, err] = import();
    EXPECT_EQ(exitCode, 0) << err.toStdString();
    InvoiceConnection db;
    ASSERT_TRUE(vq::test::openTestLocation(db, *location, &error)) << error.toStdString();
    EXPECT_EQ(scalar(db, "SELECT COUNT(*) FROM Bestellung WHERE Bestellung_UUID = 'parallel-1'"),
              1);
    EXPECT_EQ(
        scalar(db, "SELECT COUNT(*) FROM Bestellung WHERE Bestellung_Bemerkung = 'in Arbeit'"), 1);
}

// A stay in the order editor with unsaved changes holds no lock: an import
// of 100 orders runs to the end beside it, and the stay saves afterwards.
TEST_P(ConcurrentImportTest, AnImportRunsToTheEndWhileAnOrderEditorStayIsOpen)
{
    constexpr int kImported = 100;
    vq::test::DovecotServer dovecot;
    QString error;
    ASSERT_TRUE(dovecot.start({QStringLiteral("shop:geheim")}, &error)) << error.toStdString();
    for (int n = 1; n <= kImported; ++n)
        dovecot.addMessage(QStringLiteral("shop"), orderMail(n));
    QTemporaryDir dir;
    const auto location = vq::test::emptyTestDatabase(GetParam(), dir.path(), &error);
    ASSERT_TRUE(location) << error.toStdString();
    InvoiceConnection db;
    ASSERT_TRUE(vq::test::openTestLocation(db, *location, &error)) << error.toStdString();
    const TMandant client = vq::test::mailboxClient(dovecot);
    const int clientId = ClientStore(db).insertClient(client).value_or(0);
    TBestellung typedIn;
    typedIn.mandantId = clientId;
    typedIn.rechNr = 1;
    const int orderId = OrderStore(db).insertOrder(typedIn).value_or(0);
    ASSERT_GT(orderId, 0);

    // The user is typing: a changed address, a new line with an option, a new order.
    OrderEditSession stay(db, clientId, [] { return QDate(2026, 12, 10); });
    ASSERT_TRUE(stay.startEdit(orderId, &error)) << error.toStdString();
    OrderBoxes boxes = stay.boxes();
    boxes.ort = QStringLiteral("Zürich");
    ASSERT_FALSE(stay.takeBoxes(boxes));
    TArtikel line = stay.newLine();
    line.nr = QStringLiteral("K-1");
    line.optionen << TOption{0, 0, QStringLiteral("Farbe"), QStringLiteral("rot"), 1.0};
    stay.addLine(line);
    ASSERT_TRUE(stay.startNew(&error)) << error.toStdString();

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dir.path());
    QProcess run;
    run.setProcessEnvironment(environment);
    run.start(QStringLiteral(VQ_PROGRAM_DIR "/rechtool/vq_bestell_rechnung"),
              {QStringLiteral("--import"), QStringLiteral("--client"), QString::number(clientId),
               QStringLiteral("--database"), vq::test::databaseUrl(*location)});
    ASSERT_TRUE(run.waitForFinished(300000));
    const QString out = QString::fromUtf8(run.readAllStandardOutput());
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    EXPECT_EQ(out.count(QStringLiteral("\tIn Datenbank eingefügt.\t")), kImported);

    // "Ja": the stay saves; its new order draws the number after the imported ones.
    const auto refusal = stay.save();
    ASSERT_FALSE(refusal) << refusal->message.toStdString();
    EXPECT_EQ(OrderStore(db).order(orderId)->ort, QStringLiteral("Zürich"));
    EXPECT_EQ(OrderStore(db).linesWithOptions(orderId)->value(0).optionen.size(), 1);
    EXPECT_EQ(scalar(db, "SELECT COUNT(*) FROM Bestellung"), kImported + 2);
    EXPECT_EQ(scalar(db, "SELECT COUNT(DISTINCT Bestellung_RechNr) FROM Bestellung"),
              kImported + 2);
}

// The client's import lock held by another run (the window, the timer's
// service): an import of that client waits up to --wait seconds and ends with
// status 3 and the German message, reading nothing; one still waiting runs as
// soon as the lock comes free; another client's import is not held up. The
// window's run (no wait) is told at once.
TEST_P(ConcurrentImportTest, AnImportOfAClientWhoseImportRunsWaitsOrEndsWithStatus3)
{
    vq::test::DovecotServer dovecot;
    QString error;
    ASSERT_TRUE(
        dovecot.start({QStringLiteral("shop:geheim"), QStringLiteral("laden:geheim")}, &error))
        << error.toStdString();
    for (int n = 1; n <= 3; ++n)
        dovecot.addMessage(QStringLiteral("shop"), orderMail(n));
    QTemporaryDir dir;
    const auto location = vq::test::emptyTestDatabase(GetParam(), dir.path(), &error);
    ASSERT_TRUE(location) << error.toStdString();
    InvoiceConnection db;
    ASSERT_TRUE(vq::test::openTestLocation(db, *location, &error)) << error.toStdString();
    const int held = ClientStore(db).insertClient(vq::test::mailboxClient(dovecot)).value_or(0);
    const int other = ClientStore(db)
                          .insertClient(vq::test::mailboxClient(dovecot, QStringLiteral("laden")))
                          .value_or(0);
    ASSERT_GT(other, held);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dir.path());
    const auto startImport = [&](QProcess &run, int clientId, const char *waitSeconds) {
        run.setProcessEnvironment(environment);
        run.start(QStringLiteral(VQ_PROGRAM_DIR "/rechtool/vq_bestell_rechnung"),
                  {QStringLiteral("--import"), QStringLiteral("--client"),
                   QString::number(clientId), QStringLiteral("--wait"),
                   QString::fromLatin1(waitSeconds), QStringLiteral("--database"),
                   vq::test::databaseUrl(*location)});
    };
    const QString busyMessage = QString::fromUtf16(kTextImportRunning).arg(held);

    auto lock = std::make_unique<TImportLock>(*location, held);
    ASSERT_EQ(lock->acquire(0, nullptr, &error), TImportLock::Outcome::Taken)
        << error.toStdString();

    // The window's run in this process: no wait, the message at once.
    const MailImportResult windowRun = MailOrder(db, held).importOrders();
    EXPECT_TRUE(windowRun.busy);
    EXPECT_FALSE(windowRun.connected);
    EXPECT_EQ(windowRun.message, busyMessage);

    QProcess timedOut;
    QElapsedTimer clock;
    clock.start();
    startImport(timedOut, held, "1");
    ASSERT_TRUE(timedOut.waitForFinished(60000));
    EXPECT_GE(clock.elapsed(), 1000);
    EXPECT_EQ(timedOut.exitCode(), 3);
    EXPECT_EQ(QString::fromUtf8(timedOut.readAllStandardError()), busyMessage + u'\n');
    EXPECT_EQ(timedOut.readAllStandardOutput(), QByteArray());
    EXPECT_EQ(scalar(db, "SELECT COUNT(*) FROM Bestellung"), 0);

    QProcess otherClient;
    startImport(otherClient, other, "0");
    ASSERT_TRUE(otherClient.waitForFinished(60000));
    EXPECT_EQ(otherClient.exitCode(), 0) << otherClient.readAllStandardError().toStdString();

    QProcess waiting;
    startImport(waiting, held, "60");
    EXPECT_FALSE(waiting.waitForFinished(1500)) << waiting.readAllStandardError().toStdString();
    lock.reset();
    ASSERT_TRUE(waiting.waitForFinished(60000));
    EXPECT_EQ(waiting.exitCode(), 0) << waiting.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(waiting.readAllStandardOutput())
                  .count(QStringLiteral("\tIn Datenbank eingefügt.\t")),
              3);
    const QByteArray heldOrders =
        "SELECT COUNT(*) FROM Bestellung WHERE Bestellung_MandantID = " + QByteArray::number(held);
    EXPECT_EQ(scalar(db, heldOrders.constData()), 3);
}

INSTANTIATE_TEST_SUITE_P(Backends, ConcurrentImportTest,
                         testing::Values(SqlDialect::SQLite, SqlDialect::PostgreSQL),
                         [](const testing::TestParamInfo<SqlDialect> &info) {
                             return std::string(vq::test::dialectName(info.param));
                         });

} // namespace
