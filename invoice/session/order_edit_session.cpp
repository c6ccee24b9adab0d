#include "invoice/session/order_edit_session.h"

#include "invoice/db/audit_trail.h"
#include "invoice/db/clients.h"
#include "invoice/db/invoice_number_store.h"
#include "invoice/db/order_store.h"
#include "invoice/db/state_store.h"
#include "invoice/money/tax_case.h"
#include "invoice/records/invoice_numbers.h"
#include "invoice/session/order_dates.h"

#include <QTime>

#include <algorithm>
#include <limits>

namespace vq::invoice {

namespace {

QString customerName(const TBestellung &order)
{
    const QString person = QStringList{order.name, order.nachname}.join(QLatin1Char(' ')).trimmed();
    if (!person.isEmpty())
        return person;
    return order.firma.trimmed().isEmpty() ? QStringLiteral("ohne Namen") : order.firma.trimmed();
}

QString numberText(const std::optional<int> &number)
{
    return number ? QString::number(*number) : QString();
}

bool sameOption(const TOption &a, const TOption &b)
{
    return a.name == b.name && a.wert == b.wert && a.preis == b.preis;
}

bool sameLine(const TArtikel &a, const TArtikel &b)
{
    return a.nr == b.nr && a.name == b.name && a.anzahl == b.anzahl && a.preis == b.preis
           && a.mwst == b.mwst;
}

bool sameLines(const QList<TArtikel> &a, const QList<TArtikel> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].id != b[i].id || !sameLine(a[i], b[i])
            || a[i].optionen.size() != b[i].optionen.size())
            return false;
        for (qsizetype k = 0; k < a[i].optionen.size(); ++k)
            if (a[i].optionen[k].id != b[i].optionen[k].id
                || !sameOption(a[i].optionen[k], b[i].optionen[k]))
                return false;
    }
    return true;
}

bool sameOrder(const TBestellung &a, const TBestellung &b)
{
    return a.rechNr == b.rechNr && a.zeit == b.zeit && a.firma == b.firma && a.name == b.name
           && a.nachname == b.nachname && a.strasse == b.strasse && a.plz == b.plz && a.ort == b.ort
           && a.telefon == b.telefon && a.email == b.email && a.homepage == b.homepage
           && a.kaeuferreferenz == b.kaeuferreferenz && a.bemerkung == b.bemerkung
           && a.status == b.status && a.ustIdNr == b.ustIdNr && a.emailERechnung == b.emailERechnung
           && a.steuerfall == b.steuerfall && a.lieferdatum == b.lieferdatum;
}

const TBestellung kNoOrder;
const QList<TArtikel> kNoLines;

} // namespace

OrderEditSession::OrderEditSession(InvoiceConnection &db, int mandantId,
                                   std::function<QDate()> today)
    : m_db(db)
    , m_mandantId(mandantId)
    , m_today(std::move(today))
{
    // Whether the client charges VAT decides the totals the editor shows; a
    // client that cannot be read shows them as the lines say.
    if (const auto client = ClientStore(db).client(mandantId))
        m_client = *client;
}

OrderEditSession::Draft &OrderEditSession::current()
{
    return m_drafts[m_current];
}

const OrderEditSession::Draft &OrderEditSession::current() const
{
    return m_drafts[m_current];
}

const TBestellung &OrderEditSession::order() const
{
    return hasOrder() ? current().order : kNoOrder;
}

const QList<TArtikel> &OrderEditSession::lines() const
{
    return hasOrder() ? current().lines : kNoLines;
}

std::optional<int> OrderEditSession::nextInvoiceNumber()
{
    // The highest stored number of the client + 1, past the numbers that new
    // orders of this stay hold already.
    std::optional<int> next = InvoiceNumberStore(m_db).nextInvoiceNumberForClient(m_mandantId);
    if (!next)
        return std::nullopt;
    for (const Draft &draft : std::as_const(m_drafts))
        if (draft.isNew() && draft.order.rechNr && *draft.order.rechNr >= *next) {
            if (*draft.order.rechNr == std::numeric_limits<int>::max())
                return std::nullopt;
            next = *draft.order.rechNr + 1;
        }
    return next;
}

