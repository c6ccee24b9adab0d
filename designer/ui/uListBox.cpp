#include "designer/ui/uListBox.h"

#include "common_ui/editor_text.h"
#include "designer/editor_rules/editor_rules.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace vq::ui {

QPlainTextEdit *addChoiceRows(QFormLayout *form, QWidget *parent)
{
    QPlainTextEdit *box = makeTextBox(QStringLiteral("edtFelder"), parent, 4);
    form->addRow(QStringLiteral("Auswahl Werte:"), box);
    auto *hint = new QLabel(QStringLiteral("Bitte tragen Sie hier die  Werte die zur Auswahl "
                                           "stehen sollen ein. \nDie Werte müssen mit dem # "
                                           "Zeichen voneinander getrennt sein!"),
                            parent);
    hint->setObjectName(QStringLiteral("lblFelderHinweis"));
    form->addRow(QString(), hint);
    return box;
}

TfrmListBox::TfrmListBox(UserQuestions &prompts, QWidget *parent)
    : FieldDialog(QStringLiteral("ListBox / Dropdown Feld"),
                  QStringLiteral("ListBox / Dropdown-Feld"), prompts, parent)
{
    setObjectName(QStringLiteral("frmListBox"));
    addNameRow();
    QFormLayout *form = settingsForm();
    m_edtBeschriftung = makeLineEdit(QStringLiteral("edtBeschriftung"), this);
    form->addRow(QStringLiteral("Beschriftung"), m_edtBeschriftung);
    m_edtGroesse = makeLineEdit(QStringLiteral("edtGroesse"), this);
    auto *sizeRow = new QHBoxLayout;
    sizeRow->addWidget(m_edtGroesse);
    auto *hint = new QLabel(QStringLiteral("Geben Sie 1 für Dropdown-Feld ein."), this);
    hint->setObjectName(QStringLiteral("lblGroesseHinweis"));
    sizeRow->addWidget(hint, 1);
    form->addRow(QStringLiteral("Grösse"), sizeRow);
    if (auto *label = qobject_cast<QLabel *>(form->labelForField(sizeRow)))
        label->setBuddy(m_edtGroesse);
    m_edtFelder = addChoiceRows(form, this);
    m_edtBeschriftungNach = makeLineEdit(QStringLiteral("edtBeschriftungNach"), this);
    form->addRow(QStringLiteral("Text nach Feld:"), m_edtBeschriftungNach);
    finishLayout();
    ClearAll();
}

void TfrmListBox::ClearAll()
{
    clearCommon();
    m_edtBeschriftung->clear();
    m_edtGroesse->setText(QStringLiteral("5"));
    m_edtFelder->clear();
    m_edtBeschriftungNach->clear();
}

void TfrmListBox::LoadFromObject(const TDropDownField &myField)
{
    loadCommon(myField);
    m_edtBeschriftung->setText(myField.Beschriftung);
    m_edtGroesse->setText(myField.Groesse);
    m_edtFelder->setPlainText(textForEditor(myField.Felder));
    m_edtBeschriftungNach->setText(myField.BeschriftungNach);
}

void TfrmListBox::SaveToObject(TDropDownField &myField) const
{
    saveCommon(myField);
    myField.Beschriftung = m_edtBeschriftung->text();
    myField.Groesse = m_edtGroesse->text();
    myField.Felder = textFromEditor(m_edtFelder->toPlainText());
    myField.BeschriftungNach = m_edtBeschriftungNach->text();
}

} // namespace vq::ui
