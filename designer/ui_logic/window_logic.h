// What the designer's windows compute, kept apart from the widgets so it is
// tested without a display: which control edits which page setting (with its
// tab, group and label), colour texts, the rows of the field and article lists,
// the field names offered for the mail text ("Platzhalter"), moving list
// entries, and the preview's change test.
#pragma once

#include "designer/model/project_document.h"

#include "common/regional_numbers.h"
#include <QColor>

#include <QLocale>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace vq::ui {

// The kind of control that edits a page setting.
enum class ControlKind {
    LineEdit,      // QLineEdit
    PasswordEdit,  // QLineEdit, masked
    ColourEdit,    // QLineEdit of at most 6 characters with a colour button
    MultiLine,     // QPlainTextEdit
    SpinBox,       // QSpinBox 1..99
    CheckBox,      // QCheckBox, its label is its own text
    ChoiceCombo,   // QComboBox, fixed entries, the setting is the entry's text
    IndexCombo,    // QComboBox, fixed entries, the setting is the index
    EditableCombo, // editable QComboBox with suggestions
};

// One page setting as the main window shows it. Controls with `beside` set
// share the row of that setting (units beside sizes, the print caption beside
// its check box); their label is then only their accessible name.
struct SettingControl
{
    QString key;
    ControlKind kind;
    QString label;
    QString tab;
    QString group;
    QStringList entries; // choices or suggestions
    QString beside;
};

// Every page setting edited on a tab, in layout order (tab, group, row).
const std::vector<SettingControl> &settingControls();
const SettingControl *findSettingControl(const QString &key);

// The tabs in order.
QStringList tabCaptions();

// "RRGGBB" (either letter case) as a colour; anything else gives nothing.
std::optional<QColor> colourFromText(const QString &text);
// A colour as six upper-case hexadecimal digits.
QString colourText(const QColor &colour);

struct ColourPair
{
    const char *edit;
    const char *button;
};
const std::array<ColourPair, 10> &colourPairs();

// Controls hidden while "Standarddesign?" of the buttons (of the form fields)
// is ticked.
QStringList buttonDesignKeys();
QStringList fieldDesignKeys();

// Rows of the list views.
QStringList fieldListColumns();
QStringList articleListColumns();
QStringList fieldRow(const TFormField &field);
QStringList articleRow(const TArtikelField &artikel, const QLocale &locale = vq::displayLocale());

// Names usable as mail text placeholders: every field except intermediate
// text rows and upload fields, in list order.
QStringList placeholderNames(const FieldList &fields);
// "{#name#}", or empty for an empty name.
QString placeholderText(const QString &name);

// "Kopie an Absender" works only with a field named exactly "email".
bool hasSenderField(const FieldList &fields);

bool hasUploadField(const FieldList &fields);

// Moves entry `row` by `delta` (-1 up, +1 down). Returns the entry's new row,
// or -1 when nothing moved (no selection, first row up, last row down).
template <typename List> int moveEntry(List &list, int row, int delta)
{
    const int target = row + delta;
    if (row < 0 || row >= int(list.size()) || target < 0 || target >= int(list.size()))
        return -1;
    std::swap(list[size_t(row)], list[size_t(target)]);
    return target;
}

// The page with its form id blanked out, so two runs of an unchanged project
// compare equal (the form id is drawn anew on every run).
QString pageWithoutFormId(const QString &page, const QString &formId);

// Decides whether the preview must reload: only when the page differs from
// the one shown, apart from its form id.
class PreviewChange
{
public:
    // True when the page differs from the last one accepted; remembers it.
    bool changed(const QString &page, const QString &formId);
    void forget() { m_last.reset(); }

private:
    std::optional<QString> m_last;
};

// File names and filters of the designer's file dialogs.
inline constexpr char16_t kUnnamedProject[] = u"unbenannt.vqb";
QString projectFileFilter();
QString htmlFileFilter();
QString phpFileFilter();

// The three messages of a failed load, told that the file was not loaded
// completely and has not become the current file.
QString failedLoadTitle();

} // namespace vq::ui
