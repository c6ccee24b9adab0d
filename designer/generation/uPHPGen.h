// The self-contained PHP script: field rows printing the posted values back,
// redisplay and error variables, server-side checks, order rows and option
// variables, and its own captcha row and check.
#pragma once

#include "designer/generation/uCodeExport.h"

namespace vq {

class TGenPHP : public TCodeExport
{
public:
    using TCodeExport::TCodeExport;

    QString GenCode() override; // fills "template_php.htm"
    QString GenCaptcha() override;
    // The server-side comparison of the typed captcha code.
    QString GenCaptchaCheck() const;

protected:
    QString FillTemplate(const QString &templateName) override;
};

} // namespace vq
