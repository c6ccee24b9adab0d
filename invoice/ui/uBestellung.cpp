#include "invoice/ui/uBestellung.h"
#include "invoice/db/invoice_number_store.h"
#include "invoice/db/order_store.h"
#include "invoice/db/state_store.h"

#include "invoice/einvoice/xrechnung.h"
#include "invoice/money/tax_case.h"
#include "invoice/session/order_dates.h"

#include <utility>

#include "invoice/ui/invoice_output_ui.h"
#include "invoice/ui/uArtikel.h"
#include "invoice/ui/uRechnungsvorlage.h"
#include "invoice/ui_logic/invoice_view_format.h"

#include <QAction>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QTimeZone>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <limits>

namespace vq::invoice {

namespace {
const QString kTitle = QStringLiteral("Bestellung verwalten");

QIcon themeIcon(const QWidget *widget, const char *name, QStyle::StandardPixmap fallback)
{
    return QIcon::fromTheme(QString::fromLatin1(name), widget->style()->standardIcon(fallback));
}

QLineEdit *lineEdit(QWidget *parent, const char *name)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

} // namespace

TfrmBestellung::TfrmBestellung(InvoiceConnection &db, UserQuestions &questions,
                               QString programFolder, QWidget *parent)
    : QDialog(parent)
    , m_db(db)
    , m_questions(questions)
    , m_programFolder(std::move(programFolder))
    , m_today([] { return QDate::currentDate(); })
{
    setObjectName(QStringLiteral("frmBestellung"));
    setWindowTitle(kTitle);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    buildWindow();
    m_lineEditor = new TfrmArtikel(m_questions, this);
}

TfrmBestellung::~TfrmBestellung() = default;

void TfrmBestellung::buildWindow()
{
    // Commands: menus and tool bar share the actions.
    const auto action = [this](const char *name, const QString &text, const QString &hint,
                               const QIcon &icon) {
        auto *a = new QAction(icon, text, this);
        a->setObjectName(QString::fromLatin1(name));
        a->setToolTip(hint);
        a->setStatusTip(hint);
        return a;
    };
    QAction *actNeu = action("actNeueBestellung", QStringLiteral("Neue Bestellung"),
                             QStringLiteral("Neue Bestellung anlegen"),
                             themeIcon(this, "document-new", QStyle::SP_FileIcon));
    actNeu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    QAction *actSpeichern =
        action("actSpeichern", QStringLiteral("Bestellung speichern"), QStringLiteral("Speichern"),
               themeIcon(this, "document-save", QStyle::SP_DialogSaveButton));
    actSpeichern->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    QAction *actDrucken =
        action("actDrucken", QStringLiteral("Drucken"), QStringLiteral("Drucken/Vorschau"),
               themeIcon(this, "document-print", QStyle::SP_FileDialogDetailedView));
    actDrucken->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    QAction *actVorschau =
        action("actVorschau", QStringLiteral("Vorschau"), QStringLiteral("Vorschau der Rechnung"),
               themeIcon(this, "document-print-preview", QStyle::SP_FileDialogContentsView));
    QAction *actVerlassen =
        action("actVerlassen", QStringLiteral("Verlassen"), QStringLiteral("Verlassen"),
               themeIcon(this, "application-exit", QStyle::SP_DialogCloseButton));
    QAction *actVorlage =
        action("actRechnungsvorlage", QStringLiteral("Rechnungsvorlage bearbeiten"),
               QStringLiteral("Rechnungsvorlage bearbeiten"), QIcon());
    connect(actNeu, &QAction::triggered, this, &TfrmBestellung::newOrderInEditor);
    connect(actSpeichern, &QAction::triggered, this, [this] { saveOrder(); });
    QAction *actXRechnung =
        action("actXRechnung", QStringLiteral("E-Rechnung (XRechnung) speichern"),
               QStringLiteral("E-Rechnung (XRechnung) speichern"), QIcon());
    QAction *actZugferd = action("actZugferd", QStringLiteral("E-Rechnung (ZUGFeRD-PDF) speichern"),
                                 QStringLiteral("E-Rechnung (ZUGFeRD-PDF) speichern"), QIcon());
    connect(actDrucken, &QAction::triggered, this, [this] { putOut(Output::Print); });
    connect(actVorschau, &QAction::triggered, this, [this] { putOut(Output::Preview); });
    connect(actXRechnung, &QAction::triggered, this, [this] { putOut(Output::XRechnung); });
    connect(actZugferd, &QAction::triggered, this, [this] { putOut(Output::Zugferd); });
    connect(actVerlassen, &QAction::triggered, this, &TfrmBestellung::leave);
    QAction *actStornieren =
        action("actStornieren", QStringLiteral("Stornieren"),
               QStringLiteral("Stornorechnung zur ausgestellten Rechnung erstellen"), QIcon());
    QAction *actKorrigieren = action(
        "actKorrigieren", QStringLiteral("Korrigieren"),
        QStringLiteral("Rechnung stornieren und eine Kopie zum Bearbeiten anlegen"), QIcon());
    connect(actStornieren, &QAction::triggered, this, [this] { cancelShown(false); });
    connect(actKorrigieren, &QAction::triggered, this, [this] { cancelShown(true); });
    connect(actVorlage, &QAction::triggered, this, [this] {
        if (!hasOrder() || !saveOrder())
            return;
        const int id = currentOrderId();
        editInvoiceTemplate(this, m_db, m_mandantId, id, m_programFolder, m_questions, unsaved(id));
    });

    auto *menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("mnuHaupt"));
    QMenu *datei = menuBar->addMenu(QStringLiteral("&Datei"));
    datei->setObjectName(QStringLiteral("mnuDatei"));
    datei->addAction(actNeu);
    datei->addAction(actSpeichern);
    datei->addSeparator();
    datei->addAction(actDrucken);
    datei->addAction(actVorschau);
    datei->addAction(actXRechnung);
    datei->addAction(actZugferd);
    datei->addSeparator();
    datei->addAction(actStornieren);
    datei->addAction(actKorrigieren);
    datei->addSeparator();
    datei->addAction(actVerlassen);
    QMenu *settings = menuBar->addMenu(QStringLiteral("Einstellungen"));
    settings->setObjectName(QStringLiteral("mnuEinstellungen"));
    settings->addAction(actVorlage);

