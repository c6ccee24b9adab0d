#include "invoice/ui/uMandantBearbeiten.h"
#include "invoice/records/invoice_numbers.h"

#include "common_ui/dialog_buttons.h"
#include "invoice/einvoice/xrechnung.h"
#include "invoice/money/payment_terms.h"
#include "invoice/ui/uRtfEditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTextEdit>
#include <QVBoxLayout>

namespace vq::invoice {

namespace {

const QString kTitle = QStringLiteral("Mandant bearbeiten");

// The longest texts the database columns take.
constexpr int kLenFirma = 200, kLenName = 50, kLenText = 255, kLenServer = 200, kLenWaehrung = 10,
              kLenTaxId = 50, kLenIban = 42, kLenBic = 20, kLenTelefon = 100;

// Encryption of the mailbox connection, as Mandant_Verschluesselung stores it.
struct Encryption
{
    int value;
    const char *text;
};
constexpr Encryption kEncryptions[] = {
    {0, "Keine"}, {1, "POP3S (TLS ab Verbindungsbeginn)"}, {2, "STLS (TLS nach Anmeldung)"}};

} // namespace

QLineEdit *TfrmMandantBearbeiten::addLine(const char *name, int maxLength)
{
    auto *edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(maxLength);
    return edit;
}

TfrmMandantBearbeiten::TfrmMandantBearbeiten(const TMandant &client, UserQuestions &questions,
                                             Store store, QWidget *parent)
    : QDialog(parent)
    , m_original(client)
    , m_questions(questions)
    , m_store(std::move(store))
{
    setObjectName(QStringLiteral("frmMandantBearbeiten"));
    setWindowTitle(kTitle);

    // Grunddaten
    auto *basics = new QGroupBox(QStringLiteral("Grunddaten"), this);
    basics->setObjectName(QStringLiteral("grpGrunddaten"));
    auto *basicsForm = new QFormLayout(basics);
    m_firma = addLine("edtFirma", kLenFirma);
    m_name = addLine("edtName", kLenName);
    m_vorname = addLine("edtVorname", kLenName);
    m_strasse = addLine("edtStrasse", kLenText);
    m_plz = addLine("edtPLZ", kLenText);
    m_plz->setAccessibleName(QStringLiteral("PLZ"));
    m_ort = addLine("edtOrt", kLenText);
    m_ort->setAccessibleName(QStringLiteral("Ort"));
    m_land = addLine("edtLand", kLenText);
    m_waehrung = addLine("edtWaehrung", kLenWaehrung);
    m_waehrung->setToolTip(QStringLiteral("Zum Beispiel € oder EUR"));
    basicsForm->addRow(QStringLiteral("Firma"), m_firma);
    basicsForm->addRow(QStringLiteral("Name"), m_name);
    basicsForm->addRow(QStringLiteral("Vorname"), m_vorname);
    basicsForm->addRow(QStringLiteral("Straße"), m_strasse);
    auto *plzOrt = new QHBoxLayout;
    plzOrt->addWidget(m_plz, 1);
    plzOrt->addWidget(m_ort, 3);
    auto *plzLabel = new QLabel(QStringLiteral("PLZ/Ort"), this);
    plzLabel->setBuddy(m_plz);
    basicsForm->addRow(plzLabel, plzOrt);
    basicsForm->addRow(QStringLiteral("Land"), m_land);
    basicsForm->addRow(QStringLiteral("Währung"), m_waehrung);

    // E-Mail Einstellungen
    auto *mail = new QGroupBox(QStringLiteral("E-Mail Einstellungen"), this);
    mail->setObjectName(QStringLiteral("grpEMail"));
    auto *mailForm = new QFormLayout(mail);
    m_email = addLine("edtEMail", kLenText);
    m_pop3 = addLine("edtPOP3", kLenServer);
    m_username = addLine("edtBenutzername", kLenServer);
    m_password = addLine("edtPasswort", kLenText); // shown in clear, as the user types it
    m_port = addLine("edtPort", 12);
    m_verschluesselung = new QComboBox(this);
    m_verschluesselung->setObjectName(QStringLiteral("cboVerschluesselung"));
    for (const Encryption &e : kEncryptions)
        m_verschluesselung->addItem(QString::fromUtf8(e.text), e.value);
    m_bestellgeheimnis = addLine("edtBestellgeheimnis", kLenText);
    m_bestellgeheimnis->setToolTip(
        QStringLiteral("Geheimnis, das der Formular-Mailer mit jeder Bestellung teilt; leer: "
                       "Bestell-Mails werden nicht geprüft"));
    mailForm->addRow(QStringLiteral("E-Mail-Adresse"), m_email);
    mailForm->addRow(QStringLiteral("POP3 Serveradresse"), m_pop3);
    mailForm->addRow(QStringLiteral("Benutzername"), m_username);
    mailForm->addRow(QStringLiteral("Passwort"), m_password);
    mailForm->addRow(QStringLiteral("Port"), m_port);
    mailForm->addRow(QStringLiteral("Verschlüsselung"), m_verschluesselung);
    mailForm->addRow(QStringLiteral("Bestellgeheimnis"), m_bestellgeheimnis);

    // E-Rechnung
    auto *einvoice = new QGroupBox(QStringLiteral("E-Rechnung"), this);
    einvoice->setObjectName(QStringLiteral("grpERechnung"));
    auto *einvoiceForm = new QFormLayout(einvoice);
    m_ustIdNr = addLine("edtUStIdNr", kLenTaxId);
    m_steuernummer = addLine("edtSteuernummer", kLenTaxId);
    m_iban = addLine("edtIBAN", kLenIban);
    m_bic = addLine("edtBIC", kLenBic);
    m_bank = addLine("edtBank", kLenText);
    m_telefon = addLine("edtTelefon", kLenTelefon);
    einvoiceForm->addRow(QStringLiteral("USt-IdNr."), m_ustIdNr);
    einvoiceForm->addRow(QStringLiteral("Steuernummer"), m_steuernummer);
    einvoiceForm->addRow(QStringLiteral("IBAN"), m_iban);
    einvoiceForm->addRow(QStringLiteral("BIC"), m_bic);
    einvoiceForm->addRow(QStringLiteral("Bank"), m_bank);
    einvoiceForm->addRow(QStringLiteral("Telefon"), m_telefon);
    // Days from the invoice date: the invoice and the e-invoice name the due date.
    m_zahlungsziel = new QSpinBox(this);
    m_zahlungsziel->setObjectName(QStringLiteral("edtZahlungsziel"));
    m_zahlungsziel->setRange(-1, 365);
    m_zahlungsziel->setSpecialValueText(QStringLiteral("keine Angabe"));
    m_zahlungsziel->setSuffix(QStringLiteral(" Tage"));
    m_zahlungsziel->setToolTip(
        QStringLiteral("0: sofort fällig; „keine Angabe“: die Rechnung nennt kein Zahlungsziel"));
    einvoiceForm->addRow(QStringLiteral("Zahlungsziel"), m_zahlungsziel);
    // Cash discount for early payment, counted from the invoice date.
    m_skontoTage = new QSpinBox(this);
    m_skontoTage->setObjectName(QStringLiteral("edtSkontoTage"));
    m_skontoTage->setRange(0, 365);
    m_skontoTage->setSpecialValueText(QStringLiteral("kein Skonto"));
    m_skontoTage->setSuffix(QStringLiteral(" Tage"));
    m_skontoProzent = new QDoubleSpinBox(this);
    m_skontoProzent->setObjectName(QStringLiteral("edtSkontoProzent"));
    m_skontoProzent->setRange(0.01, 99.99);
    m_skontoProzent->setDecimals(2);
    m_skontoProzent->setSuffix(QStringLiteral(" %"));
    m_skontoProzent->setAccessibleName(QStringLiteral("Skonto in Prozent"));
    auto *skonto = new QHBoxLayout;
    skonto->addWidget(m_skontoTage, 1);
    skonto->addWidget(m_skontoProzent, 1);
    einvoiceForm->addRow(QStringLiteral("Skonto"), skonto);
    if (auto *label = qobject_cast<QLabel *>(einvoiceForm->labelForField(skonto)))
        label->setBuddy(m_skontoTage);
    m_skontoTage->setAccessibleName(QStringLiteral("Skonto: Tage"));
    connect(m_skontoTage, &QSpinBox::valueChanged, this,
            [this](int days) { m_skontoProzent->setEnabled(days > 0); });
    m_kleinunternehmer = new QCheckBox(QStringLiteral("Kleinunternehmer (§ 19 UStG): Rechnungen "
                                                      "ohne Umsatzsteuer"),
                                       this);
    m_kleinunternehmer->setObjectName(QStringLiteral("chkKleinunternehmer"));
    einvoiceForm->addRow(m_kleinunternehmer);

    // Rechnungsnummern: the client's number range and the printed form.
    auto *numbers = new QGroupBox(QStringLiteral("Rechnungsnummern"), this);
    numbers->setObjectName(QStringLiteral("grpRechnungsnummern"));
    auto *numbersForm = new QFormLayout(numbers);
    m_nummernkreis = new QComboBox(numbers);
    m_nummernkreis->setObjectName(QStringLiteral("cboNummernkreis"));
    m_nummernkreis->addItem(QStringLiteral("Fortlaufend (höchste Nummer + 1)"), 0);
    m_nummernkreis->addItem(QStringLiteral("Jährlich neu, vergeben bei Ausstellung"), 1);
    m_ersteNummer = new QSpinBox(numbers);
    m_ersteNummer->setObjectName(QStringLiteral("edtErsteNummer"));
    m_ersteNummer->setRange(1, 99999999);
    m_ersteNummer->setToolTip(QStringLiteral("Die erste Nummer jedes Jahres"));
    m_nummernformat = new QLineEdit(numbers);
    m_nummernformat->setObjectName(QStringLiteral("edtNummernformat"));
    m_nummernformat->setMaxLength(40);
    m_nummernformat->setPlaceholderText(QStringLiteral("z. B. RE-{JJJJ}-{NNNN}"));
    m_nummernformat->setToolTip(
        QStringLiteral("{JJJJ} Jahr, {JJ} Jahr zweistellig, {NNNN} Nummer mit führenden Nullen; "
                       "leer: nur die Nummer"));
    m_nummernBeispiel = new QLabel(numbers);
    m_nummernBeispiel->setObjectName(QStringLiteral("lblNummernBeispiel"));
    m_nummernBeispiel->setTextFormat(Qt::PlainText);
    numbersForm->addRow(QStringLiteral("Nummernkreis"), m_nummernkreis);
    numbersForm->addRow(QStringLiteral("Erste Nummer im Jahr"), m_ersteNummer);
    numbersForm->addRow(QStringLiteral("Form"), m_nummernformat);
    numbersForm->addRow(QStringLiteral("Beispiel"), m_nummernBeispiel);
    connect(m_nummernkreis, &QComboBox::currentIndexChanged, this,
            &TfrmMandantBearbeiten::showNumberExample);
    connect(m_ersteNummer, &QSpinBox::valueChanged, this,
            &TfrmMandantBearbeiten::showNumberExample);
    connect(m_nummernformat, &QLineEdit::textChanged, this,
            &TfrmMandantBearbeiten::showNumberExample);

    // Fußzeile für Rechnung
    auto *footer = new QGroupBox(QStringLiteral("Fußzeile für Rechnung"), this);
    footer->setObjectName(QStringLiteral("grpFusszeile"));
    auto *footerLayout = new QVBoxLayout(footer);
    m_footer = new RtfEditor(questions, footer);
    m_footer->setObjectName(QStringLiteral("redRechnungsfuss"));
    m_footer->textEdit()->setMinimumHeight(110);
    footerLayout->addWidget(m_footer);

    // Two columns; the form scrolls when the screen is smaller than it.
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("pnlSeite"));
    auto *grid = new QGridLayout(page);
    grid->addWidget(basics, 0, 0);
    grid->addWidget(mail, 0, 1);
    grid->addWidget(einvoice, 1, 0);
    grid->addWidget(footer, 1, 1, 2, 1);
    grid->addWidget(numbers, 2, 0);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("sbxSeite"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setWidget(page);

    const ui::DialogButtons buttons =
        ui::okCancelButtons(*this, QStringLiteral("OK"), "btnAbbrechen");
    buttons.ok->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_scroll, 1);
    layout->addWidget(buttons.box);

