#include "designer/ui/uEinzField.h"

#include "designer/editor_rules/editor_rules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace vq::ui {

void TextLineRows::build(QFormLayout *form, QWidget *parent)
{
    edtBeschriftung = makeLineEdit(QStringLiteral("edtBeschriftung"), parent);
    edtBeschriftungNach = makeLineEdit(QStringLiteral("edtBeschriftungNach"), parent);
    edtVorgabe = makeLineEdit(QStringLiteral("edtVorgabe"), parent);
    chkVorgabeLoeschen =
        new QCheckBox(QStringLiteral("Vorgabewert löschen beim bearbeiten?"), parent);
    chkVorgabeLoeschen->setObjectName(QStringLiteral("chkVorgabeLoeschen"));
    edtGroesse = makeLineEdit(QStringLiteral("edtGroesse"), parent);
    edtMaxLaenge = makeLineEdit(QStringLiteral("edtMaxLaenge"), parent);
    form->addRow(QStringLiteral("Beschriftung"), edtBeschriftung);
    form->addRow(QStringLiteral("Text nach Feld:"), edtBeschriftungNach);
    form->addRow(QStringLiteral("Vorgabewert"), edtVorgabe);
    form->addRow(QString(), chkVorgabeLoeschen);
    form->addRow(QStringLiteral("Größe"), edtGroesse);
    form->addRow(QStringLiteral("max. Länge"), edtMaxLaenge);
}

void TextLineRows::clear()
{
    edtBeschriftung->clear();
    edtBeschriftungNach->clear();
    edtVorgabe->clear();
    chkVorgabeLoeschen->setChecked(false);
    edtGroesse->setText(QStringLiteral("15"));
    edtMaxLaenge->setText(QStringLiteral("100"));
}

template <class Field> void TextLineRows::load(const Field &field)
{
    edtBeschriftung->setText(field.Beschriftung);
    edtBeschriftungNach->setText(field.BeschriftungNach);
    edtVorgabe->setText(field.Vorgabewert);
    chkVorgabeLoeschen->setChecked(field.VorgabeLoeschen);
    edtGroesse->setText(field.Groesse);
    edtMaxLaenge->setText(field.maxLaenge);
}

template <class Field> void TextLineRows::save(Field &field) const
{
    field.Beschriftung = edtBeschriftung->text();
    field.BeschriftungNach = edtBeschriftungNach->text();
    field.Vorgabewert = edtVorgabe->text();
    field.VorgabeLoeschen = chkVorgabeLoeschen->isChecked();
    field.Groesse = edtGroesse->text();
    field.maxLaenge = edtMaxLaenge->text();
}

template void TextLineRows::load<TEinzField>(const TEinzField &);
template void TextLineRows::save<TEinzField>(TEinzField &) const;
template void TextLineRows::load<TPassField>(const TPassField &);
template void TextLineRows::save<TPassField>(TPassField &) const;

TfrmEinzField::TfrmEinzField(UserQuestions &prompts, QWidget *parent)
    : FieldDialog(QStringLiteral("Einzeiliges Feld"), QStringLiteral("Einzeiliges Textfeld"),
                  prompts, parent)
{
    setObjectName(QStringLiteral("frmEinzField"));
    addNameRow();
    m_rows.build(settingsForm(), this);

    m_cboCheckType = new QComboBox(this);
    m_cboCheckType->setObjectName(QStringLiteral("cboCheckType"));
    m_cboCheckType->addItems({QStringLiteral("Eingabe"), QStringLiteral("E-Mail"),
                              QStringLiteral("Zahl"), QStringLiteral("Mindestlänge")});
    checkForm()->addRow(QStringLiteral("Überprüfung auf:"), m_cboCheckType);
    // A screen reader names a drop-down by its current entry unless told.
    m_cboCheckType->setAccessibleName(QStringLiteral("Überprüfung auf:"));
    m_edtMindestLaenge = makeLineEdit(QStringLiteral("edtMindestLaenge"), this);
    m_edtMindestLaenge->setMaxLength(3);
    // The key filter lets digits through; the validator also keeps pasted
    // text to digits.
    m_edtMindestLaenge->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,3}")), m_edtMindestLaenge));
    new KeyFilter(m_edtMindestLaenge,
                  [](const QLineEdit &, QChar typed) { return minLengthKeyAccepted(typed); });
    checkForm()->addRow(QStringLiteral("Mindestlänge:"), m_edtMindestLaenge);
    connect(m_cboCheckType, &QComboBox::currentIndexChanged, this,
            &TfrmEinzField::cboCheckTypeSelect);
    finishLayout();
    ClearAll();
}

void TfrmEinzField::cboCheckTypeSelect()
{
    checkForm()->setRowVisible(m_edtMindestLaenge, m_cboCheckType->currentIndex() == 3);
}

void TfrmEinzField::ClearAll()
{
    clearCommon();
    m_rows.clear();
    m_cboCheckType->setCurrentIndex(0);
    m_edtMindestLaenge->setText(QStringLiteral("0"));
    cboCheckTypeSelect();
}

void TfrmEinzField::LoadFromObject(const TEinzField &myField)
{
    loadCommon(myField);
    m_rows.load(myField);
    const int type = myField.PflichtFeldTyp;
    m_cboCheckType->setCurrentIndex(type >= 0 && type < m_cboCheckType->count() ? type : 0);
    m_edtMindestLaenge->setText(QString::number(myField.MinPflichtLaenge));
    cboCheckTypeSelect();
}

void TfrmEinzField::SaveToObject(TEinzField &myField) const
{
    saveCommon(myField);
    m_rows.save(myField);
    myField.PflichtFeldTyp = m_cboCheckType->currentIndex();
    myField.MinPflichtLaenge = minLengthFromText(m_edtMindestLaenge->text());
}

} // namespace vq::ui
