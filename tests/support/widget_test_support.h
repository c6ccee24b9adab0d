// Driving real widgets in tests: acting inside a modal dialog while its
// exec() runs, typing text key by key, and finding a control by objectName.
#pragma once

#include "tests/support/print_qstring.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QMenu>
#include <QString>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <type_traits>

namespace vq::test {

// Runs action on the modal dialog as soon as the next exec() shows it (work
// done before the exec, such as loading a browser page, is waited for). The
// action must close the dialog (or leave it to a later whenModal).
inline void whenModal(std::function<void(QDialog &)> action, int attemptsLeft = 1000)
{
    QTimer::singleShot(
        attemptsLeft == 1000 ? 0 : 10, qApp, [action = std::move(action), attemptsLeft]() mutable {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible()) {
                if (attemptsLeft > 0)
                    whenModal(std::move(action), attemptsLeft - 1);
                else
                    ADD_FAILURE() << "no modal dialog is shown";
                return;
            }
            action(*dialog);
        });
}

// Types text key by key, also characters QTest's key tables do not know
// (umlauts).
inline void typeText(QWidget *target, const QString &text)
{
    for (QChar c : text) {
        const int key = c.unicode() < 128 ? c.toUpper().unicode() : int(Qt::Key_unknown);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &release);
    }
}

// The control or action of that name in parent's own window (a child dialog
// may hold one of the same name).
template <class T> T *child(QWidget &parent, const char *name)
{
    T *found = nullptr;
    for (T *candidate : parent.findChildren<T *>(QString::fromLatin1(name))) {
        if constexpr (std::is_base_of_v<QWidget, T>) {
            // A menu is a window of its own; it belongs to the one it opens from.
            const QWidget *owner = candidate;
            while (qobject_cast<const QMenu *>(owner) && owner->parentWidget())
                owner = owner->parentWidget();
            if (owner->window() != parent.window())
                continue;
        } else {
            // An action or another object belongs to the nearest window
            // above it; a menu is a window of its own, but not the owner.
            QObject *owner = candidate->parent();
            while (owner
                   && !(owner->isWidgetType() && static_cast<QWidget *>(owner)->isWindow()
                        && !qobject_cast<QMenu *>(owner)))
                owner = owner->parent();
            if (owner && owner != parent.window())
                continue;
        }
        found = candidate;
        break;
    }
    EXPECT_NE(found, nullptr) << "no control " << name;
    return found;
}

// With VQ_SCREENSHOT_DIR set, keeps a picture of the window as NAME.png
// there, to look at what a test showed; otherwise does nothing.
inline void keepScreenshot(QWidget *window, const QString &name)
{
    const QString folder = qEnvironmentVariable("VQ_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QTest::qWait(200);
    window->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

} // namespace vq::test
