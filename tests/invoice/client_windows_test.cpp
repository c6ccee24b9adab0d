// The client windows offscreen: the selection at first start and with
// clients, the client manager's commands, the client editor's checks, and the
// invoice footer's formats through saving and reopening. Set
// VQ_SCREENSHOT_DIR to keep a picture of each window.
#include "common/GlobalFunctions.h"
#include "common_ui/plain_text.h"
#include "invoice/db/clients.h"
#include "invoice/db/order_store.h"
#include "invoice/report/rtf_text.h"
#include "invoice/ui/uMandantBearbeiten.h"
#include "invoice/ui/uMandanten.h"
#include "invoice/ui/uRtfEditor.h"
#include "tests/support/environment_scope.h"
#include "tests/support/plain_text_support.h"
#include "tests/support/scripted_questions.h"
#include "tests/support/widget_test_support.h"
#include "tests/support/window_checks.h"
#include "tests/test_support.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolBar>
#include <QToolTip>
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

QByteArray defaultTemplate()
{
    return vq::test::readFile(QDir(programFolder()).filePath(QStringLiteral("rechnung.rav")));
}

// Each window at its start size and at a small one.
void keepScreenshots(QWidget *window, const char *name)
{
    const QSize start = window->size();
    keepScreenshot(window, QString::fromLatin1(name));
    window->resize(window->minimumSizeHint().expandedTo(QSize(480, 320)));
    keepScreenshot(window, QString::fromLatin1(name) + QStringLiteral("_klein"));
    window->resize(start);
}

void click(QWidget &window, const char *button)
{
    auto *b = child<QPushButton>(window, button);
    ASSERT_TRUE(b);
    QTest::mouseClick(b, Qt::LeftButton);
}

void trigger(QWidget &window, const char *action)
{
    auto *a = child<QAction>(window, action);
    ASSERT_TRUE(a);
    ASSERT_TRUE(a->isEnabled()) << action;
    a->trigger();
}

void setText(QWidget &window, const char *box, const QString &text)
{
    auto *edit = child<QLineEdit>(window, box);
    ASSERT_TRUE(edit);
    edit->setText(text);
}

// Fills what the editor needs before it takes OK.
void fillMailbox(QWidget &editor)
{
    setText(editor, "edtEMail", QStringLiteral("shop@example.test"));
    setText(editor, "edtPOP3", QStringLiteral("127.0.0.1"));
    setText(editor, "edtBenutzername", QStringLiteral("shop"));
}

QTableView *grid(QWidget &window)
{
    return child<QTableView>(window, "grdMandanten");
}

void doubleClickRow(QTableView *view, int row)
{
    const QRect cell = view->visualRect(view->model()->index(row, 1));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
}

void selectRowOf(QTableView *view, int mandantId)
{
    for (int row = 0; row < view->model()->rowCount(); ++row) {
        if (view->model()->index(row, 0).data().toInt() == mandantId) {
            view->setCurrentIndex(view->model()->index(row, 0));
            return;
        }
    }
    ADD_FAILURE() << "no row of client " << mandantId;
}

class ClientWindows : public testing::Test
{
protected:
    void SetUp() override
    {
        // A data folder that does not exist yet, as on the first start.
        ASSERT_TRUE(dir.isValid());
        dataHome.emplace("XDG_DATA_HOME", dir.filePath(QStringLiteral("daten")).toUtf8());
        noDatabaseSetting.emplace(kDatabaseEnvironment, std::nullopt);
        ASSERT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("daten"))));
        QString error;
        ASSERT_TRUE(db.openConfigured(QString(), programFolder(), &error)) << error.toStdString();
    }
    void TearDown() override { db.close(); }

    int addClient(const QString &firma)
    {
        TMandant client = newClient();
        client.firma = firma;
        client.email = QStringLiteral("info@example.test");
        client.pop3 = QStringLiteral("127.0.0.1");
        client.username = QStringLiteral("shop");
        return ClientStore(db).insertClient(client).value_or(0);
    }

    int addOrder(int mandantId, const QString &name)
    {
        TBestellung order;
        order.mandantId = mandantId;
        order.name = name;
        const int id = OrderStore(db).insertOrder(order).value_or(0);
        TArtikel line;
        line.bestellungId = id;
        line.name = QStringLiteral("Artikel");
        line.anzahl = 1;
        line.preis = 5;
        line.mwst = 19;
        const int lineId = OrderStore(db).insertLine(line).value_or(0);
        TOption option;
        option.artikelId = lineId;
        option.name = QStringLiteral("Farbe");
        option.wert = QStringLiteral("rot");
        OrderStore(db).insertOption(option);
        return id;
    }

    int count(const QString &sql)
    {
        QSqlQuery q(db.connection());
        EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
        return q.next() ? q.value(0).toInt() : -1;
    }

    QTemporaryDir dir;
    std::optional<vq::test::EnvironmentScope> dataHome, noDatabaseSetting;
    InvoiceConnection db;
    ScriptedQuestions questions;
};

