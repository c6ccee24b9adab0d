// The order editor "Bestellung verwalten" offscreen, driven as the orders
// window drives it: begin a transaction, start a new order or edit one, exec,
// commit on "Ja" and roll back on "Nein". Lines in their nested transaction,
// options, the key filter of "Preis" and "Mwst.", the option dialog's checks,
// invoice numbers another order holds, typed dates, money in the client's
// currency and the article-template picker over the designer's file. Set
// VQ_SCREENSHOT_DIR to keep a picture of each window.
#include "common/GlobalFunctions.h"
#include "common_ui/plain_text.h"
#include "invoice/db/clients.h"
#include "invoice/db/order_store.h"
#include "invoice/db/state_store.h"
#include "invoice/session/order_dates.h"
#include "invoice/ui/invoice_output_ui.h"
#include "invoice/ui/uArtikel.h"
#include "invoice/ui/uArtikelVorlagen.h"
#include "invoice/ui/uBestellung.h"
#include "tests/support/hostile_xml.h"
#include "tests/support/plain_text_support.h"
#include "tests/support/scripted_questions.h"
#include "tests/test_support.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <QToolTip>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace vq::invoice;
using vq::test::child;
using vq::test::keepScreenshot;
using vq::test::typeText;
using vq::test::whenModal;
using Answer = UserQuestions::Answer;

namespace {

QString programFolder()
{
    return QStringLiteral(VQ_PROGRAM_DIR "/rechtool");
}

void click(QWidget &window, const char *button)
{
    QAbstractButton *b = child<QAbstractButton>(window, button);
    ASSERT_TRUE(b);
    b->click();
}

void trigger(QWidget &window, const char *action)
{
    auto *a = window.findChild<QAction *>(QString::fromLatin1(action));
    ASSERT_TRUE(a) << action;
    a->trigger();
}

void setText(QWidget &window, const char *box, const QString &text)
{
    QLineEdit *edit = child<QLineEdit>(window, box);
    ASSERT_TRUE(edit);
    edit->setText(text);
}

struct OptionTyped
{
    QString name, wert, preis;
};

// In the line editor: adds an option through the option dialog.
void addOption(QDialog &lineEditor, const OptionTyped &option)
{
    whenModal([option](QDialog &dialog) {
        setText(dialog, "edtName", option.name);
        setText(dialog, "edtWert", option.wert);
        setText(dialog, "edtPreis", option.preis);
        click(dialog, "btnOK");
    });
    click(lineEditor, "btnOptionHinzufuegen");
}

class OrderEditor : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path()));
        QDir().mkpath(vq::appDataFolder());
        QString error;
        // (invoice_servers.h and widget_test_support.h cannot be included together.)
        ASSERT_TRUE(db.openSQLite(dir.filePath(QStringLiteral("datenbank.db")),
                                  QDir(programFolder()).filePath(QStringLiteral("datenbank.tdb")),
                                  &error))
            << error.toStdString();
        TMandant client = newClient();
        client.firma = QStringLiteral("Bergkäserei AG");
        client.waehrung = QStringLiteral("CHF");
        mandantId = ClientStore(db).insertClient(client).value_or(0);
        ASSERT_NE(mandantId, 0);
        editor = std::make_unique<TfrmBestellung>(db, questions, programFolder());
        editor->setToday([] { return QDate(2026, 12, 10); });
        editor->setClient(mandantId, QStringLiteral("CHF"));
    }

    void TearDown() override
    {
        editor.reset();
        EXPECT_EQ(db.transactionDepth(), 0);
    }

    int count(const char *table)
    {
        QSqlQuery q(db.connection());
        EXPECT_TRUE(q.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table))));
        return q.next() ? q.value(0).toInt() : -1;
    }

    int addOrder(std::optional<int> rechNr, const QString &name, const QDate &date)
    {
        TBestellung order;
        order.mandantId = mandantId;
        order.rechNr = rechNr;
        order.name = name;
        order.nachname = QStringLiteral("Muster");
        order.zeit = QDateTime(date, QTime(14, 30, 5), Qt::UTC);
        order.ip = QStringLiteral("192.0.2.7");
        return OrderStore(db).insertOrder(order).value_or(0);
    }

    int addLine(int order, const char *nr, double preis)
    {
        TArtikel line;
        line.bestellungId = order;
        line.nr = QString::fromLatin1(nr);
        line.name = QStringLiteral("Bergkäse");
        line.anzahl = 3;
        line.preis = preis;
        line.mwst = 7;
        return OrderStore(db).insertLine(line).value_or(0);
    }

    // One stay as the orders window runs it: start, exec, end. It holds no
    // transaction while the window is open.
    int stay(const std::function<bool()> &start, std::function<void(QDialog &)> inside)
    {
        if (!start()) {
            editor->endStay();
            return -1;
        }
        whenModal([this, inside = std::move(inside)](QDialog &window) {
            EXPECT_EQ(db.transactionDepth(), 0);
            inside(window);
        });
        const int result = editor->exec();
        editor->endStay();
        EXPECT_EQ(db.transactionDepth(), 0);
        return result;
    }

    QTemporaryDir dir;
    InvoiceConnection db;
    vq::test::ScriptedQuestions questions;
    int mandantId = 0;
    std::unique_ptr<TfrmBestellung> editor;
};

// What a stay leaves behind, by how it ends -------------------------------------

