// The help of both programs: one table per program names, for each window
// (by its object name), the help page and the section (its id) about it. The
// "Hilfe" commands and F1 in any window open that section through
// UserQuestions::openHelp, which tests record.
#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>
#include <span>

class QWidget;

namespace vq::ui {

class UserQuestions;

struct HelpTopic
{
    const char16_t *window; // object name of a window or of a control in it
    const char16_t *page;   // file in the help folder
    const char16_t *anchor; // id of the section on that page
};

class HelpBook
{
public:
    // helpFolder holds the pages; topics[0] is the contents, used for a
    // window the table does not name.
    HelpBook(QString helpFolder, std::span<const HelpTopic> topics);

    // The topic of the widget itself or of the nearest parent the table
    // names; the contents when none is named.
    const HelpTopic &topicFor(const QWidget *widget) const;
    // The topic's page as a file address with the section as its fragment.
    QUrl address(const HelpTopic &topic) const;
    QString pagePath(const HelpTopic &topic) const;
    std::span<const HelpTopic> topics() const { return m_topics; }
    QString folder() const { return m_folder; }

    // Opens the section about from's window; a missing page or a desktop
    // without a browser is told in a message over it.
    void open(UserQuestions &questions, QWidget *from) const;

private:
    QString m_folder;
    std::span<const HelpTopic> m_topics;
};

// F1 in any window of the application calls open with the focus widget (or
// the window without one), which opens the section about it. Installed on the
// application while it lives; a newer one answers first.
class HelpKey : public QObject
{
    Q_OBJECT
public:
    HelpKey(std::function<void(QWidget *)> open, QObject *parent = nullptr);
    ~HelpKey() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void(QWidget *)> m_open;
};

} // namespace vq::ui
