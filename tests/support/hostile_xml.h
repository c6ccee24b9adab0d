// A damaged article-template file that nests entities until a reader that
// expands them would need gigabytes: the reader and the picker refuse it.
#pragma once

#include <QByteArray>

namespace vq::test {

inline QByteArray entityBombTemplates()
{
    return QByteArrayLiteral(
        "<!DOCTYPE v [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d "
        "\"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
        "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\"><!ENTITY f "
        "\"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">]>"
        "<v><feld><name>&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;</name></feld></v>");
}

} // namespace vq::test
