// The invoice windows offscreen: the preview at 100 % with saving as PDF, the
// print set-up, printing copies, the template editor with its live preview and
// its question on closing, resetting a template, and saving the electronic
// invoices (XRechnung, ZUGFeRD PDF). Set VQ_SCREENSHOT_DIR to
// keep a picture of each window.
#include "common/GlobalFunctions.h"
#include "common_ui/plain_text.h"
#include "invoice/db/clients.h"
#include "invoice/db/order_store.h"
#include "invoice/output/invoice_issuer.h"
#include "invoice/ui/invoice_help.h"
#include "invoice/ui/invoice_output_ui.h"
#include "invoice/ui/uAbout.h"
#include "invoice/ui/uArtikel.h"
#include "invoice/ui/uArtikelVorlagen.h"
#include "invoice/ui/uBestellung.h"
#include "invoice/ui/uMailImport.h"
#include "invoice/ui/uMainWindow.h"
#include "invoice/ui/uMandantBearbeiten.h"
#include "invoice/ui/uMandanten.h"
#include "invoice/ui/uRechnungsvorlage.h"
#include "invoice/ui/uStatus.h"
#include "tests/invoice/invoice_servers.h"
#include "tests/support/help_checks.h"
#include "tests/support/local_server.h"
#include "tests/support/plain_text_support.h"
#include "tests/support/scripted_questions.h"
#include "tests/support/widget_test_support.h"
#include "tests/test_support.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using namespace vq::invoice;

namespace {

QString programFolder()
{
    return QStringLiteral(VQ_PROGRAM_DIR "/rechtool");
}

int pdfPages(const QString &pdf)
{
    QByteArray out;
    vq::test::runProgram(QStringLiteral("pdfinfo"), {pdf}, &out);
    return QRegularExpression(QStringLiteral("Pages: +(\\d+)"))
        .match(QString::fromUtf8(out))
        .captured(1)
        .toInt();
}

class InvoiceWindows : public testing::Test
{
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(vq::test::openTestDatabase(db, SqlDialect::SQLite, dir.path(), &error))
            << error.toStdString();
        TMandant client = newClient();
        client.firma = QStringLiteral("Fensterladen KG");
        client.strasse = QStringLiteral("Am Markt 3");
        client.plz = QStringLiteral("04109");
        client.ort = QStringLiteral("Leipzig");
        client.waehrung = QStringLiteral("€");
        client.rechnungsfuss =
            QStringLiteral("{\\rtf1\\pard\\qc{\\b Fensterladen KG} \\'b7 IBAN DE00 1234\\par}");
        mandantId = ClientStore(db).insertClient(client).value_or(0);
        QFile::remove(clientTemplatePath(mandantId));
        ASSERT_TRUE(QFile::copy(QDir(programFolder()).filePath(QStringLiteral("rechnung.rav")),
                                clientTemplatePath(mandantId)));
        TBestellung order;
        order.mandantId = mandantId;
        order.rechNr = 17;
        order.zeit = QDateTime(QDate(2026, 12, 1), QTime(9, 0), Qt::UTC);
        order.name = QStringLiteral("Max");
        order.nachname = QStringLiteral("Kunde");
        bestellungId = OrderStore(db).insertOrder(order).value_or(0);
        TArtikel line;
        line.bestellungId = bestellungId;
        line.nr = QStringLiteral("X1");
        line.name = QStringLiteral("Fensterkitt");
        line.anzahl = 2;
        line.preis = 5;
        line.mwst = 19;
        ASSERT_TRUE(OrderStore(db).insertLine(line));
    }

    QTemporaryDir dir;
    InvoiceConnection db;
    vq::test::ScriptedQuestions questions;
    int mandantId = 0;
    int bestellungId = 0;
};