    auto *toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("tlbBestellung"));
    toolBar->setAccessibleName(QStringLiteral("Werkzeugleiste"));
    toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolBar->addAction(actNeu);
    toolBar->addAction(actSpeichern);
    toolBar->addSeparator();
    toolBar->addAction(actDrucken);
    toolBar->addAction(actVorschau);
    toolBar->addSeparator();
    toolBar->addAction(actVerlassen);
    for (QAction *a : toolBar->actions())
        if (QWidget *button = toolBar->widgetForAction(a))
            button->setAccessibleName(a->text());

    // Group "Bestellung": the customer on the left, the order on the right.
    auto *orderGroup = new QGroupBox(QStringLiteral("Bestellung"), this);
    orderGroup->setObjectName(QStringLiteral("grpBestellung"));
    m_rechNr = lineEdit(orderGroup, "edtRechNr");
    m_rechNr->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("^[0-9]{0,10}$")), m_rechNr));
    m_firma = lineEdit(orderGroup, "edtFirma");
    m_vorname = lineEdit(orderGroup, "edtVorname");
    m_nachname = lineEdit(orderGroup, "edtNachname");
    m_strasse = lineEdit(orderGroup, "edtStrasse");
    m_plz = lineEdit(orderGroup, "edtPLZ");
    m_plz->setAccessibleName(QStringLiteral("PLZ"));
    m_ort = lineEdit(orderGroup, "edtOrt");
    m_ort->setAccessibleName(QStringLiteral("Ort"));
    m_telefon = lineEdit(orderGroup, "edtTelefon");
    m_email = lineEdit(orderGroup, "edtEMail");
    m_homepage = lineEdit(orderGroup, "edtHomepage");
    m_zeit = lineEdit(orderGroup, "edtBestelldatum");
    m_zeit->setPlaceholderText(QStringLiteral("TT.MM.JJJJ"));
    m_rechnungsdatum = lineEdit(orderGroup, "edtRechnungsdatum");
    m_rechnungsdatum->setReadOnly(true);
    m_rechnungsdatum->setToolTip(QStringLiteral("Wird beim ersten Drucken der Rechnung gesetzt."));
    m_status = new QComboBox(orderGroup);
    m_status->setObjectName(QStringLiteral("cboStatus"));
    // A long state name must not widen the window.
    m_status->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_status->setMinimumContentsLength(12);
    m_kaeuferreferenz = lineEdit(orderGroup, "edtKaeuferreferenz");
    m_bemerkung = new QPlainTextEdit(orderGroup);
    m_bemerkung->setObjectName(QStringLiteral("memBemerkung"));
    m_bemerkung->setTabChangesFocus(true);
    // Lines break at blanks only: breaking a long run without blanks anywhere
    // takes Qt minutes for a posted megabyte, and the window would hang.
    m_bemerkung->setWordWrapMode(QTextOption::WordWrap);
    m_ip = lineEdit(orderGroup, "edtIP");
    m_ip->setReadOnly(true);

    // Group "Steuer und E-Rechnung": what a business buyer's invoice needs.
    auto *taxGroup = new QGroupBox(QStringLiteral("Steuer und E-Rechnung"), this);
    taxGroup->setObjectName(QStringLiteral("grpSteuer"));
    m_steuerfall = new QComboBox(taxGroup);
    m_steuerfall->setObjectName(QStringLiteral("cboSteuerfall"));
    m_ustIdNr = lineEdit(taxGroup, "edtUStIdNr");
    m_ustIdNr->setPlaceholderText(QStringLiteral("z. B. ATU12345678"));
    m_emailERechnung = lineEdit(taxGroup, "edtEMailERechnung");
    m_emailERechnung->setPlaceholderText(QStringLiteral("leer: die E-Mail-Adresse"));
    m_lieferdatum = lineEdit(taxGroup, "edtLieferdatum");
    m_lieferdatum->setPlaceholderText(QStringLiteral("leer: das Bestelldatum"));
    auto *precheck = new QPushButton(QStringLiteral("V&orprüfung"), taxGroup);
    precheck->setObjectName(QStringLiteral("btnVorpruefung"));
    precheck->setAutoDefault(false);
    precheck->setToolTip(QStringLiteral("Prüft, ob die Bestellung alles enthält, was die "
                                        "E-Rechnung braucht."));
    auto *taxLeft = new QFormLayout;
    taxLeft->addRow(QStringLiteral("Steuerfa&ll"), m_steuerfall);
    taxLeft->addRow(QStringLiteral("L&ieferdatum"), m_lieferdatum);
    auto *taxRight = new QFormLayout;
    taxRight->addRow(QStringLiteral("&USt-IdNr. des Käufers"), m_ustIdNr);
    taxRight->addRow(QStringLiteral("E-Mail für E-Rechnun&gen"), m_emailERechnung);
    for (QFormLayout *form : {taxLeft, taxRight}) {
        form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
        form->setVerticalSpacing(4);
    }
    auto *taxLayout = new QHBoxLayout(taxGroup);
    taxLayout->addLayout(taxLeft, 1);
    taxLayout->addSpacing(12);
    taxLayout->addLayout(taxRight, 1);
    taxLayout->addWidget(precheck, 0, Qt::AlignTop);
    connect(precheck, &QPushButton::clicked, this, &TfrmBestellung::precheckShown);
    // A tax case that changes the VAT shows its totals at once.
    connect(m_steuerfall, &QComboBox::activated, this, [this] {
        if (hasOrder() && !m_session->issued() && saveOrder())
            showLines();
    });

    auto *left = new QFormLayout;
    left->addRow(QStringLiteral("&Rechnungs-Nr."), m_rechNr);
    left->addRow(QStringLiteral("&Firma"), m_firma);
    left->addRow(QStringLiteral("&Vorname"), m_vorname);
    left->addRow(QStringLiteral("&Nachname"), m_nachname);
    left->addRow(QStringLiteral("Str&aße"), m_strasse);
    auto *plzOrt = new QHBoxLayout;
    plzOrt->addWidget(m_plz, 1);
    plzOrt->addWidget(m_ort, 3);
    left->addRow(QStringLiteral("&PLZ / Ort"), plzOrt);
    if (auto *label = qobject_cast<QLabel *>(left->labelForField(plzOrt)))
        label->setBuddy(m_plz);
    left->addRow(QStringLiteral("&Telefon"), m_telefon);
    left->addRow(QStringLiteral("&E-Mail"), m_email);

    auto *right = new QFormLayout;
    right->addRow(QStringLiteral("&Homepage"), m_homepage);
    right->addRow(QStringLiteral("&Bestelldatum"), m_zeit);
    right->addRow(QStringLiteral("Rechnungsdatum"), m_rechnungsdatum);
    right->addRow(QStringLiteral("&Status"), m_status);
    right->addRow(QStringLiteral("&Käuferreferenz (Leitweg-ID)"), m_kaeuferreferenz);
    right->addRow(QStringLiteral("IP-Adresse"), m_ip);
    right->addRow(QStringLiteral("Be&merkung"), m_bemerkung);
    for (QFormLayout *form : {left, right}) {
        form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
        form->setVerticalSpacing(4);
    }
    m_bemerkung->setMinimumHeight(40);

    auto *orderLayout = new QHBoxLayout(orderGroup);
    orderLayout->addLayout(left, 1);
    orderLayout->addSpacing(12);
    orderLayout->addLayout(right, 1);

    // Group "Artikel der Bestellung".
    auto *lineGroup = new QGroupBox(QStringLiteral("Artikel der Bestellung"), this);
    lineGroup->setObjectName(QStringLiteral("grpArtikel"));
    auto *add = new QPushButton(QStringLiteral("Artikel hinzufügen"), lineGroup);
    add->setObjectName(QStringLiteral("btnArtikelHinzufuegen"));
    auto *edit = new QPushButton(QStringLiteral("Artikel bearbeiten"), lineGroup);
    edit->setObjectName(QStringLiteral("btnArtikelBearbeiten"));
    auto *remove = new QPushButton(QStringLiteral("Artikel löschen"), lineGroup);
    remove->setObjectName(QStringLiteral("btnArtikelLoeschen"));
    for (QPushButton *button : {add, edit, remove})
        button->setAutoDefault(false);
    m_lineList = new QTreeWidget(lineGroup);
    m_lineList->setObjectName(QStringLiteral("grdArtikel"));
    m_lineList->setAccessibleName(QStringLiteral("Artikel der Bestellung"));
    m_lineList->setRootIsDecorated(false);
    m_lineList->setUniformRowHeights(true);
    m_lineList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lineList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lineList->setHeaderLabels({QStringLiteral("Artikel-Nr"), QStringLiteral("Anzahl"),
                                 QStringLiteral("Name"), QStringLiteral("Mwst."),
                                 QStringLiteral("Preis"), QStringLiteral("Gesamtpreis")});
    const int widths[] = {80, 50, 220, 60, 80, 80};
    for (int column = 0; column < 6; ++column) {
        m_lineList->setColumnWidth(column, widths[column]);
        if (column != 0 && column != 2)
            m_lineList->headerItem()->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    }
    m_lineList->setMinimumHeight(80);
    auto *lineButtons = new QHBoxLayout;
    lineButtons->addWidget(add);
    lineButtons->addWidget(edit);
    lineButtons->addWidget(remove);
    lineButtons->addStretch();
    m_totals = new QLabel(lineGroup);
    m_totals->setObjectName(QStringLiteral("lblSummen"));
    m_totals->setTextFormat(Qt::PlainText);
    m_totals->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_totals->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *lineLayout = new QVBoxLayout(lineGroup);
    lineLayout->addLayout(lineButtons);
    lineLayout->addWidget(m_lineList, 1);
    lineLayout->addWidget(m_totals);
    connect(add, &QPushButton::clicked, this, &TfrmBestellung::addLine);
    connect(edit, &QPushButton::clicked, this, &TfrmBestellung::editLine);
    connect(remove, &QPushButton::clicked, this, &TfrmBestellung::deleteLine);
    // Double-click and Enter (activating the row) edit it.
    connect(m_lineList, &QTreeWidget::itemActivated, this, &TfrmBestellung::editLine);
    // Delete in the list deletes the line.
    m_lineList->installEventFilter(this);

    // Why the boxes are read-only once the invoice is issued.
    m_issuedNote = new QLabel(this);
    m_issuedNote->setObjectName(QStringLiteral("lblAusgestellt"));
    m_issuedNote->setTextFormat(Qt::PlainText);
    m_issuedNote->setWordWrap(true);
    m_issuedNote->hide();
    m_lineButtons = {add, edit, remove};

    auto *layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->setSpacing(4);
    layout->addWidget(toolBar);
    layout->addWidget(m_issuedNote);
    layout->addWidget(orderGroup);
    layout->addWidget(taxGroup);
    layout->addWidget(lineGroup, 1);

    // Tab order follows the layout: left column, right column, then the lines.
    QWidget *order[] = {
        m_rechNr,  m_firma,           m_vorname, m_nachname,  m_strasse,    m_plz,
        m_ort,     m_telefon,         m_email,   m_homepage,  m_zeit,       m_rechnungsdatum,
        m_status,  m_kaeuferreferenz, m_ip,      m_bemerkung, m_steuerfall, m_lieferdatum,
        m_ustIdNr, m_emailERechnung,  precheck,  add,         edit,         remove,
        m_lineList};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    resize(760, 620);
}

