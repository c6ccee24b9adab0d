#include "designer/document/ftp_access.h"

namespace vq {

namespace {

struct TextKey
{
    QString FtpAccess::*member;
    const char *key;
};

constexpr TextKey kTexts[] = {
    {&FtpAccess::server, "edtFtpServer"}, {&FtpAccess::port, "edtPort"},
    {&FtpAccess::user, "edtUsername"},    {&FtpAccess::password, "edtPasswort"},
    {&FtpAccess::folder, "edtFolder"},    {&FtpAccess::caFile, "edtFtpZertifikat"},
};

struct FlagKey
{
    bool FtpAccess::*member;
    const char *key;
};

constexpr FlagKey kFlags[] = {{&FtpAccess::passive, "chkPassiv"}, {&FtpAccess::tls, "chkFtpTls"}};

} // namespace

FtpAccess ftpAccessOf(const ProjectDocument &project)
{
    FtpAccess access;
    for (const TextKey &text : kTexts)
        access.*text.member = project.setting(QString::fromLatin1(text.key));
    for (const FlagKey &flag : kFlags)
        access.*flag.member = project.flag(QString::fromLatin1(flag.key));
    return access;
}

void setFtpAccess(DesignerDocument &document, const FtpAccess &access, const QString &stepName)
{
    if (ftpAccessOf(document.project()) == access)
        return;
    document.finishSettingEdit();
    document.beginStep(stepName);
    for (const TextKey &text : kTexts)
        document.setSetting(QString::fromLatin1(text.key), access.*text.member);
    for (const FlagKey &flag : kFlags)
        document.setFlag(QString::fromLatin1(flag.key), access.*flag.member);
    document.endStep();
    document.finishSettingEdit();
}

} // namespace vq
