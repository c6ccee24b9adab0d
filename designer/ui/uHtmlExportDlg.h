// "Export in bestehende HTML-Seite": an existing page shown in the browser
// engine in edit mode, where the user puts the caret where the form belongs;
// the generated CSS, script and form blocks are inserted, refreshed or
// removed, and the page is saved or uploaded. The browser always shows a
// working copy (PAGE.copy.html); the page itself changes only on saving, and
// whatever stood before its <html> element (the document type) is kept.
#pragma once

#include "common_ui/list_manager_dialog.h"
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
    // The document as the browser serialises it (outer HTML of the root element).
    QString pageText();
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
    bool writePage(const QString &path, const QString &text);
    void removeWorkingCopy();

    UserQuestions &m_dialogs;
    Hooks m_hooks;
    QString m_encoding;
    QString m_programFolder;
    QString m_fileName;
    QString m_prefix; // what stands before the document element in the page file
    QWebEngineView *m_view;
    ExportPage *m_page;
    QLabel *m_status;
    QAction *m_save, *m_add, *m_refresh, *m_delete, *m_upload;
};

} // namespace vq::ui
