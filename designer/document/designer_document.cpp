#include "designer/document/designer_document.h"

#include "common/xml_values.h"
#include "designer/ui_logic/window_logic.h"

#include <QUndoCommand>

namespace vq {

namespace {

template <typename Entry> QString noun();
template <> QString noun<TFormField>()
{
    return QStringLiteral("Feld");
}
template <> QString noun<TArtikelField>()
{
    return QStringLiteral("Artikel");
}

std::unique_ptr<TArtikelField> copyOf(const TArtikelField &artikel)
{
    return std::make_unique<TArtikelField>(artikel);
}

bool same(const TFormField &a, const TFormField &b)
{
    return a.typeWord() == b.typeWord() && a.equals(b);
}

bool same(const TArtikelField &a, const TArtikelField &b)
{
    return a.equals(b);
}

// An entry comes into the list at row (removal undone, or the step itself).
template <typename Entry> class InsertStep : public QUndoCommand
{
public:
    InsertStep(EntryListModel<Entry> &model, int row, std::unique_ptr<Entry> entry,
               const QString &text, bool inserts)
        : QUndoCommand(text)
        , m_model(model)
        , m_row(row)
        , m_entry(std::move(entry))
        , m_inserts(inserts)
    {
    }
    void redo() override { m_inserts ? put() : take(); }
    void undo() override { m_inserts ? take() : put(); }

private:
    void put() { m_model.insertEntry(m_row, std::move(m_entry)); }
    void take() { m_entry = m_model.takeEntry(m_row); }

    EntryListModel<Entry> &m_model;
    int m_row;
    std::unique_ptr<Entry> m_entry; // while it is out of the list
    bool m_inserts;
};

// The entry at row and another version of it trade places.
template <typename Entry> class ReplaceStep : public QUndoCommand
{
public:
    ReplaceStep(EntryListModel<Entry> &model, int row, std::unique_ptr<Entry> other,
                const QString &text)
        : QUndoCommand(text)
        , m_model(model)
        , m_row(row)
        , m_other(std::move(other))
    {
    }
    void redo() override { m_other = m_model.replaceEntry(m_row, std::move(m_other)); }
    void undo() override { redo(); }

private:
    EntryListModel<Entry> &m_model;
    int m_row;
    std::unique_ptr<Entry> m_other;
};

template <typename Entry> class MoveStep : public QUndoCommand
{
public:
    MoveStep(EntryListModel<Entry> &model, int row, int delta, const QString &text)
        : QUndoCommand(text)
        , m_model(model)
        , m_row(row)
        , m_delta(delta)
    {
    }
    void redo() override { m_model.moveEntry(m_row, m_delta); }
    void undo() override { m_model.moveEntry(m_row + m_delta, -m_delta); }

private:
    EntryListModel<Entry> &m_model;
    int m_row;
    int m_delta;
};

// One setting from one value to another. Consecutive changes of the same
// setting within one editing session become one step.
class SettingStep : public QUndoCommand
{
public:
    static constexpr int kId = 1;

