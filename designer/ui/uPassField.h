// Editor of password fields.
#pragma once

#include "designer/ui/uEinzField.h"

namespace vq::ui {

class TfrmPassField : public TFieldDialog
{
public:
    explicit TfrmPassField(TUserQuestions &prompts, QWidget *parent = nullptr);

    void ClearAll();
    void LoadFromObject(const TPassField &myField);
    void SaveToObject(TPassField &myField) const;

private:
    TTextLineRows m_rows;
};

} // namespace vq::ui
