#include "common_ui/list_manager_dialog.h"

#include <QAction>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace vq::ui {

ListManagerDialog::ListManagerDialog(QWidget *parent)
    : QDialog(parent)
    , m_layout(new QVBoxLayout(this))
    , m_menuBar(new QMenuBar(this))
    , m_toolBar(new QToolBar(this))
{
    m_layout->setMenuBar(m_menuBar);
    m_layout->addWidget(m_toolBar);
}

QAction *ListManagerDialog::addCommand(const char *name, const QString &text,
                                       QStyle::StandardPixmap fallback, const char *theme)
{
    const QIcon standard = style()->standardIcon(fallback);
    auto *action = new QAction(
        theme ? QIcon::fromTheme(QString::fromLatin1(theme), standard) : standard, text, this);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

void ListManagerDialog::nameToolButtons()
{
    for (QAction *action : m_toolBar->actions()) {
        if (auto *button = qobject_cast<QToolButton *>(m_toolBar->widgetForAction(action))) {
            button->setObjectName(QStringLiteral("btn") + action->objectName().mid(3));
            button->setAccessibleName(action->toolTip());
        }
    }
}

} // namespace vq::ui
