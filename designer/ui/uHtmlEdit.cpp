#include "designer/ui/uHtmlEdit.h"

#include "designer/editor_rules/editor_rules.h"

#include <QAction>
#include <QEventLoop>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <stdexcept>

namespace vq::ui {

namespace {
// The first start of the browser process takes a few seconds on a slow machine.
constexpr int kLoadTimeoutMs = 30000;
constexpr int kScriptTimeoutMs = 10000;
} // namespace

TfrmHtmlEdit::TfrmHtmlEdit(UserQuestions &prompts, QWidget *parent)
    : QDialog(parent)
    , m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmHtmlEdit"));
    setWindowTitle(QStringLiteral("HTML-Editor"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *menuBar = new QMenuBar(this);
    layout->setMenuBar(menuBar);
    // The captions are words, so the tool bar takes two rows.
    QToolBar *toolBars[2];
    for (int row = 0; row < 2; ++row) {
        toolBars[row] = new QToolBar(this);
        toolBars[row]->setObjectName(QStringLiteral("tbHtmlEdit%1").arg(row + 1));
        toolBars[row]->setToolButtonStyle(Qt::ToolButtonTextOnly);
        layout->addWidget(toolBars[row]);
    }

    m_view = new QWebEngineView(this);
    m_view->setObjectName(QStringLiteral("wbEditor"));
    m_view->setAccessibleName(QStringLiteral("HTML-Editor"));
    layout->addWidget(m_view, 1);
    // Scripts inside a snippet do not run while it is edited; the editor's own
    // scripts run in a world of their own.
    m_view->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    connect(m_view, &QWebEngineView::loadFinished, this, [this](bool ok) {
        m_loaded = ok;
        m_loadFailed = !ok;
    });
    m_view->setUrl(QUrl(QStringLiteral("about:blank")));

    auto *actNew = new QAction(QStringLiteral("Neu"), this);
    actNew->setObjectName(QStringLiteral("actNew"));
    connect(actNew, &QAction::triggered, this, &TfrmHtmlEdit::newDocument);
    auto *actExit = new QAction(QStringLiteral("Beenden"), this);
    actExit->setObjectName(QStringLiteral("actExit"));
    connect(actExit, &QAction::triggered, this, &QDialog::close);

    auto pageAction = [this](const QString &name, const QString &caption,
                             QWebEnginePage::WebAction action, QKeySequence::StandardKey key) {
        auto *act = new QAction(caption, this);
        act->setObjectName(name);
        act->setShortcut(key);
        act->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(act);
        connect(act, &QAction::triggered, this,
                [this, action] { m_view->page()->triggerAction(action); });
        return act;
    };
    QAction *actCut = pageAction(QStringLiteral("actCut"), QStringLiteral("Ausschneiden"),
                                 QWebEnginePage::Cut, QKeySequence::Cut);
    QAction *actCopy = pageAction(QStringLiteral("actCopy"), QStringLiteral("Kopieren"),
                                  QWebEnginePage::Copy, QKeySequence::Copy);
    QAction *actPaste = pageAction(QStringLiteral("actPaste"), QStringLiteral("Einfügen"),
                                   QWebEnginePage::Paste, QKeySequence::Paste);

    auto command = [](const char *name) { return editCommandScript(QString::fromLatin1(name)); };
    QAction *actBold =
        addEditAction(QStringLiteral("actBold"), QStringLiteral("Fett"), command("Bold"));
    QAction *actItalic =
        addEditAction(QStringLiteral("actItalic"), QStringLiteral("Kursiv"), command("Italic"));
    QAction *actUnderline = addEditAction(QStringLiteral("actUnderline"),
                                          QStringLiteral("Unterstrichen"), command("Underline"));
    QAction *actLeft = addEditAction(QStringLiteral("actLeft"), QStringLiteral("Linksbündig"),
                                     command("JustifyLeft"));
    QAction *actCenter = addEditAction(QStringLiteral("actCenter"), QStringLiteral("Zentriert"),
                                       command("JustifyCenter"));
    QAction *actRight = addEditAction(QStringLiteral("actRight"), QStringLiteral("Rechtsbündig"),
                                      command("JustifyRight"));
    QAction *actBullet = addEditAction(QStringLiteral("actBullet"), QStringLiteral("Aufzählung"),
                                       command("InsertUnorderedList"));
    QAction *actNumbering =
        addEditAction(QStringLiteral("actNumbering"), QStringLiteral("Nummerierung"),
                      command("InsertOrderedList"));
    auto *actHyperlink = new QAction(QStringLiteral("Hyperlink einfügen"), this);
    actHyperlink->setObjectName(QStringLiteral("actHyperlink"));
    connect(actHyperlink, &QAction::triggered, this, &TfrmHtmlEdit::hyperlink);
    QAction *actFontUp = addEditAction(QStringLiteral("actFontUp"),
                                       QStringLiteral("Schrift größer"), fontSizeStepScript(1));
    QAction *actFontMin = addEditAction(QStringLiteral("actFontMin"),
                                        QStringLiteral("Schrift kleiner"), fontSizeStepScript(-1));
    auto *actFontColor = new QAction(QStringLiteral("Schriftfarbe"), this);
    actFontColor->setObjectName(QStringLiteral("actFontColor"));
    connect(actFontColor, &QAction::triggered, this, &TfrmHtmlEdit::fontColour);

    QMenu *file = menuBar->addMenu(QStringLiteral("D&atei"));
    file->addAction(actNew);
    file->addAction(actExit);
    QMenu *edit = menuBar->addMenu(QStringLiteral("Bearbeiten"));
    edit->addActions({actCut, actCopy, actPaste});

    const QList<QList<QAction *>> groups = {{actNew},
                                            {actCut, actCopy, actPaste},
                                            {actBold, actItalic, actUnderline},
                                            {actLeft, actCenter, actRight},
                                            {actBullet, actNumbering},
                                            {actHyperlink},
                                            {actFontUp, actFontMin, actFontColor},
                                            {actExit}};
    for (qsizetype i = 0; i < groups.size(); ++i) {
        QToolBar *toolBar = toolBars[i < 4 ? 0 : 1];
        if (i != 0 && i != 4)
            toolBar->addSeparator();
        toolBar->addActions(groups[i]);
    }
    resize(900, 560);
}

QAction *TfrmHtmlEdit::addEditAction(const QString &objectName, const QString &caption,
                                     const QString &script)
{
    auto *act = new QAction(caption, this);
    act->setObjectName(objectName);
    connect(act, &QAction::triggered, this, [this, script] { runAction(script); });
    return act;
}

void TfrmHtmlEdit::runAction(const QString &script)
{
    try {
        runScript(script);
    } catch (const std::exception &) {
        // A browser that stopped answering loses only this formatting step.
    }
    m_view->setFocus();
}

void TfrmHtmlEdit::waitForLoad()
{
    if (m_loaded)
        return;
    if (!m_loadFailed) {
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(m_view, &QWebEngineView::loadFinished, &loop, &QEventLoop::quit);
        timer.start(kLoadTimeoutMs);
        loop.exec();
    }
    if (!m_loaded)
        throw std::runtime_error("the HTML editor's browser did not start");
}

QVariant TfrmHtmlEdit::runScript(const QString &script)
{
    waitForLoad();
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    // The result outlives this call when the browser answers after the timeout.
    auto result = std::make_shared<std::pair<bool, QVariant>>(false, QVariant());
    QPointer<QEventLoop> guard(&loop);
    m_view->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                  [result, guard](const QVariant &value) {
                                      result->first = true;
                                      result->second = value;
                                      if (guard)
                                          guard->quit();
                                  });
    if (!result->first) {
        timer.start(kScriptTimeoutMs);
        loop.exec();
    }
    if (!result->first)
        throw std::runtime_error("the HTML editor's browser does not answer");
    return result->second;
}

void TfrmHtmlEdit::SetSource(const QString &html)
{
    const QVariant done = runScript(writeDocumentScript(html, m_shown));
    if (!done.toBool())
        throw std::runtime_error("the HTML editor could not take the text");
}

QString TfrmHtmlEdit::GetSource()
{
    return runScript(QStringLiteral("document.body?document.body.innerHTML:'';")).toString();
}

void TfrmHtmlEdit::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_shown = true;
    m_view->page()->runJavaScript(QStringLiteral("document.designMode='on';"),
                                  QWebEngineScript::ApplicationWorld);
    m_view->setFocus();
}

