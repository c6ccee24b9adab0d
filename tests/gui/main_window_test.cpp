// The designer's main window and its dialogs driven through their widgets,
// found by objectName: start-up, files and the closing question, settings
// typed and saved, list commands, colours, design check boxes, copy to
// sender, placeholders, templates, the settings dialogs and the preview.
#include "common/GlobalFunctions.h"
#include "common_ui/plain_text.h"
#include "common_ui/questions.h"
#include "designer/model/template_library.h"
#include "designer/publishing/formmailer_list.h"
#include "designer/publishing/ftp_profiles.h"
#include "designer/ui/mainFrm.h"
#include "designer/ui/uFTPBrowser.h"
#include "designer/ui/uFormMailers.h"
#include "designer/ui/uFtpProfiles.h"
#include "designer/ui/uHtmlExportDlg.h"
#include "designer/ui/uInfo.h"
#include "designer/ui/uLog.h"
#include "designer/ui/uPreviewWindow.h"
#include "tests/publishing/ftp_server.h"
#include "tests/support/plain_text_support.h"
#include "tests/support/scripted_questions.h"
#include "tests/support/window_checks.h"
#include "tests/test_support.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <deque>
#include <functional>
#include <gtest/gtest.h>

using namespace vq;
using namespace vq::ui;
using namespace vq::test;

namespace {

const QString kProgramDir = QStringLiteral(VQ_PROGRAM_DIR);

// The editors: OK gives a new field its name and label, Abbrechen changes nothing.
class FakeEditors : public EditorAccess
{
public:
    bool accept = true;
    QString nextName = QStringLiteral("neu");
    int fieldCalls = 0;
    int articleCalls = 0;
    int lastFeldNr = -2;

    bool editField(QWidget *, TFormField &field, int feldNr, bool isNew, const FieldList &) override
    {
        ++fieldCalls;
        lastFeldNr = feldNr;
        if (accept) {
            if (isNew)
                field.Name = nextName;
            field.Beschriftung = QStringLiteral("Beschriftung ") + nextName;
        }
        return accept;
    }
    bool editArticle(QWidget *, TArtikelField &artikel, bool) override
    {
        ++articleCalls;
        if (accept) {
            artikel.name = nextName;
            artikel.preis = 2.5;
        }
        return accept;
    }
    bool editHtml(QWidget *, QString &text) override
    {
        if (accept)
            text = QStringLiteral("<b>fett</b>\r\nZeile 2");
        return accept;
    }
};

class MainWindowTest : public testing::Test
{
protected:
    void SetUp() override
    {
        QDir(appDataFolder()).removeRecursively();
        appDataFolder();
        auto dialogs = std::make_unique<ScriptedQuestions>();
        auto editors = std::make_unique<FakeEditors>();
        m_dialogs = dialogs.get();
        m_editors = editors.get();
        m_window = std::make_unique<TfrmMain>(std::move(editors), std::move(dialogs));
        m_window->setProgramFolder(kProgramDir);
    }
    void TearDown() override
    {
        // The window may be closed without a question.
        m_window->setAttribute(Qt::WA_DeleteOnClose, false);
        m_window.reset();
    }

    template <typename T> T *find(const QString &name) const
    {
        T *widget = m_window->findChild<T *>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    QAction *action(const char *name) const { return find<QAction>(QString::fromLatin1(name)); }
    QTreeWidget *fields() const { return find<QTreeWidget>(QStringLiteral("lvFelder")); }
    QTreeWidget *articles() const { return find<QTreeWidget>(QStringLiteral("lvArtikel")); }
    void click(const char *name) const
    {
        QAbstractButton *b = find<QAbstractButton>(QString::fromLatin1(name));
        QTest::mouseClick(b, Qt::LeftButton);
    }
    QStringList column(QTreeWidget *list, int col = 0) const
    {
        QStringList texts;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            texts.append(list->topLevelItem(i)->text(col));
        return texts;
    }
    int selected(QTreeWidget *list) const
    {
        const auto items = list->selectedItems();
        return items.isEmpty() ? -1 : list->indexOfTopLevelItem(items.first());
    }
    void selectRow(QTreeWidget *list, int row) const
    {
        list->setCurrentItem(list->topLevelItem(row));
    }
    void addFields(std::initializer_list<std::pair<const char *, const char *>> kindsAndNames)
    {
        for (const auto &[kind, name] : kindsAndNames) {
            auto field = createFieldOfType(QString::fromLatin1(kind));
            field->Name = QString::fromLatin1(name);
            m_window->project().ListField.push_back(std::move(field));
        }
        m_window->RefreshLists();
    }
    QString projectFile(const QString &name) { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    ScriptedQuestions *m_dialogs = nullptr;
    FakeEditors *m_editors = nullptr;
    std::unique_ptr<TfrmMain> m_window;
    int m_templateCount = 0;
};

TEST_F(MainWindowTest, StartsWithTheDefaultProject)
{
    m_window->startUp(QString());
    EXPECT_TRUE(m_dialogs->told.empty());
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("VQ-Bestellformular 1.5.8"));
    EXPECT_FALSE(m_window->hasOwnFile());
    EXPECT_EQ(find<QLabel>(QStringLiteral("lblDateiname"))->text(),
              QStringLiteral("unbenannt.vqb"));
    auto *tabs = find<QTabWidget>(QStringLiteral("pcMain"));
    EXPECT_EQ(tabs->currentIndex(), 0);
    QStringList captions;
    for (int i = 0; i < tabs->count(); ++i)
        captions.append(tabs->tabText(i));
    EXPECT_EQ(captions, tabCaptions());
    // The delivered libraries and form-mailer list were copied and read.
    for (const char *file : {"vorlagen.xml", "vorlagen_artikel.xml", "formmailers.xml"})
        EXPECT_TRUE(QFile::exists(appDataFile(QString::fromLatin1(file)))) << file;
    QString error;
    const QStringList templates = readTemplateCaptions(appDataFile(QStringLiteral("vorlagen.xml")),
                                                       QStringLiteral("beschriftung"), &error);
    auto *combo = find<QComboBox>(QStringLiteral("cboVorlagen"));
    EXPECT_EQ(combo->count(), templates.size());
    EXPECT_EQ(combo->currentIndex(), -1);
    auto *mailer = find<QComboBox>(QStringLiteral("cboFormMailer"));
    EXPECT_GE(mailer->count(), 1);
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtFormTitel"))->text(),
              m_window->project().setting(QStringLiteral("edtFormTitel")));
}

TEST_F(MainWindowTest, StartsWithTheProjectNamedAndFillsAnEmptyFormMailer)
{
    ProjectDocument project;
    project.setSetting(QStringLiteral("edtFormTitel"), QStringLiteral("Mein Formular"));
    project.setSetting(QStringLiteral("cboFormMailer"), QString());
    auto field = std::make_unique<TEinzField>();
    field->Name = QStringLiteral("name");
    project.ListField.push_back(std::move(field));
    const QString path = projectFile(QStringLiteral("mein.vqb"));
    QString error;
    ASSERT_TRUE(project.SaveProject(path, &error));
    writeFile(appDataFile(QStringLiteral("formmailers.xml")),
              "<xml><formmailers><formmail>https://erster.example/fm.php</formmail>"
              "<formmail>https://zweiter.example/fm.php</formmail></formmailers></xml>");

    m_window->startUp(path);
    EXPECT_TRUE(m_window->hasOwnFile());
    EXPECT_EQ(m_window->savePath(), path);
    EXPECT_EQ(m_window->statusText(), QDir::toNativeSeparators(path));
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtFormTitel"))->text(),
              QStringLiteral("Mein Formular"));
    EXPECT_EQ(column(fields()), QStringList{QStringLiteral("name")});
    auto *mailer = find<QComboBox>(QStringLiteral("cboFormMailer"));
    EXPECT_EQ(mailer->count(), 2);
    EXPECT_EQ(mailer->currentText(), QStringLiteral("https://erster.example/fm.php"));
}

TEST_F(MainWindowTest, FailedLoadLeavesTheProjectWithoutAFileOfItsOwn)
{
    const QString good = projectFile(QStringLiteral("gut.vqb"));
    ProjectDocument project;
    auto artikel = std::make_unique<TArtikelField>();
    artikel->name = QStringLiteral("Tee");
    project.ListArtikel.push_back(std::move(artikel));
    QString error;
    ASSERT_TRUE(project.SaveProject(good, &error));
    // The same file with an unknown field kind: the load fails part-way.
    QByteArray bytes = readFile(good);
    bytes.replace("<ItemList/>", "<ItemList><forms><typ>TUnknown</typ></forms></ItemList>");
    bytes.replace("<ItemList></ItemList>",
                  "<ItemList><forms><typ>TUnknown</typ></forms></ItemList>");
    const QString damaged = projectFile(QStringLiteral("kaputt.vqb"));
    writeFile(damaged, bytes);

    m_window->startUp(good);
    ASSERT_TRUE(m_window->hasOwnFile());
    m_dialogs->buttons = {QMessageBox::No};
    m_dialogs->openNames = {damaged};
    action("actOeffnen")->trigger();

    ASSERT_EQ(m_dialogs->told.size(), 3u);
    EXPECT_EQ(m_dialogs->told[0].text,
              QStringLiteral("Die Datei scheint keine VQ-Bestellformular-Datei zu sein."));
    EXPECT_TRUE(m_dialogs->told[1].text.startsWith(QStringLiteral("Exception class name = ")));
    EXPECT_TRUE(m_dialogs->told[2].text.startsWith(QStringLiteral("Exception message = ")));
    for (const auto &shown : m_dialogs->told)
        EXPECT_EQ(shown.title, QStringLiteral("Datei nicht vollständig geladen"));
    EXPECT_FALSE(m_window->hasOwnFile());
    EXPECT_EQ(m_window->statusText(), QStringLiteral("unbenannt.vqb"));

    // "Speichern" now asks for a name instead of overwriting either file.
    const QByteArray before = readFile(damaged);
    action("actSpeichern")->trigger();
    EXPECT_EQ(m_dialogs->suggestions, QStringList{QStringLiteral("formular.vqb")});
    EXPECT_EQ(readFile(damaged), before);
}