    // Tab order: the left column, then the right one, then the buttons.
    QList<QWidget *> order = {m_firma,
                              m_name,
                              m_vorname,
                              m_strasse,
                              m_plz,
                              m_ort,
                              m_land,
                              m_waehrung,
                              m_ustIdNr,
                              m_steuernummer,
                              m_iban,
                              m_bic,
                              m_bank,
                              m_telefon,
                              m_zahlungsziel,
                              m_skontoTage,
                              m_skontoProzent,
                              m_kleinunternehmer,
                              m_nummernkreis,
                              m_ersteNummer,
                              m_nummernformat,
                              m_email,
                              m_pop3,
                              m_username,
                              m_password,
                              m_port,
                              m_verschluesselung,
                              m_bestellgeheimnis};
    order << m_footer->focusChain();
    order << buttons.cancel << buttons.ok;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    // The client's values. A value longer than the box takes (stored by an
    // older version or another program) is shown whole, never cut off.
    auto show = [](QLineEdit *edit, const QString &value) {
        edit->setMaxLength(std::max(edit->maxLength(), int(value.size())));
        edit->setText(value);
    };
    show(m_firma, client.firma);
    show(m_name, client.name);
    show(m_vorname, client.vorname);
    show(m_strasse, client.strasse);
    show(m_plz, client.plz);
    show(m_ort, client.ort);
    show(m_land, client.land);
    show(m_waehrung, client.waehrung);
    show(m_email, client.email);
    show(m_pop3, client.pop3);
    show(m_username, client.username);
    show(m_password, client.password);
    m_port->setText(QString::number(client.port));
    int encryption = m_verschluesselung->findData(client.verschluesselung);
    if (encryption < 0) {
        // A value this version does not know stays as it is unless the user chooses another.
        m_verschluesselung->addItem(QStringLiteral("Unbekannt (%1)").arg(client.verschluesselung),
                                    client.verschluesselung);
        encryption = m_verschluesselung->count() - 1;
    }
    m_verschluesselung->setCurrentIndex(encryption);
    show(m_bestellgeheimnis, client.bestellgeheimnis);
    show(m_ustIdNr, client.ustIdNr);
    show(m_steuernummer, client.steuernummer);
    show(m_iban, client.iban);
    show(m_bic, client.bic);
    show(m_bank, client.bank);
    show(m_telefon, client.telefon);
    m_zahlungsziel->setValue(client.zahlungsziel ? std::clamp(*client.zahlungsziel, 0, 365) : -1);
    const auto discount = cashDiscountOf(client);
    m_skontoTage->setValue(discount ? std::min(discount->first, 365) : 0);
    m_skontoProzent->setValue(discount ? double(discount->second) / 100.0 : 2.0);
    m_skontoProzent->setEnabled(discount.has_value());
    m_kleinunternehmer->setChecked(client.kleinunternehmer);
    m_nummernkreis->setCurrentIndex(std::max(0, m_nummernkreis->findData(client.nummernkreis)));
    m_ersteNummer->setValue(std::clamp(client.ersteNummer, 1, 99999999));
    show(m_nummernformat, client.nummernformat);
    showNumberExample();
    m_footer->setRtf(client.rechnungsfuss);

