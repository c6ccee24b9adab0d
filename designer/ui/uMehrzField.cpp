#include "designer/ui/uMehrzField.h"

#include "common_ui/editor_text.h"
#include "designer/editor_rules/editor_rules.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace vq::ui {

TfrmMehrzField::TfrmMehrzField(UserQuestions &prompts, QWidget *parent)
    : FieldDialog(QStringLiteral("Mehrzeiliges Textfeld"), QStringLiteral("Mehrzeiliges Textfeld"),
                  prompts, parent)
{
    setObjectName(QStringLiteral("frmMehrzField"));
    addNameRow();
    QFormLayout *form = settingsForm();
    m_edtBeschriftung = makeLineEdit(QStringLiteral("edtBeschriftung"), this);
    m_edtVorgabe = makeTextBox(QStringLiteral("edtVorgabe"), this, 2);
    m_edtHoehe = makeLineEdit(QStringLiteral("edtHoehe"), this);
    m_edtBreite = makeLineEdit(QStringLiteral("edtBreite"), this);
    m_edtBeschriftungNach = makeLineEdit(QStringLiteral("edtBeschriftungNach"), this);
    m_chkVorgabeLoeschen =
        new QCheckBox(QStringLiteral("Vorgabewert löschen beim bearbeiten?"), this);
    m_chkVorgabeLoeschen->setObjectName(QStringLiteral("chkVorgabeLoeschen"));
    form->addRow(QStringLiteral("Beschriftung"), m_edtBeschriftung);
    form->addRow(QStringLiteral("Vorgabewert"), m_edtVorgabe);
    auto *sizeRow = new QHBoxLayout;
    sizeRow->addWidget(m_edtHoehe);
    auto *widthLabel = new QLabel(QStringLiteral("Breite"), this);
    widthLabel->setBuddy(m_edtBreite);
    sizeRow->addWidget(widthLabel);
    sizeRow->addWidget(m_edtBreite);
    form->addRow(QStringLiteral("Höhe"), sizeRow);
    if (auto *label = qobject_cast<QLabel *>(form->labelForField(sizeRow)))
        label->setBuddy(m_edtHoehe);
    form->addRow(QStringLiteral("Text nach Feld:"), m_edtBeschriftungNach);
    form->addRow(QString(), m_chkVorgabeLoeschen);

    auto *limit = new QGroupBox(QStringLiteral("Zeichenbegrenzung"), this);
    limit->setObjectName(QStringLiteral("grpZeichenbegrenzung"));
    auto *limitForm = new QFormLayout(limit);
    m_edtAnzahlZeichen = makeLineEdit(QStringLiteral("edtAnzahlZeichen"), limit);
    auto *countRow = new QHBoxLayout;
    countRow->addWidget(m_edtAnzahlZeichen);
    auto *hint = new QLabel(QStringLiteral("* leer für \nkeine Begrenzung"), limit);
    hint->setObjectName(QStringLiteral("lblAnzahlZeichenHinweis"));
    countRow->addWidget(hint);
    limitForm->addRow(QStringLiteral("Anzahl Zeichen:"), countRow);
    if (auto *label = qobject_cast<QLabel *>(limitForm->labelForField(countRow)))
        label->setBuddy(m_edtAnzahlZeichen);
    m_chkZeichenAnzeige = new QCheckBox(QStringLiteral("Anzeige verbleibender Zeichen"), limit);
    m_chkZeichenAnzeige->setObjectName(QStringLiteral("chkZeichenAnzeige"));
    limitForm->addRow(QString(), m_chkZeichenAnzeige);
    m_edtZeichenAnzeigeText = makeLineEdit(QStringLiteral("edtZeichenAnzeigeText"), limit);
    limitForm->addRow(QStringLiteral("Beschriftung:"), m_edtZeichenAnzeigeText);
    form->addRow(limit);

    finishLayout();
    ClearAll();
}

void TfrmMehrzField::ClearAll()
{
    clearCommon();
    m_edtBeschriftung->clear();
    m_edtVorgabe->clear();
    m_edtHoehe->setText(QStringLiteral("5"));
    m_edtBreite->setText(QStringLiteral("40"));
    m_edtBeschriftungNach->clear();
    m_chkVorgabeLoeschen->setChecked(false);
    m_edtAnzahlZeichen->clear();
    m_chkZeichenAnzeige->setChecked(false);
    m_edtZeichenAnzeigeText->setText(QStringLiteral("Zeichen übrig"));
}

void TfrmMehrzField::LoadFromObject(const TMehrzField &myField)
{
    loadCommon(myField);
    m_edtBeschriftung->setText(myField.Beschriftung);
    m_edtVorgabe->setPlainText(textForEditor(myField.Vorgabewert));
    m_edtHoehe->setText(myField.Hoehe);
    m_edtBreite->setText(myField.Breite);
    m_edtBeschriftungNach->setText(myField.BeschriftungNach);
    m_chkVorgabeLoeschen->setChecked(myField.VorgabeLoeschen);
    m_edtAnzahlZeichen->setText(myField.maxLaenge);
    m_chkZeichenAnzeige->setChecked(myField.zeichenAnzeige);
    m_edtZeichenAnzeigeText->setText(myField.zeichenAnzeigeText);
}

void TfrmMehrzField::SaveToObject(TMehrzField &myField) const
{
    saveCommon(myField);
    myField.Beschriftung = m_edtBeschriftung->text();
    myField.Vorgabewert = textFromEditor(m_edtVorgabe->toPlainText());
    myField.Hoehe = m_edtHoehe->text();
    myField.Breite = m_edtBreite->text();
    myField.BeschriftungNach = m_edtBeschriftungNach->text();
    myField.VorgabeLoeschen = m_chkVorgabeLoeschen->isChecked();
    myField.maxLaenge = m_edtAnzahlZeichen->text();
    myField.zeichenAnzeige = m_chkZeichenAnzeige->isChecked();
    myField.zeichenAnzeigeText = m_edtZeichenAnzeigeText->text();
}

} // namespace vq::ui