TEST_F(MainWindowTest, SettingsTypedIntoTheirControlsAreSavedAndReloaded)
{
    m_window->startUp(QString());
    m_window->show();
    auto *title = find<QLineEdit>(QStringLiteral("edtFormTitel"));
    title->clear();
    QTest::keyClicks(title, QStringLiteral("Bestellung Äpfel"));
    auto *intro = find<QPlainTextEdit>(QStringLiteral("memoEinleitung"));
    intro->clear();
    QTest::keyClicks(intro, QStringLiteral("Zeile 1"));
    QTest::keyClick(intro, Qt::Key_Return);
    QTest::keyClicks(intro, QStringLiteral("Zeile 2"));
    auto *size = find<QSpinBox>(QStringLiteral("edtSizeHeader"));
    size->setValue(33);
    auto *crypt = find<QCheckBox>(QStringLiteral("cbCryptAddr"));
    const bool cryptBefore = crypt->isChecked();
    crypt->click();
    find<QComboBox>(QStringLiteral("cboUploadFormat"))->setCurrentIndex(1);
    find<QComboBox>(QStringLiteral("cboMailFormat"))->setCurrentIndex(1);
    find<QComboBox>(QStringLiteral("cboTabAusrichtung"))->setCurrentIndex(2);
    auto *font = find<QComboBox>(QStringLiteral("cboFontForm"));
    font->setCurrentText(QStringLiteral("Eigene Schrift"));
    find<QLineEdit>(QStringLiteral("edtPasswort"))->setText(QStringLiteral("geheim"));

    const QString path = projectFile(QStringLiteral("einstellungen.vqb"));
    m_dialogs->saveNames = {path};
    action("actSpeichernUnter")->trigger();
    ASSERT_TRUE(m_window->hasOwnFile());
    EXPECT_EQ(m_window->statusText(), QDir::toNativeSeparators(path));

    ProjectDocument saved;
    ASSERT_TRUE(saved.LoadProject(path).ok);
    EXPECT_EQ(saved.setting(QStringLiteral("edtFormTitel")), QStringLiteral("Bestellung Äpfel"));
    EXPECT_EQ(saved.setting(QStringLiteral("memoEinleitung")),
              QStringLiteral("Zeile 1\r\nZeile 2"));
    EXPECT_EQ(saved.setting(QStringLiteral("edtSizeHeader")), QStringLiteral("33"));
    EXPECT_EQ(saved.flag(QStringLiteral("cbCryptAddr")), !cryptBefore);
    EXPECT_EQ(saved.setting(QStringLiteral("cboUploadFormat")), QStringLiteral("1"));
    EXPECT_EQ(saved.setting(QStringLiteral("cboMailFormat")), QStringLiteral("plain"));
    EXPECT_EQ(saved.setting(QStringLiteral("cboTabAusrichtung")), QStringLiteral("links"));
    EXPECT_EQ(saved.setting(QStringLiteral("cboFontForm")), QStringLiteral("Eigene Schrift"));
    EXPECT_EQ(saved.setting(QStringLiteral("edtPasswort")), QStringLiteral("geheim"));

    // A second window shows them again.
    TearDown();
    SetUp();
    m_window->startUp(path);
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtFormTitel"))->text(),
              QStringLiteral("Bestellung Äpfel"));
    EXPECT_EQ(find<QPlainTextEdit>(QStringLiteral("memoEinleitung"))->toPlainText(),
              QStringLiteral("Zeile 1\nZeile 2"));
    EXPECT_EQ(find<QSpinBox>(QStringLiteral("edtSizeHeader"))->value(), 33);
    EXPECT_EQ(find<QComboBox>(QStringLiteral("cboUploadFormat"))->currentText(),
              QStringLiteral("PHP"));
    EXPECT_EQ(find<QComboBox>(QStringLiteral("cboTabAusrichtung"))->currentText(),
              QStringLiteral("links"));
    EXPECT_EQ(find<QComboBox>(QStringLiteral("cboFontForm"))->currentText(),
              QStringLiteral("Eigene Schrift"));
}