void TfrmBestellung::setClient(int mandantId, const QString &currency)
{
    m_mandantId = mandantId;
    m_currency = currency;
    m_lineEditor->setCurrency(currency);
    // The money columns start wide enough for a five-digit amount in this currency.
    const int moneyWidth =
        m_lineList->fontMetrics().horizontalAdvance(moneyText(99999.99, currency)) + 16;
    m_lineList->setColumnWidth(4, std::max(80, moneyWidth));
    m_lineList->setColumnWidth(5, std::max(80, moneyWidth));
    if (m_session && m_session->mandantId() != mandantId)
        m_session.reset();
    showOrder();
}

bool TfrmBestellung::beginStay()
{
    m_startError.clear();
    if (m_mandantId == 0)
        return false;
    m_session = std::make_unique<OrderEditSession>(m_db, m_mandantId, m_today);
    return true;
}

bool TfrmBestellung::startNewOrder()
{
    return beginStay() && appendNewOrder();
}

bool TfrmBestellung::appendNewOrder()
{
    if (!m_session->startNew(&m_startError)) {
        if (!m_startError.isEmpty())
            m_questions.showError(this, kTitle, m_startError);
        return false;
    }
    showOrder();
    m_firma->setFocus();
    return true;
}

bool TfrmBestellung::startEditOrder(int bestellungId)
{
    if (!beginStay() || !m_session->startEdit(bestellungId, &m_startError)) {
        m_session.reset();
        showOrder();
        return false;
    }
    showOrder();
    m_firma->setFocus();
    return true;
}