TEST_F(ClientWindows, FirstStartCreatesTheFirstClientAndItsTemplate)
{
    CurrentClient current(db, programFolder());
    TfrmMandantWahl selection(db, current, questions, programFolder());
    selection.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&selection));
    EXPECT_EQ(selection.windowTitle(), QStringLiteral("Bitte wählen Sie einen Mandanten"));
    QTableView *view = grid(selection);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->model()->rowCount(), 0);
    QStringList titles;
    QList<int> widths;
    for (int i = 0; i < view->model()->columnCount(); ++i) {
        titles << view->model()->headerData(i, Qt::Horizontal).toString();
        widths << view->horizontalHeader()->sectionSize(i);
    }
    EXPECT_EQ(titles, QStringList({QStringLiteral("Nr"), QStringLiteral("Firma"),
                                   QStringLiteral("Name"), QStringLiteral("Vorname")}));
    EXPECT_EQ(widths.mid(0, 3), QList<int>({40, 140, 110}));
    keepScreenshots(&selection, "mandant_wahl_leer");

    // "Übernehmen" and Enter in the list both say a client is needed; the dialog stays.
    click(selection, "btnUebernehmen");
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(questions.informations,
              QStringList(2, QStringLiteral("Bitte zuerst einen Mandanten anlegen.")));
    EXPECT_TRUE(selection.isVisible());
    EXPECT_FALSE(current.isSet());

    // The manager creates one with port 110; its editor needs the mailbox first.
    bool managerShown = false;
    whenModal([&](QDialog &manager) {
        managerShown = true;
        EXPECT_EQ(manager.windowTitle(), QStringLiteral("Mandatenverwaltung"));
        EXPECT_EQ(grid(manager)->model()->rowCount(), 0);
        EXPECT_FALSE(child<QAction>(manager, "actBearbeiten")->isEnabled());
        EXPECT_FALSE(child<QAction>(manager, "actLoeschen")->isEnabled());
        whenModal([&](QDialog &editor) {
            EXPECT_EQ(editor.windowTitle(), QStringLiteral("Mandant bearbeiten"));
            EXPECT_EQ(child<QLineEdit>(editor, "edtPort")->text(), QStringLiteral("110"));
            setText(editor, "edtFirma", QStringLiteral("Erster Laden"));
            fillMailbox(editor);
            click(editor, "btnOK");
        });
        trigger(manager, "actNeu");
        EXPECT_EQ(grid(manager)->model()->rowCount(), 1);
        trigger(manager, "actVerlassen");
    });
    click(selection, "btnMandantenverwaltung");
    EXPECT_TRUE(managerShown);
    ASSERT_EQ(view->model()->rowCount(), 1);
    const auto clients = ClientStore(db).clients();
    ASSERT_TRUE(clients && clients->size() == 1);
    const int id = clients->first().id;
    EXPECT_EQ(clients->first().port, 110);
    EXPECT_EQ(clients->first().firma, QStringLiteral("Erster Laden"));
    EXPECT_EQ(selection.selectedClientId(), id);

    // Accepting copies the default template to the client's own file and closes.
    ASSERT_FALSE(QFileInfo::exists(clientTemplatePath(id)));
    click(selection, "btnUebernehmen");
    EXPECT_FALSE(selection.isVisible());
    EXPECT_EQ(selection.result(), QDialog::Accepted);
    EXPECT_EQ(current.id(), id);
    EXPECT_EQ(QFileInfo(clientTemplatePath(id)).fileName(), QStringLiteral("%1.rav").arg(id));
    EXPECT_EQ(vq::test::readFile(clientTemplatePath(id)), defaultTemplate());
    EXPECT_EQ(questions.errors, QStringList());
}

TEST_F(ClientWindows, SelectionPreselectsTheCurrentClientAndKeepsAnEditedTemplate)
{
    const int first = addClient(QStringLiteral("Erster"));
    const int second = addClient(QStringLiteral("Zweiter"));
    const int third = addClient(QStringLiteral("Dritter"));
    vq::test::writeFile(clientTemplatePath(second), "<p>von Hand bearbeitet</p>");
    CurrentClient current(db, programFolder());
    QString message;
    ASSERT_TRUE(current.accept(second, &message));

    {
        // The current client is under the cursor; a double-click takes another.
        TfrmMandantWahl selection(db, current, questions, programFolder());
        selection.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&selection));
        EXPECT_EQ(selection.selectedClientId(), second);
        keepScreenshots(&selection, "mandant_wahl");
        doubleClickRow(grid(selection), 2);
        EXPECT_EQ(selection.result(), QDialog::Accepted);
        EXPECT_EQ(current.id(), third);
    }
    {
        // Enter in the list takes the row under the cursor; the edited file stays.
        TfrmMandantWahl selection(db, current, questions, programFolder());
        selection.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&selection));
        QTableView *view = grid(selection);
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Up);
        EXPECT_EQ(selection.selectedClientId(), second);
        QTest::keyClick(view, Qt::Key_Return);
        EXPECT_EQ(selection.result(), QDialog::Accepted);
        EXPECT_EQ(current.id(), second);
        EXPECT_EQ(vq::test::readFile(clientTemplatePath(second)), "<p>von Hand bearbeitet</p>");
    }
    EXPECT_FALSE(QFileInfo::exists(clientTemplatePath(first)));

    // Escape closes without changing the current client.
    TfrmMandantWahl selection(db, current, questions, programFolder());
    selection.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&selection));
    QTest::keyClick(grid(selection), Qt::Key_Escape);
    EXPECT_EQ(selection.result(), QDialog::Rejected);
    EXPECT_EQ(current.id(), second);
}

TEST_F(ClientWindows, HelpOpensThePageOfTheProgramFolder)
{
    CurrentClient current(db, programFolder());
    TfrmMandantWahl selection(db, current, questions, programFolder());
    selection.show();
    click(selection, "btnHilfe");
    const QString page = QDir(programFolder()).filePath(QStringLiteral("help/fenster.htm"));
    QUrl section = QUrl::fromLocalFile(page);
    section.setFragment(QStringLiteral("mandant-waehlen"));
    EXPECT_EQ(questions.helpPages, std::vector<QUrl>{section});
    EXPECT_TRUE(questions.errors.isEmpty());
    questions.openSucceeds = false;
    click(selection, "btnHilfe");
    ASSERT_EQ(questions.errors.size(), 1);
    EXPECT_TRUE(questions.errors.first().contains(QDir::toNativeSeparators(page)));
    EXPECT_TRUE(selection.isVisible());
}