TEST_F(OrderEditor, NewOrderLeavesOnlyWhatTheAnswerKeeps)
{
    struct Case
    {
        const char *name;
        bool addLine;
        Answer answer;
        int orders, lines, options;
    };
    const Case cases[] = {
        {"new, then No", false, Answer::No, 0, 0, 0},
        {"new with a line and two options, then No", true, Answer::No, 0, 0, 0},
        {"new with a line and two options, then Yes", true, Answer::Yes, 1, 1, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QSqlQuery(db.connection()).exec(QStringLiteral("DELETE FROM Bestellung"));
        questions.threeWay = {c.answer};
        const int result = stay(
            [&] { return editor->startNewOrder(); },
            [&](QDialog &window) {
                EXPECT_EQ(child<QLineEdit>(window, "edtRechNr")->text(), QStringLiteral("1"));
                EXPECT_EQ(child<QLineEdit>(window, "edtBestelldatum")->text(),
                          QStringLiteral("10.12.2026"));
                EXPECT_EQ(child<QComboBox>(window, "cboStatus")->currentData().toInt(), 1);
                setText(window, "edtFirma", QStringLiteral("Alpenblick GmbH"));
                if (c.addLine) {
                    whenModal([](QDialog &line) {
                        setText(line, "edtArtikelNr", QStringLiteral("K-1"));
                        setText(line, "edtBezeichnung", QStringLiteral("Emmentaler"));
                        addOption(line, {QStringLiteral("Reifung"), QStringLiteral("12 Monate"),
                                         QStringLiteral("2,5")});
                        addOption(line,
                                  {QStringLiteral("Stück"), QStringLiteral("500 g"), QString()});
                        EXPECT_EQ(child<QTreeWidget>(line, "lvOptionen")->topLevelItemCount(), 2);
                        click(line, "btnOK");
                    });
                    click(window, "btnArtikelHinzufuegen");
                    EXPECT_EQ(child<QTreeWidget>(window, "grdArtikel")->topLevelItemCount(), 1);
                }
                trigger(window, "actVerlassen");
            });
        EXPECT_EQ(result, c.answer == Answer::Yes ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(questions.asked.last(),
                  QStringLiteral("Sollen Sie Änderungen gespeichert werden?"));
        EXPECT_EQ(count("Bestellung"), c.orders);
        EXPECT_EQ(count("Artikel"), c.lines);
        EXPECT_EQ(count("Optionen"), c.options);
    }
    const auto orders = OrderStore(db).ordersOfClient(mandantId).value();
    ASSERT_EQ(orders.size(), 1);
    EXPECT_EQ(orders.first().firma, QStringLiteral("Alpenblick GmbH"));
    EXPECT_EQ(orders.first().rechNr, 1);
}

TEST_F(OrderEditor, CancelKeepsTheWindowOpenAndTheCloseBoxAsksToo)
{
    questions.threeWay = {Answer::Cancel, Answer::Cancel, Answer::Yes};
    int asksWhileOpen = 0;
    const int result = stay([&] { return editor->startNewOrder(); },
                            [&](QDialog &window) {
                                setText(window, "edtNachname", QStringLiteral("Gerber"));
                                trigger(window, "actVerlassen");
                                EXPECT_TRUE(window.isVisible());
                                window.close(); // the close box
                                EXPECT_TRUE(window.isVisible());
                                asksWhileOpen = int(questions.asked.size());
                                QTest::keyClick(&window, Qt::Key_Escape);
                            });
    EXPECT_EQ(asksWhileOpen, 2);
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(OrderStore(db).ordersOfClient(mandantId).value().first().nachname,
              QStringLiteral("Gerber"));
}

TEST_F(OrderEditor, NewOrderInsideTheEditorJoinsTheStay)
{
    addOrder(41, QStringLiteral("Vorher"), QDate(2026, 1, 2));
    questions.threeWay = {Answer::No};
    int firstNew = 0;
    stay([&] { return editor->startNewOrder(); },
         [&](QDialog &window) {
             firstNew = editor->currentOrderId();
             EXPECT_EQ(child<QLineEdit>(window, "edtRechNr")->text(), QStringLiteral("42"));
             trigger(window, "actNeueBestellung");
             EXPECT_NE(editor->currentOrderId(), firstNew);
             EXPECT_EQ(child<QLineEdit>(window, "edtRechNr")->text(), QStringLiteral("43"));
             trigger(window, "actVerlassen");
         });
    // "Nein" undoes both new orders; the stored one stays.
    EXPECT_EQ(count("Bestellung"), 1);
}

TEST_F(OrderEditor, AbbrechenInTheLineEditorTakesTheLineAndItsOptionsButKeepsTheOrder)
{
    const int order = addOrder(5, QStringLiteral("Anna"), QDate(2026, 3, 1));
    const int kept = addLine(order, "A", 4.2);
    questions.threeWay = {Answer::Yes};
    const int result = stay(
        [&] { return editor->startEditOrder(order); },
        [&](QDialog &window) {
            setText(window, "edtStrasse", QStringLiteral("Dorfstrasse 1"));
            whenModal([](QDialog &line) {
                setText(line, "edtArtikelNr", QStringLiteral("B"));
                addOption(line,
                          {QStringLiteral("Farbe"), QStringLiteral("rot"), QStringLiteral("1")});
                addOption(line,
                          {QStringLiteral("Größe"), QStringLiteral("XL"), QStringLiteral("2")});
                click(line, "btnAbbrechen");
            });
            click(window, "btnArtikelHinzufuegen");
            EXPECT_EQ(child<QTreeWidget>(window, "grdArtikel")->topLevelItemCount(), 1);

            // Abbrechen after changing a stored line leaves it as it was, options too.
            whenModal([](QDialog &line) {
                setText(line, "edtArtikelNr", QStringLiteral("geändert"));
                addOption(line, {QStringLiteral("Farbe"), QStringLiteral("blau"), QString()});
                line.close();
            });
            click(window, "btnArtikelBearbeiten");
            trigger(window, "actVerlassen");
        });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(OrderStore(db).order(order)->strasse, QStringLiteral("Dorfstrasse 1"));
    const auto lines = OrderStore(db).linesOfOrder(order).value();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines.first().id, kept);
    EXPECT_EQ(lines.first().nr, QStringLiteral("A"));
    EXPECT_EQ(count("Optionen"), 0);
}

TEST_F(OrderEditor, LinesAreEditedAndDeletedAfterAsking)
{
    const int order = addOrder(5, QStringLiteral("Anna"), QDate(2026, 3, 1));
    addLine(order, "A", 4.2);
    addLine(order, "B", 1);
    questions.threeWay = {Answer::Yes};
    questions.answers = {false, true}; // "Artikel wirklich löschen?": No, then Yes
    stay([&] { return editor->startEditOrder(order); },
         [&](QDialog &window) {
             auto *list = child<QTreeWidget>(window, "grdArtikel");
             list->setCurrentItem(list->topLevelItem(1));
             whenModal([](QDialog &line) {
                 EXPECT_EQ(child<QLineEdit>(line, "edtArtikelNr")->text(), QStringLiteral("B"));
                 EXPECT_EQ(child<QLineEdit>(line, "edtPreis")->text(), QStringLiteral("1"));
                 auto *anzahl = child<QSpinBox>(line, "edtAnzahl");
                 anzahl->setValue(4);
                 setText(line, "edtPreis", QStringLiteral("2,25"));
                 child<QComboBox>(line, "cboMwst")->setCurrentIndex(2); // 19
                 click(line, "btnOK");
             });
             // Enter in the list edits the line, Delete deletes it.
             list->setFocus();
             QTest::keyClick(list, Qt::Key_Return);
             click(window, "btnArtikelLoeschen"); // No
             EXPECT_EQ(list->topLevelItemCount(), 2);
             list->setCurrentItem(list->topLevelItem(0));
             list->setFocus();
             QTest::keyClick(list, Qt::Key_Delete); // Yes
             EXPECT_EQ(list->topLevelItemCount(), 1);
             trigger(window, "actVerlassen");
         });
    EXPECT_EQ(questions.asked.count(QStringLiteral("Artikel wirklich löschen?")), 2);
    const auto lines = OrderStore(db).linesOfOrder(order).value();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines.first().nr, QStringLiteral("B"));
    EXPECT_EQ(lines.first().anzahl, 4);
    EXPECT_DOUBLE_EQ(lines.first().preis, 2.25);
    EXPECT_DOUBLE_EQ(lines.first().mwst, 19);
}

// Money, dates and the fields of the order -------------------------------------

TEST_F(OrderEditor, ShowsEveryFieldAndMoneyInTheClientsCurrency)
{
    const int order = addOrder(8, QStringLiteral("Beat"), QDate(2026, 2, 3));
    TBestellung stored = OrderStore(db).order(order).value();
    stored.kaeuferreferenz = QStringLiteral("04011000-12345-67");
    ASSERT_TRUE(OrderStore(db).updateOrder(stored));
    addLine(order, "K-7", 1234.5);
    questions.threeWay = {Answer::No};
    stay([&] { return editor->startEditOrder(order); },
         [&](QDialog &window) {
             EXPECT_EQ(child<QLineEdit>(window, "edtBestelldatum")->text(),
                       QStringLiteral("03.02.2026 14:30:05"));
             EXPECT_EQ(child<QLineEdit>(window, "edtKaeuferreferenz")->text(),
                       QStringLiteral("04011000-12345-67"));
             auto *invoiceDate = child<QLineEdit>(window, "edtRechnungsdatum");
             EXPECT_TRUE(invoiceDate->text().isEmpty());
             EXPECT_TRUE(invoiceDate->isReadOnly());
             EXPECT_FALSE(child<QLabel>(window, "lblAusgestellt")->isVisible());
             EXPECT_TRUE(child<QLineEdit>(window, "edtIP")->isReadOnly());
             EXPECT_EQ(child<QLineEdit>(window, "edtIP")->text(), QStringLiteral("192.0.2.7"));
             // The five first states and "Widerrufen".
             EXPECT_EQ(child<QComboBox>(window, "cboStatus")->count(), 6);

             auto *list = child<QTreeWidget>(window, "grdArtikel");
             ASSERT_EQ(list->topLevelItemCount(), 1);
             const QTreeWidgetItem *row = list->topLevelItem(0);
             EXPECT_EQ(row->text(3), QStringLiteral("7 %"));
             EXPECT_EQ(row->text(4), QStringLiteral("1.234,50 CHF"));
             EXPECT_EQ(row->text(5), QStringLiteral("3.703,50 CHF"));
             EXPECT_TRUE(row->textAlignment(5) & Qt::AlignRight);
             for (int column = 0; column < 6; ++column)
                 EXPECT_FALSE(list->headerItem()->text(column).isEmpty());

             // The options of a line show their price in the same currency.
             whenModal([](QDialog &line) {
                 addOption(line, {QStringLiteral("Verpackung"), QStringLiteral("Geschenk"),
                                  QStringLiteral("3,5")});
                 auto *options = child<QTreeWidget>(line, "lvOptionen");
                 EXPECT_EQ(options->topLevelItem(0)->text(2), QStringLiteral("3,50 CHF"));
                 keepScreenshot(&line, QStringLiteral("artikel_bearbeiten"));
                 // The text box inside the editable rate drop-down is a
                 // control of its own for a screen reader: it carries the label too.
                 QAccessibleInterface *rate = QAccessible::queryAccessibleInterface(
                     child<QComboBox>(line, "cboMwst")->lineEdit());
                 ASSERT_TRUE(rate);
                 EXPECT_EQ(rate->text(QAccessible::Name), QStringLiteral("Mwst."));
                 click(line, "btnAbbrechen");
             });
             click(window, "btnArtikelBearbeiten");
             keepScreenshot(&window, QStringLiteral("bestellung_verwalten"));
             window.resize(560, 420);
             keepScreenshot(&window, QStringLiteral("bestellung_verwalten_klein"));
             trigger(window, "actVerlassen");
         });
}

