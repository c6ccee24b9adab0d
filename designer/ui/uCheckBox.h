// Editor of check box fields.
#pragma once

#include "designer/ui/field_dialog.h"

namespace vq::ui {

class TfrmCheckBox : public FieldDialog
{
public:
    explicit TfrmCheckBox(UserQuestions &prompts, QWidget *parent = nullptr);

    void ClearAll();
    void LoadFromObject(const TCheckBoxField &myField);
    void SaveToObject(TCheckBoxField &myField) const;

private:
    QLineEdit *m_edtBeschriftung = nullptr;
    QLineEdit *m_edtVorgabe = nullptr;
    QLineEdit *m_edtBeschriftungNach = nullptr;
};

} // namespace vq::ui
