#include "designer/ui/file_commands.h"

#include "designer/ui_logic/window_logic.h"

#include <QFileInfo>

namespace vq::ui {

namespace {

const QString kSaveQuestion = QStringLiteral("Soll die aktuelle Datei gespeichert werden?");

} // namespace

FileCommands::FileCommands(DesignerDocument &document, UserQuestions &dialogs,
                           std::function<QString()> programFolder, QWidget *window)
    : QObject(window)
    , m_document(document)
    , m_dialogs(dialogs)
    , m_programFolder(std::move(programFolder))
    , m_window(window)
{
}

void FileCommands::showLoadFailure(const LoadResult &result)
{
    for (const QString &message : result.messages())
        m_dialogs.tell(m_window, QMessageBox::Warning, failedLoadTitle(), message);
}

bool FileCommands::loadProjectFile(const QString &path)
{
    // Settings a file does not name keep what the window shows. What a
    // damaged file gave is kept for the user to look at, but it must not
    // overwrite the file on the next "Speichern": the document has no file then.
    const LoadResult result = m_document.load(path);
    if (!result.ok)
        showLoadFailure(result);
    return result.ok;
}

void FileCommands::loadDefaultProject()
{
    const LoadResult result = m_document.loadDefault(m_programFolder());
    if (!result.ok)
        showLoadFailure(result);
}

bool FileCommands::askToSave(bool stopOnFailedSave)
{
    const QMessageBox::StandardButton answer =
        m_dialogs.ask(m_window, QMessageBox::Information, QStringLiteral("Speichern?"),
                      kSaveQuestion, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer == QMessageBox::Yes) {
        const bool saved = save();
        if (!saved && stopOnFailedSave)
            return false;
    }
    return true;
}

void FileCommands::newProject()
{
    if (m_dialogs.ask(m_window, QMessageBox::Information, QStringLiteral("Neu"),
                      QStringLiteral("Neues Formular erstellen?"),
                      QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    loadDefaultProject();
}

void FileCommands::openProject()
{
    if (!askToSave(false))
        return;
    const QString path =
        m_dialogs.openFileName(m_window, QStringLiteral("Öffnen"), projectFileFilter());
    if (!path.isEmpty() && QFileInfo(path).isFile())
        loadProjectFile(path);
}

void FileCommands::openDroppedFiles(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (!askToSave(false))
            return;
        loadProjectFile(path);
    }
}

bool FileCommands::saveTo(const QString &path)
{
    QString error;
    if (!m_document.save(path, &error)) {
        m_dialogs.tell(m_window, QMessageBox::Critical, QStringLiteral("Speichern"), error);
        return false;
    }
    return true;
}

bool FileCommands::save()
{
    if (m_document.hasOwnFile())
        return saveTo(m_document.fileName());
    return saveAs();
}

bool FileCommands::saveAs()
{
    const QString path =
        m_dialogs.saveFileName(m_window, QStringLiteral("Speichern unter"),
                               QStringLiteral("formular.vqb"), projectFileFilter());
    return !path.isEmpty() && saveTo(path);
}

} // namespace vq::ui
