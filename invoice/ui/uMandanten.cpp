#include "invoice/ui/uMandanten.h"
#include "invoice/db/clients.h"

#include "invoice/ui/invoice_help.h"
#include "invoice/ui/uMandantBearbeiten.h"
#include "invoice/ui_logic/client_table_model.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

namespace vq::invoice {

namespace {

// A grid as both client windows show it: read-only, whole rows, one at a time.
QTableView *clientGrid(QWidget *parent, const char *name, ClientTableModel *model)
{
    auto *grid = new QTableView(parent);
    grid->setObjectName(QString::fromLatin1(name));
    grid->setAccessibleName(QStringLiteral("Mandanten"));
    grid->setModel(model);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setAlternatingRowColors(true);
    grid->setWordWrap(false);
    grid->setTabKeyNavigation(false);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->horizontalHeader()->setHighlightSections(false);
    for (int i = 0; i < model->columns().size(); ++i)
        grid->setColumnWidth(i, model->columns()[i].width);
    return grid;
}

void selectRow(QTableView *grid, int row)
{
    if (row < 0 || row >= grid->model()->rowCount())
        return;
    grid->selectRow(row);
    grid->setCurrentIndex(grid->model()->index(row, 0));
    grid->scrollTo(grid->currentIndex());
}

int currentId(const QTableView *grid, const ClientTableModel *model)
{
    const QModelIndex index = grid->currentIndex();
    if (!index.isValid() || index.row() >= model->clients().size())
        return 0;
    return model->clients()[index.row()].id;
}

// The picture beside the client list: a shop front with its awning and a
// parcel, drawn here, so it scales with the screen.
QPixmap shopPicture(const QSize &size, qreal ratio)
{
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = size.width(), h = size.height();

    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0, QColor(214, 232, 248));
    sky.setColorAt(1, QColor(245, 249, 253));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(0, 0, w, h), 8, 8);

    // The building and its door and window.
    const QRectF house(w * 0.12, h * 0.30, w * 0.76, h * 0.55);
    p.setBrush(QColor(250, 244, 230));
    p.setPen(QPen(QColor(120, 100, 80), 1.5));
    p.drawRect(house);
    p.setBrush(QColor(150, 190, 220));
    p.drawRect(QRectF(house.left() + w * 0.06, house.top() + h * 0.12, w * 0.34, h * 0.2));
    p.setBrush(QColor(140, 90, 60));
    p.drawRect(QRectF(house.right() - w * 0.26, house.top() + h * 0.12, w * 0.18,
                      house.height() - h * 0.12));

    // The striped awning.
    const int stripes = 6;
    const qreal stripe = (house.width() + w * 0.08) / stripes;
    for (int i = 0; i < stripes; ++i) {
        QPainterPath path;
        const qreal x = house.left() - w * 0.04 + i * stripe;
        path.moveTo(x, house.top() - h * 0.08);
        path.lineTo(x + stripe, house.top() - h * 0.08);
        path.lineTo(x + stripe, house.top() + h * 0.02);
        path.arcTo(QRectF(x, house.top() - h * 0.02, stripe, h * 0.08), 0, -180);
        path.closeSubpath();
        p.setBrush(i % 2 ? QColor(255, 255, 255) : QColor(200, 40, 50));
        p.setPen(QPen(QColor(150, 30, 40), 1));
        p.drawPath(path);
    }

    // A parcel in front of the door.
    const QRectF parcel(house.left() + w * 0.08, house.bottom() - h * 0.12, w * 0.22, h * 0.12);
    p.setBrush(QColor(205, 160, 100));
    p.setPen(QPen(QColor(130, 95, 55), 1.2));
    p.drawRect(parcel);
    p.drawLine(QPointF(parcel.center().x(), parcel.top()),
               QPointF(parcel.center().x(), parcel.bottom()));

    // The ground.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(170, 175, 180));
    p.drawRect(QRectF(w * 0.04, house.bottom(), w * 0.92, h * 0.03));
    return pixmap;
}

} // namespace

