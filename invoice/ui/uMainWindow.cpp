#include "invoice/ui/uMainWindow.h"

#include "invoice/db/order_store.h"
#include "invoice/ui/invoice_help.h"

#include "common/GlobalFunctions.h"
#include "common_ui/plain_text.h"
#include "invoice/ui/invoice_output_ui.h"
#include "invoice/ui/uAbout.h"
#include "invoice/ui/uBestellung.h"
#include "invoice/ui/uMailImport.h"
#include "invoice/ui/uMandanten.h"
#include "invoice/ui/uRechnungsvorlage.h"
#include "invoice/ui/uStatus.h"
#include "invoice/ui_logic/invoice_view_format.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace vq::invoice {

namespace {

const QString kCaption = QStringLiteral("VQ-Bestellformular Rechnungsmodul V")
                         + QString::fromUtf16(kInvoiceModuleVersion);

} // namespace

// Main window -----------------------------------------------------------------

TfrmMainWindow::TfrmMainWindow(InvoiceConnection &db, UserQuestions &questions,
                               QString programFolder, QWidget *parent)
    : QMainWindow(parent)
    , m_db(db)
    , m_questions(questions)
    , m_programFolder(std::move(programFolder))
    , m_current(db, m_programFolder)
{
    setObjectName(QStringLiteral("frmMainWindow"));
    setWindowTitle(kCaption);

    m_model = new OrderListModel(this);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("grdBestellungen"));
    m_grid->setAccessibleName(QStringLiteral("Bestellungen"));
    m_grid->setModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setAlternatingRowColors(true);
    m_grid->setWordWrap(false);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 8);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->horizontalHeader()->setHighlightSections(false);
    for (int column = 0; column < OrderListModel::ColumnCount; ++column)
        m_grid->setColumnWidth(column, OrderListModel::columnWidth(column));
    setCentralWidget(m_grid);

    m_editor = new TfrmBestellung(m_db, m_questions, m_programFolder, this);
    // F1 in any window of the program: the section about that window.
    new ui::HelpKey([this](QWidget *from) { invoiceHelp(m_programFolder).open(m_questions, from); },
                    this);

    buildCommands();
    buildMenus();
    buildToolBar();

    m_statusClient = new QLabel(this);
    m_statusClient->setObjectName(QStringLiteral("lblMandant"));
    m_statusClient->setTextFormat(Qt::PlainText);
    m_statusCount = new QLabel(this);
    m_statusCount->setObjectName(QStringLiteral("lblAnzahl"));
    statusBar()->setObjectName(QStringLiteral("stbStatus"));
    statusBar()->addWidget(m_statusClient, 1);
    statusBar()->addPermanentWidget(m_statusCount);

    connect(m_grid, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            editOrder();
    });
    // Enter on a row edits it, as the double-click does.
    m_grid->installEventFilter(this);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { updateCommands(); });

    resize(831, 600);
    if (const QScreen *screen = QApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        resize(size().boundedTo(area.size()));
        move(area.center() - rect().center());
    }
    reread();
}

TfrmMainWindow::~TfrmMainWindow() = default;

QAction *TfrmMainWindow::addCommand(const char *name, const QString &text, const QString &hint,
                                    const QString &themeIcon, int standardIcon)
{
    auto *action = new QAction(text, this);
    action->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty()) {
        action->setToolTip(hint);
        action->setStatusTip(hint);
    }
    action->setIcon(QIcon::fromTheme(
        themeIcon, style()->standardIcon(static_cast<QStyle::StandardPixmap>(standardIcon))));
    return action;
}

