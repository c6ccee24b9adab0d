// Clients (table Mandant): the data operations behind the client manager and
// the client selection, and the current client every action works on.
#pragma once

#include "invoice/db/invoice_connection.h"
#include "invoice/records/invoice_records.h"

namespace vq::invoice {

// Default invoice template in the program folder; each client gets a copy
// named by its number in the data folder (client 3: "3.rav").
inline constexpr char16_t kDefaultInvoiceTemplate[] = u"rechnung.rav";
QString clientTemplatePath(int mandantId);

// A new client as the client manager's "Neu" starts it.
TMandant newClient();

// Reading and writing clients. A failing statement gives nullopt or false with
// db.lastError() saying why; client() is nullopt with an empty lastError()
// when there is no such client.
class ClientStore
{
public:
    explicit ClientStore(InvoiceConnection &db)
        : m_db(db)
    {
    }

    std::optional<QList<TMandant>> clients();
    std::optional<TMandant> client(int id);
    std::optional<int> insertClient(const TMandant &client);
    // Order mails refused for their signature are read again once the
    // client's order secret has changed.
    bool updateClient(const TMandant &client);
    // The database deletes the client's orders, lines, options and known messages with it.
    // Refused with the German message saying until when while one of the
    // client's issued invoices must be kept (retentionEnd()); the deletion of
    // issued invoices after that is recorded in the audit trail.
    bool deleteClient(int id, const QDate &today = QDate::currentDate());

private:
    InvoiceConnection &m_db;
};

// The client every list and action is limited to.
class CurrentClient
{
public:
    explicit CurrentClient(InvoiceConnection &db, QString programFolder);

    // "Übernehmen" in the client selection: refuses when there is no client
    // ("Bitte zuerst einen Mandanten anlegen.") or the id is unknown; makes sure
    // the client has its invoice template (copied from the default, an
    // existing one is never replaced) and makes the client current.
    bool accept(int mandantId, QString *message);

    bool isSet() const { return m_id > 0; }
    int id() const { return m_id; }
    // Read afresh from the database on each call, as the import needs.
    std::optional<TMandant> data() const { return ClientStore(m_db).client(m_id); }
    QString currency() const;

private:
    InvoiceConnection &m_db;
    QString m_programFolder;
    int m_id = 0;
};

} // namespace vq::invoice
