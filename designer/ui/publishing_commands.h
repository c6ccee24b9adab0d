// The publishing commands of the main window: "FTP-Upload" of the generated
// page on a worker with the "FTP-Log", the FTP profile chosen into the
// project's FTP settings, and the FTP browser choosing the remote folder.
// They read and write the FTP settings as one typed record of the document.
#pragma once

#include "common_ui/questions.h"
#include "designer/document/designer_document.h"

#include <QObject>
#include <functional>
#include <optional>

namespace vq::ui {

class TfrmLog;

class PublishingCommands : public QObject
{
    Q_OBJECT
public:
    struct Hooks
    {
        // The generated page or script, or nothing after telling why not.
        std::function<std::optional<QString>(bool php)> generate;
        // The order-button warning; false when the user stops.
        std::function<bool(const QString &title, bool postsHtml)> orderButtonAccepted;
    };

    PublishingCommands(DesignerDocument &document, UserQuestions &dialogs, TfrmLog *log,
                       Hooks hooks, QWidget *window);

    // Generates the page in the upload format, writes the temporary file and
    // stores it on the server. Returns false when it did not start.
    bool upload();
    // Stores a file already written with the project's FTP settings.
    bool uploadFile(const QString &localFile);
    // The profile list in select mode; the chosen profile fills the FTP settings.
    void pickProfile();
    // The FTP browser picks the remote folder.
    void browseFolder();
    bool busy() const { return m_busy; }

Q_SIGNALS:
    void busyChanged(bool busy);
    void finished(bool ok);

private:
    void setBusy(bool busy);
    void resetPort();

    DesignerDocument &m_document;
    UserQuestions &m_dialogs;
    TfrmLog *m_log;
    Hooks m_hooks;
    QWidget *m_window;
    bool m_busy = false;
};

} // namespace vq::ui