// A client's values may come from another program's rows. For each hostile
// text a client carries it in every column: the selection's and the
// manager's cells show it on one line and their tool tips (really shown)
// literally; the editor's boxes hold it as it is, and its refusal of such an
// IBAN, in a real message box, quotes it as plain text. No picture is loaded.
TEST_F(ClientWindows, ShowStrangersTextsAsPlainText)
{
    using namespace vq::test;
    WatchedPipe pipe;
    ASSERT_TRUE(pipe.made());
    // The cells of a client's row, each checked with its tool tip shown.
    const auto checkRow = [](QTableView *view, int mandantId, const HostileText &hostile,
                             int firstColumn) {
        selectRowOf(view, mandantId);
        const int row = view->currentIndex().row();
        ASSERT_GE(row, 0);
        for (int column = firstColumn; column < view->model()->columnCount(); ++column) {
            SCOPED_TRACE(column);
            const QModelIndex index = view->model()->index(row, column);
            EXPECT_EQ(index.data().toString(), cutAt(hostile.seen, vq::ui::kMaxLineChars));
            restOn(*view, index);
            EXPECT_EQ(shownToolTipText(), cutAt(hostile.seen, vq::ui::kMaxToolTipChars));
            EXPECT_TRUE(shownToolTipFits());
            QToolTip::hideText();
        }
    };
    for (const HostileText &hostile : hostileTexts(pipe)) {
        SCOPED_TRACE(hostile.name);
        TMandant client = newClient();
        for (QString *value : {&client.firma, &client.name, &client.vorname, &client.strasse,
                               &client.plz, &client.ort, &client.land, &client.email, &client.pop3,
                               &client.username, &client.iban, &client.bank})
            *value = hostile.text;
        client.id = ClientStore(db).insertClient(client).value_or(0);
        ASSERT_GT(client.id, 0) << db.lastError().toStdString();

        {
            CurrentClient current(db, programFolder());
            TfrmMandantWahl selection(db, current, questions, programFolder());
            selection.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&selection));
            SCOPED_TRACE("Auswahl");
            checkRow(grid(selection), client.id, hostile, 1);
        }
        {
            TfrmMandanten manager(db, questions);
            manager.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&manager));
            SCOPED_TRACE("Verwaltung");
            checkRow(grid(manager), client.id, hostile, 1);
        }

        vq::invoice::UserQuestions realQuestions;
        int stored = 0;
        TfrmMandantBearbeiten editor(*ClientStore(db).client(client.id), realQuestions,
                                     [&](const TMandant &, QString *) {
                                         ++stored;
                                         return true;
                                     });
        editor.show();
        for (const char *box : {"edtFirma", "edtName", "edtStrasse", "edtEMail", "edtIBAN"})
            EXPECT_EQ(child<QLineEdit>(editor, box)->text(), hostile.text) << box;
        ShownMessage shown;
        answerMessageBox(&shown, QMessageBox::Ok);
        click(editor, "btnOK");
        ASSERT_TRUE(shown.shown);
        EXPECT_EQ(stored, 0);
        EXPECT_EQ(shown.format, Qt::PlainText);
        EXPECT_EQ(shown.text, cutAt(QStringLiteral("Die IBAN \u201E%1\u201C ist ungültig: Länge, "
                                                   "Zeichen oder Prüfziffern stimmen nicht. Bitte "
                                                   "prüfen Sie die IBAN.")
                                        .arg(hostile.seen),
                                    vq::ui::kMaxMessageChars));
        EXPECT_TRUE(fitsTheScreen(shown));
    }
    EXPECT_FALSE(pipe.opened()) << "a window read the named pipe as a picture";
}

TEST_F(ClientWindows, EditorChecksInOrderAndReportsOnlyTheFirstFailure)
{
    struct Case
    {
        const char *email, *pop3, *user, *port, *iban;
        const char *message; // nullptr: accepted
        const char *box;
    };
    const char *port = "Port muss eine Zahl sein.";
    const char *range = "Der Port muss zwischen 0 und 65535 liegen.";
    const Case cases[] = {
        {"", "", "", "x", "falsch", "Geben Sie eine E-Mail-Adresse ein.", "edtEMail"},
        {"   ", "pop", "user", "110", "", "Geben Sie eine E-Mail-Adresse ein.", "edtEMail"},
        {"a@b.test", "", "", "x", "", "Geben Sie eine Server-Adresse ein.", "edtPOP3"},
        {"a@b.test", "pop", "", "x", "", "Geben Sie einen Benutzernamen ein.", "edtBenutzername"},
        {"a@b.test", "pop", "user", "110abc", "falsch", port, "edtPort"},
        {"a@b.test", "pop", "user", "", "", port, "edtPort"},
        {"a@b.test", "pop", "user", "1.5", "", port, "edtPort"},
        // The box takes 12 characters: an integer, but far too large.
        {"a@b.test", "pop", "user", "99999999999999999999", "", range, "edtPort"},
        {"a@b.test", "pop", "user", "65536", "", range, "edtPort"},
        {"a@b.test", "pop", "user", "-1", "", range, "edtPort"},
        {"a@b.test", "pop", "user", "0", "DE89 3704 0044 0532 0130 01", "IBAN", "edtIBAN"},
        {"a@b.test", "pop", "user", "995", "DE89370400440532013", "IBAN", "edtIBAN"},
        {"a@b.test", "pop", "user", "0", "", nullptr, nullptr},
        {"a@b.test", "pop", "user", " 65535 ", "DE89 3704 0044 0532 0130 00", nullptr, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.email) + "|" + c.pop3 + "|" + c.user + "|" + c.port + "|"
                     + c.iban);
        questions.informations.clear();
        int stored = 0;
        TfrmMandantBearbeiten editor(newClient(), questions, [&](const TMandant &, QString *) {
            ++stored;
            return true;
        });
        editor.show();
        setText(editor, "edtEMail", QString::fromUtf8(c.email));
        setText(editor, "edtPOP3", QString::fromUtf8(c.pop3));
        setText(editor, "edtBenutzername", QString::fromUtf8(c.user));
        setText(editor, "edtPort", QString::fromUtf8(c.port));
        setText(editor, "edtIBAN", QString::fromUtf8(c.iban));
        child<QLineEdit>(editor, "edtFirma")->setFocus();
        click(editor, "btnOK");
        if (!c.message) {
            EXPECT_TRUE(questions.informations.isEmpty())
                << questions.informations.join(u'|').toStdString();
            EXPECT_EQ(stored, 1);
            EXPECT_EQ(editor.result(), QDialog::Accepted);
            continue;
        }
        ASSERT_EQ(questions.informations.size(), 1);
        EXPECT_TRUE(questions.informations.first().contains(QString::fromUtf8(c.message)))
            << questions.informations.first().toStdString();
        EXPECT_EQ(stored, 0);
        EXPECT_TRUE(editor.isVisible());
        ASSERT_TRUE(editor.focusWidget());
        EXPECT_EQ(editor.focusWidget()->objectName(), QString::fromLatin1(c.box));
    }
}