    // Fits a 1280x800 screen with room for the window frame.
    resize(960, 600);
    m_firma->setFocus();
}

TMandant TfrmMandantBearbeiten::client() const
{
    TMandant c = m_original;
    c.firma = m_firma->text();
    c.name = m_name->text();
    c.vorname = m_vorname->text();
    c.strasse = m_strasse->text();
    c.plz = m_plz->text();
    c.ort = m_ort->text();
    c.land = m_land->text();
    c.waehrung = m_waehrung->text();
    c.email = m_email->text().trimmed();
    c.pop3 = m_pop3->text().trimmed();
    c.username = m_username->text();
    c.password = m_password->text();
    bool ok = false;
    const int port = m_port->text().trimmed().toInt(&ok);
    if (ok)
        c.port = port;
    c.verschluesselung = m_verschluesselung->currentData().toInt();
    c.bestellgeheimnis = m_bestellgeheimnis->text();
    c.ustIdNr = m_ustIdNr->text().trimmed();
    c.steuernummer = m_steuernummer->text().trimmed();
    c.iban = m_iban->text().trimmed();
    c.bic = m_bic->text().trimmed();
    c.bank = m_bank->text().trimmed();
    c.telefon = m_telefon->text().trimmed();
    // A stored period beyond the box's range stays as it is unless changed.
    if (!(m_original.zahlungsziel && *m_original.zahlungsziel > 365
          && m_zahlungsziel->value() == 365))
        c.zahlungsziel = m_zahlungsziel->value() < 0 ? std::nullopt
                                                     : std::optional<int>(m_zahlungsziel->value());
    if (m_skontoTage->value() > 0) {
        c.skontoTage = m_skontoTage->value();
        c.skontoProzent = m_skontoProzent->value();
    } else {
        c.skontoTage.reset();
        c.skontoProzent = 0;
    }
    c.kleinunternehmer = m_kleinunternehmer->isChecked();
    c.nummernkreis = m_nummernkreis->currentData().toInt();
    c.ersteNummer = m_ersteNummer->value();
    c.nummernformat = m_nummernformat->text().trimmed();
    // A footer the user did not touch keeps its RTF as it was, with whatever
    // another program put into it beyond what this editor holds.
    if (m_footer->isModified())
        c.rechnungsfuss = m_footer->rtf();
    return c;
}

