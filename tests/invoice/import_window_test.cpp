// The window "Bestellungen einlesen" offscreen against a real Dovecot POP3
// server on 127.0.0.1 and a SQLite database in a temporary folder: a run on
// the worker fills the list and stores the orders while the window stays
// responsive; cancelling between two mails keeps what was stored; a refused
// login; deleting the marked mail; closing the window during a run. Set
// VQ_SCREENSHOT_DIR to keep a picture of the window.
#include "invoice/db/clients.h"
#include "invoice/ui/uMailImport.h"
#include "tests/invoice/invoice_servers.h"
#include "tests/support/local_server.h"
#include "tests/support/plain_text_support.h"
#include "tests/support/scripted_questions.h"
#include "tests/support/widget_test_support.h"
#include "tests/support/window_checks.h"
#include "tests/test_support.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSemaphore>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>

using namespace vq::invoice;

using vq::test::child;
using vq::test::keepScreenshot;

namespace {

QByteArray fixture(const char *name)
{
    return vq::test::readFile(
        vq::test::fixturePath(QStringLiteral("invoice/") + QString::fromLatin1(name)));
}

// An order mail of the form mailer's shape with one line.
QByteArray orderMail(int number)
{
    const QByteArray n = QByteArray::number(number);
    return "From: Formmailer <mailer@shop.example>\nTo: shop@example.org\nSubject: VQBESTMAIL " + n
           + "\nDate: Wed, 17 Jan 2024 09:15:00 +0100\nMIME-Version: 1.0\n"
             "Content-Type: text/plain; charset=utf-8\nContent-Transfer-Encoding: 8bit\n\n"
             "<order><formdata><uuid>window-"
           + n + "</uuid><timestamp>1705401000</timestamp><Vorname>" + QByteArray("Hans").toBase64()
           + "</Vorname></formdata><articles><article><articleNumber>QS0x</articleNumber>"
             "<articleName>SGVtZA==</articleName><price>"
           + QByteArray("5").toBase64() + "</price><vat>" + QByteArray("19").toBase64()
           + "</vat><amount>" + QByteArray("1").toBase64()
           + "</amount><options></options></article></articles></order>\n";
}

const QString kSuccess =
    QStringLiteral("Das E-Mail-Postfach wurde erfolgreich auf Bestellungen ausgelesen.");
const QString kInserted = QStringLiteral("In Datenbank eingefügt.");
const QString kAlready = QStringLiteral("Bereits in DB vorhanden.");

// Holds the worker inside the run after its n-th row until released, so a
// test can act while a run certainly goes on.
class WorkerGate
{
public:
    WorkerGate(MailImportWorker *worker, int afterRow)
    {
        m_connection = QObject::connect(
            worker, &MailImportWorker::rowFound, worker,
            [this, afterRow](const MailOrderRow &) {
                if (++m_rows != afterRow)
                    return;
                m_held = true;
                m_release.acquire();
            },
            Qt::DirectConnection);
    }
    ~WorkerGate()
    {
        QObject::disconnect(m_connection);
        release();
    }
    bool waitHeld()
    {
        return QTest::qWaitFor([this] { return m_held.load(); }, 20000);
    }
    void release()
    {
        if (m_held.exchange(false))
            m_release.release();
    }

private:
    QMetaObject::Connection m_connection;
    std::atomic_int m_rows{0};
    std::atomic_bool m_held{false};
    QSemaphore m_release;
};

class ImportWindow : public testing::Test
{
protected:
    virtual SqlDialect dialect() const { return SqlDialect::SQLite; }
    static void TearDownTestSuite() { vq::test::stopSharedPostgres(); }

    void SetUp() override
    {
        ASSERT_TRUE(dataHome.isValid());
        qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
        QString error;
        ASSERT_TRUE(dovecot.start({QStringLiteral("shop:geheim")}, &error)) << error.toStdString();
        ASSERT_TRUE(vq::test::openTestDatabase(db, dialect(), dir.path(), &error))
            << error.toStdString();
        TMandant client = newClient();
        client.firma = QStringLiteral("Fensterladen KG");
        client.pop3 = QStringLiteral("127.0.0.1");
        client.port = dovecot.port();
        client.username = QStringLiteral("shop");
        client.password = QStringLiteral("geheim");
        mandantId = ClientStore(db).insertClient(client).value_or(0);
        ASSERT_GT(mandantId, 0) << db.lastError().toStdString();
    }

