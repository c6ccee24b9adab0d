// The withdrawal page of a project ("Vertrag widerrufen"): name, e-mail
// address, order number or order date and an optional reason; a second step
// states what will be sent and offers "Widerruf bestätigen". As an HTML page
// that posts to the form mailer (?action=widerruf) or as a self-contained PHP
// script that sends the mails itself. It takes the project's title, design,
// encoding and recipients like the order page.
#pragma once

#include "designer/generation/uCodeExport.h"

namespace vq {

class TGenWithdrawal : public TCodeExport
{
public:
    // php: the self-contained script ("template_widerruf_php.htm"), else the
    // HTML page ("template_widerruf.htm").
    TGenWithdrawal(const ProjectDocument &project, const QString &programFolder, bool php,
                   FormIdSource idSource = {});

    QString GenCode() override;
    QString GenCaptcha() override; // the withdrawal page has none

protected:
    QString FillTemplate(const QString &templateName) override;

private:
    bool m_php;
};

} // namespace vq
