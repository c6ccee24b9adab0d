// Editor of file upload fields.
#pragma once

#include "designer/ui/field_dialog.h"

namespace vq::ui {

class TfrmFileUpload : public FieldDialog
{
public:
    explicit TfrmFileUpload(UserQuestions &prompts, QWidget *parent = nullptr);

    void ClearAll();
    void LoadFromObject(const TFileField &myField);
    // Vorgabewert is not shown and not written.
    void SaveToObject(TFileField &myField) const;

private:
    QLineEdit *m_edtBeschriftung = nullptr;
    QLineEdit *m_edtBeschriftungNach = nullptr;
    QLineEdit *m_edtGroesse = nullptr;
};

} // namespace vq::ui