TEST_F(ClientWindows, EditorKeepsEveryFieldAndShowsTheElectronicInvoiceData)
{
    TMandant original = newClient();
    original.id = 42;
    original.firma = QStringLiteral("Laden GmbH");
    original.name = QStringLiteral("Muster");
    original.vorname = QStringLiteral("Erika");
    original.strasse = QStringLiteral("Hauptstraße 1");
    original.plz = QStringLiteral("04109");
    original.ort = QStringLiteral("Leipzig");
    original.land = QStringLiteral("Deutschland");
    original.waehrung = QStringLiteral("€");
    original.email = QStringLiteral("shop@example.test");
    original.pop3 = QStringLiteral("pop.example.test");
    original.username = QStringLiteral("shop");
    original.password = QStringLiteral("gé heim");
    original.port = 995;
    original.verschluesselung = 1;
    original.bestellgeheimnis = QStringLiteral("s3cr3t");
    original.ustIdNr = QStringLiteral("DE123456789");
    original.steuernummer = QStringLiteral("231/123/45678");
    original.iban = QStringLiteral("DE89 3704 0044 0532 0130 00");
    original.bic = QStringLiteral("COBADEFFXXX");
    original.bank = QStringLiteral("Commerzbank");
    original.telefon = QStringLiteral("0341 12345");
    // A footer with what this editor cannot hold (a table) stays as it was when untouched.
    original.rechnungsfuss =
        QStringLiteral("{\\rtf1{\\b Fett}\\trowd\\cellx1000 Zelle\\cell\\row\\par}");

    // Payment periods: none, at once, two weeks, beyond what the box offers.
    const std::optional<int> periods[] = {std::nullopt, 0, 14, 999};
    for (int encryption : {0, 1, 2, 7}) {
        SCOPED_TRACE(encryption);
        original.verschluesselung = encryption;
        original.zahlungsziel = periods[encryption % 4 == 3 ? 3 : encryption];
        TMandant stored;
        TfrmMandantBearbeiten editor(original, questions, [&](const TMandant &client, QString *) {
            stored = client;
            return true;
        });
        editor.show();
        EXPECT_EQ(child<QLineEdit>(editor, "edtIBAN")->text(), original.iban);
        EXPECT_EQ(child<QLineEdit>(editor, "edtPasswort")->echoMode(), QLineEdit::Normal);
        click(editor, "btnOK");
        ASSERT_EQ(editor.result(), QDialog::Accepted)
            << questions.informations.join(u'|').toStdString();
        EXPECT_EQ(stored.id, 42);
        EXPECT_EQ(stored.verschluesselung, encryption);
        for (auto field : {&TMandant::firma,
                           &TMandant::name,
                           &TMandant::vorname,
                           &TMandant::strasse,
                           &TMandant::plz,
                           &TMandant::ort,
                           &TMandant::land,
                           &TMandant::waehrung,
                           &TMandant::email,
                           &TMandant::pop3,
                           &TMandant::username,
                           &TMandant::password,
                           &TMandant::bestellgeheimnis,
                           &TMandant::ustIdNr,
                           &TMandant::steuernummer,
                           &TMandant::iban,
                           &TMandant::bic,
                           &TMandant::bank,
                           &TMandant::telefon,
                           &TMandant::rechnungsfuss})
            EXPECT_EQ(stored.*field, original.*field);
        EXPECT_EQ(stored.port, 995);
        EXPECT_EQ(stored.zahlungsziel, original.zahlungsziel);
    }
    // Typed: the box stores what it shows, "keine Angabe" as none.
    {
        TMandant stored;
        TfrmMandantBearbeiten editor(original, questions, [&](const TMandant &client, QString *) {
            stored = client;
            return true;
        });
        editor.show();
        auto *period = child<QSpinBox>(editor, "edtZahlungsziel");
        period->setValue(30);
        click(editor, "btnOK");
        EXPECT_EQ(stored.zahlungsziel, 30);
        TfrmMandantBearbeiten none(original, questions, [&](const TMandant &client, QString *) {
            stored = client;
            return true;
        });
        none.show();
        child<QSpinBox>(none, "edtZahlungsziel")->setValue(-1);
        EXPECT_EQ(child<QSpinBox>(none, "edtZahlungsziel")->text(), QStringLiteral("keine Angabe"));
        click(none, "btnOK");
        EXPECT_EQ(stored.zahlungsziel, std::nullopt);
    }

    // Values longer than the boxes take come back whole; typing stops at the column's size.
    TMandant longer = original;
    longer.firma = QString(300, u'F');
    longer.bank = QString(5000, u'B');
    TMandant stored;
    TfrmMandantBearbeiten longEditor(longer, questions, [&](const TMandant &client, QString *) {
        stored = client;
        return true;
    });
    longEditor.show();
    auto *name = child<QLineEdit>(longEditor, "edtName");
    name->clear();
    QTest::keyClicks(name, QString(80, u'n'));
    click(longEditor, "btnOK");
    ASSERT_EQ(longEditor.result(), QDialog::Accepted);
    EXPECT_EQ(stored.firma, longer.firma);
    EXPECT_EQ(stored.bank, longer.bank);
    EXPECT_EQ(stored.name, QString(50, u'n'));

    // The groups and labels a user and a screen reader see.
    TfrmMandantBearbeiten editor(original, questions, {});
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    QStringList groups;
    for (auto *group : editor.findChildren<QGroupBox *>())
        groups << group->title();
    EXPECT_EQ(groups,
              QStringList({QStringLiteral("Grunddaten"), QStringLiteral("E-Mail Einstellungen"),
                           QStringLiteral("E-Rechnung"), QStringLiteral("Fußzeile für Rechnung"),
                           QStringLiteral("Rechnungsnummern")}));
    for (const char *name : {"edtUStIdNr", "edtSteuernummer", "edtIBAN", "edtBIC", "edtBank",
                             "edtTelefon", "edtBestellgeheimnis", "edtPort", "edtEMail"}) {
        auto *label = qobject_cast<QLabel *>(
            child<QWidget>(editor, name)->parentWidget()->layout()
                ? static_cast<QFormLayout *>(child<QWidget>(editor, name)->parentWidget()->layout())
                      ->labelForField(child<QWidget>(editor, name))
                : nullptr);
        ASSERT_TRUE(label) << name;
        EXPECT_EQ(label->buddy(), child<QWidget>(editor, name)) << name;
    }
    const QSize screen(1280, 800);
    EXPECT_LE(editor.width(), screen.width());
    EXPECT_LE(editor.height(), screen.height() - 40);
    EXPECT_LE(editor.minimumSizeHint().height(), screen.height() - 40);
    EXPECT_TRUE(vq::test::isAccessible(editor));
    keepScreenshots(&editor, "mandant_bearbeiten");
}

