#include "designer/ui/uArtikel.h"

#include "common/regional_numbers.h"
#include "common_ui/editor_text.h"
#include "designer/editor_rules/editor_rules.h"
#include "designer/ui/field_dialog.h"
#include "designer/ui/uArtikelOption.h"
#include "designer/ui/uPriceOptionEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vq::ui {

TfrmArtikel::TfrmArtikel(UserQuestions &prompts, QWidget *parent)
    : QDialog(parent)
    , m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmArtikel"));
    setWindowTitle(QStringLiteral("Artikel"));
    m_optionDialog = new TfrmEditArtikelOption(this);

    auto *layout = new QVBoxLayout(this);
    auto *columns = new QHBoxLayout;
    layout->addLayout(columns, 1);

    // Left: the article's own fields.
    auto *input = new QGroupBox(QStringLiteral("Eingabe Artikel"), this);
    input->setObjectName(QStringLiteral("grpEingabeArtikel"));
    auto *form = new QFormLayout(input);
    m_edtArtikelNummer = makeLineEdit(QStringLiteral("edtArtikelNummer"), input);
    m_edtName = makeLineEdit(QStringLiteral("edtName"), input);
    m_edtPreis = makeLineEdit(QStringLiteral("edtPreis"), input);
    m_cboMwst = new QComboBox(input);
    m_cboMwst->setObjectName(QStringLiteral("cboMwst"));
    m_cboMwst->setEditable(true);
    m_cboMwst->setInsertPolicy(QComboBox::NoInsert);
    m_cboMwst->addItems({QStringLiteral("0"), QStringLiteral("7"), QStringLiteral("19")});
    m_cboMwst->setMinimumContentsLength(6);
    // A screen reader names a drop-down by its current entry unless told.
    m_cboMwst->setAccessibleName(QStringLiteral("Mwst."));
    m_cboMwst->lineEdit()->setAccessibleName(QStringLiteral("Mwst."));
    form->addRow(QStringLiteral("Artikelnummer"), m_edtArtikelNummer);
    form->addRow(QStringLiteral("Name"), m_edtName);
    form->addRow(QStringLiteral("Preis"), m_edtPreis);
    auto *vatRow = new QHBoxLayout;
    vatRow->addWidget(m_cboMwst);
    auto *vatHint = new QLabel(QStringLiteral("Eingabe in Prozent ohne %"), input);
    vatHint->setObjectName(QStringLiteral("lblMwstHinweis"));
    vatRow->addWidget(vatHint, 1);
    form->addRow(QStringLiteral("Mwst."), vatRow);
    if (auto *label = qobject_cast<QLabel *>(form->labelForField(vatRow)))
        label->setBuddy(m_cboMwst);

    m_memoBeschreibung = makeTextBox(QStringLiteral("memoBeschreibung"), input, 6);
    m_memoBeschreibung->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto *describe = new QPushButton(QStringLiteral("..."), input);
    describe->setObjectName(QStringLiteral("btnBeschreibungHtml"));
    describe->setAccessibleName(QStringLiteral("HTML-Editor"));
    describe->setAutoDefault(false);
    describe->setFixedWidth(describe->fontMetrics().horizontalAdvance(describe->text()) + 24);
    auto *descriptionBox = new QGridLayout;
    descriptionBox->addWidget(m_memoBeschreibung, 0, 0, 2, 1);
    descriptionBox->addWidget(describe, 0, 1, Qt::AlignTop);
    auto *htmlHint = new QLabel(QStringLiteral("Eingabe von HTML-Code möglich"), input);
    htmlHint->setObjectName(QStringLiteral("lblBeschreibungHinweis"));
    descriptionBox->addWidget(htmlHint, 2, 0, 1, 2);
    descriptionBox->setColumnStretch(0, 1);
    descriptionBox->setRowStretch(1, 1);
    form->addRow(QStringLiteral("Beschreibung"), descriptionBox);
    if (auto *label = qobject_cast<QLabel *>(form->labelForField(descriptionBox)))
        label->setBuddy(m_memoBeschreibung);
    connect(describe, &QPushButton::clicked, this, &TfrmArtikel::editDescription);

    m_edtLink = makeLineEdit(QStringLiteral("edtLink"), input);
    m_edtLinkLabel = makeLineEdit(QStringLiteral("edtLinkLabel"), input);
    form->addRow(QStringLiteral("Link"), m_edtLink);
    form->addRow(QStringLiteral("Link Beschriftung"), m_edtLinkLabel);
    auto *linkHint = new QLabel(QStringLiteral("Hier können Sie ggf. einen Link auf weitere "
                                               "Produktinformationen \nsetzen, lassen Sie das "
                                               "Feld \"Leer\", wenn Sie keinen Link wünschen."),
                                input);
    linkHint->setObjectName(QStringLiteral("lblLinkHinweis"));
    form->addRow(linkHint);
    columns->addWidget(input, 3);

    // Right: the options.
    auto *options = new QGroupBox(QStringLiteral("Artikeloptionen"), this);
    options->setObjectName(QStringLiteral("grpArtikeloptionen"));
    auto *optionsBox = new QVBoxLayout(options);
    auto *optionsHint = new QLabel(QStringLiteral("Mit den Artikeloptionen können Sie dem \n"
                                                  "Benutzer die Möglichkeit geben, weitere \n"
                                                  "Eingaben zum Artikel zu tätigen, \n"
                                                  "z.B. Größe, Farbe etc."),
                                   options);
    optionsHint->setObjectName(QStringLiteral("lblOptionenHinweis"));
    optionsBox->addWidget(optionsHint);
    m_lstOptionen = new QTreeWidget(options);
    m_lstOptionen->setObjectName(QStringLiteral("lstOptionen"));
    m_lstOptionen->setAccessibleName(QStringLiteral("Artikeloptionen"));
    m_lstOptionen->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Typ")});
    m_lstOptionen->setRootIsDecorated(false);
    m_lstOptionen->setUniformRowHeights(true);
    m_lstOptionen->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_lstOptionen->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_lstOptionen->header()->setStretchLastSection(false);
    optionsBox->addWidget(m_lstOptionen, 1);
    auto *optionButtons = new QHBoxLayout;
    auto *btnNew = new QPushButton(QStringLiteral("Neu"), options);
    btnNew->setObjectName(QStringLiteral("btnNeu"));
    auto *btnEdit = new QPushButton(QStringLiteral("Bearbeiten"), options);
    btnEdit->setObjectName(QStringLiteral("btnBearbeiten"));
    auto *btnDelete = new QPushButton(QStringLiteral("Löschen"), options);
    btnDelete->setObjectName(QStringLiteral("btnLoeschen"));
    for (auto *button : {btnNew, btnEdit, btnDelete}) {
        button->setAutoDefault(false);
        optionButtons->addWidget(button);
    }
    optionButtons->addStretch(1);
    optionsBox->addLayout(optionButtons);
    m_cboNebeneinander = new QCheckBox(QStringLiteral("Optionen nebeneinander"), options);
    m_cboNebeneinander->setObjectName(QStringLiteral("cboNebeneinander"));
    optionsBox->addWidget(m_cboNebeneinander);
    columns->addWidget(options, 2);

    m_newMenu = new QMenu(this);
    m_newMenu->setObjectName(QStringLiteral("mnuNeueOption"));
    QAction *newInput = m_newMenu->addAction(QStringLiteral("Eingabefeld"));
    newInput->setObjectName(QStringLiteral("actNeuEingabefeld"));
    QAction *newSelect = m_newMenu->addAction(QStringLiteral("Auswahlfeld"));
    newSelect->setObjectName(QStringLiteral("actNeuAuswahlfeld"));
    QAction *newPrice = m_newMenu->addAction(QStringLiteral("Auswahlfeld mit Preis"));
    newPrice->setObjectName(QStringLiteral("actNeuAuswahlfeldPreis"));
    connect(newInput, &QAction::triggered, this, [this] { newOption(OptionKind::Input); });
    connect(newSelect, &QAction::triggered, this, [this] { newOption(OptionKind::Select); });
    connect(newPrice, &QAction::triggered, this, [this] { newOption(OptionKind::Price); });
    connect(btnNew, &QPushButton::clicked, this, [this, btnNew] {
        // At the mouse pointer, as described; from the keyboard below the button.
        const bool mouseOnButton = btnNew->rect().contains(btnNew->mapFromGlobal(QCursor::pos()));
        m_newMenu->popup(mouseOnButton ? QCursor::pos()
                                       : btnNew->mapToGlobal(QPoint(0, btnNew->height())));
    });
    connect(btnEdit, &QPushButton::clicked, this, &TfrmArtikel::editOption);
    connect(btnDelete, &QPushButton::clicked, this, &TfrmArtikel::deleteOption);
    connect(m_lstOptionen, &QTreeWidget::itemDoubleClicked, this, &TfrmArtikel::editOption);
    m_lstOptionen->installEventFilter(this);

    auto *typeRow = new QFormLayout;
    m_cboArtikelTyp = new QComboBox(this);
    m_cboArtikelTyp->setObjectName(QStringLiteral("cboArtikelTyp"));
    m_cboArtikelTyp->addItems({QStringLiteral("Normaler Artikel"),
                               QStringLiteral("Festpreis Artikel"),
                               QStringLiteral("Auswahlfeld Artikel")});
    typeRow->addRow(QStringLiteral("Artikeltyp:"), m_cboArtikelTyp);
    m_cboArtikelTyp->setAccessibleName(QStringLiteral("Artikeltyp:"));
    layout->addLayout(typeRow);

    auto *buttons = new QDialogButtonBox(this);
    auto *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    auto *cancel = buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    const QList<QWidget *> order = {m_edtArtikelNummer, m_edtName,       m_edtPreis, m_cboMwst,
                                    m_memoBeschreibung, describe,        m_edtLink,  m_edtLinkLabel,
                                    m_lstOptionen,      btnNew,          btnEdit,    btnDelete,
                                    m_cboNebeneinander, m_cboArtikelTyp, ok,         cancel};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    resize(900, 520);
    ClearAll();
}

