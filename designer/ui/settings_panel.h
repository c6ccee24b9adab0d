// The settings tabs of the main window ("Einstellungen" to "Mailtext"): built
// from the table of settings, each control bound to its setting of the
// document. A change in a control is a step on the document's stack; a step
// done or undone shows its value in the control again. Also the colour
// buttons beside the colour edits, the design check boxes that hide their
// controls, the placeholders of the mail text and the form-mailer drop-down.
#pragma once

#include "common_ui/questions.h"
#include "designer/document/designer_document.h"
#include "designer/ui_logic/window_logic.h"

#include <QHash>
#include <QObject>
#include <functional>

class QComboBox;
class QHBoxLayout;
class QPushButton;
class QTabWidget;

namespace vq::ui {

class SettingsPanel : public QObject
{
    Q_OBJECT
public:
    // What the panel's extra buttons start elsewhere.
    struct Hooks
    {
        std::function<void()> pickFtpProfile;
        std::function<void()> browseFtpFolder;
        std::function<void()> editExtendedSettings;
        // The HTML editor on text; true on OK. Throws when it cannot start.
        std::function<bool(QString &)> editHtml;
        std::function<QString()> programFolder;
    };

    SettingsPanel(DesignerDocument &document, UserQuestions &dialogs, Hooks hooks, QWidget *window);

    // Appends the tabs "Einstellungen" to "Mailtext" to tabs.
    void addTabs(QTabWidget *tabs);
    // Every control shows the project's value again.
    void showAll();
    QWidget *control(const QString &key) const { return m_controls.value(key); }

    // "Einfügen" beside the placeholders: "{#name#}" at the mail text's cursor.
    void insertPlaceholder();
    // Reads the form-mailer list into the drop-down, keeping its text, and
    // tells the document the entries.
    void loadFormMailers(const QString &listFile);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildSettingsTab(const QString &tab, const QList<QStringList> &columns);
    QWidget *buildMailtextTab();
    QWidget *createControl(const SettingControl &control);
    void bind(const SettingControl &control, QWidget *widget);
    void addExtras(const QString &key, QHBoxLayout *row);

    QString controlValue(const SettingControl &control) const;
    // Shows the project's value unless the control shows it already; true
    // when the control changed.
    bool showSetting(const SettingControl &control);
    void controlChanged(const QString &key);
    void settingChanged(const QString &key);
    void refreshPlaceholders();

    void applyDesignVisibility();
    void colourEditFinished(const QString &editKey);
    void pickColour(const QString &editKey);
    void setColourButton(const QString &editKey, const QColor &colour);
    void editSnippet(const QString &key);
    void tellFormMailerEntries();

    DesignerDocument &m_document;
    UserQuestions &m_dialogs;
    Hooks m_hooks;
    QWidget *m_window;
    QHash<QString, QWidget *> m_controls;          // setting key -> control
    QHash<QString, QWidget *> m_rows;              // setting key -> field widget of its form row
    QHash<QString, QPushButton *> m_colourButtons; // edit key -> its colour button
    QComboBox *m_placeholders = nullptr;
    bool m_showing = false; // the panel itself sets controls
};

} // namespace vq::ui