void TfrmBestellung::endStay()
{
    m_session.reset();
    showOrder();
}

bool TfrmBestellung::hasOrder() const
{
    return m_session && m_session->hasOrder();
}

int TfrmBestellung::currentOrderId() const
{
    return hasOrder() ? m_session->order().id : 0;
}

UnsavedOrder TfrmBestellung::unsaved(int orderId) const
{
    // An order as stored is put out from the database; one with changes is
    // shown as typed, as a draft, and cannot be issued before it is saved.
    if (!m_session || !m_session->orderChanged(orderId))
        return {};
    return UnsavedOrder{m_session->unsavedOrder(orderId), m_session->unsavedLines(orderId)};
}

void TfrmBestellung::showOrder()
{
    const OrderBoxes boxes = m_session ? m_session->boxes() : OrderBoxes{};
    m_rechNr->setText(boxes.rechNr);
    m_firma->setText(boxes.firma);
    m_vorname->setText(boxes.vorname);
    m_nachname->setText(boxes.nachname);
    m_strasse->setText(boxes.strasse);
    m_plz->setText(boxes.plz);
    m_ort->setText(boxes.ort);
    m_telefon->setText(boxes.telefon);
    m_email->setText(boxes.email);
    m_homepage->setText(boxes.homepage);
    m_zeit->setText(boxes.zeit);
    m_kaeuferreferenz->setText(boxes.kaeuferreferenz);
    m_bemerkung->setPlainText(boxes.bemerkung);
    m_ustIdNr->setText(boxes.ustIdNr);
    m_emailERechnung->setText(boxes.emailERechnung);
    m_lieferdatum->setText(boxes.lieferdatum);
    fillTaxCases();
    {
        // The stored text as the list names it; one from elsewhere is shown as it is.
        const auto taxCase = taxCaseFromText(boxes.steuerfall);
        int index = taxCase ? m_steuerfall->findData(taxCaseText(*taxCase)) : -1;
        if (index < 0 && !boxes.steuerfall.isEmpty()) {
            m_steuerfall->addItem(boxes.steuerfall, boxes.steuerfall);
            index = m_steuerfall->count() - 1;
        }
        m_steuerfall->setCurrentIndex(std::max(0, index));
    }
    const TBestellung &order = shownOrder();
    m_ip->setText(order.ip);
    showInvoiceDate();
    if (m_status->count() == 0)
        rereadStates();
    m_status->setCurrentIndex(m_status->findData(boxes.status.value_or(kNewOrderState)));
    showLines();
    showIssuedState();
}

