#include "designer/ui/uPreviewWindow.h"

#include "common/text_file.h"

#include <QCloseEvent>
#include <QFile>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace vq::ui {

namespace {

// A page whose script errors go nowhere.
class QuietPage : public QWebEnginePage
{
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &, int,
                                  const QString &) override
    {
    }
};

} // namespace

PreviewBrowser::PreviewBrowser(const QString &previewFile, QWidget *parent)
    : QWidget(parent)
    , m_file(previewFile)
    , m_view(new QWebEngineView(this))
{
    m_view->setObjectName(QStringLiteral("wbPreview"));
    m_view->setPage(new QuietPage(m_view));
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    connect(m_view, &QWebEngineView::loadFinished, this, [this](bool) {
        if (!m_restoreScroll)
            return;
        const QPointF at = *m_restoreScroll;
        m_restoreScroll.reset();
        m_view->page()->runJavaScript(
            QStringLiteral("window.scrollTo(%1, %2);").arg(at.x()).arg(at.y()));
    });
}

bool PreviewBrowser::show(const PreviewPage &page)
{
    if (!m_change.changed(page.page, page.formId))
        return false;
    QFile::remove(m_file);
    // Errors while writing the preview file are not reported; the next change tries again.
    if (!writeGeneratedText(m_file, page.page, page.encoding, nullptr)) {
        m_change.forget();
        return false;
    }
    if (!m_view->url().isEmpty())
        m_restoreScroll = m_view->page()->scrollPosition();
    const QUrl url = QUrl::fromLocalFile(m_file);
    if (m_view->url() == url)
        m_view->reload();
    else
        m_view->load(url);
    ++m_reloads;
    return true;
}

TfrmPreview::TfrmPreview(PreviewSource source, const QString &previewFile, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_source(std::move(source))
    , m_toggle(new QPushButton)
    , m_browser(new PreviewBrowser(previewFile))
    , m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("frmPreview"));
    setWindowTitle(QStringLiteral("Vorschau"));
    m_toggle->setObjectName(QStringLiteral("btnAutoPreview"));
    m_toggle->setFlat(true);
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &TfrmPreview::tick);
    connect(m_toggle, &QPushButton::clicked, this, [this] { setRefreshing(!refreshing()); });

    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    top->addWidget(m_toggle);
    top->addStretch();
    layout->addLayout(top);
    layout->addWidget(m_browser, 1);
    setRefreshing(false);
    resize(900, 700);
}

void TfrmPreview::showAndStart()
{
    m_browser->forgetPage();
    show();
    raise();
    activateWindow();
    setRefreshing(true);
    tick();
}

bool TfrmPreview::refreshing() const
{
    return m_timer->isActive();
}

void TfrmPreview::setRefreshing(bool on)
{
    if (on)
        m_timer->start();
    else
        m_timer->stop();
    m_toggle->setText(on ? QStringLiteral("Auto-Vorschau - AKTIV")
                         : QStringLiteral("Auto-Vorschau - NICHT AKTIV"));
}

void TfrmPreview::tick()
{
    // A failing run is skipped; the next tick tries again.
    if (const std::optional<PreviewPage> page = m_source())
        m_browser->show(*page);
}

void TfrmPreview::closeEvent(QCloseEvent *event)
{
    setRefreshing(false);
    hide();
    event->ignore();
}

} // namespace vq::ui
