#include "designer/ui/uHtmlExportDlg.h"

#include "common/GlobalFunctions.h"
#include "common/safe_file.h"
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
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineSettings>
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

namespace {

// Where the caret (or the selection) stands, as [mark, characters] of its
// start and of its end: the nearest view mark before it in document order
// and the text characters between that mark and the caret. Null without a
// selection in the page.
const QString kCaretScript = QStringLiteral(R"((function () {
  function isMark(n) { return n.nodeType === 8 && n.data.indexOf('%1') === 0; }
  function deepestLast(n) { while (n.lastChild) n = n.lastChild; return n; }
  function before(n) { return n.previousSibling ? deepestLast(n.previousSibling) : n.parentNode; }
  function locate(container, offset) {
    var n, count = 0;
    if (container.nodeType === 3) { count = offset; n = before(container); }
    else if (!container.hasChildNodes()) { n = container; }
    else if (offset > 0) {
      n = deepestLast(container.childNodes[Math.min(offset, container.childNodes.length) - 1]);
    }
    else if (container.firstChild && isMark(container.firstChild)) { n = container.firstChild; }
    else { n = container; }
    for (; n; n = before(n)) {
      if (isMark(n)) return [parseInt(n.data.substring(%2), 10), count];
      if (n.nodeType === 3) count += n.data.length;
    }
    return null;
  }
  var s = window.getSelection();
  if (!s || s.rangeCount === 0) return null;
  var r = s.getRangeAt(0);
  var a = locate(r.startContainer, r.startOffset);
  if (!a) return null;
  var b = r.collapsed ? a : locate(r.endContainer, r.endOffset);
  return a.concat(b || a);
})())")
                                 .arg(QString::fromUtf16(kViewMarkPrefix))
                                 .arg(QString::fromUtf16(kViewMarkPrefix).size());

// Edit mode for the caret only: typing, pasting, dropping and deleting change
// nothing, since only the blocks are written into the page.
QString editModeScript(bool on)
{
    return on ? QStringLiteral(
               "if (!window.vqInputBlocked) {"
               "  window.vqInputBlocked = true;"
               "  document.addEventListener('beforeinput', function (e) { e.preventDefault(); }, "
               "true);"
               "  document.addEventListener('drop', function (e) { e.preventDefault(); }, true);"
               "}"
               "document.designMode = 'on';")
              : QStringLiteral("document.designMode = 'off';");
}

} // namespace

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
    // The page's own scripts stay off: they would change the shown document.
    m_page->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
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
    PageSource source = decodePage(file.readAll(), m_encoding);
    file.close();
    removeWorkingCopy();
    m_page->locked = false;
    m_fileName = path;
    m_source = std::move(source);
    setPlainLine(*m_status, path);
    if (!writeWorkingCopy(m_source.text)) {
        m_dialogs.tell(this, QMessageBox::Critical, windowTitle(),
                       QStringLiteral("Die Arbeitskopie \"%1\" kann nicht angelegt werden.")
                           .arg(workingCopy()));
        m_fileName.clear();
        m_source = {};
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
    const bool hasForm = hasFormBlock(m_source.text);
    m_add->setEnabled(!hasForm);
    m_refresh->setEnabled(hasForm);
    m_delete->setEnabled(hasForm);
    m_page->runJavaScript(editModeScript(!hasForm), QWebEngineScript::ApplicationWorld);
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
    m_page->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                          [state](const QVariant &result) {
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

bool TfrmHtmlExport::writeWorkingCopy(const QString &text)
{
    // The view's marks let a caret be found again in the page's own text.
    QString error;
    return writeFileSafely(workingCopy(), encodePage({textForView(text), m_source.encoding}),
                           &error);
}

void TfrmHtmlExport::writeBack(const QString &text)
{
    if (!writeWorkingCopy(text)) {
        m_dialogs.tell(this, QMessageBox::Critical, windowTitle(),
                       QStringLiteral("Die Arbeitskopie \"%1\" kann nicht geschrieben werden.")
                           .arg(workingCopy()));
        return;
    }
    m_source.text = text;
    m_page->locked = false;
    m_view->setUrl(QUrl::fromLocalFile(workingCopy()));
}

bool TfrmHtmlExport::refused()
{
    const QString refusal = exportRefusal(m_source.text);
    if (refusal.isEmpty())
        return false;
    m_dialogs.tell(this, QMessageBox::Warning, windowTitle(), refusal);
    return true;
}

void TfrmHtmlExport::addForm()
{
    if (m_fileName.isEmpty())
        return;
    if (hasFormBlock(m_source.text)) {
        m_dialogs.tell(
            this, QMessageBox::Information, windowTitle(),
            QStringLiteral(
                "Es ist bereits ein Formular in dieser Seite, entfernen Sie dieses zuerst "
                "oder aktualisieren Sie es."));
        return;
    }
    if (refused())
        return;
    const QVariantList caret = runScript(kCaretScript).toList();
    const qsizetype from =
        caret.size() == 4
            ? positionAfterMark(m_source.text, caret[0].toLongLong(), caret[1].toLongLong())
            : -1;
    if (from < 0) {
        // Without a caret in the page there is no place for the form.
        m_dialogs.tell(
            this, QMessageBox::Information, windowTitle(),
            QStringLiteral("Bitte klicken Sie zuerst an die Stelle der Seite, an der das Formular "
                           "stehen soll."));
        return;
    }
    // A selection within one run of text is replaced by the form.
    const qsizetype to =
        caret[2] == caret[0] ? std::max(
            from, positionAfterMark(m_source.text, caret[2].toLongLong(), caret[3].toLongLong()))
                             : from;
    const std::optional<QString> generated = m_hooks.generate();
    if (!generated)
        return;
    QString text = m_source.text;
    text.replace(from, to - from, QString::fromUtf16(kInsertionMark));
    writeBack(insertBlocks(text, *generated));
}

void TfrmHtmlExport::refreshForm()
{
    if (m_fileName.isEmpty() || refused())
        return;
    const std::optional<QString> generated = m_hooks.generate();
    if (generated)
        writeBack(refreshBlocks(m_source.text, *generated));
}

void TfrmHtmlExport::deleteForm()
{
    if (!m_fileName.isEmpty())
        writeBack(removeBlocks(m_source.text));
}

bool TfrmHtmlExport::save()
{
    if (m_fileName.isEmpty())
        return false;
    QString error;
    if (!writeFileSafely(m_fileName, encodePage(m_source), &error)) {
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
    QString error;
    if (!writeFileSafely(temp, encodePage(m_source), &error)) {
        m_dialogs.tell(this, QMessageBox::Critical, windowTitle(),
                       QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden.").arg(temp));
        return;
    }
    m_hooks.upload(temp);
}

void TfrmHtmlExport::done(int result)
{
    // A failed save keeps the dialog open with the working copy, so no edit
    // is lost; the user may retry or close without saving.
    if (!m_fileName.isEmpty()
        && m_dialogs.ask(this, QMessageBox::Question, windowTitle(),
                         QStringLiteral("Soll die aktuelle Datei gespeichert werden?"),
                         QMessageBox::Yes | QMessageBox::No)
               == QMessageBox::Yes
        && !save())
        return;
    removeWorkingCopy();
    QDialog::done(result);
}

} // namespace vq::ui