TEST_F(OrderEditor, SavingKeepsWhatTheEditorDoesNotShow)
{
    const int order = addOrder(8, QStringLiteral("Beat"), QDate(2026, 2, 3));
    TBestellung stored = OrderStore(db).order(order).value();
    stored.uuid = QStringLiteral("mail-4711");
    stored.land = QStringLiteral("Schweiz");
    ASSERT_TRUE(OrderStore(db).updateOrder(stored));
    questions.threeWay = {Answer::Yes};
    stay([&] { return editor->startEditOrder(order); },
         [&](QDialog &window) {
             child<QPlainTextEdit>(window, "memBemerkung")
                 ->setPlainText(QStringLiteral("bar bezahlt\nam Tresen"));
             child<QComboBox>(window, "cboStatus")->setCurrentIndex(3);
             trigger(window, "actSpeichern");
             trigger(window, "actVerlassen");
         });
    const TBestellung after = OrderStore(db).order(order).value();
    EXPECT_EQ(after.uuid, QStringLiteral("mail-4711"));
    EXPECT_EQ(after.land, QStringLiteral("Schweiz"));
    EXPECT_EQ(after.ip, QStringLiteral("192.0.2.7"));
    EXPECT_EQ(after.zeit, QDateTime(QDate(2026, 2, 3), QTime(14, 30, 5), Qt::UTC));
    EXPECT_FALSE(after.rechnungsdatum.isValid());
    EXPECT_EQ(after.bemerkung, QStringLiteral("bar bezahlt\nam Tresen"));
    EXPECT_EQ(after.status, 4);
}

// The preview shows the order as typed, as a draft; it issues nothing.
TEST_F(OrderEditor, ThePreviewShowsTheOrderAsTypedAsADraft)
{
    ASSERT_TRUE(QFile::copy(QDir(programFolder()).filePath(QStringLiteral("rechnung.rav")),
                            clientTemplatePath(mandantId)));
    const int order = addOrder(12, QStringLiteral("Beat"), QDate(2026, 2, 3));
    addLine(order, "K-7", 9.9);
    questions.threeWay = {Answer::No};
    stay([&] { return editor->startEditOrder(order); },
         [&](QDialog &window) {
             EXPECT_TRUE(child<QLineEdit>(window, "edtRechnungsdatum")->text().isEmpty());
             setText(window, "edtFirma", QStringLiteral("Vorschau AG"));
             whenModal([&](QDialog &preview) {
                 // Shown as typed, written nowhere yet.
                 const auto &shown = dynamic_cast<TfrmRechnungVorschau &>(preview);
                 const auto &draft = dynamic_cast<const InvoiceDocument &>(shown.pages());
                 EXPECT_TRUE(draft.plainText().contains(QStringLiteral("Vorschau AG")));
                 EXPECT_TRUE(draft.plainText().contains(QStringLiteral("Entwurf")));
                 EXPECT_EQ(OrderStore(db).order(order)->firma, QString());
                 preview.reject();
             });
             trigger(window, "actVorschau");
             EXPECT_TRUE(questions.errors.isEmpty()) << questions.errors.join(u'\n').toStdString();
             EXPECT_TRUE(child<QLineEdit>(window, "edtRechnungsdatum")->text().isEmpty());
             // Printing what was typed asks to save it first; "Nein" prints nothing.
             questions.answers = {false};
             trigger(window, "actDrucken");
             EXPECT_TRUE(questions.answers.empty());
             // "Rechnungsvorlage bearbeiten" opens the client's template with this order.
             whenModal([](QDialog &templateEditor) {
                 EXPECT_EQ(templateEditor.objectName(), QStringLiteral("frmRechnungsvorlage"));
                 templateEditor.reject();
             });
             trigger(window, "actRechnungsvorlage");
             EXPECT_TRUE(questions.errors.isEmpty()) << questions.errors.join(u'\n').toStdString();
             trigger(window, "actVerlassen");
         });
    // "Nein" takes back what was typed; nothing was issued.
    EXPECT_FALSE(OrderStore(db).order(order)->rechnungsdatum.isValid());
    EXPECT_EQ(OrderStore(db).order(order)->firma, QString());
}

