// Clients: the selection "Bitte wählen Sie einen Mandanten" shown at start and
// on "Mandant wechseln", the client manager "Mandatenverwaltung", and the
// client editor "Mandant bearbeiten" with its rich-text invoice footer.
#pragma once

#include "common_ui/list_manager_dialog.h"
#include "invoice/db/clients.h"
#include "invoice/ui/user_questions.h"

#include <QDialog>

class QAction;
class QLabel;
class QStatusBar;
class QTableView;

namespace vq::invoice {

class ClientTableModel;

// exec() returns Accepted when a client was accepted; it is then current in
// the CurrentClient given.
class TfrmMandantWahl : public QDialog
{
    Q_OBJECT
public:
    TfrmMandantWahl(InvoiceConnection &db, CurrentClient &current, UserQuestions &questions,
                    QString programFolder, QWidget *parent = nullptr);
    ~TfrmMandantWahl() override;

    // The client under the cursor; 0 when the list is empty.
    int selectedClientId() const;
    // "Übernehmen", Enter and double-click: the client under the cursor
    // becomes current and the dialog closes; without a client it says so and stays.
    void acceptClient();
    // "Mandatenverwaltung aufrufen": the manager, then the list afresh.
    void openManager();
    // "Hilfe": the section about this window in the desktop's browser.
    void showHelp();
    // Reads the clients afresh and puts the cursor on that client (the first when gone).
    void reload(int selectId);

private:
    InvoiceConnection &m_db;
    CurrentClient &m_current;
    UserQuestions &m_questions;
    QString m_programFolder;
    ClientTableModel *m_model = nullptr;
    QTableView *m_grid = nullptr;
};

// Saves each change at once; modal.
class TfrmMandanten : public ui::ListManagerDialog
{
    Q_OBJECT
public:
    TfrmMandanten(InvoiceConnection &db, UserQuestions &questions, QWidget *parent = nullptr);
    ~TfrmMandanten() override;

    // The client under the cursor; 0 when there is none.
    int selectedClientId() const;
    // "Neu": a new client with port 110 in the editor; stored on OK only.
    void newClient();
    // "Bearbeiten": the client under the cursor in the editor; stored on OK only.
    void editClient();
    // "Löschen": after the warning, the client with its orders (its template file stays).
    void deleteClient();
    // Reads the clients afresh and puts the cursor on that client.
    void reload(int selectId);

protected:
    // Enter in the list edits the client under the cursor, Delete deletes it (after the warning).
    void keyPressEvent(QKeyEvent *event) override;

private:
    void updateActions();

    InvoiceConnection &m_db;
    UserQuestions &m_questions;
    ClientTableModel *m_model = nullptr;
    QTableView *m_grid = nullptr;
    QStatusBar *m_status = nullptr;
    QLabel *m_count = nullptr;
    QAction *m_actNeu = nullptr;
    QAction *m_actBearbeiten = nullptr;
    QAction *m_actLoeschen = nullptr;
    QAction *m_actVerlassen = nullptr;
};

} // namespace vq::invoice
