// The preview: a browser that shows the generated page from "temp.htm" and
// reloads it only when the page changed (apart from its form id), keeping
// the scroll position; and the preview window "Vorschau" that refreshes it
// every second while its automatic refresh is on.
#pragma once

#include "designer/ui_logic/window_logic.h"

#include <QPointF>
#include <QWidget>
#include <functional>
#include <optional>

class QTimer;
class QPushButton;
class QWebEngineView;

namespace vq::ui {

// One run of the HTML generator for the preview.
struct PreviewPage
{
    QString page;
    QString formId;
    QString encoding;
};
using PreviewSource = std::function<std::optional<PreviewPage>()>;

// A browser showing the preview file. No context menu, script errors stay quiet.
class PreviewBrowser : public QWidget
{
    Q_OBJECT
public:
    PreviewBrowser(const QString &previewFile, QWidget *parent = nullptr);

    // Writes the page to the preview file and reloads it, when it changed.
    // Returns true when it reloaded.
    bool show(const PreviewPage &page);
    // The next show() reloads whatever the page is.
    void forgetPage() { m_change.forget(); }
    int reloadCount() const { return m_reloads; }
    QWebEngineView *view() const { return m_view; }

private:
    QString m_file;
    QWebEngineView *m_view;
    PreviewChange m_change;
    std::optional<QPointF> m_restoreScroll;
    int m_reloads = 0;
};

class TfrmPreview : public QWidget
{
    Q_OBJECT
public:
    TfrmPreview(PreviewSource source, const QString &previewFile, QWidget *parent = nullptr);

    // "Vorschau Fenster": show without blocking and switch the refresh on.
    void showAndStart();
    bool refreshing() const;
    PreviewBrowser *browser() const { return m_browser; }

public Q_SLOTS:
    void tick();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void setRefreshing(bool on);

    PreviewSource m_source;
    QPushButton *m_toggle;
    PreviewBrowser *m_browser;
    QTimer *m_timer;
};

} // namespace vq::ui
