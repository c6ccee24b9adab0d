#include "designer/generation/withdrawal_page.h"

namespace vq {

TGenWithdrawal::TGenWithdrawal(const ProjectDocument &project, const QString &programFolder,
                               bool php, FormIdSource idSource)
    : TCodeExport(project, programFolder, std::move(idSource))
    , m_php(php)
{
}

QString TGenWithdrawal::GenCode()
{
    return FillTemplate(m_php ? QStringLiteral("template_widerruf_php.htm")
                              : QStringLiteral("template_widerruf.htm"));
}

QString TGenWithdrawal::GenCaptcha()
{
    return {};
}

QString TGenWithdrawal::FillTemplate(const QString &templateName)
{
    const QString page = TCodeExport::FillTemplate(templateName);
    MarkerSteps steps;
    steps.add(QStringLiteral("<!-- FORMMAIL -->"),
              m_php ? QStringLiteral("<?php print $_SERVER[\"PHP_SELF\"]; ?>")
                    : setting("cboFormMailer") + QStringLiteral("?action=widerruf"));
    return steps.apply(page);
}

} // namespace vq