void TfrmMainWindow::buildCommands()
{
    actNeu = addCommand("actNeu", QStringLiteral("Neu"), QStringLiteral("Neu"),
                        QStringLiteral("document-new"), QStyle::SP_FileIcon);
    actNeu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    actBearbeiten =
        addCommand("actBearbeiten", QStringLiteral("Bearbeiten"), QStringLiteral("Bearbeiten"),
                   QStringLiteral("document-edit"), QStyle::SP_FileDialogDetailedView);
    actLoeschen = addCommand("actLoeschen", QStringLiteral("Löschen"), QStringLiteral("Löschen"),
                             QStringLiteral("edit-delete"), QStyle::SP_TrashIcon);
    actLoeschen->setShortcut(QKeySequence::Delete);
    actDrucken = addCommand("actDrucken", QStringLiteral("Drucken"), QStringLiteral("Drucken"),
                            QStringLiteral("document-print"), QStyle::SP_DialogSaveButton);
    actDrucken->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    if (!QIcon::hasThemeIcon(QStringLiteral("document-print")))
        actDrucken->setIcon(printerIcon(palette()));
    actVorschau =
        addCommand("actVorschau", QStringLiteral("Vorschau"), QStringLiteral("Vorschau Rechnung"),
                   QStringLiteral("document-print-preview"), QStyle::SP_FileDialogContentsView);
    actXRechnung = addCommand("actXRechnung", QStringLiteral("E-Rechnung (XRechnung) speichern"),
                              QString(), QStringLiteral("text-xml"), QStyle::SP_FileIcon);
    actZugferd = addCommand("actZugferd", QStringLiteral("E-Rechnung (ZUGFeRD-PDF) speichern"),
                            QString(), QStringLiteral("application-pdf"), QStyle::SP_FileIcon);
    actMandantWechseln = addCommand("actMandantWechseln", QStringLiteral("Mandant wechseln"),
                                    QStringLiteral("Mandant wechseln"),
                                    QStringLiteral("system-users"), QStyle::SP_DirHomeIcon);
    actMandantenVerwalten =
        addCommand("actMandantenVerwalten", QStringLiteral("Mandanten verwalten"), QString(),
                   QStringLiteral("contact-new"), QStyle::SP_FileDialogListView);
    actEinlesen = addCommand("actEinlesen", QStringLiteral("Bestellungen einlesen"),
                             QStringLiteral("Bestellungen einlesen"),
                             QStringLiteral("mail-receive"), QStyle::SP_DriveNetIcon);
    actErster = addCommand("actErster", QStringLiteral("Erster Datensatz"),
                           QStringLiteral("Gehe zu erster Bestellung"), QStringLiteral("go-first"),
                           QStyle::SP_MediaSkipBackward);
    actZurueck = addCommand("actZurueck", QStringLiteral("Bestellung zurück"),
                            QStringLiteral("Bestellung zurück"), QStringLiteral("go-previous"),
                            QStyle::SP_MediaSeekBackward);
    actNaechster = addCommand("actNaechster", QStringLiteral("Nächste Bestellung"),
                              QStringLiteral("Nächste Bestellung"), QStringLiteral("go-next"),
                              QStyle::SP_MediaSeekForward);
    actLetzter = addCommand("actLetzter", QStringLiteral("Zu neuester Bestellung springen"),
                            QStringLiteral("Zu neuester Bestellung springen"),
                            QStringLiteral("go-last"), QStyle::SP_MediaSkipForward);
    actHilfe = addCommand("actHilfe", QStringLiteral("Hilfe"), QStringLiteral("Hilfe"),
                          QStringLiteral("help-contents"), QStyle::SP_DialogHelpButton);
    actHilfe->setShortcut(QKeySequence::HelpContents);
    actBeenden = addCommand("actBeenden", QStringLiteral("Beenden"), QStringLiteral("Beenden"),
                            QStringLiteral("application-exit"), QStyle::SP_DialogCloseButton);
    actVorlageBearbeiten =
        addCommand("actVorlageBearbeiten", QStringLiteral("Rechnungsvorlage bearbeiten"), QString(),
                   QStringLiteral("document-properties"), QStyle::SP_FileDialogInfoView);
    actVorlageZuruecksetzen =
        addCommand("actVorlageZuruecksetzen", QStringLiteral("Rechnungsvorlage zurücksetzen"),
                   QString(), QStringLiteral("document-revert"), QStyle::SP_BrowserReload);
    actStatus = addCommand("actStatus", QStringLiteral("Status bearbeiten"), QString(),
                           QStringLiteral("view-list-details"), QStyle::SP_FileDialogListView);
    // No Microsoft Access here: the entry names the database and opens a file one.
    actDatenbank = addCommand("actDatenbank", QStringLiteral("Datenbank aufrufen"),
                              QStringLiteral("Datenbank aufrufen"),
                              QStringLiteral("server-database"), QStyle::SP_DriveHDIcon);
    actDatenverzeichnis =
        addCommand("actDatenverzeichnis", QStringLiteral("Datenverzeichnis öffnen"), QString(),
                   QStringLiteral("folder-open"), QStyle::SP_DirOpenIcon);
    actUeber = addCommand("actUeber", QStringLiteral("Über diese Anwendung"), QString(),
                          QStringLiteral("help-about"), QStyle::SP_MessageBoxInformation);

    actStornieren =
        addCommand("actStornieren", QStringLiteral("Stornieren"),
                   QStringLiteral("Stornorechnung zur ausgestellten Rechnung erstellen"),
                   QStringLiteral("edit-undo"), QStyle::SP_DialogDiscardButton);
    actKorrigieren =
        addCommand("actKorrigieren", QStringLiteral("Korrigieren"),
                   QStringLiteral("Rechnung stornieren und eine Kopie zum Bearbeiten anlegen"),
                   QStringLiteral("edit-copy"), QStyle::SP_FileDialogNewFolder);
    actPruefen = addCommand("actPruefen", QStringLiteral("Prüfen"),
                            QStringLiteral("Protokoll und Archiv der Rechnungen prüfen"),
                            QStringLiteral("security-high"), QStyle::SP_DialogApplyButton);
    connect(actStornieren, &QAction::triggered, this, [this] { cancelOrder(false); });
    connect(actKorrigieren, &QAction::triggered, this, [this] { cancelOrder(true); });
    connect(actPruefen, &QAction::triggered, this, &TfrmMainWindow::checkRecordsOfAll);
    connect(actNeu, &QAction::triggered, this, &TfrmMainWindow::newOrder);
    connect(actBearbeiten, &QAction::triggered, this, &TfrmMainWindow::editOrder);
    connect(actLoeschen, &QAction::triggered, this, &TfrmMainWindow::deleteOrder);
    connect(actDrucken, &QAction::triggered, this, &TfrmMainWindow::printOrder);
    connect(actVorschau, &QAction::triggered, this, &TfrmMainWindow::previewOrder);
    connect(actXRechnung, &QAction::triggered, this, &TfrmMainWindow::saveXRechnungOfOrder);
    connect(actZugferd, &QAction::triggered, this, &TfrmMainWindow::saveZugferdOfOrder);
    connect(actMandantWechseln, &QAction::triggered, this, &TfrmMainWindow::changeClient);
    connect(actMandantenVerwalten, &QAction::triggered, this, &TfrmMainWindow::manageClients);
    connect(actEinlesen, &QAction::triggered, this, &TfrmMainWindow::importOrders);
    connect(actErster, &QAction::triggered, this, [this] { goToRow(0); });
    connect(actZurueck, &QAction::triggered, this, [this] { goToRow(currentRow() - 1); });
    connect(actNaechster, &QAction::triggered, this, [this] { goToRow(currentRow() + 1); });
    connect(actLetzter, &QAction::triggered, this, [this] { goToRow(m_model->rowCount() - 1); });
    connect(actHilfe, &QAction::triggered, this, &TfrmMainWindow::showHelp);
    connect(actBeenden, &QAction::triggered, this, &QWidget::close);
    connect(actVorlageBearbeiten, &QAction::triggered, this, &TfrmMainWindow::editTemplate);
    connect(actVorlageZuruecksetzen, &QAction::triggered, this, &TfrmMainWindow::resetTemplate);
    connect(actStatus, &QAction::triggered, this, &TfrmMainWindow::editStates);
    connect(actDatenbank, &QAction::triggered, this, &TfrmMainWindow::showDatabase);
    connect(actDatenverzeichnis, &QAction::triggered, this, &TfrmMainWindow::openDataFolder);
    connect(actUeber, &QAction::triggered, this, &TfrmMainWindow::showAbout);
}