    void setPassword(const QString &password)
    {
        TMandant client = *ClientStore(db).client(mandantId);
        client.password = password;
        ASSERT_TRUE(ClientStore(db).updateClient(client));
    }

    int orderCount()
    {
        QSqlQuery q(db.connection());
        q.exec(QStringLiteral("SELECT COUNT(*) FROM Bestellung"));
        return q.next() ? q.value(0).toInt() : -1;
    }

    static bool waitIdle(TfrmMailImport &window)
    {
        return QTest::qWaitFor([&] { return !window.isBusy(); }, 30000);
    }

    static QStringList rows(TfrmMailImport &window)
    {
        QAbstractItemModel *model = child<QTableView>(window, "lvMails")->model();
        QStringList list;
        for (int r = 0; r < model->rowCount(); ++r)
            list << model->index(r, 1).data().toString() + QStringLiteral(": ")
                        + model->index(r, 4).data().toString();
        return list;
    }

    QTemporaryDir dataHome, dir;
    vq::test::DovecotServer dovecot;
    InvoiceConnection db;
    vq::test::ScriptedQuestions questions;
    int mandantId = 0;
};

TEST_F(ImportWindow, ShowsToolBarMenuAndColumnsAsDescribed)
{
    TfrmMailImport window(db, mandantId, questions);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Bestellungen einlesen"));

    auto *tools = child<QToolBar>(window, "tbWerkzeuge");
    QStringList toolTexts, hints;
    for (QAction *action : tools->actions()) {
        toolTexts << (action->isSeparator() ? QStringLiteral("|") : action->text());
        if (!action->isSeparator()) {
            hints << action->toolTip();
            auto *button = qobject_cast<QToolButton *>(tools->widgetForAction(action));
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
            EXPECT_FALSE(action->icon().isNull());
            EXPECT_EQ(button->accessibleName(), action->text());
        }
    }
    EXPECT_EQ(toolTexts, (QStringList{QStringLiteral("E-Mails einlesen"),
                                      QStringLiteral("Markierte E-Mail löschen"),
                                      QStringLiteral("|"), QStringLiteral("Verlassen")}));
    EXPECT_EQ(hints, (QStringList{QStringLiteral("E-Mails abholen"),
                                  QStringLiteral("Markiere E-Mail löschen"),
                                  QStringLiteral("Verlassen")}));
    auto *menu = child<QMenu>(window, "mnuEMail");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), QStringLiteral("&E-Mail"));
    QStringList menuTexts;
    for (QAction *action : menu->actions())
        menuTexts << (action->isSeparator() ? QStringLiteral("|") : action->text());
    EXPECT_EQ(menuTexts, toolTexts);

    auto *list = child<QTableView>(window, "lvMails");
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_FALSE(list->accessibleName().isEmpty());
    QStringList titles;
    QList<int> widths;
    for (int c = 0; c < list->model()->columnCount(); ++c) {
        titles << list->model()->headerData(c, Qt::Horizontal).toString();
        widths << list->columnWidth(c);
    }
    EXPECT_EQ(titles, (QStringList{QStringLiteral("Absender"), QStringLiteral("Betreff"),
                                   QStringLiteral("Größe"), QStringLiteral("Datum"),
                                   QStringLiteral("Status")}));
    EXPECT_EQ(widths.mid(0, 4), (QList<int>{150, 300, 100, 150}));
    EXPECT_GE(widths[4], 140); // the last column takes what is left
    // Nothing selected, nothing to delete; nothing to cancel.
    EXPECT_FALSE(child<QAction>(window, "actLoeschen")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(window, "btnAbbrechen")->isEnabled());
    // The list and its columns fit without a horizontal scroll bar at the start size.
    EXPECT_LE(window.width(), 1280);
    EXPECT_LE(window.height(), 800);
    EXPECT_GE(list->viewport()->width(), 150 + 300 + 100 + 150 + 140);
    EXPECT_TRUE(vq::test::isAccessible(window));
    keepScreenshot(&window, QStringLiteral("import_window_start"));
    window.resize(window.minimumSizeHint());
    keepScreenshot(&window, QStringLiteral("import_window_small"));

    // An empty mailbox: no row, the success message, a full bar.
    child<QAction>(window, "actEinlesen")->trigger();
    ASSERT_TRUE(waitIdle(window));
    EXPECT_EQ(list->model()->rowCount(), 0);
    EXPECT_EQ(questions.informations, QStringList{kSuccess});
    auto *bar = child<QProgressBar>(window, "pbFortschritt");
    EXPECT_EQ(bar->text(), QStringLiteral("0 von 0"));
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(ImportWindow, RunFillsTheListStoresTheOrdersAndReportsProgressToTheEnd)
{
    for (const char *name : {"order_qp.eml", "plain_mail.eml", "order_base64.eml",
                             "order_damaged.eml", "order_duplicate.eml"})
        dovecot.addMessage(QStringLiteral("shop"), fixture(name));

    TfrmMailImport window(db, mandantId, questions);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QList<QPair<int, int>> progress; // as the window receives it
    QObject::connect(window.worker(), &MailImportWorker::progress, &window,
                     [&](int done, int total) { progress << qMakePair(done, total); });

    child<QAction>(window, "actEinlesen")->trigger();
    EXPECT_TRUE(window.isBusy());
    ASSERT_TRUE(waitIdle(window));

    EXPECT_EQ(rows(window),
              (QStringList{QStringLiteral("Bestellung VQBESTMAIL: ") + kInserted,
                           QStringLiteral("Neue VQBESTMAIL Bestellung: ") + kInserted,
                           QStringLiteral("VQBESTMAIL defekt: Fehler beim XML-Parsing"),
                           QStringLiteral("VQBESTMAIL erneut: ") + kAlready}));
    EXPECT_EQ(orderCount(), 2);
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.first(), qMakePair(0, 5));
    EXPECT_EQ(progress.last(), qMakePair(5, 5));
    auto *bar = child<QProgressBar>(window, "pbFortschritt");
    EXPECT_EQ(bar->maximum(), 5);
    EXPECT_EQ(bar->value(), 5);
    EXPECT_EQ(bar->text(), QStringLiteral("5 von 5"));
    EXPECT_EQ(child<QLabel>(window, "lblStatus")->text(),
              QStringLiteral("5 von 5 E-Mails gelesen"));

    // One box after the run, naming the damaged mail once; its reason in the messages.
    ASSERT_EQ(questions.informations.size(), 1);
    EXPECT_TRUE(questions.informations.first().startsWith(kSuccess));
    EXPECT_TRUE(questions.informations.first().contains(
        QStringLiteral("Fehler beim XML-Parsing: 1 E-Mail")));
    EXPECT_TRUE(questions.errors.isEmpty());
    const QString messages = child<QPlainTextEdit>(window, "memMeldungen")->toPlainText();
    EXPECT_TRUE(messages.contains(QStringLiteral("Fehler beim XML-Parsing: VQBESTMAIL defekt")));
    EXPECT_TRUE(messages.contains(kSuccess));

    // Columns: sender address only, size right-aligned in whole kilobytes, date.
    auto *list = child<QTableView>(window, "lvMails");
    const QModelIndex size = list->model()->index(0, 2);
    EXPECT_EQ(list->model()->index(0, 0).data().toString(),
              QStringLiteral("bestellung@shop.example"));
    EXPECT_TRUE(size.data().toString().endsWith(QStringLiteral(" kb")));
    EXPECT_TRUE(size.data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight);
    EXPECT_EQ(list->model()->index(0, 3).data().toString(),
              QLocale().toString(QDate(2024, 1, 15), QLocale::ShortFormat));
    keepScreenshot(&window, QStringLiteral("import_window_filled"));

    // Enter and a double click on a row do nothing harmful: no box, no run, no deletion.
    list->setFocus();
    list->selectRow(1);
    QTest::keyClick(list, Qt::Key_Return);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                       list->visualRect(list->model()->index(1, 1)).center());
    QTest::qWait(100);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isBusy());
    EXPECT_EQ(rows(window).size(), 4);
    EXPECT_EQ(dovecot.messageCount(QStringLiteral("shop")), 5);
    EXPECT_EQ(questions.informations.size(), 1);
}