TEST_F(ClientWindows, EditorThatCannotStoreKeepsWhatWasTyped)
{
    const int id = addClient(QStringLiteral("Vorher"));
    QSqlQuery q(db.connection());
    ASSERT_TRUE(q.exec(QStringLiteral("CREATE TRIGGER kaputt BEFORE UPDATE ON Mandant "
                                      "BEGIN SELECT RAISE(ABORT, 'Platte voll'); END")));
    TfrmMandanten manager(db, questions);
    manager.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&manager));
    whenModal([&](QDialog &editor) {
        setText(editor, "edtFirma", QStringLiteral("Nachher"));
        click(editor, "btnOK");
        // The failure is shown; the dialog and the typed text stay.
        EXPECT_TRUE(editor.isVisible());
        EXPECT_EQ(child<QLineEdit>(editor, "edtFirma")->text(), QStringLiteral("Nachher"));
        // Pressing OK again fails again, and the close box then discards it.
        click(editor, "btnOK");
        editor.close();
    });
    trigger(manager, "actBearbeiten");
    ASSERT_EQ(questions.errors.size(), 2);
    EXPECT_TRUE(questions.errors.first().contains(QStringLiteral("Platte voll")))
        << questions.errors.first().toStdString();
    EXPECT_EQ(ClientStore(db).client(id)->firma, QStringLiteral("Vorher"));
}

TEST_F(ClientWindows, ManagerCreatesEditsAndDeletesOnlyOnConfirmation)
{
    const int keep = addClient(QStringLiteral("Bleibt"));
    const int gone = addClient(QStringLiteral("Geht"));
    const int keptOrder = addOrder(keep, QStringLiteral("Kunde A"));
    addOrder(gone, QStringLiteral("Kunde B"));
    addOrder(gone, QStringLiteral("Kunde C"));
    vq::test::writeFile(clientTemplatePath(gone), "<p>Vorlage</p>");

    TfrmMandanten manager(db, questions);
    manager.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&manager));
    EXPECT_EQ(manager.size(), QSize(1053, 587));
    manager.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&manager));
    QTableView *view = grid(manager);
    QStringList titles;
    QList<int> widths;
    for (int i = 0; i < view->model()->columnCount(); ++i) {
        titles << view->model()->headerData(i, Qt::Horizontal).toString();
        widths << view->horizontalHeader()->sectionSize(i);
    }
    EXPECT_EQ(
        titles,
        QStringList({QStringLiteral("ID"), QStringLiteral("Firma"), QStringLiteral("Name"),
                     QStringLiteral("Vorname"), QStringLiteral("Straße"), QStringLiteral("PLZ"),
                     QStringLiteral("Ort"), QStringLiteral("Land"), QStringLiteral("E-Mail")}));
    EXPECT_EQ(widths.mid(0, 8), QList<int>({30, 150, 120, 120, 150, 50, 120, 120}));
    EXPECT_EQ(view->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(view->selectionBehavior(), QAbstractItemView::SelectRows);

    // Tool bar and menu with their hints and the Ctrl+N short cut.
    auto *toolBar = child<QToolBar>(manager, "tbMandanten");
    QStringList tools;
    for (QAction *a : toolBar->actions())
        tools << (a->isSeparator() ? QStringLiteral("|") : a->text() + u'/' + a->toolTip());
    EXPECT_EQ(tools, QStringList({QStringLiteral("Neu/Neuen Mandanten anlegen"),
                                  QStringLiteral("Bearbeiten/Mandant bearbeiten"),
                                  QStringLiteral("Löschen/Mandant löschen"), QStringLiteral("|"),
                                  QStringLiteral("Verlassen/Mandatenverwaltung verlassen")}));
    // A menu is a window of its own.
    auto *menu = manager.findChild<QMenu *>(QStringLiteral("mnuVerwaltung"));
    ASSERT_TRUE(menu);
    QStringList entries;
    for (QAction *a : menu->actions())
        entries << (a->isSeparator() ? QStringLiteral("|") : a->text());
    EXPECT_EQ(menu->title().remove(u'&'), QStringLiteral("Verwaltung"));
    EXPECT_EQ(entries, QStringList({QStringLiteral("Neu"), QStringLiteral("Löschen"),
                                    QStringLiteral("|"), QStringLiteral("Verlassen")}));
    EXPECT_EQ(child<QAction>(manager, "actNeu")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_TRUE(vq::test::isAccessible(manager));
    keepScreenshots(&manager, "mandantenverwaltung");

    // "Neu" then Abbrechen or the close box stores nothing; Ctrl+N opens it too.
    int editors = 0;
    whenModal([&](QDialog &editor) {
        ++editors;
        fillMailbox(editor);
        click(editor, "btnAbbrechen");
    });
    trigger(manager, "actNeu");
    ASSERT_EQ(editors, 1);
    whenModal([&](QDialog &editor) {
        ++editors;
        fillMailbox(editor);
        editor.close();
    });
    // A short cut needs its window active again after the editor closed.
    manager.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&manager));
    QTest::keyClick(view, Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(editors, 2);
    EXPECT_EQ(ClientStore(db).clients()->size(), 2);

    // A double-click edits; Abbrechen keeps the row as it was, OK stores.
    const int row = view->model()->index(0, 0).data().toInt() == keep ? 0 : 1;
    whenModal([&](QDialog &editor) {
        ++editors;
        EXPECT_EQ(child<QLineEdit>(editor, "edtFirma")->text(), QStringLiteral("Bleibt"));
        setText(editor, "edtFirma", QStringLiteral("Geändert"));
        click(editor, "btnAbbrechen");
    });
    doubleClickRow(view, row);
    ASSERT_EQ(editors, 3);
    EXPECT_EQ(ClientStore(db).client(keep)->firma, QStringLiteral("Bleibt"));
    whenModal([&](QDialog &editor) {
        ++editors;
        setText(editor, "edtFirma", QStringLiteral("Bleibt & wächst"));
        QTest::keyClick(child<QLineEdit>(editor, "edtFirma"), Qt::Key_Return);
    });
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Return);
    ASSERT_EQ(editors, 4);
    EXPECT_EQ(ClientStore(db).client(keep)->firma, QStringLiteral("Bleibt & wächst"));
    EXPECT_EQ(view->model()->index(row, 1).data().toString(), QStringLiteral("Bleibt & wächst"));

    // Deleting asks with a warning; No keeps everything.
    selectRowOf(view, gone);
    EXPECT_EQ(manager.selectedClientId(), gone);
    questions.answers = {false};
    trigger(manager, "actLoeschen");
    EXPECT_EQ(questions.asked,
              QStringList{QStringLiteral("Mandant löschen? Alle zugehörigen Daten (Bestellungen, "
                                         "Rechnungen, ...) werden mit gelöscht.")});
    EXPECT_TRUE(ClientStore(db).client(gone));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Bestellung")), 3);

    // Yes removes the client with its orders, lines and options; its template file
    // stays. The Delete key in the list asks the same.
    questions.answers = {true};
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_EQ(questions.asked.size(), 2);
    EXPECT_FALSE(ClientStore(db).client(gone));
    EXPECT_EQ(view->model()->rowCount(), 1);
    EXPECT_EQ(manager.selectedClientId(), keep);
    const auto orders = OrderStore(db).ordersOfClient(keep);
    ASSERT_TRUE(orders);
    ASSERT_EQ(orders->size(), 1);
    EXPECT_EQ(orders->first().id, keptOrder);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Bestellung")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Artikel")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Optionen")), 1);
    EXPECT_EQ(vq::test::readFile(clientTemplatePath(gone)), "<p>Vorlage</p>");
    EXPECT_TRUE(questions.errors.isEmpty()) << questions.errors.join(u'\n').toStdString();

    // With the last client gone, nothing is left to edit or delete.
    questions.answers = {true};
    trigger(manager, "actLoeschen");
    EXPECT_EQ(view->model()->rowCount(), 0);
    EXPECT_FALSE(child<QAction>(manager, "actLoeschen")->isEnabled());
    EXPECT_FALSE(child<QAction>(manager, "actBearbeiten")->isEnabled());
    manager.editClient();
    manager.deleteClient();
    EXPECT_EQ(questions.asked.size(), 3);
}

