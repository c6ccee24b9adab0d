// Clients: the selection "Bitte wählen Sie einen Mandanten" shown at start and
// on "Mandant wechseln", the client manager "Mandatenverwaltung", and the
// client editor "Mandant bearbeiten" with its rich-text invoice footer.
#pragma once

#include "clients.h"
#include "user_questions.h"

#include <QDialog>

namespace vq::invoice {

// exec() returns Accepted when a client was accepted; it is then current in
// the TCurrentClient given.
class TfrmMandantWahl : public QDialog
{
    Q_OBJECT
public:
    TfrmMandantWahl(TInvoiceDatabase &db, TCurrentClient &current, TUserQuestions &questions,
                    QString programFolder, QWidget *parent = nullptr);
    ~TfrmMandantWahl() override;

private:
    TInvoiceDatabase &m_db;
    TCurrentClient &m_current;
    TUserQuestions &m_questions;
    QString m_programFolder;
};

// Saves each change at once; modal.
class TfrmMandanten : public QDialog
{
    Q_OBJECT
public:
    TfrmMandanten(TInvoiceDatabase &db, TUserQuestions &questions, QWidget *parent = nullptr);
    ~TfrmMandanten() override;

private:
    TInvoiceDatabase &m_db;
    TUserQuestions &m_questions;
};

} // namespace vq::invoice
