// A stay in the order editor: the orders it opens or creates, with their
// lines and options, held in memory while the user types. Nothing is written
// and no lock is held until "Ja" saves everything in one short transaction;
// "Nein" discards it. An order another seat or an import changed or deleted
// meanwhile is not overwritten: the save is refused and the stay keeps the
// user's work.
//
// The rules of editing live here, without widgets: the next invoice number
// of a new order, an invoice number that must name one invoice of the
// client, dates as typed, values the boxes cannot show kept as stored.
#pragma once

#include "invoice/db/invoice_connection.h"
#include "invoice/money/order_amounts.h"
#include "invoice/records/invoice_records.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace vq::invoice {

// The order's boxes as the editor shows them, all as typed.
struct OrderBoxes
{
    QString rechNr, zeit;
    QString firma, vorname, nachname, strasse, plz, ort, telefon, email, homepage;
    QString kaeuferreferenz, bemerkung;
    std::optional<int> status; // none: no state chosen
    // The business buyer's data and the tax case (tax_case.h: the stored text).
    QString ustIdNr, emailERechnung, steuerfall;
    QString lieferdatum; // "TT.MM.JJJJ"; empty: the order date
};

// Why the boxes or a save were refused.
struct EditRefusal
{
    enum class Box { None, RechNr, Zeit, Lieferdatum };
    Box box = Box::None; // the box to put the cursor in
    QString message;
    // The database failed (shown as an error), rather than the input being
    // refused (shown as a notice).
    bool databaseFailed = false;
};

class OrderEditSession
{
public:
    OrderEditSession(InvoiceConnection &db, int mandantId, std::function<QDate()> today);

    int mandantId() const { return m_mandantId; }

    // Appends a new order of the client (today, the state every new order
    // gets, the next invoice number) to the stay and makes it current. It has
    // a key below zero until the stay is saved.
    bool startNew(QString *error);
    // Reads a stored order of the client with its lines and options into the
    // stay and makes it current; nullopt error text when there is none.
    bool startEdit(int orderId, QString *error);

    // The current order (id 0: none), as last taken from the boxes.
    bool hasOrder() const { return m_current >= 0; }
    const TBestellung &order() const;
    // Its lines with their options, by article number as the database lists them.
    const QList<TArtikel> &lines() const;
    // The order as the boxes show it.
    OrderBoxes boxes() const;
    // What the current order's invoice costs by the money rule under its
    // tax case, its lines as listed; nullopt when its amounts are beyond what
    // an order may hold.
    std::optional<OrderAmounts> amounts() const;
    // The client the stay's orders belong to, as read when it began.
    const TMandant &client() const { return m_client; }

    // Takes the boxes into the current order. A date that is no date, an
    // invoice number that is no number or that another order of the client
    // holds (stored or in this stay) is refused and nothing is taken. A value
    // the boxes cannot show (a number below 1, seconds of the order time)
    // stays while its text is unchanged.
    std::optional<EditRefusal> takeBoxes(const OrderBoxes &boxes);

    // A new line gets a key below zero until the stay is saved; new options too.
    TArtikel newLine() const;
    int addLine(TArtikel line);
    bool replaceLine(const TArtikel &line);
    bool removeLine(int lineId);

    // The current order's invoice is issued: what it shows stays as it is
    // (takeBoxes takes only the state, the remark and the contact data; lines
    // cannot be added, changed or removed). issuedNote() says so in one line.
    bool issued() const;
    QString issuedNote() const;
    // The client draws invoice numbers from a yearly range, at issue: a new
    // order has no number until then.
    bool yearlyNumbers() const { return m_yearlyNumbers; }
    // Whether the order of the stay differs from the database as read.
    bool orderChanged(int orderId) const;
    // Reads an unchanged order of the stay again, after its invoice was
    // issued (it holds its number and date then).
    bool reread(int orderId, QString *error);

    // What the outputs need of an order of the stay that is not saved yet;
    // nullptr when the order is not in the stay.
    TBestellung *unsavedOrder(int orderId);
    const QList<TArtikel> *unsavedLines(int orderId) const;

    // "Ja": writes every order of the stay, its lines and options in one
    // transaction. Refused, with nothing written, when an order was changed
    // or deleted meanwhile or a drawn invoice number meanwhile taken; the stay
    // stays as it is then. A new order whose number the stay drew keeps the
    // next free one instead.
    std::optional<EditRefusal> save();
    // After save(): the key an order of the stay is stored under (a new
    // order's key below zero becomes its database key); 0 when unknown.
    int savedId(int orderId) const { return m_savedIds.value(orderId); }
    // Whether anything of the stay differs from the database as read.
    bool changed() const;

private:
    struct Draft
    {
        TBestellung order;
        QList<TArtikel> lines;
        TBestellung stored; // as read (stored orders only)
        QList<TArtikel> storedLines;
        bool isNew() const { return order.id < 0; }
        // The invoice number was drawn for a new order, not typed.
        std::optional<int> drawnNumber;
        int savedId = 0; // a new order's key once saved
    };

    Draft &current();
    const Draft &current() const;
    std::optional<int> nextInvoiceNumber();
    // Another order of the client with that number: in the stay, then stored.
    std::optional<EditRefusal> numberTaken(const Draft &draft, int number, bool checkStored);
    std::optional<EditRefusal> saveDraft(Draft &draft);
    std::optional<EditRefusal> takeIssuedBoxes(const OrderBoxes &boxes);
    static bool draftChanged(const Draft &draft);
    bool saveLines(const Draft &draft, int orderId);
    void sortLines(Draft &draft) const;
    EditRefusal databaseFailure(const QString &what) const;

    InvoiceConnection &m_db;
    int m_mandantId;
    std::function<QDate()> m_today;
    QList<Draft> m_drafts;
    int m_current = -1;
    int m_nextKey = -1; // keys of what is not stored yet
    bool m_yearlyNumbers = false;
    QHash<int, int> m_savedIds;
    TMandant m_client;
};

} // namespace vq::invoice