TEST_F(ClientWindows, ClientDeletedByAnotherWindowIsReportedAndLeavesTheList)
{
    const int first = addClient(QStringLiteral("Erster"));
    const int second = addClient(QStringLiteral("Zweiter"));

    // The manager: editing a client that is gone says so and reads the list afresh.
    TfrmMandanten manager(db, questions);
    manager.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&manager));
    selectRowOf(grid(manager), second);
    ASSERT_TRUE(ClientStore(db).deleteClient(second));
    manager.editClient();
    ASSERT_EQ(questions.errors.size(), 1);
    EXPECT_EQ(questions.errors.first(),
              QStringLiteral("Der Mandant %1 ist nicht mehr vorhanden.").arg(second));
    EXPECT_EQ(grid(manager)->model()->rowCount(), 1);
    EXPECT_EQ(manager.selectedClientId(), first);

    // The selection: accepting a client that is gone keeps the dialog open.
    CurrentClient current(db, programFolder());
    TfrmMandantWahl selection(db, current, questions, programFolder());
    selection.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&selection));
    const int third = addClient(QStringLiteral("Dritter"));
    selection.reload(third);
    ASSERT_TRUE(ClientStore(db).deleteClient(third));
    click(selection, "btnUebernehmen");
    ASSERT_EQ(questions.errors.size(), 2);
    EXPECT_TRUE(questions.errors.last().contains(QString::number(third)));
    EXPECT_TRUE(selection.isVisible());
    EXPECT_FALSE(current.isSet());
    EXPECT_FALSE(QFileInfo::exists(clientTemplatePath(third)));
    EXPECT_EQ(selection.selectedClientId(), first);
    click(selection, "btnUebernehmen");
    EXPECT_EQ(current.id(), first);
}

// Deleted by another window while its editor is open: OK does not take the
// typed values for saved; the editor stays with them until the user gives up.
TEST_F(ClientWindows, EditorOfAClientDeletedMeanwhileDoesNotReportTheEditsAsSaved)
{
    const int id = addClient(QStringLiteral("Vorher"));
    TfrmMandanten manager(db, questions);
    manager.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&manager));
    whenModal([&](QDialog &editor) {
        setText(editor, "edtFirma", QStringLiteral("Getippt"));
        ASSERT_TRUE(ClientStore(db).deleteClient(id));
        click(editor, "btnOK");
        EXPECT_TRUE(editor.isVisible());
        EXPECT_EQ(child<QLineEdit>(editor, "edtFirma")->text(), QStringLiteral("Getippt"));
        click(editor, "btnAbbrechen");
    });
    trigger(manager, "actBearbeiten");
    ASSERT_EQ(questions.errors.size(), 1);
    EXPECT_TRUE(questions.errors.first().contains(
        QStringLiteral("Der Mandant %1 ist nicht mehr vorhanden.").arg(id)))
        << questions.errors.first().toStdString();
    EXPECT_FALSE(ClientStore(db).client(id));
}

TEST_F(ClientWindows, ManagerListsTenThousandClients)
{
    ASSERT_TRUE(db.begin());
    for (int i = 0; i < 10000; ++i)
        ASSERT_TRUE(ClientStore(db).insertClient(newClient()));
    ASSERT_TRUE(db.commit());
    TfrmMandanten manager(db, questions);
    manager.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&manager));
    QTableView *view = grid(manager);
    EXPECT_EQ(view->model()->rowCount(), 10000);
    view->setFocus();
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(manager.selectedClientId(), ClientStore(db).clients()->last().id);
}