void TfrmMainWindow::buildMenus()
{
    menuBar()->setObjectName(QStringLiteral("mnuHaupt"));
    QMenu *file = menuBar()->addMenu(QStringLiteral("&Datei"));
    file->setObjectName(QStringLiteral("mnuDatei"));
    file->addActions({actNeu, actBearbeiten, actLoeschen});
    file->addSeparator();
    file->addActions({actEinlesen, actVorschau});
    file->addSeparator();
    file->addActions({actDrucken, actXRechnung, actZugferd});
    file->addSeparator();
    file->addActions({actStornieren, actKorrigieren, actPruefen});
    file->addSeparator();
    file->addAction(actBeenden);

    QMenu *settings = menuBar()->addMenu(QStringLiteral("Ein&stellungen"));
    settings->setObjectName(QStringLiteral("mnuEinstellungen"));
    settings->addActions({actMandantWechseln, actMandantenVerwalten});
    settings->addSeparator();
    settings->addActions({actVorlageBearbeiten, actVorlageZuruecksetzen});
    settings->addSeparator();
    settings->addAction(actStatus);
    settings->addSeparator();
    settings->addAction(actDatenbank);
    settings->addSeparator();
    settings->addAction(actDatenverzeichnis);

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Hilfe"));
    help->setObjectName(QStringLiteral("mnuHilfe"));
    help->addActions({actHilfe, actUeber});
}

