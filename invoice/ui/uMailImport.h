// The window "Bestellungen einlesen": fetches the current client's mailbox on a
// worker thread with a connection of its own, lists every order mail with its
// status, shows progress and can be cancelled between two mails; deletes a
// listed mail from the server.
#pragma once

#include "invoice_database.h"
#include "user_questions.h"

#include <QDialog>

namespace vq::invoice {

class TfrmMailImport : public QDialog
{
    Q_OBJECT
public:
    TfrmMailImport(TInvoiceDatabase &db, int mandantId, TUserQuestions &questions,
                   QWidget *parent = nullptr);
    ~TfrmMailImport() override;

private:
    TInvoiceDatabase &m_db;
    int m_mandantId;
    TUserQuestions &m_questions;
};

} // namespace vq::invoice
