#include "common_ui/editor_text.h"

#include "common/text_file.h"

namespace vq::ui {

QString textForEditor(const QString &stored)
{
    QString text = stored;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString textFromEditor(const QString &edited)
{
    return withCrLf(edited);
}

} // namespace vq::ui