TEST_F(ImportWindow, CancelAfterTheFirstMailKeepsItsOrderAndTheNextRunReadsTheRest)
{
    for (int i = 1; i <= 4; ++i)
        dovecot.addMessage(QStringLiteral("shop"), orderMail(i));

    TfrmMailImport window(db, mandantId, questions);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto *read = child<QAction>(window, "actEinlesen");
    auto *remove = child<QAction>(window, "actLoeschen");
    auto *cancel = child<QPushButton>(window, "btnAbbrechen");
    {
        WorkerGate gate(window.worker(), 1);
        read->trigger();
        ASSERT_TRUE(gate.waitHeld());
        // A run goes on: no second run, no deletion, but a cancel; the window
        // answers and shows the first row.
        ASSERT_TRUE(QTest::qWaitFor([&] { return rows(window).size() == 1; }, 10000));
        EXPECT_FALSE(read->isEnabled());
        EXPECT_FALSE(remove->isEnabled());
        EXPECT_TRUE(cancel->isEnabled());
        window.readMails(); // pressed twice
        auto *list = child<QTableView>(window, "lvMails");
        list->selectRow(0);
        window.deleteMarkedMail();
        EXPECT_EQ(rows(window), QStringList{QStringLiteral("VQBESTMAIL 1: ") + kInserted});
        QTest::mouseClick(cancel, Qt::LeftButton);
        EXPECT_FALSE(cancel->isEnabled());
        gate.release();
        ASSERT_TRUE(waitIdle(window));
    }
    EXPECT_EQ(rows(window), QStringList{QStringLiteral("VQBESTMAIL 1: ") + kInserted});
    EXPECT_EQ(orderCount(), 1);
    EXPECT_EQ(dovecot.messageCount(QStringLiteral("shop")), 4);
    EXPECT_EQ(questions.informations, QStringList{QString::fromUtf16(kTextImportCancelled)});
    EXPECT_TRUE(child<QLabel>(window, "lblStatus")->text().contains(QStringLiteral("abgebrochen")));
    EXPECT_TRUE(read->isEnabled());
    EXPECT_FALSE(cancel->isEnabled());

    read->trigger();
    ASSERT_TRUE(waitIdle(window));
    EXPECT_EQ(rows(window), (QStringList{QStringLiteral("VQBESTMAIL 1: ") + kAlready,
                                         QStringLiteral("VQBESTMAIL 2: ") + kInserted,
                                         QStringLiteral("VQBESTMAIL 3: ") + kInserted,
                                         QStringLiteral("VQBESTMAIL 4: ") + kInserted}));
    EXPECT_EQ(orderCount(), 4);
    EXPECT_EQ(questions.informations.last(), kSuccess);
}