void TfrmBestellung::showIssuedState()
{
    const bool issued = hasOrder() && m_session->issued();
    const QString note = issued ? m_session->issuedNote() : QString();
    m_issuedNote->setText(note);
    m_issuedNote->setVisible(issued);
    for (QLineEdit *box : {m_firma, m_vorname, m_nachname, m_strasse, m_plz, m_ort, m_zeit,
                           m_kaeuferreferenz, m_ustIdNr, m_emailERechnung, m_lieferdatum})
        box->setReadOnly(issued);
    // A small business has no tax case to choose.
    m_steuerfall->setEnabled(!issued && !(hasOrder() && m_session->client().kleinunternehmer));
    // A yearly range draws the number at issue; before, there is none to type.
    const bool numberDrawnAtIssue = hasOrder() && m_session->yearlyNumbers();
    m_rechNr->setReadOnly(issued || numberDrawnAtIssue);
    m_rechNr->setPlaceholderText(numberDrawnAtIssue && !issued
                                     ? QStringLiteral("wird bei Ausstellung vergeben")
                                     : QString());
    for (QWidget *button : std::as_const(m_lineButtons))
        button->setEnabled(!issued);
    m_rechNr->setAccessibleDescription(note);
}

const TBestellung &TfrmBestellung::shownOrder() const
{
    static const TBestellung none;
    return hasOrder() ? m_session->order() : none;
}