void TfrmMainWindow::buildToolBar()
{
    m_toolBar = addToolBar(QStringLiteral("Werkzeugleiste"));
    m_toolBar->setObjectName(QStringLiteral("tbrHaupt"));
    m_toolBar->setMovable(false);
    m_toolBar->addActions({actNeu, actBearbeiten, actLoeschen});
    m_toolBar->addSeparator();
    m_toolBar->addActions({actDrucken, actVorschau});
    m_toolBar->addSeparator();
    m_toolBar->addAction(actMandantWechseln);
    m_toolBar->addSeparator();
    m_toolBar->addAction(actEinlesen);
    m_toolBar->addSeparator();
    m_toolBar->addActions({actErster, actZurueck, actNaechster, actLetzter});
    m_toolBar->addSeparator();
    m_toolBar->addAction(actHilfe);
    m_toolBar->addSeparator();
    m_toolBar->addAction(actBeenden);
    for (QAction *action : m_toolBar->actions()) {
        if (auto *button = qobject_cast<QToolButton *>(m_toolBar->widgetForAction(action))) {
            button->setObjectName(QStringLiteral("btn") + action->objectName().mid(3));
            button->setAccessibleName(action->toolTip());
        }
    }
}

bool TfrmMainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        // The number pad's Enter comes with the keypad modifier.
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            editOrder();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_firstShow)
        return;
    m_firstShow = false;
    // The selection comes once the window stands, so the user sees what it is for.
    QTimer::singleShot(0, this, &TfrmMainWindow::changeClient);
}

int TfrmMainWindow::currentRow() const
{
    const QModelIndex index = m_grid->currentIndex();
    return index.isValid() ? index.row() : -1;
}

bool TfrmMainWindow::goToRow(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return false;
    const QModelIndex index = m_model->index(row, 0);
    m_grid->setCurrentIndex(index);
    m_grid->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect
                                                | QItemSelectionModel::Rows);
    m_grid->scrollTo(index);
    updateCommands();
    return true;
}

int TfrmMainWindow::selectedOrderId() const
{
    const int row = currentRow();
    return row >= 0 && row < m_model->rows().size() ? m_model->rows().at(row).bestellungId : 0;
}

void TfrmMainWindow::reread()
{
    const int row = currentRow();
    if (!m_current.isSet()) {
        m_clientKnown = false;
        m_model->setRows({}, m_currency);
    } else if (const auto client = m_current.data()) {
        m_clientKnown = true;
        m_currency = client->waehrung;
        m_clientName = !client->firma.trimmed().isEmpty()
                           ? client->firma.trimmed()
                           : QStringList{client->vorname.trimmed(), client->name.trimmed()}
                                 .join(u' ')
                                 .trimmed();
    } else if (m_db.lastError().isEmpty()) {
        // The client was deleted in the client manager: it has no orders to show.
        m_clientKnown = false;
        m_model->setRows({}, m_currency);
    } else {
        // The list is not shown as if it were current: it is emptied and the
        // reason said.
        m_clientKnown = false;
        m_model->setRows({}, m_currency);
        reportReadFailure(
            QStringLiteral("Der Mandant kann nicht gelesen werden:\n%1").arg(m_db.lastError()));
    }
    if (m_clientKnown) {
        if (auto rows = OrderStore(m_db).orderList(m_current.id())) {
            m_model->setRows(std::move(*rows), m_currency);
        } else {
            m_model->setRows({}, m_currency);
            reportReadFailure(
                QStringLiteral("Die Liste der Bestellungen kann nicht gelesen werden:\n%1")
                    .arg(m_db.lastError()));
        }
        m_editor->setClient(m_current.id(), m_currency);
    }
    if (!goToRow(row))
        goToRow(row < 0 ? 0 : m_model->rowCount() - 1);
    updateStatusBar();
    updateCommands();
}