TEST_F(InvoiceWindows, PreviewAtFullSizeSavesThePdf)
{
    // Not issued yet: the preview is a draft and issues nothing.
    const auto document = invoicePages(nullptr, db, bestellungId, questions);
    ASSERT_TRUE(document) << questions.errors.join(u'\n').toStdString();
    EXPECT_TRUE(questions.informations.isEmpty());
    EXPECT_TRUE(dynamic_cast<const InvoiceDocument &>(*document).plainText().contains(
        QStringLiteral("Entwurf")));
    QPrinter printer;
    TfrmRechnungVorschau preview(document, &printer, questions, 100);
    preview.resize(1100, 780);
    preview.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
    EXPECT_EQ(preview.windowTitle(), QStringLiteral("Rechnung Vorschau"));
    EXPECT_DOUBLE_EQ(preview.zoomPercent(), 100);
    vq::test::keepScreenshot(&preview, QStringLiteral("rechnung_vorschau"));

    auto *save = preview.findChild<QAction *>(QStringLiteral("actPdfSpeichern"));
    ASSERT_TRUE(save);
    questions.fileName = dir.filePath(QStringLiteral("aus_vorschau.pdf"));
    save->trigger();
    // Once issued, the preview shows the archived invoice. The client has
    // neither VAT ID nor tax number: issuing says so, once.
    const auto issuedPages = issuedInvoicePages(nullptr, db, bestellungId, questions);
    ASSERT_TRUE(issuedPages) << questions.errors.join(u'\n').toStdString();
    ASSERT_EQ(questions.informations.size(), 1);
    EXPECT_TRUE(questions.informations[0].contains(
        QStringLiteral("USt-IdNr. oder Steuernummer des Verkäufers")))
        << questions.informations[0].toStdString();
    ASSERT_TRUE(invoicePages(nullptr, db, bestellungId, questions));
    EXPECT_EQ(questions.informations.size(), 1);
    EXPECT_GE(issuedPages->pageCount(), 1);
    EXPECT_TRUE(questions.errors.isEmpty()) << questions.errors.join(u'\n').toStdString();
    QByteArray info;
    vq::test::runProgram(QStringLiteral("pdfinfo"), {questions.fileName}, &info);
    EXPECT_TRUE(info.contains("Rechnung")) << info.toStdString();
    EXPECT_TRUE(info.contains("VQ-BestellFormular"));

    // Cancelling the file dialog writes nothing; an unwritable place says so.
    questions.fileName.clear();
    EXPECT_FALSE(preview.savePdf());
    questions.fileName = dir.filePath(QStringLiteral("fehlt/x.pdf"));
    EXPECT_FALSE(preview.savePdf());
    ASSERT_EQ(questions.errors.size(), 1);
    EXPECT_TRUE(questions.errors.first().contains(QStringLiteral("kann nicht geschrieben werden")));
}

TEST_F(InvoiceWindows, BrokenTemplateShowsItsMessageInsteadOfABlankPage)
{
    vq::test::writeFile(clientTemplatePath(mandantId), "<p>{{#RvDataSetArtikel}}</p>");
    EXPECT_FALSE(invoicePages(nullptr, db, bestellungId, questions));
    ASSERT_EQ(questions.errors.size(), 1);
    EXPECT_TRUE(
        questions.errors.first().contains(QDir::toNativeSeparators(clientTemplatePath(mandantId))));
    EXPECT_TRUE(questions.errors.first().contains(QStringLiteral("RvDataSetArtikel")));
}

TEST_F(InvoiceWindows, PrintSetUpOffersDestinationCopiesCollationAndDuplex)
{
    QPrinter printer;
    TfrmDruckEinstellungen setup(&printer);
    setup.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&setup));
    EXPECT_EQ(setup.windowTitle(), QStringLiteral("Einstellungen Drucken"));
    auto *toPrinter = setup.findChild<QRadioButton *>(QStringLiteral("rbDrucker"));
    auto *toPreview = setup.findChild<QRadioButton *>(QStringLiteral("rbVorschau"));
    auto *copies = setup.findChild<QSpinBox *>(QStringLiteral("edtKopien"));
    auto *collate = setup.findChild<QCheckBox *>(QStringLiteral("chkSortieren"));
    auto *duplex = setup.findChild<QComboBox *>(QStringLiteral("cboDuplex"));
    ASSERT_TRUE(toPrinter && toPreview && copies && collate && duplex);
    // The printer is the default destination when there is one.
    EXPECT_EQ(toPrinter->isChecked(), toPrinter->isEnabled());
    vq::test::keepScreenshot(&setup, QStringLiteral("einstellungen_drucken"));

    toPreview->setChecked(true);
    copies->setValue(3);
    collate->setChecked(false);
    duplex->setCurrentIndex(duplex->findData(int(QPrinter::DuplexLongSide)));
    setup.applyTo(&printer);
    EXPECT_EQ(setup.destination(), TfrmDruckEinstellungen::Destination::Preview);
    EXPECT_EQ(printer.copyCount(), 3);
    EXPECT_FALSE(printer.collateCopies());
    // A PDF stand-in for a missing printer knows no duplex.
    if (printer.outputFormat() == QPrinter::NativeFormat) {
        EXPECT_EQ(printer.duplex(), QPrinter::DuplexLongSide);
    }
}

