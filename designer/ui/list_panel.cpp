#include "designer/ui/list_panel.h"

#include "common/GlobalFunctions.h"
#include "designer/model/template_library.h"
#include "designer/ui_logic/window_logic.h"

#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace vq::ui {

namespace {

const QString kDeleteQuestion = QStringLiteral("Soll der Eintrag wirklich gelöscht werden?");

// The field kinds of the "Neu" pop-up menu, in menu order.
struct FieldKindEntry
{
    const char16_t *caption;
    const char16_t *typeWord;
};
constexpr FieldKindEntry kFieldKinds[] = {
    {u"Einzeiliges Textfeld", u"TEinzField"},   {u"Password Textfeld", u"TPassField"},
    {u"Mehrzeiliges Textfeld", u"TMehrzField"}, {u"Liste/Dropdown Feld", u"TDropDownField"},
    {u"CheckBox", u"TCheckBoxField"},           {u"Zwischentext", u"TZwField"},
    {u"RadioButtons", u"TRadioField"},          {u"Datei-Upload Feld", u"TFileField"},
};

QPushButton *button(const QString &text, const QString &name)
{
    auto *b = new QPushButton(text);
    b->setObjectName(name);
    return b;
}

} // namespace

class ListPanel::EntryAccess
{
public:
    virtual ~EntryAccess() = default;
    // The entry through its editor; the change becomes a step on OK.
    virtual void create(QWidget *parent, EditorAccess &editors, const QString &typeWord) = 0;
    virtual void edit(QWidget *parent, EditorAccess &editors, int row) = 0;
    virtual void remove(int row) = 0;
    virtual bool move(int row, int delta) = 0;
    virtual bool insertTemplate(const QString &library, int index, QString *error) = 0;
    virtual bool saveTemplate(const QString &library, int row, QString *error) const = 0;
};

namespace {

template <typename Entry> class TypedAccess : public ListPanel::EntryAccess
{
public:
    explicit TypedAccess(DesignerDocument &document)
        : m_document(document)
    {
    }
    void create(QWidget *parent, EditorAccess &editors, const QString &typeWord) override;
    void edit(QWidget *parent, EditorAccess &editors, int row) override;
    void remove(int row) override { m_document.removeEntry<Entry>(row); }
    bool move(int row, int delta) override { return m_document.moveEntry<Entry>(row, delta); }
    bool insertTemplate(const QString &library, int index, QString *error) override;
    bool saveTemplate(const QString &library, int row, QString *error) const override;

private:
    DesignerDocument &m_document;
};

template <>
void TypedAccess<TFormField>::create(QWidget *parent, EditorAccess &editors,
                                     const QString &typeWord)
{
    std::unique_ptr<TFormField> field = createFieldOfType(typeWord);
    if (field && editors.editField(parent, *field, -1, true, m_document.project().ListField))
        m_document.addEntry(std::move(field));
}

template <> void TypedAccess<TFormField>::edit(QWidget *parent, EditorAccess &editors, int row)
{
    std::unique_ptr<TFormField> copy = m_document.project().ListField[size_t(row)]->clone();
    if (editors.editField(parent, *copy, row, false, m_document.project().ListField))
        m_document.editEntry(row, std::move(copy));
}

template <>
void TypedAccess<TArtikelField>::create(QWidget *parent, EditorAccess &editors, const QString &)
{
    auto artikel = std::make_unique<TArtikelField>();
    if (editors.editArticle(parent, *artikel, true))
        m_document.addEntry(std::move(artikel));
}

template <> void TypedAccess<TArtikelField>::edit(QWidget *parent, EditorAccess &editors, int row)
{
    auto copy = std::make_unique<TArtikelField>(*m_document.project().ListArtikel[size_t(row)]);
    // The article dialog changes options at once, also when it is left with
    // "Abbrechen": whatever differs becomes the step.
    editors.editArticle(parent, *copy, false);
    m_document.editArticle(row, std::move(copy));
}

// The library functions of either kind under one name.
bool insertFromLibrary(const QString &library, int index, FieldList &list, QString *error)
{
    return vq::insertFieldTemplate(library, index, list, error);
}

bool insertFromLibrary(const QString &library, int index, TArtikelList &list, QString *error)
{
    return vq::insertArticleTemplate(library, index, list, error);
}

bool saveToLibrary(const QString &library, const TFormField &field, QString *error)
{
    return vq::saveFieldAsTemplate(library, field, error);
}

bool saveToLibrary(const QString &library, const TArtikelField &artikel, QString *error)
{
    return vq::saveArticleAsTemplate(library, artikel, error);
}

template <typename Entry>
bool TypedAccess<Entry>::insertTemplate(const QString &library, int index, QString *error)
{
    typename EntryListModel<Entry>::List inserted;
    if (!insertFromLibrary(library, index, inserted, error))
        return false;
    for (auto &entry : inserted)
        m_document.insertTemplate(std::move(entry));
    return true;
}

template <typename Entry>
bool TypedAccess<Entry>::saveTemplate(const QString &library, int row, QString *error) const
{
    return saveToLibrary(library, m_document.list<Entry>().entry(row), error);
}

} // namespace