bool TfrmArtikel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_lstOptionen && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        deleteOption();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmArtikel::attach(TArtikelField *myField)
{
    m_field = myField;
}

void TfrmArtikel::ClearAll()
{
    m_edtArtikelNummer->setText(QStringLiteral("0"));
    m_edtName->clear();
    m_edtPreis->clear();
    m_cboMwst->setEditText(QStringLiteral("19"));
    m_memoBeschreibung->clear();
    m_edtLink->clear();
    m_edtLinkLabel->setText(QStringLiteral("Weitere Informationen"));
    m_lstOptionen->clear();
    m_cboNebeneinander->setChecked(false);
    m_cboArtikelTyp->setCurrentIndex(0);
    m_edtArtikelNummer->setFocus();
}

void TfrmArtikel::LoadFromObject()
{
    if (!m_field)
        return;
    m_edtArtikelNummer->setText(m_field->artikelNummer);
    m_edtName->setText(m_field->name);
    m_memoBeschreibung->setPlainText(textForEditor(m_field->beschreibung));
    m_edtPreis->setText(formatRegionalNumber(m_field->preis, displayLocale()));
    m_cboMwst->setEditText(formatRegionalNumber(m_field->mwst, displayLocale()));
    const int type = m_field->artikelTyp;
    m_cboArtikelTyp->setCurrentIndex(type >= 0 && type < m_cboArtikelTyp->count() ? type : 0);
    m_cboNebeneinander->setChecked(m_field->optionenNebeneinander);
    m_edtLinkLabel->setText(m_field->linklabel);
    m_edtLink->setText(m_field->link);
    rebuildOptions(-1);
    m_edtArtikelNummer->setFocus();
}