TEST_F(InvoiceWindows, PrintingPaintsTheCopiesThePrinterDoesNotMake)
{
    const auto document = invoicePages(nullptr, db, bestellungId, questions);
    ASSERT_TRUE(document);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("gedruckt.pdf")));
    printer.setFullPage(true);
    printer.setCopyCount(2);
    ASSERT_TRUE(printInvoicePages(*document, &printer));
    EXPECT_EQ(pdfPages(printer.outputFileName()), printer.supportsMultipleCopies() ? 1 : 2);
}

TEST_F(InvoiceWindows, TemplateEditorPreviewsSavesAndAsksOnClosing)
{
    const QString path = clientTemplatePath(mandantId);
    const QByteArray original = vq::test::readFile(path);
    auto editor = std::make_unique<TfrmRechnungsvorlage>(
        path, QString(), *InvoiceIssuer(db).read(bestellungId, nullptr), questions);
    editor->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(editor.get()));
    auto *source = editor->findChild<QPlainTextEdit *>(QStringLiteral("edtVorlage"));
    auto *error = editor->findChild<QLabel *>(QStringLiteral("lblFehler"));
    ASSERT_TRUE(source && error && editor->findChild<QLabel *>(QStringLiteral("lblVorschau")));
    EXPECT_EQ(source->toPlainText().toUtf8(), original);
    EXPECT_TRUE(editor->previewError().isEmpty());
    EXPECT_EQ(editor->previewPages(), 1);
    vq::test::keepScreenshot(editor.get(), QStringLiteral("rechnungsvorlage_bearbeiten"));

    // Closing without changes asks nothing.
    editor->reject();
    EXPECT_TRUE(questions.asked.isEmpty());
    EXPECT_FALSE(editor->isVisible());

    // A broken template shows its message while typing; "Nein" keeps the file.
    editor->show();
    source->moveCursor(QTextCursor::End);
    QTest::keyClicks(source, QStringLiteral("{{#offen}}"));
    QTRY_VERIFY(!error->isHidden());
    EXPECT_TRUE(
        error->text().contains(QStringLiteral("Der Abschnitt \"offen\" wird nicht geschlossen")))
        << error->text().toStdString();
    questions.answers = {false};
    editor->reject();
    EXPECT_EQ(questions.asked, QStringList{QStringLiteral("Wollen Sie die Änderungen speichern?")});
    EXPECT_EQ(vq::test::readFile(path), original);

    // "Ja" writes the file; "Speichern" writes it at once and keeps the window.
    editor->show();
    source->selectAll();
    source->insertPlainText(QStringLiteral(
        "<p>Neu: {{#RvDataSetBestellung}}{{Bestellung_RechNr}}{{/RvDataSetBestellung}}</p>"));
    editor->updatePreview();
    EXPECT_TRUE(editor->previewError().isEmpty());
    // A template without what § 14 UStG requires is saved only after a second "Ja".
    questions.answers = {true, true};
    editor->reject();
    ASSERT_EQ(questions.asked.size(), 3);
    EXPECT_TRUE(questions.asked[2].startsWith(
        QStringLiteral("Der Rechnungsvorlage fehlen Angaben, die § 14 Abs. 4 UStG")))
        << questions.asked[2].toStdString();
    EXPECT_TRUE(questions.asked[2].contains(QStringLiteral("- Rechnungsdatum")));
    EXPECT_FALSE(questions.asked[2].contains(QStringLiteral("- Rechnungsnummer")));
    EXPECT_EQ(vq::test::readFile(path),
              "<p>Neu: {{#RvDataSetBestellung}}{{Bestellung_RechNr}}{{/RvDataSetBestellung}}</p>");
    EXPECT_FALSE(editor->isVisible());

    editor->show();
    source->selectAll();
    source->insertPlainText(QStringLiteral("<p>Zweite Fassung</p>"));
    questions.answers = {false};
    editor->findChild<QPushButton *>(QStringLiteral("btnSpeichern"))->click();
    EXPECT_EQ(vq::test::readFile(path),
              "<p>Neu: {{#RvDataSetBestellung}}{{Bestellung_RechNr}}{{/RvDataSetBestellung}}</p>");
    EXPECT_TRUE(editor->isModified());
    questions.answers = {true};
    editor->findChild<QPushButton *>(QStringLiteral("btnSpeichern"))->click();
    EXPECT_EQ(vq::test::readFile(path), "<p>Zweite Fassung</p>");
    EXPECT_TRUE(editor->isVisible());
    EXPECT_FALSE(editor->isModified());
    const qsizetype asked = questions.asked.size();
    editor->findChild<QPushButton *>(QStringLiteral("btnSchliessen"))->click();
    EXPECT_EQ(questions.asked.size(), asked);
    EXPECT_FALSE(editor->isVisible());
}