TEST_F(ClientWindows, FooterFormatsSurviveSavingAndReopeningTheClient)
{
    const int id = addClient(QStringLiteral("Fußladen"));
    TfrmMandanten manager(db, questions);
    manager.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&manager));

    const QString serif = QStringLiteral("DejaVu Serif");
    const QString sans = QStringLiteral("DejaVu Sans");
    // Each family once, without its foundry, in alphabetical order.
    const QStringList families = RtfEditor::fontFamilies();
    ASSERT_TRUE(families.contains(serif));
    ASSERT_TRUE(families.contains(sans));
    EXPECT_FALSE(families.filter(QStringLiteral(" [")).size()) << families.join(u',').toStdString();
    QStringList unique = families;
    EXPECT_EQ(unique.removeDuplicates(), 0);
    for (qsizetype i = 1; i < families.size(); ++i)
        EXPECT_LE(QString::localeAwareCompare(families[i - 1], families[i]), 0);

    whenModal([&](QDialog &editor) {
        auto *footer = child<RtfEditor>(editor, "redRechnungsfuss");
        QTextEdit *edit = child<QTextEdit>(editor, "edtRechnungsfuss");
        ASSERT_TRUE(footer && edit);
        QStringList tools;
        for (QAction *a : child<QToolBar>(editor, "tbFormat")->actions())
            tools << (a->isSeparator() ? QStringLiteral("|") : a->toolTip());
        EXPECT_EQ(tools.size(), 13) << tools.join(u' ').toStdString();
        EXPECT_EQ(tools.last(), QStringLiteral("Schrift festlegen"));
        EXPECT_EQ(child<QSpinBox>(editor, "edtSchriftgroesse")->value(), 0);
        EXPECT_FALSE(child<QAction>(editor, "actFett")->isChecked());
        auto *alignGroup = child<QAction>(editor, "actZentriert")->actionGroup();
        ASSERT_TRUE(alignGroup && alignGroup->isExclusive());

        edit->setFocus();
        vq::test::typeText(edit, QStringLiteral("Fett"));
        // Select the word and press the buttons of the tool bar.
        auto select = [&](int from, int to) {
            QTextCursor cursor(edit->document());
            cursor.setPosition(from);
            cursor.setPosition(to, QTextCursor::KeepAnchor);
            edit->setTextCursor(cursor);
        };
        select(0, 4);
        trigger(editor, "actFett");
        trigger(editor, "actZentriert");
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClick(edit, Qt::Key_Return);
        // Typing continues bold after bold text: switch it off first.
        trigger(editor, "actFett");
        vq::test::typeText(edit, QStringLiteral("Kursiv unterstrichen"));
        select(5, 11);
        trigger(editor, "actKursiv");
        select(12, 25);
        trigger(editor, "actUnterstrichen");
        trigger(editor, "actRechtsbuendig");
        select(12, 25);
        auto *fonts = child<QComboBox>(editor, "cboSchriftart");
        fonts->setCurrentIndex(fonts->findText(serif));
        child<QSpinBox>(editor, "edtSchriftgroesse")->setValue(14);
        // "Schrift festlegen" applies the dialog's font and gives the focus back.
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClick(edit, Qt::Key_Return);
        vq::test::typeText(edit, QStringLiteral("Dialog"));
        select(26, 32);
        QFont chosen(sans);
        chosen.setPointSize(9);
        chosen.setItalic(true);
        questions.font = chosen;
        child<QLineEdit>(editor, "edtFirma")->setFocus();
        trigger(editor, "actSchriftFestlegen");
        EXPECT_EQ(editor.focusWidget(), edit);
        trigger(editor, "actLinksbuendig");
        click(editor, "btnOK");
    });
    trigger(manager, "actBearbeiten");
    const QString rtf = ClientStore(db).client(id)->rechnungsfuss;
    ASSERT_TRUE(rtf.startsWith(QStringLiteral("{\\rtf1"))) << rtf.toStdString();

    RtfRun bold;
    bold.text = QStringLiteral("Fett");
    bold.bold = true;
    RtfRun plain;
    plain.text = QStringLiteral("Kursiv ");
    RtfRun italic = plain;
    italic.text = QStringLiteral("Kursiv");
    italic.italic = true;
    RtfRun blank;
    blank.text = QStringLiteral(" ");
    RtfRun underlined;
    underlined.text = QStringLiteral("unterstrichen");
    underlined.underline = true;
    underlined.font = serif;
    underlined.sizePt = 14;
    RtfRun dialog;
    dialog.text = QStringLiteral("Dialog");
    dialog.italic = true;
    dialog.font = sans;
    dialog.sizePt = 9;
    RtfText expected;
    expected.paragraphs = {RtfParagraph{RtfAlignment::Center, {bold}},
                           RtfParagraph{RtfAlignment::Right, {italic, blank, underlined}},
                           RtfParagraph{RtfAlignment::Left, {dialog}}};
    EXPECT_EQ(readRtf(rtf).plainText(), expected.plainText());
    EXPECT_EQ(readRtf(rtf), expected) << rtf.toStdString();

    // Reopened, the editor shows the formats and its tool bar follows the cursor.
    whenModal([&](QDialog &editor) {
        QTextEdit *edit = child<QTextEdit>(editor, "edtRechnungsfuss");
        EXPECT_EQ(fromTextDocument(*edit->document()), expected);
        auto placeAt = [&](int position) {
            QTextCursor cursor(edit->document());
            cursor.setPosition(position);
            edit->setTextCursor(cursor);
        };
        placeAt(2);
        EXPECT_TRUE(child<QAction>(editor, "actFett")->isChecked());
        EXPECT_TRUE(child<QAction>(editor, "actZentriert")->isChecked());
        EXPECT_EQ(child<QSpinBox>(editor, "edtSchriftgroesse")->value(), 0);
        placeAt(20);
        EXPECT_FALSE(child<QAction>(editor, "actFett")->isChecked());
        EXPECT_TRUE(child<QAction>(editor, "actUnterstrichen")->isChecked());
        EXPECT_TRUE(child<QAction>(editor, "actRechtsbuendig")->isChecked());
        EXPECT_EQ(child<QSpinBox>(editor, "edtSchriftgroesse")->value(), 14);
        EXPECT_EQ(child<QComboBox>(editor, "cboSchriftart")->currentText(), serif);
        placeAt(29);
        EXPECT_TRUE(child<QAction>(editor, "actKursiv")->isChecked());
        EXPECT_EQ(child<QComboBox>(editor, "cboSchriftart")->currentText(), sans);
        EXPECT_TRUE(child<QAction>(editor, "actLinksbuendig")->isChecked());
        // A selection over mixed formats only shows them: the text stays unchanged.
        QTextCursor cursor(edit->document());
        cursor.setPosition(1);
        cursor.setPosition(30, QTextCursor::KeepAnchor);
        edit->setTextCursor(cursor);
        cursor.setPosition(30);
        cursor.setPosition(1, QTextCursor::KeepAnchor);
        edit->setTextCursor(cursor);
        EXPECT_FALSE(edit->document()->isModified());
        EXPECT_EQ(fromTextDocument(*edit->document()), expected);
        keepScreenshot(&editor, QStringLiteral("mandant_bearbeiten_fusszeile"));
        click(editor, "btnOK");
    });
    trigger(manager, "actBearbeiten");
    EXPECT_EQ(ClientStore(db).client(id)->rechnungsfuss, rtf);
}