// Client selection ----------------------------------------------------------

TfrmMandantWahl::TfrmMandantWahl(InvoiceConnection &db, CurrentClient &current,
                                 UserQuestions &questions, QString programFolder, QWidget *parent)
    : QDialog(parent)
    , m_db(db)
    , m_current(current)
    , m_questions(questions)
    , m_programFolder(std::move(programFolder))
{
    setObjectName(QStringLiteral("frmMandantWahl"));
    setWindowTitle(QStringLiteral("Bitte wählen Sie einen Mandanten"));

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("imgBild"));
    picture->setPixmap(shopPicture(QSize(150, 200), devicePixelRatioF()));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    picture->setAccessibleName(QStringLiteral("Bild: Ladengeschäft"));

    m_model = new ClientTableModel(ClientTableModel::choiceColumns(), this);
    m_grid = clientGrid(this, "grdMandanten", m_model);
    m_grid->setMinimumWidth(40 + 140 + 110 + 110 + 4);

    auto *help = new QPushButton(QStringLiteral("Hilfe"), this);
    help->setObjectName(QStringLiteral("btnHilfe"));
    help->setAutoDefault(false);
    auto *manager = new QPushButton(QStringLiteral("Mandatenverwaltung aufrufen"), this);
    manager->setObjectName(QStringLiteral("btnMandantenverwaltung"));
    manager->setAutoDefault(false);
    auto *take = new QPushButton(QStringLiteral("Übernehmen"), this);
    take->setObjectName(QStringLiteral("btnUebernehmen"));
    take->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(help);
    buttons->addStretch(1);
    buttons->addWidget(manager);
    buttons->addWidget(take);

    auto *right = new QVBoxLayout;
    right->addWidget(m_grid, 1);
    right->addLayout(buttons);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(picture);
    layout->addLayout(right, 1);

    setTabOrder(m_grid, help);
    setTabOrder(help, manager);
    setTabOrder(manager, take);

    connect(take, &QPushButton::clicked, this, &TfrmMandantWahl::acceptClient);
    connect(manager, &QPushButton::clicked, this, &TfrmMandantWahl::openManager);
    connect(help, &QPushButton::clicked, this, &TfrmMandantWahl::showHelp);
    // Enter in the grid reaches the default button; a double-click accepts the row.
    connect(m_grid, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            acceptClient();
    });

    resize(620, 330);
    reload(m_current.id());
    m_grid->setFocus();
}

TfrmMandantWahl::~TfrmMandantWahl() = default;

int TfrmMandantWahl::selectedClientId() const
{
    return currentId(m_grid, m_model);
}

void TfrmMandantWahl::reload(int selectId)
{
    const auto clients = ClientStore(m_db).clients();
    if (!clients) {
        m_model->setClients({});
        m_questions.showError(
            this, windowTitle(),
            QStringLiteral("Die Mandanten können nicht gelesen werden: %1").arg(m_db.lastError()));
        return;
    }
    m_model->setClients(*clients);
    const int row = m_model->rowOf(selectId);
    selectRow(m_grid, row >= 0 ? row : 0);
}

void TfrmMandantWahl::acceptClient()
{
    if (m_model->clients().isEmpty()) {
        m_questions.showInformation(this, windowTitle(),
                                    QStringLiteral("Bitte zuerst einen Mandanten anlegen."));
        return;
    }
    int id = selectedClientId();
    if (id == 0) {
        selectRow(m_grid, 0);
        id = selectedClientId();
    }
    QString message;
    if (!m_current.accept(id, &message)) {
        m_questions.showError(this, windowTitle(), message);
        // The list may be out of date (another user deleted the client).
        reload(id);
        return;
    }
    QDialog::accept();
}

void TfrmMandantWahl::openManager()
{
    const int id = selectedClientId();
    {
        TfrmMandanten manager(m_db, m_questions, this);
        manager.exec();
    }
    reload(id);
    m_grid->setFocus();
}

void TfrmMandantWahl::showHelp()
{
    invoiceHelp(m_programFolder).open(m_questions, this);
}

