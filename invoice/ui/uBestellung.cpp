#include "uBestellung.h"

#include <utility>

#include "invoice_output_ui.h"
#include "invoice_view_format.h"
#include "uArtikel.h"
#include "uRechnungsvorlage.h"

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

QString customerName(const TBestellung &order)
{
    const QString person = QStringList{order.name, order.nachname}.join(QLatin1Char(' ')).trimmed();
    if (!person.isEmpty())
        return person;
    return order.firma.trimmed().isEmpty() ? QStringLiteral("ohne Namen") : order.firma.trimmed();
}
} // namespace

TfrmBestellung::TfrmBestellung(TInvoiceDatabase &db, TUserQuestions &questions,
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
    m_lineEditor = new TfrmArtikel(m_db, m_questions, this);
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
    connect(actVorlage, &QAction::triggered, this, [this] {
        if (m_orderId == 0 || !saveOrder())
            return;
        editInvoiceTemplate(this, m_db, m_mandantId, m_orderId, m_programFolder, m_questions);
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
    auto *lineLayout = new QVBoxLayout(lineGroup);
    lineLayout->addLayout(lineButtons);
    lineLayout->addWidget(m_lineList, 1);
    connect(add, &QPushButton::clicked, this, &TfrmBestellung::addLine);
    connect(edit, &QPushButton::clicked, this, &TfrmBestellung::editLine);
    connect(remove, &QPushButton::clicked, this, &TfrmBestellung::deleteLine);
    // Double-click and Enter (activating the row) edit it.
    connect(m_lineList, &QTreeWidget::itemActivated, this, &TfrmBestellung::editLine);
    // Delete in the list deletes the line.
    m_lineList->installEventFilter(this);

    auto *layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->setSpacing(4);
    layout->addWidget(toolBar);
    layout->addWidget(orderGroup);
    layout->addWidget(lineGroup, 1);

    // Tab order follows the layout: left column, right column, then the lines.
    QWidget *order[] = {
        m_rechNr, m_firma,           m_vorname, m_nachname,  m_strasse, m_plz,
        m_ort,    m_telefon,         m_email,   m_homepage,  m_zeit,    m_rechnungsdatum,
        m_status, m_kaeuferreferenz, m_ip,      m_bemerkung, add,       edit,
        remove,   m_lineList};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    resize(719, 520);
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
    if (m_order.mandantId != mandantId) {
        m_orderId = 0;
        showOrder(TBestellung());
    } else {
        rereadLines();
    }
}

bool TfrmBestellung::startNewOrder()
{
    if (m_mandantId == 0)
        return false;
    TBestellung order;
    order.mandantId = m_mandantId;
    order.zeit = QDateTime(m_today(), QTime(0, 0), Qt::UTC);
    order.status = kNewOrderState;
    const auto next = m_db.nextInvoiceNumberForClient(m_mandantId);
    if (!next) {
        m_questions.showError(
            this, kTitle,
            QStringLiteral("Die nächste Rechnungs-Nr. konnte nicht ermittelt werden: %1")
                .arg(m_db.lastError()));
        return false;
    }
    order.rechNr = *next;
    const auto id = m_db.insertOrder(order);
    if (!id) {
        m_questions.showError(this, kTitle,
                              QStringLiteral("Die neue Bestellung konnte nicht angelegt werden: %1")
                                  .arg(m_db.lastError()));
        return false;
    }
    order.id = *id;
    m_createdHere.insert(*id);
    m_orderId = *id;
    showOrder(order);
    m_firma->setFocus();
    return true;
}

bool TfrmBestellung::startEditOrder(int bestellungId)
{
    const auto order = m_db.order(bestellungId);
    if (!order || order->mandantId != m_mandantId)
        return false;
    m_orderId = order->id;
    showOrder(*order);
    m_firma->setFocus();
    return true;
}

int TfrmBestellung::currentOrderId() const
{
    return m_orderId;
}

void TfrmBestellung::reread()
{
    // Errors while re-reading are ignored: the editor keeps what it shows.
    if (m_orderId == 0)
        return;
    if (const auto order = m_db.order(m_orderId); order && order->mandantId == m_mandantId)
        showOrder(*order);
    else if (!order && m_db.lastError().isEmpty()) {
        m_orderId = 0;
        showOrder(TBestellung());
    }
}

void TfrmBestellung::showOrder(const TBestellung &order)
{
    m_order = order;
    m_rechNr->setText(order.rechNr ? QString::number(*order.rechNr) : QString());
    m_firma->setText(order.firma);
    m_vorname->setText(order.name);
    m_nachname->setText(order.nachname);
    m_strasse->setText(order.strasse);
    m_plz->setText(order.plz);
    m_ort->setText(order.ort);
    m_telefon->setText(order.telefon);
    m_email->setText(order.email);
    m_homepage->setText(order.homepage);
    m_shownZeit = orderDateText(order.zeit);
    m_zeit->setText(m_shownZeit);
    m_rechnungsdatum->setText(order.rechnungsdatum.isValid()
                                  ? order.rechnungsdatum.toString(QStringLiteral("dd.MM.yyyy"))
                                  : QString());
    m_kaeuferreferenz->setText(order.kaeuferreferenz);
    m_bemerkung->setPlainText(order.bemerkung);
    m_ip->setText(order.ip);
    if (m_status->count() == 0)
        rereadStates();
    m_status->setCurrentIndex(m_status->findData(order.status));
    rereadLines();
}

void TfrmBestellung::rereadStates()
{
    const QVariant shown =
        m_status->currentIndex() >= 0 ? m_status->currentData() : QVariant(m_order.status);
    const auto states = m_db.states();
    if (!states)
        return;
    m_status->clear();
    for (const StatusRow &state : *states)
        m_status->addItem(state.status, state.id);
    m_status->setCurrentIndex(m_status->findData(shown));
}

void TfrmBestellung::rereadLines(int selectLineId)
{
    int keepRow = currentLineRow();
    m_lineList->clear();
    m_lines.clear();
    if (m_orderId == 0)
        return;
    if (auto lines = m_db.linesWithOptions(m_orderId))
        m_lines = *lines;
    // Line totals by the money rule, as the invoice prints them.
    const auto amounts = orderAmounts(m_order, m_lines, nullptr);
    QList<QTreeWidgetItem *> items;
    items.reserve(m_lines.size());
    for (int row = 0; row < m_lines.size(); ++row) {
        const TArtikel &line = m_lines.at(row);
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
}

int TfrmBestellung::currentLineRow() const
{
    QTreeWidgetItem *item = m_lineList->currentItem();
    if (!item)
        return m_lines.isEmpty() ? -1 : 0;
    return m_lineList->indexOfTopLevelItem(item);
}

bool TfrmBestellung::saveOrder(SaveMode mode)
{
    if (m_orderId == 0)
        return false;
    const bool reporting = mode == SaveMode::Reporting;
    const auto refuse = [&](QWidget *box, const QString &message) {
        if (reporting) {
            m_questions.showInformation(this, kTitle, message);
            box->setFocus();
        }
        return false;
    };
    // Columns the editor does not show (and the invoice date, which printing
    // sets) are taken as the database holds them now.
    auto stored = m_db.order(m_orderId);
    if (!stored) {
        if (reporting)
            m_questions.showError(
                this, kTitle,
                QStringLiteral("Die Bestellung konnte nicht gespeichert werden: %1")
                    .arg(m_db.lastError().isEmpty()
                             ? QStringLiteral("Sie ist nicht mehr in der Datenbank.")
                             : m_db.lastError()));
        return false;
    }
    TBestellung order = *stored;

    const QString rechNrText = m_rechNr->text().trimmed();
    if (m_order.rechNr && rechNrText == QString::number(*m_order.rechNr)) {
        // A number the box could not take by typing (0 or below, from an old
        // database) stays as it is while its text is not changed.
        order.rechNr = m_order.rechNr;
    } else if (rechNrText.isEmpty()) {
        order.rechNr.reset();
    } else {
        bool ok = false;
        const qint64 number = rechNrText.toLongLong(&ok);
        if (!ok || number < 1 || number > std::numeric_limits<int>::max())
            return refuse(m_rechNr,
                          QStringLiteral("Bitte geben Sie als Rechnungs-Nr. eine ganze Zahl von 1 "
                                         "bis %1 ein oder lassen Sie das Feld leer.")
                              .arg(std::numeric_limits<int>::max()));
        order.rechNr = int(number);
    }
    // An invoice number names one invoice of the client: a number typed in
    // that another order holds is refused. A number an order already had
    // when it came in is its own; an old database may hold it twice.
    if (order.rechNr && (order.rechNr != m_order.rechNr || m_createdHere.contains(m_orderId))) {
        const auto other = m_db.orderWithInvoiceNumber(m_mandantId, *order.rechNr, m_orderId);
        if (!other && !m_db.lastError().isEmpty()) {
            if (reporting)
                m_questions.showError(
                    this, kTitle,
                    QStringLiteral("Die Rechnungs-Nr. konnte nicht geprüft werden: %1")
                        .arg(m_db.lastError()));
            return false;
        }
        if (other) {
            const QString date = other->zeit.isValid() ? QStringLiteral(" vom %1").arg(
                                     other->zeit.date().toString(QStringLiteral("dd.MM.yyyy")))
                                                       : QString();
            return refuse(
                m_rechNr,
                QStringLiteral("Die Rechnungs-Nr. %1 hat bereits die Bestellung %2 (%3%4). "
                               "Eine Rechnungs-Nr. darf nur einmal vergeben werden; bitte "
                               "geben Sie eine andere ein.")
                    .arg(*order.rechNr)
                    .arg(other->id)
                    .arg(customerName(*other), date));
        }
    }

    if (m_zeit->text() != m_shownZeit) {
        bool ok = false;
        const QDateTime zeit = orderDateFromText(m_zeit->text(), &ok);
        if (!ok)
            return refuse(m_zeit,
                          QStringLiteral("„%1“ ist kein gültiges Bestelldatum. Bitte geben Sie "
                                         "es als Tag.Monat.Jahr ein, zum Beispiel 24.12.2026.")
                              .arg(m_zeit->text().left(100)));
        order.zeit = zeit;
    } else {
        order.zeit = m_order.zeit;
    }

    order.firma = m_firma->text();
    order.name = m_vorname->text();
    order.nachname = m_nachname->text();
    order.strasse = m_strasse->text();
    order.plz = m_plz->text();
    order.ort = m_ort->text();
    order.telefon = m_telefon->text();
    order.email = m_email->text();
    order.homepage = m_homepage->text();
    order.kaeuferreferenz = m_kaeuferreferenz->text();
    order.bemerkung = m_bemerkung->toPlainText();
    if (m_status->currentIndex() >= 0)
        order.status = m_status->currentData().toInt();

    // In a level of its own: a write the server refuses (another user holding
    // the order) must not take the stay's earlier work with it.
    const int depth = m_db.transactionDepth();
    if (!m_db.begin() || !m_db.updateOrder(order) || !m_db.commit()) {
        const QString reason = m_db.lastError();
        if (m_db.transactionDepth() > depth)
            m_db.rollback();
        if (reporting)
            m_questions.showError(
                this, kTitle,
                QStringLiteral("Die Bestellung konnte nicht gespeichert werden: %1").arg(reason));
        return false;
    }
    m_order = order;
    m_shownZeit = m_zeit->text();
    m_rechnungsdatum->setText(order.rechnungsdatum.isValid()
                                  ? order.rechnungsdatum.toString(QStringLiteral("dd.MM.yyyy"))
                                  : QString());
    return true;
}

void TfrmBestellung::newOrderInEditor()
{
    if (m_orderId != 0 && !saveOrder())
        return;
    startNewOrder();
}

bool TfrmBestellung::lineTransactionEnds(bool commit)
{
    if (commit && m_db.commit())
        return true;
    const QString reason = m_db.lastError();
    if (!m_db.rollback() || commit)
        m_questions.showError(
            this, kTitle,
            QStringLiteral("Der Artikel konnte nicht gespeichert werden: %1").arg(reason));
    return false;
}

void TfrmBestellung::addLine()
{
    if (m_orderId == 0 || !saveOrder())
        return;
    if (!m_db.begin()) {
        m_questions.showError(
            this, kTitle,
            QStringLiteral("Der Artikel konnte nicht angelegt werden: %1").arg(m_db.lastError()));
        return;
    }
    TArtikel line;
    line.bestellungId = m_orderId;
    line.anzahl = 1;
    line.mwst = 19;
    const auto id = m_db.insertLine(line);
    if (!id) {
        const QString reason = m_db.lastError();
        m_db.rollback();
        m_questions.showError(
            this, kTitle,
            QStringLiteral("Der Artikel konnte nicht angelegt werden: %1").arg(reason));
        return;
    }
    line.id = *id;
    m_lineEditor->setLine(line);
    const bool ok = m_lineEditor->exec() == QDialog::Accepted;
    lineTransactionEnds(ok);
    rereadLines(ok ? line.id : 0);
}

void TfrmBestellung::editLine()
{
    const int row = currentLineRow();
    if (m_orderId == 0 || row < 0 || row >= m_lines.size())
        return;
    // "Abbrechen" undoes everything done in the line editor, its options too.
    if (!m_db.begin()) {
        m_questions.showError(
            this, kTitle,
            QStringLiteral("Der Artikel kann nicht bearbeitet werden: %1").arg(m_db.lastError()));
        return;
    }
    const int lineId = m_lines.at(row).id;
    m_lineEditor->setLine(m_lines.at(row));
    lineTransactionEnds(m_lineEditor->exec() == QDialog::Accepted);
    rereadLines(lineId);
}

void TfrmBestellung::deleteLine()
{
    const int row = currentLineRow();
    if (m_orderId == 0 || row < 0 || row >= m_lines.size())
        return;
    if (!m_questions.askYesNo(this, kTitle, QStringLiteral("Artikel wirklich löschen?")))
        return;
    if (!m_db.deleteLine(m_lines.at(row).id))
        m_questions.showError(
            this, kTitle,
            QStringLiteral("Der Artikel konnte nicht gelöscht werden: %1").arg(m_db.lastError()));
    rereadLines();
}

QHash<int, QDate> TfrmBestellung::takeInvoiceDatesOfStay()
{
    return std::exchange(m_invoiceDatesOfStay, {});
}

void TfrmBestellung::putOut(Output output)
{
    if (m_orderId == 0 || !saveOrder())
        return;
    switch (output) {
    case Output::Preview:
        previewInvoice(this, m_db, m_orderId, m_questions);
        break;
    case Output::Print:
        printInvoice(this, m_db, m_orderId, m_questions);
        break;
    case Output::XRechnung:
        saveXRechnung(this, m_db, m_orderId, m_questions);
        break;
    case Output::Zugferd:
        saveZugferd(this, m_db, m_orderId, m_questions);
        break;
    }
    // Putting it out gives the order its invoice date (a refused or
    // cancelled e-invoice does not).
    if (const auto stored = m_db.order(m_orderId)) {
        if (stored->rechnungsdatum.isValid())
            m_invoiceDatesOfStay.insert(m_orderId, stored->rechnungsdatum);
        m_order.rechnungsdatum = stored->rechnungsdatum;
        m_rechnungsdatum->setText(
            stored->rechnungsdatum.isValid()
                ? stored->rechnungsdatum.toString(QStringLiteral("dd.MM.yyyy"))
                : QString());
    }
}

void TfrmBestellung::leave()
{
    if (m_leaving)
        return;
    m_leaving = true;
    const TUserQuestions::Answer answer = m_questions.askYesNoCancel(
        this, kTitle, QStringLiteral("Sollen Sie Änderungen gespeichert werden?"));
    switch (answer) {
    case TUserQuestions::Answer::Yes:
        // What cannot be saved keeps the window open, so nothing typed is lost.
        if (m_orderId == 0 || saveOrder())
            QDialog::accept();
        break;
    case TUserQuestions::Answer::No:
        // The caller rolls back everything done since the window opened.
        QDialog::reject();
        break;
    case TUserQuestions::Answer::Cancel:
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
