#include "designer/ui/field_dialog.h"

#include "common_ui/dialog_buttons.h"
#include "designer/editor_rules/editor_rules.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vq::ui {

KeyFilter::KeyFilter(QLineEdit *box, Rule rule)
    : QObject(box)
    , m_rule(std::move(rule))
{
    box->installEventFilter(this);
}

bool KeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const QString text = key->text();
    // Shortcuts (Ctrl+V, Ctrl+A) and control keys (Backspace) pass unchanged.
    if (text.size() != 1 || !text.at(0).isPrint()
        || (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)))
        return false;
    const auto *box = static_cast<QLineEdit *>(watched);
    return !m_rule(*box, text.at(0));
}

QWidget *makeHeaderPanel(const QString &text, QWidget *parent)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(QStringLiteral("pnlHeader"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setAutoFillBackground(true);
    panel->setBackgroundRole(QPalette::Base);
    auto *label = new QLabel(text, panel);
    label->setObjectName(QStringLiteral("lblHeader"));
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.25);
    label->setFont(font);
    auto *layout = new QVBoxLayout(panel);
    layout->addWidget(label);
    return panel;
}

QLineEdit *makeLineEdit(const QString &objectName, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    return edit;
}

namespace {
// A multi-line box that asks for the lines it is made for, not for the
// scroll area's large default, so dialogs open compact and grow it on resize.
class TextBox : public QPlainTextEdit
{
public:
    TextBox(QWidget *parent, int visibleLines)
        : QPlainTextEdit(parent)
        , m_lines(visibleLines)
    {
    }
    QSize sizeHint() const override
    {
        return {QPlainTextEdit::sizeHint().width(), minimumHeight()};
    }

private:
    int m_lines;
};
} // namespace

QPlainTextEdit *makeTextBox(const QString &objectName, QWidget *parent, int visibleLines)
{
    auto *box = new TextBox(parent, visibleLines);
    box->setObjectName(objectName);
    box->setTabChangesFocus(true);
    const int lineHeight = box->fontMetrics().lineSpacing();
    box->setMinimumHeight(lineHeight * visibleLines + 12);
    return box;
}

namespace {
void collectFocusable(QLayout *layout, QList<QWidget *> &out);

void collectItem(QLayoutItem *item, QList<QWidget *> &out)
{
    if (!item)
        return;
    if (QLayout *inner = item->layout()) {
        collectFocusable(inner, out);
        return;
    }
    QWidget *widget = item->widget();
    if (!widget)
        return;
    if (widget->layout()) {
        collectFocusable(widget->layout(), out);
        return;
    }
    if (widget->focusPolicy() & Qt::TabFocus)
        out.append(widget);
    else if (auto *buttons = qobject_cast<QDialogButtonBox *>(widget))
        for (QAbstractButton *button : buttons->buttons())
            out.append(button);
}

void collectFocusable(QLayout *layout, QList<QWidget *> &out)
{
    if (auto *form = qobject_cast<QFormLayout *>(layout)) {
        for (int row = 0; row < form->rowCount(); ++row)
            for (auto role :
                 {QFormLayout::LabelRole, QFormLayout::FieldRole, QFormLayout::SpanningRole})
                collectItem(form->itemAt(row, role), out);
        return;
    }
    if (auto *grid = qobject_cast<QGridLayout *>(layout)) {
        for (int row = 0; row < grid->rowCount(); ++row)
            for (int column = 0; column < grid->columnCount(); ++column) {
                QLayoutItem *item = grid->itemAtPosition(row, column);
                int r = 0, c = 0, rs = 0, cs = 0;
                const int index = grid->indexOf(item);
                if (index < 0)
                    continue;
                grid->getItemPosition(index, &r, &c, &rs, &cs);
                if (r == row && c == column) // an item spanning cells counts once
                    collectItem(item, out);
            }
        return;
    }
    for (int i = 0; i < layout->count(); ++i)
        collectItem(layout->itemAt(i), out);
}
} // namespace

QWidget *ownControl(QWidget *root, const QString &objectName)
{
    for (QWidget *candidate : root->findChildren<QWidget *>(objectName))
        if (candidate->window() == root->window())
            return candidate;
    return nullptr;
}

