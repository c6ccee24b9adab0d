#include "designer/ui/uHtmlExportDlg.h"

#include "common/GlobalFunctions.h"
#include "common/text_file.h"
#include "common_ui/plain_text.h"
#include "common_ui/questions.h"
#include "designer/generation/uHtmlExport.h"
#include "designer/ui/designer_help.h"

#include <QAction>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <memory>

namespace vq::ui {

// Cancels every navigation of the main frame while locked, so links in the
// shown page cannot lead away from it.
class ExportPage : public QWebEnginePage
{
public:
    using QWebEnginePage::QWebEnginePage;
    bool locked = false;

protected:
    bool acceptNavigationRequest(const QUrl &, NavigationType, bool isMainFrame) override
    {
        return !(locked && isMainFrame);
    }
};

TfrmHtmlExport::TfrmHtmlExport(UserQuestions &dialogs, Hooks hooks, QString encoding,
                               QString programFolder, QWidget *parent)
    : vq::ui::ListManagerDialog(parent)
    , m_dialogs(dialogs)
    , m_hooks(std::move(hooks))
    , m_encoding(std::move(encoding))
    , m_programFolder(std::move(programFolder))
{
    setObjectName(QStringLiteral("frmHtmlExport"));
    setWindowTitle(QStringLiteral("Export in bestehende HTML-Seite"));
    setSizeGripEnabled(true);
    auto makeAction = [this](QStyle::StandardPixmap icon, const QString &text, const char *name,
                             auto slot) {
        QAction *a = addCommand(name, text, icon);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    QAction *open = makeAction(QStyle::SP_DialogOpenButton, QStringLiteral("Datei öffnen"),
                               "actOpenFile", [this] { openFile(); });
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    m_save = makeAction(QStyle::SP_DialogSaveButton, QStringLiteral("Speichern"), "actSave",
                        [this] { save(); });
    m_save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    m_add = makeAction(QStyle::SP_FileDialogNewFolder, QStringLiteral("Formular einfügen"),
                       "actAddForm", [this] { addForm(); });
    m_refresh = makeAction(QStyle::SP_BrowserReload, QStringLiteral("Form. aktualisieren"),
                           "actRefresh", [this] { refreshForm(); });
    m_delete = makeAction(QStyle::SP_TrashIcon, QStringLiteral("Formular entfernen"), "actDelete",
                          [this] { deleteForm(); });
    m_upload = makeAction(QStyle::SP_ArrowUp, QStringLiteral("FTP-Upload"), "actFTPUpload",
                          [this] { upload(); });
    QAction *exit = makeAction(QStyle::SP_DialogCloseButton, QStringLiteral("Verlassen"), "actExit",
                               [this] { reject(); });
    QAction *help = makeAction(QStyle::SP_DialogHelpButton, QStringLiteral("Hilfe"), "actHelp",
                               [this] { designerHelp(m_programFolder).open(m_dialogs, this); });
    for (QAction *a : {m_save, m_add, m_refresh, m_delete, m_upload})
        a->setEnabled(false);

    QMenu *file = menuBar()->addMenu(QStringLiteral("&Datei"));
    file->addActions({m_save, open});
    file->addSeparator();
    file->addAction(exit);
    menuBar()->addMenu(QStringLiteral("&Formular"))->addActions({m_add, m_refresh, m_delete});
    menuBar()->addMenu(QStringLiteral("&Hilfe"))->addAction(help);

    QToolBar *tools = toolBar();
    tools->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tools->addActions({open, m_save});
    tools->addSeparator();
    tools->addActions({m_add, m_refresh, m_delete});
    tools->addSeparator();
    tools->addAction(m_upload);
    tools->addSeparator();
    tools->addAction(exit);
    // The tool bar's shorter captions for insert and remove: the buttons show
    // the actions' icon texts, which stay when the actions are enabled or
    // disabled (a caption set on the button was replaced then).
    m_add->setIconText(QStringLiteral("Form. einfügen"));
    m_delete->setIconText(QStringLiteral("Form. entfernen"));

    m_view = new QWebEngineView;
    m_view->setObjectName(QStringLiteral("wbHtml"));
    m_view->setAccessibleName(QStringLiteral("HTML-Seite"));
    m_page = new ExportPage(m_view);
    m_view->setPage(m_page);
    connect(m_view, &QWebEngineView::loadFinished, this, [this](bool ok) {
        // Out of the engine's notification: the page text is asked for by a
        // script whose answer cannot arrive while it is being delivered.
        if (ok)
            QTimer::singleShot(0, this, &TfrmHtmlExport::documentComplete);
    });

    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("lblDatei"));
    m_status->setTextFormat(Qt::PlainText);
    auto *statusBar = new QStatusBar;
    statusBar->addWidget(m_status, 1);

    QVBoxLayout *layout = frameLayout();
    layout->addWidget(m_view, 1);
    layout->addWidget(statusBar);
    resize(900, 680);
    m_view->setUrl(QUrl(QStringLiteral("about:blank")));
}

TfrmHtmlExport::~TfrmHtmlExport()
{
    removeWorkingCopy();
}

QString TfrmHtmlExport::workingCopy() const
{
    return m_fileName.isEmpty() ? QString() : m_fileName + QStringLiteral(".copy.html");
}

bool TfrmHtmlExport::navigationLocked() const
{
    return m_page->locked;
}

void TfrmHtmlExport::removeWorkingCopy()
{
    if (!m_fileName.isEmpty())
        QFile::remove(workingCopy());
}

void TfrmHtmlExport::openFile()
{
    const QString path =
        m_dialogs.openFileName(this, QStringLiteral("Öffnen"),
                               QStringLiteral("HTML-Datei (*.html *.htm);;Alle Dateien (*)"));
    if (!path.isEmpty())
        openPage(path);
}

void TfrmHtmlExport::openPage(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_dialogs.tell(this, QMessageBox::Critical, windowTitle(),
                       QStringLiteral("Die Datei \"%1\" kann nicht geöffnet werden: %2")
                           .arg(path, file.errorString()));
        return;
    }
    const QString text = fromUtf8OrWindows1252(file.readAll());
    file.close();
    removeWorkingCopy();
    m_page->locked = false;
    m_fileName = path;
    setPlainLine(*m_status, path);
    const qsizetype root = text.indexOf(QRegularExpression(
        QStringLiteral("<html[\\s>]"), QRegularExpression::CaseInsensitiveOption));
    m_prefix = root > 0 ? text.left(root) : QString();
    QFile::remove(workingCopy());
    if (!QFile::copy(path, workingCopy())) {
        m_dialogs.tell(this, QMessageBox::Critical, windowTitle(),
                       QStringLiteral("Die Arbeitskopie \"%1\" kann nicht angelegt werden.")
                           .arg(workingCopy()));
        m_fileName.clear();
        m_status->clear();
        return;
    }
    m_view->setUrl(QUrl::fromLocalFile(workingCopy()));
    m_save->setEnabled(true);
    m_upload->setEnabled(true);
}