bool OrderEditSession::startNew(QString *error)
{
    error->clear();
    if (m_mandantId <= 0)
        return false;
    Draft draft;
    draft.order.id = m_nextKey--;
    draft.order.mandantId = m_mandantId;
    draft.order.zeit = QDateTime(m_today(), QTime(0, 0), Qt::UTC);
    draft.order.status = kNewOrderState;
    const auto client = ClientStore(m_db).client(m_mandantId);
    if (!client) {
        *error = QStringLiteral("Der Mandant konnte nicht gelesen werden: %1")
                     .arg(m_db.lastError().isEmpty() ? QStringLiteral("Es gibt ihn nicht mehr.")
                                                     : m_db.lastError());
        return false;
    }
    m_yearlyNumbers = client->nummernkreis == 1;
    if (m_yearlyNumbers) {
        // A yearly range draws the number when the invoice is issued.
        m_drafts << draft;
        m_current = int(m_drafts.size()) - 1;
        return true;
    }
    const auto next = nextInvoiceNumber();
    if (!next) {
        *error = QStringLiteral("Die nächste Rechnungs-Nr. konnte nicht ermittelt werden: %1")
                     .arg(m_db.lastError().isEmpty()
                              ? QStringLiteral("Alle Rechnungsnummern sind vergeben.")
                              : m_db.lastError());
        return false;
    }
    draft.order.rechNr = *next;
    draft.drawnNumber = *next;
    m_drafts << draft;
    m_current = int(m_drafts.size()) - 1;
    return true;
}

bool OrderEditSession::startEdit(int orderId, QString *error)
{
    error->clear();
    for (int i = 0; i < m_drafts.size(); ++i)
        if (m_drafts[i].order.id == orderId) {
            m_current = i;
            return true;
        }
    const auto order = OrderStore(m_db).order(orderId);
    if (!order || order->mandantId != m_mandantId) {
        if (!order)
            *error = m_db.lastError();
        return false;
    }
    const auto lines = OrderStore(m_db).linesWithOptions(orderId);
    if (!lines) {
        *error = m_db.lastError();
        return false;
    }
    if (const auto client = ClientStore(m_db).client(m_mandantId))
        m_yearlyNumbers = client->nummernkreis == 1;
    Draft draft;
    draft.order = *order;
    draft.stored = *order;
    draft.lines = *lines;
    draft.storedLines = *lines;
    m_drafts << draft;
    m_current = int(m_drafts.size()) - 1;
    return true;
}

std::optional<OrderAmounts> OrderEditSession::amounts() const
{
    return invoiceAmounts(m_client, order(), lines(), nullptr);
}

OrderBoxes OrderEditSession::boxes() const
{
    const TBestellung &o = order();
    OrderBoxes b;
    b.rechNr = o.issued() ? invoiceNumberText(o) : numberText(o.rechNr);
    b.zeit = orderDateText(o.zeit);
    b.firma = o.firma;
    b.vorname = o.name;
    b.nachname = o.nachname;
    b.strasse = o.strasse;
    b.plz = o.plz;
    b.ort = o.ort;
    b.telefon = o.telefon;
    b.email = o.email;
    b.homepage = o.homepage;
    b.kaeuferreferenz = o.kaeuferreferenz;
    b.bemerkung = o.bemerkung;
    b.status = o.status;
    b.ustIdNr = o.ustIdNr;
    b.emailERechnung = o.emailERechnung;
    b.steuerfall = o.steuerfall;
    b.lieferdatum =
        o.lieferdatum.isValid() ? o.lieferdatum.toString(QStringLiteral("dd.MM.yyyy")) : QString();
    return b;
}

