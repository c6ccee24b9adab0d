// The order editor "Bestellung verwalten": one order of the current client with
// its lines ("Artikel der Bestellung"), the line editor, the option dialog and
// the article-template picker behind it.
//
// The caller owns the transaction of a stay: it begins one, calls
// startNewOrder() or startEditOrder(), exec(), and commits on Accepted ("Ja"
// on closing) or rolls back on Rejected ("Nein").
#pragma once

#include "invoice_database.h"
#include "order_date_text.h"
#include "user_questions.h"

#include <QDate>
#include <QDialog>
#include <QHash>
#include <QSet>
#include <functional>

class QAction;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QTreeWidget;

namespace vq::invoice {

class TfrmArtikel;

class TfrmBestellung : public QDialog
{
    Q_OBJECT
public:
    TfrmBestellung(TInvoiceDatabase &db, TUserQuestions &questions, QString programFolder,
                   QWidget *parent = nullptr);
    ~TfrmBestellung() override;

    // The client whose orders the editor works on, and the currency text of its money columns.
    void setClient(int mandantId, const QString &currency);
    // Appends a new order of the client (today, state 1, the next typed-in
    // invoice number) inside the caller's transaction and shows it.
    bool startNewOrder();
    // Shows a stored order of the client for editing; false when there is none.
    bool startEditOrder(int bestellungId);
    // The order shown (0: none).
    int currentOrderId() const;
    // Re-reads the order, its lines and their options from the database.
    void reread();
    // The invoice dates that printing or previewing in this stay fixed, by
    // order, and forgets them. A stay that is rolled back undoes them with
    // everything else, though the invoice went out: the caller sets them again.
    QHash<int, QDate> takeInvoiceDatesOfStay();

    // "Bestellung speichern": writes the boxes to the order. A date that is no
    // date, an invoice number that is no number or that another order of the
    // client holds is reported and nothing is written; so is a failure of the
    // database unless quiet. false when nothing was written.
    enum class SaveMode { Reporting, Quiet };
    bool saveOrder(SaveMode mode = SaveMode::Reporting);
    // "Neue Bestellung": saves the order shown, then appends another one.
    void newOrderInEditor();
    // "Artikel hinzufügen", "Artikel bearbeiten", "Artikel löschen" on the current line.
    void addLine();
    void editLine();
    void deleteLine();
    // "Verlassen" and the close box: asks whether to save, then closes or stays.
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
    void showOrder(const TBestellung &order);
    void rereadStates();
    void rereadLines(int selectLineId = 0);
    int currentLineRow() const;
    bool lineTransactionEnds(bool commit);
    // "Drucken", "Vorschau" and the two e-invoices, of the order shown after saving it.
    enum class Output { Print, Preview, XRechnung, Zugferd };
    void putOut(Output output);

    TInvoiceDatabase &m_db;
    TUserQuestions &m_questions;
    QString m_programFolder;
    QString m_currency;
    std::function<QDate()> m_today;
    int m_mandantId = 0;
    int m_orderId = 0;
    TBestellung m_order;     // as last read or written
    QString m_shownZeit;     // the date text shown for m_order
    QSet<int> m_createdHere; // orders appended by this editor
    QHash<int, QDate> m_invoiceDatesOfStay;
    QList<TArtikel> m_lines;
    bool m_leaving = false;

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
    QTreeWidget *m_lineList = nullptr;
    TfrmArtikel *m_lineEditor = nullptr;
};

} // namespace vq::invoice