// A run that cannot read the mailbox or reach the database: one error box
// with the fixed text, no row, nothing stored, and the window ready again.
TEST_F(ImportWindow, FailedRunShowsOneErrorAndNoRow)
{
    dovecot.addMessage(QStringLiteral("shop"), orderMail(1));
    const QString databaseFile = db.location().file;
    const QString moved = databaseFile + QStringLiteral(".weg");
    const QString connectionError = QStringLiteral(
        "Fehler beim Verbinden mit dem Mailserver, bitte prüfen Sie Ihre Einstellungen.");
    struct Case
    {
        const char *name;
        std::function<void()> breakIt, mendIt;
        QString error;
    };
    const Case cases[] = {
        {"login refused", [&] { setPassword(QStringLiteral("falsch")); },
         [&] { setPassword(QStringLiteral("geheim")); }, connectionError},
        {"no server on the port",
         [&] {
             TMandant client = *ClientStore(db).client(mandantId);
             client.port = vq::test::freeLocalPort();
             ASSERT_TRUE(ClientStore(db).updateClient(client));
         },
         [&] {
             TMandant client = *ClientStore(db).client(mandantId);
             client.port = dovecot.port();
             ASSERT_TRUE(ClientStore(db).updateClient(client));
         },
         connectionError},
        // The worker's own connection cannot be opened: the file is gone.
        {"database gone", [&] { ASSERT_TRUE(QFile::rename(databaseFile, moved)); },
         [&] { ASSERT_TRUE(QFile::rename(moved, databaseFile)); },
         QStringLiteral("Fehler beim Zugriff auf die Datenbank.")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        questions.errors.clear();
        questions.informations.clear();
        c.breakIt();
        {
            TfrmMailImport window(db, mandantId, questions);
            window.show();
            child<QAction>(window, "actEinlesen")->trigger();
            ASSERT_TRUE(waitIdle(window));
            EXPECT_EQ(questions.errors, QStringList{c.error});
            EXPECT_TRUE(questions.informations.isEmpty());
            EXPECT_TRUE(rows(window).isEmpty());
            // The busy bar does not go on turning; a new run can start.
            EXPECT_GT(child<QProgressBar>(window, "pbFortschritt")->maximum(), 0);
            EXPECT_TRUE(child<QAction>(window, "actEinlesen")->isEnabled());
            EXPECT_TRUE(
                child<QPlainTextEdit>(window, "memMeldungen")->toPlainText().startsWith(c.error));
        }
        c.mendIt();
        EXPECT_EQ(orderCount(), 0);
    }
}

TEST_F(ImportWindow, DeletesTheMarkedMailOnTheServerAndItsRow)
{
    for (int i = 1; i <= 3; ++i)
        dovecot.addMessage(QStringLiteral("shop"), orderMail(i));
    TfrmMailImport window(db, mandantId, questions);
    window.show();
    child<QAction>(window, "actEinlesen")->trigger();
    ASSERT_TRUE(waitIdle(window));
    ASSERT_EQ(rows(window).size(), 3);

    auto *list = child<QTableView>(window, "lvMails");
    auto *remove = child<QAction>(window, "actLoeschen");
    // Without a marked row there is nothing to delete.
    EXPECT_FALSE(remove->isEnabled());
    list->selectRow(0);
    ASSERT_TRUE(remove->isEnabled());
    remove->trigger();
    ASSERT_TRUE(waitIdle(window));
    EXPECT_EQ(dovecot.messageCount(QStringLiteral("shop")), 2);
    // The next row is bound to its own message, though the server numbers it anew.
    list->selectRow(1);
    remove->trigger();
    ASSERT_TRUE(waitIdle(window));
    EXPECT_EQ(dovecot.messageCount(QStringLiteral("shop")), 1);
    EXPECT_EQ(rows(window), QStringList{QStringLiteral("VQBESTMAIL 2: ") + kInserted});
    EXPECT_EQ(orderCount(), 3); // orders stay
    EXPECT_TRUE(questions.errors.isEmpty());

    // A deletion that fails keeps the row and says so.
    setPassword(QStringLiteral("falsch"));
    list->selectRow(0);
    remove->trigger();
    ASSERT_TRUE(waitIdle(window));
    EXPECT_EQ(questions.errors, QStringList{QStringLiteral("Fehler beim löschen der Nachricht")});
    EXPECT_EQ(rows(window).size(), 1);
    EXPECT_EQ(dovecot.messageCount(QStringLiteral("shop")), 1);

    // The next run reads what is left.
    setPassword(QStringLiteral("geheim"));
    child<QAction>(window, "actEinlesen")->trigger();
    ASSERT_TRUE(waitIdle(window));
    EXPECT_EQ(rows(window), QStringList{QStringLiteral("VQBESTMAIL 2: ") + kAlready});
}

TEST_F(ImportWindow, DeletesSeveralMarkedMailsAtOnceOrNone)
{
    for (int i = 1; i <= 5; ++i)
        dovecot.addMessage(QStringLiteral("shop"), orderMail(i));
    TfrmMailImport window(db, mandantId, questions);
    window.show();
    child<QAction>(window, "actEinlesen")->trigger();
    ASSERT_TRUE(waitIdle(window));
    ASSERT_EQ(rows(window).size(), 5);

    auto *list = child<QTableView>(window, "lvMails");
    auto *remove = child<QAction>(window, "actLoeschen");
    const auto mark = [&](std::initializer_list<int> marked) {
        list->clearSelection();
        for (const int row : marked)
            list->selectionModel()->select(list->model()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    };
    // The first, third and fifth mail in one go, by the keyboard's extended selection too.
    mark({0, 2, 4});
    ASSERT_TRUE(remove->isEnabled());
    remove->trigger();
    ASSERT_TRUE(waitIdle(window));
    EXPECT_EQ(dovecot.messageCount(QStringLiteral("shop")), 2);
    EXPECT_EQ(rows(window), (QStringList{QStringLiteral("VQBESTMAIL 2: ") + kInserted,
                                         QStringLiteral("VQBESTMAIL 4: ") + kInserted}));
    EXPECT_TRUE(questions.errors.isEmpty());

    // One of two marked mails is gone from the server meanwhile: neither is deleted.
    const QStringList files = QDir(dovecot.maildir(QStringLiteral("shop")) + QStringLiteral("/cur"))
                                  .entryList(QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty());
    ASSERT_TRUE(QFile::remove(dovecot.maildir(QStringLiteral("shop")) + QStringLiteral("/cur/")
                              + files.last()));
    mark({0, 1});
    remove->trigger();
    ASSERT_TRUE(waitIdle(window));
    EXPECT_EQ(questions.errors, QStringList{QStringLiteral("Fehler beim löschen der Nachricht")});
    EXPECT_EQ(rows(window).size(), 2);
    EXPECT_EQ(dovecot.messageCount(QStringLiteral("shop")), 1);
    EXPECT_EQ(orderCount(), 5); // orders stay
}

TEST_F(ImportWindow, ClosingDuringARunCancelsItAndClosesWhenTheWorkerIsDone)
{
    for (int i = 1; i <= 4; ++i)
        dovecot.addMessage(QStringLiteral("shop"), orderMail(i));
    {
        TfrmMailImport window(db, mandantId, questions);
        window.show();
        WorkerGate gate(window.worker(), 2);
        child<QAction>(window, "actEinlesen")->trigger();
        ASSERT_TRUE(gate.waitHeld());
        // The close box: the window stays until the mail at hand is done.
        window.close();
        EXPECT_TRUE(window.isVisible());
        EXPECT_FALSE(child<QAction>(window, "actEinlesen")->isEnabled());
        EXPECT_FALSE(child<QAction>(window, "actVerlassen")->isEnabled());
        gate.release();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 30000));
        EXPECT_FALSE(window.isBusy());
        EXPECT_EQ(window.result(), QDialog::Rejected);
    }
    EXPECT_EQ(orderCount(), 2);
    // No box pops up over a window the user closed.
    EXPECT_TRUE(questions.informations.isEmpty());
    EXPECT_TRUE(questions.errors.isEmpty());

    // Destroyed while the worker runs: the destructor waits for it.
    auto window = std::make_unique<TfrmMailImport>(db, mandantId, questions);
    window->show();
    child<QAction>(*window, "actEinlesen")->trigger();
    window.reset();
    EXPECT_GE(orderCount(), 2);
    EXPECT_LE(orderCount(), 4);

    // Escape during a run cancels as well, and the window closes afterwards.
    TfrmMailImport again(db, mandantId, questions);
    again.show();
    {
        WorkerGate gate(again.worker(), 1);
        child<QAction>(again, "actEinlesen")->trigger();
        ASSERT_TRUE(gate.waitHeld());
        QTest::keyClick(&again, Qt::Key_Escape);
        EXPECT_TRUE(again.isVisible());
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !again.isVisible(); }, 30000));
}

