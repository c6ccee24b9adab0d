#include "common_ui/help_opener.h"

#include "common_ui/questions.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QWidget>

namespace vq::ui {

HelpBook::HelpBook(QString helpFolder, std::span<const HelpTopic> topics)
    : m_folder(std::move(helpFolder))
    , m_topics(topics)
{
}

const HelpTopic &HelpBook::topicFor(const QWidget *widget) const
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        const QString name = w->objectName();
        if (name.isEmpty())
            continue;
        for (const HelpTopic &topic : m_topics)
            if (name == QStringView(topic.window))
                return topic;
    }
    return m_topics.front();
}

QString HelpBook::pagePath(const HelpTopic &topic) const
{
    return QDir(m_folder).filePath(QString::fromUtf16(topic.page));
}

QUrl HelpBook::address(const HelpTopic &topic) const
{
    QUrl url = QUrl::fromLocalFile(pagePath(topic));
    url.setFragment(QString::fromUtf16(topic.anchor));
    return url;
}

void HelpBook::open(UserQuestions &questions, QWidget *from) const
{
    const HelpTopic &topic = topicFor(from);
    const QString file = pagePath(topic);
    QWidget *window = from ? from->window() : nullptr;
    if (!QFileInfo(file).isFile()) {
        questions.showError(window, QStringLiteral("Hilfe"),
                            QStringLiteral("Die Hilfe fehlt in dieser Installation:\n%1")
                                .arg(QDir::toNativeSeparators(file)));
        return;
    }
    if (!questions.openHelp(window, address(topic)))
        questions.showError(window, QStringLiteral("Hilfe"),
                            QStringLiteral("Die Hilfe kann nicht angezeigt werden, da kein "
                                           "Webbrowser eingerichtet ist. Sie liegt unter\n%1")
                                .arg(QDir::toNativeSeparators(file)));
}

HelpKey::HelpKey(std::function<void(QWidget *)> open, QObject *parent)
    : QObject(parent)
    , m_open(std::move(open))
{
    if (qApp)
        qApp->installEventFilter(this);
}

HelpKey::~HelpKey()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool HelpKey::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier || !watched->isWidgetType())
        return false;
    // The override is taken so that no shortcut of a window answers F1; the
    // key press that follows opens the help once.
    event->accept();
    if (event->type() == QEvent::KeyPress)
        m_open(static_cast<QWidget *>(watched));
    return true;
}

} // namespace vq::ui
