// The invoice module's main window: the order list of the current client with
// its tool bar, menus and status bar, and every command on it (new, edit and
// delete an order, print and preview its invoice, save it as an electronic
// invoice, change and manage clients, import order mails, the invoice
// template, the states, the database, the data folder, help and the about box).
#pragma once

#include "invoice/db/clients.h"
#include "invoice/db/invoice_connection.h"
#include "invoice/ui/user_questions.h"
#include "invoice/ui_logic/order_list_model.h"

#include <QDialog>
#include <QMainWindow>
#include <memory>

class QAction;
class QLabel;
class QTableView;
class QToolBar;

namespace vq::invoice {

class TfrmBestellung;

// The version the main window's caption and the about box name.
inline constexpr char16_t kInvoiceModuleVersion[] = u"1.5";
inline constexpr char16_t kInvoiceModuleName[] = u"VQ-BestellFormular Rechnungsmodul";

class TfrmMainWindow : public QMainWindow
{
    Q_OBJECT
public:
    TfrmMainWindow(InvoiceConnection &db, UserQuestions &questions, QString programFolder,
                   QWidget *parent = nullptr);
    ~TfrmMainWindow() override;

    CurrentClient &currentClient() { return m_current; }
    TfrmBestellung &orderEditor() { return *m_editor; }
    // The currency text of every money display (the current client's).
    QString currency() const { return m_currency; }
    // The row of the order list that is current; -1: none.
    int currentRow() const;
    // Makes that row current; false when the list has no such row.
    bool goToRow(int row);
    // The key of the order in the current row; 0: none.
    int selectedOrderId() const;
    const OrderListModel &orderList() const { return *m_model; }

public Q_SLOTS:
    // "Mandant wechseln": the client selection, then the client's currency
    // everywhere and the views re-read.
    void changeClient();
    // Re-reads the order list (and the order editor's views); failures keep what is shown.
    void reread();
    void newOrder();
    void editOrder();
    void deleteOrder();
    void printOrder();
    void previewOrder();
    void saveXRechnungOfOrder();
    void saveZugferdOfOrder();
    void cancelOrder(bool correct);
    void checkRecordsOfAll();
    void manageClients();
    void importOrders();
    void editTemplate();
    void resetTemplate();
    void editStates();
    void showDatabase();
    void openDataFolder();
    void showHelp();
    void showAbout();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QAction *addCommand(const char *name, const QString &text, const QString &hint,
                        const QString &themeIcon, int standardIcon);
    void buildCommands();
    void buildMenus();
    void buildToolBar();
    // One stay in the order editor: a new order (orderId 0) or a stored one.
    void runOrderEditor(int orderId);
    // Says why the list cannot be shown as it stands.
    void reportReadFailure(const QString &message);
    void updateCommands();
    void updateStatusBar();

    InvoiceConnection &m_db;
    UserQuestions &m_questions;
    QString m_programFolder;
    CurrentClient m_current;
    bool m_clientKnown = false; // the current client's row exists
    QString m_clientName;
    QString m_currency;
    bool m_firstShow = true;
    bool m_busy = false; // a command's dialog is open
    bool m_reportingReadFailure = false;

    OrderListModel *m_model;
    QTableView *m_grid;
    QToolBar *m_toolBar = nullptr;
    QLabel *m_statusClient;
    QLabel *m_statusCount;
    TfrmBestellung *m_editor;

    QAction *actNeu = nullptr, *actBearbeiten = nullptr, *actLoeschen = nullptr;
    QAction *actDrucken = nullptr, *actVorschau = nullptr;
    QAction *actXRechnung = nullptr, *actZugferd = nullptr;
    QAction *actStornieren = nullptr, *actKorrigieren = nullptr, *actPruefen = nullptr;
    QAction *actMandantWechseln = nullptr, *actMandantenVerwalten = nullptr;
    QAction *actEinlesen = nullptr;
    QAction *actErster = nullptr, *actZurueck = nullptr, *actNaechster = nullptr,
            *actLetzter = nullptr;
    QAction *actHilfe = nullptr, *actBeenden = nullptr;
    QAction *actVorlageBearbeiten = nullptr, *actVorlageZuruecksetzen = nullptr;
    QAction *actStatus = nullptr, *actDatenbank = nullptr, *actDatenverzeichnis = nullptr;
    QAction *actUeber = nullptr;
};

} // namespace vq::invoice
