#include "invoice/ui/uArtikel.h"
#include "invoice/db/order_store.h"

#include "common/regional_numbers.h"
#include "common_ui/dialog_buttons.h"
#include "invoice/ui/uArtikelVorlagen.h"
#include "invoice/ui_logic/invoice_view_format.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

namespace vq::invoice {

namespace {
const QString kTitle = QStringLiteral("Artikel bearbeiten");
} // namespace

// Number boxes -----------------------------------------------------------------

DecimalKeyFilter::DecimalKeyFilter(QLineEdit *box, QWidget *owner)
    : QObject(box)
    , m_box(box)
{
    box->installEventFilter(this);
    if (owner)
        owner->installEventFilter(this);
}

bool DecimalKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    // Shortcuts (paste goes through the validator) and keys that type no
    // character, backspace among them, pass.
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString typed = key->text();
    if (typed.isEmpty() || typed.at(0).unicode() < 0x20 || typed.at(0).unicode() == 0x7f)
        return false;
    for (QChar c : typed)
        if (!decimalKeyAccepted(m_box->text(), c))
            return true; // dropped
    return false;
}

// Option dialog ----------------------------------------------------------------

TfrmOption::TfrmOption(UserQuestions &questions, QWidget *parent)
    : QDialog(parent)
    , m_questions(questions)
{
    setObjectName(QStringLiteral("frmOption"));
    setWindowTitle(QStringLiteral("Artikeloption bearbeiten"));
    auto *group = new QGroupBox(QStringLiteral("Artikeloption bearbeiten"), this);
    group->setObjectName(QStringLiteral("grpOption"));
    m_name = new QLineEdit(group);
    m_name->setObjectName(QStringLiteral("edtName"));
    m_wert = new QLineEdit(group);
    m_wert->setObjectName(QStringLiteral("edtWert"));
    m_preis = new QLineEdit(QStringLiteral("0"), group);
    m_preis->setObjectName(QStringLiteral("edtPreis"));
    auto *form = new QFormLayout(group);
    form->addRow(QStringLiteral("&Name"), m_name);
    form->addRow(QStringLiteral("&Wert"), m_wert);
    form->addRow(QStringLiteral("&Preis"), m_preis);

    const auto buttons = vq::ui::okCancelButtons(*this, QStringLiteral("OK"), "btnAbbrechen");
    buttons.ok->setDefault(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addStretch();
    layout->addWidget(buttons.box);
    resize(380, 170);
}

void TfrmOption::setOption(const TOption &option)
{
    m_name->setText(option.name);
    m_wert->setText(option.wert);
    m_preis->setText(option.preis ? vq::formatRegionalNumber(*option.preis) : QString());
    m_name->setFocus();
}

TOption TfrmOption::option() const
{
    TOption option;
    option.name = m_name->text();
    option.wert = m_wert->text();
    bool ok = false;
    option.preis = optionPriceFromText(m_preis->text(), &ok);
    return option;
}

void TfrmOption::accept()
{
    const auto refuse = [this](QLineEdit *box, const QString &message) {
        m_questions.showInformation(this, windowTitle(), message);
        box->setFocus();
        box->selectAll();
    };
    if (m_name->text().trimmed().isEmpty())
        return refuse(m_name, QStringLiteral("Bitte geben Sie einen Namen ein."));
    if (m_wert->text().trimmed().isEmpty())
        return refuse(m_wert, QStringLiteral("Bitte geben Sie einen Wert ein."));
    bool ok = false;
    optionPriceFromText(m_preis->text(), &ok);
    if (!ok)
        return refuse(
            m_preis,
            QStringLiteral("Bitte geben Sie gültigen Preis ein oder lassen Sie das Feld leer."));
    QDialog::accept();
}

// Line editor ------------------------------------------------------------------

TfrmArtikel::TfrmArtikel(UserQuestions &questions, QWidget *parent)
    : QDialog(parent)
    , m_questions(questions)
{
    setObjectName(QStringLiteral("frmArtikel"));
    setWindowTitle(kTitle);

    auto *article = new QGroupBox(QStringLiteral("Artikel"), this);
    article->setObjectName(QStringLiteral("grpArtikel"));
    m_nr = new QLineEdit(article);
    m_nr->setObjectName(QStringLiteral("edtArtikelNr"));
    m_name = new QLineEdit(article);
    m_name->setObjectName(QStringLiteral("edtBezeichnung"));
    m_vorlage = new QToolButton(article);
    m_vorlage->setText(QStringLiteral("..."));
    m_vorlage->setObjectName(QStringLiteral("btnVorlage"));
    m_vorlage->setAccessibleName(QStringLiteral("Artikelvorlage wählen"));
    m_vorlage->setToolTip(QStringLiteral("Artikelvorlage wählen"));
    m_anzahl = new QSpinBox(article);
    m_anzahl->setObjectName(QStringLiteral("edtAnzahl"));
    // Whatever quantity a stored line holds is shown as it is.
    m_anzahl->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    m_anzahl->setAlignment(Qt::AlignRight);
    m_mwst = new QComboBox(article);
    m_mwst->setObjectName(QStringLiteral("cboMwst"));
    m_mwst->setEditable(true);
    m_mwst->setInsertPolicy(QComboBox::NoInsert);
    m_mwst->addItems({QStringLiteral("0"), QStringLiteral("7"), QStringLiteral("19")});
    m_mwst->setValidator(new DecimalValidator(m_mwst));
    new DecimalKeyFilter(m_mwst->lineEdit(), m_mwst);
    // A screen reader speaks an editable drop-down's current text and its
    // text box apart: both get the label's name.
    m_mwst->setAccessibleName(QStringLiteral("Mwst."));
    m_mwst->lineEdit()->setAccessibleName(QStringLiteral("Mwst."));
    m_preis = new QLineEdit(article);
    m_preis->setObjectName(QStringLiteral("edtPreis"));
    m_preis->setAlignment(Qt::AlignRight);
    m_preis->setValidator(new DecimalValidator(m_preis));
    new DecimalKeyFilter(m_preis);

    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(m_name, 1);
    nameRow->addWidget(m_vorlage);
    auto *form = new QFormLayout(article);
    form->addRow(QStringLiteral("Artikel-&Nr."), m_nr);
    form->addRow(QStringLiteral("&Bezeichnung"), nameRow);
    // A row with a layout has no buddy of its own: the label names the box.
    if (auto *label = qobject_cast<QLabel *>(form->labelForField(nameRow)))
        label->setBuddy(m_name);
    form->addRow(QStringLiteral("An&zahl"), m_anzahl);
    form->addRow(QStringLiteral("&Mwst."), m_mwst);
    form->addRow(QStringLiteral("&Preis"), m_preis);

    auto *options = new QGroupBox(QStringLiteral("Optionen"), this);
    options->setObjectName(QStringLiteral("grpOptionen"));
    auto *add = new QPushButton(QStringLiteral("Option hinzufügen"), options);
    add->setObjectName(QStringLiteral("btnOptionHinzufuegen"));
    auto *edit = new QPushButton(QStringLiteral("Option bearbeiten"), options);
    edit->setObjectName(QStringLiteral("btnOptionBearbeiten"));
    auto *remove = new QPushButton(QStringLiteral("Option löschen"), options);
    remove->setObjectName(QStringLiteral("btnOptionLoeschen"));
    for (QPushButton *button : {add, edit, remove})
        button->setAutoDefault(false);
    m_optionList = new QTreeWidget(options);
    m_optionList->setObjectName(QStringLiteral("lvOptionen"));
    m_optionList->setAccessibleName(QStringLiteral("Optionen"));
    m_optionList->setRootIsDecorated(false);
    m_optionList->setUniformRowHeights(true);
    m_optionList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_optionList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_optionList->setHeaderLabels(
        {QStringLiteral("Name"), QStringLiteral("Wert"), QStringLiteral("Preis")});
    m_optionList->headerItem()->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    m_optionList->setColumnWidth(0, 150);
    m_optionList->setColumnWidth(1, 160);
    m_optionList->setColumnWidth(2, 100);
    auto *optionButtons = new QHBoxLayout;
    optionButtons->addWidget(add);
    optionButtons->addWidget(edit);
    optionButtons->addWidget(remove);
    optionButtons->addStretch();
    auto *optionLayout = new QVBoxLayout(options);
    optionLayout->addLayout(optionButtons);
    optionLayout->addWidget(m_optionList, 1);

    const auto buttons = vq::ui::okCancelButtons(*this, QStringLiteral("OK"), "btnAbbrechen");
    QPushButton *ok = buttons.ok;
    QPushButton *cancel = buttons.cancel;
    ok->setDefault(true);
    cancel->setAutoDefault(false);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(article);
    layout->addWidget(options, 1);
    layout->addWidget(buttons.box);

    setTabOrder(m_nr, m_name);
    setTabOrder(m_name, m_vorlage);
    setTabOrder(m_vorlage, m_anzahl);
    setTabOrder(m_anzahl, m_mwst);
    setTabOrder(m_mwst, m_preis);
    setTabOrder(m_preis, add);
    setTabOrder(add, edit);
    setTabOrder(edit, remove);
    setTabOrder(remove, m_optionList);
    setTabOrder(m_optionList, ok);
    setTabOrder(ok, cancel);

    m_optionDialog = new TfrmOption(m_questions, this);
    m_picker = new TfrmArtikelVorlagen(m_questions, this);

    connect(add, &QPushButton::clicked, this, &TfrmArtikel::addOption);
    connect(edit, &QPushButton::clicked, this, &TfrmArtikel::editOption);
    connect(remove, &QPushButton::clicked, this, &TfrmArtikel::deleteOption);
    // Double-click and Enter (activating the row) edit it.
    connect(m_optionList, &QTreeWidget::itemActivated, this, &TfrmArtikel::editOption);
    // Delete in the list deletes the option.
    m_optionList->installEventFilter(this);
    connect(m_vorlage, &QToolButton::clicked, this, &TfrmArtikel::pickTemplate);
    resize(480, 440);
}

TfrmArtikel::~TfrmArtikel() = default;

void TfrmArtikel::setCurrency(const QString &currency)
{
    m_currency = currency;
}

void TfrmArtikel::setLine(const TArtikel &line)
{
    m_line = line;
    m_options = line.optionen;
    m_nr->setText(m_line.nr);
    m_name->setText(m_line.name);
    m_anzahl->setValue(m_line.anzahl);
    m_shownMwst = vq::formatRegionalNumber(m_line.mwst);
    m_shownPreis = vq::formatRegionalNumber(m_line.preis);
    m_mwst->setEditText(m_shownMwst);
    m_preis->setText(m_shownPreis);
    m_optionList->clear();
    showOptions(0);
    m_nr->setFocus();
}

std::optional<TArtikel> TfrmArtikel::lineFromBoxes()
{
    TArtikel line = m_line;
    line.nr = m_nr->text();
    line.name = m_name->text();
    m_anzahl->interpretText();
    line.anzahl = m_anzahl->value();
    const auto refuse = [this](QWidget *box, const QString &message) {
        m_questions.showInformation(this, kTitle, message);
        box->setFocus();
        return std::optional<TArtikel>();
    };
    // A stored value the boxes could not take by typing (a negative price of
    // an order mail) stays as it is while its text is not changed.
    const bool rateTyped = m_mwst->currentText() != m_shownMwst;
    const auto rate =
        rateTyped ? decimalBoxValue(m_mwst->currentText()) : std::optional<double>(m_line.mwst);
    if (!rate || (rateTyped && *rate > 100))
        return refuse(m_mwst, QStringLiteral("Bitte geben Sie als Mwst. einen Steuersatz von 0 bis "
                                             "100 ein, zum Beispiel 19."));
    const auto price = m_preis->text() != m_shownPreis ? decimalBoxValue(m_preis->text())
                                                       : std::optional<double>(m_line.preis);
    if (!price)
        return refuse(m_preis, QStringLiteral("Bitte geben Sie als Preis eine Zahl ein, zum "
                                              "Beispiel 12,50."));
    line.mwst = *rate;
    line.preis = *price;
    return line;
}

bool TfrmArtikel::saveLine()
{
    const auto line = lineFromBoxes();
    if (!line)
        return false;
    m_line = *line;
    m_line.optionen = m_options;
    m_shownMwst = m_mwst->currentText();
    m_shownPreis = m_preis->text();
    return true;
}

void TfrmArtikel::showOptions(int select)
{
    const int keep = select >= 0 ? select : currentOptionRow();
    m_optionList->clear();
    QList<QTreeWidgetItem *> items;
    items.reserve(m_options.size());
    for (const TOption &option : std::as_const(m_options)) {
        auto *item =
            new QTreeWidgetItem({option.name, option.wert,
                                 option.preis ? moneyText(*option.preis, m_currency) : QString()});
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        items << item;
    }
    m_optionList->addTopLevelItems(items);
    if (!items.isEmpty())
        m_optionList->setCurrentItem(items.at(qBound(0, keep, int(items.size()) - 1)));
}

int TfrmArtikel::currentOptionRow() const
{
    const QTreeWidgetItem *item = m_optionList->currentItem();
    if (!item)
        return m_options.isEmpty() ? -1 : 0;
    return m_optionList->indexOfTopLevelItem(const_cast<QTreeWidgetItem *>(item));
}

void TfrmArtikel::addOption()
{
    m_optionDialog->setOption(TOption{0, m_line.id, QString(), QString(), 0.0});
    if (m_optionDialog->exec() != QDialog::Accepted)
        return;
    TOption option = m_optionDialog->option();
    option.id = m_nextOptionKey--;
    option.artikelId = m_line.id;
    m_options << option;
    showOptions(int(m_options.size()) - 1);
}

void TfrmArtikel::editOption()
{
    const int row = currentOptionRow();
    if (row < 0 || row >= m_options.size())
        return;
    m_optionDialog->setOption(m_options.at(row));
    if (m_optionDialog->exec() != QDialog::Accepted)
        return;
    TOption option = m_optionDialog->option();
    option.id = m_options.at(row).id;
    option.artikelId = m_line.id;
    m_options[row] = option;
    showOptions();
}

void TfrmArtikel::deleteOption()
{
    const int row = currentOptionRow();
    if (row < 0 || row >= m_options.size())
        return;
    if (!m_questions.askYesNo(this, kTitle, QStringLiteral("Option wirklich löschen?")))
        return;
    m_options.removeAt(row);
    showOptions();
}

void TfrmArtikel::pickTemplate()
{
    if (m_picker->exec() != QDialog::Accepted)
        return;
    const auto chosen = m_picker->selectedTemplate();
    if (!chosen)
        return;
    m_nr->setText(chosen->artikelNummer);
    m_name->setText(chosen->name);
    // The designer writes numbers by the regional settings; the boxes take
    // them as if typed, in the form their key filter lets through.
    const auto boxText = [](const QString &fileText) -> std::optional<QString> {
        bool ok = false;
        const double value = vq::parseFileNumber(fileText.trimmed(), &ok);
        if (!ok || value < 0)
            return std::nullopt;
        const QString text = vq::formatRegionalNumber(value);
        return decimalBoxValue(text) ? std::optional<QString>(text) : std::nullopt;
    };
    QStringList unreadable;
    if (const auto price = boxText(chosen->preis))
        m_preis->setText(*price);
    else
        unreadable << QStringLiteral("Preis „%1“").arg(chosen->preis);
    if (const auto rate = boxText(chosen->mwst))
        m_mwst->setEditText(*rate);
    else
        unreadable << QStringLiteral("Mwst. „%1“").arg(chosen->mwst);
    if (!unreadable.isEmpty())
        m_questions.showInformation(
            this, kTitle,
            QStringLiteral(
                "Die Vorlage hat keine gültige Zahl als %1; bitte tragen Sie sie selbst ein.")
                .arg(unreadable.join(QStringLiteral(" und "))));
}

void TfrmArtikel::accept()
{
    if (!saveLine())
        return;
    QDialog::accept();
}

void TfrmArtikel::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    showOptions();
}

bool TfrmArtikel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_optionList && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        // The number pad's Delete comes with the keypad modifier.
        if (key->key() == Qt::Key_Delete
            && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            deleteOption();
            return true;
        }
        // Enter on an option edits it and ends there: the list passes the key
        // on after activating the row, and the dialog would take it for "OK".
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier
            && m_optionList->currentItem()) {
            editOption();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vq::invoice
