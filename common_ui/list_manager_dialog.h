// The frame of the list managers (Mandanten, Status, FormMailer-Vorlagen,
// FTP-Profile, FTP-Browser): a menu bar, a tool bar under it, the commands
// both of them hold ("Neu", "Bearbeiten", "Löschen", "Verlassen", ...), and
// the window's own controls below. Each window names its menus, tool bar and
// commands itself and connects the commands to what they do.
#pragma once

#include <QDialog>
#include <QStyle>

class QAction;
class QMenuBar;
class QToolBar;
class QVBoxLayout;

namespace vq::ui {

class ListManagerDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ListManagerDialog(QWidget *parent = nullptr);

protected:
    // A command with the object name name ("actNeu") and text. Its icon is
    // the desktop theme's icon named theme, or the style's fallback when
    // there is none (or no theme is given).
    QAction *addCommand(const char *name, const QString &text, QStyle::StandardPixmap fallback,
                        const char *theme = nullptr);
    // Names each tool button after its command (actNeu: btnNeu) and gives it
    // the command's tool tip as its accessible name.
    void nameToolButtons();

    QMenuBar *menuBar() const { return m_menuBar; }
    QToolBar *toolBar() const { return m_toolBar; }
    // Holds the menu bar and the tool bar; the window adds its controls.
    QVBoxLayout *frameLayout() const { return m_layout; }

private:
    QVBoxLayout *m_layout;
    QMenuBar *m_menuBar;
    QToolBar *m_toolBar;
};

} // namespace vq::ui
