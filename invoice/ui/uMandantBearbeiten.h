// The client editor "Mandant bearbeiten": the client's address and currency,
// its mailbox for the order mails, what an electronic invoice needs, and the
// invoice footer as rich text.
#pragma once

#include "invoice/records/invoice_records.h"
#include "invoice/ui/user_questions.h"

#include <QDialog>
#include <QSpinBox>
#include <functional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QScrollArea;

namespace vq::invoice {

class RtfEditor;

class TfrmMandantBearbeiten : public QDialog
{
    Q_OBJECT
public:
    // Stores the client the user confirmed; false with a message when it
    // could not, and the dialog stays open with everything typed.
    using Store = std::function<bool(const TMandant &client, QString *error)>;

    TfrmMandantBearbeiten(const TMandant &client, UserQuestions &questions, Store store,
                          QWidget *parent = nullptr);

    // The client as the boxes show it; fields without a box keep their value.
    TMandant client() const;

    // "OK": checks the boxes in order; the first failure is shown, its box
    // gets the focus and the dialog stays. Then stores and closes.
    void accept() override;

    // The first failing check's message and box; empty when all pass.
    QString check(QWidget **box = nullptr) const;

private:
    // The printed form of the first number of this year, as the form box says.
    void showNumberExample();
    QLineEdit *addLine(const char *name, int maxLength);

    TMandant m_original;
    UserQuestions &m_questions;
    Store m_store;
    QScrollArea *m_scroll = nullptr;
    QLineEdit *m_firma = nullptr, *m_name = nullptr, *m_vorname = nullptr, *m_strasse = nullptr,
              *m_plz = nullptr, *m_ort = nullptr, *m_land = nullptr, *m_waehrung = nullptr;
    QLineEdit *m_email = nullptr, *m_pop3 = nullptr, *m_username = nullptr, *m_password = nullptr,
              *m_port = nullptr, *m_bestellgeheimnis = nullptr;
    QComboBox *m_verschluesselung = nullptr;
    QLineEdit *m_ustIdNr = nullptr, *m_steuernummer = nullptr, *m_iban = nullptr, *m_bic = nullptr,
              *m_bank = nullptr, *m_telefon = nullptr;
    QComboBox *m_nummernkreis = nullptr;
    QSpinBox *m_ersteNummer = nullptr;
    QLineEdit *m_nummernformat = nullptr;
    QLabel *m_nummernBeispiel = nullptr;
    QSpinBox *m_zahlungsziel = nullptr; // -1: no payment period
    QSpinBox *m_skontoTage = nullptr;   // 0: no cash discount
    QDoubleSpinBox *m_skontoProzent = nullptr;
    QCheckBox *m_kleinunternehmer = nullptr;
    RtfEditor *m_footer = nullptr;
};

} // namespace vq::invoice
