// The designer's main window: the tabs, menus, tool bar and status bar, the
// generated code and the preview. It delegates: the document holds the
// project and its undo stack, the list panels run the list commands, the
// settings panel binds the settings tabs, the file and the publishing
// commands have their own classes.
#pragma once

#include "common_ui/questions.h"
#include "designer/document/designer_document.h"
#include "designer/ui/editor_access.h"
#include "designer/ui_logic/window_logic.h"

#include <QMainWindow>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QTabWidget;
class QVBoxLayout;

namespace vq::ui {

class FileCommands;
class ListPanel;
class PublishingCommands;
class SettingsPanel;
class TfrmLog;
class TfrmPreview;
class PreviewBrowser;
struct PreviewPage;

class TfrmMain : public QMainWindow
{
    Q_OBJECT
public:
    TfrmMain(std::unique_ptr<EditorAccess> editors, std::unique_ptr<UserQuestions> dialogs,
             QWidget *parent = nullptr);
    ~TfrmMain() override;

    void setEditorAccess(std::unique_ptr<EditorAccess> editors);
    // The folder of default.vqb, the page templates and the help pages; the
    // program's own folder unless a test says otherwise.
    void setProgramFolder(const QString &folder) { m_programFolder = folder; }

    // Prepares the data folder, the template lists and the form-mailer list,
    // then opens the project named by projectPath or the default project.
    void startUp(const QString &projectPath);

    // Commands (also reached through menus and buttons).
    void newProject();
    void openProject();
    bool save();
    bool saveAs();
    // Loads a file as the current project. A file that fails to load does not
    // become the current file. Returns true when it loaded completely.
    bool loadProjectFile(const QString &path);
    void openDroppedFiles(const QStringList &paths);

    void newField(const QString &typeWord);
    void editField();
    void deleteField();
    void moveField(int delta);
    void newArticle();
    void editArticle();
    void deleteArticle();
    void moveArticle(int delta);
    void insertFieldTemplate();
    // "Bestellung als Unternehmen" (business_order_command.cpp).
    void insertBusinessOrderFields();
    void insertArticleTemplate();
    void saveFieldAsTemplate();
    void saveArticleAsTemplate();
    void manageTemplates(bool articles);
    void insertPlaceholder();
    void editExtendedSettings();
    void editProjectProperties();
    void copyCode(bool php);
    void exportCode(bool php);
    void showPreviewWindow();
    // The lists shown anew after project() was changed past the undo stack.
    void RefreshLists();
    void RefreshTemplateLists();
    void loadFormMailers();
    // "FTP-Upload": generates the page in the upload format, writes the
    // temporary file and stores it on the server on a worker; the "FTP-Log"
    // shows each step. Returns false when it did not start.
    bool ftpUpload();
    // "FTP-Profile verwalten" and "..." beside "Server": the profile list in
    // select mode; the chosen profile fills the FTP settings.
    void pickFtpProfile();
    // "..." beside "Verzeichnis": the FTP browser picks the remote folder.
    void browseFtpFolder();
    // "Formmailer-Links verwalten": the manager, then the drop-down reloaded.
    void manageFormMailers();
    // Stores a file already written by the FTP upload of the project's settings.
    bool ftpUploadFile(const QString &localFile);
    // "Export in bestehende HTML-Datei": the export dialog, modal; it reopens
    // the page used last with this project.
    void exportIntoPage();
    bool ftpBusy() const;
    TfrmLog *logWindow() const { return m_log; }

    // Before an export, preview or upload: the warning of a project that sells
    // with a button that does not name the duty to pay. With ask, the user
    // chooses whether to go on (false: not); else the warning is only shown.
    // With postsHtml (a page that posts to the form mailer) also the warning
    // of a missing captcha.
    bool orderButtonAccepted(const QString &title, bool ask, bool postsHtml = false);
    // The generated page, or nothing after showing why not.
    std::optional<QString> generate(bool php, QString *formId = nullptr);

    // The settings tabs show the project's values again after project() was
    // changed past the undo stack.
    void projectToControls();

    DesignerDocument &document() { return m_document; }
    // The project itself, for changes past the undo stack (RefreshLists or
    // projectToControls must follow).
    ProjectDocument &project() { return m_document.projectBypassingUndo(); }
    bool hasOwnFile() const { return m_document.hasOwnFile(); }
    QString savePath() const { return m_document.fileName(); }
    QString statusText() const;
    QMenu *fieldKindMenu() const;
    TfrmPreview *previewWindow() const { return m_previewWindow; }

Q_SIGNALS:
    // An upload or another FTP operation started by this window has ended.
    void ftpFinished(bool ok);

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildMenus();
    void buildUndoCommands(QMenu *edit);
    void buildTabs();
    void tabShown(int index);
    std::optional<PreviewPage> previewPage();
    void showFileName(const QString &path);
    void showModified(bool modified);
    QString appData(const char *fileName) const;

    DesignerDocument m_document;
    QString m_programFolder;

    std::unique_ptr<EditorAccess> m_editors;
    std::unique_ptr<UserQuestions> m_dialogs;

    TfrmLog *m_log = nullptr;
    SettingsPanel *m_settings = nullptr;
    ListPanel *m_fieldPanel = nullptr;
    ListPanel *m_articlePanel = nullptr;
    FileCommands *m_files = nullptr;
    PublishingCommands *m_publishing = nullptr;

    QTabWidget *m_tabs = nullptr;
    QPlainTextEdit *m_htmlView = nullptr;
    QPlainTextEdit *m_phpView = nullptr;
    QVBoxLayout *m_previewTabLayout = nullptr;
    PreviewBrowser *m_previewBrowser = nullptr;
    TfrmPreview *m_previewWindow = nullptr;
    QLabel *m_fileLabel = nullptr;
    QAction *m_uploadAction = nullptr;
};

} // namespace vq::ui
