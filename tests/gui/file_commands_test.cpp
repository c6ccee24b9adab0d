// The file commands of the designer's main window: start-up with the default
// or a named project, a failed load, the closing question, "Neu" and
// "Öffnen", dropped files, saving, and the file name in the status bar.
#include "tests/gui/main_window_fixture.h"

using namespace vq;
using namespace vq::ui;
using namespace vq::test;

namespace {

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

} // namespace
