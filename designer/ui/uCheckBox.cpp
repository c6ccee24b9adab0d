#include "designer/ui/uCheckBox.h"

#include <QFormLayout>
#include <QLineEdit>

namespace vq::ui {

TfrmCheckBox::TfrmCheckBox(UserQuestions &prompts, QWidget *parent)
    : FieldDialog(QStringLiteral("CheckBox Feld"), QStringLiteral("CheckBox Feld"), prompts, parent)
{
    setObjectName(QStringLiteral("frmCheckBox"));
    addNameRow();
    m_edtBeschriftung = makeLineEdit(QStringLiteral("edtBeschriftung"), this);
    m_edtVorgabe = makeLineEdit(QStringLiteral("edtVorgabe"), this);
    m_edtBeschriftungNach = makeLineEdit(QStringLiteral("edtBeschriftungNach"), this);
    settingsForm()->addRow(QStringLiteral("Beschriftung"), m_edtBeschriftung);
    settingsForm()->addRow(QStringLiteral("Vorgabewert"), m_edtVorgabe);
    settingsForm()->addRow(QStringLiteral("Text nach Feld:"), m_edtBeschriftungNach);
    finishLayout();
    ClearAll();
}

void TfrmCheckBox::ClearAll()
{
    clearCommon();
    m_edtBeschriftung->clear();
    m_edtVorgabe->clear();
    m_edtBeschriftungNach->clear();
}

void TfrmCheckBox::LoadFromObject(const TCheckBoxField &myField)
{
    loadCommon(myField);
    m_edtBeschriftung->setText(myField.Beschriftung);
    m_edtVorgabe->setText(myField.Vorgabewert);
    m_edtBeschriftungNach->setText(myField.BeschriftungNach);
}

void TfrmCheckBox::SaveToObject(TCheckBoxField &myField) const
{
    saveCommon(myField);
    myField.Beschriftung = m_edtBeschriftung->text();
    myField.Vorgabewert = m_edtVorgabe->text();
    myField.BeschriftungNach = m_edtBeschriftungNach->text();
}

} // namespace vq::ui