std::optional<EditRefusal> OrderEditSession::numberTaken(const Draft &draft, int number,
                                                         bool checkStored)
{
    for (const Draft &other : std::as_const(m_drafts))
        if (&other != &draft && other.order.rechNr == number)
            return EditRefusal{EditRefusal::Box::RechNr,
                               QStringLiteral("Die Rechnungs-Nr. %1 hat bereits eine andere "
                                              "Bestellung, die Sie gerade bearbeiten. Eine "
                                              "Rechnungs-Nr. darf nur einmal vergeben werden; "
                                              "bitte geben Sie eine andere ein.")
                                   .arg(number),
                               false};
    if (!checkStored)
        return std::nullopt;
    const auto other = InvoiceNumberStore(m_db).orderWithInvoiceNumber(
        m_mandantId, number, draft.isNew() ? 0 : draft.order.id);
    if (!other && !m_db.lastError().isEmpty())
        return EditRefusal{EditRefusal::Box::None,
                           QStringLiteral("Die Rechnungs-Nr. konnte nicht geprüft werden: %1")
                               .arg(m_db.lastError()),
                           true};
    if (!other)
        return std::nullopt;
    // An order of this stay that is stored under its old number gives it up.
    for (const Draft &mine : std::as_const(m_drafts))
        if (mine.order.id == other->id && mine.order.rechNr != number)
            return std::nullopt;
    const QString date = other->zeit.isValid() ? QStringLiteral(" vom %1").arg(
                             other->zeit.date().toString(QStringLiteral("dd.MM.yyyy")))
                                               : QString();
    return EditRefusal{EditRefusal::Box::RechNr,
                       QStringLiteral("Die Rechnungs-Nr. %1 hat bereits die Bestellung %2 (%3%4). "
                                      "Eine Rechnungs-Nr. darf nur einmal vergeben werden; bitte "
                                      "geben Sie eine andere ein.")
                           .arg(number)
                           .arg(other->id)
                           .arg(customerName(*other), date),
                       false};
}

std::optional<EditRefusal> OrderEditSession::takeBoxes(const OrderBoxes &boxes)
{
    if (!hasOrder())
        return std::nullopt;
    Draft &draft = current();
    TBestellung order = draft.order;
    if (order.issued())
        return takeIssuedBoxes(boxes);

    const QString rechNrText = boxes.rechNr.trimmed();
    if (draft.order.rechNr && rechNrText == QString::number(*draft.order.rechNr)) {
        // A number the box could not take by typing (0 or below, from an old
        // database) stays as it is while its text is not changed.
    } else if (rechNrText.isEmpty()) {
        order.rechNr.reset();
    } else {
        bool ok = false;
        const qint64 number = rechNrText.toLongLong(&ok);
        if (!ok || number < 1 || number > std::numeric_limits<int>::max())
            return EditRefusal{EditRefusal::Box::RechNr,
                               QStringLiteral("Bitte geben Sie als Rechnungs-Nr. eine ganze Zahl "
                                              "von 1 bis %1 ein oder lassen Sie das Feld leer.")
                                   .arg(std::numeric_limits<int>::max()),
                               false};
        order.rechNr = int(number);
    }
    // An invoice number names one invoice of the client: a number typed in
    // that another order holds is refused. A number an order already had
    // when it came in is its own; an old database may hold it twice.
    const bool numberChanged = order.rechNr != draft.order.rechNr;
    if (order.rechNr && (numberChanged || draft.isNew())) {
        if (auto refusal = numberTaken(draft, *order.rechNr, true))
            return refusal;
    }

    if (boxes.zeit != orderDateText(draft.order.zeit)) {
        bool ok = false;
        const QDateTime zeit = orderDateFromText(boxes.zeit, &ok);
        if (!ok)
            return EditRefusal{EditRefusal::Box::Zeit,
                               QStringLiteral("„%1“ ist kein gültiges Bestelldatum. Bitte geben "
                                              "Sie es als Tag.Monat.Jahr ein, zum Beispiel "
                                              "24.12.2026.")
                                   .arg(boxes.zeit.left(100)),
                               false};
        order.zeit = zeit;
    }

    if (boxes.lieferdatum.trimmed()
        != (draft.order.lieferdatum.isValid()
                ? draft.order.lieferdatum.toString(QStringLiteral("dd.MM.yyyy"))
                : QString())) {
        const QString text = boxes.lieferdatum.trimmed();
        const QDate date = QDate::fromString(text, QStringLiteral("d.M.yyyy"));
        if (!text.isEmpty() && !date.isValid())
            return EditRefusal{EditRefusal::Box::Lieferdatum,
                               QStringLiteral("„%1“ ist kein gültiges Lieferdatum. Bitte geben "
                                              "Sie es als Tag.Monat.Jahr ein, zum Beispiel "
                                              "24.12.2026, oder lassen Sie das Feld leer "
                                              "(dann gilt das Bestelldatum).")
                                   .arg(text.left(100)),
                               false};
        order.lieferdatum = date;
    }
    // The tax case as the list offers it; a text from elsewhere that names
    // none stays until another is chosen.
    // "Inland" and the empty text of an older order are the same case.
    if (const auto chosen = taxCaseFromText(boxes.steuerfall);
        chosen && chosen != taxCaseFromText(draft.order.steuerfall))
        order.steuerfall = boxes.steuerfall;
    order.ustIdNr = boxes.ustIdNr.trimmed();
    order.emailERechnung = boxes.emailERechnung.trimmed();

    order.firma = boxes.firma;
    order.name = boxes.vorname;
    order.nachname = boxes.nachname;
    order.strasse = boxes.strasse;
    order.plz = boxes.plz;
    order.ort = boxes.ort;
    order.telefon = boxes.telefon;
    order.email = boxes.email;
    order.homepage = boxes.homepage;
    order.kaeuferreferenz = boxes.kaeuferreferenz;
    order.bemerkung = boxes.bemerkung;
    if (boxes.status)
        order.status = *boxes.status;
    if (numberChanged)
        draft.drawnNumber.reset(); // typed: kept as typed, or refused
    draft.order = order;
    return std::nullopt;
}

