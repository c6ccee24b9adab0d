// The form mailer's price list from the designer's windows: "Preisliste
// Export" writes the list of the open project; the FTP upload puts it beside
// the form on a real FTP server when the project says so, and warns before an
// upload without it once the prices differ from the list last put into that
// folder.
#include "common/GlobalFunctions.h"
#include "designer/generation/price_list.h"
#include "designer/ui/dialog_editor_access.h"
#include "designer/ui/mainFrm.h"
#include "designer/ui/price_list_commands.h"
#include "tests/publishing/ftp_server.h"
#include "tests/support/scripted_questions.h"
#include "tests/test_support.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using namespace vq;
using namespace vq::ui;
using vq::test::FtpServer;
using vq::test::readFile;
using vq::test::ScriptedQuestions;

namespace {

class PriceListWindow : public testing::Test
{
protected:
    void SetUp() override
    {
        QDir(appDataFolder()).removeRecursively();
        appDataFolder();
        auto dialogs = std::make_unique<ScriptedQuestions>();
        m_dialogs = dialogs.get();
        m_window =
            std::make_unique<TfrmMain>(std::make_unique<DialogEditorAccess>(), std::move(dialogs));
        m_window->setProgramFolder(QStringLiteral(VQ_PROGRAM_DIR));
        m_window->startUp(QString());
        auto article = std::make_unique<TArtikelField>();
        article->artikelNummer = QStringLiteral("T-1");
        article->name = QStringLiteral("Tasse");
        article->preis = 8.5;
        article->mwst = 19;
        m_window->project().ListArtikel.push_back(std::move(article));
        m_window->RefreshLists();
    }
    void TearDown() override
    {
        m_window->setAttribute(Qt::WA_DeleteOnClose, false);
        m_window.reset();
    }
    template <typename T> T *find(const char *name) const
    {
        T *widget = m_window->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QByteArray currentList() const { return priceListJson(m_window->project()); }

    ScriptedQuestions *m_dialogs = nullptr;
    std::unique_ptr<TfrmMain> m_window;
};

TEST_F(PriceListWindow, ExportWritesTheListOfTheOpenProject)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("liste.json"));
    m_dialogs->saveNames = {path};
    find<QAction>("actPreisliste")->trigger();
    EXPECT_EQ(m_dialogs->suggestions, QStringList{QStringLiteral("vq_preisliste.json")});
    EXPECT_EQ(readFile(path), currentList());
    EXPECT_TRUE(readFile(path).contains("\"Tasse\""));
    EXPECT_TRUE(m_dialogs->told.empty());

    // Cancelled: nothing written, nothing said.
    m_dialogs->fileName.clear();
    find<QAction>("actPreisliste")->trigger();
    EXPECT_TRUE(m_dialogs->told.empty());

    // A folder that does not exist: the reason, and the old file stays.
    m_dialogs->saveNames = {dir.filePath(QStringLiteral("fehlt/liste.json"))};
    find<QAction>("actPreisliste")->trigger();
    ASSERT_EQ(m_dialogs->told.size(), 1u);
    EXPECT_EQ(m_dialogs->told[0].icon, QMessageBox::Critical);
    EXPECT_EQ(m_dialogs->told[0].title, QStringLiteral("Preisliste Export"));
    EXPECT_FALSE(m_dialogs->told[0].text.isEmpty());
    EXPECT_EQ(readFile(path), currentList());
}

// One upload after another against one server: each step sets the setting
// and the price, answers a warning if one comes, and says what the folder
// holds afterwards.
TEST_F(PriceListWindow, UploadPutsTheListBesideTheFormAndWarnsWhenItIsStale)
{
    FtpServer server;
    ASSERT_TRUE(server.ok());
    auto set = [this](const char *name, const QString &text) {
        find<QLineEdit>(name)->setText(text);
    };
    set("edtFtpServer", QStringLiteral("127.0.0.1"));
    set("edtPort", QString::number(server.port()));
    set("edtUsername", QString::fromLatin1(FtpServer::user));
    set("edtPasswort", QString::fromLatin1(FtpServer::password));
    set("edtDateiname", QStringLiteral("bestellung.htm"));
    find<QCheckBox>("chkPassiv")->setChecked(true);
    find<QCheckBox>("chkCaptcha")->setChecked(true); // nothing is asked of the captcha

    struct Step
    {
        const char *what;
        const char *folder;
        bool withList;
        double price;
        bool warned;
        bool answer;     // to the warning
        bool uploaded;   // the form went up
        double listHeld; // the price in the list the folder holds; 0: none
    };
    const Step steps[] = {
        {"first upload with the list", "htdocs/shop", true, 8.5, false, false, true, 8.5},
        {"without the list, prices as uploaded", "htdocs/shop", false, 8.5, false, false, true,
         8.5},
        {"changed price, the user stops", "htdocs/shop", false, 9.9, true, false, false, 8.5},
        {"changed price, the user goes on", "htdocs/shop", false, 9.9, true, true, true, 8.5},
        {"another folder knows no list", "htdocs", false, 9.9, false, false, true, 0},
        {"with the list again", "htdocs/shop", true, 9.9, false, false, true, 9.9},
        {"without the list, now current", "htdocs/shop", false, 9.9, false, false, true, 9.9},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.what);
        QDir folder(QDir(server.root()).filePath(QString::fromLatin1(s.folder)));
        folder.remove(QStringLiteral("bestellung.htm"));
        set("edtFolder", QString::fromLatin1(s.folder));
        find<QCheckBox>("chkPreislisteUpload")->setChecked(s.withList);
        m_window->project().ListArtikel.front()->preis = s.price;
        m_dialogs->questions.clear();
        m_dialogs->answers = {s.answer};

        QSignalSpy finished(m_window.get(), &TfrmMain::ftpFinished);
        ASSERT_EQ(m_window->ftpUpload(), s.uploaded);
        if (s.uploaded) {
            ASSERT_TRUE(finished.wait(30000));
            EXPECT_TRUE(finished.first().first().toBool());
        }
        ASSERT_EQ(m_dialogs->questions.size(), s.warned ? 1u : 0u);
        if (s.warned) {
            EXPECT_EQ(m_dialogs->questions[0].icon, QMessageBox::Warning);
            EXPECT_EQ(m_dialogs->questions[0].title, QStringLiteral("FTP-Upload"));
            EXPECT_TRUE(
                m_dialogs->questions[0].text.contains(QStringLiteral("vq_preisliste.json")));
        }
        EXPECT_EQ(folder.exists(QStringLiteral("bestellung.htm")), s.uploaded);
        const QString list = folder.filePath(QStringLiteral("vq_preisliste.json"));
        if (s.listHeld == 0) {
            EXPECT_FALSE(QFile::exists(list));
        } else {
            ProjectDocument held(m_window->project());
            held.ListArtikel.front()->preis = s.listHeld;
            EXPECT_EQ(readFile(list).replace("\r\n", "\n"),
                      priceListJson(held).replace("\r\n", "\n"));
        }
    }
}

} // namespace
