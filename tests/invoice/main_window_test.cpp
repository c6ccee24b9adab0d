// The invoice module's main window offscreen: the order list of the current
// client with its columns and the client's currency, the tool bar and menus,
// moving through the list, one transaction per stay in the order editor,
// deleting with the question, standing on the newest order after an import,
// naming and opening the database, the data folder and the help, the about
// box, and the state editor with its refusal for a used state. Set
// VQ_SCREENSHOT_DIR to keep a picture of each window.
#include "common/GlobalFunctions.h"
#include "common_ui/plain_text.h"
#include "invoice/db/clients.h"
#include "invoice/db/order_store.h"
#include "invoice/db/state_store.h"
#include "invoice/output/invoice_issuer.h"
#include "invoice/session/order_edit_session.h"
#include "invoice/ui/uBestellung.h"
#include "invoice/ui/uMainWindow.h"
#include "invoice/ui/uStatus.h"
#include "tests/invoice/invoice_servers.h"
#include "tests/support/environment_scope.h"
#include "tests/support/plain_text_support.h"
#include "tests/support/scripted_questions.h"
#include "tests/support/widget_test_support.h"
#include "tests/support/window_checks.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSqlQuery>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <functional>
#include <gtest/gtest.h>

using namespace vq::invoice;
using vq::test::child;
using vq::test::keepScreenshot;
using vq::test::ScriptedQuestions;
using vq::test::whenModal;

namespace {

QString programFolder()
{
    return QStringLiteral(VQ_PROGRAM_DIR "/rechtool");
}

QStringList utf8List(std::initializer_list<const char *> items)
{
    QStringList texts;
    for (const char *item : items)
        texts << QString::fromUtf8(item);
    return texts;
}

// The texts of a menu or tool bar, "-" for a separator.
QStringList entries(const QList<QAction *> &actions, bool hints = false)
{
    QStringList texts;
    for (const QAction *action : actions)
        texts << (action->isSeparator() ? QStringLiteral("-")
                  : hints               ? action->toolTip()
                                        : action->text());
    return texts;
}

// Runs action on a modal dialog when trigger shows one; false when none was shown.
bool onModalIfShown(const std::function<void()> &trigger,
                    const std::function<void(QDialog &)> &action)
{
    bool shown = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll.stop();
        shown = true;
        action(*dialog);
    });
    poll.start();
    trigger();
    poll.stop();
    return shown;
}

class MainWindowTest : public testing::TestWithParam<SqlDialect>
{
protected:
    static void TearDownTestSuite() { vq::test::stopSharedPostgres(); }

    void SetUp() override
    {
        ASSERT_TRUE(home.isValid() && dir.isValid());
        dataHome.emplace("XDG_DATA_HOME", home.path().toUtf8());
        QString error;
        ASSERT_TRUE(vq::test::openTestDatabase(db, GetParam(), dir.path(), &error))
            << error.toStdString();
        euroClient = addClient(QStringLiteral("Fensterladen KG"), QStringLiteral("€"));
        francClient = addClient(QStringLiteral("Bergsport AG"), QStringLiteral("CHF"));
        ASSERT_GT(euroClient, 0);
        ASSERT_GT(francClient, 0);
        euroOrders << addOrder(euroClient, 1, QStringLiteral("Anna"), QStringLiteral("Alt"), 10)
                   << addOrder(euroClient, 2, QStringLiteral("Bert"), QStringLiteral("Mittel"), 20)
                   << addOrder(euroClient, 3, QStringLiteral("Cora"), QStringLiteral("Neu"),
                               1234.5);
        francOrders << addOrder(francClient, 1, QStringLiteral("Dora"), QStringLiteral("Berg"),
                                99.9)
                    << addOrder(francClient, 2, QStringLiteral("Emil"), QStringLiteral("Tal"), 5);
        window = std::make_unique<TfrmMainWindow>(db, questions, programFolder());
    }

    void TearDown() override
    {
        window.reset();
        db.close();
    }

    int addClient(const QString &firma, const QString &currency)
    {
        TMandant client = newClient();
        client.firma = firma;
        client.waehrung = currency;
        client.email = QStringLiteral("shop@example.org");
        return ClientStore(db).insertClient(client).value_or(0);
    }

    int addOrder(int mandantId, int rechNr, const QString &name, const QString &nachname,
                 double price)
    {
        TBestellung order;
        order.mandantId = mandantId;
        order.rechNr = rechNr;
        order.zeit = QDateTime(QDate(2026, 12, rechNr), QTime(9, 30), Qt::UTC);
        order.firma = QStringLiteral("Kunde %1").arg(rechNr);
        order.name = name;
        order.nachname = nachname;
        const int id = OrderStore(db).insertOrder(order).value_or(0);
        TArtikel line;
        line.bestellungId = id;
        line.nr = QStringLiteral("A1");
        line.name = QStringLiteral("Ware");
        line.anzahl = 1;
        line.preis = price;
        line.mwst = 19;
        EXPECT_TRUE(OrderStore(db).insertLine(line));
        return id;
    }

    // "Mandant wechseln" with the selection accepting that client.
    void chooseClient(int mandantId)
    {
        whenModal([this, mandantId](QDialog &selection) {
            EXPECT_EQ(selection.objectName(), QStringLiteral("frmMandantWahl"));
            QString message;
            EXPECT_TRUE(window->currentClient().accept(mandantId, &message))
                << message.toStdString();
            selection.done(QDialog::Accepted);
        });
        action("actMandantWechseln")->trigger();
    }

    // Shows the window; the selection it opens on its first showing keeps the client.
    void showWindow()
    {
        whenModal([](QDialog &selection) { selection.done(QDialog::Rejected); });
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() == nullptr; }));
        QTest::qWait(20);
    }

    QAction *action(const char *name) { return child<QAction>(*window, name); }
    QTableView *grid() { return child<QTableView>(*window, "grdBestellungen"); }
    QString cell(int row, int column)
    {
        return grid()->model()->index(row, column).data().toString();
    }
    int orderCount(int mandantId)
    {
        const auto rows = OrderStore(db).orderList(mandantId);
        EXPECT_TRUE(rows.has_value());
        return rows ? int(rows->size()) : -1;
    }

    QTemporaryDir home, dir;
    std::optional<vq::test::EnvironmentScope> dataHome;
    InvoiceConnection db;
    ScriptedQuestions questions;
    int euroClient = 0, francClient = 0;
    QList<int> euroOrders, francOrders;
    std::unique_ptr<TfrmMainWindow> window;
};