TArtikel OrderEditSession::newLine() const
{
    TArtikel line;
    line.bestellungId = order().id;
    line.anzahl = 1;
    line.mwst = 19;
    return line;
}

void OrderEditSession::sortLines(Draft &draft) const
{
    // As the database lists them: by article number in code-point order,
    // equal numbers in the order they were added (stored ones first).
    std::stable_sort(draft.lines.begin(), draft.lines.end(),
                     [](const TArtikel &a, const TArtikel &b) {
                         if (a.nr != b.nr)
                             return a.nr < b.nr;
                         if ((a.id > 0) != (b.id > 0))
                             return a.id > 0;
                         return a.id > 0 ? a.id < b.id : a.id > b.id;
                     });
}

int OrderEditSession::addLine(TArtikel line)
{
    if (!hasOrder() || issued())
        return 0;
    Draft &draft = current();
    line.id = m_nextKey--;
    line.bestellungId = draft.order.id;
    for (TOption &option : line.optionen) {
        option.id = option.id < 0 ? option.id : m_nextKey--;
        option.artikelId = line.id;
    }
    draft.lines << line;
    sortLines(draft);
    return line.id;
}

bool OrderEditSession::replaceLine(const TArtikel &line)
{
    if (!hasOrder() || issued())
        return false;
    Draft &draft = current();
    for (TArtikel &mine : draft.lines)
        if (mine.id == line.id) {
            mine = line;
            mine.bestellungId = draft.order.id;
            for (TOption &option : mine.optionen) {
                if (option.id == 0)
                    option.id = m_nextKey--;
                option.artikelId = mine.id;
            }
            sortLines(draft);
            return true;
        }
    return false;
}

bool OrderEditSession::removeLine(int lineId)
{
    return hasOrder() && !issued()
           && current().lines.removeIf([lineId](const TArtikel &l) { return l.id == lineId; }) > 0;
}

TBestellung *OrderEditSession::unsavedOrder(int orderId)
{
    for (Draft &draft : m_drafts)
        if (draft.order.id == orderId)
            return &draft.order;
    return nullptr;
}

const QList<TArtikel> *OrderEditSession::unsavedLines(int orderId) const
{
    for (const Draft &draft : m_drafts)
        if (draft.order.id == orderId)
            return &draft.lines;
    return nullptr;
}

bool OrderEditSession::changed() const
{
    for (const Draft &draft : m_drafts)
        if (draftChanged(draft))
            return true;
    return false;
}

bool OrderEditSession::draftChanged(const Draft &draft)
{
    return draft.isNew() || !sameOrder(draft.order, draft.stored)
           || !sameLines(draft.lines, draft.storedLines);
}

bool OrderEditSession::orderChanged(int orderId) const
{
    for (const Draft &draft : m_drafts)
        if (draft.order.id == orderId)
            return draftChanged(draft);
    return false;
}

bool OrderEditSession::issued() const
{
    return hasOrder() && current().order.issued();
}

bool OrderEditSession::reread(int orderId, QString *error)
{
    for (Draft &draft : m_drafts) {
        if (draft.order.id != orderId || draftChanged(draft))
            continue;
        const auto order = OrderStore(m_db).order(orderId);
        if (!order) {
            *error = m_db.lastError().isEmpty()
                         ? QStringLiteral("Die Bestellung %1 gibt es nicht mehr.").arg(orderId)
                         : m_db.lastError();
            return false;
        }
        draft.order = *order;
        draft.stored = *order;
    }
    return true;
}

