// One list tab of the main window, for the fields or for the articles: the
// list, "Neu", "Bearbeiten", "Löschen", the arrows, the templates and the
// context menu. The commands are the same for both lists; each is a step on
// the document's stack.
#pragma once

#include "common_ui/questions.h"
#include "designer/document/designer_document.h"
#include "designer/ui/editor_access.h"

#include <QWidget>
#include <functional>
#include <memory>

class QComboBox;
class QMenu;
class QTreeView;

namespace vq::ui {

class ListPanel : public QWidget
{
    Q_OBJECT
public:
    enum class Kind { Fields, Articles };
    // How one kind of entry is created, edited and kept as a template.
    class EntryAccess;

    ListPanel(Kind kind, DesignerDocument &document, UserQuestions &dialogs,
              std::function<EditorAccess *()> editors, QWidget *parent = nullptr);
    ~ListPanel() override;

    // A new entry through its editor; typeWord names the field kind (unused
    // for articles). Added as a step when the editor is left with OK.
    void newEntry(const QString &typeWord = {});
    void editSelected();
    // After the question "Soll der Eintrag wirklich gelöscht werden?".
    void deleteSelected();
    void moveSelected(int delta);
    // "Einfügen": the template chosen in the drop-down appended.
    void insertTemplate();
    // "Feld als Vorlage" / "Artikel als Vorlage": the selected entry into the library.
    void saveAsTemplate();
    void setTemplates(const QStringList &captions);

    int selectedRow() const;
    void selectRow(int row);
    QTreeView *view() const { return m_view; }
    // The field kinds of "Neu"; nullptr for articles.
    QMenu *kindMenu() const { return m_kindMenu; }

Q_SIGNALS:
    // A template was written to the library.
    void templatesChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showMenu(const QPoint &at);
    void showSelectionOf(int row);
    QString libraryFile() const;

    Kind m_kind;
    DesignerDocument &m_document;
    UserQuestions &m_dialogs;
    std::function<EditorAccess *()> m_editors;
    std::unique_ptr<EntryAccess> m_access;
    QTreeView *m_view = nullptr;
    QComboBox *m_templates = nullptr;
    QMenu *m_kindMenu = nullptr;
};

} // namespace vq::ui