void TfrmMainWindow::updateCommands()
{
    const bool client = m_clientKnown && !m_busy;
    const bool order = client && selectedOrderId() > 0;
    const int row = currentRow();
    const int rows = m_model->rowCount();
    actNeu->setEnabled(client);
    actEinlesen->setEnabled(client);
    for (QAction *action : {actBearbeiten, actLoeschen, actDrucken, actVorschau, actXRechnung,
                            actZugferd, actStornieren, actKorrigieren})
        action->setEnabled(order);
    actPruefen->setEnabled(!m_busy);
    actVorlageBearbeiten->setEnabled(client);
    actVorlageZuruecksetzen->setEnabled(client);
    actErster->setEnabled(rows > 0 && row != 0);
    actZurueck->setEnabled(row > 0);
    actNaechster->setEnabled(rows > 0 && row < rows - 1);
    actLetzter->setEnabled(rows > 0 && row != rows - 1);
}

void TfrmMainWindow::updateStatusBar()
{
    if (!m_clientKnown) {
        m_statusClient->setText(QStringLiteral("Kein Mandant gewählt"));
        m_statusCount->clear();
        return;
    }
    const QString name = m_clientName.isEmpty() ? QStringLiteral("ohne Namen") : m_clientName;
    vq::ui::setPlainLine(
        *m_statusClient,
        QStringLiteral("Mandant %1: %2").arg(m_current.id()).arg(vq::ui::shownLine(name, 200)));
    const int count = m_model->rowCount();
    m_statusCount->setText(count == 1 ? QStringLiteral("1 Bestellung")
                                      : QStringLiteral("%1 Bestellungen").arg(count));
}

void TfrmMainWindow::changeClient()
{
    if (m_busy)
        return;
    m_busy = true;
    {
        TfrmMandantWahl selection(m_db, m_current, m_questions, m_programFolder, this);
        selection.exec();
    }
    m_busy = false;
    // reread() takes the client's currency for the list and the order editor.
    reread();
    goToRow(0);
}

void TfrmMainWindow::runOrderEditor(int orderId)
{
    if (m_busy || !m_clientKnown)
        return;
    const QString title = QStringLiteral("Bestellung verwalten");
    const int row = currentRow();
    m_busy = true;
    updateCommands();
    m_editor->setClient(m_current.id(), m_currency);
    // The stay holds no lock while the user types: the editor saves
    // everything at once on "Ja" and discards it on "Nein".
    const bool started =
        orderId > 0 ? m_editor->startEditOrder(orderId) : m_editor->startNewOrder();
    if (!started) {
        const QString reason = m_editor->startError();
        const QString what =
            orderId > 0 ? QStringLiteral("Die Bestellung kann nicht geöffnet werden.")
                        : QStringLiteral("Die neue Bestellung kann nicht angelegt werden.");
        m_questions.showError(this, title, reason.isEmpty() ? what : what + u'\n' + reason);
    } else {
        m_editor->exec();
        m_editor->endStay();
    }
    m_busy = false;
    reread();
    goToRow(row); // a row that is gone is no fault
}

void TfrmMainWindow::reportReadFailure(const QString &message)
{
    // One message per failure, not one for every row the list would have had.
    if (m_reportingReadFailure)
        return;
    m_reportingReadFailure = true;
    m_questions.showError(this, kCaption, message);
    m_reportingReadFailure = false;
}

void TfrmMainWindow::newOrder()
{
    runOrderEditor(0);
}

void TfrmMainWindow::editOrder()
{
    if (const int id = selectedOrderId())
        runOrderEditor(id);
}

void TfrmMainWindow::deleteOrder()
{
    const int id = selectedOrderId();
    if (m_busy || !m_clientKnown || id <= 0)
        return;
    const int row = currentRow();
    if (!m_questions.askYesNo(this, QStringLiteral("Bestellung löschen"),
                              QStringLiteral("Bestellung wirklich löschen?")))
        return;
    if (!OrderStore(m_db).deleteOrder(id)) {
        const QString reason = m_db.lastError();
        m_questions.showError(
            this, QStringLiteral("Bestellung löschen"),
            QStringLiteral("Fehler beim löschen des Datensatzes")
                + (reason.isEmpty() ? QString() : QStringLiteral("\n\n") + reason));
    }
    reread();
    if (!goToRow(row))
        goToRow(m_model->rowCount() - 1);
}

void TfrmMainWindow::printOrder()
{
    if (const int id = selectedOrderId(); id > 0 && !m_busy)
        printInvoice(this, m_db, id, m_questions);
}

void TfrmMainWindow::previewOrder()
{
    if (const int id = selectedOrderId(); id > 0 && !m_busy)
        previewInvoice(this, m_db, id, m_questions);
}

void TfrmMainWindow::saveXRechnungOfOrder()
{
    const int id = selectedOrderId();
    if (id <= 0 || m_busy)
        return;
    const int row = currentRow();
    saveXRechnung(this, m_db, id, m_questions);
    // Putting the invoice out fixes its date.
    reread();
    goToRow(row);
}

