// The project the designer edits: its content, its file, and the undo stack
// every change goes through. Settings, list entries, article options, the
// extended settings and the HTML snippets change only by a step on the stack,
// so each change can be undone and redone, and the project counts as modified
// exactly while the stack stands away from the state last loaded or saved.
#pragma once

#include "designer/document/list_models.h"
#include "designer/model/project_document.h"

#include <QObject>
#include <QString>
#include <QUndoStack>
#include <memory>

namespace vq {

class DesignerDocument : public QObject
{
    Q_OBJECT
public:
    explicit DesignerDocument(QObject *parent = nullptr);
    ~DesignerDocument() override;

    const ProjectDocument &project() const { return m_project; }
    // The project for changes that bypass the stack (a whole list filled at
    // once by a test or a start-up step); listsReplaced() must follow a change
    // of the lists.
    ProjectDocument &projectBypassingUndo() { return m_project; }
    void listsReplaced();

    QUndoStack &undoStack() { return m_stack; }
    FieldListModel &fields() { return m_fields; }
    ArticleListModel &articles() { return m_articles; }
    template <typename Entry> EntryListModel<Entry> &list();

    // ---- the file
    QString fileName() const { return m_fileName; }
    bool hasOwnFile() const { return !m_fileName.isEmpty(); }
    bool isModified() const { return !m_stack.isClean(); }
    // Reads path into the project (settings the file does not name keep
    // their value) and starts a new history. A file that fails to load does
    // not become the project's file; what was read stays to be looked at.
    LoadResult load(const QString &path);
    // The default project "default.vqb" of the program folder, without a file.
    LoadResult loadDefault(const QString &programFolder);
    // Writes the project to path; on success path becomes the project's file
    // and the current state the saved one. On failure nothing changes.
    bool save(const QString &path, QString *error);
    // Entries of the "Pfad zum FormMailer" drop-down that a load falls back
    // on; not part of the project's content, so no step.
    void setFormMailerList(const QStringList &entries) { m_project.FormMailerList = entries; }

    // ---- settings
    // One of the page settings as ProjectDocument::setting writes it. Nothing
    // happens when the value is the same. Consecutive changes of one setting
    // are one step ("Einstellung ändern: <label>") until finishSettingEdit().
    void setSetting(const QString &key, const QString &value);
    void setFlag(const QString &key, bool value);
    void finishSettingEdit() { ++m_settingSession; }
    // The text of an HTML snippet setting replaced as a whole ("HTML-Text ersetzen").
    void replaceSnippet(const QString &key, const QString &text);
    // The extended settings replaced; stepLabel names the step after
    // "Einstellung ändern: ".
    void setExtSettings(const TExtSettings &settings, const QString &stepLabel);
    // Several changes as one step named text.
    void beginStep(const QString &text) { m_stack.beginMacro(text); }
    void endStep() { m_stack.endMacro(); }

    // ---- the field list and the article list
    // The new entry at row (-1: at the end): "Feld hinzufügen", "Artikel hinzufügen".
    template <typename Entry> void addEntry(std::unique_ptr<Entry> entry, int row = -1);
    // A library template appended: "Vorlage einfügen".
    template <typename Entry> void insertTemplate(std::unique_ptr<Entry> entry);
    // The entry at row replaced by its edited copy, when it differs: "… bearbeiten".
    template <typename Entry> bool editEntry(int row, std::unique_ptr<Entry> edited);
    template <typename Entry> bool removeEntry(int row);
    // The entry at row swapped with its neighbour (delta -1 up, +1 down).
    // Returns false at the ends and for a row outside the list.
    template <typename Entry> bool moveEntry(int row, int delta);

    // The article at row replaced by its copy edited in the article dialog.
    // A copy that differs only by one option added at the end, removed or
    // changed is that option's step ("Option hinzufügen", "Option löschen",
    // "Option bearbeiten"); any other difference is "Artikel bearbeiten".
    bool editArticle(int row, std::unique_ptr<TArtikelField> edited);

    // ---- the options of the article at articleRow
    bool addOption(int articleRow, std::unique_ptr<TOptionField> option);
    bool editOption(int articleRow, int optionRow, std::unique_ptr<TOptionField> edited);
    bool removeOption(int articleRow, int optionRow);
    bool moveOption(int articleRow, int optionRow, int delta);

    // The step name of a setting change.
    static QString settingStepName(const QString &key);

    // Used by the steps: the value changed and everyone told.
    void applySetting(const QString &key, const QString &value);
    void applyExtSettings(const TExtSettings &settings);

Q_SIGNALS:
    // A setting changed by a step or its undo; an empty key: any setting may
    // have changed (a load, the extended settings).
    void settingChanged(const QString &key);
    void fileNameChanged(const QString &fileName);
    void modifiedChanged(bool modified);

private:
    void startHistory();
    // The file's content into the project, with a new history; no file name.
    LoadResult read(const QString &path);
    void setFileName(const QString &fileName);
    bool changeArticle(int articleRow, std::unique_ptr<TArtikelField> changed, const QString &text);

    ProjectDocument m_project;
    FieldListModel m_fields{m_project.ListField};
    ArticleListModel m_articles{m_project.ListArtikel};
    QUndoStack m_stack;
    QString m_fileName;
    int m_settingSession = 0;
};

} // namespace vq