// Client manager ------------------------------------------------------------

TfrmMandanten::TfrmMandanten(InvoiceConnection &db, UserQuestions &questions, QWidget *parent)
    : ListManagerDialog(parent)
    , m_db(db)
    , m_questions(questions)
{
    setObjectName(QStringLiteral("frmMandanten"));
    setWindowTitle(QStringLiteral("Mandatenverwaltung"));

    auto makeAction = [this](const char *name, const QString &text, const QString &hint,
                             const char *theme, QStyle::StandardPixmap fallback) {
        QAction *action = addCommand(name, text, fallback, theme);
        action->setToolTip(hint);
        action->setStatusTip(hint);
        addAction(action);
        return action;
    };
    m_actNeu =
        makeAction("actNeu", QStringLiteral("Neu"), QStringLiteral("Neuen Mandanten anlegen"),
                   "document-new", QStyle::SP_FileIcon);
    m_actNeu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    m_actBearbeiten = makeAction("actBearbeiten", QStringLiteral("Bearbeiten"),
                                 QStringLiteral("Mandant bearbeiten"), "document-edit",
                                 QStyle::SP_FileDialogDetailedView);
    m_actLoeschen =
        makeAction("actLoeschen", QStringLiteral("Löschen"), QStringLiteral("Mandant löschen"),
                   "edit-delete", QStyle::SP_TrashIcon);
    m_actVerlassen = makeAction("actVerlassen", QStringLiteral("Verlassen"),
                                QStringLiteral("Mandatenverwaltung verlassen"), "application-exit",
                                QStyle::SP_DialogCloseButton);

    menuBar()->setObjectName(QStringLiteral("mnuHaupt"));
    QMenu *menu = menuBar()->addMenu(QStringLiteral("&Verwaltung"));
    menu->setObjectName(QStringLiteral("mnuVerwaltung"));
    menu->addAction(m_actNeu);
    menu->addAction(m_actLoeschen);
    menu->addSeparator();
    menu->addAction(m_actVerlassen);

    QToolBar *toolBar = this->toolBar();
    toolBar->setObjectName(QStringLiteral("tbMandanten"));
    toolBar->setAccessibleName(QStringLiteral("Werkzeugleiste"));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolBar->addAction(m_actNeu);
    toolBar->addAction(m_actBearbeiten);
    toolBar->addAction(m_actLoeschen);
    toolBar->addSeparator();
    toolBar->addAction(m_actVerlassen);

    m_model = new ClientTableModel(ClientTableModel::managerColumns(), this);
    m_grid = clientGrid(this, "grdMandanten", m_model);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TfrmMandanten::updateActions);

    m_status = new QStatusBar(this);
    m_status->setObjectName(QStringLiteral("sbStatus"));
    m_status->setSizeGripEnabled(true);
    m_count = new QLabel(m_status);
    m_count->setObjectName(QStringLiteral("lblAnzahl"));
    m_status->addPermanentWidget(m_count);

    QVBoxLayout *layout = frameLayout();
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_grid, 1);
    layout->addWidget(m_status);

    connect(m_actNeu, &QAction::triggered, this, &TfrmMandanten::newClient);
    connect(m_actBearbeiten, &QAction::triggered, this, &TfrmMandanten::editClient);
    connect(m_actLoeschen, &QAction::triggered, this, &TfrmMandanten::deleteClient);
    connect(m_actVerlassen, &QAction::triggered, this, &TfrmMandanten::accept);
    connect(m_grid, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            editClient();
    });

    resize(1053, 587);
    reload(0);
    m_grid->setFocus();
}

TfrmMandanten::~TfrmMandanten() = default;

void TfrmMandanten::keyPressEvent(QKeyEvent *event)
{
    // The list passes Enter on; a dialog without a default button would drop it.
    if (event->modifiers() == Qt::NoModifier && focusWidget() == m_grid) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            editClient();
            return;
        }
        if (event->key() == Qt::Key_Delete) {
            deleteClient();
            return;
        }
    }
    ListManagerDialog::keyPressEvent(event);
}

