// The designer's main window: ten tabs editing the open project, menus, tool
// bar, status bar with the file name, the field and article lists with their
// commands, generated code and preview, and the dialogs it opens.
#pragma once

#include "common_ui/questions.h"
#include "designer/model/project_document.h"
#include "designer/ui/editor_access.h"
#include "designer/ui/window_logic.h"

#include <QHash>
#include <QMainWindow>
#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QVBoxLayout;
class QHBoxLayout;

namespace vq::ui {

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
    bool ftpBusy() const { return m_ftpBusy; }
    TfrmLog *logWindow() const { return m_log; }

    // Before an export, preview or upload: the warning of a project that sells
    // with a button that does not name the duty to pay. With ask, the user
    // chooses whether to go on (false: not); else the warning is only shown.
    // With postsHtml (a page that posts to the form mailer) also the warning
    // of a missing captcha.
    bool orderButtonAccepted(const QString &title, bool ask, bool postsHtml = false);
    // The generated page, or nothing after showing why not.
    std::optional<QString> generate(bool php, QString *formId = nullptr);

    // Controls <-> project.
    void controlsToProject();
    void projectToControls();

    ProjectDocument &project() { return m_project; }
    bool hasOwnFile() const { return bSaved; }
    QString savePath() const { return strSavePath; }
    QString statusText() const;
    QMenu *fieldKindMenu() const { return m_fieldKindMenu; }
    TfrmPreview *previewWindow() const { return m_previewWindow; }

Q_SIGNALS:
    // An upload or another FTP operation started by this window has ended.
    void ftpFinished(bool ok);

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Asks the save question; returns false for Cancel (and for Yes when the
    // project was not saved, if stopOnFailedSave).
    bool askToSave(bool stopOnFailedSave);
    bool saveTo(const QString &path);
    void setCurrentFile(const QString &path);
    void showLoadFailure(const LoadResult &result);
    void prepareFormMailerList();

    void buildMenus();
    void buildTabs();
    QWidget *buildListTab(bool articles);
    QWidget *buildSettingsTab(const QString &tab, const QList<QStringList> &columns);
    QWidget *buildMailtextTab();
    QWidget *createControl(const SettingControl &control);
    void addExtras(const QString &key, QHBoxLayout *row);
    void applyDesignVisibility();
    void colourEditFinished(const QString &editKey);
    void pickColour(const QString &editKey);
    void setColourButton(const QString &editKey, const QColor &colour);
    void editSnippet(const QString &key);
    void senderCopyClicked(bool checked);
    void tabShown(int index);
    void showListMenu(bool articles, const QPoint &at);
    std::optional<PreviewPage> previewPage();
    void setFtpBusy(bool busy);

    int selectedRow(QTreeWidget *list) const;
    void selectRow(QTreeWidget *list, int row);
    QString appData(const char *fileName) const;

    ProjectDocument m_project;
    QString m_programFolder;
    bool bSaved = false;
    QString strSavePath;

    std::unique_ptr<EditorAccess> m_editors;
    std::unique_ptr<UserQuestions> m_dialogs;

    QTabWidget *m_tabs = nullptr;
    QHash<QString, QWidget *> m_controls;          // setting key -> control
    QHash<QString, QWidget *> m_rows;              // setting key -> field widget of its form row
    QHash<QString, QPushButton *> m_colourButtons; // edit key -> its colour button
    QTreeWidget *m_fieldList = nullptr;
    QTreeWidget *m_articleList = nullptr;
    QComboBox *m_fieldTemplates = nullptr;
    QComboBox *m_articleTemplates = nullptr;
    QComboBox *m_placeholders = nullptr;
    QPlainTextEdit *m_htmlView = nullptr;
    QPlainTextEdit *m_phpView = nullptr;
    QVBoxLayout *m_previewTabLayout = nullptr;
    PreviewBrowser *m_previewBrowser = nullptr;
    TfrmPreview *m_previewWindow = nullptr;
    QMenu *m_fieldKindMenu = nullptr;
    QLabel *m_fileLabel = nullptr;
    TfrmLog *m_log = nullptr;
    QAction *m_uploadAction = nullptr;
    bool m_ftpBusy = false;
};

} // namespace vq::ui