void TfrmHtmlExport::documentComplete()
{
    m_page->locked = true;
    if (m_fileName.isEmpty())
        return;
    // The document just loaded is the working copy as written: read it from
    // the file rather than waiting for the engine's answer here.
    QFile copy(workingCopy());
    const bool hasForm =
        copy.open(QIODevice::ReadOnly) && hasFormBlock(fromUtf8OrWindows1252(copy.readAll()));
    m_add->setEnabled(!hasForm);
    m_refresh->setEnabled(hasForm);
    m_delete->setEnabled(hasForm);
    m_page->runJavaScript(hasForm ? QStringLiteral("document.designMode = 'off';")
                                  : QStringLiteral("document.designMode = 'on';"));
    Q_EMIT pageReady();
}

QVariant TfrmHtmlExport::runScript(const QString &script)
{
    // The engine answers asynchronously; wait for it here (briefly), so each
    // action works on the page as it is now.
    struct State
    {
        QVariant result;
        bool done = false;
        QEventLoop loop;
    };
    auto state = std::make_shared<State>();
    m_page->runJavaScript(script, [state](const QVariant &result) {
        state->result = result;
        state->done = true;
        state->loop.quit();
    });
    if (!state->done) {
        QTimer::singleShot(10000, &state->loop, &QEventLoop::quit);
        state->loop.exec();
    }
    return state->result;
}

