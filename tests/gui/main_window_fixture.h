// The main window of the designer with scripted questions and editors that
// answer without a dialog, shared by the window's tests.
#pragma once

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
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <deque>
#include <functional>
#include <gtest/gtest.h>

namespace vq::test {

using namespace vq;
using namespace vq::ui;

inline const QString kProgramDir = QStringLiteral(VQ_PROGRAM_DIR);

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
    QTreeView *fields() const { return find<QTreeView>(QStringLiteral("lvFelder")); }
    QTreeView *articles() const { return find<QTreeView>(QStringLiteral("lvArtikel")); }
    void click(const char *name) const
    {
        QAbstractButton *b = find<QAbstractButton>(QString::fromLatin1(name));
        QTest::mouseClick(b, Qt::LeftButton);
    }
    QStringList column(QTreeView *list, int col = 0) const
    {
        QStringList texts;
        for (int i = 0; i < list->model()->rowCount(); ++i)
            texts.append(list->model()->index(i, col).data().toString());
        return texts;
    }
    int selected(QTreeView *list) const
    {
        const auto rows = list->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.first().row();
    }
    void selectRow(QTreeView *list, int row) const
    {
        list->setCurrentIndex(list->model()->index(row, 0));
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

} // namespace vq::test
