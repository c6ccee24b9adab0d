// The designer's main window and its dialogs driven through their widgets,
// found by objectName: the settings dialogs, the code tabs, copy and export,
// the order-button warning, links and help, the preview, and pictures of
// every tab.
#include "tests/gui/main_window_fixture.h"

#include <QUndoStack>
#include <QUndoView>

using namespace vq;
using namespace vq::ui;
using namespace vq::test;

namespace {

TEST_F(MainWindowTest, ExtendedSettingsOkAndAbbrechen)
{
    m_window->startUp(QString());
    m_window->project().ExtSettings.encoding.clear();
    m_window->project().ExtSettings.cartActive = true;
    const TExtSettings before = m_window->project().ExtSettings;
    for (const char *button : {"btnAbbrechen", "btnOK"}) {
        SCOPED_TRACE(button);
        m_dialogs->modal = [button](QDialog &dialog) {
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Erweiterte Formulareinstellungen"));
            EXPECT_TRUE(isAccessible(dialog));
            auto *encoding = dialog.findChild<QComboBox *>(QStringLiteral("cboEncoding"));
            EXPECT_EQ(encoding->currentText(), QStringLiteral("windows-1252")) << "empty encoding";
            auto *tax = dialog.findChild<QComboBox *>(QStringLiteral("cboTax"));
            tax->setCurrentIndex(1);
            dialog.findChild<QCheckBox *>(QStringLiteral("chkIPInformationen"))->setChecked(true);
            auto *ipPage = dialog.findChild<QLineEdit *>(QStringLiteral("edtIPErrorPage"));
            ipPage->setText(QStringLiteral("https://example.org/ip.htm"));
            dialog.findChild<QLineEdit *>(QStringLiteral("edtCaptchaError"))
                ->setText(QStringLiteral("Falsch"));
            EXPECT_TRUE(dialog.findChild<QCheckBox *>(QStringLiteral("chkCartActive"))->isHidden());
            QTest::mouseClick(dialog.findChild<QPushButton *>(QString::fromLatin1(button)),
                              Qt::LeftButton);
            return dialog.result();
        };
        click("btnErwEinstellungen");
        if (std::string(button) == "btnAbbrechen") {
            EXPECT_EQ(m_window->project().ExtSettings, before);
        } else {
            const TExtSettings &after = m_window->project().ExtSettings;
            EXPECT_EQ(after.encoding, QStringLiteral("windows-1252"));
            EXPECT_EQ(after.tax, QStringLiteral("netto"));
            EXPECT_TRUE(after.ip_informationen);
            EXPECT_TRUE(after.cartActive) << "the hidden cart flag is carried through";
            EXPECT_EQ(after.ErrorPages.IPErrorPage, QStringLiteral("https://example.org/ip.htm"));
            EXPECT_EQ(after.ErrorMessages.CaptchaError, QStringLiteral("Falsch"));
        }
    }
}

TEST_F(MainWindowTest, ProjectPropertiesOkAndAbbrechen)
{
    m_window->startUp(QString());
    m_window->project().ExtSettings.ProjectSettings.url = QStringLiteral("http://");
    const TProjectSettings before = m_window->project().ExtSettings.ProjectSettings;
    for (const char *button : {"btnAbbrechen", "btnOK"}) {
        SCOPED_TRACE(button);
        m_dialogs->modal = [this, button](QDialog &dialog) {
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Formulareigenschaften"));
            auto *url = dialog.findChild<QLineEdit *>(QStringLiteral("edtUrl"));
            EXPECT_EQ(url->text(), QStringLiteral("http://"));
            QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("btnTestUrl")),
                              Qt::LeftButton);
            EXPECT_EQ(m_dialogs->urls.back(), QStringLiteral("http://"));
            dialog.findChild<QLineEdit *>(QStringLiteral("edtTitle"))
                ->setText(QStringLiteral("Titel"));
            dialog.findChild<QLineEdit *>(QStringLiteral("edtAuthor"))
                ->setText(QStringLiteral("Anna"));
            dialog.findChild<QLineEdit *>(QStringLiteral("edtCompany"))
                ->setText(QStringLiteral("Laden"));
            dialog.findChild<QPlainTextEdit *>(QStringLiteral("memoComment"))
                ->setPlainText(QStringLiteral("a\nb"));
            QTest::mouseClick(dialog.findChild<QPushButton *>(QString::fromLatin1(button)),
                              Qt::LeftButton);
            return dialog.result();
        };
        action("actEigenschaften")->trigger();
        const TProjectSettings &after = m_window->project().ExtSettings.ProjectSettings;
        if (std::string(button) == "btnAbbrechen") {
            EXPECT_EQ(after, before);
        } else {
            EXPECT_EQ(after.title, QStringLiteral("Titel"));
            EXPECT_EQ(after.author, QStringLiteral("Anna"));
            EXPECT_EQ(after.company, QStringLiteral("Laden"));
            EXPECT_EQ(after.comment, QStringLiteral("a\r\nb"));
            EXPECT_EQ(after.url, QStringLiteral("http://"));
        }
    }
    EXPECT_EQ(action("actEigenschaften")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_I));
}

