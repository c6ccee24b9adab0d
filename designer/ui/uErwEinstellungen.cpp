#include "designer/ui/uErwEinstellungen.h"

#include "common_ui/dialog_buttons.h"
#include "common_ui/questions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vq::ui {

namespace {

void selectExactly(QComboBox *combo, const QString &text)
{
    const int index = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    combo->setCurrentIndex(index >= 0 ? index : 0);
}

QLabel *noteLabel(const QString &text)
{
    auto *label = new QLabel(text);
    label->setWordWrap(true);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

} // namespace

TfrmErwEinstellungen::TfrmErwEinstellungen(const TExtSettings &settings, UserQuestions &dialogs,
                                           QWidget *parent)
    : QDialog(parent)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmErwEinstellungen"));
    setWindowTitle(QStringLiteral("Erweiterte Formulareinstellungen"));

    auto *tabs = new QTabWidget;
    tabs->setObjectName(QStringLiteral("tabsErwEinstellungen"));

    // Formulareinstellungen
    auto *formPage = new QWidget;
    auto *formPageLayout = new QVBoxLayout(formPage);
    auto *formGroup = new QGroupBox(QStringLiteral("Erweiterte Formulareinstellungen"));
    auto *form = new QFormLayout(formGroup);
    m_encoding = new QComboBox;
    m_encoding->setObjectName(QStringLiteral("cboEncoding"));
    m_encoding->addItems({QStringLiteral("windows-1252"), QStringLiteral("utf-8")});
    form->addRow(QStringLiteral("Formularkodierung:"), m_encoding);
    m_ipInfo =
        new QCheckBox(QStringLiteral("IP-Adresse und weitere Informationen in E-Mail einfügen"));
    m_ipInfo->setObjectName(QStringLiteral("chkIPInformationen"));
    form->addRow(m_ipInfo);
    m_tax = new QComboBox;
    m_tax->setObjectName(QStringLiteral("cboTax"));
    m_tax->addItems({QStringLiteral("brutto"), QStringLiteral("netto")});
    form->addRow(QStringLiteral("Preisberechnung:"), m_tax);
    form->addRow(noteLabel(
        QStringLiteral("Bruttopreis: Artikelpreis enthält bereits die Mehrwertsteuer\n"
                       "Nettopreis: Artikelpreis enthält keine Mehrwertsteuer, diese wird dem "
                       "Gesamtpreis hinzugefügt")));
    m_cart = new QCheckBox(QStringLiteral("Warenkorbfunktion aktivieren?"));
    m_cart->setObjectName(QStringLiteral("chkCartActive"));
    m_cart->setVisible(false);
    form->addRow(m_cart);
    formPageLayout->addWidget(formGroup);
    formPageLayout->addStretch();
    tabs->addTab(formPage, QStringLiteral("Formulareinstellungen"));

    // Fehlerseiten/Fehlermeldungen
    auto *errorPage = new QWidget;
    auto *errorPageLayout = new QVBoxLayout(errorPage);
    auto *pagesGroup = new QGroupBox(QStringLiteral("Fehlerseiten"));
    auto *pages = new QFormLayout(pagesGroup);
    m_ipErrorPage = addressRow(pages, QStringLiteral("IP-Sperre:"),
                               QStringLiteral("edtIPErrorPage"), settings.ErrorPages.IPErrorPage);
    m_fileErrorPage =
        addressRow(pages, QStringLiteral("Datei-Upload:"), QStringLiteral("edtFileErrorPage"),
                   settings.ErrorPages.FileErrorPage);
    m_captchaErrorPage =
        addressRow(pages, QStringLiteral("Captcha-Spam-Schutz:"),
                   QStringLiteral("edtCaptchaErrorPage"), settings.ErrorPages.CaptchaErrorPage);
    pages->addRow(noteLabel(
        QStringLiteral("Bleiben die Felder leer, werden die Standard-Fehlerseiten verwendet.\n"
                       "Geben Sie jede Fehlerseite als vollständige Adresse ein (z. B. "
                       "https://www.ihre-domain.de/fehler.htm).\n"
                       "Die Fehlerseiten werden von HTML-Formularen nur verwendet,\n"
                       "wenn die Prüfung mit JavaScript fehlschlägt.")));
    errorPageLayout->addWidget(pagesGroup);
    auto *messagesGroup = new QGroupBox(QStringLiteral("Fehlermeldungen PHP-Formular"));
    auto *messages = new QFormLayout(messagesGroup);
    m_captchaMessage = new QLineEdit(settings.ErrorMessages.CaptchaError);
    m_captchaMessage->setObjectName(QStringLiteral("edtCaptchaError"));
    messages->addRow(QStringLiteral("Meldung Captcha:"), m_captchaMessage);
    errorPageLayout->addWidget(messagesGroup);
    errorPageLayout->addStretch();
    tabs->addTab(errorPage, QStringLiteral("Fehlerseiten/Fehlermeldungen"));

    const DialogButtons buttons = okCancelButtons(*this, QStringLiteral("OK"), "btnAbbrechen");
    buttons.ok->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons.box);

    m_ipInfo->setChecked(settings.ip_informationen);
    m_cart->setChecked(settings.cartActive);
    selectExactly(m_encoding, settings.encoding);
    selectExactly(m_tax, settings.tax);
    resize(700, 400);
}

QLineEdit *TfrmErwEinstellungen::addressRow(QFormLayout *form, const QString &label,
                                            const QString &name, const QString &text)
{
    auto *edit = new QLineEdit(text);
    edit->setObjectName(name);
    auto *test = new QPushButton(QStringLiteral("Link testen"));
    test->setObjectName(QStringLiteral("btnTest") + name.mid(3));
    connect(test, &QPushButton::clicked, this, [this, edit] { m_dialogs.openUrl(edit->text()); });
    auto *row = new QHBoxLayout;
    row->addWidget(edit, 1);
    row->addWidget(test);
    form->addRow(label, row);
    // The label names the edit, not the row.
    if (auto *labelWidget = qobject_cast<QLabel *>(form->labelForField(row)))
        labelWidget->setBuddy(edit);
    edit->setAccessibleName(QString(label).remove(u':'));
    return edit;
}

void TfrmErwEinstellungen::saveTo(TExtSettings &settings) const
{
    settings.ip_informationen = m_ipInfo->isChecked();
    settings.ErrorPages.IPErrorPage = m_ipErrorPage->text();
    settings.ErrorPages.FileErrorPage = m_fileErrorPage->text();
    settings.ErrorPages.CaptchaErrorPage = m_captchaErrorPage->text();
    settings.encoding = m_encoding->currentText();
    settings.tax = m_tax->currentText();
    settings.cartActive = m_cart->isChecked();
    settings.ErrorMessages.CaptchaError = m_captchaMessage->text();
}

} // namespace vq::ui