void TfrmMainWindow::cancelOrder(bool correct)
{
    const int id = selectedOrderId();
    if (id <= 0 || m_busy)
        return;
    const auto result = cancelInvoice(this, m_db, id, m_questions, correct);
    reread();
    if (!result)
        return;
    // The copy to correct opens in the editor at once.
    if (result->copyId)
        runOrderEditor(result->copyId);
}

void TfrmMainWindow::checkRecordsOfAll()
{
    if (!m_busy)
        checkInvoiceRecords(this, m_db, m_questions);
}

void TfrmMainWindow::saveZugferdOfOrder()
{
    const int id = selectedOrderId();
    if (id <= 0 || m_busy)
        return;
    const int row = currentRow();
    saveZugferd(this, m_db, id, m_questions);
    reread();
    goToRow(row);
}

void TfrmMainWindow::manageClients()
{
    if (m_busy)
        return;
    const int row = currentRow();
    m_busy = true;
    {
        TfrmMandanten manager(m_db, m_questions, this);
        manager.exec();
    }
    m_busy = false;
    reread();
    goToRow(row);
}

void TfrmMainWindow::importOrders()
{
    if (m_busy || !m_clientKnown)
        return;
    m_busy = true;
    updateCommands();
    {
        TfrmMailImport import(m_db, m_current.id(), m_questions, this);
        import.exec();
    }
    m_busy = false;
    reread();
    goToRow(m_model->rowCount() - 1);
}

void TfrmMainWindow::editTemplate()
{
    if (m_busy || !m_clientKnown)
        return;
    editInvoiceTemplate(this, m_db, m_current.id(), selectedOrderId(), m_programFolder,
                        m_questions);
}

void TfrmMainWindow::resetTemplate()
{
    if (m_busy || !m_clientKnown)
        return;
    resetInvoiceTemplate(this, m_current.id(), m_programFolder, m_questions);
}

void TfrmMainWindow::editStates()
{
    if (m_busy)
        return;
    const int row = currentRow();
    m_busy = true;
    {
        TfrmStatus states(m_db, m_questions, this);
        states.exec();
    }
    m_busy = false;
    reread();
    goToRow(row);
}

void TfrmMainWindow::showDatabase()
{
    const QString title = QStringLiteral("Datenbank aufrufen");
    const DatabaseLocation where = m_db.location();
    if (where.dialect != SqlDialect::SQLite) {
        m_questions.showInformation(
            this, title,
            QStringLiteral("Die Daten des Rechnungsmoduls liegen in der PostgreSQL-Datenbank "
                           "„%1“ auf dem Server %2:%3.\n\nÖffnen Sie sie mit einem "
                           "Datenbankprogramm Ihrer Wahl.")
                .arg(where.name, where.host.isEmpty() ? QStringLiteral("localhost") : where.host)
                .arg(where.port));
        return;
    }
    const QString file = QDir::toNativeSeparators(where.file);
    m_questions.showInformation(
        this, title,
        QStringLiteral("Die Daten des Rechnungsmoduls liegen in der SQLite-Datenbank\n%1\n\n"
                       "Sie wird jetzt mit dem Programm geöffnet, das Ihr System für "
                       "solche Dateien vorsieht. Ändern Sie dort nichts, solange das "
                       "Rechnungsmodul läuft.")
            .arg(file));
    if (!m_questions.openWithSystem(this, where.file))
        m_questions.showError(
            this, title,
            QStringLiteral("Für SQLite-Datenbanken ist auf diesem System kein Programm "
                           "eingerichtet. Die Datei liegt unter\n%1")
                .arg(file));
}

void TfrmMainWindow::openDataFolder()
{
    const QString folder = vq::appDataFolder();
    QDir().mkpath(folder);
    if (!m_questions.openWithSystem(this, folder))
        m_questions.showError(this, QStringLiteral("Datenverzeichnis öffnen"),
                              QStringLiteral("Das Datenverzeichnis kann nicht geöffnet werden. "
                                             "Es liegt unter\n%1")
                                  .arg(QDir::toNativeSeparators(folder)));
}

void TfrmMainWindow::showHelp()
{
    invoiceHelp(m_programFolder).open(m_questions, this);
}

void TfrmMainWindow::showAbout()
{
    TfrmAbout about(this);
    about.exec();
}

} // namespace vq::invoice