void TfrmBestellung::showInvoiceDate()
{
    const QDate date = shownOrder().rechnungsdatum;
    m_rechnungsdatum->setText(date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy"))
                                             : QString());
}

void TfrmBestellung::rereadStates()
{
    const QVariant shown =
        m_status->currentIndex() >= 0 ? m_status->currentData() : QVariant(shownOrder().status);
    const auto states = StateStore(m_db).states();
    if (!states) {
        // The list keeps the states it has; an order's state is never shown wrongly.
        m_questions.showError(this, kTitle,
                              QStringLiteral("Die Liste der Status kann nicht gelesen werden: %1")
                                  .arg(m_db.lastError()));
        return;
    }
    m_status->clear();
    for (const StatusRow &state : *states)
        m_status->addItem(state.status, state.id);
    m_status->setCurrentIndex(m_status->findData(shown));
}

void TfrmBestellung::showLines(int selectLineId)
{
    int keepRow = currentLineRow();
    m_lineList->clear();
    const QList<TArtikel> &lines = hasOrder() ? m_session->lines() : QList<TArtikel>();
    // Line totals by the money rule, as the invoice prints them.
    const auto amounts = hasOrder() ? m_session->amounts() : std::nullopt;
    QList<QTreeWidgetItem *> items;
    items.reserve(lines.size());
    for (int row = 0; row < lines.size(); ++row) {
        const TArtikel &line = lines.at(row);
        auto *item = new QTreeWidgetItem(
            {line.nr, QString::number(line.anzahl), line.name, rateText(line.mwst),
             moneyText(line.preis, m_currency),
             amounts ? moneyCentsText(amounts->lines.at(row).totalCents, m_currency)
                     : kTextAmountInvalid});
        for (int column : {1, 3, 4, 5})
            item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        items << item;
        if (selectLineId != 0 && line.id == selectLineId)
            keepRow = row;
    }
    m_lineList->addTopLevelItems(items);
    if (!items.isEmpty())
        m_lineList->setCurrentItem(items.at(qBound(0, keepRow, int(items.size()) - 1)));
    showTotals();
}

void TfrmBestellung::fillTaxCases()
{
    m_steuerfall->clear();
    if (hasOrder() && m_session->client().kleinunternehmer) {
        m_steuerfall->addItem(taxCaseLabel(TaxCase::SmallBusiness), m_session->order().steuerfall);
        return;
    }
    for (const TaxCase taxCase :
         {TaxCase::Domestic, TaxCase::IntraCommunity, TaxCase::ReverseCharge, TaxCase::Export})
        m_steuerfall->addItem(taxCaseLabel(taxCase), taxCaseText(taxCase));
}