int TfrmMandanten::selectedClientId() const
{
    return currentId(m_grid, m_model);
}

void TfrmMandanten::reload(int selectId)
{
    const int oldRow = m_grid->currentIndex().row();
    const auto clients = ClientStore(m_db).clients();
    if (!clients) {
        m_model->setClients({});
        m_count->clear();
        m_questions.showError(
            this, windowTitle(),
            QStringLiteral("Die Mandanten können nicht gelesen werden: %1").arg(m_db.lastError()));
        updateActions();
        return;
    }
    m_model->setClients(*clients);
    int row = m_model->rowOf(selectId);
    if (row < 0)
        row = std::min(std::max(oldRow, 0), int(clients->size()) - 1);
    selectRow(m_grid, row);
    m_count->setText(clients->size() == 1 ? QStringLiteral("1 Mandant")
                                          : QStringLiteral("%1 Mandanten").arg(clients->size()));
    updateActions();
}

void TfrmMandanten::updateActions()
{
    const bool any = selectedClientId() != 0;
    m_actBearbeiten->setEnabled(any);
    m_actLoeschen->setEnabled(any);
}

void TfrmMandanten::newClient()
{
    int newId = 0;
    TfrmMandantBearbeiten editor(
        vq::invoice::newClient(), m_questions,
        [this, &newId](const TMandant &client, QString *error) {
            const auto id = ClientStore(m_db).insertClient(client);
            if (!id) {
                *error = m_db.lastError();
                return false;
            }
            newId = *id;
            return true;
        },
        this);
    if (editor.exec() == QDialog::Accepted) {
        reload(newId);
        m_status->showMessage(QStringLiteral("Mandant %1 angelegt.").arg(newId), 5000);
    }
    m_grid->setFocus();
}

void TfrmMandanten::editClient()
{
    const int id = selectedClientId();
    if (id == 0)
        return;
    // The row as it is now, should another window have changed it.
    const auto client = ClientStore(m_db).client(id);
    if (!client) {
        m_questions.showError(
            this, windowTitle(),
            m_db.lastError().isEmpty()
                ? QStringLiteral("Der Mandant %1 ist nicht mehr vorhanden.").arg(id)
                : QStringLiteral("Der Mandant kann nicht gelesen werden: %1")
                      .arg(m_db.lastError()));
        reload(id);
        return;
    }
    TfrmMandantBearbeiten editor(
        *client, m_questions,
        [this](const TMandant &changed, QString *error) {
            if (!ClientStore(m_db).updateClient(changed)) {
                *error = m_db.lastError();
                return false;
            }
            // An update of a row another window deleted meanwhile succeeds
            // and stores nothing; the typed values must not be taken as saved.
            if (!ClientStore(m_db).client(changed.id)) {
                *error =
                    m_db.lastError().isEmpty()
                        ? QStringLiteral("Der Mandant %1 ist nicht mehr vorhanden.").arg(changed.id)
                        : m_db.lastError();
                return false;
            }
            return true;
        },
        this);
    if (editor.exec() == QDialog::Accepted)
        reload(id);
    m_grid->setFocus();
}

void TfrmMandanten::deleteClient()
{
    const int id = selectedClientId();
    if (id == 0)
        return;
    if (!m_questions.askWarningYesNo(this, QStringLiteral("Mandant löschen"),
                                     QStringLiteral("Mandant löschen? Alle zugehörigen Daten "
                                                    "(Bestellungen, Rechnungen, ...) werden mit "
                                                    "gelöscht.")))
        return;
    if (!ClientStore(m_db).deleteClient(id))
        m_questions.showError(
            this, windowTitle(),
            QStringLiteral("Der Mandant kann nicht gelöscht werden: %1").arg(m_db.lastError()));
    else
        m_status->showMessage(QStringLiteral("Mandant %1 gelöscht.").arg(id), 5000);
    reload(0);
    m_grid->setFocus();
}

} // namespace vq::invoice