QString TfrmHtmlExport::pageText()
{
    return runScript(
               QStringLiteral("document.documentElement ? document.documentElement.outerHTML : ''"))
        .toString();
}

bool TfrmHtmlExport::writePage(const QString &path, const QString &text)
{
    QString error;
    return writeGeneratedText(path, m_prefix + text, m_encoding, &error);
}

void TfrmHtmlExport::writeBack(const QString &text)
{
    if (!writePage(workingCopy(), text)) {
        m_dialogs.tell(this, QMessageBox::Critical, windowTitle(),
                       QStringLiteral("Die Arbeitskopie \"%1\" kann nicht geschrieben werden.")
                           .arg(workingCopy()));
        return;
    }
    m_page->locked = false;
    m_view->setUrl(QUrl::fromLocalFile(workingCopy()));
}

void TfrmHtmlExport::addForm()
{
    if (m_fileName.isEmpty())
        return;
    if (hasFormBlock(pageText())) {
        m_dialogs.tell(
            this, QMessageBox::Information, windowTitle(),
            QStringLiteral(
                "Es ist bereits ein Formular in dieser Seite, entfernen Sie dieses zuerst "
                "oder aktualisieren Sie es."));
        return;
    }
    const std::optional<QString> generated = m_hooks.generate();
    if (!generated)
        return;
    const QString text = runScript(QStringLiteral("document.execCommand('insertText', false, '%1');"
                                                  "document.documentElement.outerHTML")
                                       .arg(QString::fromUtf16(kInsertionMark)))
                             .toString();
    if (!hasInsertionMark(text)) {
        // Without a caret in the page there is no place for the form.
        m_dialogs.tell(
            this, QMessageBox::Information, windowTitle(),
            QStringLiteral("Bitte klicken Sie zuerst an die Stelle der Seite, an der das Formular "
                           "stehen soll."));
        return;
    }
    writeBack(insertBlocks(text, *generated));
}

void TfrmHtmlExport::refreshForm()
{
    if (m_fileName.isEmpty())
        return;
    const std::optional<QString> generated = m_hooks.generate();
    if (generated)
        writeBack(refreshBlocks(pageText(), *generated));
}

void TfrmHtmlExport::deleteForm()
{
    if (!m_fileName.isEmpty())
        writeBack(removeBlocks(pageText()));
}

bool TfrmHtmlExport::save()
{
    if (m_fileName.isEmpty())
        return false;
    if (!writePage(m_fileName, pageText())) {
        m_dialogs.tell(
            this, QMessageBox::Critical, windowTitle(),
            QStringLiteral(
                "Datei konnte nicht gespeichert werden, bitte prüfen Sie auf einen evtl. "
                "Schreibschutz der Datei."));
        return false;
    }
    return true;
}

void TfrmHtmlExport::upload()
{
    if (m_fileName.isEmpty())
        return;
    const QString temp = QDir(tempFolder()).filePath(QStringLiteral("vqform_temp.htm"));
    if (!writePage(temp, pageText())) {
        m_dialogs.tell(this, QMessageBox::Critical, windowTitle(),
                       QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden.").arg(temp));
        return;
    }
    m_hooks.upload(temp);
}

void TfrmHtmlExport::done(int result)
{
    if (!m_fileName.isEmpty()
        && m_dialogs.ask(this, QMessageBox::Question, windowTitle(),
                         QStringLiteral("Soll die aktuelle Datei gespeichert werden?"),
                         QMessageBox::Yes | QMessageBox::No)
               == QMessageBox::Yes)
        save();
    removeWorkingCopy();
    QDialog::done(result);
}

} // namespace vq::ui