// Sender and subject come from strangers: a subject of 20,000 characters with
// tabs and an encoded line break is listed short and on one line, and the
// order in the mail is stored all the same.
TEST_F(ImportWindow, HugeSubjectIsListedShortOnOneLine)
{
    const QByteArray tail = QByteArray(20000, 'x');
    QByteArray mail = orderMail(1);
    mail.replace("Subject: VQBESTMAIL 1", "Subject: VQBESTMAIL\t=?utf-8?b?"
                                              + QByteArray("zwei\nZeilen").toBase64()
                                              + "?= " + tail);
    dovecot.addMessage(QStringLiteral("shop"), mail);
    TfrmMailImport window(db, mandantId, questions);
    window.show();
    child<QAction>(window, "actEinlesen")->trigger();
    ASSERT_TRUE(waitIdle(window));
    auto *list = child<QTableView>(window, "lvMails");
    ASSERT_EQ(list->model()->rowCount(), 1);
    const QString subject = list->model()->index(0, 1).data().toString();
    EXPECT_TRUE(subject.startsWith(QStringLiteral("VQBESTMAIL"))) << subject.left(80).toStdString();
    EXPECT_LE(subject.size(), 301);
    EXPECT_FALSE(subject.contains(u'\n'));
    EXPECT_FALSE(subject.contains(u'\t'));
    EXPECT_EQ(list->model()->index(0, 4).data().toString(), kInserted);
    EXPECT_EQ(orderCount(), 1);
}

