// The order editor "Bestellung verwalten": one order of the current client with
// its lines ("Artikel der Bestellung"), the line editor, the option dialog and
// the article-template picker behind it.
//
// The caller owns the transaction of a stay: it begins one, calls
// startNewOrder() or startEditOrder(), exec(), and commits on Accepted ("Ja"
// on closing) or rolls back on Rejected ("Nein").
#pragma once

#include "invoice_database.h"
#include "user_questions.h"

#include <QDialog>

namespace vq::invoice {

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

private:
    int m_mandantId = 0;
    int m_orderId = 0;
};

} // namespace vq::invoice
