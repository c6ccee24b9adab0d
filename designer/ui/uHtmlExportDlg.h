// "Export in bestehende HTML-Seite": an existing page shown in the browser
// engine in edit mode, where the user puts the caret where the form belongs;
// the generated CSS, script and form blocks are inserted, refreshed or
// removed, and the page is saved or uploaded. The page's own scripts never
// run. What is saved is the page's own text (kept in its own encoding) with
// the blocks put in or cut out, never the document as the browser holds it.
// The browser always shows a working copy (PAGE.copy.html); the page itself
// changes only on saving.
#pragma once

#include "common_ui/list_manager_dialog.h"
#include "designer/generation/page_source.h"
#include <QVariant>
#include <functional>
#include <optional>

class QAction;
class QLabel;
class QWebEngineView;

namespace vq::ui {

class UserQuestions;
class ExportPage;

class TfrmHtmlExport : public vq::ui::ListManagerDialog
{
    Q_OBJECT
public:
    struct Hooks
    {
        // The generated HTML page, or nothing after the caller showed why not.
        std::function<std::optional<QString>()> generate;
        // Hands a file to the FTP upload of the main window.
        std::function<void(const QString &file)> upload;
    };
    TfrmHtmlExport(UserQuestions &dialogs, Hooks hooks, QString encoding, QString programFolder,
                   QWidget *parent = nullptr);
    ~TfrmHtmlExport() override;

    // Opens a page: its working copy is shown, in edit mode unless it holds a form.
    void openPage(const QString &path);
    void openFile();
    bool save();
    void addForm();
    void refreshForm();
    void deleteForm();
    void upload();

    QString fileName() const { return m_fileName; }
    QString workingCopy() const;
    // The page's own text with the blocks as they stand now: what saving writes.
    QString pageText() const { return m_source.text; }
    // Runs a script beside the page's (which stay off) and waits for its result.
    QVariant runScript(const QString &script);
    QWebEngineView *view() const { return m_view; }
    bool navigationLocked() const;

    // The closing question, then the working copy is deleted.
    void done(int result) override;

Q_SIGNALS:
    // A document has loaded and the actions follow its page text.
    void pageReady();

private:
    void documentComplete();
    void writeBack(const QString &text);
    bool writeWorkingCopy(const QString &text);
    // Shows why the blocks cannot go into the page; true then.
    bool refused();
    void removeWorkingCopy();

    UserQuestions &m_dialogs;
    Hooks m_hooks;
    QString m_encoding;
    QString m_programFolder;
    QString m_fileName;
    PageSource m_source; // the page's own text and encoding
    QWebEngineView *m_view;
    ExportPage *m_page;
    QLabel *m_status;
    QAction *m_save, *m_add, *m_refresh, *m_delete, *m_upload;
};

} // namespace vq::ui