std::optional<EditRefusal> OrderEditSession::takeIssuedBoxes(const OrderBoxes &boxes)
{
    Draft &draft = current();
    const OrderBoxes shown = this->boxes();
    // What the invoice shows stays as issued; the editor shows it read-only,
    // so a difference here comes from elsewhere and is refused.
    if (boxes.rechNr.trimmed() != shown.rechNr || boxes.zeit != shown.zeit
        || boxes.firma != shown.firma || boxes.vorname != shown.vorname
        || boxes.nachname != shown.nachname || boxes.strasse != shown.strasse
        || boxes.plz != shown.plz || boxes.ort != shown.ort
        || boxes.kaeuferreferenz != shown.kaeuferreferenz || boxes.ustIdNr != shown.ustIdNr
        || boxes.emailERechnung != shown.emailERechnung
        || taxCaseFromText(boxes.steuerfall) != taxCaseFromText(shown.steuerfall)
        || boxes.lieferdatum != shown.lieferdatum) {
        // Recorded, as every refused change of an issued invoice is.
        AuditTrail(m_db).append(QString::fromUtf16(kAuditRefused), m_mandantId, draft.order.id,
                                QStringLiteral("Bearbeiten"), QString(), issuedNote());
        return EditRefusal{EditRefusal::Box::None, issuedNote(), false};
    }
    draft.order.telefon = boxes.telefon;
    draft.order.email = boxes.email;
    draft.order.homepage = boxes.homepage;
    draft.order.bemerkung = boxes.bemerkung;
    if (boxes.status)
        draft.order.status = *boxes.status;
    return std::nullopt;
}

QString OrderEditSession::issuedNote() const
{
    if (!hasOrder() || !issued())
        return QString();
    const TBestellung &o = order();
    return QStringLiteral("Die Rechnung Nr. %1 ist am %2 ausgestellt worden; ihre Angaben lassen "
                          "sich nicht mehr ändern. Korrigieren Sie sie mit \"Stornieren\" oder "
                          "\"Korrigieren\".")
        .arg(invoiceNumberText(o), o.rechnungsdatum.toString(QStringLiteral("dd.MM.yyyy")));
}

EditRefusal OrderEditSession::databaseFailure(const QString &what) const
{
    return EditRefusal{EditRefusal::Box::None, QStringLiteral("%1\n%2").arg(what, m_db.lastError()),
                       true};
}

bool OrderEditSession::saveLines(const Draft &draft, int orderId)
{
    // What the stay removed goes (a line's options with it); what it added
    // is inserted; what it changed is written.
    QHash<int, const TArtikel *> kept;
    for (const TArtikel &line : draft.lines)
        if (line.id > 0)
            kept.insert(line.id, &line);
    for (const TArtikel &stored : draft.storedLines)
        if (!kept.contains(stored.id) && !OrderStore(m_db).deleteLine(stored.id))
            return false;
    for (const TArtikel &line : draft.lines) {
        TArtikel written = line;
        written.bestellungId = orderId;
        const TArtikel *before = nullptr;
        for (const TArtikel &stored : draft.storedLines)
            if (stored.id == line.id)
                before = &stored;
        if (!before) {
            const auto id = OrderStore(m_db).insertLine(written);
            if (!id)
                return false;
            written.id = *id;
        } else if (!sameLine(*before, line) && !OrderStore(m_db).updateLine(written)) {
            return false;
        }
        QList<int> keptOptions;
        for (const TOption &option : line.optionen)
            if (option.id > 0)
                keptOptions << option.id;
        if (before)
            for (const TOption &old : before->optionen)
                if (!keptOptions.contains(old.id) && !OrderStore(m_db).deleteOption(old.id))
                    return false;
        for (TOption option : line.optionen) {
            option.artikelId = written.id;
            const TOption *old = nullptr;
            if (before)
                for (const TOption &candidate : before->optionen)
                    if (candidate.id == option.id)
                        old = &candidate;
            if (!old) {
                if (!OrderStore(m_db).insertOption(option))
                    return false;
            } else if (!sameOption(*old, option) && !OrderStore(m_db).updateOption(option)) {
                return false;
            }
        }
    }
    return true;
}