TEST_F(MainWindowTest, ClosingQuestion)
{
    struct Case
    {
        const char *name;
        QMessageBox::StandardButton answer;
        bool hasFile;
        bool closes;
        bool saved;
    } cases[] = {
        {"Ja mit eigener Datei", QMessageBox::Yes, true, true, true},
        {"Nein", QMessageBox::No, true, true, false},
        {"Abbrechen", QMessageBox::Cancel, true, false, false},
        {"Ja ohne Datei, Speichern-Dialog abgebrochen", QMessageBox::Yes, false, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        const QString path = projectFile(QStringLiteral("schliessen.vqb"));
        QFile::remove(path);
        m_window->startUp(QString());
        if (c.hasFile) {
            m_dialogs->saveNames = {path};
            ASSERT_TRUE(m_window->saveAs());
            QFile::remove(path);
        }
        m_window->show();
        find<QLineEdit>(QStringLiteral("edtFormTitel"))->setText(QStringLiteral("geändert"));
        m_dialogs->buttons = {c.answer};
        EXPECT_EQ(m_window->close(), c.closes);
        EXPECT_EQ(m_window->isVisible(), !c.closes);
        ASSERT_EQ(m_dialogs->questions.size(), 1u);
        EXPECT_EQ(m_dialogs->questions[0].title, QStringLiteral("Speichern?"));
        EXPECT_EQ(m_dialogs->questions[0].text,
                  QStringLiteral("Soll die aktuelle Datei gespeichert werden?"));
        EXPECT_EQ(QFile::exists(path), c.saved);
    }
}

TEST_F(MainWindowTest, NewAndOpen)
{
    m_window->startUp(QString());
    const QString path = projectFile(QStringLiteral("offen.vqb"));
    {
        ProjectDocument project;
        project.setSetting(QStringLiteral("edtFormTitel"), QStringLiteral("Offen"));
        QString error;
        ASSERT_TRUE(project.SaveProject(path, &error));
    }
    // "Ja" on a project without a file: the save dialog comes first; cancelling
    // it still leads to the open dialog.
    m_dialogs->buttons = {QMessageBox::Yes};
    m_dialogs->openNames = {path};
    action("actOeffnen")->trigger();
    EXPECT_EQ(m_dialogs->suggestions.size(), 1u);
    EXPECT_EQ(m_dialogs->openDialogs, 1);
    EXPECT_TRUE(m_window->hasOwnFile());
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtFormTitel"))->text(), QStringLiteral("Offen"));

    // Abbrechen stops before the open dialog.
    m_dialogs->buttons = {QMessageBox::Cancel};
    action("actOeffnen")->trigger();
    EXPECT_EQ(m_dialogs->openDialogs, 1);

    // "Neu" answered No keeps the project, Yes loads the default project.
    m_dialogs->buttons = {QMessageBox::No};
    action("actNeu")->trigger();
    EXPECT_EQ(m_dialogs->questions.back().text, QStringLiteral("Neues Formular erstellen?"));
    EXPECT_TRUE(m_window->hasOwnFile());
    m_dialogs->buttons = {QMessageBox::Yes};
    action("actNeu")->trigger();
    EXPECT_FALSE(m_window->hasOwnFile());
    EXPECT_EQ(m_window->statusText(), QStringLiteral("unbenannt.vqb"));
    EXPECT_NE(find<QLineEdit>(QStringLiteral("edtFormTitel"))->text(), QStringLiteral("Offen"));

    // Save without a file asks for a name, then writes there without asking again.
    const QString saved = projectFile(QStringLiteral("neu.vqb"));
    m_dialogs->saveNames = {saved};
    EXPECT_TRUE(m_window->save());
    EXPECT_TRUE(QFile::exists(saved));
    const size_t dialogsBefore = m_dialogs->suggestions.size();
    EXPECT_TRUE(m_window->save());
    EXPECT_EQ(m_dialogs->suggestions.size(), dialogsBefore);

    // Dropped files: each asks the question; Cancel ignores the rest.
    m_dialogs->buttons = {QMessageBox::No, QMessageBox::Cancel};
    m_window->openDroppedFiles({path, saved});
    EXPECT_EQ(m_window->savePath(), path);
}

TEST_F(MainWindowTest, FieldListCommands)
{
    m_window->startUp(QString());
    m_window->show();
    m_window->project().ListField.clear();
    m_window->RefreshLists();
    QMenu *kinds = m_window->fieldKindMenu();
    QStringList captions;
    for (QAction *a : kinds->actions())
        captions.append(a->text());
    EXPECT_EQ(
        captions,
        (QStringList{QStringLiteral("Einzeiliges Textfeld"), QStringLiteral("Password Textfeld"),
                     QStringLiteral("Mehrzeiliges Textfeld"), QStringLiteral("Liste/Dropdown Feld"),
                     QStringLiteral("CheckBox"), QStringLiteral("Zwischentext"),
                     QStringLiteral("RadioButtons"), QStringLiteral("Datei-Upload Feld")}));

    // "Neu" pops up the kinds; an entry opens the editor; Abbrechen adds nothing.
    click("btnNeuFeld");
    EXPECT_TRUE(kinds->isVisible());
    kinds->close();
    for (const char *name : {"a", "b", "c"}) {
        m_editors->nextName = QString::fromLatin1(name);
        kinds->actions()[0]->trigger();
    }
    m_editors->accept = false;
    kinds->actions()[1]->trigger();
    m_editors->accept = true;
    EXPECT_EQ(column(fields()),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_EQ(column(fields(), 2)[0], QStringLiteral("Einzeiliges Textfeld"));

    // Without a selection nothing happens.
    fields()->clearSelection();
    fields()->setCurrentItem(nullptr);
    const int calls = m_editors->fieldCalls;
    click("btnBearbeitenFeld");
    click("btnLoeschenFeld");
    click("btnHochFeld");
    click("btnRunterFeld");
    EXPECT_EQ(m_editors->fieldCalls, calls);
    EXPECT_TRUE(m_dialogs->questions.empty());
    EXPECT_EQ(column(fields()).size(), 3);

    // Arrows keep the moved row selected and stop at the ends.
    selectRow(fields(), 0);
    click("btnRunterFeld");
    EXPECT_EQ(column(fields()),
              (QStringList{QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("c")}));
    EXPECT_EQ(selected(fields()), 1);
    click("btnRunterFeld");
    EXPECT_EQ(selected(fields()), 2);
    click("btnRunterFeld");
    EXPECT_EQ(column(fields()),
              (QStringList{QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("a")}));
    EXPECT_EQ(selected(fields()), 2);
    selectRow(fields(), 0);
    click("btnHochFeld");
    EXPECT_EQ(column(fields()),
              (QStringList{QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("a")}));

    // Edit tells the editor the position; double-click edits too.
    selectRow(fields(), 1);
    m_editors->nextName = QStringLiteral("x");
    click("btnBearbeitenFeld");
    EXPECT_EQ(m_editors->lastFeldNr, 1);
    EXPECT_EQ(column(fields(), 1)[1], QStringLiteral("Beschriftung x"));
    selectRow(fields(), 2);
    const QRect rect = fields()->visualItemRect(fields()->topLevelItem(2));
    QTest::mouseClick(fields()->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(fields()->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(m_editors->lastFeldNr, 2);

    // Delete asks; No keeps, Yes removes; the Delete key does the same.
    selectRow(fields(), 0);
    m_dialogs->buttons = {QMessageBox::No, QMessageBox::Yes};
    click("btnLoeschenFeld");
    EXPECT_EQ(column(fields()).size(), 3);
    click("btnLoeschenFeld");
    EXPECT_EQ(column(fields()), (QStringList{QStringLiteral("c"), QStringLiteral("a")}));
    EXPECT_EQ(m_dialogs->questions.back().text,
              QStringLiteral("Soll der Eintrag wirklich gelöscht werden?"));
    selectRow(fields(), 1);
    fields()->setFocus();
    m_dialogs->buttons = {QMessageBox::Yes};
    QTest::keyClick(fields(), Qt::Key_Delete);
    EXPECT_EQ(column(fields()), QStringList{QStringLiteral("c")});
}

TEST_F(MainWindowTest, ArticleListCommands)
{
    m_window->startUp(QString());
    m_window->show();
    m_window->project().ListArtikel.clear();
    m_window->RefreshLists();
    for (const char *name : {"Tee", "Kaffee"}) {
        m_editors->nextName = QString::fromLatin1(name);
        click("btnNeuArtikel");
    }
    m_editors->accept = false;
    click("btnNeuArtikel");
    m_editors->accept = true;
    EXPECT_EQ(column(articles(), 1),
              (QStringList{QStringLiteral("Tee"), QStringLiteral("Kaffee")}));
    EXPECT_EQ(column(articles(), 2)[0], QStringLiteral("2,5"));

    articles()->clearSelection();
    articles()->setCurrentItem(nullptr);
    click("btnLoeschenArtikel");
    click("btnHochArtikel");
    EXPECT_TRUE(m_dialogs->questions.empty());

    selectRow(articles(), 1);
    click("btnHochArtikel");
    EXPECT_EQ(column(articles(), 1),
              (QStringList{QStringLiteral("Kaffee"), QStringLiteral("Tee")}));
    EXPECT_EQ(selected(articles()), 0);
    m_dialogs->buttons = {QMessageBox::Yes};
    click("btnLoeschenArtikel");
    EXPECT_EQ(column(articles(), 1), QStringList{QStringLiteral("Tee")});
}

TEST_F(MainWindowTest, ColourPairsKeepInStepBothWays)
{
    m_window->startUp(QString());
    m_window->show();
    for (const ColourPair &pair : colourPairs()) {
        SCOPED_TRACE(pair.edit);
        auto *edit = find<QLineEdit>(QString::fromLatin1(pair.edit));
        auto *button = find<QPushButton>(QString::fromLatin1(pair.button));
        // After loading, the button follows its edit.
        EXPECT_EQ(button->property("colour").value<QColor>(), *colourFromText(edit->text()));
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("00ff00"));
        QTest::keyClick(edit, Qt::Key_Return); // ends the input as leaving the edit does
        EXPECT_EQ(button->property("colour").value<QColor>(), QColor(0, 255, 0));
        // A text that is no colour leaves the button as it was.
        edit->setText(QStringLiteral("xyz"));
        Q_EMIT edit->editingFinished();
        EXPECT_EQ(button->property("colour").value<QColor>(), QColor(0, 255, 0));
        m_dialogs->colour = QColor(255, 0, 0);
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(edit->text(), QStringLiteral("FF0000"));
        EXPECT_EQ(button->property("colour").value<QColor>(), QColor(255, 0, 0));
        m_dialogs->colour.reset(); // the picker cancelled
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(edit->text(), QStringLiteral("FF0000"));
    }
}

TEST_F(MainWindowTest, DesignCheckBoxesShowAndHideTheirControls)
{
    m_window->startUp(QString());
    m_window->show();
    find<QTabWidget>(QStringLiteral("pcMain"))->setCurrentIndex(4);
    struct Case
    {
        const char *box;
        QStringList controls;
        bool visibleWhenTicked;
    } cases[] = {
        {"cboStandardButton", buttonDesignKeys(), false},
        {"cboStandardFeld", fieldDesignKeys(), false},
        {"chkPrintButton", {QStringLiteral("edtPrint")}, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.box);
        auto *box = find<QCheckBox>(QString::fromLatin1(c.box));
        for (bool ticked : {true, false, true}) {
            if (box->isChecked() != ticked)
                QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
            ASSERT_EQ(box->isChecked(), ticked);
            for (const QString &key : c.controls)
                EXPECT_EQ(find<QWidget>(key)->isVisible(), ticked == c.visibleWhenTicked)
                    << key.toStdString();
        }
        // Loading a project applies the rule as well.
        m_window->project().setFlag(QString::fromLatin1(c.box), false);
        m_window->projectToControls();
        for (const QString &key : c.controls)
            EXPECT_EQ(find<QWidget>(key)->isVisible(), !c.visibleWhenTicked) << key.toStdString();
    }
}

TEST_F(MainWindowTest, CopyToSenderNeedsAFieldNamedEmail)
{
    struct Case
    {
        const char *fieldName;
        bool stays;
    } cases[] = {{nullptr, false}, {"Email", false}, {"email", true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fieldName ? c.fieldName : "kein Feld");
        TearDown();
        SetUp();
        m_window->startUp(QString());
        m_window->project().ListField.clear();
        if (c.fieldName)
            addFields({{"TEinzField", c.fieldName}});
        m_window->show();
        find<QTabWidget>(QStringLiteral("pcMain"))->setCurrentIndex(2);
        auto *box = find<QCheckBox>(QStringLiteral("chkAbsender"));
        box->setChecked(false);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        EXPECT_EQ(box->isChecked(), c.stays);
        EXPECT_EQ(m_dialogs->told.size(), c.stays ? 0u : 1u);
        if (!c.stays && !m_dialogs->told.empty()) {
            EXPECT_EQ(
                m_dialogs->told[0].text,
                QStringLiteral("Damit diese Funktion funktioniert, muss ein Feld mit dem Namen "
                               "\"email\" vorhanden sein."));
        }
    }
}

TEST_F(MainWindowTest, PlaceholderInsertion)
{
    m_window->startUp(QString());
    m_window->project().ListField.clear();
    addFields({{"TPassField", "pw"},
               {"TFileField", "datei"},
               {"TZwField", "text"},
               {"TEinzField", "ort"}});
    auto *combo = find<QComboBox>(QStringLiteral("cboPlatzhalter"));
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    EXPECT_EQ(items, (QStringList{QStringLiteral("pw"), QStringLiteral("ort")}));

    auto *memo = find<QPlainTextEdit>(QStringLiteral("memoMailtext"));
    memo->setPlainText(QStringLiteral("Hallo XXX!"));
    QTextCursor cursor = memo->textCursor();
    cursor.setPosition(6);
    cursor.setPosition(9, QTextCursor::KeepAnchor);
    memo->setTextCursor(cursor);
    combo->setCurrentIndex(1);
    click("btnPlatzhalterEinfuegen");
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("Hallo {#ort#}!"));
    // A typed name works; an empty one inserts nothing.
    combo->setEditText(QStringLiteral("kunde"));
    click("btnPlatzhalterEinfuegen");
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("Hallo {#ort#}{#kunde#}!"));
    combo->setEditText(QString());
    click("btnPlatzhalterEinfuegen");
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("Hallo {#ort#}{#kunde#}!"));
}

TEST_F(MainWindowTest, TemplatesSaveInsertAndDelete)
{
    m_window->startUp(QString());
    m_window->project().ListField.clear();
    addFields({{"TEinzField", "email"}});
    m_window->project().ListField[0]->Beschriftung = QStringLiteral("Meine E-Mail");
    m_window->RefreshLists();
    auto *combo = find<QComboBox>(QStringLiteral("cboVorlagen"));
    const int before = combo->count();

    // Nothing chosen, nothing selected: nothing happens.
    click("btnEinfuegenVorlageFeld");
    EXPECT_EQ(m_window->project().ListField.size(), 1u);
    fields()->setCurrentItem(nullptr);
    m_window->saveFieldAsTemplate();
    EXPECT_EQ(combo->count(), before);

    selectRow(fields(), 0);
    m_window->saveFieldAsTemplate();
    ASSERT_EQ(combo->count(), before + 1);
    EXPECT_EQ(combo->itemText(before), QStringLiteral("Meine E-Mail"));
    combo->setCurrentIndex(before);
    click("btnEinfuegenVorlageFeld");
    ASSERT_EQ(m_window->project().ListField.size(), 2u);
    EXPECT_TRUE(m_window->project().ListField[1]->equals(*m_window->project().ListField[0]));

    // The manager deletes the template after its question.
    m_dialogs->modal = [this](QDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Vorlagen verwalten"));
        auto *list = dialog.findChild<QListWidget *>(QStringLiteral("lstVorlagen"));
        auto *remove = dialog.findChild<QPushButton *>(QStringLiteral("btnVorlageLoeschen"));
        list->setCurrentRow(list->count() - 1);
        m_dialogs->buttons = {QMessageBox::No, QMessageBox::Yes};
        QTest::mouseClick(remove, Qt::LeftButton);
        EXPECT_EQ(list->count(), m_templateCount);
        QTest::mouseClick(remove, Qt::LeftButton);
        EXPECT_EQ(list->count(), m_templateCount - 1);
        EXPECT_EQ(m_dialogs->questions.back().title, QStringLiteral("Eintrag löschen"));
        EXPECT_EQ(m_dialogs->questions.back().text, QStringLiteral("Diesen Eintrag löschen?"));
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("btnSchliessen")),
                          Qt::LeftButton);
        return dialog.result();
    };
    m_templateCount = combo->count();
    action("actFeldVorlagen")->trigger();
    EXPECT_EQ(combo->count(), before);
    EXPECT_EQ(combo->currentIndex(), -1);

    // Articles: saved under their name.
    auto artikel = std::make_unique<TArtikelField>();
    artikel->name = QStringLiteral("Grüner Tee");
    m_window->project().ListArtikel.clear();
    m_window->project().ListArtikel.push_back(std::move(artikel));
    m_window->RefreshLists();
    selectRow(articles(), 0);
    m_window->saveArticleAsTemplate();
    auto *articleCombo = find<QComboBox>(QStringLiteral("cboVorlagenArtikel"));
    EXPECT_EQ(articleCombo->itemText(articleCombo->count() - 1), QStringLiteral("Grüner Tee"));
    articleCombo->setCurrentIndex(articleCombo->count() - 1);
    click("btnEinfuegenVorlageArtikel");
    EXPECT_EQ(column(articles(), 1),
              (QStringList{QStringLiteral("Grüner Tee"), QStringLiteral("Grüner Tee")}));
}

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
    // Captcha on: the export asks nothing of it.
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
    // Captcha on: only the order button is warned of.
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

