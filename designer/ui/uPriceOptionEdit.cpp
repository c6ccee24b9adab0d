#include "designer/ui/uPriceOptionEdit.h"

#include "common_ui/dialog_buttons.h"
#include "designer/ui/field_dialog.h"
#include "designer/ui/uEditOption.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vq::ui {

namespace {
QPushButton *makeButton(const QString &text, const QString &objectName, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    // Enter in the price field adds a value; no button may take it first.
    button->setAutoDefault(false);
    return button;
}
} // namespace

TfrmPriceOption::TfrmPriceOption(UserQuestions &prompts, QWidget *parent)
    : QDialog(parent)
    , m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmPriceOption"));
    setWindowTitle(QStringLiteral("Option mit Preis"));
    auto *layout = new QVBoxLayout(this);
    auto *top = new QFormLayout;
    m_edtOptionsName = makeLineEdit(QStringLiteral("edtOptionsName"), this);
    top->addRow(QStringLiteral("Beschriftung"), m_edtOptionsName);
    layout->addLayout(top);

    auto *group = new QGroupBox(QStringLiteral("Optionswerte"), this);
    group->setObjectName(QStringLiteral("grpOptionswerte"));
    auto *grid = new QGridLayout(group);
    auto *nameLabel = new QLabel(QStringLiteral("Name"), group);
    m_edtName = makeLineEdit(QStringLiteral("edtName"), group);
    nameLabel->setBuddy(m_edtName);
    auto *priceLabel = new QLabel(QStringLiteral("Preis"), group);
    m_edtPreis = makeLineEdit(QStringLiteral("edtPreis"), group);
    priceLabel->setBuddy(m_edtPreis);
    m_edtPreis->installEventFilter(this);
    auto *add = makeButton(QStringLiteral("Hinzufügen"), QStringLiteral("btnAdd"), group);
    grid->addWidget(nameLabel, 0, 0);
    grid->addWidget(m_edtName, 0, 1);
    grid->addWidget(priceLabel, 0, 2);
    grid->addWidget(m_edtPreis, 0, 3);
    grid->addWidget(add, 0, 4);

    m_lstOptions = new QTreeWidget(group);
    m_lstOptions->setObjectName(QStringLiteral("lstOptions"));
    m_lstOptions->setAccessibleName(QStringLiteral("Optionswerte"));
    m_lstOptions->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Preis")});
    m_lstOptions->setRootIsDecorated(false);
    m_lstOptions->setUniformRowHeights(true);
    m_lstOptions->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_lstOptions->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_lstOptions->header()->setStretchLastSection(false);
    grid->addWidget(m_lstOptions, 1, 0, 1, 4);

    auto *side = new QVBoxLayout;
    auto *up = new QToolButton(group);
    up->setObjectName(QStringLiteral("btUp"));
    up->setArrowType(Qt::UpArrow);
    up->setAccessibleName(QStringLiteral("Nach oben"));
    up->setToolTip(QStringLiteral("Nach oben"));
    auto *down = new QToolButton(group);
    down->setObjectName(QStringLiteral("btDown"));
    down->setArrowType(Qt::DownArrow);
    down->setAccessibleName(QStringLiteral("Nach unten"));
    down->setToolTip(QStringLiteral("Nach unten"));
    for (auto *arrow : {up, down})
        arrow->setFocusPolicy(Qt::StrongFocus);
    auto *edit = makeButton(QStringLiteral("Bearbeiten"), QStringLiteral("btnEdit"), group);
    auto *remove = makeButton(QStringLiteral("Löschen"), QStringLiteral("btnDelete"), group);
    side->addWidget(edit);
    side->addWidget(remove);
    side->addStretch(1);
    side->addWidget(up, 0, Qt::AlignHCenter);
    side->addWidget(down, 0, Qt::AlignHCenter);
    grid->addLayout(side, 1, 4);
    grid->setRowStretch(1, 1);
    layout->addWidget(group, 1);

    const DialogButtons buttons = okCancelButtons(*this, QStringLiteral("OK"), "btnCancel");
    for (auto *button : {buttons.ok, buttons.cancel})
        button->setAutoDefault(false);
    layout->addWidget(buttons.box);

    connect(add, &QPushButton::clicked, this, &TfrmPriceOption::addValue);
    connect(edit, &QPushButton::clicked, this, &TfrmPriceOption::editValue);
    connect(remove, &QPushButton::clicked, this, &TfrmPriceOption::deleteValue);
    connect(up, &QToolButton::clicked, this, [this] { moveValue(true); });
    connect(down, &QToolButton::clicked, this, [this] { moveValue(false); });
    connect(m_lstOptions, &QTreeWidget::itemDoubleClicked, this, &TfrmPriceOption::editValue);

    QWidget::setTabOrder(m_edtOptionsName, m_edtName);
    QWidget::setTabOrder(m_edtName, m_edtPreis);
    QWidget::setTabOrder(m_edtPreis, add);
    QWidget::setTabOrder(add, m_lstOptions);
    QWidget::setTabOrder(m_lstOptions, edit);
    QWidget::setTabOrder(edit, remove);
    QWidget::setTabOrder(remove, up);
    QWidget::setTabOrder(up, down);
    QWidget::setTabOrder(down, buttons.ok);
    QWidget::setTabOrder(buttons.ok, buttons.cancel);
    resize(540, 400);
}

