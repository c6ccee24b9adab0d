// "Status bearbeiten": the order states (table Status) in a grid. "Neu" adds a
// row, "Bearbeiten" opens the current row for typing, "Speichern" stores every
// changed row, "Löschen" asks and deletes; the database refuses a state an
// order uses, and its message is shown.
#pragma once

#include "common_ui/list_manager_dialog.h"
#include "invoice/db/invoice_connection.h"
#include "invoice/ui/user_questions.h"

class QAction;
class QTableWidget;
class QTableWidgetItem;

namespace vq::invoice {

// The longest state name the table holds.
inline constexpr int kMaxStateLength = 50;

class TfrmStatus : public ui::ListManagerDialog
{
    Q_OBJECT
public:
    TfrmStatus(InvoiceConnection &db, UserQuestions &questions, QWidget *parent = nullptr);

    // Reads the states afresh; unsaved changes are dropped.
    void reload();
    // Stores every new or changed row; false when one could not be stored
    // (it keeps its unsaved text, and the user is told why).
    bool save();
    bool hasUnsavedChanges() const;

public Q_SLOTS:
    void addState();
    void editState();
    void deleteState();
    void reject() override;

private:
    void finishEditing();
    void markChanged(QTableWidgetItem *item);

    InvoiceConnection &m_db;
    UserQuestions &m_questions;
    QTableWidget *m_grid;
    bool m_loading = false;
};

} // namespace vq::invoice
