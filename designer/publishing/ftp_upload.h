// The upload of the generated form with the project's FTP settings: the
// checks of the settings with their messages, and the log lines of each step.
// The window and the command line both call it; it blocks, so the window runs
// it on a worker.
#pragma once

#include "designer/model/project_document.h"
#include "designer/publishing/ftp_client.h"

#include <QString>
#include <functional>

namespace vq {

struct UploadResult
{
    bool ok = false;
    // A message for a message box (a failed check, no host, another failure);
    // empty when the log says it all.
    QString message;
    // The port was no number: the caller sets the port box to "21".
    bool resetPort = false;
};

// The name of the temporary file for the project's upload format:
// "vqform_temp.htm" (HTML) or "vqform_temp.php" (PHP).
QString uploadTempFileName(const ProjectDocument &project);
bool uploadsPhp(const ProjectDocument &project);

// The project's FTP settings (server, port, user, password, passive mode,
// FTPS and the certificate file to trust).
// false when the port is no number from 1 to 65535.
bool ftpSettingsOf(const ProjectDocument &project, FtpSettings *settings);

// A further file stored in the same session: a local file and its name on the server.
struct TAlsoUploaded
{
    QString localFile;
    QString remoteName;
};

// Checks the settings, then stores localFile on the server under the project's
// file name in its folder, and after it each of also (the withdrawal page)
// under its own name. log receives each line of the "FTP-Log".
UploadResult UploadFile(const ProjectDocument &project, const QString &localFile,
                        const std::function<void(const QString &)> &log,
                        const QList<TAlsoUploaded> &also = {});

// "Verbindung testen": logs in with settings and quits, nothing else sent.
// port is the text of the port box. log receives each line of the "FTP-Log".
UploadResult TestConnection(FtpSettings settings, const QString &port,
                            const std::function<void(const QString &)> &log);

} // namespace vq
