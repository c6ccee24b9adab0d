// Editor of radio button fields.
#pragma once

#include "designer/ui/field_dialog.h"

namespace vq::ui {

class TfrmRadioButtons : public FieldDialog
{
public:
    explicit TfrmRadioButtons(UserQuestions &prompts, QWidget *parent = nullptr);

    void ClearAll();
    void LoadFromObject(const TRadioField &myField);
    // Neither Vorgabewert nor BeschriftungNach is shown or written.
    void SaveToObject(TRadioField &myField) const;

private:
    QLineEdit *m_edtBeschriftung = nullptr;
    QPlainTextEdit *m_edtFelder = nullptr;
};

} // namespace vq::ui