// The electronic invoices of the order shown: it is saved first, so what was
// typed (the buyer reference, the address) is in the file; what the invoice
// lacks is named, no file is written and the invoice date stays open.
TEST_F(OrderEditor, SavesTheElectronicInvoicesOfTheOrderAsTyped)
{
    ASSERT_TRUE(QFile::copy(QDir(programFolder()).filePath(QStringLiteral("rechnung.rav")),
                            clientTemplatePath(mandantId)));
    const int order = addOrder(12, QStringLiteral("Beat"), QDate(2026, 2, 3));
    addLine(order, "K-7", 9.9);
    const QString xml = dir.filePath(QStringLiteral("rechnung.xml"));
    const QString pdf = dir.filePath(QStringLiteral("rechnung.pdf"));
    questions.threeWay = {Answer::Yes};
    stay([&] { return editor->startEditOrder(order); },
         [&](QDialog &window) {
             questions.fileName = xml;
             trigger(window, "actXRechnung");
             ASSERT_EQ(questions.errors.size(), 1);
             for (const char *item : {"USt-IdNr. oder Steuernummer des Mandanten",
                                      "Anschrift des Käufers", "E-Mail-Adresse des Käufers"})
                 EXPECT_TRUE(questions.errors[0].contains(QString::fromUtf8(item))) << item;
             EXPECT_FALSE(QFileInfo::exists(xml));
             EXPECT_TRUE(child<QLineEdit>(window, "edtRechnungsdatum")->text().isEmpty());

             TMandant client = ClientStore(db).client(mandantId).value();
             client.email = QStringLiteral("rechnung@kaeserei.example");
             client.telefon = QStringLiteral("0341 998877");
             client.steuernummer = QStringLiteral("231/123/45678");
             client.strasse = QStringLiteral("Käsegasse 2");
             client.plz = QStringLiteral("87509");
             client.ort = QStringLiteral("Immenstadt");
             ASSERT_TRUE(ClientStore(db).updateClient(client));
             questions.errors.clear();
             setText(window, "edtStrasse", QStringLiteral("Alpweg 1"));
             setText(window, "edtPLZ", QStringLiteral("04109"));
             setText(window, "edtOrt", QStringLiteral("Leipzig"));
             setText(window, "edtEMail", QStringLiteral("beat@kunde.example"));
             setText(window, "edtKaeuferreferenz", QStringLiteral("04011000-12345-03"));
             // What goes out is issued from the stored order: saved first, when the user says so.
             questions.answers = {true};
             trigger(window, "actXRechnung");
             EXPECT_TRUE(questions.answers.empty());
             questions.fileName = pdf;
             trigger(window, "actZugferd");
             EXPECT_TRUE(questions.errors.isEmpty()) << questions.errors.join(u'\n').toStdString();
             EXPECT_EQ(child<QLineEdit>(window, "edtRechnungsdatum")->text(),
                       QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
             // Issued now: what the invoice shows is read-only, and the editor says why.
             auto *note = child<QLabel>(window, "lblAusgestellt");
             EXPECT_TRUE(note->isVisible());
             EXPECT_TRUE(note->text().contains(QStringLiteral("ausgestellt")));
             EXPECT_TRUE(child<QLineEdit>(window, "edtStrasse")->isReadOnly());
             EXPECT_FALSE(child<QPushButton>(window, "btnArtikelHinzufuegen")->isEnabled());
             EXPECT_FALSE(child<QLineEdit>(window, "edtTelefon")->isReadOnly());
             keepScreenshot(&window, QStringLiteral("bestellung_ausgestellt"));
             trigger(window, "actVerlassen");
         });
    const QByteArray written = vq::test::readFile(xml);
    EXPECT_TRUE(written.contains("<ram:BuyerReference>04011000-12345-03</ram:BuyerReference>"))
        << written.left(400).toStdString();
    EXPECT_TRUE(written.contains("Leipzig"));
    EXPECT_TRUE(vq::test::readFile(pdf).startsWith("%PDF-"));
    EXPECT_TRUE(OrderStore(db).order(order)->rechnungsdatum.isValid());
}

// A tax case without VAT shows the order's new totals at once, before the
// invoice is issued; the business buyer's data are saved with the order, and
// "Vorprüfung" names what the e-invoice would lack.
TEST_F(OrderEditor, TaxCaseShowsTheNewTotalsAndTheCheckNamesWhatIsMissing)
{
    const int order = addOrder(12, QStringLiteral("Beat"), QDate(2026, 2, 3));
    addLine(order, "K-7", 10.7); // 3 x 10,70 with 7 % VAT in it
    questions.threeWay = {Answer::Yes};
    stay([&] { return editor->startEditOrder(order); },
         [&](QDialog &window) {
             auto *totals = child<QLabel>(window, "lblSummen");
             EXPECT_TRUE(totals->text().contains(QStringLiteral("Gesamtbetrag: 32,10")))
                 << totals->text().toStdString();
             auto *taxCase = child<QComboBox>(window, "cboSteuerfall");
             EXPECT_EQ(taxCase->currentText(), QStringLiteral("Inland"));
             const int export_ = taxCase->findText(QStringLiteral("Ausfuhr (Drittland)"));
             ASSERT_GE(export_, 0);
             taxCase->setCurrentIndex(export_);
             Q_EMIT taxCase->activated(export_);
             // 10,70 less its 7 % VAT is 10,00 a piece.
             EXPECT_TRUE(totals->text().contains(QStringLiteral("Gesamtbetrag: 30,00")))
                 << totals->text().toStdString();
             EXPECT_TRUE(totals->text().contains(QStringLiteral("ohne MwSt.")));
             setText(window, "edtUStIdNr", QStringLiteral("ATU1234"));
             setText(window, "edtLieferdatum", QStringLiteral("5.2.2026"));
             child<QPushButton>(window, "btnVorpruefung")->click();
             ASSERT_FALSE(questions.told.empty());
             const QString named = questions.told.back().text;
             for (const char *item :
                  {"eine gültige USt-IdNr. des Käufers", "ein Land des Käufers außerhalb der EU",
                   "USt-IdNr. des Mandanten (für eine Ausfuhrlieferung)"})
                 EXPECT_TRUE(named.contains(QString::fromUtf8(item))) << named.toStdString();
             keepScreenshot(&window, QStringLiteral("bestellung_steuerfall"));
             setText(window, "edtLieferdatum", QStringLiteral("31.2.2026"));
             child<QPushButton>(window, "btnVorpruefung")->click();
             ASSERT_FALSE(questions.informations.isEmpty());
             EXPECT_TRUE(questions.informations.back().contains(u"kein gültiges Lieferdatum"));
             setText(window, "edtLieferdatum", QStringLiteral("05.02.2026"));
             trigger(window, "actVerlassen");
         });
    const TBestellung stored = *OrderStore(db).order(order);
    EXPECT_EQ(stored.steuerfall, QStringLiteral("Ausfuhr"));
    EXPECT_EQ(stored.ustIdNr, QStringLiteral("ATU1234"));
    EXPECT_EQ(stored.lieferdatum, QDate(2026, 2, 5));
}

TEST_F(OrderEditor, TabOrderFollowsTheLayoutAndTheWindowFitsTheScreen)
{
    const char *order[] = {"edtRechNr",
                           "edtFirma",
                           "edtVorname",
                           "edtNachname",
                           "edtStrasse",
                           "edtPLZ",
                           "edtOrt",
                           "edtTelefon",
                           "edtEMail",
                           "edtHomepage",
                           "edtBestelldatum",
                           "edtRechnungsdatum",
                           "cboStatus",
                           "edtKaeuferreferenz",
                           "edtIP",
                           "memBemerkung",
                           "btnArtikelHinzufuegen",
                           "btnArtikelBearbeiten",
                           "btnArtikelLoeschen",
                           "grdArtikel"};
    QList<QWidget *> expected;
    for (const char *name : order)
        expected << child<QWidget>(*editor, name);
    QList<QWidget *> chain;
    for (QWidget *w = expected.first(); chain.size() < expected.size(); w = w->nextInFocusChain())
        if (expected.contains(w))
            chain << w;
        else if (w == expected.first())
            break;
    EXPECT_EQ(chain, expected);
    // A screen reader names each box by its label.
    const std::pair<const char *, const char *> names[] = {
        {"edtRechNr", "Rechnungs-Nr."},
        {"edtStrasse", "Straße"},
        {"edtPLZ", "PLZ"},
        {"edtOrt", "Ort"},
        {"edtBestelldatum", "Bestelldatum"},
        {"edtRechnungsdatum", "Rechnungsdatum"},
        {"cboStatus", "Status"},
        {"edtKaeuferreferenz", "Käuferreferenz (Leitweg-ID)"},
        {"edtIP", "IP-Adresse"},
        {"memBemerkung", "Bemerkung"},
        {"grdArtikel", "Artikel der Bestellung"}};
    for (const auto &[box, name] : names) {
        QAccessibleInterface *accessible =
            QAccessible::queryAccessibleInterface(child<QWidget>(*editor, box));
        ASSERT_TRUE(accessible) << box;
        // On Linux a drop-down's name is its value; its label comes as the relation.
        QString label = accessible->text(QAccessible::Name);
        if (accessible->role() == QAccessible::ComboBox) {
            const auto labels = accessible->relations(QAccessible::Label);
            label = labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
        }
        EXPECT_EQ(label, QString::fromUtf8(name)) << box;
    }
    for (QAction *action : editor->findChildren<QAction *>(Qt::FindDirectChildrenOnly))
        EXPECT_FALSE(action->objectName().isEmpty()) << action->text().toStdString();
    // Huge texts in the boxes and the state list do not widen the window past the screen.
    ASSERT_TRUE(StateStore(db).insertState(QString(5000, QLatin1Char('S'))));
    const int huge = addOrder(1, QString(100000, QLatin1Char('V')), QDate(2026, 1, 1));
    ASSERT_TRUE(editor->startEditOrder(huge));
    editor->show();
    EXPECT_LE(editor->sizeHint().width(), 1280);
    const QSize smallest = editor->minimumSizeHint();
    EXPECT_LE(smallest.width(), 1280);
    EXPECT_LE(smallest.height(), 800);
    EXPECT_LE(editor->size().width(), 1280);
    editor->hide();
}

TEST_F(OrderEditor, ADateThatIsNoDateIsRefusedAndNothingStored)
{
    const int order = addOrder(8, QStringLiteral("Beat"), QDate(2026, 2, 3));
    questions.threeWay = {Answer::Yes, Answer::Yes};
    const int result =
        stay([&] { return editor->startEditOrder(order); },
             [&](QDialog &window) {
                 setText(window, "edtFirma", QStringLiteral("Neue Firma"));
                 setText(window, "edtBestelldatum", QStringLiteral("31.02.2026"));
                 trigger(window, "actVerlassen");
                 ASSERT_TRUE(window.isVisible()); // refused: the window stays
                 ASSERT_EQ(questions.informations.size(), 1);
                 EXPECT_TRUE(questions.informations.first().contains(QStringLiteral("31.02.2026")));
                 EXPECT_EQ(window.focusWidget(), child<QLineEdit>(window, "edtBestelldatum"));
                 EXPECT_EQ(OrderStore(db).order(order)->firma, QString());
                 setText(window, "edtBestelldatum", QStringLiteral("1.3.2026"));
                 trigger(window, "actVerlassen");
             });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(OrderStore(db).order(order)->zeit,
              QDateTime(QDate(2026, 3, 1), QTime(0, 0), Qt::UTC));
    EXPECT_EQ(OrderStore(db).order(order)->firma, QStringLiteral("Neue Firma"));
}

TEST_F(OrderEditor, ADatabaseThatRefusesTheSaveIsReportedAndLosesNothing)
{
    const int order = addOrder(5, QStringLiteral("Anna"), QDate(2026, 3, 1));
    addLine(order, "A", 4.2);
    // The database refuses every change of orders, and new lines, from now on.
    QSqlQuery q(db.connection());
    ASSERT_TRUE(q.exec(QStringLiteral("CREATE TRIGGER kein_update BEFORE UPDATE ON Bestellung "
                                      "BEGIN SELECT RAISE(ABORT, 'gesperrt'); END")));
    ASSERT_TRUE(q.exec(QStringLiteral("CREATE TRIGGER kein_artikel BEFORE INSERT ON Artikel "
                                      "BEGIN SELECT RAISE(ABORT, 'gesperrt'); END")));
    struct Case
    {
        const char *name;
        std::function<void(QDialog &)> change;
    };
    const Case cases[] = {
        {"the order refused",
         [](QDialog &window) { setText(window, "edtFirma", QStringLiteral("Neu")); }},
        {"a new line refused after the order was written",
         [](QDialog &window) {
             setText(window, "edtFirma", QStringLiteral("Neu"));
             whenModal([](QDialog &line) {
                 setText(line, "edtArtikelNr", QStringLiteral("B"));
                 click(line, "btnOK");
             });
             click(window, "btnArtikelHinzufuegen");
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (std::string(c.name).find("line") != std::string::npos) {
            ASSERT_TRUE(q.exec(QStringLiteral("DROP TRIGGER kein_update")));
        }
        questions.errors.clear();
        questions.threeWay = {Answer::Yes, Answer::No};
        const int result = stay(
            [&] { return editor->startEditOrder(order); },
            [&](QDialog &window) {
                c.change(window);
                // "Ja" cannot keep what the database refused: the
                // window stays with what was typed.
                trigger(window, "actVerlassen");
                EXPECT_TRUE(window.isVisible());
                EXPECT_EQ(child<QLineEdit>(window, "edtFirma")->text(), QStringLiteral("Neu"));
                ASSERT_EQ(questions.errors.size(), 1);
                EXPECT_TRUE(questions.errors.at(0).contains(QStringLiteral("gespeichert werden")));
                EXPECT_TRUE(questions.errors.at(0).contains(QStringLiteral("gesperrt")));
                trigger(window, "actVerlassen"); // "Nein"
            });
        EXPECT_EQ(result, QDialog::Rejected);
        // Nothing of the refused save stays: one transaction, rolled back whole.
        EXPECT_EQ(OrderStore(db).order(order)->firma, QString());
        EXPECT_EQ(OrderStore(db).linesOfOrder(order)->size(), 1);
    }
}

// Invoice numbers ----------------------------------------------------------------

TEST_F(OrderEditor, AnInvoiceNumberAnotherOrderHoldsIsRefused)
{
    const int held = addOrder(17, QStringLiteral("Heidi"), QDate(2026, 11, 30));
    // Another client's number 18 does not count.
    TMandant other = newClient();
    const int otherClient = ClientStore(db).insertClient(other).value_or(0);
    TBestellung foreign;
    foreign.mandantId = otherClient;
    foreign.rechNr = 18;
    ASSERT_TRUE(OrderStore(db).insertOrder(foreign));

    questions.threeWay = {Answer::Yes, Answer::Yes};
    int created = 0;
    const int result = stay(
        [&] { return editor->startNewOrder(); },
        [&](QDialog &window) {
            created = editor->currentOrderId();
            auto *rechNr = child<QLineEdit>(window, "edtRechNr");
            EXPECT_EQ(rechNr->text(), QStringLiteral("18"));
            rechNr->clear();
            typeText(rechNr, QStringLiteral("17"));
            trigger(window, "actSpeichern");
            ASSERT_EQ(questions.informations.size(), 1);
            const QString message = questions.informations.first();
            EXPECT_TRUE(message.contains(QStringLiteral("Rechnungs-Nr. 17")))
                << message.toStdString();
            EXPECT_TRUE(message.contains(QStringLiteral("Bestellung %1").arg(held)))
                << message.toStdString();
            EXPECT_TRUE(message.contains(QStringLiteral("Heidi Muster"))) << message.toStdString();
            EXPECT_TRUE(message.contains(QStringLiteral("30.11.2026"))) << message.toStdString();
            EXPECT_LT(created, 0); // not stored before "Ja"
            EXPECT_EQ(OrderStore(db).ordersOfClient(mandantId)->size(), 1);
            EXPECT_EQ(window.focusWidget(), rechNr);

            // Closing with "Ja" is refused the same way; the order stays in the editor.
            trigger(window, "actVerlassen");
            EXPECT_TRUE(window.isVisible());
            EXPECT_EQ(questions.informations.size(), 2);
            EXPECT_EQ(rechNr->text(), QStringLiteral("17"));

            // Letters cannot be typed into the number.
            typeText(rechNr, QStringLiteral("x"));
            EXPECT_EQ(rechNr->text(), QStringLiteral("17"));
            // A number past the largest one the database keeps is named, not cut.
            rechNr->setText(QStringLiteral("9999999999"));
            trigger(window, "actSpeichern");
            ASSERT_EQ(questions.informations.size(), 3);
            EXPECT_TRUE(questions.informations.last().contains(QStringLiteral("2147483647")));
            rechNr->setText(QStringLiteral("18"));
            trigger(window, "actVerlassen");
        });
    EXPECT_EQ(result, QDialog::Accepted);
    const auto orders = OrderStore(db).ordersOfClient(mandantId).value();
    ASSERT_EQ(orders.size(), 2);
    EXPECT_EQ(orders.at(orders.at(0).id == held ? 1 : 0).rechNr, 18);
    EXPECT_EQ(OrderStore(db).order(held)->rechNr, 17);
}

// An order's texts come from a stranger's post. For each hostile text an
// order carries it in every text field, in a line and in its state: the
// boxes hold it as it came, the line list shows it without a tool tip, and
// the refusal of an invoice number another such order holds, in a real
// message box, quotes that customer as plain text. No picture is loaded.
TEST_F(OrderEditor, ShowsStrangersTextsAsTheyCameAndQuotesThemAsPlainText)
{
    using namespace vq::test;
    WatchedPipe pipe;
    ASSERT_TRUE(pipe.made());
    UserQuestions realQuestions;
    TfrmBestellung realEditor(db, realQuestions, programFolder());
    realEditor.setClient(mandantId, QStringLiteral("CHF"));
    int number = 100;
    for (const HostileText &hostile : hostileTexts(pipe)) {
        SCOPED_TRACE(hostile.name);
        const auto state = StateStore(db).insertState(hostile.text);
        ASSERT_TRUE(state.has_value()) << db.lastError().toStdString();
        TBestellung holder;
        holder.mandantId = mandantId;
        holder.rechNr = ++number;
        holder.name = holder.nachname = hostile.text;
        const int holderId = OrderStore(db).insertOrder(holder).value_or(0);
        TBestellung order;
        order.mandantId = mandantId;
        order.rechNr = ++number;
        order.status = *state;
        for (QString *value :
             {&order.firma, &order.name, &order.nachname, &order.strasse, &order.plz, &order.ort,
              &order.telefon, &order.email, &order.homepage, &order.kaeuferreferenz,
              &order.bemerkung, &order.ip, &order.ustIdNr, &order.emailERechnung})
            *value = hostile.text;
        const int orderId = OrderStore(db).insertOrder(order).value_or(0);
        ASSERT_TRUE(holderId > 0 && orderId > 0) << db.lastError().toStdString();
        TArtikel line;
        line.bestellungId = orderId;
        line.nr = line.name = hostile.text;
        line.anzahl = 1;
        line.preis = 2;
        line.mwst = 19;
        ASSERT_TRUE(OrderStore(db).insertLine(line).has_value());

        ASSERT_TRUE(db.begin());
        ASSERT_TRUE(realEditor.startEditOrder(orderId));
        ShownMessage refusal, closing;
        whenModal([&](QDialog &window) {
            for (QLineEdit *box : window.findChildren<QLineEdit *>()) {
                if (box->window() != &window || box->objectName() == u"edtRechNr"
                    || box->objectName() == u"edtBestelldatum"
                    || box->objectName() == u"edtRechnungsdatum"
                    || box->objectName() == u"edtLieferdatum"
                    || qobject_cast<QComboBox *>(box->parentWidget()))
                    continue;
                // A line edit takes at most maxLength() characters.
                EXPECT_EQ(box->text(), hostile.text.left(box->maxLength()))
                    << box->objectName().toStdString();
            }
            EXPECT_EQ(child<QPlainTextEdit>(window, "memBemerkung")->toPlainText(), hostile.text);
            EXPECT_EQ(child<QComboBox>(window, "cboStatus")->currentText(), hostile.text);
            auto *lines = child<QTreeWidget>(window, "grdArtikel");
            EXPECT_EQ(lines->topLevelItemCount(), 1);
            if (lines->topLevelItemCount() > 0) {
                EXPECT_EQ(lines->topLevelItem(0)->text(0), hostile.text);
                EXPECT_EQ(lines->topLevelItem(0)->text(2), hostile.text);
                restOn(*lines, lines->model()->index(0, 2));
                EXPECT_EQ(shownToolTip(), nullptr);
                QToolTip::hideText();
            }

            setText(window, "edtRechNr", QString::number(*holder.rechNr));
            answerMessageBox(&refusal, QMessageBox::Ok);
            trigger(window, "actSpeichern");
            answerMessageBox(&closing, QMessageBox::No);
            trigger(window, "actVerlassen");
        });
        EXPECT_EQ(realEditor.exec(), QDialog::Rejected);
        EXPECT_TRUE(db.rollback());
        ASSERT_TRUE(refusal.shown && closing.shown);
        EXPECT_EQ(refusal.format, Qt::PlainText);
        EXPECT_EQ(refusal.text,
                  cutAt(QStringLiteral("Die Rechnungs-Nr. %1 hat bereits die Bestellung %2 (%3). "
                                       "Eine Rechnungs-Nr. darf nur einmal vergeben werden; "
                                       "bitte geben Sie eine andere ein.")
                            .arg(*holder.rechNr)
                            .arg(holderId)
                            .arg(hostile.seen + u' ' + hostile.seen),
                        vq::ui::kMaxMessageChars));
        EXPECT_TRUE(fitsTheScreen(refusal));
        EXPECT_EQ(closing.format, Qt::PlainText);
    }
    EXPECT_FALSE(pipe.opened()) << "a window read the named pipe as a picture";
}

TEST_F(OrderEditor, AnOrderKeepsTheNumberItCameWithEvenWhenAnOldDatabaseHoldsItTwice)
{
    const int first = addOrder(9, QStringLiteral("Erste"), QDate(2025, 1, 1));
    addOrder(9, QStringLiteral("Zweite"), QDate(2025, 1, 2));
    questions.threeWay = {Answer::Yes};
    const int result = stay([&] { return editor->startEditOrder(first); },
                            [&](QDialog &window) {
                                setText(window, "edtOrt", QStringLiteral("Bern"));
                                trigger(window, "actVerlassen");
                            });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_TRUE(questions.informations.isEmpty());
    EXPECT_EQ(OrderStore(db).order(first)->ort, QStringLiteral("Bern"));
}

TEST_F(OrderEditor, AStoredInvoiceNumberTheBoxCannotTakeDoesNotBlockOtherEdits)
{
    // Numbers an old database or an order mail left behind.
    for (const int stored : {0, -4}) {
        SCOPED_TRACE(stored);
        questions.informations.clear();
        const int order = addOrder(stored, QStringLiteral("Alt"), QDate(2024, 5, 6));
        questions.threeWay = {Answer::Yes};
        const int result = stay([&] { return editor->startEditOrder(order); },
                                [&](QDialog &window) {
                                    setText(window, "edtOrt", QStringLiteral("Chur"));
                                    trigger(window, "actVerlassen");
                                    if (window.isVisible()) // refused: end the stay
                                        window.done(QDialog::Rejected);
                                });
        EXPECT_EQ(result, QDialog::Accepted);
        EXPECT_TRUE(questions.informations.isEmpty());
        EXPECT_EQ(OrderStore(db).order(order)->ort, QStringLiteral("Chur"));
        EXPECT_EQ(OrderStore(db).order(order)->rechNr, stored);
    }
}

// The line editor's number boxes ----------------------------------------------

TEST(DecimalBoxes, KeysAreFilteredAsTyped)
{
    struct Case
    {
        const char *before;
        const char *typed;
        const char *after;
    };
    const Case cases[] = {
        {"12", ",", "12,"},    {"12", ".", "12."},     {"12,5", ".", "12,5"}, {"12,5", ",", "12,5"},
        {"12.5", ",", "12.5"}, {"12,5", "7", "12,57"}, {"", "a", ""},         {"1", "-", "1"},
        {"1", " ", "1"},       {"", "19", "19"},       {"1", "e5", "15"},
    };
    QLineEdit box;
    box.setValidator(new DecimalValidator(&box));
    new DecimalKeyFilter(&box);
    for (const Case &c : cases) {
        box.setText(QString::fromLatin1(c.before));
        box.end(false);
        typeText(&box, QString::fromLatin1(c.typed));
        EXPECT_EQ(box.text(), QString::fromLatin1(c.after)) << c.before << " + " << c.typed;
    }
    // The whole text counts, also what typing would replace.
    box.setText(QStringLiteral("12,5"));
    box.selectAll();
    typeText(&box, QStringLiteral("."));
    EXPECT_EQ(box.text(), QStringLiteral("12,5"));
    typeText(&box, QStringLiteral("7"));
    EXPECT_EQ(box.text(), QStringLiteral("7"));
    // Backspace is let through.
    box.setText(QStringLiteral("12,5"));
    box.end(false);
    QTest::keyClick(&box, Qt::Key_Backspace);
    EXPECT_EQ(box.text(), QStringLiteral("12,"));
    // Pasted text does not get past the validator.
    box.setText(QStringLiteral("3"));
    box.end(false);
    box.insert(QStringLiteral("x,1"));
    EXPECT_EQ(box.text(), QStringLiteral("3"));
    box.insert(QStringLiteral(",25"));
    EXPECT_EQ(box.text(), QStringLiteral("3,25"));
}

TEST_F(OrderEditor, PriceAndRateBoxesRefuseWhatIsNoNumber)
{
    const int order = addOrder(3, QStringLiteral("Anna"), QDate(2026, 3, 1));
    questions.threeWay = {Answer::Yes};
    stay([&] { return editor->startEditOrder(order); },
         [&](QDialog &window) {
             whenModal([&](QDialog &line) {
                 auto *preis = child<QLineEdit>(line, "edtPreis");
                 auto *mwst = child<QComboBox>(line, "cboMwst");
                 preis->clear();
                 typeText(preis, QStringLiteral("12,5"));
                 typeText(preis, QStringLiteral(".,x"));
                 EXPECT_EQ(preis->text(), QStringLiteral("12,5"));
                 mwst->lineEdit()->clear();
                 QTest::keyClicks(mwst, QStringLiteral("7.a,5"));
                 EXPECT_EQ(mwst->currentText(), QStringLiteral("7.5"));

                 // An emptied price and a rate over 100 are named; the dialog stays.
                 preis->clear();
                 click(line, "btnOK");
                 EXPECT_TRUE(line.isVisible());
                 mwst->setEditText(QStringLiteral("150"));
                 setText(line, "edtPreis", QStringLiteral("12,5"));
                 click(line, "btnOK");
                 EXPECT_TRUE(line.isVisible());
                 ASSERT_EQ(questions.informations.size(), 2);
                 EXPECT_TRUE(questions.informations.at(0).contains(QStringLiteral("Preis")));
                 EXPECT_TRUE(questions.informations.at(1).contains(QStringLiteral("Mwst.")));
                 mwst->setEditText(QStringLiteral("7,5"));
                 click(line, "btnOK");
             });
             click(window, "btnArtikelHinzufuegen");
             trigger(window, "actVerlassen");
         });
    const auto lines = OrderStore(db).linesOfOrder(order).value();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_DOUBLE_EQ(lines.first().preis, 12.5);
    EXPECT_DOUBLE_EQ(lines.first().mwst, 7.5);
}

TEST_F(OrderEditor, AStoredValueTheBoxesCannotTypeSurvivesEditingTheLine)
{
    const int order = addOrder(3, QStringLiteral("Anna"), QDate(2026, 3, 1));
    addLine(order, "Rabatt", -5); // came by mail
    questions.threeWay = {Answer::Yes};
    stay([&] { return editor->startEditOrder(order); },
         [&](QDialog &window) {
             whenModal([](QDialog &line) {
                 setText(line, "edtBezeichnung", QStringLiteral("Treuerabatt"));
                 click(line, "btnOK");
             });
             click(window, "btnArtikelBearbeiten");
             trigger(window, "actVerlassen");
         });
    EXPECT_TRUE(questions.informations.isEmpty());
    const auto lines = OrderStore(db).linesOfOrder(order).value();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines.first().name, QStringLiteral("Treuerabatt"));
    EXPECT_DOUBLE_EQ(lines.first().preis, -5);
}

// Options ----------------------------------------------------------------------

TEST_F(OrderEditor, AnEmptyOptionPriceIsNoPriceAndEmptyingItClearsOne)
{
    const int order = addOrder(3, QStringLiteral("Anna"), QDate(2026, 3, 1));
    const int line = addLine(order, "A", 10);
    questions.threeWay = {Answer::Yes};
    questions.answers = {true}; // "Option wirklich löschen?"
    stay(
        [&] { return editor->startEditOrder(order); },
        [&](QDialog &window) {
            whenModal([&](QDialog &lineEditor) {
                // The dialog opens with the price "0".
                whenModal([](QDialog &dialog) {
                    EXPECT_EQ(child<QLineEdit>(dialog, "edtPreis")->text(), QStringLiteral("0"));
                    dialog.reject();
                });
                click(lineEditor, "btnOptionHinzufuegen");
                addOption(lineEditor,
                          {QStringLiteral("Gravur"), QStringLiteral("Anna"), QString()});
                addOption(lineEditor,
                          {QStringLiteral("Farbe"), QStringLiteral("gold"), QStringLiteral("1,5")});
                addOption(lineEditor,
                          {QStringLiteral("Weg"), QStringLiteral("damit"), QStringLiteral("9")});
                auto *options = child<QTreeWidget>(lineEditor, "lvOptionen");
                EXPECT_EQ(options->topLevelItem(0)->text(2), QString());
                // Emptying the price of "Farbe" clears it.
                options->setCurrentItem(options->topLevelItem(1));
                whenModal([](QDialog &dialog) {
                    EXPECT_EQ(child<QLineEdit>(dialog, "edtName")->text(), QStringLiteral("Farbe"));
                    EXPECT_EQ(child<QLineEdit>(dialog, "edtPreis")->text(), QStringLiteral("1,5"));
                    setText(dialog, "edtPreis", QString());
                    setText(dialog, "edtWert", QStringLiteral("silber"));
                    click(dialog, "btnOK");
                });
                click(lineEditor, "btnOptionBearbeiten");
                options->setCurrentItem(options->topLevelItem(2));
                QTest::keyClick(options, Qt::Key_Delete); // the Delete key asks too
                click(lineEditor, "btnOK");
            });
            click(window, "btnArtikelBearbeiten");
            trigger(window, "actVerlassen");
        });
    EXPECT_TRUE(questions.asked.contains(QStringLiteral("Option wirklich löschen?")));
    const auto options = OrderStore(db).optionsOfLine(line).value();
    ASSERT_EQ(options.size(), 2);
    EXPECT_EQ(options.at(0).name, QStringLiteral("Gravur"));
    EXPECT_FALSE(options.at(0).preis);
    EXPECT_EQ(options.at(1).wert, QStringLiteral("silber"));
    EXPECT_FALSE(options.at(1).preis);
}

TEST_F(OrderEditor, EnterOnAnOptionEditsItAndLeavesTheLineEditorOpen)
{
    const int order = addOrder(3, QStringLiteral("Anna"), QDate(2026, 3, 1));
    const int line = addLine(order, "A", 10);
    ASSERT_TRUE(OrderStore(db).insertOption(
        TOption{0, line, QStringLiteral("Farbe"), QStringLiteral("rot"), 1.0}));
    questions.threeWay = {Answer::Yes};
    bool stayedOpen = false;
    stay([&] { return editor->startEditOrder(order); },
         [&](QDialog &window) {
             whenModal([&](QDialog &lineEditor) {
                 setText(lineEditor, "edtBezeichnung", QStringLiteral("halb getippt"));
                 auto *options = child<QTreeWidget>(lineEditor, "lvOptionen");
                 options->setCurrentItem(options->topLevelItem(0));
                 options->setFocus();
                 // Enter opens the option; "Abbrechen" there goes back to the line.
                 whenModal([](QDialog &dialog) {
                     EXPECT_EQ(child<QLineEdit>(dialog, "edtName")->text(),
                               QStringLiteral("Farbe"));
                     click(dialog, "btnAbbrechen");
                 });
                 QTest::keyClick(options, Qt::Key_Return);
                 stayedOpen = lineEditor.isVisible();
                 if (stayedOpen)
                     click(lineEditor, "btnAbbrechen");
             });
             click(window, "btnArtikelBearbeiten");
             trigger(window, "actVerlassen");
         });
    EXPECT_TRUE(stayedOpen);
    // Nothing of the half-typed line was stored behind the user's back.
    EXPECT_EQ(OrderStore(db).linesOfOrder(order).value().first().name, QStringLiteral("Bergkäse"));
}

TEST_F(OrderEditor, TheNumberPadsDeleteKeyDeletesLinesAndOptionsToo)
{
    const int order = addOrder(3, QStringLiteral("Anna"), QDate(2026, 3, 1));
    const int kept = addLine(order, "A", 10);
    addLine(order, "B", 20);
    ASSERT_TRUE(OrderStore(db).insertOption(
        TOption{0, kept, QStringLiteral("Farbe"), QStringLiteral("rot"), 1.0}));
    questions.threeWay = {Answer::Yes};
    questions.answers = {true, true}; // "Option wirklich löschen?", "Artikel wirklich löschen?"
    stay([&] { return editor->startEditOrder(order); },
         [&](QDialog &window) {
             auto *list = child<QTreeWidget>(window, "grdArtikel");
             whenModal([](QDialog &line) {
                 auto *options = child<QTreeWidget>(line, "lvOptionen");
                 options->setCurrentItem(options->topLevelItem(0));
                 options->setFocus();
                 QTest::keyClick(options, Qt::Key_Delete, Qt::KeypadModifier);
                 EXPECT_EQ(options->topLevelItemCount(), 0);
                 click(line, "btnOK");
             });
             list->setCurrentItem(list->topLevelItem(0));
             click(window, "btnArtikelBearbeiten");
             list->setCurrentItem(list->topLevelItem(1));
             list->setFocus();
             QTest::keyClick(list, Qt::Key_Delete, Qt::KeypadModifier);
             EXPECT_EQ(list->topLevelItemCount(), 1);
             trigger(window, "actVerlassen");
         });
    EXPECT_EQ(questions.asked.count(QStringLiteral("Option wirklich löschen?")), 1);
    EXPECT_EQ(questions.asked.count(QStringLiteral("Artikel wirklich löschen?")), 1);
    const auto lines = OrderStore(db).linesOfOrder(order).value();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines.first().id, kept);
    EXPECT_EQ(count("Optionen"), 0);
}

TEST_F(OrderEditor, TheOptionDialogReportsOnlyTheFirstFailingCheck)
{
    struct Case
    {
        const char *name, *wert, *preis;
        const char *message; // nullptr: accepted
        const char *focus;
    };
    const Case cases[] = {
        {"", "", "abc", "Bitte geben Sie einen Namen ein.", "edtName"},
        {"  ", "rot", "1", "Bitte geben Sie einen Namen ein.", "edtName"},
        {"Farbe", "", "abc", "Bitte geben Sie einen Wert ein.", "edtWert"},
        {"Farbe", "rot", "abc", "Bitte geben Sie gültigen Preis ein oder lassen Sie das Feld leer.",
         "edtPreis"},
        {"Farbe", "rot", "1.234,5",
         "Bitte geben Sie gültigen Preis ein oder lassen Sie das Feld leer.", "edtPreis"},
        {"Farbe", "rot", "", nullptr, nullptr},
        {"Farbe", "rot", "-2,5", nullptr, nullptr},
        {"Farbe", "rot", "2.5", nullptr, nullptr},
    };
    TfrmOption dialog(questions);
    dialog.show();
    keepScreenshot(&dialog, QStringLiteral("artikeloption_bearbeiten"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name + std::string("/") + c.wert + "/" + c.preis);
        questions.informations.clear();
        dialog.setOption(
            TOption{0, 0, QString::fromUtf8(c.name), QString::fromUtf8(c.wert), std::nullopt});
        setText(dialog, "edtPreis", QString::fromUtf8(c.preis));
        dialog.setResult(QDialog::Rejected);
        dialog.show();
        click(dialog, "btnOK");
        if (c.message) {
            EXPECT_EQ(questions.informations, QStringList{QString::fromUtf8(c.message)});
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(dialog.focusWidget(), child<QLineEdit>(dialog, c.focus));
        } else {
            EXPECT_TRUE(questions.informations.isEmpty());
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
        }
    }
}

// Article templates -------------------------------------------------------------

class ArticleTemplates : public OrderEditor
{
protected:
    QString libraryPath() const
    {
        return QDir(vq::appDataFolder()).filePath(QStringLiteral("vorlagen_artikel.xml"));
    }
    void writeLibrary(const QByteArray &bytes)
    {
        QFile file(libraryPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
};

TEST_F(ArticleTemplates, ThePickerFillsTheLineEditor)
{
    // As the designer writes it: regional numbers, other children, element names not examined.
    writeLibrary(QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<vorlagen>\n"
        "  <feld><name>Standardartikel</name><artikelNummer>0</artikelNummer><mwst>19</mwst>"
        "<preis>10</preis><Options/></feld>\n"
        "  <artikel><beschreibung>lang</beschreibung><name>Käse &amp; Brot</name>"
        "<artikelNummer>KB-2</artikelNummer><mwst>7</mwst><preis>12,5</preis></artikel>\n"
        "</vorlagen>\n"));
    const int order = addOrder(3, QStringLiteral("Anna"), QDate(2026, 3, 1));
    questions.threeWay = {Answer::Yes};
    stay([&] { return editor->startEditOrder(order); },
         [&](QDialog &window) {
             whenModal([&](QDialog &line) {
                 whenModal([](QDialog &picker) {
                     EXPECT_EQ(picker.windowTitle(), QStringLiteral("Artikelvorlagen"));
                     auto *list = child<QTableWidget>(picker, "lvVorlagen");
                     EXPECT_EQ(list->rowCount(), 2);
                     EXPECT_EQ(list->item(1, 1)->text(), QStringLiteral("Käse & Brot"));
                     EXPECT_EQ(list->item(1, 2)->text(), QStringLiteral("12,5"));
                     list->selectRow(1);
                     keepScreenshot(&picker, QStringLiteral("artikelvorlagen"));
                     click(picker, "btnUebernehmen");
                 });
                 click(line, "btnVorlage");
                 EXPECT_EQ(child<QLineEdit>(line, "edtArtikelNr")->text(), QStringLiteral("KB-2"));
                 EXPECT_EQ(child<QLineEdit>(line, "edtBezeichnung")->text(),
                           QStringLiteral("Käse & Brot"));
                 EXPECT_EQ(child<QLineEdit>(line, "edtPreis")->text(), QStringLiteral("12,5"));
                 EXPECT_EQ(child<QComboBox>(line, "cboMwst")->currentText(), QStringLiteral("7"));
                 // "Abbrechen" in the picker changes nothing.
                 setText(line, "edtArtikelNr", QStringLiteral("eigen"));
                 whenModal([](QDialog &picker) { click(picker, "btnAbbrechen"); });
                 click(line, "btnVorlage");
                 EXPECT_EQ(child<QLineEdit>(line, "edtArtikelNr")->text(), QStringLiteral("eigen"));
                 setText(line, "edtArtikelNr", QStringLiteral("KB-2"));
                 click(line, "btnOK");
             });
             click(window, "btnArtikelHinzufuegen");
             trigger(window, "actVerlassen");
         });
    EXPECT_TRUE(questions.errors.isEmpty()) << questions.errors.join(u'\n').toStdString();
    const auto lines = OrderStore(db).linesOfOrder(order).value();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines.first().nr, QStringLiteral("KB-2"));
    EXPECT_DOUBLE_EQ(lines.first().preis, 12.5);
    EXPECT_DOUBLE_EQ(lines.first().mwst, 7);
}

TEST_F(ArticleTemplates, ADamagedOrHugeLibraryIsNamedAndShowsNothing)
{
    struct Case
    {
        const char *name;
        QByteArray bytes;
        int rows;
        bool message;
    };
    QByteArray deep = QByteArrayLiteral("<v><feld><name>tief</name><preis>1</preis>");
    for (int i = 0; i < 200000; ++i)
        deep += "<a>";
    QByteArray many = QByteArrayLiteral("<v>");
    for (int i = 0; i < 10050; ++i)
        many += "<f><name>n</name></f>";
    many += "</v>";
    const Case cases[] = {
        {"not XML", QByteArrayLiteral("kein XML"), 0, true},
        {"cut off", QByteArrayLiteral("<v><feld><name>Halb</name><preis>1"), 0, true},
        {"no templates", QByteArrayLiteral("<v/>"), 0, false},
        {"entity bomb", vq::test::entityBombTemplates(), 0, true},
        {"nested without end", deep, 0, true},
        {"more rows than shown", many, 10000, true},
    };
    TfrmArtikelVorlagen picker(questions);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        writeLibrary(c.bytes);
        questions.errors.clear();
        picker.reload();
        EXPECT_EQ(child<QTableWidget>(picker, "lvVorlagen")->rowCount(), c.rows);
        EXPECT_EQ(questions.errors.size(), c.message ? 1 : 0);
        if (c.message && !questions.errors.isEmpty()) {
            EXPECT_TRUE(questions.errors.first().contains(QStringLiteral("vorlagen_artikel.xml")))
                << questions.errors.first().toStdString();
        }
    }
    // Too large to be a template library: not read at all.
    {
        QFile file(libraryPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_TRUE(file.resize(kMaxArticleTemplateFileSize + 1));
    }
    questions.errors.clear();
    picker.reload();
    EXPECT_EQ(child<QTableWidget>(picker, "lvVorlagen")->rowCount(), 0);
    ASSERT_EQ(questions.errors.size(), 1);
    EXPECT_TRUE(questions.errors.first().contains(QStringLiteral("größer")))
        << questions.errors.first().toStdString();
    // A library that is gone offers nothing.
    writeLibrary(QByteArrayLiteral("<v><f><name>x</name></f></v>"));
    picker.reload();
    ASSERT_TRUE(QFile::remove(libraryPath()));
    questions.errors.clear();
    picker.reload();
    EXPECT_EQ(child<QTableWidget>(picker, "lvVorlagen")->rowCount(), 0);
    EXPECT_TRUE(questions.errors.isEmpty());
}

} // namespace
