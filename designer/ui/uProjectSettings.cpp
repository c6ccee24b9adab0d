#include "designer/ui/uProjectSettings.h"

#include "common_ui/dialog_buttons.h"
#include "common_ui/editor_text.h"

#include "common_ui/questions.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vq::ui {

TfrmProjectSettings::TfrmProjectSettings(const TProjectSettings &settings, UserQuestions &dialogs,
                                         QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmProjectSettings"));
    setWindowTitle(QStringLiteral("Formulareigenschaften"));

    auto edit = [](const QString &name, const QString &text) {
        auto *e = new QLineEdit(text);
        e->setObjectName(name);
        return e;
    };
    m_title = edit(QStringLiteral("edtTitle"), settings.title);
    m_author = edit(QStringLiteral("edtAuthor"), settings.author);
    m_company = edit(QStringLiteral("edtCompany"), settings.company);
    m_url = edit(QStringLiteral("edtUrl"), settings.url);
    m_comment = new QPlainTextEdit(textForEditor(settings.comment));
    m_comment->setObjectName(QStringLiteral("memoComment"));
    m_comment->setTabChangesFocus(true);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Titel:"), m_title);
    form->addRow(QStringLiteral("Autor:"), m_author);
    form->addRow(QStringLiteral("Firma:"), m_company);
    auto *test = new QPushButton(QStringLiteral("Link testen"));
    test->setObjectName(QStringLiteral("btnTestUrl"));
    connect(test, &QPushButton::clicked, this,
            [this, &dialogs] { dialogs.openUrl(m_url->text()); });
    auto *urlRow = new QHBoxLayout;
    urlRow->addWidget(m_url, 1);
    urlRow->addWidget(test);
    form->addRow(QStringLiteral("URL:"), urlRow);
    if (auto *label = qobject_cast<QLabel *>(form->labelForField(urlRow)))
        label->setBuddy(m_url);
    m_url->setAccessibleName(QStringLiteral("URL"));
    form->addRow(QStringLiteral("Kommentar:"), m_comment);

    const DialogButtons buttons = okCancelButtons(*this, QStringLiteral("OK"), "btnAbbrechen");
    buttons.ok->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons.box);
    resize(520, 360);
}

void TfrmProjectSettings::saveTo(TProjectSettings &settings) const
{
    settings.title = m_title->text();
    settings.author = m_author->text();
    settings.url = m_url->text();
    settings.company = m_company->text();
    settings.comment = textFromEditor(m_comment->toPlainText());
}

} // namespace vq::ui
