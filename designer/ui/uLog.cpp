#include "designer/ui/uLog.h"

#include "common_ui/plain_text.h"

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace vq::ui {

namespace {
// An entry of the log (a server's reply may be one) shows at most this much.
constexpr qsizetype kMaxEntryChars = 4000;
constexpr int kMaxEntryLines = 100;
} // namespace

TfrmLog::TfrmLog(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmLog"));
    setWindowTitle(QStringLiteral("FTP-Log"));
    m_memo = new QPlainTextEdit;
    m_memo->setObjectName(QStringLiteral("memoLog"));
    m_memo->setReadOnly(true);
    m_memo->setAccessibleName(QStringLiteral("FTP-Log"));
    m_progress = new QProgressBar;
    m_progress->setObjectName(QStringLiteral("pbBusy"));
    m_progress->setRange(0, 0); // running without a known end
    m_progress->setTextVisible(false);
    m_progress->setAccessibleName(QStringLiteral("Übertragung läuft"));
    m_progress->hide();
    auto *close = new QPushButton(QStringLiteral("&Schließen"));
    close->setObjectName(QStringLiteral("btnSchliessen"));
    close->setFlat(true);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_memo);
    layout->addWidget(m_progress);
    layout->addWidget(close);
    resize(480, 360);
}

void TfrmLog::start()
{
    m_memo->clear();
    show();
    raise();
    activateWindow();
}

void TfrmLog::addLine(const QString &line)
{
    m_memo->appendPlainText(shownText(line, kMaxEntryChars, kMaxEntryLines));
}

QString TfrmLog::text() const
{
    return m_memo->toPlainText();
}

void TfrmLog::setBusy(bool busy)
{
    m_progress->setVisible(busy);
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

bool TfrmLog::busy() const
{
    return m_progress->isVisible();
}

} // namespace vq::ui
