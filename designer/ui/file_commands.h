// The file commands of the main window: "Neu", "Öffnen", "Speichern",
// "Speichern unter", dropped files and the question to save before the
// project is left. Each load starts a new history; "Speichern" marks the
// saved state.
#pragma once

#include "common_ui/questions.h"
#include "designer/document/designer_document.h"

#include <QObject>
#include <functional>

namespace vq::ui {

class FileCommands : public QObject
{
    Q_OBJECT
public:
    FileCommands(DesignerDocument &document, UserQuestions &dialogs,
                 std::function<QString()> programFolder, QWidget *window);

    void newProject();
    void openProject();
    bool save();
    bool saveAs();
    // Loads a file as the current project. A file that fails to load does not
    // become the current file. Returns true when it loaded completely.
    bool loadProjectFile(const QString &path);
    // The default project of the program folder, without a file of its own.
    void loadDefaultProject();
    void openDroppedFiles(const QStringList &paths);
    // Asks the save question; returns false for Cancel (and for Yes when the
    // project was not saved, if stopOnFailedSave).
    bool askToSave(bool stopOnFailedSave);

private:
    bool saveTo(const QString &path);
    void showLoadFailure(const LoadResult &result);

    DesignerDocument &m_document;
    UserQuestions &m_dialogs;
    std::function<QString()> m_programFolder;
    QWidget *m_window;
};

} // namespace vq::ui
