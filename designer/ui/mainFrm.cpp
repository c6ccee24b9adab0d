#include "designer/ui/mainFrm.h"

#include "common/GlobalFunctions.h"
#include "common/text_file.h"
#include "common_ui/plain_text.h"
#include "designer/generation/consumer_pages.h"
#include "designer/generation/uGenHtml.h"
#include "designer/generation/uPHPGen.h"
#include "designer/model/template_library.h"
#include "designer/publishing/formmailer_list.h"
#include "designer/ui/designer_help.h"
#include "designer/ui/editor_prompts.h"
#include "designer/ui/file_commands.h"
#include "designer/ui/list_panel.h"
#include "designer/ui/price_list_commands.h"
#include "designer/ui/publishing_commands.h"
#include "designer/ui/settings_panel.h"
#include "designer/ui/uErwEinstellungen.h"
#include "designer/ui/uFormMailers.h"
#include "designer/ui/uHtmlExportDlg.h"
#include "designer/ui/uInfo.h"
#include "designer/ui/uLog.h"
#include "designer/ui/uPreviewWindow.h"
#include "designer/ui/uProjectSettings.h"
#include "designer/ui/uVorlagen.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QUndoView>
#include <QVBoxLayout>

namespace vq::ui {

namespace {

const QString kCaption = QStringLiteral("VQ-Bestellformular 1.5.8");

enum TabIndex { TabHtml = 7, TabPhp = 8, TabPreview = 9 };

} // namespace

TfrmMain::TfrmMain(std::unique_ptr<EditorAccess> editors, std::unique_ptr<UserQuestions> dialogs,
                   QWidget *parent)
    : QMainWindow(parent)
    , m_programFolder(vq::programFolder())
    , m_editors(std::move(editors))
    , m_dialogs(std::move(dialogs))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(kCaption);
    setAcceptDrops(true);
    m_log = new TfrmLog(this);
    new HelpKey([this](QWidget *from) { designerHelp(m_programFolder).open(*m_dialogs, from); },
                this);

    const auto programFolder = [this] { return m_programFolder; };
    m_files = new FileCommands(m_document, *m_dialogs, programFolder, this);
    PublishingCommands::Hooks publishing;
    publishing.generate = [this](bool php) { return generate(php); };
    publishing.orderButtonAccepted = [this](const QString &title, bool postsHtml) {
        return orderButtonAccepted(title, true, postsHtml);
    };
    m_publishing = new PublishingCommands(m_document, *m_dialogs, m_log, publishing, this);
    SettingsPanel::Hooks settings;
    settings.pickFtpProfile = [this] { pickFtpProfile(); };
    settings.browseFtpFolder = [this] { browseFtpFolder(); };
    settings.editExtendedSettings = [this] { editExtendedSettings(); };
    settings.editHtml = [this](QString &text) {
        return m_editors && m_editors->editHtml(this, text);
    };
    settings.programFolder = programFolder;
    m_settings = new SettingsPanel(m_document, *m_dialogs, settings, this);

    buildTabs();
    buildMenus();
    m_fileLabel = new QLabel(QString::fromUtf16(kUnnamedProject));
    m_fileLabel->setObjectName(QStringLiteral("lblDateiname"));
    m_fileLabel->setTextFormat(Qt::PlainText);
    statusBar()->addWidget(m_fileLabel, 1);

