// The HTML page: field rows, the check script chkFormular(), the order rows,
// the captcha row with the form mailer's image and the error-page fields.
#pragma once

#include "designer/generation/uCodeExport.h"

namespace vq {

class TGenHTML : public TCodeExport
{
public:
    using TCodeExport::TCodeExport;

    QString GenCode() override; // fills "template.htm"
    QString GenCaptcha() override;

protected:
    QString FillTemplate(const QString &templateName) override;
};

} // namespace vq