// Subjects and the reasons a mail is refused come from strangers. For each
// hostile text a mail carries it in its subject and as its quantity: the row
// shows the subject on one line, the tool tip of its status (really shown)
// and the messages name the quantity literally, each at most 300 characters.
// No picture is loaded.
TEST_F(ImportWindow, ShowsStrangersSubjectsAndReasonsAsPlainText)
{
    using namespace vq::test;
    WatchedPipe pipe;
    ASSERT_TRUE(pipe.made());
    const QList<HostileText> hostile = hostileTexts(pipe);
    // The quantity of the megabyte mail is 600 KiB: its order document stays
    // below the 1 MiB a document may have, so the quantity is the reason.
    constexpr qsizetype kMaxQuantity = 600 * 1024;
    for (qsizetype i = 0; i < hostile.size(); ++i) {
        const QString &text = hostile[i].text;
        const QByteArray n = QByteArray::number(i + 1);
        // The subject in encoded words of 30 characters each: any text fits a header so.
        QByteArray words;
        for (qsizetype at = 0; at < text.size(); at += 30)
            words +=
                (at ? "\n " : "") + ("=?utf-8?b?" + text.mid(at, 30).toUtf8().toBase64()) + "?=";
        QByteArray mail = orderMail(int(i + 1));
        mail.replace("Subject: VQBESTMAIL " + n, "Subject: VQBESTMAIL " + words);
        mail.replace("<amount>" + QByteArray("1").toBase64() + "</amount>",
                     "<amount>" + text.left(kMaxQuantity).toUtf8().toBase64() + "</amount>");
        dovecot.addMessage(QStringLiteral("shop"), mail);
    }
    TfrmMailImport window(db, mandantId, questions);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    child<QAction>(window, "actEinlesen")->trigger();
    ASSERT_TRUE(waitIdle(window));

    auto *list = child<QTableView>(window, "lvMails");
    ASSERT_EQ(list->model()->rowCount(), hostile.size());
    const QStringList messages =
        child<QPlainTextEdit>(window, "memMeldungen")->toPlainText().split(u'\n');
    for (qsizetype i = 0; i < hostile.size(); ++i) {
        SCOPED_TRACE(hostile[i].name);
        const QString subject = cutAt(QStringLiteral("VQBESTMAIL ") + hostile[i].seen, 300);
        const QString reason =
            cutAt(QStringLiteral("Artikel 1: \"amount\" ist keine ganze Zahl: \"")
                      + hostile[i].seen.left(kMaxQuantity) + QStringLiteral("\"."),
                  300);
        EXPECT_EQ(list->model()->index(int(i), 1).data().toString(), subject);
        EXPECT_EQ(list->model()->index(int(i), 4).data().toString(),
                  QStringLiteral("Fehler beim XML-Parsing"));
        restOn(*list, list->model()->index(int(i), 4));
        EXPECT_EQ(shownToolTipText(), reason);
        EXPECT_TRUE(shownToolTipFits());
        QToolTip::hideText();
        EXPECT_TRUE(messages.contains(
            QStringLiteral("Fehler beim XML-Parsing: %1 (%2)").arg(subject, reason)))
            << messages.join(u'|').left(2000).toStdString();
    }
    EXPECT_EQ(orderCount(), 0);
    EXPECT_FALSE(pipe.opened()) << "a tool tip read the named pipe as a picture";
}

