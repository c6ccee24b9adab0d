#include "designer/generation/order/literal_escape.h"

namespace vq {

QString escapeJsString(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case u'\\':
            out += u"\\\\";
            break;
        case u'"':
            out += u"\\\"";
            break;
        case u'\r':
            out += u"\\r";
            break;
        case u'\n':
            out += u"\\n";
            break;
        case u'\t':
            out += u"\\t";
            break;
        case 0x2028:
            out += u"\\u2028";
            break;
        case 0x2029:
            out += u"\\u2029";
            break;
        // "</script" would end the element, "<!--" change how it is parsed,
        // and "<?" open PHP code in the PHP script.
        case u'<':
            out += u"\\x3C";
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString escapePhpString(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            out += u"\\\\";
            break;
        case u'"':
            out += u"\\\"";
            break;
        case u'$':
            out += u"\\$";
            break;
        case u'\r':
            out += u"\\r";
            break;
        case u'\n':
            out += u"\\n";
            break;
        case u'\t':
            out += u"\\t";
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString phpHtmlEscaped(const QString &phpExpression)
{
    return QStringLiteral("htmlspecialchars(") + phpExpression
           + QStringLiteral(", ENT_QUOTES, \"ISO-8859-1\")");
}

} // namespace vq