// A page without captcha that posts to our form mailer, whose delivered
// configuration demands a code, would have every order refused: the HTML
// export and the upload ask first, "Nein" stops them. Not asked: a project
// with captcha, one that posts elsewhere, the PHP script (it posts to itself).
TEST_F(MainWindowTest, CaptchaOffIsWarnedOfBeforeExportAndUpload)
{
    m_window->startUp(QString());
    m_window->project().FormMailerList << QStringLiteral("https://shop.example/bestellen");
    const QString htmlPath = projectFile(QStringLiteral("formular.htm"));
    const struct
    {
        const char *what;
        bool captcha;
        const char *mailer;
        int uploadFormat; // 0 HTML, 1 PHP
        bool asked;
    } cases[] = {
        {"the delivered form mailer", false, "https://www.ihre-domain.example/formmail.php", 0,
         true},
        {"formmail.php elsewhere", false, "https://shop.example/cgi/FormMail.php?x=1", 0, true},
        {"a form mailer of the list", false, "https://shop.example/bestellen", 0, true},
        {"captcha on", true, "https://www.ihre-domain.example/formmail.php", 0, false},
        {"another mailer", false, "https://example.org/mailer.cgi", 0, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        find<QCheckBox>(QStringLiteral("chkCaptcha"))->setChecked(c.captcha);
        find<QComboBox>(QStringLiteral("cboFormMailer"))
            ->setCurrentText(QString::fromLatin1(c.mailer));
        find<QComboBox>(QStringLiteral("cboUploadFormat"))->setCurrentIndex(c.uploadFormat);
        QFile::remove(htmlPath);
        m_dialogs->questions.clear();
        m_dialogs->answers = {false};
        m_dialogs->saveNames = {htmlPath};
        action("actHtmlExport")->trigger();
        ASSERT_EQ(m_dialogs->questions.size(), c.asked ? 1u : 0u);
        EXPECT_EQ(QFile::exists(htmlPath), !c.asked) << "Nein stops the export";
        if (!c.asked)
            continue;
        const auto &question = m_dialogs->questions[0];
        EXPECT_EQ(question.title, QStringLiteral("HTML Export"));
        EXPECT_TRUE(question.text.contains(QStringLiteral("Captcha-Spamschutz aktivieren")));
        EXPECT_TRUE(question.text.contains(QStringLiteral("captcha_required")));
        EXPECT_TRUE(question.text.contains(QString::fromLatin1(c.mailer)));
        EXPECT_TRUE(question.text.endsWith(QStringLiteral("Trotzdem fortfahren?")));
        m_dialogs->answers = {false};
        EXPECT_FALSE(m_window->ftpUpload());
        ASSERT_EQ(m_dialogs->questions.size(), 2u);
        EXPECT_EQ(m_dialogs->questions[1].title, QStringLiteral("FTP-Upload"));
        // "Ja" exports all the same.
        m_dialogs->answers = {true};
        m_dialogs->saveNames = {htmlPath};
        action("actHtmlExport")->trigger();
        EXPECT_TRUE(QFile::exists(htmlPath));
    }
    // The PHP script posts to itself: its upload asks nothing of the captcha.
    find<QCheckBox>(QStringLiteral("chkCaptcha"))->setChecked(false);
    find<QComboBox>(QStringLiteral("cboFormMailer"))
        ->setCurrentText(QStringLiteral("https://www.ihre-domain.example/formmail.php"));
    find<QComboBox>(QStringLiteral("cboUploadFormat"))->setCurrentIndex(1);
    m_dialogs->questions.clear();
    QSignalSpy finished(m_window.get(), &TfrmMain::ftpFinished);
    ASSERT_TRUE(m_window->ftpUpload());
    ASSERT_TRUE(finished.wait(30000));
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
    action("actHilfe")->trigger();
    EXPECT_EQ(m_dialogs->urls,
              (std::vector<QString>{
                  QStringLiteral("https://example.org/formmail.php?a=1?action=checkurl"),
                  QStringLiteral("https://example.org/danke.htm"),
                  QDir(kProgramDir).filePath(QStringLiteral("help/vqbest.htm"))}));
    EXPECT_TRUE(QFile::exists(m_dialogs->urls.back()));
    action("actRechnungsmodul")->trigger();
    EXPECT_EQ(m_dialogs->programs,
              std::vector<QString>{
                  QDir(kProgramDir).filePath(QStringLiteral("rechtool/vq_bestell_rechnung"))});
    // Without an updater installed nothing starts.
    action("actUpdate")->trigger();
    EXPECT_EQ(m_dialogs->programs.size(), 1u);
}

// The upload from the window against a real FTP server: the page or script
// lands under the chosen name, the log shows each step and never the
// password, failures end as log lines or as a message, and the window stays
// usable while the worker runs.
TEST_F(MainWindowTest, FtpUploadToARealServer)
{
    FtpServer server;
    ASSERT_TRUE(server.ok());
    m_window->startUp(QString());
    // Captcha on: the upload asks nothing of it.
    find<QCheckBox>(QStringLiteral("chkCaptcha"))->setChecked(true);
    auto set = [this](const char *name, const QString &text) {
        find<QLineEdit>(QString::fromLatin1(name))->setText(text);
    };
    struct Case
    {
        const char *what;
        QString port;
        QString password;
        QString folder;
        int format; // 0 HTML, 1 PHP
        bool passive;
        QString storedAs; // relative to the server's root; empty: nothing stored
        QStringList logHas;
        QString message; // start of a message box text; empty: none
        bool tls = false;
    };
    const QString port = QString::number(server.port());
    const QString pw = QString::fromLatin1(FtpServer::password);
    const QStringList okLines{
        QStringLiteral("Versuche Verbindung aufzunehmen..."), QStringLiteral("Username: kunde"),
        QStringLiteral("Passwort: ********"), QStringLiteral("Verbindung hergestellt!")};
    const Case cases[] = {
        {"html into a folder, passive",
         port,
         pw,
         QStringLiteral("htdocs/shop"),
         0,
         true,
         QStringLiteral("htdocs/shop/seite.txt"),
         okLines
             + QStringList{QStringLiteral("Verzeichniswechsel nach: htdocs/shop"),
                           QStringLiteral("Dateien erfolgreich übertragen!")},
         {}},
        {"php into the login folder, active",
         port,
         pw,
         QString(),
         1,
         false,
         QStringLiteral("seite.txt"),
         okLines
             + QStringList{QStringLiteral("Verzeichniswechsel nach: "),
                           QStringLiteral("Dateien erfolgreich übertragen!")},
         {}},
        {"missing folder",
         port,
         pw,
         QStringLiteral("gibtsnicht"),
         0,
         true,
         QString(),
         {QStringLiteral("Fehler bei FTP-Übertragung."),
          QStringLiteral("sowie das angegebene Verzeichnis auf dem"),
          QStringLiteral("Fehlermeldung des Servers:")},
         {}},
        {"wrong password",
         port,
         QStringLiteral("falsch"),
         QString(),
         0,
         true,
         QString(),
         {QStringLiteral("Fehler bei FTP-Übertragung."),
          QStringLiteral("Bitte überprüfen Sie Benutzername/Passwort")},
         {}},
        {"nobody listening", QString::number(freeLocalPort()), pw, QString(), 0, true, QString(),
         okLines.mid(0, 3), QStringLiteral("*")},
        // The test server speaks no TLS: asked for FTPS, the upload stops
        // before the login rather than send the password in clear.
        {"FTPS asked of a server without TLS",
         port,
         pw,
         QString(),
         0,
         true,
         QString(),
         okLines.mid(0, 3) + QStringList{QStringLiteral("Fehler bei FTP-Übertragung.")},
         {},
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QDir(server.root()).remove(QStringLiteral("seite.txt"));
        QDir(server.root()).remove(QStringLiteral("htdocs/shop/seite.txt"));
        m_dialogs->told.clear();
        set("edtFtpServer", QStringLiteral("127.0.0.1"));
        set("edtPort", c.port);
        set("edtUsername", QString::fromLatin1(FtpServer::user));
        set("edtPasswort", c.password);
        set("edtFolder", c.folder);
        set("edtDateiname", QStringLiteral("seite.txt"));
        find<QComboBox>(QStringLiteral("cboUploadFormat"))->setCurrentIndex(c.format);
        find<QCheckBox>(QStringLiteral("chkPassiv"))->setChecked(c.passive);
        find<QCheckBox>(QStringLiteral("chkFtpTls"))->setChecked(c.tls);

        QSignalSpy finished(m_window.get(), &TfrmMain::ftpFinished);
        ASSERT_TRUE(m_window->ftpUpload());
        EXPECT_TRUE(m_window->ftpBusy());
        EXPECT_FALSE(action("tbFtpUpload")->isEnabled()) << "no second upload while one runs";
        EXPECT_FALSE(m_window->ftpUpload());
        ASSERT_TRUE(finished.wait(30000));
        EXPECT_EQ(finished.first().first().toBool(), !c.storedAs.isEmpty());
        EXPECT_TRUE(action("tbFtpUpload")->isEnabled());
        EXPECT_FALSE(m_window->logWindow()->busy());

        const QString log = m_window->logWindow()->text();
        EXPECT_TRUE(m_window->logWindow()->isVisible());
        for (const QString &line : c.logHas)
            EXPECT_TRUE(log.split(u'\n').contains(line)) << line.toStdString() << "\n"
                                                         << log.toStdString();
        EXPECT_FALSE(log.contains(pw)) << log.toStdString();
        if (c.tls) {
            EXPECT_FALSE(log.contains(QStringLiteral("Verbindung hergestellt!")))
                << log.toStdString();
        }
        if (c.message.isEmpty()) {
            EXPECT_TRUE(m_dialogs->told.empty());
        } else {
            ASSERT_EQ(m_dialogs->told.size(), 1u);
            EXPECT_FALSE(m_dialogs->told[0].text.isEmpty());
            EXPECT_FALSE(m_dialogs->told[0].text.contains(pw));
        }
        if (!c.storedAs.isEmpty()) {
            const QByteArray stored = readFile(QDir(server.root()).filePath(c.storedAs));
            EXPECT_TRUE(stored.contains(c.format == 1 ? "<?php" : "<html"))
                << stored.left(200).toStdString();
            // Stored in ASCII mode: the server may turn CR LF into its own line breaks.
            QByteArray sent =
                readFile(QDir(tempFolder())
                             .filePath(c.format == 1 ? QStringLiteral("vqform_temp.php")
                                                     : QStringLiteral("vqform_temp.htm")));
            EXPECT_TRUE(stored == sent || stored == sent.replace("\r\n", "\n"))
                << "the temporary file is what was stored";
        }
    }

    // A failed check shows its message, touches no server and leaves the log alone.
    struct Check
    {
        const char *what;
        QString server, fileName, port, message, portAfter;
    };
    const Check checks[] = {
        {"no server", QString(), QStringLiteral("a.htm"), port,
         QStringLiteral("Fehler: Kein FTP-Server angegeben. Bitte geben Sie einen FTP-Server an."),
         port},
        {"no file name", QStringLiteral("127.0.0.1"), QString(), port,
         QStringLiteral(
             "Fehler: Keine Datei angeben. Bitte geben Sie eine Datei für den FTP-Upload an."),
         port},
        {"port with letters", QStringLiteral("127.0.0.1"), QStringLiteral("a.htm"),
         QStringLiteral("2x1"),
         QStringLiteral("Fehler: FTP-Port muss eine Zahl sein. Standardport ist 21."),
         QStringLiteral("21")},
    };
    const QString logBefore = m_window->logWindow()->text();
    for (const Check &c : checks) {
        SCOPED_TRACE(c.what);
        m_dialogs->told.clear();
        set("edtFtpServer", c.server);
        set("edtDateiname", c.fileName);
        set("edtPort", c.port);
        QSignalSpy finished(m_window.get(), &TfrmMain::ftpFinished);
        ASSERT_TRUE(m_window->ftpUpload());
        ASSERT_TRUE(finished.wait(30000));
        ASSERT_EQ(m_dialogs->told.size(), 1u);
        EXPECT_EQ(m_dialogs->told[0].text, c.message);
        EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtPort"))->text(), c.portAfter);
        EXPECT_EQ(m_window->logWindow()->text(), logBefore);
    }

    // "Schließen" hides the one log window.
    QTest::mouseClick(
        m_window->logWindow()->findChild<QPushButton *>(QStringLiteral("btnSchliessen")),
        Qt::LeftButton);
    EXPECT_FALSE(m_window->logWindow()->isVisible());
}

// The profile list picked from the main window: its columns, the commands,
// the editor's checks, saving on every close, and the chosen profile filling
// the FTP settings while folder and file name stay.
TEST_F(MainWindowTest, FtpProfilesPickEditAndSave)
{
    m_window->startUp(QString());
    const QString path = appDataFile(QString::fromLatin1(kFtpProfilesFile));
    TFtpProfile a{QStringLiteral("Shop"), QStringLiteral("ftp.shop.example"), QStringLiteral("21"),
                  QStringLiteral("anna"), QStringLiteral("geheim"),           true};
    a.ftps = true;
    TFtpProfile b{QStringLiteral("Test"),
                  QStringLiteral("127.0.0.1"),
                  QStringLiteral("2121"),
                  QStringLiteral("bert"),
                  QString(),
                  false};
    QString error;
    ASSERT_TRUE(writeFtpProfiles(path, {a, b}, &error)) << error.toStdString();
    find<QLineEdit>(QStringLiteral("edtFolder"))->setText(QStringLiteral("htdocs"));
    find<QLineEdit>(QStringLiteral("edtDateiname"))->setText(QStringLiteral("bestellung.htm"));

    auto rows = [](TftpProfiles &list) {
        auto *tree = list.findChild<QTreeWidget *>(QStringLiteral("lvProfiles"));
        QList<QStringList> texts;
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QStringList row;
            for (int c = 0; c < tree->columnCount(); ++c)
                row.append(tree->topLevelItem(i)->text(c));
            texts.append(row);
        }
        return texts;
    };
    auto select = [](TftpProfiles &list, int row) {
        auto *tree = list.findChild<QTreeWidget *>(QStringLiteral("lvProfiles"));
        tree->setCurrentItem(row < 0 ? nullptr : tree->topLevelItem(row));
        if (row < 0)
            tree->clearSelection();
    };

    // Pick the first profile by "Übernehmen".
    m_dialogs->modal = [&](QDialog &dialog) {
        auto *list = qobject_cast<TftpProfiles *>(&dialog);
        EXPECT_NE(list, nullptr);
        EXPECT_TRUE(list->SelectMode);
        EXPECT_TRUE(isAccessible(dialog));
        EXPECT_EQ(
            rows(*list),
            (QList<QStringList>{
                {QStringLiteral("Shop"), QStringLiteral("ftp.shop.example"), QStringLiteral("21"),
                 QStringLiteral("anna"), QStringLiteral("******"), QStringLiteral("x")},
                {QStringLiteral("Test"), QStringLiteral("127.0.0.1"), QStringLiteral("2121"),
                 QStringLiteral("bert"), QString(), QString()}}));
        select(*list, -1);
        list->takeOver();
        EXPECT_EQ(m_dialogs->told.back().text,
                  QStringLiteral(
                      "Bitte markieren Sie zuerst das Profil, welches Sie übernehmen wollen."));
        select(*list, 0);
        list->takeOver();
        return list->result();
    };
    click("btnFtpProfile");
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtFtpServer"))->text(), a.server);
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtPort"))->text(), a.port);
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtUsername"))->text(), a.benutzername);
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtPasswort"))->text(), a.passwort);
    EXPECT_TRUE(find<QCheckBox>(QStringLiteral("chkPassiv"))->isChecked());
    EXPECT_TRUE(find<QCheckBox>(QStringLiteral("chkFtpTls"))->isChecked());
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtFolder"))->text(), QStringLiteral("htdocs"));
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtDateiname"))->text(),
              QStringLiteral("bestellung.htm"));

    // New profile through the editor's checks, delete one, leave: the file holds the change.
    struct EditorCheck
    {
        QString name, server, port, user, message, focus;
    };
    const EditorCheck editorChecks[] = {
        {QString(), QStringLiteral("s"), QStringLiteral("21"), QStringLiteral("u"),
         QStringLiteral("Bitte einen Profilnamen eingeben."), QStringLiteral("edtProfilname")},
        {QStringLiteral("n"), QString(), QStringLiteral("21"), QStringLiteral("u"),
         QStringLiteral("Bitte einen Servernamen eingeben."), QStringLiteral("edtServer")},
        {QStringLiteral("n"), QStringLiteral("s"), QStringLiteral("21"), QString(),
         QStringLiteral("Bitte einen Benutzernamen eingeben."), QStringLiteral("edtBenutzername")},
        {QStringLiteral("n"), QStringLiteral("s"), QStringLiteral("2l"), QStringLiteral("u"),
         QStringLiteral("Im Feld Port bitte nur ganze Zahlen eingeben."),
         QStringLiteral("edtPort")},
    };
    const TFtpProfile added{QStringLiteral("Neu"),
                            QStringLiteral("ftp.neu.example"),
                            QStringLiteral("990"),
                            QStringLiteral("carla"),
                            QStringLiteral("pw"),
                            false,
                            true};
    m_dialogs->modal = [&](QDialog &dialog) {
        if (auto *editor = qobject_cast<TfrmFtpProfileEdit *>(&dialog)) {
            EXPECT_EQ(editor->profile().port, QStringLiteral("21"))
                << "a new profile starts with port 21";
            auto set = [editor](const char *name, const QString &text) {
                editor->findChild<QLineEdit *>(QString::fromLatin1(name))->setText(text);
            };
            for (const EditorCheck &c : editorChecks) {
                set("edtProfilname", c.name);
                set("edtServer", c.server);
                set("edtPort", c.port);
                set("edtBenutzername", c.user);
                m_dialogs->told.clear();
                editor->accept();
                EXPECT_EQ(editor->result(), int(QDialog::Rejected));
                EXPECT_EQ(m_dialogs->told.size(), 1u);
                EXPECT_EQ(m_dialogs->told.back().text, c.message);
                EXPECT_EQ(editor->focusWidget() ? editor->focusWidget()->objectName() : QString(),
                          c.focus);
            }
            editor->setProfile(added);
            editor->accept();
            return editor->result();
        }
        auto *list = qobject_cast<TftpProfiles *>(&dialog);
        list->newProfile();
        select(*list, -1);
        m_dialogs->told.clear();
        list->deleteProfile();
        EXPECT_EQ(
            m_dialogs->told.back().text,
            QStringLiteral("Bitte wählen Sie zuerst das Profil aus, welches Sie löschen wollen."));
        select(*list, 1);
        list->deleteProfile(); // no question
        EXPECT_EQ(list->ServerList.size(), 2);
        list->findChild<QAction *>(QStringLiteral("actVerlassen"))->trigger();
        return list->result();
    };
    find<QLineEdit>(QStringLiteral("edtFtpServer"))->setText(QStringLiteral("unverändert"));
    action("actFtpProfile")->trigger();
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtFtpServer"))->text(),
              QStringLiteral("unverändert"))
        << "leaving picks nothing";
    EXPECT_EQ(readFtpProfiles(path, &error), (QList<TFtpProfile>{a, added}));

    // A damaged file: the user is told, and the unread profiles survive beside the new file.
    QByteArray damaged = readFile(path);
    damaged.replace("<passiv>", "<kaputt>").replace("</passiv>", "</kaputt>");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(damaged);
    }
    m_dialogs->told.clear();
    m_dialogs->modal = [&](QDialog &dialog) {
        dialog.reject();
        return dialog.result();
    };
    action("actFtpProfile")->trigger();
    ASSERT_EQ(m_dialogs->told.size(), 1u);
    EXPECT_TRUE(m_dialogs->told[0].text.contains(QStringLiteral("profiles.xml.bak")));
    EXPECT_EQ(readFile(path + QStringLiteral(".bak")), damaged);
}