// As the main window opens it: modally. A run, then "Verlassen" ends exec();
// "Verlassen" pressed during a run ends it only when the worker is done.
TEST_F(ImportWindow, OpenedModallyRunsAndLeaves)
{
    for (int i = 1; i <= 3; ++i)
        dovecot.addMessage(QStringLiteral("shop"), orderMail(i));
    TfrmMailImport window(db, mandantId, questions);
    auto *read = child<QAction>(window, "actEinlesen");
    auto *leave = child<QAction>(window, "actVerlassen");
    int step = 0;
    QTimer driver;
    driver.setInterval(20);
    QObject::connect(&driver, &QTimer::timeout, &window, [&] {
        if (!window.isVisible())
            return;
        if (step == 0) {
            read->trigger();
            step = 1;
        } else if (step == 1 && !window.isBusy()) {
            leave->trigger();
            step = 2;
        }
    });
    driver.start();
    EXPECT_EQ(window.exec(), QDialog::Rejected);
    EXPECT_EQ(step, 2);
    EXPECT_EQ(orderCount(), 3);
    EXPECT_EQ(questions.informations, QStringList{kSuccess});

    // Leaving during a run: exec() returns after the worker has stopped.
    dovecot.addMessage(QStringLiteral("shop"), orderMail(4));
    dovecot.addMessage(QStringLiteral("shop"), orderMail(5));
    WorkerGate gate(window.worker(), 4);
    step = 0;
    QObject::disconnect(&driver, nullptr, &window, nullptr);
    QObject::connect(&driver, &QTimer::timeout, &window, [&] {
        if (!window.isVisible())
            return;
        if (step == 0) {
            read->trigger();
            step = 1;
        } else if (step == 1 && gate.waitHeld()) {
            leave->trigger();
            EXPECT_TRUE(window.isVisible());
            gate.release();
            step = 2;
        }
    });
    EXPECT_EQ(window.exec(), QDialog::Rejected);
    EXPECT_FALSE(window.isBusy());
    EXPECT_EQ(orderCount(), 4);
}