void TfrmPriceOption::setOption(const QString &caption,
                                const std::vector<TPriceOptionElement> &values)
{
    m_edtOptionsName->setText(caption);
    m_values.assign(values);
    rebuildList(values.empty() ? -1 : 0);
}

QString TfrmPriceOption::caption() const
{
    return m_edtOptionsName->text();
}

bool TfrmPriceOption::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edtPreis && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            addValue();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmPriceOption::addValue()
{
    const auto problems = checkPriceValue(m_edtName->text(), m_edtPreis->text(),
                                          QStringLiteral("edtName"), QStringLiteral("edtPreis"));
    for (const InputProblem &problem : problems)
        m_prompts.message(this, problem.message);
    if (!problems.empty()) {
        // Both checks run; the focus ends where the last failing one puts it.
        (problems.back().control == QLatin1String("edtName") ? m_edtName : m_edtPreis)->setFocus();
        return;
    }
    m_values.add(m_edtName->text(), m_edtPreis->text());
    m_edtName->clear();
    m_edtPreis->clear();
    m_edtName->setFocus();
    rebuildList(m_values.size() - 1);
}

void TfrmPriceOption::editValue()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    TfrmEditOption dialog(m_prompts, this);
    dialog.setValue(m_values.at(row).name, m_values.editPrice(row));
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_values.replace(row, dialog.name(), dialog.priceText());
    rebuildList(row);
}

void TfrmPriceOption::deleteValue()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    m_values.remove(row);
    rebuildList(qMin(row, m_values.size() - 1));
}

void TfrmPriceOption::moveValue(bool up)
{
    const int row = selectedRow();
    if (row < 0)
        return;
    rebuildList(up ? m_values.moveUp(row) : m_values.moveDown(row));
}

void TfrmPriceOption::rebuildList(int selectRow)
{
    m_lstOptions->clear();
    for (int row = 0; row < m_values.size(); ++row) {
        auto *item = new QTreeWidgetItem(m_lstOptions);
        item->setText(0, m_values.at(row).name);
        item->setText(1, m_values.shownPrice(row));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (selectRow >= 0 && selectRow < m_values.size())
        m_lstOptions->setCurrentItem(m_lstOptions->topLevelItem(selectRow));
}

int TfrmPriceOption::selectedRow() const
{
    QTreeWidgetItem *item = m_lstOptions->currentItem();
    return item ? m_lstOptions->indexOfTopLevelItem(item) : -1;
}

void TfrmPriceOption::done(int result)
{
    if (result == QDialog::Accepted && m_edtOptionsName->text().isEmpty()) {
        m_prompts.message(this, QStringLiteral("Bitte geben Sie eine Beschriftung ein."));
        m_edtOptionsName->setFocus();
        return;
    }
    QDialog::done(result);
}

} // namespace vq::ui