// Every window of the invoice module is named in the help table; its
// section exists in the built help, and F1 in it opens that section (also in
// the e-invoice and number range groups of the client editor). The main
// window's "Hilfe" and the selection's "Hilfe" open their windows' sections.
TEST_F(InvoiceWindows, EveryWindowOpensItsSectionByF1)
{
    TfrmMainWindow main(db, questions, programFolder());
    CurrentClient current(db, programFolder());
    TfrmMandantWahl selection(db, current, questions, programFolder());
    TfrmMandanten manager(db, questions);
    TfrmMandantBearbeiten clientEditor(newClient(), questions, {});
    TfrmBestellung order(db, questions, programFolder());
    TfrmArtikel line(questions);
    TfrmOption option(questions);
    TfrmArtikelVorlagen templates(questions);
    TfrmStatus states(db, questions);
    TfrmMailImport import(db, mandantId, questions);
    TfrmRechnungsvorlage templateEditor(clientTemplatePath(mandantId), QString(),
                                        *InvoiceIssuer(db).read(bestellungId, nullptr), questions);
    const auto pages = invoicePages(nullptr, db, bestellungId, questions);
    ASSERT_TRUE(pages);
    QPrinter printer;
    TfrmRechnungVorschau preview(pages, &printer, questions, 100);
    TfrmDruckEinstellungen printSetUp(&printer);
    TfrmAbout about;
    const QList<QWidget *> windows{&main,           &selection, &manager,    &clientEditor, &order,
                                   &line,           &option,    &templates,  &states,       &import,
                                   &templateEditor, &preview,   &printSetUp, &about};
    for (QWidget *window : windows)
        window->show();
    const vq::ui::HelpBook book = invoiceHelp(programFolder());
    vq::test::checkHelpOfWindows(book, windows, questions);

    questions.helpPages.clear();
    vq::test::child<QAction>(main, "actHilfe")->trigger();
    QTest::mouseClick(vq::test::child<QPushButton>(selection, "btnHilfe"), Qt::LeftButton);
    ASSERT_EQ(questions.helpPages.size(), 2u);
    EXPECT_EQ(questions.helpPages[0], book.address(book.topicFor(&main)));
    EXPECT_EQ(questions.helpPages[0].fragment(), QStringLiteral("hauptfenster"));
    EXPECT_EQ(questions.helpPages[1].fragment(), QStringLiteral("mandant-waehlen"));
    for (QWidget *window : windows)
        window->hide();
}