// "Verbindung testen" in the profile editor against a real server, on a worker.
TEST_F(MainWindowTest, FtpProfileConnectionTest)
{
    FtpServer server;
    ASSERT_TRUE(server.ok());
    m_window->startUp(QString());
    const QString pw = QString::fromLatin1(FtpServer::password);
    struct Case
    {
        const char *what;
        QString port, password;
        bool ok;
        QStringList logHas;
        QString message;
    };
    const QString port = QString::number(server.port());
    const Case cases[] = {
        {"logs in",
         port,
         pw,
         true,
         {QStringLiteral("Versuche Verbindung aufzunehmen..."), QStringLiteral("Username: kunde"),
          QStringLiteral("Passwort: ********"),
          QStringLiteral("Verbindung erfolgreich hergestellt!")},
         {}},
        {"wrong password",
         port,
         QStringLiteral("falsch"),
         false,
         {QStringLiteral("Fehler bei FTP-Übertragung."),
          QStringLiteral("Bitte überprüfen Sie Benutzername/Passwort"),
          QStringLiteral("Fehlermeldung des Servers:")},
         {}},
        {"port no number",
         QStringLiteral("ftp"),
         pw,
         false,
         {},
         QStringLiteral("Bitte einen numerischen Wert im Feld Port eintragen!")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        m_dialogs->told.clear();
        TfrmFtpProfileEdit editor(*m_dialogs, m_window->logWindow(), m_window.get());
        editor.setProfile({QStringLiteral("p"), QStringLiteral("127.0.0.1"), c.port,
                           QString::fromLatin1(FtpServer::user), c.password, true});
        QSignalSpy finished(&editor, &TfrmFtpProfileEdit::testFinished);
        QTest::mouseClick(editor.findChild<QPushButton *>(QStringLiteral("btnVerbindungTesten")),
                          Qt::LeftButton);
        EXPECT_TRUE(editor.testing());
        ASSERT_TRUE(finished.wait(30000));
        EXPECT_EQ(finished.first().first().toBool(), c.ok);
        const QString log = m_window->logWindow()->text();
        for (const QString &line : c.logHas)
            EXPECT_TRUE(log.split(u'\n').contains(line)) << line.toStdString() << "\n"
                                                         << log.toStdString();
        EXPECT_FALSE(log.contains(QStringLiteral("sowie das angegebene Verzeichnis")))
            << "only the upload names the folder";
        EXPECT_FALSE(log.contains(pw));
        if (c.message.isEmpty())
            EXPECT_TRUE(m_dialogs->told.empty());
        else
            EXPECT_EQ(m_dialogs->told.size() == 1 ? m_dialogs->told[0].text : QString(), c.message);
    }
}

// The form-mailer manager: edits reach the file only after "Ja" on the save
// question; "Abbrechen" keeps the window open; the drop-down is reloaded
// afterwards and keeps the typed text.
TEST_F(MainWindowTest, FormMailerManagerAndSaveQuestion)
{
    const QString path = appDataFile(QString::fromLatin1(kFormMailerListFile));
    m_window->startUp(QString());
    QString error;
    const QStringList start{QStringLiteral("https://a.example/formmail.php"),
                            QStringLiteral("https://b.example/formmail.php")};
    ASSERT_TRUE(writeFormMailerList(path, start, &error));
    auto *combo = find<QComboBox>(QStringLiteral("cboFormMailer"));
    combo->setCurrentText(QStringLiteral("https://eigen.example/fm.php"));

    auto edit = [&](QMessageBox::StandardButton answer) {
        m_dialogs->modal = [&](QDialog &dialog) {
            if (auto *link = qobject_cast<TfrmFormMailerLink *>(&dialog)) {
                EXPECT_TRUE(isAccessible(dialog));
                auto *box = link->findChild<QLineEdit *>(QStringLiteral("edtLink"));
                EXPECT_EQ(box->text(), QStringLiteral("http://"))
                    << "a new link starts with the scheme";
                box->setText(QStringLiteral("https://c.example/formmail.php"));
                QTest::mouseClick(link->findChild<QPushButton *>(QStringLiteral("btnLinkTesten")),
                                  Qt::LeftButton);
                link->accept();
                return link->result();
            }
            auto *manager = qobject_cast<TfrmFormMailers *>(&dialog);
            EXPECT_EQ(manager->links(), start);
            manager->newLink();
            manager->selectRow(0);
            manager->deleteLink(); // at once, without a question
            manager->selectRow(-1);
            manager->deleteLink(); // nothing selected: nothing happens
            EXPECT_EQ(manager->links(),
                      (QStringList{start[1], QStringLiteral("https://c.example/formmail.php")}));
            m_dialogs->buttons = {QMessageBox::Cancel, answer};
            manager->reject();
            EXPECT_EQ(manager->result(), int(QDialog::Rejected));
            EXPECT_EQ(m_dialogs->buttons.size(), 1u) << "Abbrechen keeps the window open";
            manager->findChild<QAction *>(QStringLiteral("actVerlassen"))->trigger();
            return manager->result();
        };
        m_dialogs->questions.clear();
        action("actFormmailerLinks")->trigger();
        ASSERT_EQ(m_dialogs->questions.size(), 2u);
        EXPECT_EQ(m_dialogs->questions[0].text, QStringLiteral("Änderungen speichern?"));
    };
    auto items = [combo] {
        QStringList texts;
        for (int i = 0; i < combo->count(); ++i)
            texts.append(combo->itemText(i));
        return texts;
    };

    edit(QMessageBox::No);
    EXPECT_EQ(readFormMailerList(path), start);
    EXPECT_EQ(items(), start);
    EXPECT_EQ(m_dialogs->urls.back(),
              QStringLiteral("https://c.example/formmail.php?action=checkurl"));

    edit(QMessageBox::Yes);
    const QStringList saved{start[1], QStringLiteral("https://c.example/formmail.php")};
    EXPECT_EQ(readFormMailerList(path), saved);
    EXPECT_EQ(items(), saved);
    EXPECT_EQ(combo->currentText(), QStringLiteral("https://eigen.example/fm.php"));
}

// The FTP browser against a real server: connect, the listing with folders,
// files and a link shown as a file, entering a folder, up, F5, the status
// list's colours and masked password, and "Übernehmen" into "Verzeichnis".
TEST_F(MainWindowTest, FtpBrowserPicksTheFolder)
{
    FtpServer server;
    ASSERT_TRUE(server.ok());
    {
        QFile index(QDir(server.root()).filePath(QStringLiteral("htdocs/index.htm")));
        ASSERT_TRUE(index.open(QIODevice::WriteOnly));
        index.write("12345");
    }
    ASSERT_TRUE(QFile::link(QDir(server.root()).filePath(QStringLiteral("htdocs/shop")),
                            QDir(server.root()).filePath(QStringLiteral("htdocs/verweis"))));
    m_window->startUp(QString());
    auto set = [this](const char *name, const QString &text) {
        find<QLineEdit>(QString::fromLatin1(name))->setText(text);
    };
    set("edtFtpServer", QStringLiteral("127.0.0.1"));
    set("edtUsername", QString::fromLatin1(FtpServer::user));
    set("edtPasswort", QString::fromLatin1(FtpServer::password));
    find<QCheckBox>(QStringLiteral("chkPassiv"))->setChecked(true);

    // A port that is no number: message, port reset, no browser.
    set("edtPort", QStringLiteral("einundzwanzig"));
    int opened = 0;
    m_dialogs->modal = [&](QDialog &) {
        ++opened;
        return int(QDialog::Rejected);
    };
    click("btnFtpBrowser");
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(m_dialogs->told.back().text,
              QStringLiteral("Port muss eine Zahl sein. Standardport ist 21."));
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtPort"))->text(), QStringLiteral("21"));
    set("edtPort", QString::number(server.port()));

    auto rows = [](TfrmFTPBrowser &browser) {
        auto *tree = browser.findChild<QTreeWidget *>(QStringLiteral("lvVerzeichnis"));
        QMap<QString, QStringList> byName;
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = tree->topLevelItem(i);
            byName.insert(item->text(0), {item->text(1), item->text(3)});
        }
        return byName;
    };
    auto pathOf = [](TfrmFTPBrowser &browser) {
        return browser.findChild<QLineEdit *>(QStringLiteral("edtPfad"))->text();
    };
    auto activate = [](TfrmFTPBrowser &browser, const QString &name) {
        auto *tree = browser.findChild<QTreeWidget *>(QStringLiteral("lvVerzeichnis"));
        const auto found = tree->findItems(name, Qt::MatchExactly);
        if (found.isEmpty())
            return;
        tree->setCurrentItem(found.first());
        QTest::keyClick(tree, Qt::Key_Return);
    };

    m_dialogs->modal = [&](QDialog &dialog) {
        auto &browser = dynamic_cast<TfrmFTPBrowser &>(dialog);
        QSignalSpy step(&browser, &TfrmFTPBrowser::stepFinished);
        m_dialogs->told.clear();
        browser.takeOver();
        EXPECT_EQ(m_dialogs->told.size(), 1u);
        EXPECT_EQ(browser.result(), int(QDialog::Rejected)) << "not connected: the browser stays";

        auto *connectAction = browser.findChild<QAction *>(QStringLiteral("actVerbinden"));
        connectAction->trigger();
        EXPECT_TRUE(browser.busy());
        EXPECT_FALSE(connectAction->isEnabled());
        EXPECT_TRUE(step.wait(20000));
        EXPECT_TRUE(browser.connected());
        EXPECT_FALSE(connectAction->isEnabled());
        EXPECT_EQ(pathOf(browser), QStringLiteral("/"));
        EXPECT_EQ(rows(browser).value(QStringLiteral("htdocs")),
                  (QStringList{QString(), QStringLiteral("<DIR>")}));

        activate(browser, QStringLiteral("htdocs"));
        EXPECT_TRUE(step.wait(20000));
        EXPECT_EQ(pathOf(browser), QStringLiteral("/htdocs"));
        const auto inHtdocs = rows(browser);
        EXPECT_EQ(inHtdocs.value(QStringLiteral("index.htm")),
                  (QStringList{QStringLiteral("5"), QString()}));
        EXPECT_EQ(inHtdocs.value(QStringLiteral("shop")).value(1), QStringLiteral("<DIR>"));
        EXPECT_EQ(inHtdocs.value(QStringLiteral("verweis")).value(1), QString())
            << "a link is shown as a file";
        // A link cannot be entered.
        const int steps = int(step.size());
        activate(browser, QStringLiteral("verweis"));
        EXPECT_FALSE(browser.busy());
        EXPECT_EQ(step.size(), steps);

        // F5 lists the current folder again and sees a new file.
        QFile::copy(QDir(server.root()).filePath(QStringLiteral("htdocs/index.htm")),
                    QDir(server.root()).filePath(QStringLiteral("htdocs/neu.htm")));
        QTest::keyClick(browser.findChild<QTreeWidget *>(QStringLiteral("lvVerzeichnis")),
                        Qt::Key_F5);
        EXPECT_TRUE(step.wait(20000));
        EXPECT_TRUE(rows(browser).contains(QStringLiteral("neu.htm")));

        activate(browser, QStringLiteral("shop"));
        EXPECT_TRUE(step.wait(20000));
        EXPECT_EQ(pathOf(browser), QStringLiteral("/htdocs/shop"));
        browser.findChild<QAction *>(QStringLiteral("actEbeneHoch"))->trigger();
        EXPECT_TRUE(step.wait(20000));
        EXPECT_EQ(pathOf(browser), QStringLiteral("/htdocs"));

        // The status list: commands red, replies blue, PASS masked, newest selected.
        auto *status = browser.findChild<QListWidget *>(QStringLiteral("lbStatus"));
        bool sawPass = false, sawRed = false, sawBlue = false;
        for (int i = 0; i < status->count(); ++i) {
            const QListWidgetItem *item = status->item(i);
            EXPECT_FALSE(item->text().contains(QString::fromLatin1(FtpServer::password)));
            sawPass |= item->text() == u">> PASS *********";
            if (item->text().startsWith(u">> "))
                sawRed |= item->foreground().color() == Qt::red;
            if (item->text().startsWith(u"<< "))
                sawBlue |= item->foreground().color() == Qt::blue;
        }
        EXPECT_TRUE(sawPass && sawRed && sawBlue);
        EXPECT_EQ(status->currentRow(), status->count() - 1);
        EXPECT_EQ(status->palette().color(QPalette::Highlight), QColor(0, 110, 155));
        EXPECT_EQ(status->palette().color(QPalette::HighlightedText), QColor(Qt::white));

        // "Nein" keeps the browser open; "Ja" takes the path.
        m_dialogs->buttons = {QMessageBox::No, QMessageBox::Yes};
        m_dialogs->questions.clear();
        browser.takeOver();
        EXPECT_EQ(browser.result(), int(QDialog::Rejected));
        browser.takeOver();
        EXPECT_EQ(
            m_dialogs->questions.back().text,
            QStringLiteral("Soll der Pfad \"/htdocs\" in das Hauptfenster übernommen werden?"));
        return browser.result();
    };
    click("btnFtpBrowser");
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtFolder"))->text(), QStringLiteral("/htdocs"));

    // Wrong password: the connect message, and "Verbinden" stays usable.
    set("edtPasswort", QStringLiteral("falsch"));
    m_dialogs->modal = [&](QDialog &dialog) {
        auto &browser = dynamic_cast<TfrmFTPBrowser &>(dialog);
        QSignalSpy step(&browser, &TfrmFTPBrowser::stepFinished);
        m_dialogs->told.clear();
        browser.connectToServer();
        EXPECT_TRUE(step.wait(20000));
        EXPECT_FALSE(browser.connected());
        EXPECT_TRUE(browser.findChild<QAction *>(QStringLiteral("actVerbinden"))->isEnabled());
        EXPECT_EQ(m_dialogs->told.size() == 1 ? m_dialogs->told[0].text : QString(),
                  QStringLiteral(
                      "Fehler beim Verbinden, bitte prüfen Sie die Zugangsdaten im Hauptfenster."));
        browser.reject();
        return browser.result();
    };
    click("btnFtpBrowser");
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtFolder"))->text(), QStringLiteral("/htdocs"));
}