void applyLayoutTabOrder(QWidget *root)
{
    if (!root->layout())
        return;
    QList<QWidget *> chain;
    collectFocusable(root->layout(), chain);
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

FieldDialog::FieldDialog(const QString &title, const QString &header, UserQuestions &prompts,
                         QWidget *parent)
    : QDialog(parent)
    , m_prompts(prompts)
{
    setWindowTitle(title);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(makeHeaderPanel(header, this));

    auto *settings = new QGroupBox(QStringLiteral("Feldeinstellungen"), this);
    settings->setObjectName(QStringLiteral("grpFeldeinstellungen"));
    m_settingsForm = new QFormLayout(settings);
    layout->addWidget(settings);

    auto *check = new QGroupBox(QStringLiteral("Überprüfung"), this);
    check->setObjectName(QStringLiteral("grpUeberpruefung"));
    m_checkForm = new QFormLayout(check);
    m_chkPflicht = new QCheckBox(QStringLiteral("Pflichtfeld"), check);
    m_chkPflicht->setObjectName(QStringLiteral("chkPflicht"));
    m_checkForm->addRow(m_chkPflicht);
    layout->addWidget(check);

    m_edtName = makeLineEdit(QStringLiteral("edtName"), this);
    m_edtName->setMaxLength(100);
    new KeyFilter(m_edtName, [](const QLineEdit &box, QChar typed) {
        return nameKeyAccepted(box.text().isEmpty(), typed);
    });
}

void FieldDialog::addNameRow()
{
    m_settingsForm->addRow(QStringLiteral("Name"), m_edtName);
}

void FieldDialog::finishLayout()
{
    auto *check = static_cast<QWidget *>(m_checkForm->parent());
    m_edtMeldung = makeLineEdit(QStringLiteral("edtMeldung"), check);
    m_checkForm->addRow(QStringLiteral("Fehlermeldung"), m_edtMeldung);
    auto *hint = new QLabel(QStringLiteral("Bleibt die Fehlermeldung leer, wird die "
                                           "Standardmeldung mit der Beschriftung des Feldes "
                                           "angezeigt."),
                            check);
    hint->setObjectName(QStringLiteral("lblMeldungHinweis"));
    hint->setWordWrap(true);
    m_checkForm->addRow(QString(), hint);

    auto *box = static_cast<QVBoxLayout *>(layout());
    // A growing dialog gives its height to the multi-line boxes when it has any.
    if (findChild<QPlainTextEdit *>())
        box->setStretchFactor(m_settingsForm->parentWidget(), 1);
    else
        box->addStretch(1);
    const DialogButtons buttons = okCancelButtons(*this, QStringLiteral("Übernehmen"), "btnCancel");
    buttons.ok->setDefault(true);
    box->addWidget(buttons.box);
    applyLayoutTabOrder(this);
    setMinimumWidth(480);
    resize(sizeHint().expandedTo(QSize(520, 0)));
}

void FieldDialog::clearCommon()
{
    m_edtName->clear();
    m_chkPflicht->setChecked(false);
    m_edtMeldung->clear();
    feldNr = -1;
}

void FieldDialog::loadCommon(const TFormField &field)
{
    m_edtName->setText(field.Name);
    m_chkPflicht->setChecked(field.Pflicht);
    m_edtMeldung->setText(field.Meldung);
}

void FieldDialog::saveCommon(TFormField &field) const
{
    field.Name = m_edtName->text();
    field.Pflicht = m_chkPflicht->isChecked();
    field.Meldung = m_edtMeldung->text();
}

void FieldDialog::done(int result)
{
    if (result == QDialog::Accepted) {
        static const FieldList noFields;
        const NameProblem problem =
            checkFieldName(m_edtName->text(), feldNr, m_fields ? *m_fields : noFields);
        if (problem != NameProblem::None) {
            m_prompts.message(this, nameProblemMessage(problem));
            m_edtName->setFocus();
            return;
        }
    }
    QDialog::done(result);
}

} // namespace vq::ui
