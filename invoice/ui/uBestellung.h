// The order editor "Bestellung verwalten": one order of the current client with
// its lines ("Artikel der Bestellung"), the line editor, the option dialog and
// the article-template picker behind it.
//
// A stay begins with startNewOrder() or startEditOrder() and works on the
// orders in memory (OrderEditSession): "Ja" on leaving saves everything at
// once (exec() then returns Accepted), "Nein" discards it; no lock is held
// while the user types. The caller ends the stay with endStay().
#pragma once

#include "invoice/db/invoice_connection.h"
#include "invoice/output/invoice_issuer.h"
#include "invoice/records/invoice_records.h"
#include "invoice/session/order_edit_session.h"
#include "invoice/ui/user_questions.h"

#include <QDate>
#include <QDialog>
#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTreeWidget;

namespace vq::invoice {

class TfrmArtikel;

class TfrmBestellung : public QDialog
{
    Q_OBJECT
public:
    TfrmBestellung(InvoiceConnection &db, UserQuestions &questions, QString programFolder,
                   QWidget *parent = nullptr);
    ~TfrmBestellung() override;

    // The client whose orders the editor works on, and the currency text of its money columns.
    void setClient(int mandantId, const QString &currency);
    // Begins a stay with a new order of the client (today, state 1, the next
    // typed-in invoice number) and shows it.
    bool startNewOrder();
    // Begins a stay with a stored order of the client; false when there is
    // none or it cannot be read (startError() says why).
    bool startEditOrder(int bestellungId);
    QString startError() const { return m_startError; }
    // Ends the stay: what was not saved is gone.
    void endStay();
    // The order shown (0: none; below zero: new, not saved yet).
    int currentOrderId() const;

    // "Bestellung speichern": takes the boxes into the order of the stay. A
    // date that is no date, an invoice number that is no number or that
    // another order of the client holds is reported (unless quiet) and
    // nothing is taken. false when nothing was taken.
    enum class SaveMode { Reporting, Quiet };
    bool saveOrder(SaveMode mode = SaveMode::Reporting);
    // "Neue Bestellung": takes the order shown, then appends another one to the stay.
    void newOrderInEditor();
    // "Artikel hinzufügen", "Artikel bearbeiten", "Artikel löschen" on the current line.
    void addLine();
    void editLine();
    void deleteLine();
    // "Verlassen" and the close box: asks whether to save, then closes or
    // stays; a save the database refuses (the order changed meanwhile) is
    // said and keeps the window open with what was typed.
    void leave();
    TfrmArtikel *lineEditor() const { return m_lineEditor; }
    // The source of "today" for new orders (the system clock unless replaced).
    void setToday(std::function<QDate()> today) { m_today = std::move(today); }

public Q_SLOTS:
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    bool beginStay();
    bool appendNewOrder();
    bool hasOrder() const;
    const TBestellung &shownOrder() const;
    UnsavedOrder unsaved(int orderId) const;
    void showOrder();
    void showInvoiceDate();
    void rereadStates();
    void showLines(int selectLineId = 0);
    int currentLineRow() const;
    void report(const EditRefusal &refusal);
    // "Drucken", "Vorschau" and the two e-invoices of the order as typed.
    enum class Output { Print, Preview, XRechnung, Zugferd };
    void putOut(Output output);
    // "Stornieren" and "Korrigieren" of the order shown, once its invoice is issued.
    void cancelShown(bool correct);
    // What the invoice shows is read-only once it is issued, with a note why.
    void showIssuedState();
    // The tax cases the client's orders can take; a small business has one.
    void fillTaxCases();
    // The totals below the lines, by the money rule under the tax case.
    void showTotals();
    // "Vorprüfung": what the order's e-invoice lacks or holds wrongly.
    void precheckShown();

    InvoiceConnection &m_db;
    UserQuestions &m_questions;
    QString m_programFolder;
    QString m_currency;
    std::function<QDate()> m_today;
    int m_mandantId = 0;
    std::unique_ptr<OrderEditSession> m_session;
    QString m_startError;
    bool m_leaving = false;

    QLabel *m_issuedNote = nullptr;
    QList<QWidget *> m_lineButtons;
    QLineEdit *m_rechNr = nullptr;
    QLineEdit *m_firma = nullptr;
    QLineEdit *m_vorname = nullptr;
    QLineEdit *m_nachname = nullptr;
    QLineEdit *m_strasse = nullptr;
    QLineEdit *m_plz = nullptr;
    QLineEdit *m_ort = nullptr;
    QLineEdit *m_telefon = nullptr;
    QLineEdit *m_email = nullptr;
    QLineEdit *m_homepage = nullptr;
    QLineEdit *m_zeit = nullptr;
    QLineEdit *m_rechnungsdatum = nullptr;
    QComboBox *m_status = nullptr;
    QLineEdit *m_kaeuferreferenz = nullptr;
    QPlainTextEdit *m_bemerkung = nullptr;
    QLineEdit *m_ip = nullptr;
    // The business buyer's data and the tax case.
    QComboBox *m_steuerfall = nullptr;
    QLineEdit *m_ustIdNr = nullptr;
    QLineEdit *m_emailERechnung = nullptr;
    QLineEdit *m_lieferdatum = nullptr;
    QTreeWidget *m_lineList = nullptr;
    // What the invoice costs under its tax case.
    QLabel *m_totals = nullptr;
    TfrmArtikel *m_lineEditor = nullptr;
};

} // namespace vq::invoice