// A hostile FTP server's replies (its greeting, the folder PWD names, the
// refusal of a password) reach the FTP browser's path, its status list and
// its question, and the upload log: each shows them literally, the question
// in a real message box as plain text. No picture is loaded. (The test
// server takes commands of at most 2048 bytes, so the longest text here is a
// folder of 2,000 characters; a megabyte goes through every message box in
// plain_text_test.)
TEST_F(MainWindowTest, FtpBrowserAndLogShowAServersRepliesAsPlainText)
{
    WatchedPipe pipe;
    ASSERT_TRUE(pipe.made());
    QList<HostileText> texts = hostileTexts(pipe);
    QString folder = QStringLiteral("<img src=\"/dev/zero\">");
    while (folder.size() < 2000)
        folder += QStringLiteral("/verzeichnis");
    texts.last() = {"ein Pfad aus 2.000 Zeichen", folder, folder};
    // A message box nobody expects is named and closed rather than waited for.
    QTimer unexpected;
    unexpected.setInterval(5000);
    QObject::connect(&unexpected, &QTimer::timeout, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            ADD_FAILURE() << "unexpected message: " << box->text().left(300).toStdString();
            box->reject();
        }
    });
    unexpected.start();
    m_window->startUp(QString());
    // Captcha on: the upload asks nothing of it.
    find<QCheckBox>(QStringLiteral("chkCaptcha"))->setChecked(true);
    auto set = [this](const char *name, const QString &text) {
        find<QLineEdit>(QString::fromLatin1(name))->setText(text);
    };
    for (const HostileText &hostile : texts) {
        SCOPED_TRACE(hostile.name);
        HostileFtpServer server(hostile.text);
        ASSERT_TRUE(server.ok());
        QString quoted = hostile.seen;
        quoted.replace(u'"', QStringLiteral("\"\""));

        UserQuestions dialogs;
        TfrmFTPBrowser browser(dialogs, m_window.get());
        browser.ServerName = QStringLiteral("127.0.0.1");
        browser.ServerPort = server.port();
        browser.Username = QString::fromLatin1(FtpServer::user);
        browser.Password = QString::fromLatin1(FtpServer::password);
        browser.Passiv = true;
        browser.show();
        QSignalSpy step(&browser, &TfrmFTPBrowser::stepFinished);
        browser.connectToServer();
        ASSERT_TRUE(step.wait(20000));
        ASSERT_TRUE(browser.connected());
        EXPECT_EQ(browser.findChild<QLineEdit *>(QStringLiteral("edtPfad"))->text(), hostile.text);
        QStringList status;
        auto *list = browser.findChild<QListWidget *>(QStringLiteral("lbStatus"));
        for (int i = 0; i < list->count(); ++i)
            status << list->item(i)->text();
        EXPECT_TRUE(status.contains(
            cutAt(QStringLiteral("<< 257 \"%1\" is the current directory.").arg(quoted), 1000)))
            << status.join(u'|').left(3000).toStdString();

        ShownMessage question;
        answerMessageBox(&question, QMessageBox::No);
        browser.takeOver();
        ASSERT_TRUE(question.shown);
        EXPECT_EQ(question.format, Qt::PlainText);
        EXPECT_EQ(
            question.text,
            cutAt(QStringLiteral("Soll der Pfad \"%1\" in das Hauptfenster übernommen werden?")
                      .arg(hostile.seen),
                  vq::ui::kMaxMessageChars));
        EXPECT_TRUE(fitsTheScreen(question));
        EXPECT_EQ(browser.result(), int(QDialog::Rejected));
        browser.reject();

        // The upload refused with the server's text: the log quotes it.
        set("edtFtpServer", QStringLiteral("127.0.0.1"));
        set("edtPort", QString::number(server.port()));
        set("edtUsername", QString::fromLatin1(FtpServer::user));
        set("edtPasswort", QStringLiteral("falsch"));
        set("edtDateiname", QStringLiteral("seite.txt"));
        QSignalSpy finished(m_window.get(), &TfrmMain::ftpFinished);
        ASSERT_TRUE(m_window->ftpUpload());
        ASSERT_TRUE(finished.wait(30000));
        const QStringList log = m_window->logWindow()->text().split(u'\n');
        EXPECT_TRUE(log.contains(cutAt(QStringLiteral("530 ") + hostile.seen, 4000)))
            << log.join(u'|').left(3000).toStdString();
    }
    EXPECT_FALSE(pipe.opened()) << "a window read the named pipe as a picture";
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