std::optional<EditRefusal> OrderEditSession::saveDraft(Draft &draft)
{
    if (draft.isNew()) {
        TBestellung order = draft.order;
        if (order.rechNr) {
            // Another seat may have taken the number meanwhile: one the stay
            // drew gives way to the next free one, one typed in is refused.
            auto refusal = numberTaken(draft, *order.rechNr, true);
            if (refusal && refusal->databaseFailed)
                return refusal;
            if (refusal && draft.drawnNumber == order.rechNr && !order.rechnungsdatum.isValid()) {
                const auto next = nextInvoiceNumber();
                if (!next)
                    return databaseFailure(
                        QStringLiteral("Die nächste Rechnungs-Nr. konnte nicht ermittelt werden."));
                order.rechNr = *next;
            } else if (refusal) {
                return refusal;
            }
        }
        const auto id = OrderStore(m_db).insertOrder(order);
        if (!id)
            return databaseFailure(
                QStringLiteral("Die neue Bestellung konnte nicht gespeichert werden."));
        draft.savedId = *id;
        if (!saveLines(draft, *id))
            return databaseFailure(
                QStringLiteral("Die Artikel der Bestellung konnten nicht gespeichert werden."));
        return std::nullopt;
    }
    if (sameOrder(draft.order, draft.stored) && sameLines(draft.lines, draft.storedLines))
        return std::nullopt;
    if (draft.order.rechNr && draft.order.rechNr != draft.stored.rechNr)
        if (auto refusal = numberTaken(draft, *draft.order.rechNr, true))
            return refusal;
    switch (OrderStore(m_db).updateOrderAtVersion(draft.order)) {
    case OrderStore::VersionedWrite::Written:
        break;
    case OrderStore::VersionedWrite::Changed:
        return EditRefusal{
            EditRefusal::Box::None,
            QStringLiteral("Die Bestellung %1 wurde inzwischen von einem anderen Benutzer oder "
                           "beim Einlesen geändert. Ihre Änderungen wurden nicht gespeichert, "
                           "damit die anderen nicht verloren gehen; das Fenster bleibt mit "
                           "Ihren Eingaben offen. Notieren Sie, was Sie geändert haben, "
                           "verlassen Sie die Bestellung mit „Nein“ und öffnen Sie sie neu.")
                .arg(draft.order.id),
            false};
    case OrderStore::VersionedWrite::Gone:
        return EditRefusal{
            EditRefusal::Box::None,
            QStringLiteral("Die Bestellung %1 wurde inzwischen von einem anderen Benutzer "
                           "gelöscht. Ihre Änderungen können nicht gespeichert werden; das "
                           "Fenster bleibt mit Ihren Eingaben offen.")
                .arg(draft.order.id),
            false};
    case OrderStore::VersionedWrite::Failed:
        return databaseFailure(QStringLiteral("Die Bestellung konnte nicht gespeichert werden."));
    }
    if (!draft.order.issued() && !saveLines(draft, draft.order.id))
        return databaseFailure(
            QStringLiteral("Die Artikel der Bestellung konnten nicht gespeichert werden."));
    return std::nullopt;
}

std::optional<EditRefusal> OrderEditSession::save()
{
    if (m_drafts.isEmpty() || !changed())
        return std::nullopt;
    // One short transaction; SQLite takes its write lock at the start and
    // PostgreSQL keeps other writers of orders out, so numbers and versions
    // checked here cannot change before they are written.
    const int depth = m_db.transactionDepth();
    if (!m_db.begin(InvoiceConnection::WriteLock::AtStart))
        return databaseFailure(QStringLiteral("Die Bestellung konnte nicht gespeichert werden."));
    std::optional<EditRefusal> refusal;
    if (!m_db.lockOrdersForNumbering())
        refusal =
            databaseFailure(QStringLiteral("Die Bestellung konnte nicht gespeichert werden."));
    for (Draft &draft : m_drafts) {
        if (refusal)
            break;
        refusal = saveDraft(draft);
    }
    if (!refusal && !m_db.commit())
        refusal =
            databaseFailure(QStringLiteral("Die Bestellung konnte nicht gespeichert werden."));
    if (refusal) {
        while (m_db.transactionDepth() > depth && m_db.rollback()) {
        }
        return refusal;
    }
    m_savedIds.clear();
    for (const Draft &draft : std::as_const(m_drafts))
        m_savedIds.insert(draft.order.id, draft.isNew() ? draft.savedId : draft.order.id);
    m_drafts.clear();
    m_current = -1;
    return std::nullopt;
}

} // namespace vq::invoice
