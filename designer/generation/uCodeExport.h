// The generation driver: fills a page template from the form project. The base
// TCodeExport loads the template and runs the steps both pages share; TGenHTML
// (uGenHtml) and TGenPHP (uPHPGen) add their own. A generator lives for one run.
#pragma once

#include "designer/generation/marker_steps.h"
#include "designer/generation/order/order_table.h"
#include "designer/model/project_document.h"

#include <QString>
#include <functional>
#include <stdexcept>

namespace vq {

// A template that cannot be read, or another failure of a run.
class GenerationError : public std::runtime_error
{
public:
    explicit GenerationError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }
    QString message() const { return m_message; }

private:
    QString m_message;
};

// Draws the form id of a run: an integer from 0 to 9 999 999.
using FormIdSource = std::function<int()>;

// The default source: a generator seeded afresh from the clock at each draw
// (nanoseconds, so two runs in a row do not share a seed).
FormIdSource clockSeededFormId();

class TCodeExport
{
public:
    // programFolder holds the templates; an empty idSource means clockSeededFormId().
    TCodeExport(const ProjectDocument &project, const QString &programFolder,
                FormIdSource idSource = {});
    virtual ~TCodeExport() = default;

    // The whole page. Throws GenerationError when the template cannot be read.
    virtual QString GenCode() = 0;
    // The captcha table row.
    virtual QString GenCaptcha() = 0;

    // The style block.
    QString GenCSS() const;
    // The template as text: Windows-1252, every line followed by CR LF.
    QString LoadTemplate(const QString &templateName) const;
    // XOR 0x2C per character, ISO-8859-1 bytes ("?" above U+00FF), base64.
    static QString Scramble(const QString &value);

    QString strFormID; // the form id of the current run

protected:
    // The common steps (2 to 42 and the VAT row) on the loaded template.
    virtual QString FillTemplate(const QString &templateName);

    // bCSS: the form-field design is not the standard design.
    bool fieldCss() const;
    // The captcha table row of both pages: label cell, code input and image.
    // inputGap stands before the field class, imageSource is the image's
    // address, and tail follows the inner table.
    QString captchaRow(const QString &inputGap, const QString &imageSource,
                       const QString &tail) const;
    OrderTableSettings orderSettings() const;
    QString setting(const char *key) const;
    bool flag(const char *key) const;

    const ProjectDocument &m_project;

private:
    QString m_programFolder;
    FormIdSource m_idSource;
};

} // namespace vq