void TfrmBestellung::showTotals()
{
    const auto amounts = hasOrder() ? m_session->amounts() : std::nullopt;
    if (!hasOrder() || !amounts) {
        m_totals->setText(hasOrder() ? kTextAmountInvalid : QString());
        return;
    }
    const TaxCase taxCase = taxCaseOf(m_session->client(), m_session->order());
    QString text;
    if (taxCase == TaxCase::SmallBusiness)
        text = QStringLiteral("Gesamtbetrag: %1 (ohne Umsatzsteuer, § 19 UStG)")
                   .arg(moneyCentsText(amounts->grossCents, m_currency));
    else
        text = QStringLiteral("Netto: %1   MwSt.: %2   Gesamtbetrag: %3")
                   .arg(moneyCentsText(amounts->netCents, m_currency),
                        moneyCentsText(amounts->vatCents, m_currency),
                        moneyCentsText(amounts->grossCents, m_currency));
    if (!chargesVat(taxCase) && taxCase != TaxCase::SmallBusiness)
        text += QStringLiteral("   (%1: ohne MwSt., Nettopreise)").arg(taxCaseLabel(taxCase));
    m_totals->setText(text);
    m_totals->setAccessibleName(text);
}

void TfrmBestellung::precheckShown()
{
    if (!hasOrder() || !saveOrder())
        return;
    const int id = currentOrderId();
    InvoiceIssuer issuer(m_db);
    issuer.setUnsaved(unsaved(id));
    QString error;
    const auto problems = issuer.precheck(id, &error);
    if (!problems) {
        m_questions.showError(this, kTitle, error);
        return;
    }
    if (problems->isEmpty())
        m_questions.showInformation(this, kTitle, precheckText(*problems));
    else
        m_questions.tell(this, QMessageBox::Warning, kTitle, precheckText(*problems));
}

int TfrmBestellung::currentLineRow() const
{
    QTreeWidgetItem *item = m_lineList->currentItem();
    if (!item)
        return m_lineList->topLevelItemCount() == 0 ? -1 : 0;
    return m_lineList->indexOfTopLevelItem(item);
}

bool TfrmBestellung::saveOrder(SaveMode mode)
{
    if (!hasOrder())
        return false;
    OrderBoxes boxes;
    boxes.rechNr = m_rechNr->text();
    boxes.zeit = m_zeit->text();
    boxes.firma = m_firma->text();
    boxes.vorname = m_vorname->text();
    boxes.nachname = m_nachname->text();
    boxes.strasse = m_strasse->text();
    boxes.plz = m_plz->text();
    boxes.ort = m_ort->text();
    boxes.telefon = m_telefon->text();
    boxes.email = m_email->text();
    boxes.homepage = m_homepage->text();
    boxes.kaeuferreferenz = m_kaeuferreferenz->text();
    boxes.bemerkung = m_bemerkung->toPlainText();
    boxes.ustIdNr = m_ustIdNr->text();
    boxes.emailERechnung = m_emailERechnung->text();
    boxes.lieferdatum = m_lieferdatum->text();
    boxes.steuerfall = m_steuerfall->currentIndex() >= 0 ? m_steuerfall->currentData().toString()
                                                         : shownOrder().steuerfall;
    if (m_status->currentIndex() >= 0)
        boxes.status = m_status->currentData().toInt();
    const auto refusal = m_session->takeBoxes(boxes);
    if (!refusal)
        return true;
    if (mode == SaveMode::Reporting)
        report(*refusal);
    return false;
}

void TfrmBestellung::report(const EditRefusal &refusal)
{
    if (refusal.databaseFailed) {
        m_questions.showError(this, kTitle, refusal.message);
        return;
    }
    m_questions.showInformation(this, kTitle, refusal.message);
    if (refusal.box == EditRefusal::Box::RechNr)
        m_rechNr->setFocus();
    else if (refusal.box == EditRefusal::Box::Zeit)
        m_zeit->setFocus();
    else if (refusal.box == EditRefusal::Box::Lieferdatum)
        m_lieferdatum->setFocus();
}

void TfrmBestellung::newOrderInEditor()
{
    if (!m_session || (hasOrder() && !saveOrder()))
        return;
    appendNewOrder();
}

void TfrmBestellung::addLine()
{
    if (!hasOrder() || m_session->issued() || !saveOrder())
        return;
    m_lineEditor->setLine(m_session->newLine());
    if (m_lineEditor->exec() != QDialog::Accepted)
        return;
    showLines(m_session->addLine(m_lineEditor->line()));
}

void TfrmBestellung::editLine()
{
    const int row = currentLineRow();
    if (!hasOrder() || row < 0 || row >= m_session->lines().size())
        return;
    if (m_session->issued()) {
        m_questions.showInformation(this, kTitle, m_session->issuedNote());
        return;
    }
    // "Abbrechen" leaves the line as it was, its options too.
    const TArtikel line = m_session->lines().at(row);
    m_lineEditor->setLine(line);
    if (m_lineEditor->exec() == QDialog::Accepted)
        m_session->replaceLine(m_lineEditor->line());
    showLines(line.id);
}