    connect(&m_document, &DesignerDocument::fileNameChanged, this, &TfrmMain::showFileName);
    connect(&m_document, &DesignerDocument::modifiedChanged, this, &TfrmMain::showModified);
    connect(m_publishing, &PublishingCommands::busyChanged, this, [this](bool busy) {
        m_uploadAction->setEnabled(!busy);
        if (busy)
            statusBar()->showMessage(QStringLiteral("FTP-Übertragung läuft..."));
        else
            statusBar()->clearMessage();
    });
    connect(m_publishing, &PublishingCommands::finished, this, &TfrmMain::ftpFinished);
    projectToControls();
    resize(1100, 740);
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::setEditorAccess(std::unique_ptr<EditorAccess> editors)
{
    m_editors = std::move(editors);
}

QString TfrmMain::appData(const char *fileName) const
{
    return appDataFile(QString::fromLatin1(fileName));
}

// ---------------------------------------------------------------- building

void TfrmMain::buildMenus()
{
    auto action = [this](QMenu *menu, const QString &text, const QString &name,
                         const QKeySequence &shortcut, auto slot) {
        QAction *a = menu->addAction(text);
        a->setObjectName(name);
        if (!shortcut.isEmpty())
            a->setShortcut(shortcut);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    QMenu *file = menuBar()->addMenu(QStringLiteral("&Datei"));
    action(file, QStringLiteral("Neu"), QStringLiteral("actNeu"),
           QKeySequence(Qt::CTRL | Qt::Key_N), [this] { newProject(); });
    action(file, QStringLiteral("Ö&ffnen"), QStringLiteral("actOeffnen"),
           QKeySequence(Qt::CTRL | Qt::Key_O), [this] { openProject(); });
    action(file, QStringLiteral("&Speichern"), QStringLiteral("actSpeichern"),
           QKeySequence(Qt::CTRL | Qt::Key_S), [this] { save(); });
    action(file, QStringLiteral("Speichern unter"), QStringLiteral("actSpeichernUnter"), {},
           [this] { saveAs(); });
    file->addSeparator();
    action(file, QStringLiteral("Rechnungsmodul aufrufen"), QStringLiteral("actRechnungsmodul"), {},
           [this] {
               m_dialogs->startProgram(vq::companionProgram(
                   m_programFolder, QStringLiteral("rechtool/vq_bestell_rechnung")));
           });
    file->addSeparator();
    action(file, QStringLiteral("Erweiterte Einstellungen"), QStringLiteral("actErwEinstellungen"),
           {}, [this] { editExtendedSettings(); });
    action(file, QStringLiteral("E&igenschaften"), QStringLiteral("actEigenschaften"),
           QKeySequence(Qt::CTRL | Qt::Key_I), [this] { editProjectProperties(); });
    file->addSeparator();
    action(file, QStringLiteral("&Beenden"), QStringLiteral("actBeenden"), {}, [this] { close(); });

    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Bearbeiten"));
    buildUndoCommands(edit);
    edit->addSeparator();
    action(edit, QStringLiteral("HTML-Quelltext kopieren"), QStringLiteral("actHtmlKopieren"), {},
           [this] { copyCode(false); });
    action(edit, QStringLiteral("PHP-Code kopieren"), QStringLiteral("actPhpKopieren"), {},
           [this] { copyCode(true); });
    edit->addSeparator();
    action(edit, QStringLiteral("Bestellung als Unternehmen"),
           QStringLiteral("actBestellungUnternehmen"), {}, [this] { insertBusinessOrderFields(); });

    QMenu *exportMenu = menuBar()->addMenu(QStringLiteral("Export"));
    action(exportMenu, QStringLiteral("HTML Export"), QStringLiteral("actHtmlExport"), {},
           [this] { exportCode(false); });
    action(exportMenu, QStringLiteral("PHP Export"), QStringLiteral("actPhpExport"), {},
           [this] { exportCode(true); });
    action(exportMenu, QStringLiteral("Export in bestehende HTML-Datei"),
           QStringLiteral("actExportBestehend"), {}, [this] { exportIntoPage(); });
    action(exportMenu, QString::fromUtf16(kExportPriceListCommand), QStringLiteral("actPreisliste"),
           {}, [this] { exportPriceList(this, *m_dialogs, m_document.project()); });

    QMenu *settings = menuBar()->addMenu(QStringLiteral("&Einstellungen"));
    action(settings, QStringLiteral("&Feld-Vorlagen verwalten"), QStringLiteral("actFeldVorlagen"),
           {}, [this] { manageTemplates(false); });
    action(settings, QStringLiteral("Artikel-Vorlagen verwalten"),
           QStringLiteral("actArtikelVorlagen"), {}, [this] { manageTemplates(true); });
    settings->addSeparator();
    action(settings, QStringLiteral("FTP-Profile verwalten"), QStringLiteral("actFtpProfile"), {},
           [this] { pickFtpProfile(); });
    action(settings, QStringLiteral("Formmailer-Links verwalten"),
           QStringLiteral("actFormmailerLinks"), {}, [this] { manageFormMailers(); });

    QMenu *view = menuBar()->addMenu(QStringLiteral("&Ansicht"));
    action(view, QStringLiteral("Vorschau Fenster"), QStringLiteral("actVorschauFenster"), {},
           [this] { showPreviewWindow(); });
    // The history of the steps, beside the tabs; a click goes back to a step.
    auto *history = new QDockWidget(QStringLiteral("Verlauf"), this);
    history->setObjectName(QStringLiteral("dockVerlauf"));
    auto *steps = new QUndoView(&m_document.undoStack());
    steps->setObjectName(QStringLiteral("lvVerlauf"));
    steps->setAccessibleName(QStringLiteral("Verlauf"));
    steps->setEmptyLabel(QStringLiteral("<Geladener Stand>"));
    history->setWidget(steps);
    addDockWidget(Qt::RightDockWidgetArea, history);
    history->hide();
    QAction *showHistory = history->toggleViewAction();
    showHistory->setObjectName(QStringLiteral("actVerlauf"));
    showHistory->setText(QStringLiteral("Verlauf"));
    view->addAction(showHistory);

    const auto openHelp = [this] { designerHelp(m_programFolder).open(*m_dialogs, this); };
    QMenu *help = menuBar()->addMenu(QStringLiteral("&Hilfe"));
    action(help, QStringLiteral("&Hilfe"), QStringLiteral("actHilfe"), {}, openHelp);
    action(help, QStringLiteral("Auf neue Version prüfen"), QStringLiteral("actUpdate"), {},
           [this] { tellHowToUpdate(this, *m_dialogs); });
    action(help, QStringLiteral("&Info"), QStringLiteral("actInfo"), {}, [this] {
        TfrmInfo info(this);
        m_dialogs->runModal(info);
    });

    QToolBar *tools = addToolBar(QStringLiteral("Werkzeugleiste"));
    tools->setObjectName(QStringLiteral("tbMain"));
    tools->setMovable(false);
    tools->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    auto tool = [this, tools](QStyle::StandardPixmap icon, const QString &text, const QString &name,
                              auto slot) {
        QAction *a = tools->addAction(style()->standardIcon(icon), text);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    tool(QStyle::SP_FileIcon, QStringLiteral("Neu"), QStringLiteral("tbNeu"),
         [this] { newProject(); });
    tool(QStyle::SP_DialogOpenButton, QStringLiteral("Öffnen"), QStringLiteral("tbOeffnen"),
         [this] { openProject(); });
    tool(QStyle::SP_DialogSaveButton, QStringLiteral("Speichern"), QStringLiteral("tbSpeichern"),
         [this] { save(); });
    // Undo and redo with short captions; the step's name is their tool tip.
    QUndoStack *stack = &m_document.undoStack();
    QAction *undo = tool(QStyle::SP_ArrowBack, QStringLiteral("Rückgängig"),
                         QStringLiteral("tbRueckgaengig"), [stack] { stack->undo(); });
    QAction *redo = tool(QStyle::SP_ArrowForward, QStringLiteral("Wiederherstellen"),
                         QStringLiteral("tbWiederherstellen"), [stack] { stack->redo(); });
    const auto showSteps = [stack, undo, redo] {
        undo->setEnabled(stack->canUndo());
        undo->setToolTip(stack->canUndo() ? QStringLiteral("Rückgängig: ") + stack->undoText()
                                          : QStringLiteral("Rückgängig"));
        redo->setEnabled(stack->canRedo());
        redo->setToolTip(stack->canRedo() ? QStringLiteral("Wiederherstellen: ") + stack->redoText()
                                          : QStringLiteral("Wiederherstellen"));
    };
    connect(stack, &QUndoStack::indexChanged, this, showSteps);
    showSteps();
    tool(QStyle::SP_FileDialogDetailedView, QStringLiteral("PHP Export"),
         QStringLiteral("tbPhpExport"), [this] { exportCode(true); });
    tool(QStyle::SP_FileDialogContentsView, QStringLiteral("HTML Export"),
         QStringLiteral("tbHtmlExport"), [this] { exportCode(false); });
    m_uploadAction = tool(QStyle::SP_ArrowUp, QStringLiteral("FTP-Upload"),
                          QStringLiteral("tbFtpUpload"), [this] { ftpUpload(); });
    tools->addSeparator();
    tool(QStyle::SP_DialogHelpButton, QStringLiteral("Hilfe"), QStringLiteral("tbHilfe"), openHelp);
    tool(QStyle::SP_ComputerIcon, QStringLiteral("Vorschau"), QStringLiteral("tbVorschau"),
         [this] { showPreviewWindow(); });
    tool(QStyle::SP_DialogCloseButton, QStringLiteral("Beenden"), QStringLiteral("tbBeenden"),
         [this] { close(); });
}

// "Rückgängig" and "Wiederherstellen" name the step they undo or redo.
void TfrmMain::buildUndoCommands(QMenu *edit)
{
    QUndoStack *stack = &m_document.undoStack();
    QAction *undo = edit->addAction(QStringLiteral("Rückgängig"));
    undo->setObjectName(QStringLiteral("actRueckgaengig"));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    connect(undo, &QAction::triggered, stack, &QUndoStack::undo);
    QAction *redo = edit->addAction(QStringLiteral("Wiederherstellen"));
    redo->setObjectName(QStringLiteral("actWiederherstellen"));
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    connect(redo, &QAction::triggered, stack, &QUndoStack::redo);
    const auto named = [](const QString &command, const QString &step) {
        return step.isEmpty() ? command : command + QStringLiteral(": ") + step;
    };
    const auto showSteps = [stack, undo, redo, named] {
        undo->setEnabled(stack->canUndo());
        undo->setText(named(QStringLiteral("Rückgängig"), stack->undoText()));
        redo->setEnabled(stack->canRedo());
        redo->setText(named(QStringLiteral("Wiederherstellen"), stack->redoText()));
    };
    connect(stack, &QUndoStack::indexChanged, this, showSteps);
    showSteps();
}

void TfrmMain::buildTabs()
{
    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("pcMain"));
    const QStringList captions = tabCaptions();

    const auto editors = [this] { return m_editors.get(); };
    m_articlePanel =
        new ListPanel(ListPanel::Kind::Articles, m_document, *m_dialogs, editors, this);
    m_fieldPanel = new ListPanel(ListPanel::Kind::Fields, m_document, *m_dialogs, editors, this);
    for (ListPanel *panel : {m_articlePanel, m_fieldPanel})
        connect(panel, &ListPanel::templatesChanged, this, [this] { RefreshTemplateLists(); });
    m_tabs->addTab(m_articlePanel, captions[0]);
    m_tabs->addTab(m_fieldPanel, captions[1]);
    m_settings->addTabs(m_tabs);

    auto codeView = [](const QString &name) {
        auto *view = new QPlainTextEdit;
        view->setObjectName(name);
        view->setReadOnly(true);
        view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        view->setLineWrapMode(QPlainTextEdit::NoWrap);
        view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        return view;
    };
    m_htmlView = codeView(QStringLiteral("memoHTMLCode"));
    m_htmlView->setAccessibleName(QStringLiteral("HTML-Code"));
    m_phpView = codeView(QStringLiteral("memoPHPCode"));
    m_phpView->setAccessibleName(QStringLiteral("PHP-Code"));
    m_tabs->addTab(m_htmlView, captions[7]);
    m_tabs->addTab(m_phpView, captions[8]);
    auto *previewTab = new QWidget;
    previewTab->setObjectName(QStringLiteral("tsVorschau"));
    m_previewTabLayout = new QVBoxLayout(previewTab);
    m_previewTabLayout->setContentsMargins(0, 0, 0, 0);
    m_tabs->addTab(previewTab, captions[9]);

    connect(m_tabs, &QTabWidget::currentChanged, this, &TfrmMain::tabShown);
    setCentralWidget(m_tabs);
}

// ---------------------------------------------------------------- delegation

void TfrmMain::projectToControls()
{
    m_settings->showAll();
}

void TfrmMain::insertPlaceholder()
{
    m_settings->insertPlaceholder();
}

void TfrmMain::RefreshLists()
{
    m_document.listsReplaced();
}

QMenu *TfrmMain::fieldKindMenu() const
{
    return m_fieldPanel->kindMenu();
}

void TfrmMain::newField(const QString &typeWord)
{
    m_fieldPanel->newEntry(typeWord);
}

void TfrmMain::editField()
{
    m_fieldPanel->editSelected();
}

void TfrmMain::deleteField()
{
    m_fieldPanel->deleteSelected();
}

void TfrmMain::moveField(int delta)
{
    m_fieldPanel->moveSelected(delta);
}

void TfrmMain::newArticle()
{
    m_articlePanel->newEntry();
}

void TfrmMain::editArticle()
{
    m_articlePanel->editSelected();
}

void TfrmMain::deleteArticle()
{
    m_articlePanel->deleteSelected();
}

void TfrmMain::moveArticle(int delta)
{
    m_articlePanel->moveSelected(delta);
}

void TfrmMain::insertFieldTemplate()
{
    m_fieldPanel->insertTemplate();
}

void TfrmMain::insertArticleTemplate()
{
    m_articlePanel->insertTemplate();
}

void TfrmMain::saveFieldAsTemplate()
{
    m_fieldPanel->saveAsTemplate();
}

void TfrmMain::saveArticleAsTemplate()
{
    m_articlePanel->saveAsTemplate();
}

void TfrmMain::newProject()
{
    m_files->newProject();
}

void TfrmMain::openProject()
{
    m_files->openProject();
}

bool TfrmMain::save()
{
    return m_files->save();
}

bool TfrmMain::saveAs()
{
    return m_files->saveAs();
}

bool TfrmMain::loadProjectFile(const QString &path)
{
    return m_files->loadProjectFile(path);
}

void TfrmMain::openDroppedFiles(const QStringList &paths)
{
    m_files->openDroppedFiles(paths);
}

bool TfrmMain::ftpUpload()
{
    return m_publishing->upload();
}

bool TfrmMain::ftpUploadFile(const QString &localFile)
{
    return m_publishing->uploadFile(localFile);
}

void TfrmMain::pickFtpProfile()
{
    m_publishing->pickProfile();
}

void TfrmMain::browseFtpFolder()
{
    m_publishing->browseFolder();
}

bool TfrmMain::ftpBusy() const
{
    return m_publishing->busy();
}

// ---------------------------------------------------------------- start, file name

void TfrmMain::startUp(const QString &projectPath)
{
    appDataFolder();
    // The delivered libraries and form-mailer list; a file of the user's is never replaced.
    for (const char *file : {kFieldLibraryFile, kArticleLibraryFile, kFormMailerListFile})
        if (!QFileInfo::exists(appData(file)))
            QFile::copy(QDir(m_programFolder).filePath(QString::fromLatin1(file)), appData(file));
    RefreshTemplateLists();
    loadFormMailers();
    if (!projectPath.isEmpty())
        m_files->loadProjectFile(projectPath);
    else
        m_files->loadDefaultProject();
}

void TfrmMain::loadFormMailers()
{
    m_settings->loadFormMailers(appData(kFormMailerListFile));
}

void TfrmMain::showFileName(const QString &path)
{
    // A file's name may be anything, "<b>" included.
    setPlainLine(*m_fileLabel, path.isEmpty() ? QString::fromUtf16(kUnnamedProject)
                                              : QDir::toNativeSeparators(path));
}

void TfrmMain::showModified(bool modified)
{
    setWindowTitle(modified ? kCaption + QStringLiteral(" *") : kCaption);
}

QString TfrmMain::statusText() const
{
    return m_fileLabel->text();
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    // "Ja" closes only once the project is saved: a cancelled or failed save
    // keeps the window open rather than losing the work.
    if (!m_files->askToSave(true)) {
        event->ignore();
        return;
    }
    if (m_previewWindow)
        m_previewWindow->close();
    m_log->hide();
    event->accept();
}

void TfrmMain::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TfrmMain::dropEvent(QDropEvent *event)
{
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    event->acceptProposedAction();
    // The questions of each file must not run inside the drop itself.
    QMetaObject::invokeMethod(
        this, [this, paths] { openDroppedFiles(paths); }, Qt::QueuedConnection);
}

// ---------------------------------------------------------------- templates

void TfrmMain::RefreshTemplateLists()
{
    const TemplateLists lists =
        vq::RefreshTemplateLists(appData(kFieldLibraryFile), appData(kArticleLibraryFile));
    m_fieldPanel->setTemplates(lists.fields);
    m_articlePanel->setTemplates(lists.articles);
    if (!lists.error.isEmpty())
        m_dialogs->tell(this, QMessageBox::Critical, QStringLiteral("Vorlagen"), lists.error);
}

void TfrmMain::manageTemplates(bool articles)
{
    TfrmVorlagen manager(QString::fromLatin1(articles ? kArticleCaptionTag : kFieldCaptionTag),
                         appData(articles ? kArticleLibraryFile : kFieldLibraryFile), *m_dialogs,
                         this);
    m_dialogs->runModal(manager);
    RefreshTemplateLists();
}

// ---------------------------------------------------------------- dialogs

void TfrmMain::editExtendedSettings()
{
    TExtSettings settings = m_document.project().ExtSettings;
    TfrmErwEinstellungen dialog(settings, *m_dialogs, this);
    if (m_dialogs->runModal(dialog) != QDialog::Accepted)
        return;
    dialog.saveTo(settings);
    m_document.setExtSettings(settings, QStringLiteral("Erweiterte Einstellungen"));
}

void TfrmMain::editProjectProperties()
{
    TExtSettings settings = m_document.project().ExtSettings;
    TfrmProjectSettings dialog(settings.ProjectSettings, *m_dialogs, this);
    if (m_dialogs->runModal(dialog) != QDialog::Accepted)
        return;
    dialog.saveTo(settings.ProjectSettings);
    m_document.setExtSettings(settings, QStringLiteral("Eigenschaften"));
}

void TfrmMain::manageFormMailers()
{
    TfrmFormMailers manager(appData(kFormMailerListFile), *m_dialogs, this);
    m_dialogs->runModal(manager);
    loadFormMailers();
}

// ---------------------------------------------------------------- generation

std::optional<QString> TfrmMain::generate(bool php, QString *formId)
{
    try {
        std::unique_ptr<TCodeExport> generator;
        if (php)
            generator = std::make_unique<TGenPHP>(m_document.project(), m_programFolder);
        else
            generator = std::make_unique<TGenHTML>(m_document.project(), m_programFolder);
        QString page = generator->GenCode();
        if (formId)
            *formId = generator->strFormID;
        (php ? m_phpView : m_htmlView)->setPlainText(page);
        return page;
    } catch (const GenerationError &error) {
        m_dialogs->tell(this, QMessageBox::Critical, QStringLiteral("Fehler"), error.message());
        return std::nullopt;
    }
}

std::optional<PreviewPage> TfrmMain::previewPage()
{
    try {
        TGenHTML generator(m_document.project(), m_programFolder);
        PreviewPage page;
        page.page = generator.GenCode();
        page.formId = generator.strFormID;
        page.encoding = m_document.project().ExtSettings.encoding;
        return page;
    } catch (const GenerationError &) {
        return std::nullopt;
    }
}

void TfrmMain::tabShown(int index)
{
    if (index == TabHtml || index == TabPhp) {
        generate(index == TabPhp);
    } else if (index == TabPreview) {
        orderButtonAccepted(QStringLiteral("Vorschau"), false);
        if (!m_previewBrowser) {
            m_previewBrowser = new PreviewBrowser(appData("temp.htm"));
            m_previewTabLayout->addWidget(m_previewBrowser);
        }
        if (const std::optional<PreviewPage> page = previewPage())
            m_previewBrowser->show(*page);
    }
}

void TfrmMain::copyCode(bool php)
{
    const std::optional<QString> page = generate(php);
    if (!page)
        return;
    QApplication::clipboard()->setText(*page);
    m_dialogs->tell(this, QMessageBox::Information, QStringLiteral("Quelltext kopiert"),
                    QStringLiteral("Quelltext wurde in die Zwischenablage kopiert."));
}

void TfrmMain::exportCode(bool php)
{
    if (!orderButtonAccepted(php ? QStringLiteral("PHP Export") : QStringLiteral("HTML Export"),
                             true, !php))
        return;
    const ProjectDocument &project = m_document.project();
    if (php && hasUploadField(project.ListField))
        m_dialogs->tell(this, QMessageBox::Information, QStringLiteral("PHP Export"),
                        QStringLiteral("Hinweis das Formular enthält ein Datei-Upload-Feld.\r\n"
                                       "Bitte lesen Sie die Hinweise in der Hilfe, damit das Feld "
                                       "korrekt übermittelt wird."));
    std::optional<QString> page;
    if (!php && !(page = generate(false)))
        return;
    const QString path = m_dialogs->saveFileName(this, QStringLiteral("Speichern unter"),
                                                 php ? QStringLiteral("formular.php")
                                                     : QStringLiteral("formular.htm"),
                                                 php ? phpFileFilter() : htmlFileFilter());
    if (path.isEmpty())
        return;
    if (php && !(page = generate(true)))
        return;
    QString error;
    if (!writeGeneratedText(path, *page, project.ExtSettings.encoding, &error,
                            php ? GeneratedKind::PhpScript : GeneratedKind::Page))
        m_dialogs->tell(this, QMessageBox::Critical,
                        php ? QStringLiteral("PHP Export") : QStringLiteral("HTML Export"), error);
}

bool TfrmMain::orderButtonAccepted(const QString &title, bool ask, bool postsHtml)
{
    QString warning = orderButtonWarning(m_document.project());
    if (const QString captcha = postsHtml ? captchaWarning(m_document.project()) : QString();
        !captcha.isEmpty())
        warning += (warning.isEmpty() ? QString() : QStringLiteral("\r\n\r\n")) + captcha;
    if (warning.isEmpty())
        return true;
    if (!ask) {
        m_dialogs->tell(this, QMessageBox::Warning, title, warning);
        return true;
    }
    return m_dialogs->askWarningYesNo(this, title,
                                      warning + QStringLiteral("\r\n\r\nTrotzdem fortfahren?"));
}

void TfrmMain::showPreviewWindow()
{
    orderButtonAccepted(QStringLiteral("Vorschau"), false);
    if (!m_previewWindow)
        m_previewWindow =
            new TfrmPreview([this] { return previewPage(); }, appData("temp.htm"), this);
    m_previewWindow->showAndStart();
}

void TfrmMain::exportIntoPage()
{
    if (!orderButtonAccepted(QStringLiteral("HTML Export"), true, true))
        return;
    TfrmHtmlExport::Hooks hooks;
    hooks.generate = [this] { return generate(false); };
    hooks.upload = [this](const QString &file) { ftpUploadFile(file); };
    TfrmHtmlExport dialog(*m_dialogs, std::move(hooks), m_document.project().ExtSettings.encoding,
                          m_programFolder, this);
    const QString last = m_document.project().ExtSettings.HTMLExportFileName;
    if (!last.isEmpty() && QFileInfo::exists(last))
        dialog.openPage(last);
    m_dialogs->runModal(dialog);
    TExtSettings settings = m_document.project().ExtSettings;
    settings.HTMLExportFileName = dialog.fileName();
    m_document.setExtSettings(settings, QStringLiteral("Exportdatei"));
}

} // namespace vq::ui
