// Editor of single-line text fields and of password fields, which share the
// same controls apart from the input check.
#pragma once

#include "designer/ui/field_dialog.h"

class QComboBox;
class QLabel;

namespace vq::ui {

// "Name", "Beschriftung", "Text nach Feld:", "Vorgabewert", its check box,
// "Größe" and "max. Länge" of a single-line or password field.
class TextLineRows
{
public:
    void build(QFormLayout *form, QWidget *parent);
    void clear();
    template <class Field> void load(const Field &field);
    template <class Field> void save(Field &field) const;

    QLineEdit *edtBeschriftung = nullptr;
    QLineEdit *edtBeschriftungNach = nullptr;
    QLineEdit *edtVorgabe = nullptr;
    QCheckBox *chkVorgabeLoeschen = nullptr;
    QLineEdit *edtGroesse = nullptr;
    QLineEdit *edtMaxLaenge = nullptr;
};

class TfrmEinzField : public FieldDialog
{
public:
    explicit TfrmEinzField(UserQuestions &prompts, QWidget *parent = nullptr);

    void ClearAll();
    void LoadFromObject(const TEinzField &myField);
    void SaveToObject(TEinzField &myField) const;

private:
    // "Mindestlänge:" is shown only while the check "Mindestlänge" is chosen.
    void cboCheckTypeSelect();

    TextLineRows m_rows;
    QComboBox *m_cboCheckType = nullptr;
    QLineEdit *m_edtMindestLaenge = nullptr;
};

} // namespace vq::ui
