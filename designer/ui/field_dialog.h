// What the field editor dialogs share: the bold header, the groups
// "Feldeinstellungen" and "Überprüfung", the "Name" box with its key filter,
// the buttons and the name check on "Übernehmen".
#pragma once

#include "designer/model/vqform.h"
#include "designer/ui/editor_prompts.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace vq::ui {

// Swallows the typed characters a rule refuses; control keys pass.
class KeyFilter : public QObject
{
public:
    using Rule = std::function<bool(const QLineEdit &box, QChar typed)>;
    KeyFilter(QLineEdit *box, Rule rule);
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Rule m_rule;
};

// A bold header panel with the dialog's title.
QWidget *makeHeaderPanel(const QString &text, QWidget *parent);

// A text box, a check box and a multi-line box with their objectNames.
QLineEdit *makeLineEdit(const QString &objectName, QWidget *parent);
QPlainTextEdit *makeTextBox(const QString &objectName, QWidget *parent, int visibleLines);

// The control of that objectName in root's own window (a child dialog may
// hold one of the same name), or nullptr.
QWidget *ownControl(QWidget *root, const QString &objectName);

// Sets the tab order of every focusable control below root to the order of
// its layouts (form rows top to bottom, grids row by row).
void applyLayoutTabOrder(QWidget *root);

class FieldDialog : public QDialog
{
public:
    // The index of the edited field in the field list, -1 for a new field.
    int feldNr = -1;

    // The field list the name check looks in; must outlive the dialog's use.
    void setFieldList(const FieldList *fields) { m_fields = fields; }

    // Closing with "Übernehmen" runs the name check first.
    void done(int result) override;

protected:
    FieldDialog(const QString &title, const QString &header, UserQuestions &prompts,
                QWidget *parent);

    // The rows of "Feldeinstellungen" and "Überprüfung".
    QFormLayout *settingsForm() const { return m_settingsForm; }
    QFormLayout *checkForm() const { return m_checkForm; }
    // Adds "Name" (first row of the settings).
    void addNameRow();
    // Ends the construction: the check group's common rows, buttons, size.
    void finishLayout();

    void clearCommon();
    void loadCommon(const TFormField &field);
    void saveCommon(TFormField &field) const;

    QLineEdit *m_edtName = nullptr;
    QCheckBox *m_chkPflicht = nullptr;
    QLineEdit *m_edtMeldung = nullptr;
    UserQuestions &m_prompts;

private:
    QFormLayout *m_settingsForm = nullptr;
    QFormLayout *m_checkForm = nullptr;
    const FieldList *m_fields = nullptr;
};

} // namespace vq::ui
