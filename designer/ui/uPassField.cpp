#include "designer/ui/uPassField.h"

namespace vq::ui {

TfrmPassField::TfrmPassField(UserQuestions &prompts, QWidget *parent)
    : FieldDialog(QStringLiteral("Passwort Textfeld"), QStringLiteral("Passwort Textfeld"), prompts,
                  parent)
{
    setObjectName(QStringLiteral("frmPassField"));
    addNameRow();
    m_rows.build(settingsForm(), this);
    finishLayout();
    ClearAll();
}

void TfrmPassField::ClearAll()
{
    clearCommon();
    m_rows.clear();
}

void TfrmPassField::LoadFromObject(const TPassField &myField)
{
    loadCommon(myField);
    m_rows.load(myField);
}

void TfrmPassField::SaveToObject(TPassField &myField) const
{
    saveCommon(myField);
    m_rows.save(myField);
}

} // namespace vq::ui
