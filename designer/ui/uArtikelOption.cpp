#include "designer/ui/uArtikelOption.h"

#include "common_ui/dialog_buttons.h"
#include "designer/ui/field_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vq::ui {

TfrmEditArtikelOption::TfrmEditArtikelOption(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmEditArtikelOption"));
    setWindowTitle(QStringLiteral("Artikeloption bearbeiten"));
    auto *layout = new QVBoxLayout(this);
    auto *group = new QGroupBox(QStringLiteral("Artikeloption bearbeiten"), this);
    auto *form = new QFormLayout(group);
    m_edtName = makeLineEdit(QStringLiteral("edtName"), group);
    m_edtVorgabe = makeLineEdit(QStringLiteral("edtVorgabe"), group);
    form->addRow(QStringLiteral("Name"), m_edtName);
    form->addRow(QStringLiteral("Vorgabewert"), m_edtVorgabe);
    auto *hint = new QLabel(
        QStringLiteral("* bei Auswahlfeld die einzelnen Werte durch #-Zeichen trennen"), group);
    hint->setObjectName(QStringLiteral("lblHinweis"));
    form->addRow(QString(), hint);
    layout->addWidget(group);
    layout->addStretch(1);

    const DialogButtons buttons = okCancelButtons(*this, QStringLiteral("OK"), "btnCancel");
    buttons.ok->setDefault(true);
    layout->addWidget(buttons.box);
    applyLayoutTabOrder(this);
    resize(qMax(sizeHint().width(), 460), sizeHint().height());
}

void TfrmEditArtikelOption::ClearAll()
{
    m_edtName->clear();
    m_edtVorgabe->clear();
    m_edtName->setFocus();
}

void TfrmEditArtikelOption::LoadFromObject(const TOptionField &option)
{
    m_edtName->setText(option.beschriftung);
    m_edtVorgabe->setText(option.defaultWert);
    m_edtName->setFocus();
}

void TfrmEditArtikelOption::SaveToObject(TOptionField &option) const
{
    option.beschriftung = m_edtName->text();
    option.defaultWert = m_edtVorgabe->text();
}

} // namespace vq::ui
