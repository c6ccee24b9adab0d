#include "common/choice_list.h"

namespace vq {

namespace {
bool isSeparator(QChar c)
{
    return c == u'#' || c == u'\r' || c == u'\n';
}
bool isLeadingBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}
} // namespace

QStringList splitChoiceList(const QString &text)
{
    QStringList choices;
    const qsizetype length = text.size();
    qsizetype pos = 0;
    while (pos < length) {
        while (pos < length && isLeadingBlank(text[pos]))
            ++pos;
        QString choice;
        QChar quote;
        while (pos < length) {
            const QChar c = text[pos];
            if (!quote.isNull()) {
                if (c == quote)
                    quote = QChar();
            } else if (c == u'\'' || c == u'"') {
                quote = c;
            } else if (isSeparator(c)) {
                break;
            }
            choice.append(c);
            ++pos;
        }
        ++pos; // the separator
        if (!choice.isEmpty())
            choices.append(choice);
    }
    return choices;
}

} // namespace vq