using MainWindowSQLite = MainWindowTest;

TEST_P(MainWindowSQLite, ShowsTheCaptionCommandsAndMenusInTheirOrder)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("VQ-Bestellformular Rechnungsmodul V1.5"));
    // 831 x 600 where the screen has room (the offscreen one is smaller).
    EXPECT_EQ(window->size(),
              QSize(831, 600).boundedTo(QApplication::primaryScreen()->availableSize()));

    auto *toolBar = child<QToolBar>(*window, "tbrHaupt");
    ASSERT_TRUE(toolBar);
    EXPECT_EQ(entries(toolBar->actions(), true),
              utf8List({"Neu", "Bearbeiten", "Löschen", "-", "Drucken", "Vorschau Rechnung", "-",
                        "Mandant wechseln", "-", "Bestellungen einlesen", "-",
                        "Gehe zu erster Bestellung", "Bestellung zurück", "Nächste Bestellung",
                        "Zu neuester Bestellung springen", "-", "Hilfe", "-", "Beenden"}));
    for (QAction *command : toolBar->actions()) {
        if (!command->isSeparator()) {
            EXPECT_FALSE(command->icon().isNull()) << command->toolTip().toStdString();
            EXPECT_FALSE(toolBar->widgetForAction(command)->accessibleName().isEmpty());
        }
    }

    const QList<QAction *> menus = window->menuBar()->actions();
    ASSERT_EQ(menus.size(), 3);
    EXPECT_EQ(entries(menus), utf8List({"&Datei", "Ein&stellungen", "&Hilfe"}));
    EXPECT_EQ(entries(menus[0]->menu()->actions()),
              utf8List({"Neu", "Bearbeiten", "Löschen", "-", "Bestellungen einlesen", "Vorschau",
                        "-", "Drucken", "E-Rechnung (XRechnung) speichern",
                        "E-Rechnung (ZUGFeRD-PDF) speichern", "-", "Stornieren", "Korrigieren",
                        "Prüfen", "-", "Beenden"}));
    EXPECT_EQ(
        entries(menus[1]->menu()->actions()),
        utf8List({"Mandant wechseln", "Mandanten verwalten", "-", "Rechnungsvorlage bearbeiten",
                  "Rechnungsvorlage zurücksetzen", "-", "Status bearbeiten", "-",
                  "Datenbank aufrufen", "-", "Datenverzeichnis öffnen"}));
    EXPECT_EQ(entries(menus[2]->menu()->actions()), utf8List({"Hilfe", "Über diese Anwendung"}));
    EXPECT_EQ(action("actNeu")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
}

TEST_P(MainWindowSQLite, FirstShowingAsksForTheClientThenListsItsOrders)
{
    bool asked = false;
    whenModal([&](QDialog &selection) {
        asked = true;
        EXPECT_EQ(selection.objectName(), QStringLiteral("frmMandantWahl"));
        EXPECT_TRUE(window->isVisible());
        QString message;
        EXPECT_TRUE(window->currentClient().accept(euroClient, &message));
        selection.done(QDialog::Accepted);
    });
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return asked && grid()->model()->rowCount() == 3; }));
    EXPECT_EQ(window->currentRow(), 0);
    EXPECT_TRUE(
        child<QLabel>(*window, "lblMandant")->text().contains(QStringLiteral("Fensterladen KG")));
    EXPECT_EQ(child<QLabel>(*window, "lblAnzahl")->text(), QStringLiteral("3 Bestellungen"));
    keepScreenshot(window.get(), QStringLiteral("hauptfenster"));
    window->resize(500, 300);
    keepScreenshot(window.get(), QStringLiteral("hauptfenster_klein"));

    // Showing again (after minimising) does not ask again.
    window->hide();
    window->show();
    QTest::qWait(50);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_P(MainWindowSQLite, ListsTheColumnsWithMoneyInTheCurrencyOfTheChosenClient)
{
    // Without a client: no rows, and nothing that needs one is offered.
    EXPECT_EQ(grid()->model()->rowCount(), 0);
    for (const char *name :
         {"actNeu", "actBearbeiten", "actLoeschen", "actDrucken", "actVorschau", "actXRechnung",
          "actZugferd", "actEinlesen", "actVorlageBearbeiten", "actVorlageZuruecksetzen"})
        EXPECT_FALSE(action(name)->isEnabled()) << name;
    window->newOrder();
    window->importOrders();
    EXPECT_EQ(db.transactionDepth(), 0);
    EXPECT_EQ(child<QLabel>(*window, "lblMandant")->text(), QStringLiteral("Kein Mandant gewählt"));

    chooseClient(euroClient);
    const QHeaderView *header = grid()->horizontalHeader();
    const QStringList titles =
        utf8List({"Rech.-Nr.", "Datum", "Firma", "Vorname", "Nachname", "Summe", "Status"});
    const QList<int> widths{60, 80, 140, 150, 150, 100};
    for (int column = 0; column < titles.size(); ++column) {
        EXPECT_EQ(grid()->model()->headerData(column, Qt::Horizontal).toString(), titles[column]);
        if (column < widths.size()) {
            EXPECT_EQ(header->sectionSize(column), widths[column]) << column;
        }
    }
    ASSERT_EQ(grid()->model()->rowCount(), 3);
    EXPECT_EQ(cell(2, 0), QStringLiteral("3"));
    EXPECT_EQ(cell(2, 1), QStringLiteral("03.12.2026"));
    EXPECT_EQ(cell(2, 2), QStringLiteral("Kunde 3"));
    EXPECT_EQ(cell(2, 3), QStringLiteral("Cora"));
    EXPECT_EQ(cell(2, 4), QStringLiteral("Neu"));
    EXPECT_EQ(cell(2, 5), QStringLiteral("1.234,50 €"));
    EXPECT_EQ(cell(2, 6), QStringLiteral("Neu"));
    for (const int column : {0, 5}) {
        const auto alignment =
            Qt::Alignment(grid()->model()->index(0, column).data(Qt::TextAlignmentRole).toInt());
        EXPECT_TRUE(alignment & Qt::AlignRight) << column;
    }
    EXPECT_TRUE(action("actNeu")->isEnabled());
    EXPECT_TRUE(action("actBearbeiten")->isEnabled());

    chooseClient(francClient);
    ASSERT_EQ(grid()->model()->rowCount(), 2);
    EXPECT_EQ(window->currency(), QStringLiteral("CHF"));
    for (int row = 0; row < 2; ++row) {
        EXPECT_TRUE(cell(row, OrderListModel::Summe).endsWith(QStringLiteral(" CHF")))
            << cell(row, OrderListModel::Summe).toStdString();
        EXPECT_FALSE(cell(row, OrderListModel::Summe).contains(QStringLiteral("€")));
    }
    EXPECT_EQ(cell(0, OrderListModel::Summe), QStringLiteral("99,90 CHF"));
    EXPECT_EQ(window->selectedOrderId(), francOrders[0]);
    EXPECT_TRUE(
        child<QLabel>(*window, "lblMandant")->text().contains(QStringLiteral("Bergsport AG")));
    EXPECT_EQ(child<QLabel>(*window, "lblAnzahl")->text(), QStringLiteral("2 Bestellungen"));

    // A currency changed in the client manager shows after it closes.
    whenModal([&](QDialog &manager) {
        EXPECT_EQ(manager.objectName(), QStringLiteral("frmMandanten"));
        TMandant client = *ClientStore(db).client(francClient);
        client.waehrung = QStringLiteral("Fr.");
        EXPECT_TRUE(ClientStore(db).updateClient(client));
        manager.done(QDialog::Accepted);
    });
    action("actMandantenVerwalten")->trigger();
    EXPECT_EQ(cell(0, OrderListModel::Summe), QStringLiteral("99,90 Fr."));

    // A client deleted there leaves an empty list and no command that needs it.
    whenModal([&](QDialog &manager) {
        EXPECT_TRUE(ClientStore(db).deleteClient(francClient));
        manager.done(QDialog::Accepted);
    });
    action("actMandantenVerwalten")->trigger();
    EXPECT_EQ(grid()->model()->rowCount(), 0);
    EXPECT_FALSE(action("actNeu")->isEnabled());
    EXPECT_EQ(child<QLabel>(*window, "lblMandant")->text(), QStringLiteral("Kein Mandant gewählt"));
}