void TfrmHtmlEdit::newDocument()
{
    if (!m_prompts.confirm(this, QStringLiteral("Wollen Sie die bestehende Eingabe löschen?")))
        return;
    try {
        SetSource(QString());
    } catch (const std::exception &) {
    }
}

void TfrmHtmlEdit::fontColour()
{
    const std::optional<QColor> colour =
        m_prompts.pickColour(this, QStringLiteral("Schriftfarbe"), Qt::black);
    if (!colour)
        return;
    // The command takes RRGGBB; the browser wants the colour as CSS, with "#".
    runAction(editCommandScript(QStringLiteral("ForeColor"),
                                QLatin1Char('#') + fontColourValue(*colour)));
}

void TfrmHtmlEdit::hyperlink()
{
    // The browser shows no address dialog of its own, so ask here.
    const std::optional<QString> address =
        m_prompts.askText(this, QStringLiteral("Hyperlink einfügen"), QStringLiteral("Adresse:"),
                          QStringLiteral("http://"));
    if (!address || address->trimmed().isEmpty())
        return;
    runAction(editCommandScript(QStringLiteral("CreateLink"), address->trimmed()));
}

void TfrmHtmlEdit::done(int result)
{
    Q_UNUSED(result);
    if (m_closing)
        return;
    m_closing = true;
    bool accepted = m_prompts.confirm(this, QStringLiteral("Soll die Eingabe übernommen werden?"));
    if (accepted) {
        try {
            m_acceptedSource = GetSource();
        } catch (const std::exception &) {
            m_prompts.message(this, htmlEditorUnavailableMessage());
            accepted = false;
        }
    }
    m_closing = false;
    QDialog::done(accepted ? QDialog::Accepted : QDialog::Rejected);
}

bool editHtmlSnippet(QWidget *parent, UserQuestions &prompts, QString &text)
{
    TfrmHtmlEdit editor(prompts, parent);
    editor.SetSource(text);
    if (editor.exec() != QDialog::Accepted)
        return false;
    text = editor.acceptedSource();
    return true;
}

} // namespace vq::ui
