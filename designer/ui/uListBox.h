// Editors of list/drop-down fields and radio buttons, which both edit a choice
// list ("Auswahl Werte:").
#pragma once

#include "designer/ui/field_dialog.h"

namespace vq::ui {

// The "Auswahl Werte:" box with its hint; the choice list keeps CR LF.
QPlainTextEdit *addChoiceRows(QFormLayout *form, QWidget *parent);

class TfrmListBox : public FieldDialog
{
public:
    explicit TfrmListBox(UserQuestions &prompts, QWidget *parent = nullptr);

    void ClearAll();
    void LoadFromObject(const TDropDownField &myField);
    // Vorgabewert is not shown and not written.
    void SaveToObject(TDropDownField &myField) const;

private:
    QLineEdit *m_edtBeschriftung = nullptr;
    QLineEdit *m_edtGroesse = nullptr;
    QPlainTextEdit *m_edtFelder = nullptr;
    QLineEdit *m_edtBeschriftungNach = nullptr;
};

} // namespace vq::ui