TEST_F(MainWindowTest, CodeTabsCopyAndExport)
{
    m_window->startUp(QString());
    // Captcha on: nothing is asked of it.
    find<QCheckBox>(QStringLiteral("chkCaptcha"))->setChecked(true);
    m_window->project().ListField.clear();
    addFields({{"TFileField", "datei"}});
    find<QLineEdit>(QStringLiteral("edtFormTitel"))->setText(QStringLiteral("Titel im Code"));
    auto *tabs = find<QTabWidget>(QStringLiteral("pcMain"));
    tabs->setCurrentIndex(7);
    auto *html = find<QPlainTextEdit>(QStringLiteral("memoHTMLCode"));
    EXPECT_TRUE(html->toPlainText().contains(QStringLiteral("Titel im Code")));
    QTest::keyClick(html, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(html->textCursor().selectedText().size(), html->document()->characterCount() - 1)
        << "Ctrl+A selects the whole page";
    tabs->setCurrentIndex(8);
    EXPECT_TRUE(find<QPlainTextEdit>(QStringLiteral("memoPHPCode"))
                    ->toPlainText()
                    .startsWith(QStringLiteral("<?php")));

    action("actHtmlKopieren")->trigger();
    ASSERT_EQ(m_dialogs->told.size(), 1u);
    EXPECT_EQ(m_dialogs->told[0].title, QStringLiteral("Quelltext kopiert"));
    EXPECT_EQ(m_dialogs->told[0].text,
              QStringLiteral("Quelltext wurde in die Zwischenablage kopiert."));

    // PHP export warns of the upload field even when the save dialog is cancelled.
    m_dialogs->told.clear();
    action("actPhpExport")->trigger();
    ASSERT_EQ(m_dialogs->told.size(), 1u);
    EXPECT_TRUE(m_dialogs->told[0].text.startsWith(
        QStringLiteral("Hinweis das Formular enthält ein Datei-Upload-Feld.")));
    EXPECT_EQ(m_dialogs->suggestions.back(), QStringLiteral("formular.php"));

    const QString htmlPath = projectFile(QStringLiteral("formular.htm"));
    m_dialogs->saveNames = {htmlPath};
    action("actHtmlExport")->trigger();
    EXPECT_EQ(m_dialogs->suggestions.back(), QStringLiteral("formular.htm"));
    EXPECT_TRUE(readFile(htmlPath).contains("Titel im Code"));
    EXPECT_TRUE(readFile(htmlPath).contains("\r\n"));
    const QString phpPath = projectFile(QStringLiteral("formular.php"));
    m_dialogs->saveNames = {phpPath};
    action("actPhpExport")->trigger();
    EXPECT_TRUE(readFile(phpPath).startsWith("<?php"));
}

// A project that sells with a button that does not name the duty to pay is
// warned of before export, preview and upload; "Nein" stops the export and
// the upload, the preview is shown all the same. The accepted wording is not.
TEST_F(MainWindowTest, OrderButtonIsWarnedOfBeforeExportPreviewAndUpload)
{
    m_window->startUp(QString());
    // Captcha on: nothing is asked of it.
    find<QCheckBox>(QStringLiteral("chkCaptcha"))->setChecked(true);
    auto cup = std::make_unique<TArtikelField>();
    cup->name = QStringLiteral("Tasse");
    cup->preis = 8.5;
    m_window->project().ListArtikel.push_back(std::move(cup));
    m_window->RefreshLists();
    auto *caption = find<QLineEdit>(QStringLiteral("edtSendenButton"));
    EXPECT_EQ(caption->text(), QStringLiteral("zahlungspflichtig bestellen"));
    caption->setText(QStringLiteral("Absenden"));

    const QString htmlPath = projectFile(QStringLiteral("formular.htm"));
    m_dialogs->saveNames = {htmlPath};
    m_dialogs->answers = {false};
    action("actHtmlExport")->trigger();
    ASSERT_EQ(m_dialogs->questions.size(), 1u);
    EXPECT_EQ(m_dialogs->questions[0].title, QStringLiteral("HTML Export"));
    EXPECT_TRUE(m_dialogs->questions[0].text.contains(QStringLiteral("„Absenden“")));
    EXPECT_TRUE(
        m_dialogs->questions[0].text.contains(QStringLiteral("„zahlungspflichtig bestellen“")));
    EXPECT_TRUE(m_dialogs->questions[0].text.endsWith(QStringLiteral("Trotzdem fortfahren?")));
    EXPECT_FALSE(QFile::exists(htmlPath)) << "Nein stops the export";
    m_dialogs->answers = {false};
    EXPECT_FALSE(m_window->ftpUpload());
    ASSERT_EQ(m_dialogs->questions.size(), 2u);
    EXPECT_EQ(m_dialogs->questions[1].title, QStringLiteral("FTP-Upload"));

    m_dialogs->answers = {true};
    action("actHtmlExport")->trigger();
    EXPECT_TRUE(QFile::exists(htmlPath)) << "Ja exports";
    m_dialogs->told.clear();
    find<QTabWidget>(QStringLiteral("pcMain"))->setCurrentIndex(9);
    ASSERT_EQ(m_dialogs->told.size(), 1u);
    EXPECT_EQ(m_dialogs->told[0].icon, QMessageBox::Warning);
    EXPECT_EQ(m_dialogs->told[0].title, QStringLiteral("Vorschau"));

    // With the accepted wording nothing is asked.
    caption->setText(QStringLiteral("Jetzt kaufen"));
    m_dialogs->questions.clear();
    m_dialogs->saveNames = {htmlPath};
    action("actHtmlExport")->trigger();
    EXPECT_TRUE(m_dialogs->questions.empty());
}

// Link tests, help and the invoice module go to the desktop unchanged.
TEST_F(MainWindowTest, LinksHelpAndExternalPrograms)
{
    m_window->startUp(QString());
    find<QComboBox>(QStringLiteral("cboFormMailer"))
        ->setCurrentText(QStringLiteral("https://example.org/formmail.php?a=1"));
    find<QLineEdit>(QStringLiteral("edtDanke"))
        ->setText(QStringLiteral("https://example.org/danke.htm"));
    click("btnTestFormMailer");
    click("btnTestDanke");
    EXPECT_EQ(m_dialogs->urls,
              (std::vector<QString>{
                  QStringLiteral("https://example.org/formmail.php?a=1?action=checkurl"),
                  QStringLiteral("https://example.org/danke.htm")}));
    // The help opens at the main window's section (help_window_test has the rest).
    action("actHilfe")->trigger();
    ASSERT_EQ(m_dialogs->helpPages.size(), 1u);
    EXPECT_TRUE(QFile::exists(m_dialogs->helpPages.back().toLocalFile()));
    action("actRechnungsmodul")->trigger();
    EXPECT_EQ(m_dialogs->programs,
              std::vector<QString>{
                  QDir(kProgramDir).filePath(QStringLiteral("rechtool/vq_bestell_rechnung"))});
    // Updates come through the package manager: a message, no program.
    action("actUpdate")->trigger();
    EXPECT_EQ(m_dialogs->programs.size(), 1u);
}

// The real questions and messages of the designer: the text (a server's
// reply, a file's name) shown as plain text and bounded, the answer as pressed.
TEST(DesktopDialogs, ShowTheirTextAsPlainTextAndAnswerAsPressed)
{
    WatchedPipe pipe;
    ASSERT_TRUE(pipe.made());
    UserQuestions dialogs;
    for (const HostileText &hostile : hostileTexts(pipe)) {
        SCOPED_TRACE(hostile.name);
        for (const QMessageBox::StandardButton press : {QMessageBox::Yes, QMessageBox::Cancel}) {
            ShownMessage shown;
            answerMessageBox(&shown, press);
            EXPECT_EQ(dialogs.ask(nullptr, QMessageBox::Question, QStringLiteral("FTP-Browser"),
                                  hostile.text,
                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel),
                      press);
            ASSERT_TRUE(shown.shown);
            EXPECT_EQ(shown.title, QStringLiteral("FTP-Browser"));
            EXPECT_EQ(shown.icon, QMessageBox::Question);
            EXPECT_EQ(shown.format, Qt::PlainText);
            EXPECT_EQ(shown.text, cutAt(hostile.seen, vq::ui::kMaxMessageChars));
            EXPECT_TRUE(fitsTheScreen(shown));
        }
        ShownMessage told;
        answerMessageBox(&told, QMessageBox::Ok);
        dialogs.tell(nullptr, QMessageBox::Critical, QStringLiteral("FTP-Upload"), hostile.text);
        ASSERT_TRUE(told.shown);
        EXPECT_EQ(told.icon, QMessageBox::Critical);
        EXPECT_EQ(told.format, Qt::PlainText);
        EXPECT_EQ(told.text, cutAt(hostile.seen, vq::ui::kMaxMessageChars));
    }
    EXPECT_FALSE(pipe.opened()) << "a message box read the named pipe as a picture";
}

// Runs the real browser engine offscreen.
TEST_F(MainWindowTest, PreviewReloadsOnlyWhenThePageChanges)
{
    QTemporaryDir dir;
    int run = 0;
    // A page taller than the window, so it can be scrolled.
    QString body = QStringLiteral("<div style=\"height:5000px\">eins</div>");
    TfrmPreview preview(
        [&]() -> std::optional<PreviewPage> {
            ++run;
            const QString id = QString::number(1000 + run);
            return PreviewPage{
                QStringLiteral("<html><body><form><input name=\"vq_formid\" value=\"%1\">"
                               "</form>%2</body></html>")
                    .arg(id, body),
                id, QStringLiteral("utf-8")};
        },
        dir.filePath(QStringLiteral("temp.htm")));
    auto *toggle = preview.findChild<QPushButton *>(QStringLiteral("btnAutoPreview"));
    EXPECT_EQ(toggle->text(), QStringLiteral("Auto-Vorschau - NICHT AKTIV"));
    preview.showAndStart();
    EXPECT_TRUE(preview.refreshing());
    EXPECT_EQ(toggle->text(), QStringLiteral("Auto-Vorschau - AKTIV"));
    EXPECT_EQ(preview.browser()->reloadCount(), 1);
    QSignalSpy loaded(preview.browser()->view(), &QWebEngineView::loadFinished);
    ASSERT_TRUE(loaded.wait(15000));

    // What the user typed into the previewed form stays while nothing changes.
    QWebEnginePage *page = preview.browser()->view()->page();
    auto waitFor = [](const std::function<bool()> &condition) {
        for (int i = 0; i < 100 && !condition(); ++i)
            QTest::qWait(50);
        return condition();
    };
    page->runJavaScript(QStringLiteral("window.scrollTo(0, 700);"));
    ASSERT_TRUE(waitFor([&] { return page->scrollPosition().y() > 650; }));
    preview.tick();
    preview.tick();
    EXPECT_EQ(preview.browser()->reloadCount(), 1) << "only the form id changed";

    // A change reloads and keeps the scroll position.
    body = QStringLiteral("<div style=\"height:5000px\">zwei</div>");
    preview.tick();
    EXPECT_EQ(preview.browser()->reloadCount(), 2);
    EXPECT_TRUE(readFile(dir.filePath(QStringLiteral("temp.htm"))).contains("zwei"));
    ASSERT_TRUE(loaded.wait(15000));
    EXPECT_TRUE(waitFor([&] { return page->scrollPosition().y() > 650; }))
        << "scrolled to " << page->scrollPosition().y();

    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_FALSE(preview.refreshing());
    EXPECT_EQ(toggle->text(), QStringLiteral("Auto-Vorschau - NICHT AKTIV"));
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_EQ(toggle->text(), QStringLiteral("Auto-Vorschau - AKTIV"));
    preview.close();
    EXPECT_FALSE(preview.refreshing());
    EXPECT_FALSE(preview.isVisible());
    preview.showAndStart();
    EXPECT_TRUE(preview.refreshing());
}

// Not a check: with VQ_SCREENSHOT_DIR set (and a real display, for example
// under xvfb-run with QT_QPA_PLATFORM=xcb) every tab and dialog is saved as a
// picture for a person to look at.
TEST_F(MainWindowTest, Screenshots)
{
    const QString folder = qEnvironmentVariable("VQ_SCREENSHOT_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "VQ_SCREENSHOT_DIR not set";
    QDir().mkpath(folder);
    auto settle = [] {
        for (int i = 0; i < 20; ++i)
            QTest::qWait(50);
    };
    m_window->startUp(QString());
    m_window->show();
    settle();
    auto *tabs = find<QTabWidget>(QStringLiteral("pcMain"));
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        settle();
        if (i == 9)
            QTest::qWait(1500);
        m_window->grab().save(QStringLiteral("%1/tab%2.png").arg(folder).arg(i));
    }
    // The design tab without the standard designs shows every control.
    tabs->setCurrentIndex(4);
    find<QCheckBox>(QStringLiteral("cboStandardButton"))->setChecked(false);
    find<QCheckBox>(QStringLiteral("cboStandardFeld"))->setChecked(false);
    find<QCheckBox>(QStringLiteral("chkPrintButton"))->setChecked(true);
    settle();
    m_window->grab().save(folder + QStringLiteral("/tab4_alle.png"));
    // The history beside the tabs, with the steps just taken.
    tabs->setCurrentIndex(0);
    m_editors->nextName = QStringLiteral("Tee");
    click("btnNeuArtikel");
    action("actVerlauf")->trigger();
    settle();
    m_window->grab().save(folder + QStringLiteral("/verlauf.png"));
    action("actVerlauf")->trigger();

    m_dialogs->modal = [&](QDialog &dialog) {
        dialog.show();
        settle();
        const QString name = dialog.objectName();
        dialog.grab().save(QStringLiteral("%1/%2.png").arg(folder, name));
        if (auto *inner = dialog.findChild<QTabWidget *>()) {
            inner->setCurrentIndex(1);
            settle();
            dialog.grab().save(QStringLiteral("%1/%2_2.png").arg(folder, name));
        }
        return int(QDialog::Rejected);
    };
    click("btnErwEinstellungen");
    action("actEigenschaften")->trigger();
    action("actFeldVorlagen")->trigger();
    action("actInfo")->trigger();
    click("btnFormMailerHilfe");
    action("actFtpProfile")->trigger();
    action("actFormmailerLinks")->trigger();
    click("btnFtpBrowser");
    action("actExportBestehend")->trigger();
    {
        TfrmFtpProfileEdit editor(*m_dialogs, m_window->logWindow(), m_window.get());
        m_dialogs->modal(editor);
        TfrmFormMailerLink link(*m_dialogs, m_window.get());
        m_dialogs->modal(link);
        TfrmHelp help(
            QUrl::fromLocalFile(QDir(kProgramDir).filePath(QStringLiteral("help/formmailer.htm"))),
            m_window.get());
        m_dialogs->modal(help);
        QUrl settings = QUrl::fromLocalFile(
            QDir(kProgramDir).filePath(QStringLiteral("help/einstellungen.htm")));
        settings.setFragment(QStringLiteral("ftp-einstellungen"));
        TfrmHelp section(settings, m_window.get());
        section.setObjectName(QStringLiteral("frmHelp_einstellungen"));
        m_dialogs->modal(section);
    }
    m_window->logWindow()->start();
    m_window->logWindow()->addLine(QStringLiteral("Versuche Verbindung aufzunehmen..."));
    m_window->logWindow()->setBusy(true);
    settle();
    m_window->logWindow()->grab().save(folder + QStringLiteral("/ftplog.png"));
    m_window->logWindow()->setBusy(false);
    m_window->logWindow()->hide();
    auto *splash = new TfrmSplash; // closes and deletes itself
    splash->show();
    settle();
    splash->grab().save(folder + QStringLiteral("/splash.png"));
    action("actVorschauFenster")->trigger();
    settle();
    QTest::qWait(1500);
    m_window->previewWindow()->grab().save(folder + QStringLiteral("/preview.png"));
    m_window->previewWindow()->close();
}

// Undo and redo from the keyboard and the "Bearbeiten" menu, which names the
// step; the title tells whether the project differs from its file; "Neu"
// starts a new history.
TEST_F(MainWindowTest, CtrlZAndCtrlYUndoAndRedoNamingTheStep)
{
    m_window->startUp(QString());
    m_window->show();
    m_window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    const QString caption = QStringLiteral("VQ-Bestellformular 1.5.8");
    QAction *undo = action("actRueckgaengig");
    QAction *redo = action("actWiederherstellen");
    EXPECT_EQ(undo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(redo->shortcuts(),
              (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Y),
                                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}));
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(undo->text(), QStringLiteral("Rückgängig"));
    EXPECT_EQ(m_window->windowTitle(), caption);

    m_window->project().ListArtikel.clear();
    m_window->RefreshLists();
    m_editors->nextName = QStringLiteral("Tee");
    click("btnNeuArtikel");
    EXPECT_EQ(undo->text(), QStringLiteral("Rückgängig: Artikel hinzufügen"));
    EXPECT_EQ(m_window->windowTitle(), caption + QStringLiteral(" *"));
    selectRow(articles(), 0);
    m_dialogs->buttons = {QMessageBox::Yes};
    click("btnLoeschenArtikel");
    EXPECT_EQ(undo->text(), QStringLiteral("Rückgängig: Artikel löschen"));
    // Typing into a setting is one step.
    auto *title = find<QLineEdit>(QStringLiteral("edtFormTitel"));
    const QString titleBefore = title->text();
    find<QTabWidget>(QStringLiteral("pcMain"))->setCurrentIndex(3);
    title->setFocus();
    title->selectAll();
    QTest::keyClicks(title, QStringLiteral("Tee-Shop"));
    QTest::keyClick(title, Qt::Key_Tab);
    EXPECT_EQ(undo->text(), QStringLiteral("Rückgängig: Einstellung ändern: Formularüberschrift"));

    find<QTabWidget>(QStringLiteral("pcMain"))->setCurrentIndex(0);
    articles()->setFocus();
    QTest::keyClick(articles(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(title->text(), titleBefore);
    EXPECT_EQ(undo->text(), QStringLiteral("Rückgängig: Artikel löschen"));
    EXPECT_EQ(redo->text(),
              QStringLiteral("Wiederherstellen: Einstellung ändern: Formularüberschrift"));
    QTest::keyClick(articles(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(column(articles(), 1), QStringList{QStringLiteral("Tee")});
    EXPECT_EQ(selected(articles()), 0) << "the entry brought back is selected";
    QTest::keyClick(articles(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_TRUE(column(articles(), 1).isEmpty());
    QTest::keyClick(articles(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(title->text(), QStringLiteral("Tee-Shop"));
    EXPECT_FALSE(redo->isEnabled());
    EXPECT_EQ(redo->text(), QStringLiteral("Wiederherstellen"));

    // "Speichern" is the unmodified state; undo and redo leave and reach it.
    m_dialogs->saveNames = {projectFile(QStringLiteral("rueckgaengig.vqb"))};
    ASSERT_TRUE(m_window->save());
    EXPECT_EQ(m_window->windowTitle(), caption);
    QTest::keyClick(articles(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(m_window->windowTitle(), caption + QStringLiteral(" *"));
    QTest::keyClick(articles(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(m_window->windowTitle(), caption);

    // The history lists every step; "Neu" empties it.
    QAction *history = action("actVerlauf");
    EXPECT_EQ(history->text(), QStringLiteral("Verlauf"));
    history->trigger();
    auto *steps = find<QUndoView>(QStringLiteral("lvVerlauf"));
    EXPECT_TRUE(steps->isVisible());
    EXPECT_EQ(steps->model()->rowCount(), 4) << "the loaded state and three steps";
    m_dialogs->buttons = {QMessageBox::Yes};
    action("actNeu")->trigger();
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());
    EXPECT_EQ(steps->model()->rowCount(), 1);
    EXPECT_EQ(m_window->windowTitle(), caption);
    EXPECT_EQ(action("tbRueckgaengig")->text(), QStringLiteral("Rückgängig"));
    EXPECT_FALSE(action("tbRueckgaengig")->isEnabled());
}

// Each kind of control shows the value again that an undo or a redo sets.
TEST_F(MainWindowTest, UndoAndRedoShowTheirValueInTheControl)
{
    m_window->startUp(QString());
    m_window->show();
    struct Case
    {
        const char *key;
        std::function<void(QWidget *)> change;
        std::function<QString(QWidget *)> shown;
    } cases[] = {
        {"edtFormTitel",
         [](QWidget *w) { static_cast<QLineEdit *>(w)->setText(QStringLiteral("Neu")); },
         [](QWidget *w) { return static_cast<QLineEdit *>(w)->text(); }},
        {"memoEinleitung",
         [](QWidget *w) { static_cast<QPlainTextEdit *>(w)->setPlainText(QStringLiteral("a\nb")); },
         [](QWidget *w) { return static_cast<QPlainTextEdit *>(w)->toPlainText(); }},
        {"edtSizeHeader", [](QWidget *w) { static_cast<QSpinBox *>(w)->setValue(42); },
         [](QWidget *w) { return QString::number(static_cast<QSpinBox *>(w)->value()); }},
        {"cbCryptAddr", [](QWidget *w) { static_cast<QCheckBox *>(w)->click(); },
         [](QWidget *w) { return QString::number(static_cast<QCheckBox *>(w)->isChecked()); }},
        {"cboUploadFormat", [](QWidget *w) { static_cast<QComboBox *>(w)->setCurrentIndex(1); },
         [](QWidget *w) { return static_cast<QComboBox *>(w)->currentText(); }},
        {"cboTabAusrichtung", [](QWidget *w) { static_cast<QComboBox *>(w)->setCurrentIndex(2); },
         [](QWidget *w) { return static_cast<QComboBox *>(w)->currentText(); }},
        {"cboFontForm",
         [](QWidget *w) { static_cast<QComboBox *>(w)->setCurrentText(QStringLiteral("Serif")); },
         [](QWidget *w) { return static_cast<QComboBox *>(w)->currentText(); }},
        {"edtHGColor",
         [](QWidget *w) { static_cast<QLineEdit *>(w)->setText(QStringLiteral("123456")); },
         [](QWidget *w) { return static_cast<QLineEdit *>(w)->text(); }},
    };
    QUndoStack &stack = m_window->document().undoStack();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.key);
        QWidget *control = find<QWidget>(QString::fromLatin1(c.key));
        const QString before = c.shown(control);
        const int steps = stack.count();
        c.change(control);
        const QString after = c.shown(control);
        ASSERT_NE(after, before);
        EXPECT_EQ(stack.count(), steps + 1);
        m_window->document().finishSettingEdit();
        stack.undo();
        EXPECT_EQ(c.shown(control), before);
        stack.redo();
        EXPECT_EQ(c.shown(control), after);
    }
    // The colour button follows its edit through undo.
    auto *colour = find<QPushButton>(QStringLiteral("cboBGColor"));
    EXPECT_EQ(colour->property("colour").value<QColor>(), QColor(0x12, 0x34, 0x56));
    stack.undo();
    EXPECT_NE(colour->property("colour").value<QColor>(), QColor(0x12, 0x34, 0x56));
}

} // namespace