TEST_F(InvoiceWindows, ResetAsksAndRestoresTheDefault)
{
    const QString path = clientTemplatePath(mandantId);
    vq::test::writeFile(path, "<p>bearbeitet</p>");
    questions.answers = {false};
    EXPECT_FALSE(resetInvoiceTemplate(nullptr, mandantId, programFolder(), questions));
    EXPECT_EQ(questions.asked, QStringList{QStringLiteral(
                                   "Wollen Sie die Originalrechnungsvorlage wieder herstellen?")});
    EXPECT_EQ(vq::test::readFile(path), "<p>bearbeitet</p>");
    questions.answers = {true};
    EXPECT_TRUE(resetInvoiceTemplate(nullptr, mandantId, programFolder(), questions));
    EXPECT_EQ(vq::test::readFile(path),
              vq::test::readFile(QDir(programFolder()).filePath(QStringLiteral("rechnung.rav"))));
}

} // namespace

TEST_F(InvoiceWindows, ElectronicInvoicesNameWhatIsMissingThenSave)
{
    // The window's client and order lack what an electronic invoice needs:
    // one message names each item, no file is asked for or written.
    questions.fileName = dir.filePath(QStringLiteral("e-rechnung"));
    EXPECT_FALSE(saveXRechnung(nullptr, db, bestellungId, questions));
    EXPECT_FALSE(saveZugferd(nullptr, db, bestellungId, questions));
    ASSERT_EQ(questions.errors.size(), 2);
    for (const QString &error : questions.errors) {
        for (const char *item : {"E-Mail-Adresse des Mandanten", "Telefonnummer des Mandanten",
                                 "USt-IdNr. oder Steuernummer des Mandanten",
                                 "Anschrift des Käufers", "E-Mail-Adresse des Käufers"})
            EXPECT_TRUE(error.contains(QString::fromUtf8(item))) << item << "\n"
                                                                 << error.toStdString();
    }
    EXPECT_TRUE(questions.suggestions.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(questions.fileName));
    // Nothing was put out, so the invoice date is still open.
    EXPECT_FALSE(OrderStore(db).order(bestellungId)->rechnungsdatum.isValid());

    TMandant client = *ClientStore(db).client(mandantId);
    client.email = QStringLiteral("rechnung@fensterladen.example");
    client.telefon = QStringLiteral("0341 998877");
    client.steuernummer = QStringLiteral("231/123/45678");
    ASSERT_TRUE(ClientStore(db).updateClient(client));
    TBestellung order = *OrderStore(db).order(bestellungId);
    order.plz = QStringLiteral("04109");
    order.ort = QStringLiteral("Leipzig");
    order.email = QStringLiteral("max@kunde.example");
    ASSERT_TRUE(OrderStore(db).updateOrder(order));
    questions.errors.clear();

    questions.fileName = dir.filePath(QStringLiteral("rechnung.xml"));
    EXPECT_TRUE(saveXRechnung(nullptr, db, bestellungId, questions))
        << questions.errors.join(u'\n').toStdString();
    EXPECT_TRUE(
        vq::test::readFile(questions.fileName).contains("urn:xeinkauf.de:kosit:xrechnung_3.0"));
    questions.fileName = dir.filePath(QStringLiteral("rechnung.pdf"));
    EXPECT_TRUE(saveZugferd(nullptr, db, bestellungId, questions))
        << questions.errors.join(u'\n').toStdString();
    EXPECT_TRUE(vq::test::readFile(questions.fileName).startsWith("%PDF-1.7"));
    QByteArray xml;
    EXPECT_EQ(vq::test::runProgram(
                  QStringLiteral("qpdf"),
                  {QStringLiteral("--show-attachment=factur-x.xml"), questions.fileName}, &xml),
              0);
    EXPECT_TRUE(xml.contains("<ram:ID>urn:cen.eu:en16931:2017</ram:ID>")) << xml.toStdString();
    EXPECT_EQ(questions.suggestions,
              QStringList({QStringLiteral("Rechnung-17.xml"), QStringLiteral("Rechnung-17.pdf")}));

    EXPECT_EQ(OrderStore(db).order(bestellungId)->rechnungsdatum, QDate::currentDate());

    // Cancelling writes nothing and says nothing; an unwritable place says so.
    questions.fileName.clear();
    EXPECT_FALSE(saveXRechnung(nullptr, db, bestellungId, questions));
    EXPECT_FALSE(saveZugferd(nullptr, db, bestellungId, questions));
    EXPECT_TRUE(questions.errors.isEmpty()) << questions.errors.join(u'\n').toStdString();
    questions.fileName = dir.filePath(QStringLiteral("fehlt/rechnung.pdf"));
    EXPECT_FALSE(saveZugferd(nullptr, db, bestellungId, questions));
    EXPECT_FALSE(saveXRechnung(nullptr, db, bestellungId, questions));
    ASSERT_EQ(questions.errors.size(), 2);
    for (const QString &error : questions.errors)
        EXPECT_TRUE(error.contains(u"kann nicht geschrieben werden")) << error.toStdString();
}

