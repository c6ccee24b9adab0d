// Texts strangers may send to make a window read them as HTML, and the means
// to look at them as the user does: a tool tip really shown (offscreen), a
// real message box answered. A window that showed one of them as rich text
// would load its picture: /dev/zero makes it allocate until it dies; the
// named pipe is watched by a thread that notices the opening and lets the
// reader go on, so such a test fails instead of hanging.
#pragma once

#include "tests/support/widget_test_support.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QList>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QToolTip>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vq::test {

// A named pipe in a temporary folder; opened() tells whether anyone opened
// it to read from it.
class WatchedPipe
{
public:
    WatchedPipe()
        : m_path(m_dir.filePath(QStringLiteral("rohr")))
        , m_name(QFile::encodeName(m_path))
    {
        m_made = m_dir.isValid() && ::mkfifo(m_name.constData(), 0600) == 0;
        if (m_made)
            m_watch = std::thread([this] {
                while (!m_stopping) {
                    // Returns once a reader opens the pipe; closing it at
                    // once gives that reader an empty file. A widget may try
                    // again at its next painting: the pipe is served until
                    // the test ends.
                    const int fd = ::open(m_name.constData(), O_WRONLY);
                    if (!m_stopping)
                        m_opened = true;
                    if (fd >= 0)
                        ::close(fd);
                    ::usleep(1000);
                }
            });
    }
    ~WatchedPipe()
    {
        if (!m_made)
            return;
        m_stopping = true;
        // A reader of our own lets the waiting thread go.
        const int fd = ::open(m_name.constData(), O_RDONLY | O_NONBLOCK);
        m_watch.join();
        if (fd >= 0)
            ::close(fd);
    }
    WatchedPipe(const WatchedPipe &) = delete;
    WatchedPipe &operator=(const WatchedPipe &) = delete;

    bool made() const { return m_made; }
    QString path() const { return m_path; }
    bool opened() const { return m_opened; }

private:
    QTemporaryDir m_dir;
    QString m_path;
    QByteArray m_name;
    bool m_made = false;
    std::atomic_bool m_stopping{false};
    std::atomic_bool m_opened{false};
    std::thread m_watch;
};

struct HostileText
{
    const char *name;
    QString text; // as the stranger sent it
    QString seen; // what a place that shows all of it shows
};

inline QList<HostileText> hostileTexts(const WatchedPipe &pipe)
{
    const QString megabyte =
        QStringLiteral("<img src=\"/dev/zero\">") + QString(1024 * 1024, QLatin1Char('x'));
    const auto same = [](const QString &text) { return HostileText{nullptr, text, text}; };
    QList<HostileText> texts = {
        same(QStringLiteral("Muster<img src=\"/dev/zero\">")),
        same(QStringLiteral("Muster<img src=\"") + pipe.path() + QStringLiteral("\">")),
        same(QStringLiteral("<b>fett</b>")),
        same(QStringLiteral("Schmidt &amp; Söhne &lt;b&gt;")),
        {nullptr, QStringLiteral("Muster\u202Enamnrets"), QStringLiteral("Muster\uFFFDnamnrets")},
        same(megabyte),
    };
    const char *names[] = {"Bild aus /dev/zero", "Bild aus einer Pipe", "fett",
                           "Entitäten",          "Richtungsumkehr",     "ein Megabyte"};
    for (qsizetype i = 0; i < texts.size(); ++i)
        texts[i].name = names[i];
    return texts;
}

// What a place that shows at most limit characters shows of a text.
inline QString cutAt(const QString &seen, qsizetype limit)
{
    return seen.size() > limit ? seen.left(limit) + QChar(0x2026) : seen;
}

// Rests the mouse on a cell of a shown view: Qt asks the model for the
// cell's tool tip and shows it, as it does for a user.
inline void restOn(QAbstractItemView &view, const QModelIndex &index)
{
    view.scrollTo(index);
    const QPoint at = view.visualRect(index).center();
    QHelpEvent event(QEvent::ToolTip, at, view.viewport()->mapToGlobal(at));
    QApplication::sendEvent(view.viewport(), &event);
}

// The tool tip Qt shows now; nullptr when none is shown.
inline QLabel *shownToolTip()
{
    if (!QToolTip::isVisible())
        return nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->inherits("QTipLabel") && widget->isVisible())
            return qobject_cast<QLabel *>(widget);
    return nullptr;
}

// What the shown tool tip says as the user reads it (its invisible break
// opportunities left out); empty when none is shown.
inline QString shownToolTipText()
{
    const QLabel *tip = shownToolTip();
    if (!tip)
        return QString();
    QString seen = tip->text();
    if (tip->textFormat() != Qt::PlainText && Qt::mightBeRichText(seen)) {
        QTextDocument document;
        document.setHtml(seen);
        seen = document.toPlainText();
    }
    return seen.remove(QChar(0x200B));
}

// Whether the shown tool tip fits the screen.
inline bool shownToolTipFits()
{
    const QLabel *tip = shownToolTip();
    return tip && tip->width() <= tip->screen()->geometry().width();
}

// With VQ_SCREENSHOT_DIR set, keeps a picture of the whole screen as
// NAME.png there (a tool tip is a window of its own); otherwise does nothing.
inline void keepScreenScreenshot(const QString &name)
{
    const QString folder = qEnvironmentVariable("VQ_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QTest::qWait(200);
    QApplication::primaryScreen()->grabWindow(0).save(
        QDir(folder).filePath(name + QStringLiteral(".png")));
}

// What a real message box showed.
struct ShownMessage
{
    bool shown = false;
    QString title;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QSize size;
};

// Answers the next real message box with button as soon as it is shown,
// keeping what it showed in *shown (which must outlive the box).
inline void answerMessageBox(ShownMessage *shown, QMessageBox::StandardButton button)
{
    whenModal([shown, button](QDialog &dialog) {
        auto *box = qobject_cast<QMessageBox *>(&dialog);
        if (!box) {
            ADD_FAILURE() << "a dialog instead of a message box: "
                          << dialog.objectName().toStdString();
            dialog.reject();
            return;
        }
        const auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        shown->shown = true;
        shown->title = box->windowTitle();
        shown->text = label ? label->text() : box->text();
        shown->format = label ? label->textFormat() : box->textFormat();
        shown->icon = box->icon();
        shown->defaultButton = box->standardButton(box->defaultButton());
        shown->size = box->size();
        if (QAbstractButton *answer = box->button(button))
            answer->click();
        else
            box->reject();
    });
}

// Whether a shown message box fits the screen.
inline bool fitsTheScreen(const ShownMessage &shown)
{
    const QSize screen = QApplication::primaryScreen()->availableGeometry().size();
    return shown.size.width() <= screen.width() && shown.size.height() <= screen.height();
}

} // namespace vq::test
