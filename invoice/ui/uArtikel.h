// The line editor "Artikel bearbeiten" with the options of its line, the
// option dialog "Artikeloption bearbeiten", and the key filter of its
// number boxes "Preis" and "Mwst.".
#pragma once

#include "invoice/records/invoice_records.h"
#include "invoice/ui/user_questions.h"
#include "invoice/ui_logic/decimal_text.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QToolButton;
class QTreeWidget;

namespace vq::invoice {

class TfrmArtikelVorlagen;

// Drops the keys decimalKeyAccepted() refuses; installed on a line edit.
class DecimalKeyFilter : public QObject
{
    Q_OBJECT
public:
    // owner: a widget that passes its keys on to box (an editable drop-down).
    explicit DecimalKeyFilter(QLineEdit *box, QWidget *owner = nullptr);
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_box;
};

// "Artikeloption bearbeiten": name, value and price (empty: no price).
class TfrmOption : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmOption(UserQuestions &questions, QWidget *parent = nullptr);

    // Fills the boxes (an option without price shows an empty price box).
    void setOption(const TOption &option);
    // Name, value and price as typed; call after exec() returned Accepted.
    TOption option() const;

public Q_SLOTS:
    // Checks name, value and price in this order; the first failure is
    // reported, its box takes the focus and the dialog stays open.
    void accept() override;

private:
    UserQuestions &m_questions;
    QLineEdit *m_name;
    QLineEdit *m_wert;
    QLineEdit *m_preis;
};

// "Artikel bearbeiten": one line of the order being edited with its options.
// It works on the line it is given, in memory: "OK" takes the boxes and the
// options into line(), "Abbrechen" leaves the line as it was given.
class TfrmArtikel : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmArtikel(UserQuestions &questions, QWidget *parent = nullptr);
    ~TfrmArtikel() override;

    void setCurrency(const QString &currency);
    // Fills the boxes and the options from the line.
    void setLine(const TArtikel &line);
    int lineId() const { return m_line.id; }
    // The line as "OK" took it (as set before that).
    const TArtikel &line() const { return m_line; }

    // Takes the boxes into the line; a value that is no number is reported and
    // nothing is taken. false when refused.
    bool saveLine();

    void addOption();
    void editOption();
    void deleteOption();
    // "...": the article-template picker; "Übernehmen" puts the chosen row into the boxes.
    void pickTemplate();
    TfrmArtikelVorlagen *templatePicker() const { return m_picker; }

public Q_SLOTS:
    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The values of the boxes; nullopt after reporting the first one that is wrong.
    std::optional<TArtikel> lineFromBoxes();
    int currentOptionRow() const;

    // Shows m_options, the current row kept where it was (or at row select).
    void showOptions(int select = -1);

    UserQuestions &m_questions;
    QString m_currency;
    TArtikel m_line;
    QList<TOption> m_options;          // as edited since setLine
    int m_nextOptionKey = -1;          // keys of options not stored yet
    QString m_shownMwst, m_shownPreis; // the texts the boxes got from the stored line
    QLineEdit *m_nr;
    QLineEdit *m_name;
    QToolButton *m_vorlage;
    QSpinBox *m_anzahl;
    QComboBox *m_mwst;
    QLineEdit *m_preis;
    QTreeWidget *m_optionList;
    TfrmOption *m_optionDialog;
    TfrmArtikelVorlagen *m_picker;
};

} // namespace vq::invoice
