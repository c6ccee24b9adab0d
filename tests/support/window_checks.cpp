#include "tests/support/window_checks.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTabBar>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>

#include <set>

namespace vq::test {

namespace {

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 800;

bool isInput(const QWidget *w)
{
    return qobject_cast<const QLineEdit *>(w) || qobject_cast<const QAbstractSpinBox *>(w)
           || qobject_cast<const QComboBox *>(w) || qobject_cast<const QTextEdit *>(w)
           || qobject_cast<const QPlainTextEdit *>(w) || qobject_cast<const QAbstractItemView *>(w)
           || qobject_cast<const QAbstractButton *>(w);
}

// A part of another control (the line of a spin or combo box, an item's
// editor, a tab bar's arrows), named and reached through that control.
bool isPartOfControl(const QWidget *w, const QWidget &window)
{
    if (w->objectName().startsWith(QStringLiteral("qt_")))
        return true;
    for (const QWidget *p = w->parentWidget(); p && p != &window; p = p->parentWidget()) {
        if (qobject_cast<const QAbstractSpinBox *>(p) || qobject_cast<const QComboBox *>(p)
            || qobject_cast<const QAbstractItemView *>(p) || qobject_cast<const QTabBar *>(p)
            || qobject_cast<const QCalendarWidget *>(p))
            return true;
    }
    return false;
}

// A button of a tool bar: the menu and its shortcut reach it, not Tab.
bool isToolBarButton(const QWidget *w)
{
    return qobject_cast<const QToolButton *>(w)
           && qobject_cast<const QToolBar *>(w->parentWidget());
}

QString ownName(const QWidget *w)
{
    if (!w->accessibleName().trimmed().isEmpty())
        return w->accessibleName();
    if (const auto *button = qobject_cast<const QAbstractButton *>(w)) {
        QString text = button->text();
        text.remove(QLatin1Char('&'));
        return text.trimmed();
    }
    return QString();
}

QString describe(const QWidget *w)
{
    const QString name =
        w->objectName().isEmpty() ? QStringLiteral("(ohne objectName)") : w->objectName();
    return QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(' ') + name;
}

// The widgets Tab reaches from the window, in Qt's own order and by its rules.
std::set<const QWidget *> tabChain(QWidget &window)
{
    std::set<const QWidget *> reached;
    QWidget *w = &window;
    do {
        if (w->isVisibleTo(&window) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus))
            reached.insert(w);
        w = w->nextInFocusChain();
    } while (w && w != &window);
    return reached;
}

} // namespace

testing::AssertionResult isAccessible(QWidget &window)
{
    if (!window.isVisible())
        window.show();
    QApplication::processEvents();

    std::set<const QWidget *> buddies;
    for (const QLabel *label : window.findChildren<QLabel *>()) {
        if (QWidget *buddy = label->buddy()) {
            buddies.insert(buddy);
            if (buddy->focusProxy())
                buddies.insert(buddy->focusProxy());
        }
    }
    const std::set<const QWidget *> reached = tabChain(window);

    QStringList faults;
    for (const QWidget *w : window.findChildren<QWidget *>()) {
        if (!isInput(w) || !w->isVisibleTo(&window) || isPartOfControl(w, window))
            continue;
        if (ownName(w).isEmpty() && !buddies.count(w))
            faults << describe(w) + QStringLiteral(": ohne Namen");
        const QWidget *focused = w->focusProxy() ? w->focusProxy() : w;
        if (w->isEnabled() && !isToolBarButton(w) && !reached.count(focused))
            faults << describe(w) + QStringLiteral(": mit Tab nicht erreichbar");
    }
    const QSize size = window.frameGeometry().size().expandedTo(window.size());
    const QSize smallest = window.minimumSizeHint().expandedTo(window.minimumSize());
    for (const QSize s : {size, smallest}) {
        if (s.width() > kScreenWidth || s.height() > kScreenHeight) {
            faults
                << QStringLiteral("%1x%2 passt nicht auf 1280x800").arg(s.width()).arg(s.height());
            break;
        }
    }
    if (faults.isEmpty())
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << describe(&window).toStdString() << ":\n  "
                                       << faults.join(QStringLiteral("\n  ")).toStdString();
}

} // namespace vq::test