// A size typed into the footer's size box takes effect on Enter, and the
// focus goes back to the text; Enter there neither closes nor stores the
// client editor, which would happen through its default button OK.
TEST_F(ClientWindows, EnterInTheFooterSizeBoxSetsTheSizeAndKeepsTheEditorOpen)
{
    const int id = addClient(QStringLiteral("Vorher"));
    TfrmMandanten manager(db, questions);
    manager.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&manager));
    bool stayedOpen = false;
    whenModal([&](QDialog &editor) {
        QTextEdit *edit = child<QTextEdit>(editor, "edtRechnungsfuss");
        auto *size = child<QSpinBox>(editor, "edtSchriftgroesse");
        ASSERT_TRUE(edit && size);
        setText(editor, "edtFirma", QStringLiteral("Getippt"));
        edit->setFocus();
        vq::test::typeText(edit, QStringLiteral("Groß"));
        edit->selectAll();
        size->setFocus();
        size->selectAll();
        vq::test::typeText(size, QStringLiteral("18"));
        QTest::keyClick(size, Qt::Key_Return);
        QApplication::processEvents();
        stayedOpen = editor.isVisible();
        EXPECT_EQ(edit->textCursor().charFormat().fontPointSize(), 18);
        EXPECT_EQ(QApplication::focusWidget(), edit);
        if (editor.isVisible())
            click(editor, "btnAbbrechen");
    });
    trigger(manager, "actBearbeiten");
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(ClientStore(db).client(id)->firma, QStringLiteral("Vorher"));
}

TEST_F(ClientWindows, FooterShortCutsFormatTheSelection)
{
    RtfEditor footer(questions);
    footer.show();
    footer.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&footer));
    QTextEdit *edit = footer.textEdit();
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("Kurz"));
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_B, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_I, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_U, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_E, Qt::ControlModifier);
    EXPECT_TRUE(child<QAction>(footer, "actZentriert")->isChecked());
    RtfRun styled = readRtf(footer.rtf()).paragraphs.value(0).runs.value(0);
    EXPECT_TRUE(styled.bold && styled.italic && styled.underline);
    QFont chosen(QStringLiteral("DejaVu Serif"));
    chosen.setPointSize(20);
    chosen.setBold(true);
    questions.font = chosen;
    QTest::keyClick(edit, Qt::Key_D, Qt::ControlModifier);
    const RtfText text = readRtf(footer.rtf());
    ASSERT_EQ(text.paragraphs.size(), 1);
    EXPECT_EQ(text.paragraphs[0].alignment, RtfAlignment::Center);
    ASSERT_EQ(text.paragraphs[0].runs.size(), 1);
    const RtfRun &run = text.paragraphs[0].runs[0];
    // The dialog, preset with the selection's font, answers for every style it shows.
    EXPECT_TRUE(run.bold);
    EXPECT_FALSE(run.italic);
    EXPECT_FALSE(run.underline);
    EXPECT_EQ(run.font, QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(run.sizePt, 20);
    EXPECT_EQ(child<QSpinBox>(footer, "edtSchriftgroesse")->value(), 20);
}

TEST_F(ClientWindows, DamagedFooterShowsWhatCanBeRead)
{
    const QStringList damaged = {
        QStringLiteral("{\\rtf1\\ansi{\\b Fett und {\\i kursiv"),
        QStringLiteral("{\\rtf1 ") + QString(50000, u'{') + QStringLiteral("tief"),
        QStringLiteral("{\\rtf1\\fs99999999999\\f-7 Riesig\\'zz\\u\\par}}}}"),
        QStringLiteral("{\\rtf1{\\fonttbl{\\f0 Keine Solche Schrift;}}\\f0\\fs24 Fremd\\par}"),
        QStringLiteral("Nur Text <b>ohne</b> RTF"),
        QString(),
    };
    const QStringList shown = {QStringLiteral("Fett und kursiv"),
                               QStringLiteral("tief"),
                               QStringLiteral("Riesigzz"),
                               QStringLiteral("Fremd"),
                               QStringLiteral("Nur Text <b>ohne</b> RTF"),
                               QString()};
    for (qsizetype i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE(i);
        RtfEditor footer(questions);
        footer.setRtf(damaged[i]);
        footer.show();
        EXPECT_EQ(footer.textEdit()->toPlainText(), shown[i]);
        EXPECT_FALSE(footer.isModified());
        // Writing it back gives RTF that reads the same.
        EXPECT_EQ(readRtf(footer.rtf()).plainText(), shown[i]);
        // The tool bar takes any size and font name the text has.
        footer.textEdit()->selectAll();
        EXPECT_LE(child<QSpinBox>(footer, "edtSchriftgroesse")->value(), RtfEditor::kMaxPointSize);
    }

    // A font this system lacks shows no name, and typing keeps it in the text.
    RtfEditor footer(questions);
    footer.setRtf(damaged[3]);
    footer.show();
    footer.textEdit()->moveCursor(QTextCursor::End);
    EXPECT_EQ(child<QComboBox>(footer, "cboSchriftart")->currentIndex(), -1);
    EXPECT_EQ(child<QSpinBox>(footer, "edtSchriftgroesse")->value(), 12);
    vq::test::typeText(footer.textEdit(), QStringLiteral("er"));
    const RtfText text = readRtf(footer.rtf());
    ASSERT_EQ(text.paragraphs.size(), 1);
    ASSERT_EQ(text.paragraphs[0].runs.size(), 1);
    EXPECT_EQ(text.paragraphs[0].runs[0].text, QStringLiteral("Fremder"));
    EXPECT_EQ(text.paragraphs[0].runs[0].font, QStringLiteral("Keine Solche Schrift"));
    EXPECT_EQ(text.paragraphs[0].runs[0].sizePt, 12);
}

} // namespace