void TfrmArtikel::SaveToObject()
{
    if (!m_field)
        return;
    m_field->artikelNummer = m_edtArtikelNummer->text();
    m_field->name = m_edtName->text();
    m_field->beschreibung = textFromEditor(m_memoBeschreibung->toPlainText());
    bool ok = false;
    const double preis = parseRegionalNumber(m_edtPreis->text(), &ok, displayLocale());
    if (ok)
        m_field->preis = preis;
    const double mwst = parseRegionalNumber(m_cboMwst->currentText(), &ok, displayLocale());
    if (ok)
        m_field->mwst = mwst;
    m_field->artikelTyp = m_cboArtikelTyp->currentIndex();
    m_field->optionenNebeneinander = m_cboNebeneinander->isChecked();
    m_field->linklabel = m_edtLinkLabel->text();
    m_field->link = m_edtLink->text();
}

void TfrmArtikel::done(int result)
{
    if (result == QDialog::Accepted) {
        const auto problems =
            checkArticleInput(m_edtPreis->text(), m_cboMwst->currentText(), m_edtName->text());
        for (const InputProblem &problem : problems)
            m_prompts.message(this, problem.message);
        if (!problems.empty()) {
            if (QWidget *focus = ownControl(this, problems.front().control))
                focus->setFocus();
            return;
        }
    }
    QDialog::done(result);
}