// A project's or a page's file name may be anything: the status bars show
// the path as it is, never as HTML.
TEST_F(MainWindowTest, StatusBarsShowFileNamesLiterally)
{
    const QString path = projectFile(QStringLiteral("<i>Muster &amp; Söhne.vqb"));
    m_window->startUp(QString());
    m_dialogs->saveNames = {path};
    ASSERT_TRUE(m_window->saveAs());
    auto *label = find<QLabel>(QStringLiteral("lblDateiname"));
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->text(), QDir::toNativeSeparators(path));

    const QString page = projectFile(QStringLiteral("<b>Seite &lt;1&gt;.html"));
    {
        QFile file(page);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<html><body><p>Seite</p></body></html>");
    }
    TfrmHtmlExport dialog(*m_dialogs, {}, QStringLiteral("utf-8"), QString(), m_window.get());
    dialog.openPage(page);
    auto *pageLabel = dialog.findChild<QLabel *>(QStringLiteral("lblDatei"));
    ASSERT_NE(pageLabel, nullptr);
    EXPECT_EQ(pageLabel->textFormat(), Qt::PlainText);
    EXPECT_EQ(pageLabel->text(), page);

    // The tool bar keeps its short captions whatever the actions' state; the
    // menu keeps the long texts.
    auto *tools = dialog.findChild<QToolBar *>();
    ASSERT_NE(tools, nullptr);
    for (const char *name : {"actAddForm", "actDelete"}) {
        auto *command = dialog.findChild<QAction *>(QString::fromLatin1(name));
        ASSERT_NE(command, nullptr);
        const QString shortText = command->iconText();
        command->setEnabled(true);
        command->setEnabled(false);
        auto *button = qobject_cast<QToolButton *>(tools->widgetForAction(command));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), shortText) << name;
        EXPECT_TRUE(shortText.startsWith(QStringLiteral("Form. "))) << name;
        EXPECT_TRUE(command->text().startsWith(QStringLiteral("Formular "))) << name;
    }
}

