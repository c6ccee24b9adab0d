#include "designer/ui/uRadioButtons.h"

#include "common_ui/editor_text.h"
#include "designer/editor_rules/editor_rules.h"
#include "designer/ui/uListBox.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace vq::ui {

TfrmRadioButtons::TfrmRadioButtons(UserQuestions &prompts, QWidget *parent)
    : FieldDialog(QStringLiteral("Radio Buttons"), QStringLiteral("Radio Buttons"), prompts, parent)
{
    setObjectName(QStringLiteral("frmRadioButtons"));
    addNameRow();
    m_edtBeschriftung = makeLineEdit(QStringLiteral("edtBeschriftung"), this);
    settingsForm()->addRow(QStringLiteral("Beschriftung"), m_edtBeschriftung);
    m_edtFelder = addChoiceRows(settingsForm(), this);
    finishLayout();
    ClearAll();
}

void TfrmRadioButtons::ClearAll()
{
    clearCommon();
    m_edtBeschriftung->clear();
    m_edtFelder->clear();
}

void TfrmRadioButtons::LoadFromObject(const TRadioField &myField)
{
    loadCommon(myField);
    m_edtBeschriftung->setText(myField.Beschriftung);
    m_edtFelder->setPlainText(textForEditor(myField.Felder));
}

void TfrmRadioButtons::SaveToObject(TRadioField &myField) const
{
    saveCommon(myField);
    myField.Beschriftung = m_edtBeschriftung->text();
    myField.Felder = textFromEditor(m_edtFelder->toPlainText());
}

} // namespace vq::ui