// The real questions and messages of every invoice window: each shows its
// text (a customer's name, a server's reply) as plain text, bounded, with its
// icon and default button, and answers as the button pressed.
TEST(UserQuestions, ShowTheirTextAsPlainTextAndAnswerAsPressed)
{
    using namespace vq::test;
    using Box = QMessageBox;
    WatchedPipe pipe;
    ASSERT_TRUE(pipe.made());
    UserQuestions questions;
    const QString title = QStringLiteral("Bestellung verwalten");
    const auto yesNo = [](bool yes) { return QString::fromLatin1(yes ? "Ja" : "Nein"); };
    const auto threeWay = [](UserQuestions::Answer answer) {
        return QString::fromLatin1(answer == UserQuestions::Answer::Yes  ? "Ja"
                                   : answer == UserQuestions::Answer::No ? "Nein"
                                                                         : "Abbrechen");
    };
    for (const HostileText &hostile : hostileTexts(pipe)) {
        SCOPED_TRACE(hostile.name);
        const QString &text = hostile.text;
        struct Call
        {
            const char *what;
            Box::StandardButton press;
            std::function<QString()> ask;
            QString answer;
            Box::Icon icon;
            Box::StandardButton defaultButton;
        };
        const Call calls[] = {
            {"askYesNo", Box::Yes, [&] { return yesNo(questions.askYesNo(nullptr, title, text)); },
             QStringLiteral("Ja"), Box::Question, Box::Yes},
            {"askYesNo", Box::No, [&] { return yesNo(questions.askYesNo(nullptr, title, text)); },
             QStringLiteral("Nein"), Box::Question, Box::Yes},
            {"askWarningYesNo", Box::Yes,
             [&] { return yesNo(questions.askWarningYesNo(nullptr, title, text)); },
             QStringLiteral("Ja"), Box::Warning, Box::No},
            {"askYesNoCancel", Box::No,
             [&] { return threeWay(questions.askYesNoCancel(nullptr, title, text)); },
             QStringLiteral("Nein"), Box::Question, Box::Yes},
            {"askYesNoCancel", Box::Cancel,
             [&] { return threeWay(questions.askYesNoCancel(nullptr, title, text)); },
             QStringLiteral("Abbrechen"), Box::Question, Box::Yes},
            {"showInformation", Box::Ok,
             [&] {
                 questions.showInformation(nullptr, title, text);
                 return QString();
             },
             QString(), Box::Information, Box::Ok},
            {"showError", Box::Ok,
             [&] {
                 questions.showError(nullptr, title, text);
                 return QString();
             },
             QString(), Box::Critical, Box::Ok},
        };
        for (const Call &call : calls) {
            SCOPED_TRACE(call.what);
            ShownMessage shown;
            answerMessageBox(&shown, call.press);
            EXPECT_EQ(call.ask(), call.answer);
            ASSERT_TRUE(shown.shown);
            EXPECT_EQ(shown.title, title);
            EXPECT_EQ(shown.format, Qt::PlainText);
            EXPECT_EQ(shown.text, cutAt(hostile.seen, vq::ui::kMaxMessageChars));
            EXPECT_EQ(shown.icon, call.icon);
            EXPECT_EQ(shown.defaultButton, call.defaultButton);
            EXPECT_TRUE(fitsTheScreen(shown));
        }
    }
    EXPECT_FALSE(pipe.opened()) << "a message box read the named pipe as a picture";
}