// The export into an existing page on the real browser engine: insert at the
// caret, the action states, the working copy, save keeping the document type,
// refresh, remove, the closing question and reopening the same page.
TEST_F(MainWindowTest, ExportIntoAnExistingPage)
{
    QTemporaryDir dir;
    const QString pagePath = dir.filePath(QStringLiteral("shop.html"));
    const QByteArray original =
        "<!DOCTYPE html>\r\n<html><head><title>Shop</title></head>"
        "<body><p id=\"vor\">Vorher</p><p id=\"nach\">Nachher</p>"
        "<a id=\"weg\" href=\"https://example.org/\">weg</a></body></html>\r\n";
    {
        QFile f(pagePath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(original);
    }
    m_window->startUp(QString());
    // Captcha on: the export asks nothing of it.
    find<QCheckBox>(QStringLiteral("chkCaptcha"))->setChecked(true);
    m_window->project().ExtSettings.encoding = QStringLiteral("utf-8");
    m_window->project().ExtSettings.HTMLExportFileName = pagePath;

    auto waitReady = [](TfrmHtmlExport &dialog) {
        QSignalSpy ready(&dialog, &TfrmHtmlExport::pageReady);
        return ready.wait(15000);
    };
    auto enabled = [](TfrmHtmlExport &dialog) {
        QStringList names;
        for (const char *name :
             {"actSave", "actAddForm", "actRefresh", "actDelete", "actFTPUpload"})
            if (dialog.findChild<QAction *>(QString::fromLatin1(name))->isEnabled())
                names.append(QString::fromLatin1(name));
        return names;
    };
    m_dialogs->modal = [&](QDialog &d) {
        auto &dialog = dynamic_cast<TfrmHtmlExport &>(d);
        EXPECT_EQ(dialog.fileName(), pagePath) << "the page used last opens again";
        EXPECT_TRUE(waitReady(dialog));
        EXPECT_TRUE(QFile::exists(pagePath + QStringLiteral(".copy.html")));
        EXPECT_EQ(enabled(dialog),
                  (QStringList{QStringLiteral("actSave"), QStringLiteral("actAddForm"),
                               QStringLiteral("actFTPUpload")}));
        for (int i = 0;
             i < 100 && dialog.runScript(QStringLiteral("document.designMode")).toString() != u"on";
             ++i)
            QTest::qWait(50);
        EXPECT_EQ(dialog.runScript(QStringLiteral("document.designMode")).toString(),
                  QStringLiteral("on"));

        // The caret after "Vorher": the form goes there.
        // The view puts a mark before each text: the caret goes into the text itself.
        dialog.runScript(QStringLiteral("var r = document.createRange();"
                                        "r.setStart(document.getElementById('vor').lastChild, 6);"
                                        "r.collapse(true); var s = window.getSelection();"
                                        "s.removeAllRanges(); s.addRange(r); true"));
        dialog.addForm();
        EXPECT_TRUE(waitReady(dialog));
        EXPECT_EQ(enabled(dialog),
                  (QStringList{QStringLiteral("actSave"), QStringLiteral("actRefresh"),
                               QStringLiteral("actDelete"), QStringLiteral("actFTPUpload")}));
        for (int i = 0;
             i < 100
             && dialog.runScript(QStringLiteral("document.designMode")).toString() != u"off";
             ++i)
            QTest::qWait(50);
        EXPECT_EQ(dialog.runScript(QStringLiteral("document.designMode")).toString(),
                  QStringLiteral("off"));
        const QString text = dialog.pageText();
        const qsizetype form = text.indexOf(QStringLiteral("<!-- VQFORM begin -->"));
        EXPECT_GT(form, text.indexOf(QStringLiteral("Vorher")));
        EXPECT_LT(form, text.indexOf(QStringLiteral("Nachher")));
        EXPECT_GT(text.indexOf(QStringLiteral("<!-- VQFORMCSSBEGIN -->")), 0);
        EXPECT_GT(text.indexOf(QStringLiteral("<!-- VQFORMJSBEGIN -->")), 0);
        EXPECT_EQ(readFile(pagePath), original) << "the page changes only on saving";

        // A second insert is refused with its message.
        m_dialogs->told.clear();
        dialog.addForm();
        EXPECT_EQ(m_dialogs->told.size(), 1u);

        // The navigation lock keeps a link in the page from leading away.
        EXPECT_TRUE(dialog.navigationLocked());
        dialog.runScript(QStringLiteral("document.getElementById('weg').click(); true"));
        QTest::qWait(300);
        EXPECT_TRUE(dialog.view()->url().isLocalFile());

        EXPECT_TRUE(dialog.save());
        const QByteArray saved = readFile(pagePath);
        // The page's own bytes: no byte-order mark it did not have.
        EXPECT_TRUE(saved.startsWith("<!DOCTYPE html>\r\n<html><head>\r\n<!-- VQFORMCSSBEGIN -->"))
            << saved.left(60).toStdString();
        EXPECT_TRUE(saved.contains("<!-- VQFORM begin -->"));

        // Refresh replaces the blocks where they stand, never doubles them.
        dialog.refreshForm();
        EXPECT_TRUE(waitReady(dialog));
        const QString refreshed = dialog.pageText();
        for (const char *marker :
             {"<!-- VQFORM begin -->", "<!-- VQFORMCSSBEGIN -->", "<!-- VQFORMJSBEGIN -->"})
            EXPECT_EQ(refreshed.count(QString::fromLatin1(marker)), 1) << marker;
        EXPECT_LT(refreshed.indexOf(QStringLiteral("<!-- VQFORM begin -->")),
                  refreshed.indexOf(QStringLiteral("Nachher")));

        dialog.deleteForm();
        EXPECT_TRUE(waitReady(dialog));
        EXPECT_FALSE(dialog.pageText().contains(QStringLiteral("VQFORM")));
        EXPECT_TRUE(dialog.pageText().contains(QStringLiteral("Nachher")));

        // Closing asks; "Nein" leaves the saved page as it was.
        m_dialogs->buttons = {QMessageBox::No};
        dialog.findChild<QAction *>(QStringLiteral("actExit"))->trigger();
        EXPECT_FALSE(QFile::exists(pagePath + QStringLiteral(".copy.html")));
        return dialog.result();
    };
    action("actExportBestehend")->trigger();
    EXPECT_TRUE(readFile(pagePath).contains("<!-- VQFORM begin -->"));
    EXPECT_EQ(m_window->project().ExtSettings.HTMLExportFileName, pagePath);
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

} // namespace

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

// The publishing windows as a keyboard and screen-reader user meets them:
// every input carries a spoken name, Tab reaches every input, and each
// window fits a 1280x800 screen. With VQ_SCREENSHOT_DIR set they are also
// saved as pictures to look at.
TEST_F(MainWindowTest, PublishingWindowsAreNamedReachableAndFit)
{
    QTemporaryDir dir;
    TfrmFtpProfileEdit profileEditor(*m_dialogs, m_window->logWindow(), m_window.get());
    TftpProfiles profiles(dir.filePath(QStringLiteral("profiles.xml")), *m_dialogs,
                          m_window->logWindow(), m_window.get());
    TfrmFormMailerLink link(*m_dialogs, m_window.get());
    TfrmFormMailers mailers(dir.filePath(QStringLiteral("formmailers.xml")), *m_dialogs,
                            m_window.get());
    TfrmFTPBrowser browser(*m_dialogs, m_window.get());
    const std::pair<const char *, QWidget *> windows[] = {
        {"ftp_profile_edit", &profileEditor},
        {"ftp_profiles", &profiles},
        {"formmailer_link", &link},
        {"formmailers", &mailers},
        {"ftp_browser", &browser},
        {"ftp_log", m_window->logWindow()},
    };
    const QString folder = qEnvironmentVariable("VQ_SCREENSHOT_DIR");
    for (const auto &[name, window] : windows) {
        SCOPED_TRACE(name);
        window->show();
        QApplication::processEvents();
        EXPECT_LE(window->frameGeometry().width(), 1280);
        EXPECT_LE(window->frameGeometry().height(), 800);
        QList<QWidget *> inputs;
        for (QWidget *w : window->findChildren<QWidget *>()) {
            if (!w->isVisibleTo(window) || !w->isEnabled())
                continue;
            if (qobject_cast<QLineEdit *>(w) && qobject_cast<QComboBox *>(w->parentWidget()))
                continue; // the edit inside an editable drop-down
            if (qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w)
                || qobject_cast<QCheckBox *>(w) || qobject_cast<QSpinBox *>(w)
                || qobject_cast<QPlainTextEdit *>(w) || qobject_cast<QTreeWidget *>(w)
                || qobject_cast<QTableWidget *>(w) || qobject_cast<QListWidget *>(w)
                || qobject_cast<QPushButton *>(w))
                inputs << w;
        }
        for (QWidget *w : inputs) {
            QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
            ASSERT_NE(a, nullptr);
            bool named = !a->text(QAccessible::Name).trimmed().isEmpty();
            // A label set as buddy names it for the screen reader.
            for (QLabel *label : window->findChildren<QLabel *>())
                named = named || label->buddy() == w;
            EXPECT_TRUE(named) << w->metaObject()->className() << " "
                               << w->objectName().toStdString();
            EXPECT_NE(w->focusPolicy() & Qt::TabFocus, 0)
                << w->metaObject()->className() << " " << w->objectName().toStdString();
        }
        // Tab from the first input walks through every input of the window.
        QSet<QWidget *> reached;
        QWidget *start = inputs.isEmpty() ? nullptr : inputs.first();
        for (QWidget *w = start; w;) {
            reached.insert(w);
            w = w->nextInFocusChain();
            if (w == start)
                break;
        }
        for (QWidget *w : inputs)
            EXPECT_TRUE(reached.contains(w)) << w->objectName().toStdString();
        if (!folder.isEmpty())
            window->grab().save(QStringLiteral("%1/%2.png").arg(folder, QString::fromLatin1(name)));
        window->hide();
    }
    // The form-mailer links stand between grid lines.
    auto *links = mailers.findChild<QTableWidget *>(QStringLiteral("lvFormMailer"));
    ASSERT_NE(links, nullptr);
    EXPECT_TRUE(links->showGrid());
}
