// Editor of password fields.
#pragma once

#include "designer/ui/uEinzField.h"

namespace vq::ui {

class TfrmPassField : public FieldDialog
{
public:
    explicit TfrmPassField(UserQuestions &prompts, QWidget *parent = nullptr);

    void ClearAll();
    void LoadFromObject(const TPassField &myField);
    void SaveToObject(TPassField &myField) const;

private:
    TextLineRows m_rows;
};

} // namespace vq::ui
