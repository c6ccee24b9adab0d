// The designer's help in its windows: every window and settings group opens
// its own section of the built help by F1, the "Hilfe" commands open theirs,
// the help window shows the section, "Auf neue Version prüfen" says where
// updates come from, and at start the messages of a project that does not
// load come over the shown main window.
#include "common/GlobalFunctions.h"
#include "designer/ui/designer_help.h"
#include "designer/ui/designer_start.h"
#include "designer/ui/dialog_editor_access.h"
#include "designer/ui/mainFrm.h"
#include "designer/ui/uArtikel.h"
#include "designer/ui/uArtikelOption.h"
#include "designer/ui/uCheckBox.h"
#include "designer/ui/uEditOption.h"
#include "designer/ui/uEinzField.h"
#include "designer/ui/uErwEinstellungen.h"
#include "designer/ui/uFTPBrowser.h"
#include "designer/ui/uFileUpload.h"
#include "designer/ui/uFormMailers.h"
#include "designer/ui/uFtpProfiles.h"
#include "designer/ui/uHtmlEdit.h"
#include "designer/ui/uHtmlExportDlg.h"
#include "designer/ui/uInfo.h"
#include "designer/ui/uListBox.h"
#include "designer/ui/uLog.h"
#include "designer/ui/uMehrzField.h"
#include "designer/ui/uPassField.h"
#include "designer/ui/uPreviewWindow.h"
#include "designer/ui/uPriceOptionEdit.h"
#include "designer/ui/uProjectSettings.h"
#include "designer/ui/uRadioButtons.h"
#include "designer/ui/uVorlagen.h"
#include "designer/ui/uZwText.h"
#include "tests/support/help_checks.h"
#include "tests/support/scripted_questions.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>
#include <gtest/gtest.h>
#include <memory>

using namespace vq;
using namespace vq::ui;
using vq::test::ScriptedQuestions;

namespace {

const QString kProgramDir = QStringLiteral(VQ_PROGRAM_DIR);

QUrl section(const char16_t *page, const char16_t *anchor)
{
    QUrl url = QUrl::fromLocalFile(
        QDir(kProgramDir).filePath(QStringLiteral("help/") + QString::fromUtf16(page)));
    url.setFragment(QString::fromUtf16(anchor));
    return url;
}

class DesignerHelp : public testing::Test
{
protected:
    void SetUp() override
    {
        auto dialogs = std::make_unique<ScriptedQuestions>();
        m_dialogs = dialogs.get();
        m_window =
            std::make_unique<TfrmMain>(std::make_unique<DialogEditorAccess>(), std::move(dialogs));
        m_window->setProgramFolder(kProgramDir);
    }
    void TearDown() override
    {
        m_window->setAttribute(Qt::WA_DeleteOnClose, false);
        m_window.reset();
    }
    QAction *action(const char *name) const
    {
        return m_window->findChild<QAction *>(QString::fromLatin1(name));
    }