QString TfrmMandantBearbeiten::check(QWidget **box) const
{
    auto fail = [&](QWidget *widget, const QString &message) {
        if (box)
            *box = widget;
        return message;
    };
    if (m_email->text().trimmed().isEmpty())
        return fail(m_email, QStringLiteral("Geben Sie eine E-Mail-Adresse ein."));
    if (m_pop3->text().trimmed().isEmpty())
        return fail(m_pop3, QStringLiteral("Geben Sie eine Server-Adresse ein."));
    if (m_username->text().trimmed().isEmpty())
        return fail(m_username, QStringLiteral("Geben Sie einen Benutzernamen ein."));
    bool ok = false;
    const qlonglong port = m_port->text().trimmed().toLongLong(&ok);
    if (!ok)
        return fail(m_port, QStringLiteral("Port muss eine Zahl sein."));
    if (port < 0 || port > 65535)
        return fail(m_port, QStringLiteral("Der Port muss zwischen 0 und 65535 liegen."));
    const QString iban = m_iban->text().trimmed();
    if (!iban.isEmpty() && !ibanValid(iban))
        return fail(m_iban,
                    QStringLiteral("Die IBAN \u201E%1\u201C ist ungültig: Länge, Zeichen oder "
                                   "Prüfziffern stimmen nicht. Bitte prüfen Sie die IBAN.")
                        .arg(iban));
    if (const QString problem = invoiceNumberFormatProblem(m_nummernformat->text().trimmed(),
                                                           m_nummernkreis->currentData().toInt());
        !problem.isEmpty())
        return fail(m_nummernformat, problem);
    if (box)
        *box = nullptr;
    return QString();
}

void TfrmMandantBearbeiten::showNumberExample()
{
    const bool yearly = m_nummernkreis->currentData().toInt() == 1;
    m_ersteNummer->setEnabled(yearly);
    m_nummernBeispiel->setText(printedInvoiceNumber(m_nummernformat->text().trimmed(),
                                                    QDate::currentDate().year(),
                                                    yearly ? m_ersteNummer->value() : 1));
}

void TfrmMandantBearbeiten::accept()
{
    QWidget *box = nullptr;
    const QString message = check(&box);
    if (!message.isEmpty()) {
        m_questions.showInformation(this, kTitle, message);
        if (box) {
            m_scroll->ensureWidgetVisible(box);
            box->setFocus(Qt::OtherFocusReason);
            if (auto *edit = qobject_cast<QLineEdit *>(box))
                edit->selectAll();
        }
        return;
    }
    if (m_store) {
        QString error;
        if (!m_store(client(), &error)) {
            m_questions.showError(
                this, kTitle,
                QStringLiteral("Der Mandant kann nicht gespeichert werden: %1").arg(error));
            return;
        }
    }
    QDialog::accept();
}

} // namespace vq::invoice
