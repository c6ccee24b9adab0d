// Editor of multi-line text fields.
#pragma once

#include "designer/ui/field_dialog.h"

namespace vq::ui {

class TfrmMehrzField : public FieldDialog
{
public:
    explicit TfrmMehrzField(UserQuestions &prompts, QWidget *parent = nullptr);

    void ClearAll();
    void LoadFromObject(const TMehrzField &myField);
    void SaveToObject(TMehrzField &myField) const;

private:
    QLineEdit *m_edtBeschriftung = nullptr;
    QPlainTextEdit *m_edtVorgabe = nullptr;
    QLineEdit *m_edtHoehe = nullptr;
    QLineEdit *m_edtBreite = nullptr;
    QLineEdit *m_edtBeschriftungNach = nullptr;
    QCheckBox *m_chkVorgabeLoeschen = nullptr;
    QLineEdit *m_edtAnzahlZeichen = nullptr;
    QCheckBox *m_chkZeichenAnzeige = nullptr;
    QLineEdit *m_edtZeichenAnzeigeText = nullptr;
};

} // namespace vq::ui
