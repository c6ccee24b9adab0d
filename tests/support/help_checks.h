// The help of a program against its windows: every section the help table
// names exists in the built help (the ids of its pages), every window walked
// is named in the table, every window or control the table names lies in a
// walked window, and F1 in each of them opens its section.
#pragma once

#include "common_ui/help_opener.h"
#include "tests/support/scripted_questions.h"

#include <QFile>
#include <QList>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace vq::test {

// The ids of the elements of a help page.
inline QSet<QString> sectionIds(const QString &page)
{
    QSet<QString> ids;
    QFile file(page);
    if (!file.open(QIODevice::ReadOnly))
        return ids;
    static const QRegularExpression id(QStringLiteral(R"(\sid="([^"]+)\")"));
    for (const QRegularExpressionMatch &match : id.globalMatch(QString::fromUtf8(file.readAll())))
        ids.insert(match.captured(1));
    return ids;
}

// F1 in widget opens exactly the address target.
inline void expectF1Opens(QWidget *widget, const QUrl &target, ScriptedQuestions &questions)
{
    const size_t before = questions.helpPages.size();
    QTest::keyClick(widget, Qt::Key_F1);
    ASSERT_EQ(questions.helpPages.size(), before + 1) << widget->objectName().toStdString();
    EXPECT_EQ(questions.helpPages.back(), target) << widget->objectName().toStdString();
}

// windows: every window of the program, shown. The F1 key of the program
// must answer through questions.
inline void checkHelpOfWindows(const ui::HelpBook &book, const QList<QWidget *> &windows,
                               ScriptedQuestions &questions)
{
    for (const ui::HelpTopic &topic : book.topics()) {
        const QString anchor = QString::fromUtf16(topic.anchor);
        SCOPED_TRACE(QString::fromUtf16(topic.page).toStdString() + "#" + anchor.toStdString());
        EXPECT_TRUE(sectionIds(book.pagePath(topic)).contains(anchor));
    }
    for (QWidget *window : windows) {
        SCOPED_TRACE(window->objectName().toStdString());
        const ui::HelpTopic &topic = book.topicFor(window);
        EXPECT_EQ(QString::fromUtf16(topic.window), window->objectName()) << "not in the table";
        expectF1Opens(window, book.address(topic), questions);
    }
    for (const ui::HelpTopic &topic : book.topics().subspan(1)) {
        const QString name = QString::fromUtf16(topic.window);
        SCOPED_TRACE(name.toStdString());
        QWidget *named = nullptr;
        for (QWidget *window : windows) {
            named = window->objectName() == name ? window : window->findChild<QWidget *>(name);
            if (named)
                break;
        }
        ASSERT_NE(named, nullptr) << "the table names no window or control of the program";
        expectF1Opens(named, book.address(topic), questions);
    }
    EXPECT_TRUE(questions.errors.isEmpty()) << questions.errors.join(u'\n').toStdString();
}

} // namespace vq::test