ListPanel::ListPanel(Kind kind, DesignerDocument &document, UserQuestions &dialogs,
                     std::function<EditorAccess *()> editors, QWidget *parent)
    : QWidget(parent)
    , m_kind(kind)
    , m_document(document)
    , m_dialogs(dialogs)
    , m_editors(std::move(editors))
{
    const bool articles = kind == Kind::Articles;
    if (articles)
        m_access = std::make_unique<TypedAccess<TArtikelField>>(document);
    else
        m_access = std::make_unique<TypedAccess<TFormField>>(document);
    ProjectListModel *model = articles ? static_cast<ProjectListModel *>(&document.articles())
                                       : static_cast<ProjectListModel *>(&document.fields());

    auto *layout = new QHBoxLayout(this);
    auto *group =
        new QGroupBox(articles ? QStringLiteral("Artikel") : QStringLiteral("Formularfelder"));
    auto *groupLayout = new QVBoxLayout(group);
    m_view = new QTreeView;
    m_view->setObjectName(articles ? QStringLiteral("lvArtikel") : QStringLiteral("lvFelder"));
    m_view->setModel(model);
    m_view->setRootIsDecorated(false);
    m_view->setItemsExpandable(false);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setUniformRowHeights(true);
    m_view->setAllColumnsShowFocus(true);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    m_view->setAccessibleName(group->title());
    groupLayout->addWidget(m_view);
    m_view->header()->setSectionResizeMode(QHeaderView::Interactive);
    m_view->header()->setStretchLastSection(true);
    for (int column = 0; column < model->columnCount() - 1; ++column)
        m_view->setColumnWidth(column, articles ? 160 : 200);
    layout->addWidget(group, 1);

    const QString suffix = articles ? QStringLiteral("Artikel") : QStringLiteral("Feld");
    auto *side = new QVBoxLayout;
    QPushButton *newButton = button(QStringLiteral("Neu"), QStringLiteral("btnNeu") + suffix);
    QPushButton *editButton =
        button(QStringLiteral("Bearbeiten"), QStringLiteral("btnBearbeiten") + suffix);
    QPushButton *deleteButton =
        button(QStringLiteral("Löschen"), QStringLiteral("btnLoeschen") + suffix);
    auto arrow = [&](Qt::ArrowType type, const QString &name, const QString &accessible) {
        auto *b = new QToolButton;
        b->setObjectName(name);
        b->setArrowType(type);
        b->setAccessibleName(accessible);
        b->setToolTip(accessible);
        b->setFocusPolicy(Qt::StrongFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        return b;
    };
    QToolButton *up =
        arrow(Qt::UpArrow, QStringLiteral("btnHoch") + suffix, QStringLiteral("Nach oben"));
    QToolButton *down =
        arrow(Qt::DownArrow, QStringLiteral("btnRunter") + suffix, QStringLiteral("Nach unten"));
    side->addWidget(newButton);
    side->addWidget(editButton);
    side->addWidget(deleteButton);
    side->addSpacing(12);
    side->addWidget(up);
    side->addWidget(down);
    side->addStretch();

    auto *templates = new QGroupBox(QStringLiteral("Vorlagen"));
    auto *templatesLayout = new QVBoxLayout(templates);
    m_templates = new QComboBox;
    m_templates->setObjectName(articles ? QStringLiteral("cboVorlagenArtikel")
                                        : QStringLiteral("cboVorlagen"));
    m_templates->setAccessibleName(QStringLiteral("Vorlagen"));
    m_templates->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_templates->setMinimumContentsLength(18);
    QPushButton *insert =
        button(QStringLiteral("Einfügen"), QStringLiteral("btnEinfuegenVorlage") + suffix);
    templatesLayout->addWidget(m_templates);
    templatesLayout->addWidget(insert);
    side->addWidget(templates);
    layout->addLayout(side);

    if (articles) {
        connect(newButton, &QPushButton::clicked, this, [this] { newEntry(); });
    } else {
        m_kindMenu = new QMenu(this);
        m_kindMenu->setObjectName(QStringLiteral("pmFeldTyp"));
        for (const FieldKindEntry &kind : kFieldKinds) {
            QAction *a = m_kindMenu->addAction(QString::fromUtf16(kind.caption));
            const QString typeWord = QString::fromUtf16(kind.typeWord);
            a->setObjectName(QStringLiteral("actNeu") + typeWord);
            connect(a, &QAction::triggered, this, [this, typeWord] { newEntry(typeWord); });
        }
        // At the mouse; below the button when it was pressed from the keyboard.
        connect(newButton, &QPushButton::clicked, this, [this, newButton] {
            const bool byMouse =
                newButton->rect().contains(newButton->mapFromGlobal(QCursor::pos()));
            m_kindMenu->popup(byMouse ? QCursor::pos()
                                      : newButton->mapToGlobal(QPoint(0, newButton->height())));
        });
    }
    connect(editButton, &QPushButton::clicked, this, [this] { editSelected(); });
    connect(deleteButton, &QPushButton::clicked, this, [this] { deleteSelected(); });
    connect(up, &QToolButton::clicked, this, [this] { moveSelected(-1); });
    connect(down, &QToolButton::clicked, this, [this] { moveSelected(1); });
    connect(insert, &QPushButton::clicked, this, [this] { insertTemplate(); });
    connect(m_view, &QTreeView::doubleClicked, this, [this] { editSelected(); });
    connect(model, &ProjectListModel::touched, this, &ListPanel::showSelectionOf);
    m_view->installEventFilter(this);
    connect(m_view, &QTreeView::customContextMenuRequested, this,
            [this](const QPoint &at) { showMenu(m_view->viewport()->mapToGlobal(at)); });
}

ListPanel::~ListPanel() = default;

QString ListPanel::libraryFile() const
{
    return appDataFile(
        QString::fromLatin1(m_kind == Kind::Articles ? kArticleLibraryFile : kFieldLibraryFile));
}

int ListPanel::selectedRow() const
{
    const QModelIndexList rows = m_view->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void ListPanel::selectRow(int row)
{
    const QModelIndex index = m_view->model()->index(row, 0);
    if (index.isValid())
        m_view->setCurrentIndex(index);
}

void ListPanel::showSelectionOf(int row)
{
    if (row < 0) {
        m_view->clearSelection();
        return;
    }
    selectRow(row);
    m_view->scrollTo(m_view->model()->index(row, 0));
}

void ListPanel::newEntry(const QString &typeWord)
{
    if (EditorAccess *editors = m_editors())
        m_access->create(window(), *editors, typeWord);
}

void ListPanel::editSelected()
{
    const int row = selectedRow();
    EditorAccess *editors = m_editors();
    if (row < 0 || !editors)
        return;
    m_access->edit(window(), *editors, row);
}

void ListPanel::deleteSelected()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    if (m_dialogs.ask(window(), QMessageBox::Question, QStringLiteral("Löschen"), kDeleteQuestion,
                      QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    m_access->remove(row);
}

void ListPanel::moveSelected(int delta)
{
    const int row = selectedRow();
    if (row >= 0)
        m_access->move(row, delta);
}

void ListPanel::insertTemplate()
{
    QString error;
    if (!m_access->insertTemplate(libraryFile(), m_templates->currentIndex(), &error))
        m_dialogs.tell(window(), QMessageBox::Critical, QStringLiteral("Vorlagen"), error);
}

void ListPanel::saveAsTemplate()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    QString error;
    if (!m_access->saveTemplate(libraryFile(), row, &error))
        m_dialogs.tell(window(), QMessageBox::Critical, QStringLiteral("Vorlagen"), error);
    Q_EMIT templatesChanged();
}

void ListPanel::setTemplates(const QStringList &captions)
{
    m_templates->clear();
    m_templates->addItems(captions);
    m_templates->setCurrentIndex(-1);
}

bool ListPanel::eventFilter(QObject *watched, QEvent *event)
{
    // The Delete key on the list is "Löschen".
    if (watched == m_view && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete
        && static_cast<QKeyEvent *>(event)->modifiers() == Qt::NoModifier) {
        deleteSelected();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ListPanel::showMenu(const QPoint &at)
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const bool articles = m_kind == Kind::Articles;
    menu->setObjectName(articles ? QStringLiteral("pmArtikel") : QStringLiteral("pmFelder"));
    if (articles)
        menu->addAction(QStringLiteral("&Neu"), this, [this] { newEntry(); });
    else
        menu->addAction(QStringLiteral("&Neu"), this, [this, at] { m_kindMenu->popup(at); });
    menu->addAction(QStringLiteral("&Bearbeiten"), this, [this] { editSelected(); });
    menu->addAction(QStringLiteral("&Löschen"), this, [this] { deleteSelected(); });
    menu->addSeparator();
    menu->addAction(articles ? QStringLiteral("Artikel als Vorlage")
                             : QStringLiteral("Feld als Vorlage"),
                    this, [this] { saveAsTemplate(); });
    menu->popup(at);
}

} // namespace vq::ui