    SettingStep(DesignerDocument &document, const QString &key, const QString &before,
                const QString &after, int session, const QString &text)
        : QUndoCommand(text)
        , m_document(document)
        , m_key(key)
        , m_before(before)
        , m_after(after)
        , m_session(session)
    {
    }
    int id() const override { return m_session < 0 ? -1 : kId; }
    bool mergeWith(const QUndoCommand *other) override
    {
        const auto *next = static_cast<const SettingStep *>(other);
        if (next->m_key != m_key || next->m_session != m_session)
            return false;
        m_after = next->m_after;
        setObsolete(m_after == m_before);
        return true;
    }
    void redo() override { m_document.applySetting(m_key, m_after); }
    void undo() override { m_document.applySetting(m_key, m_before); }

private:
    DesignerDocument &m_document;
    QString m_key;
    QString m_before;
    QString m_after;
    int m_session; // -1: never merges
};

class ExtSettingsStep : public QUndoCommand
{
public:
    ExtSettingsStep(DesignerDocument &document, const TExtSettings &before,
                    const TExtSettings &after, const QString &text)
        : QUndoCommand(text)
        , m_document(document)
        , m_before(before)
        , m_after(after)
    {
    }
    void redo() override { m_document.applyExtSettings(m_after); }
    void undo() override { m_document.applyExtSettings(m_before); }

private:
    DesignerDocument &m_document;
    TExtSettings m_before;
    TExtSettings m_after;
};

QString settingChangeName(const QString &label)
{
    return QStringLiteral("Einstellung ändern: ") + label;
}

} // namespace

DesignerDocument::DesignerDocument(QObject *parent)
    : QObject(parent)
{
    connect(&m_stack, &QUndoStack::cleanChanged, this,
            [this](bool clean) { Q_EMIT modifiedChanged(!clean); });
}

DesignerDocument::~DesignerDocument()
{
    // The steps refer to the models; they go first.
    m_stack.clear();
}

template <> EntryListModel<TFormField> &DesignerDocument::list<TFormField>()
{
    return m_fields;
}

template <> EntryListModel<TArtikelField> &DesignerDocument::list<TArtikelField>()
{
    return m_articles;
}

void DesignerDocument::listsReplaced()
{
    m_fields.beginReplaceAll();
    m_fields.endReplaceAll();
    m_articles.beginReplaceAll();
    m_articles.endReplaceAll();
}

// ---------------------------------------------------------------- the file

void DesignerDocument::startHistory()
{
    m_stack.clear();
    m_stack.setClean();
    ++m_settingSession;
}

void DesignerDocument::setFileName(const QString &fileName)
{
    m_fileName = fileName;
    Q_EMIT fileNameChanged(fileName);
}

LoadResult DesignerDocument::read(const QString &path)
{
    startHistory();
    m_fields.beginReplaceAll();
    m_articles.beginReplaceAll();
    const LoadResult result = m_project.LoadProject(path);
    m_articles.endReplaceAll();
    m_fields.endReplaceAll();
    Q_EMIT settingChanged(QString());
    return result;
}

LoadResult DesignerDocument::load(const QString &path)
{
    const LoadResult result = read(path);
    setFileName(result.ok ? path : QString());
    return result;
}

LoadResult DesignerDocument::loadDefault(const QString &programFolder)
{
    const LoadResult result = read(programFolder + QStringLiteral("/default.vqb"));
    setFileName(QString());
    return result;
}

bool DesignerDocument::save(const QString &path, QString *error)
{
    if (!m_project.SaveProject(path, error))
        return false;
    m_stack.setClean();
    finishSettingEdit();
    setFileName(path);
    return true;
}

// ---------------------------------------------------------------- settings

QString DesignerDocument::settingStepName(const QString &key)
{
    const ui::SettingControl *control = ui::findSettingControl(key);
    if (!control)
        return settingChangeName(key);
    const auto shown = [](const QString &label) { return QString(label).remove(u':').trimmed(); };
    QString label = shown(control->label);
    // A label two settings share ("Standarddesign?") is told apart by its group.
    for (const ui::SettingControl &other : ui::settingControls())
        if (other.key != key && shown(other.label) == label) {
            label += QStringLiteral(" (") + control->group + u')';
            break;
        }
    return settingChangeName(label);
}

void DesignerDocument::applySetting(const QString &key, const QString &value)
{
    m_project.setSetting(key, value);
    Q_EMIT settingChanged(key);
}

void DesignerDocument::applyExtSettings(const TExtSettings &settings)
{
    m_project.ExtSettings = settings;
    Q_EMIT settingChanged(QString());
}

void DesignerDocument::setSetting(const QString &key, const QString &value)
{
    const QString before = m_project.setting(key);
    if (before == value)
        return;
    m_stack.push(
        new SettingStep(*this, key, before, value, m_settingSession, settingStepName(key)));
}

void DesignerDocument::setFlag(const QString &key, bool value)
{
    setSetting(key, boolText(value));
}

void DesignerDocument::replaceSnippet(const QString &key, const QString &text)
{
    const QString before = m_project.setting(key);
    if (before == text)
        return;
    m_stack.push(
        new SettingStep(*this, key, before, text, -1, QStringLiteral("HTML-Text ersetzen")));
    finishSettingEdit();
}

void DesignerDocument::setExtSettings(const TExtSettings &settings, const QString &stepLabel)
{
    if (settings == m_project.ExtSettings)
        return;
    m_stack.push(
        new ExtSettingsStep(*this, m_project.ExtSettings, settings, settingChangeName(stepLabel)));
    finishSettingEdit();
}

// ---------------------------------------------------------------- lists

template <typename Entry> void DesignerDocument::addEntry(std::unique_ptr<Entry> entry, int row)
{
    EntryListModel<Entry> &model = list<Entry>();
    if (row < 0 || row > model.rowCount())
        row = model.rowCount();
    m_stack.push(new InsertStep<Entry>(model, row, std::move(entry),
                                       noun<Entry>() + QStringLiteral(" hinzufügen"), true));
}

template <typename Entry> void DesignerDocument::insertTemplate(std::unique_ptr<Entry> entry)
{
    EntryListModel<Entry> &model = list<Entry>();
    m_stack.push(new InsertStep<Entry>(model, model.rowCount(), std::move(entry),
                                       QStringLiteral("Vorlage einfügen"), true));
}

template <typename Entry> bool DesignerDocument::editEntry(int row, std::unique_ptr<Entry> edited)
{
    EntryListModel<Entry> &model = list<Entry>();
    if (row < 0 || row >= model.rowCount() || same(model.entry(row), *edited))
        return false;
    m_stack.push(new ReplaceStep<Entry>(model, row, std::move(edited),
                                        noun<Entry>() + QStringLiteral(" bearbeiten")));
    return true;
}

template <typename Entry> bool DesignerDocument::removeEntry(int row)
{
    EntryListModel<Entry> &model = list<Entry>();
    if (row < 0 || row >= model.rowCount())
        return false;
    m_stack.push(new InsertStep<Entry>(model, row, nullptr,
                                       noun<Entry>() + QStringLiteral(" löschen"), false));
    return true;
}

template <typename Entry> bool DesignerDocument::moveEntry(int row, int delta)
{
    EntryListModel<Entry> &model = list<Entry>();
    const int target = row + delta;
    if ((delta != 1 && delta != -1) || row < 0 || row >= model.rowCount() || target < 0
        || target >= model.rowCount())
        return false;
    m_stack.push(
        new MoveStep<Entry>(model, row, delta, noun<Entry>() + QStringLiteral(" verschieben")));
    return true;
}

template void DesignerDocument::addEntry(std::unique_ptr<TFormField>, int);
template void DesignerDocument::addEntry(std::unique_ptr<TArtikelField>, int);
template void DesignerDocument::insertTemplate(std::unique_ptr<TFormField>);
template void DesignerDocument::insertTemplate(std::unique_ptr<TArtikelField>);
template bool DesignerDocument::editEntry(int, std::unique_ptr<TFormField>);
template bool DesignerDocument::editEntry(int, std::unique_ptr<TArtikelField>);
template bool DesignerDocument::removeEntry<TFormField>(int);
template bool DesignerDocument::removeEntry<TArtikelField>(int);
template bool DesignerDocument::moveEntry<TFormField>(int, int);
template bool DesignerDocument::moveEntry<TArtikelField>(int, int);

// ---------------------------------------------------------------- options

bool DesignerDocument::changeArticle(int articleRow, std::unique_ptr<TArtikelField> changed,
                                     const QString &text)
{
    m_stack.push(new ReplaceStep<TArtikelField>(m_articles, articleRow, std::move(changed), text));
    return true;
}

namespace {

bool sameOption(const TOptionField &a, const TOptionField &b)
{
    return a.kind() == b.kind() && a.equals(b);
}

// The one option in which edited differs from before, when nothing else differs.
enum class OptionChange { None, Added, Removed, Changed };
struct OneOptionChange
{
    OptionChange change = OptionChange::None;
    int row = -1;
};

OneOptionChange oneOptionChange(const TArtikelField &before, const TArtikelField &edited)
{
    TArtikelField withoutOptions = edited;
    withoutOptions.listOptionen.clear();
    for (const auto &option : before.listOptionen)
        withoutOptions.listOptionen.push_back(option->clone());
    if (!withoutOptions.equals(before))
        return {};
    const TOptionList &a = before.listOptionen;
    const TOptionList &b = edited.listOptionen;
    size_t same = 0;
    while (same < a.size() && same < b.size() && sameOption(*a[same], *b[same]))
        ++same;
    if (b.size() == a.size() + 1 && same == a.size())
        return {OptionChange::Added, int(same)};
    const auto restEqual = [&](size_t fromA, size_t fromB) {
        for (; fromA < a.size() && fromB < b.size(); ++fromA, ++fromB)
            if (!sameOption(*a[fromA], *b[fromB]))
                return false;
        return fromA == a.size() && fromB == b.size();
    };
    if (a.size() == b.size() + 1 && restEqual(same + 1, same))
        return {OptionChange::Removed, int(same)};
    if (a.size() == b.size() && same < a.size() && restEqual(same + 1, same + 1))
        return {OptionChange::Changed, int(same)};
    return {};
}

} // namespace

bool DesignerDocument::editArticle(int row, std::unique_ptr<TArtikelField> edited)
{
    if (row < 0 || row >= m_articles.rowCount() || !edited)
        return false;
    const OneOptionChange change = oneOptionChange(m_articles.entry(row), *edited);
    const size_t option = size_t(change.row);
    switch (change.change) {
    case OptionChange::Added:
        return addOption(row, std::move(edited->listOptionen[option]));
    case OptionChange::Removed:
        return removeOption(row, change.row);
    case OptionChange::Changed:
        return editOption(row, change.row, std::move(edited->listOptionen[option]));
    case OptionChange::None:
        break;
    }
    return editEntry(row, std::move(edited));
}

bool DesignerDocument::addOption(int articleRow, std::unique_ptr<TOptionField> option)
{
    if (articleRow < 0 || articleRow >= m_articles.rowCount() || !option)
        return false;
    auto changed = copyOf(m_articles.entry(articleRow));
    changed->listOptionen.push_back(std::move(option));
    return changeArticle(articleRow, std::move(changed), QStringLiteral("Option hinzufügen"));
}

bool DesignerDocument::editOption(int articleRow, int optionRow,
                                  std::unique_ptr<TOptionField> edited)
{
    if (articleRow < 0 || articleRow >= m_articles.rowCount() || !edited)
        return false;
    const TOptionList &options = m_articles.entry(articleRow).listOptionen;
    if (optionRow < 0 || optionRow >= int(options.size())
        || (options[size_t(optionRow)]->kind() == edited->kind()
            && options[size_t(optionRow)]->equals(*edited)))
        return false;
    auto changed = copyOf(m_articles.entry(articleRow));
    changed->listOptionen[size_t(optionRow)] = std::move(edited);
    return changeArticle(articleRow, std::move(changed), QStringLiteral("Option bearbeiten"));
}

bool DesignerDocument::removeOption(int articleRow, int optionRow)
{
    if (articleRow < 0 || articleRow >= m_articles.rowCount() || optionRow < 0
        || optionRow >= int(m_articles.entry(articleRow).listOptionen.size()))
        return false;
    auto changed = copyOf(m_articles.entry(articleRow));
    changed->listOptionen.erase(changed->listOptionen.begin() + optionRow);
    return changeArticle(articleRow, std::move(changed), QStringLiteral("Option löschen"));
}

bool DesignerDocument::moveOption(int articleRow, int optionRow, int delta)
{
    if (articleRow < 0 || articleRow >= m_articles.rowCount())
        return false;
    if (delta != 1 && delta != -1)
        return false;
    auto changed = copyOf(m_articles.entry(articleRow));
    if (ui::moveEntry(changed->listOptionen, optionRow, delta) < 0)
        return false;
    return changeArticle(articleRow, std::move(changed), QStringLiteral("Option verschieben"));
}

} // namespace vq
