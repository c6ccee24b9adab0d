#include "designer/ui/uEditOption.h"

#include "common_ui/dialog_buttons.h"
#include "designer/editor_rules/editor_rules.h"
#include "designer/ui/field_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vq::ui {

TfrmEditOption::TfrmEditOption(UserQuestions &prompts, QWidget *parent)
    : QDialog(parent)
    , m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmEditOption"));
    setWindowTitle(QStringLiteral("Option bearbeiten"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    m_edtName = makeLineEdit(QStringLiteral("edtName"), this);
    m_edtPrice = makeLineEdit(QStringLiteral("edtPrice"), this);
    form->addRow(QStringLiteral("Name:"), m_edtName);
    form->addRow(QStringLiteral("Preis:"), m_edtPrice);
    layout->addLayout(form);
    layout->addStretch(1);
    const DialogButtons buttons = okCancelButtons(*this, QStringLiteral("OK"), "btnCancel");
    buttons.ok->setDefault(true);
    layout->addWidget(buttons.box);
    applyLayoutTabOrder(this);
    resize(qMax(sizeHint().width(), 360), sizeHint().height());
}

void TfrmEditOption::setValue(const QString &name, const QString &priceText)
{
    m_edtName->setText(name);
    m_edtPrice->setText(priceText);
    m_edtName->setFocus();
}

QString TfrmEditOption::name() const
{
    return m_edtName->text();
}

QString TfrmEditOption::priceText() const
{
    return m_edtPrice->text();
}

void TfrmEditOption::done(int result)
{
    if (result == QDialog::Accepted) {
        const auto problems =
            checkPriceValue(m_edtName->text(), m_edtPrice->text(), QStringLiteral("edtName"),
                            QStringLiteral("edtPrice"));
        for (const InputProblem &problem : problems)
            m_prompts.message(this, problem.message);
        if (!problems.empty()) {
            // Both checks run; the focus ends where the last failing one puts it.
            if (QWidget *focus = ownControl(this, problems.back().control))
                focus->setFocus();
            return;
        }
    }
    QDialog::done(result);
}

} // namespace vq::ui