// On a PostgreSQL server the worker opens its own connection to the same
// database: a cancelled run and the run after it.
class ImportWindowPostgres : public ImportWindow
{
protected:
    SqlDialect dialect() const override { return SqlDialect::PostgreSQL; }
};

TEST_F(ImportWindowPostgres, CancelledRunAndTheRunAfterItStoreEveryOrderOnce)
{
    for (int i = 1; i <= 3; ++i)
        dovecot.addMessage(QStringLiteral("shop"), orderMail(i));
    TfrmMailImport window(db, mandantId, questions);
    window.show();
    {
        WorkerGate gate(window.worker(), 2);
        child<QAction>(window, "actEinlesen")->trigger();
        ASSERT_TRUE(gate.waitHeld());
        window.cancelRun();
    }
    ASSERT_TRUE(waitIdle(window));
    EXPECT_EQ(orderCount(), 2);
    EXPECT_EQ(questions.informations, QStringList{QString::fromUtf16(kTextImportCancelled)});
    child<QAction>(window, "actEinlesen")->trigger();
    ASSERT_TRUE(waitIdle(window));
    EXPECT_EQ(rows(window), (QStringList{QStringLiteral("VQBESTMAIL 1: ") + kAlready,
                                         QStringLiteral("VQBESTMAIL 2: ") + kAlready,
                                         QStringLiteral("VQBESTMAIL 3: ") + kInserted}));
    EXPECT_EQ(orderCount(), 3);
    EXPECT_TRUE(questions.errors.isEmpty()) << questions.errors.join(u'\n').toStdString();
}

} // namespace