void TfrmArtikel::newOption(OptionKind kind)
{
    if (!m_field)
        return;
    std::unique_ptr<TOptionField> option;
    if (kind == OptionKind::Price) {
        TfrmPriceOption dialog(m_prompts, this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        auto price = std::make_unique<TSelectPriceOption>();
        price->beschriftung = dialog.caption();
        price->elements = dialog.takeOverValues();
        option = std::move(price);
    } else {
        m_optionDialog->ClearAll();
        if (m_optionDialog->exec() != QDialog::Accepted)
            return;
        if (kind == OptionKind::Input)
            option = std::make_unique<TInputOption>();
        else
            option = std::make_unique<TSelectOption>();
        m_optionDialog->SaveToObject(*option);
    }
    m_field->listOptionen.push_back(std::move(option));
    rebuildOptions(static_cast<int>(m_field->listOptionen.size()) - 1);
}

void TfrmArtikel::editOption()
{
    const int row = selectedOption();
    if (!m_field || row < 0)
        return;
    TOptionField &option = *m_field->listOptionen[static_cast<size_t>(row)];
    if (auto *price = dynamic_cast<TSelectPriceOption *>(&option)) {
        TfrmPriceOption dialog(m_prompts, this);
        dialog.setOption(price->beschriftung, price->elements);
        if (dialog.exec() != QDialog::Accepted)
            return;
        price->elements = dialog.takeOverValues();
        price->beschriftung = dialog.caption();
    } else {
        m_optionDialog->LoadFromObject(option);
        if (m_optionDialog->exec() != QDialog::Accepted)
            return;
        m_optionDialog->SaveToObject(option);
    }
    rebuildOptions(row);
}

void TfrmArtikel::deleteOption()
{
    const int row = selectedOption();
    if (!m_field || row < 0)
        return;
    if (m_prompts.confirm(this, QStringLiteral("Soll der Eintrag wirklich gelöscht werden?")))
        m_field->listOptionen.erase(m_field->listOptionen.begin() + row);
    rebuildOptions(qMin(row, static_cast<int>(m_field->listOptionen.size()) - 1));
}

void TfrmArtikel::editDescription()
{
    QString text = textFromEditor(m_memoBeschreibung->toPlainText());
    if (runHtmlEditor(m_htmlEditor, m_prompts, this, text))
        m_memoBeschreibung->setPlainText(textForEditor(text));
}

void TfrmArtikel::rebuildOptions(int selectRow)
{
    m_lstOptionen->clear();
    if (!m_field)
        return;
    for (const auto &option : m_field->listOptionen) {
        auto *item = new QTreeWidgetItem(m_lstOptionen);
        item->setText(0, option->beschriftung);
        item->setText(1, option->kindCaption());
    }
    if (selectRow >= 0 && selectRow < m_lstOptionen->topLevelItemCount())
        m_lstOptionen->setCurrentItem(m_lstOptionen->topLevelItem(selectRow));
}

int TfrmArtikel::selectedOption() const
{
    QTreeWidgetItem *item = m_lstOptionen->currentItem();
    return item ? m_lstOptionen->indexOfTopLevelItem(item) : -1;
}

} // namespace vq::ui
