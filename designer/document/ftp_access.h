// The FTP settings of the project as one typed record, as the window shows
// them (the port as typed), read from the project and written back as one step.
#pragma once

#include "designer/document/designer_document.h"

#include <QString>

namespace vq {

struct FtpAccess
{
    QString server;
    QString port;
    QString user;
    QString password;
    QString folder;
    QString caFile; // a PEM file of certificates an FTPS server is trusted by
    bool passive = false;
    bool tls = false;
    bool operator==(const FtpAccess &) const = default;
};

FtpAccess ftpAccessOf(const ProjectDocument &project);
// Every field that differs, as one step named stepName.
void setFtpAccess(DesignerDocument &document, const FtpAccess &access, const QString &stepName);

} // namespace vq