TEST_P(MainWindowSQLite, MovesThroughTheListAndEditsOnDoubleClick)
{
    chooseClient(euroClient);
    struct Step
    {
        const char *command;
        int row;
    };
    const Step steps[] = {{"actLetzter", 2},   {"actZurueck", 1},   {"actZurueck", 0},
                          {"actZurueck", 0},   {"actNaechster", 1}, {"actNaechster", 2},
                          {"actNaechster", 2}, {"actErster", 0}};
    for (const Step &step : steps) {
        action(step.command)->trigger();
        EXPECT_EQ(window->currentRow(), step.row) << step.command;
        EXPECT_EQ(window->selectedOrderId(), euroOrders[step.row]) << step.command;
        EXPECT_EQ(action("actZurueck")->isEnabled(), step.row > 0);
        EXPECT_EQ(action("actErster")->isEnabled(), step.row > 0);
        EXPECT_EQ(action("actNaechster")->isEnabled(), step.row < 2);
        EXPECT_EQ(action("actLetzter")->isEnabled(), step.row < 2);
    }

    // A double-click edits that row's order; afterwards the list stands on the row again.
    showWindow();
    window->goToRow(1);
    int edited = 0;
    whenModal([&](QDialog &editor) {
        EXPECT_EQ(editor.objectName(), QStringLiteral("frmBestellung"));
        edited = window->orderEditor().currentOrderId();
        editor.done(QDialog::Rejected);
    });
    const QRect rect = grid()->visualRect(grid()->model()->index(1, 2));
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(edited, euroOrders[1]);
    EXPECT_EQ(window->currentRow(), 1);
    EXPECT_EQ(db.transactionDepth(), 0);

    // Enter on a row does the same.
    window->goToRow(2);
    edited = 0;
    whenModal([&](QDialog &editor) {
        edited = window->orderEditor().currentOrderId();
        editor.done(QDialog::Rejected);
    });
    grid()->setFocus();
    QTest::keyClick(grid(), Qt::Key_Return);
    EXPECT_EQ(edited, euroOrders[2]);
    EXPECT_EQ(db.transactionDepth(), 0);

    // So does the Enter key of the number pad.
    window->goToRow(0);
    edited = 0;
    whenModal([&](QDialog &editor) {
        edited = window->orderEditor().currentOrderId();
        editor.done(QDialog::Rejected);
    });
    grid()->setFocus();
    QTest::keyClick(grid(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(edited, euroOrders[0]);
    EXPECT_EQ(db.transactionDepth(), 0);
}

TEST_P(MainWindowSQLite, StandsOnTheNewestOrderAfterAnImport)
{
    chooseClient(euroClient);
    window->goToRow(0);
    int newest = 0;
    whenModal([&](QDialog &import) {
        EXPECT_EQ(import.objectName(), QStringLiteral("frmMailImport"));
        addOrder(euroClient, 4, QStringLiteral("Fritz"), QStringLiteral("Post"), 7);
        newest = addOrder(euroClient, 5, QStringLiteral("Gina"), QStringLiteral("Post"), 8);
        import.done(QDialog::Rejected);
    });
    action("actEinlesen")->trigger();
    ASSERT_EQ(grid()->model()->rowCount(), 5);
    EXPECT_EQ(window->currentRow(), 4);
    EXPECT_EQ(window->selectedOrderId(), newest);
    EXPECT_EQ(child<QLabel>(*window, "lblAnzahl")->text(), QStringLiteral("5 Bestellungen"));
}

TEST_P(MainWindowSQLite, DeletesAfterTheQuestionDownToAnEmptyList)
{
    chooseClient(euroClient);
    window->goToRow(1);
    questions.answers = {false};
    action("actLoeschen")->trigger();
    EXPECT_EQ(questions.asked, QStringList{QStringLiteral("Bestellung wirklich löschen?")});
    EXPECT_EQ(orderCount(euroClient), 3);

    questions.answers = {true};
    action("actLoeschen")->trigger();
    EXPECT_EQ(orderCount(euroClient), 2);
    EXPECT_FALSE(OrderStore(db).order(euroOrders[1]).has_value());
    EXPECT_TRUE(OrderStore(db).linesOfOrder(euroOrders[1]).value_or(QList<TArtikel>{}).isEmpty());
    EXPECT_EQ(window->currentRow(), 1);
    EXPECT_EQ(window->selectedOrderId(), euroOrders[2]);

    // The last row deleted: the list stands on the row before it.
    questions.answers = {true};
    action("actLoeschen")->trigger();
    EXPECT_EQ(window->currentRow(), 0);
    questions.answers = {true};
    action("actLoeschen")->trigger();
    EXPECT_EQ(grid()->model()->rowCount(), 0);
    EXPECT_EQ(window->currentRow(), -1);
    EXPECT_TRUE(questions.errors.isEmpty()) << questions.errors.join(u'\n').toStdString();
    EXPECT_FALSE(action("actLoeschen")->isEnabled());
    EXPECT_FALSE(action("actBearbeiten")->isEnabled());
    // The other client's orders stay.
    EXPECT_EQ(orderCount(francClient), 2);
    EXPECT_EQ(child<QLabel>(*window, "lblAnzahl")->text(), QStringLiteral("0 Bestellungen"));
}

TEST_P(MainWindowSQLite, DeleteThatTheDatabaseRefusesKeepsTheOrderAndSaysWhy)
{
    chooseClient(euroClient);
    window->goToRow(1);
    // Another program holds the write lock longer than this window waits.
    InvoiceConnection other;
    QString error;
    ASSERT_TRUE(other.openLocation(db.location(), &error)) << error.toStdString();
    ASSERT_TRUE(other.begin(InvoiceConnection::WriteLock::AtStart));
    ASSERT_TRUE(db.setLockTimeout(200));
    questions.answers = {true};
    action("actLoeschen")->trigger();
    ASSERT_EQ(questions.errors.size(), 1);
    EXPECT_TRUE(
        questions.errors[0].startsWith(QStringLiteral("Fehler beim löschen des Datensatzes")));
    EXPECT_TRUE(questions.errors[0].contains(QString::fromUtf16(kTextDatabaseLocked)));
    ASSERT_TRUE(other.rollback());
    EXPECT_TRUE(OrderStore(db).order(euroOrders[1]).has_value());
    EXPECT_EQ(grid()->model()->rowCount(), 3);
    EXPECT_EQ(window->currentRow(), 1);
}

TEST_P(MainWindowSQLite, NamesTheDatabaseFileAndOpensItTheDataFolderAndTheHelp)
{
    action("actDatenbank")->trigger();
    const QString file = db.location().file;
    ASSERT_EQ(questions.informations.size(), 1);
    EXPECT_TRUE(questions.informations[0].contains(QDir::toNativeSeparators(file)));
    EXPECT_EQ(questions.opened, QStringList{file});

    action("actDatenverzeichnis")->trigger();
    EXPECT_EQ(questions.opened.value(1), vq::appDataFolder());
    EXPECT_TRUE(vq::appDataFolder().startsWith(home.path()));

    action("actHilfe")->trigger();
    ASSERT_EQ(questions.helpPages.size(), 1u);
    const QUrl help = questions.helpPages.front();
    EXPECT_TRUE(help.toLocalFile().endsWith(QStringLiteral("help/fenster.htm")));
    EXPECT_EQ(help.fragment(), QStringLiteral("hauptfenster"));
    EXPECT_TRUE(QFileInfo(help.toLocalFile()).isFile());
    EXPECT_TRUE(questions.errors.isEmpty());

    // Without a handler for it the user learns where the thing lies.
    questions.openSucceeds = false;
    action("actDatenverzeichnis")->trigger();
    ASSERT_EQ(questions.errors.size(), 1);
    EXPECT_TRUE(questions.errors[0].contains(QDir::toNativeSeparators(vq::appDataFolder())));
}

TEST_P(MainWindowSQLite, PutsOutTheInvoiceOfTheSelectedOrder)
{
    chooseClient(euroClient);
    ASSERT_TRUE(QFileInfo::exists(clientTemplatePath(euroClient)));
    window->goToRow(2);
    QString shown;
    whenModal([&](QDialog &preview) {
        shown = preview.windowTitle();
        preview.done(QDialog::Rejected);
    });
    action("actVorschau")->trigger();
    EXPECT_EQ(shown, QStringLiteral("Rechnung Vorschau"));
    EXPECT_TRUE(questions.errors.isEmpty()) << questions.errors.join(u'\n').toStdString();

    // The client lacks what an electronic invoice needs: the message names it, no file is asked
    // for.
    action("actXRechnung")->trigger();
    ASSERT_EQ(questions.errors.size(), 1);
    EXPECT_TRUE(questions.suggestions.isEmpty());
    EXPECT_EQ(window->currentRow(), 2);
}

TEST_P(MainWindowSQLite, AboutBoxNamesTheProgramAndCloses)
{
    bool shown = false;
    whenModal([&](QDialog &about) {
        shown = true;
        EXPECT_EQ(about.windowTitle(), QStringLiteral("Über diese Anwendung"));
        EXPECT_EQ(child<QLabel>(about, "lblProgrammname")->text(),
                  QStringLiteral("VQ-BestellFormular Rechnungsmodul"));
        EXPECT_TRUE(child<QLabel>(about, "lblVersion")->text().contains(QStringLiteral("1.5")));
        keepScreenshot(&about, QStringLiteral("ueber"));
        auto *close = child<QPushButton>(about, "btnSchliessen");
        ASSERT_TRUE(close);
        EXPECT_EQ(close->text(), QStringLiteral("Schließen"));
        close->click();
    });
    action("actUeber")->trigger();
    EXPECT_TRUE(shown);
}

TEST_P(MainWindowSQLite, KeepsTenThousandOrdersInTheList)
{
    ASSERT_TRUE(db.begin());
    for (int i = 0; i < 10000; ++i) {
        TBestellung order;
        order.mandantId = euroClient;
        order.rechNr = 100 + i;
        order.zeit = QDateTime(QDate(2027, 1, 1), QTime(0, 0), Qt::UTC).addSecs(i);
        order.nachname = QString(300, QChar(u'W'));
        ASSERT_TRUE(OrderStore(db).insertOrder(order));
    }
    ASSERT_TRUE(db.commit());
    chooseClient(euroClient);
    ASSERT_EQ(grid()->model()->rowCount(), 10003);
    action("actLetzter")->trigger();
    EXPECT_EQ(cell(window->currentRow(), 0), QStringLiteral("10099"));
    EXPECT_EQ(child<QLabel>(*window, "lblAnzahl")->text(), QStringLiteral("10003 Bestellungen"));
}

// Started without a display and without options, the program cannot open its
// windows: it says so and ends with the exit code of a wrong call.
TEST(InvoiceProgram, WithoutADisplayTheWindowsSayWhyTheyCannotOpen)
{
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    program.setProcessEnvironment(environment);
    program.start(QDir(programFolder()).filePath(QStringLiteral("vq_bestell_rechnung")), {});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 2);
    EXPECT_TRUE(
        QString::fromUtf8(program.readAllStandardError()).contains(QStringLiteral("DISPLAY")));
}

// Names and states come from strangers' posts. For each hostile text a client
// and an order carry it: the cells show it on one line, the tool tip of each
// cell (really shown, as when the mouse rests on it) and the status bar show
// it literally, bounded; no picture is loaded.
TEST_P(MainWindowSQLite, ShowsStrangersTextsInCellsToolTipsAndStatusBarAsPlainText)
{
    vq::test::WatchedPipe pipe;
    ASSERT_TRUE(pipe.made());
    showWindow();
    for (const vq::test::HostileText &hostile : vq::test::hostileTexts(pipe)) {
        SCOPED_TRACE(hostile.name);
        const int mandantId = addClient(hostile.text, QStringLiteral("€"));
        ASSERT_GT(mandantId, 0);
        const auto state = StateStore(db).insertState(hostile.text);
        ASSERT_TRUE(state.has_value()) << db.lastError().toStdString();
        TBestellung order;
        order.mandantId = mandantId;
        order.rechNr = 1;
        order.firma = order.name = order.nachname = hostile.text;
        order.status = *state;
        ASSERT_TRUE(OrderStore(db).insertOrder(order).has_value()) << db.lastError().toStdString();
        chooseClient(mandantId);
        ASSERT_EQ(grid()->model()->rowCount(), 1);

        for (const int column : {int(OrderListModel::Firma), int(OrderListModel::Vorname),
                                 int(OrderListModel::Nachname), int(OrderListModel::Status)}) {
            SCOPED_TRACE(column);
            EXPECT_EQ(cell(0, column), vq::test::cutAt(hostile.seen, vq::ui::kMaxLineChars));
            vq::test::restOn(*grid(), grid()->model()->index(0, column));
            EXPECT_EQ(vq::test::shownToolTipText(),
                      vq::test::cutAt(hostile.seen, vq::ui::kMaxToolTipChars));
            EXPECT_TRUE(vq::test::shownToolTipFits());
            if (column == OrderListModel::Nachname)
                vq::test::keepScreenScreenshot(QStringLiteral("hauptfenster_tooltip_%1")
                                                   .arg(QString::fromUtf8(hostile.name))
                                                   .replace(u' ', u'_')
                                                   .remove(u'/'));
            QToolTip::hideText();
        }
        auto *status = child<QLabel>(*window, "lblMandant");
        EXPECT_EQ(status->textFormat(), Qt::PlainText);
        EXPECT_EQ(status->text(), QStringLiteral("Mandant %1: %2")
                                      .arg(mandantId)
                                      .arg(vq::test::cutAt(hostile.seen, 200)));
    }
    EXPECT_FALSE(pipe.opened()) << "a cell's tool tip read the named pipe as a picture";
}

INSTANTIATE_TEST_SUITE_P(SQLite, MainWindowSQLite, testing::Values(SqlDialect::SQLite));

// A stay in the order editor holds no transaction while the window is open;
// "Ja" saves, "Nein" leaves the database as it was. On both back ends.
using MainWindowEditing = MainWindowTest;

TEST_P(MainWindowEditing, ANewOrderIsStoredOnlyByJa)
{
    chooseClient(euroClient);
    window->goToRow(1);
    for (const auto answer : {UserQuestions::Answer::No, UserQuestions::Answer::Yes}) {
        whenModal([&](QDialog &editor) {
            EXPECT_EQ(editor.objectName(), QStringLiteral("frmBestellung"));
            EXPECT_EQ(db.transactionDepth(), 0);
            child<QLineEdit>(editor, "edtFirma")->setText(QStringLiteral("Neu GmbH"));
            questions.threeWay = {answer};
            child<QAction>(editor, "actVerlassen")->trigger();
            if (editor.isVisible())
                editor.done(QDialog::Rejected);
        });
        action("actNeu")->trigger();
        EXPECT_EQ(db.transactionDepth(), 0);
    }
    EXPECT_TRUE(questions.errors.isEmpty()) << questions.errors.join(u'\n').toStdString();
    EXPECT_EQ(orderCount(euroClient), 4);
    EXPECT_EQ(grid()->model()->rowCount(), 4);
    EXPECT_EQ(window->currentRow(), 1);
}

TEST_P(MainWindowEditing, EditSavesOnJaAndDiscardsOnNein)
{
    chooseClient(euroClient);
    window->goToRow(2);
    auto editRenaming = [&](const QString &firma, UserQuestions::Answer answer) {
        whenModal([&, firma, answer](QDialog &editor) {
            EXPECT_EQ(window->orderEditor().currentOrderId(), euroOrders[2]);
            EXPECT_EQ(db.transactionDepth(), 0);
            child<QLineEdit>(editor, "edtFirma")->setText(firma);
            questions.threeWay = {answer};
            child<QAction>(editor, "actVerlassen")->trigger();
            if (editor.isVisible())
                editor.done(QDialog::Rejected);
        });
        action("actBearbeiten")->trigger();
        EXPECT_EQ(db.transactionDepth(), 0);
    };
    editRenaming(QStringLiteral("Verworfen GmbH"), UserQuestions::Answer::No);
    EXPECT_EQ(OrderStore(db).order(euroOrders[2])->firma, QStringLiteral("Kunde 3"));
    EXPECT_EQ(cell(2, OrderListModel::Firma), QStringLiteral("Kunde 3"));

    editRenaming(QStringLiteral("Behalten GmbH"), UserQuestions::Answer::Yes);
    EXPECT_EQ(OrderStore(db).order(euroOrders[2])->firma, QStringLiteral("Behalten GmbH"));
    EXPECT_EQ(cell(2, OrderListModel::Firma), QStringLiteral("Behalten GmbH"));
    EXPECT_EQ(window->currentRow(), 2);
    EXPECT_TRUE(questions.errors.isEmpty()) << questions.errors.join(u'\n').toStdString();
}

// Two seats edit one order: the second "Ja" would overwrite the first seat's
// work, so it is refused with a message and the editor stays with what was typed.
TEST_P(MainWindowEditing, TheSecondSeatsJaIsRefusedAndKeepsItsWork)
{
    chooseClient(euroClient);
    window->goToRow(2);
    InvoiceConnection otherSeat;
    QString error;
    ASSERT_TRUE(otherSeat.openLocation(db.location(), &error)) << error.toStdString();
    whenModal([&](QDialog &editor) {
        child<QLineEdit>(editor, "edtFirma")->setText(QStringLiteral("Zweiter Platz"));
        // Meanwhile the other seat opens the same order, changes it and saves.
        OrderEditSession other(otherSeat, euroClient, [] { return QDate(2026, 12, 10); });
        ASSERT_TRUE(other.startEdit(euroOrders[2], &error)) << error.toStdString();
        OrderBoxes boxes = other.boxes();
        boxes.ort = QStringLiteral("Erster Platz");
        ASSERT_FALSE(other.takeBoxes(boxes));
        ASSERT_FALSE(other.save());

        questions.threeWay = {UserQuestions::Answer::Yes};
        child<QAction>(editor, "actVerlassen")->trigger();
        EXPECT_TRUE(editor.isVisible());
        ASSERT_EQ(questions.informations.size(), 1);
        EXPECT_TRUE(questions.informations[0].contains(QStringLiteral("inzwischen")))
            << questions.informations[0].toStdString();
        EXPECT_EQ(child<QLineEdit>(editor, "edtFirma")->text(), QStringLiteral("Zweiter Platz"));
        questions.threeWay = {UserQuestions::Answer::No};
        child<QAction>(editor, "actVerlassen")->trigger();
        if (editor.isVisible())
            editor.done(QDialog::Rejected);
    });
    action("actBearbeiten")->trigger();
    const TBestellung stored = OrderStore(db).order(euroOrders[2]).value();
    EXPECT_EQ(stored.ort, QStringLiteral("Erster Platz"));
    EXPECT_EQ(stored.firma, QStringLiteral("Kunde 3"));
    EXPECT_TRUE(questions.errors.isEmpty()) << questions.errors.join(u'\n').toStdString();
}

// "Stornieren" on a draft is refused; on an issued invoice it asks and
// issues the cancellation at once, which the list shows; "Prüfen" finds the
// records in order.
TEST_P(MainWindowEditing, CancelsAnIssuedInvoiceAndChecksTheRecords)
{
    chooseClient(euroClient);
    QFile::remove(clientTemplatePath(euroClient));
    ASSERT_TRUE(QFile::copy(QDir(programFolder()).filePath(QStringLiteral("rechnung.rav")),
                            clientTemplatePath(euroClient)));
    window->goToRow(2);
    action("actStornieren")->trigger();
    ASSERT_EQ(questions.errors.size(), 1);
    EXPECT_TRUE(questions.errors[0].contains(QStringLiteral("noch nicht ausgestellt")))
        << questions.errors[0].toStdString();
    questions.errors.clear();
    QString error;
    ASSERT_TRUE(InvoiceIssuer(db).issue(euroOrders[2], &error)) << error.toStdString();
    const int before = orderCount(euroClient);
    window->goToRow(2);
    ASSERT_EQ(window->selectedOrderId(), euroOrders[2]);
    questions.answers = {true};
    action("actStornieren")->trigger();
    EXPECT_TRUE(questions.answers.empty());
    EXPECT_TRUE(questions.errors.isEmpty()) << questions.errors.join(u'\n').toStdString();
    ASSERT_FALSE(questions.informations.isEmpty());
    EXPECT_TRUE(questions.informations.last().contains(QStringLiteral("Stornorechnung Nr. 4")))
        << questions.informations.last().toStdString();
    EXPECT_EQ(orderCount(euroClient), before + 1);
    action("actPruefen")->trigger();
    EXPECT_TRUE(questions.errors.isEmpty()) << questions.errors.join(u'\n').toStdString();
    EXPECT_TRUE(questions.informations.last().contains(QStringLiteral("Alles in Ordnung")))
        << questions.informations.last().toStdString();
}

// A preview is a draft: a stay that is undone leaves no invoice behind.
TEST_P(MainWindowEditing, APreviewInAStayThatIsUndoneIssuesNothing)
{
    chooseClient(euroClient);
    const int before = orderCount(euroClient);
    auto stayWithPreview = [&](const char *command) {
        whenModal([&](QDialog &editor) {
            child<QLineEdit>(editor, "edtFirma")->setText(QStringLiteral("Verworfen GmbH"));
            whenModal([](QDialog &preview) { preview.reject(); });
            child<QAction>(editor, "actVorschau")->trigger();
            questions.threeWay = {UserQuestions::Answer::No};
            child<QAction>(editor, "actVerlassen")->trigger();
            if (editor.isVisible())
                editor.done(QDialog::Rejected);
        });
        action(command)->trigger();
        EXPECT_EQ(db.transactionDepth(), 0);
    };
    window->goToRow(2);
    ASSERT_FALSE(OrderStore(db).order(euroOrders[2])->rechnungsdatum.isValid());
    stayWithPreview("actBearbeiten");
    const TBestellung after = OrderStore(db).order(euroOrders[2]).value();
    EXPECT_EQ(after.firma, QStringLiteral("Kunde 3"));
    EXPECT_FALSE(after.rechnungsdatum.isValid());

    stayWithPreview("actNeu");
    EXPECT_EQ(orderCount(euroClient), before);
    EXPECT_TRUE(questions.errors.isEmpty()) << questions.errors.join(u'\n').toStdString();
}

TEST_P(MainWindowEditing, NamesTheDatabase)
{
    action("actDatenbank")->trigger();
    ASSERT_EQ(questions.informations.size(), 1);
    const DatabaseLocation where = db.location();
    if (GetParam() == SqlDialect::SQLite) {
        EXPECT_EQ(questions.opened, QStringList{where.file});
    } else {
        const QString text = questions.informations[0];
        EXPECT_TRUE(text.contains(QStringLiteral("%1:%2").arg(where.host).arg(where.port)))
            << text.toStdString();
        EXPECT_TRUE(text.contains(where.name));
        if (!where.password.isEmpty()) {
            EXPECT_FALSE(text.contains(where.password));
        }
        EXPECT_TRUE(questions.opened.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Dialects, MainWindowEditing,
                         testing::Values(SqlDialect::SQLite, SqlDialect::PostgreSQL),
                         [](const testing::TestParamInfo<SqlDialect> &info) {
                             return std::string(vq::test::dialectName(info.param));
                         });

// PostgreSQL refuses to commit a transaction in which a statement failed.
using MainWindowPostgreSQL = MainWindowTest;

TEST_P(MainWindowPostgreSQL, ASaveTheServerRefusesIsReportedAndRolledBackWhole)
{
    chooseClient(euroClient);
    window->goToRow(0);
    QSqlQuery q(db.connection());
    ASSERT_TRUE(q.exec(QStringLiteral("CREATE FUNCTION kein_artikel() RETURNS trigger AS $$ "
                                      "BEGIN RAISE EXCEPTION 'gesperrt'; END $$ LANGUAGE plpgsql")))
        << q.lastError().text().toStdString();
    ASSERT_TRUE(q.exec(QStringLiteral("CREATE TRIGGER kein_artikel BEFORE INSERT ON Artikel "
                                      "FOR EACH ROW EXECUTE FUNCTION kein_artikel()")));
    whenModal([&](QDialog &editor) {
        child<QLineEdit>(editor, "edtFirma")->setText(QStringLiteral("Halb gespeichert"));
        whenModal([](QDialog &line) {
            child<QLineEdit>(line, "edtArtikelNr")->setText(QStringLiteral("B2"));
            child<QPushButton>(line, "btnOK")->click();
        });
        child<QPushButton>(editor, "btnArtikelHinzufuegen")->click();
        questions.threeWay = {UserQuestions::Answer::Yes, UserQuestions::Answer::No};
        child<QAction>(editor, "actVerlassen")->trigger();
        EXPECT_TRUE(editor.isVisible());
        child<QAction>(editor, "actVerlassen")->trigger();
        if (editor.isVisible())
            editor.done(QDialog::Rejected);
    });
    action("actBearbeiten")->trigger();
    ASSERT_EQ(questions.errors.size(), 1);
    EXPECT_TRUE(questions.errors[0].contains(QStringLiteral("gespeichert werden")))
        << questions.errors[0].toStdString();
    EXPECT_EQ(db.transactionDepth(), 0);
    EXPECT_EQ(OrderStore(db).order(euroOrders[0])->firma, QStringLiteral("Kunde 1"));
    EXPECT_EQ(OrderStore(db).linesOfOrder(euroOrders[0])->size(), 1);
}

// Another user on the same server holds the order for a moment: "Ja" names
// the lock, the stay survives it and saves once the order is free.
TEST_P(MainWindowPostgreSQL, AnOrderAnotherUserHoldsIsSavedOnceItIsFreeAndTheStayKept)
{
    chooseClient(euroClient);
    ASSERT_TRUE(db.setLockTimeout(300));
    const QString name = QStringLiteral("other_user");
    {
        QString error;
        QSqlDatabase other = vq::test::openPlainConnection(db.location(), name, &error);
        ASSERT_TRUE(other.isOpen()) << error.toStdString();
        QSqlQuery otherUser(other);
        ASSERT_TRUE(otherUser.exec(QStringLiteral("BEGIN")));
        ASSERT_TRUE(
            otherUser.exec(QStringLiteral("UPDATE Bestellung SET Bestellung_Bemerkung = 'dort' "
                                          "WHERE Bestellung_ID = %1")
                               .arg(euroOrders[0])));
        window->goToRow(0);
        whenModal([&](QDialog &editor) {
            child<QLineEdit>(editor, "edtOrt")->setText(QStringLiteral("Zürich"));
            whenModal([](QDialog &line) {
                child<QLineEdit>(line, "edtArtikelNr")->setText(QStringLiteral("B2"));
                child<QPushButton>(line, "btnOK")->click();
            });
            child<QPushButton>(editor, "btnArtikelHinzufuegen")->click();
            questions.threeWay = {UserQuestions::Answer::Yes, UserQuestions::Answer::Yes};
            child<QAction>(editor, "actVerlassen")->trigger(); // waits, then names the lock
            EXPECT_TRUE(editor.isVisible());
            EXPECT_EQ(questions.errors.size(), 1);
            EXPECT_TRUE(otherUser.exec(QStringLiteral("ROLLBACK")));
            // Free again: the stay ends with "Ja".
            child<QAction>(editor, "actVerlassen")->trigger();
            if (editor.isVisible())
                editor.done(QDialog::Rejected);
        });
        action("actBearbeiten")->trigger();
    }
    QSqlDatabase::removeDatabase(name);
    ASSERT_EQ(questions.errors.size(), 1) << questions.errors.join(u'|').toStdString();
    EXPECT_TRUE(questions.errors[0].contains(QString::fromUtf16(kTextDatabaseLocked)))
        << questions.errors[0].toStdString();
    EXPECT_EQ(db.transactionDepth(), 0);
    EXPECT_EQ(OrderStore(db).order(euroOrders[0])->ort, QStringLiteral("Zürich"));
    const auto lines = OrderStore(db).linesOfOrder(euroOrders[0]).value();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines.at(1).nr, QStringLiteral("B2"));
}

INSTANTIATE_TEST_SUITE_P(PostgreSQL, MainWindowPostgreSQL, testing::Values(SqlDialect::PostgreSQL));

// The state editor.
using StateEditor = MainWindowTest;

TEST_P(StateEditor, AddsRenamesAndRefusesToDeleteAUsedState)
{
    TfrmStatus editor(db, questions);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    EXPECT_EQ(editor.windowTitle(), QStringLiteral("Status bearbeiten"));
    auto *grid = child<QTableWidget>(editor, "grdStatus");
    auto *toolBar = child<QToolBar>(editor, "tbrStatus");
    ASSERT_TRUE(grid && toolBar);
    EXPECT_EQ(entries(toolBar->actions(), true),
              utf8List({"Neu", "Bearbeiten", "Speichern", "Löschen", "-", "Verlassen"}));
    auto *menuBar = editor.findChild<QMenuBar *>();
    ASSERT_TRUE(menuBar);
    EXPECT_EQ(entries(menuBar->actions()), QStringList{QStringLiteral("Datei")});
    EXPECT_EQ(entries(menuBar->actions()[0]->menu()->actions()),
              QStringList{QStringLiteral("Verlassen")});
    const int before = grid->rowCount();
    ASSERT_EQ(before, int(StateStore(db).states()->size()));
    EXPECT_TRUE(vq::test::isAccessible(editor));
    keepScreenshot(&editor, QStringLiteral("status_bearbeiten"));

    // Neu, typing, Speichern.
    child<QAction>(editor, "actNeu")->trigger();
    QWidget *input = QApplication::focusWidget();
    ASSERT_TRUE(qobject_cast<QLineEdit *>(input));
    vq::test::typeText(input, QStringLiteral("verschickt"));
    child<QAction>(editor, "actSpeichern")->trigger();
    auto states = *StateStore(db).states();
    ASSERT_EQ(states.size(), before + 1);
    EXPECT_EQ(states.last().status, QStringLiteral("verschickt"));
    const int shipped = states.last().id;

    // Bearbeiten on it renames it.
    grid->setCurrentCell(before, 0);
    child<QAction>(editor, "actBearbeiten")->trigger();
    input = QApplication::focusWidget();
    ASSERT_TRUE(qobject_cast<QLineEdit *>(input));
    qobject_cast<QLineEdit *>(input)->selectAll();
    vq::test::typeText(input, QStringLiteral("versandt"));
    child<QAction>(editor, "actSpeichern")->trigger();
    states = *StateStore(db).states();
    EXPECT_EQ(states.last().status, QStringLiteral("versandt"));
    EXPECT_EQ(states.last().id, shipped);

    // An empty name is refused and stays unsaved.
    child<QAction>(editor, "actNeu")->trigger();
    child<QAction>(editor, "actSpeichern")->trigger();
    ASSERT_EQ(questions.errors.size(), 1);
    EXPECT_TRUE(questions.errors[0].contains(QStringLiteral("Namen")));
    EXPECT_EQ(StateStore(db).states()->size(), before + 1);
    EXPECT_TRUE(editor.hasUnsavedChanges());
    questions.answers = {true};
    child<QAction>(editor, "actLoeschen")->trigger(); // the unsaved row goes
    EXPECT_FALSE(editor.hasUnsavedChanges());

    // A state an order uses is refused with the message; "Nein" keeps any state.
    TBestellung order = *OrderStore(db).order(euroOrders[0]);
    order.status = shipped;
    ASSERT_TRUE(OrderStore(db).updateOrder(order));
    grid->setCurrentCell(before, 0);
    questions.asked.clear();
    questions.answers = {true};
    child<QAction>(editor, "actLoeschen")->trigger();
    EXPECT_EQ(questions.asked,
              QStringList{QStringLiteral("Soll der Datensatz wirklich gelöscht werden?")});
    EXPECT_EQ(questions.informations,
              QStringList{QStringLiteral(
                  "Dieser Status kann nicht gelöscht werden, da er bereits verwendet wird.")});
    EXPECT_EQ(grid->rowCount(), before + 1);

    order.status = kNewOrderState;
    ASSERT_TRUE(OrderStore(db).updateOrder(order));
    questions.answers = {false};
    child<QAction>(editor, "actLoeschen")->trigger();
    EXPECT_EQ(StateStore(db).states()->size(), before + 1);
    questions.answers = {true};
    child<QAction>(editor, "actLoeschen")->trigger();
    EXPECT_EQ(StateStore(db).states()->size(), before);
    EXPECT_EQ(grid->rowCount(), before);
}

TEST_P(StateEditor, LeavingWithUnsavedChangesAsks)
{
    TfrmStatus editor(db, questions);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    const int before = int(StateStore(db).states()->size());
    child<QAction>(editor, "actNeu")->trigger();
    vq::test::typeText(QApplication::focusWidget(), QStringLiteral("storniert"));

    questions.threeWay = {UserQuestions::Answer::Cancel};
    child<QAction>(editor, "actVerlassen")->trigger();
    EXPECT_TRUE(editor.isVisible());
    questions.threeWay = {UserQuestions::Answer::Yes};
    child<QAction>(editor, "actVerlassen")->trigger();
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(StateStore(db).states()->size(), before + 1);
    EXPECT_EQ(questions.asked.size(), 2);
}

TEST_P(StateEditor, ALongerStoredNameIsNotCutByLookingAtIt)
{
    // Another program may have written a longer name than the editor lets one type.
    const QString longName = QStringLiteral("Wartet auf Zahlung, Erinnerung am 3. verschickt, "
                                            "Mahnung folgt");
    ASSERT_GT(longName.size(), kMaxStateLength);
    QSqlQuery insert(db.connection());
    insert.prepare(QStringLiteral("INSERT INTO Status (Status) VALUES (?)"));
    insert.addBindValue(longName);
    if (!insert.exec())
        GTEST_SKIP() << "this database keeps no name that long";
    TfrmStatus editor(db, questions);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    auto *grid = child<QTableWidget>(editor, "grdStatus");
    ASSERT_TRUE(grid);
    grid->setCurrentCell(grid->rowCount() - 1, 0);
    child<QAction>(editor, "actBearbeiten")->trigger();
    auto *input = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    ASSERT_TRUE(input);
    EXPECT_EQ(input->text(), longName);
    QTest::keyClick(input, Qt::Key_Return);
    EXPECT_FALSE(editor.hasUnsavedChanges());
    questions.threeWay = {UserQuestions::Answer::Yes};
    child<QAction>(editor, "actVerlassen")->trigger();
    EXPECT_TRUE(questions.asked.isEmpty());
    EXPECT_EQ(StateStore(db).states()->last().status, longName);
}

TEST_P(StateEditor, OpensModallyFromTheMainWindowWhoseListShowsTheNewName)
{
    chooseClient(euroClient);
    whenModal([&](QDialog &states) {
        EXPECT_EQ(states.objectName(), QStringLiteral("frmStatus"));
        EXPECT_TRUE(StateStore(db).renameState(kNewOrderState, QStringLiteral("eingegangen")));
        states.done(QDialog::Rejected);
    });
    action("actStatus")->trigger();
    EXPECT_EQ(cell(0, OrderListModel::Status), QStringLiteral("eingegangen"));
}

INSTANTIATE_TEST_SUITE_P(Dialects, StateEditor,
                         testing::Values(SqlDialect::SQLite, SqlDialect::PostgreSQL),
                         [](const testing::TestParamInfo<SqlDialect> &info) {
                             return std::string(vq::test::dialectName(info.param));
                         });

} // namespace