    ScriptedQuestions *m_dialogs = nullptr;
    std::unique_ptr<TfrmMain> m_window;
};

// Every window of the designer, and every settings group, list and code view
// of the main window, is named in the help table; its section exists in the
// built help, and F1 in it opens that section.
TEST_F(DesignerHelp, EveryWindowOpensItsSectionByF1)
{
    ScriptedQuestions &q = *m_dialogs;
    TfrmLog *log = m_window->logWindow();
    QTemporaryDir dir;
    std::vector<std::unique_ptr<QWidget>> windows;
    windows.push_back(std::make_unique<TfrmEinzField>(q));
    windows.push_back(std::make_unique<TfrmPassField>(q));
    windows.push_back(std::make_unique<TfrmMehrzField>(q));
    windows.push_back(std::make_unique<TfrmListBox>(q));
    windows.push_back(std::make_unique<TfrmCheckBox>(q));
    windows.push_back(std::make_unique<TfrmRadioButtons>(q));
    windows.push_back(std::make_unique<TfrmFileUpload>(q));
    windows.push_back(std::make_unique<TfrmZwText>(q));
    windows.push_back(std::make_unique<TfrmEditOption>(q));
    windows.push_back(std::make_unique<TfrmArtikel>(q));
    windows.push_back(std::make_unique<TfrmEditArtikelOption>());
    windows.push_back(std::make_unique<TfrmPriceOption>(q));
    windows.push_back(std::make_unique<TfrmHtmlEdit>(q));
    windows.push_back(std::make_unique<TfrmVorlagen>(
        QStringLiteral("forms"), dir.filePath(QStringLiteral("vorlagen.xml")), q));
    windows.push_back(std::make_unique<TfrmProjectSettings>(TProjectSettings{}, q));
    windows.push_back(std::make_unique<TfrmErwEinstellungen>(TExtSettings{}, q));
    windows.push_back(std::make_unique<TfrmPreview>([] { return std::optional<PreviewPage>(); },
                                                    dir.filePath(QStringLiteral("temp.htm"))));
    windows.push_back(std::make_unique<TfrmInfo>());
    windows.push_back(std::make_unique<TfrmHelp>(section(u"vqbest.htm", u"inhalt")));
    windows.push_back(
        std::make_unique<TftpProfiles>(dir.filePath(QStringLiteral("profiles.xml")), q, log));
    windows.push_back(std::make_unique<TfrmFtpProfileEdit>(q, log));
    windows.push_back(std::make_unique<TfrmFTPBrowser>(q));
    windows.push_back(
        std::make_unique<TfrmFormMailers>(dir.filePath(QStringLiteral("formmailers.xml")), q));
    windows.push_back(std::make_unique<TfrmFormMailerLink>(q));
    windows.push_back(std::make_unique<TfrmHtmlExport>(q, TfrmHtmlExport::Hooks{},
                                                       QStringLiteral("utf-8"), kProgramDir));

    QList<QWidget *> all{m_window.get(), log};
    for (const auto &window : windows)
        all.append(window.get());
    for (QWidget *window : all)
        window->show();
    vq::test::checkHelpOfWindows(designerHelp(kProgramDir), all, q);
}

// The "Hilfe" commands open the section of the window they stand in.
TEST_F(DesignerHelp, HelpCommandsOpenTheSectionOfTheirWindow)
{
    TfrmHtmlExport exportDialog(*m_dialogs, TfrmHtmlExport::Hooks{}, QStringLiteral("utf-8"),
                                kProgramDir);
    struct Case
    {
        const char *what;
        std::function<void()> trigger;
        QUrl opened;
    };
    const Case cases[] = {
        {"menu", [this] { action("actHilfe")->trigger(); },
         section(u"hauptfenster.htm", u"hauptfenster")},
        {"tool bar", [this] { action("tbHilfe")->trigger(); },
         section(u"hauptfenster.htm", u"hauptfenster")},
        {"form mailer group",
         [this] {
             QTest::mouseClick(
                 m_window->findChild<QPushButton *>(QStringLiteral("btnFormMailerHilfe")),
                 Qt::LeftButton);
         },
         section(u"formmailer.htm", u"formmailer")},
        {"export into a page",
         [&exportDialog] {
             exportDialog.findChild<QAction *>(QStringLiteral("actHelp"))->trigger();
         },
         section(u"veroeffentlichen.htm", u"export-bestehend")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        m_dialogs->helpPages.clear();
        c.trigger();
        ASSERT_EQ(m_dialogs->helpPages.size(), 1u);
        EXPECT_EQ(m_dialogs->helpPages.front(), c.opened);
        EXPECT_TRUE(QFile::exists(c.opened.toLocalFile()));
    }
    EXPECT_TRUE(m_dialogs->errors.isEmpty());

    // Without a browser, or without the page, the user learns where it lies.
    m_dialogs->openSucceeds = false;
    action("actHilfe")->trigger();
    ASSERT_EQ(m_dialogs->errors.size(), 1);
    EXPECT_TRUE(m_dialogs->errors[0].contains(
        QDir::toNativeSeparators(section(u"hauptfenster.htm", u"").toLocalFile())));
    QTemporaryDir empty;
    m_window->setProgramFolder(empty.path());
    m_dialogs->helpPages.clear();
    action("actHilfe")->trigger();
    ASSERT_EQ(m_dialogs->errors.size(), 2);
    EXPECT_TRUE(m_dialogs->errors[1].startsWith(QStringLiteral("Die Hilfe fehlt")));
    EXPECT_TRUE(m_dialogs->helpPages.empty());
}

// The designer's own questions show a help page in the window "Hilfe", at
// the section asked for.
TEST(DesignerHelpWindow, ShowsThePageAtItsSection)
{
    class Recording : public DesignerQuestions
    {
    public:
        int runModal(QDialog &dialog) override
        {
            auto *help = qobject_cast<TfrmHelp *>(&dialog);
            EXPECT_NE(help, nullptr);
            if (help) {
                shown = help->page();
                title = help->windowTitle();
                if (auto *view = help->findChild<QWebEngineView *>(QStringLiteral("wbHelp"))) {
                    QSignalSpy finished(view, &QWebEngineView::loadFinished);
                    EXPECT_TRUE(finished.wait(30000));
                    EXPECT_TRUE(finished.value(0).value(0).toBool());
                    loaded = view->url();
                }
            }
            return QDialog::Rejected;
        }
        QUrl shown, loaded;
        QString title;
    };
    Recording questions;
    const QUrl page = section(u"einstellungen.htm", u"ftp-einstellungen");
    EXPECT_TRUE(questions.openHelp(nullptr, page));
    EXPECT_EQ(questions.shown, page);
    EXPECT_EQ(questions.loaded, page);
    EXPECT_EQ(questions.title, QStringLiteral("Hilfe"));
}

// New versions come through the package manager: the command says so and
// starts nothing.
TEST_F(DesignerHelp, CheckingForANewVersionNamesThePackageManager)
{
    action("actUpdate")->trigger();
    ASSERT_EQ(m_dialogs->told.size(), 1u);
    EXPECT_EQ(m_dialogs->told[0].icon, QMessageBox::Information);
    EXPECT_EQ(m_dialogs->told[0].title, QStringLiteral("Auf neue Version prüfen"));
    EXPECT_TRUE(m_dialogs->told[0].text.contains(QStringLiteral("Paketverwaltung")));
    EXPECT_TRUE(m_dialogs->told[0].text.contains(QStringLiteral("sudo apt update")));
    EXPECT_TRUE(m_dialogs->programs.empty());
}

// At start the main window is shown and the splash window has closed before
// the messages of a project that does not load appear; the default project
// stays open.
TEST(DesignerStart, MessagesOfAProjectThatDoesNotLoadComeOverTheShownWindow)
{
    class Watching : public ScriptedQuestions
    {
    public:
        void tell(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                  const QString &text) override
        {
            ScriptedQuestions::tell(parent, icon, title, text);
            windowShown.push_back(window && window->isVisible());
            bool splash = false;
            for (QWidget *top : QApplication::topLevelWidgets())
                splash = splash || (qobject_cast<TfrmSplash *>(top) && top->isVisible());
            splashShown.push_back(splash);
            parents.push_back(parent);
        }
        QWidget *window = nullptr;
        std::vector<bool> windowShown, splashShown;
        std::vector<QWidget *> parents;
    };
    QTemporaryDir dir;
    const QString broken = dir.filePath(QStringLiteral("kaputt.vqb"));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<xml><FileInfo>");
    file.close();

    auto questions = std::make_unique<Watching>();
    Watching *watching = questions.get();
    TfrmMain window(std::make_unique<DialogEditorAccess>(), std::move(questions));
    window.setProgramFolder(kProgramDir);
    watching->window = &window;
    // A click closes the splash window at once, as the user may.
    QTimer::singleShot(100, [] {
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *splash = qobject_cast<TfrmSplash *>(top); splash && splash->isVisible())
                QTest::mouseClick(splash, Qt::LeftButton);
    });
    startDesigner(window, broken);
    ASSERT_FALSE(watching->told.empty());
    for (size_t i = 0; i < watching->told.size(); ++i) {
        EXPECT_TRUE(watching->windowShown[i]) << watching->told[i].text.toStdString();
        EXPECT_FALSE(watching->splashShown[i]) << watching->told[i].text.toStdString();
        EXPECT_EQ(watching->parents[i], &window);
    }
    EXPECT_FALSE(window.hasOwnFile());
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.hide();
}

} // namespace
