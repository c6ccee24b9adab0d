#include "designer/ui/uFileUpload.h"

#include <QFormLayout>
#include <QLineEdit>

namespace vq::ui {

TfrmFileUpload::TfrmFileUpload(UserQuestions &prompts, QWidget *parent)
    : FieldDialog(QStringLiteral("Datei-Upload-Feld"), QStringLiteral("Datei-Upload-Feld"), prompts,
                  parent)
{
    setObjectName(QStringLiteral("frmFileUpload"));
    addNameRow();
    m_edtBeschriftung = makeLineEdit(QStringLiteral("edtBeschriftung"), this);
    m_edtBeschriftungNach = makeLineEdit(QStringLiteral("edtBeschriftungNach"), this);
    m_edtGroesse = makeLineEdit(QStringLiteral("edtGroesse"), this);
    settingsForm()->addRow(QStringLiteral("Beschriftung"), m_edtBeschriftung);
    settingsForm()->addRow(QStringLiteral("Text nach Feld:"), m_edtBeschriftungNach);
    settingsForm()->addRow(QStringLiteral("Größe"), m_edtGroesse);
    finishLayout();
    ClearAll();
}

void TfrmFileUpload::ClearAll()
{
    clearCommon();
    m_edtBeschriftung->clear();
    m_edtBeschriftungNach->clear();
    m_edtGroesse->setText(QStringLiteral("15"));
}

void TfrmFileUpload::LoadFromObject(const TFileField &myField)
{
    loadCommon(myField);
    m_edtBeschriftung->setText(myField.Beschriftung);
    m_edtBeschriftungNach->setText(myField.BeschriftungNach);
    m_edtGroesse->setText(myField.Groesse);
}

void TfrmFileUpload::SaveToObject(TFileField &myField) const
{
    saveCommon(myField);
    myField.Beschriftung = m_edtBeschriftung->text();
    myField.BeschriftungNach = m_edtBeschriftungNach->text();
    myField.Groesse = m_edtGroesse->text();
}

} // namespace vq::ui