void TfrmBestellung::deleteLine()
{
    const int row = currentLineRow();
    if (!hasOrder() || row < 0 || row >= m_session->lines().size())
        return;
    if (m_session->issued()) {
        m_questions.showInformation(this, kTitle, m_session->issuedNote());
        return;
    }
    if (!m_questions.askYesNo(this, kTitle, QStringLiteral("Artikel wirklich löschen?")))
        return;
    m_session->removeLine(m_session->lines().at(row).id);
    showLines();
}

void TfrmBestellung::putOut(Output output)
{
    if (!hasOrder() || !saveOrder())
        return;
    // The preview shows the order as typed, as a draft; what goes out is
    // issued from the stored order, so changes are saved first.
    int id = currentOrderId();
    if (output != Output::Preview && m_session->orderChanged(id)) {
        if (!m_questions.askYesNo(
                this, kTitle,
                QStringLiteral("Die Rechnung wird aus der gespeicherten Bestellung ausgestellt. "
                               "Sollen Ihre Änderungen jetzt gespeichert werden?")))
            return;
        if (const auto refusal = m_session->save()) {
            report(*refusal);
            return;
        }
        QString error;
        const int stored = m_session->savedId(id);
        if (!m_session->startEdit(stored, &error)) {
            m_questions.showError(this, kTitle, error);
            showOrder();
            return;
        }
        id = stored;
        showOrder();
    }
    switch (output) {
    case Output::Preview:
        previewInvoice(this, m_db, id, m_questions, unsaved(id));
        break;
    case Output::Print:
        printInvoice(this, m_db, id, m_questions, unsaved(id));
        break;
    case Output::XRechnung:
        saveXRechnung(this, m_db, id, m_questions, unsaved(id));
        break;
    case Output::Zugferd:
        saveZugferd(this, m_db, id, m_questions, unsaved(id));
        break;
    }
    // Issued now: the order holds its number and date and is read-only.
    QString error;
    if (!m_session->reread(id, &error))
        m_questions.showError(this, kTitle, error);
    showOrder();
}

void TfrmBestellung::cancelShown(bool correct)
{
    if (!hasOrder() || !saveOrder())
        return;
    const int id = currentOrderId();
    if (m_session->orderChanged(id)) {
        m_questions.showInformation(
            this, kTitle,
            QStringLiteral("Die Bestellung hat Änderungen, die noch nicht gespeichert sind. "
                           "Bitte speichern Sie zuerst (Verlassen, \"Ja\")."));
        return;
    }
    const auto result = cancelInvoice(this, m_db, id, m_questions, correct);
    QString error;
    if (!m_session->reread(id, &error))
        m_questions.showError(this, kTitle, error);
    // The copy to correct is the order the editor works on next.
    if (result && result->copyId && !m_session->startEdit(result->copyId, &error))
        m_questions.showError(this, kTitle, error);
    showOrder();
}

void TfrmBestellung::leave()
{
    if (m_leaving)
        return;
    m_leaving = true;
    const UserQuestions::Answer answer = m_questions.askYesNoCancel(
        this, kTitle, QStringLiteral("Sollen Sie Änderungen gespeichert werden?"));
    switch (answer) {
    case UserQuestions::Answer::Yes:
        // What cannot be saved keeps the window open, so nothing typed is lost.
        if (!hasOrder() || saveOrder()) {
            const auto refusal = m_session ? m_session->save() : std::nullopt;
            if (refusal)
                report(*refusal);
            else
                QDialog::accept();
        }
        break;
    case UserQuestions::Answer::No:
        // Nothing of the stay was written; it is discarded.
        QDialog::reject();
        break;
    case UserQuestions::Answer::Cancel:
        saveOrder(SaveMode::Quiet);
        break;
    }
    m_leaving = false;
}

void TfrmBestellung::reject()
{
    // Escape and the close box ask like "Verlassen".
    leave();
}

void TfrmBestellung::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    rereadStates();
}

bool TfrmBestellung::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_lineList && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        // The number pad's Delete comes with the keypad modifier.
        if (key->key() == Qt::Key_Delete
            && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            deleteLine();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vq::invoice
