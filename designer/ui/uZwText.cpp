#include "designer/ui/uZwText.h"

#include "common_ui/dialog_buttons.h"
#include "common_ui/editor_text.h"
#include "designer/editor_rules/editor_rules.h"
#include "designer/ui/field_dialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vq::ui {

TfrmZwText::TfrmZwText(UserQuestions &prompts, QWidget *parent)
    : QDialog(parent)
    , m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmZwText"));
    setWindowTitle(QStringLiteral("Zwischentext"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(makeHeaderPanel(QStringLiteral("Zwischentext"), this));

    auto *group =
        new QGroupBox(QStringLiteral("Einstellungen Zwischentext (HTML-Code erlaubt)"), this);
    group->setObjectName(QStringLiteral("grpZwischentext"));
    auto *row = new QHBoxLayout(group);
    m_memoText = makeTextBox(QStringLiteral("memoText"), group, 8);
    m_memoText->setAccessibleName(QStringLiteral("Zwischentext"));
    row->addWidget(m_memoText, 1);
    auto *html = new QPushButton(QStringLiteral("..."), group);
    html->setObjectName(QStringLiteral("btnHtml"));
    html->setAccessibleName(QStringLiteral("HTML-Editor"));
    html->setAutoDefault(false);
    html->setFixedWidth(html->fontMetrics().horizontalAdvance(html->text()) + 24);
    row->addWidget(html, 0, Qt::AlignTop);
    connect(html, &QPushButton::clicked, this, &TfrmZwText::btnHtmlClick);
    layout->addWidget(group, 1);

    layout->addWidget(okCancelButtons(*this, QStringLiteral("Übernehmen"), "btnCancel").box);
    applyLayoutTabOrder(this);
    resize(560, 360);
}

void TfrmZwText::ClearAll()
{
    m_memoText->clear();
}

void TfrmZwText::LoadFromObject(const TZwField &myField)
{
    m_memoText->setPlainText(textForEditor(myField.Beschriftung));
}

void TfrmZwText::SaveToObject(TZwField &myField) const
{
    myField.Beschriftung = textFromEditor(m_memoText->toPlainText());
}

void TfrmZwText::btnHtmlClick()
{
    QString text = textFromEditor(m_memoText->toPlainText());
    if (runHtmlEditor(m_htmlEditor, m_prompts, this, text))
        m_memoText->setPlainText(textForEditor(text));
}

} // namespace vq::ui
