// Fuzz target over the readers of project files, fields and articles. The
// first byte picks the reader; the rest is the XML. Every input must end in a
// result or an error, never in a crash or a hang, and a project that loads
// must save and load again to an equal project.
#include "common/xml_document.h"
#include "designer/model/project_document.h"
#include "designer/model/uArtikelField.h"
#include "designer/model/vqform.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray xml(reinterpret_cast<const char *>(data + 1),
                         static_cast<qsizetype>(size - 1));
    switch (data[0] % 3) {
    case 0: {
        vq::ProjectDocument project;
        project.FormMailerList = {QStringLiteral("https://www.example.com/formmail.php")};
        if (!project.loadFromBytes(xml).ok)
            break;
        // What was loaded must save and load again to the same project.
        vq::ProjectDocument again;
        again.FormMailerList = project.FormMailerList;
        const QByteArray saved = project.toXml();
        const vq::LoadResult reloaded = again.loadFromBytes(saved);
        if (!reloaded.ok || !again.equals(project)) {
            std::fprintf(stderr, "saved project does not load back equal: %s\n%s\n",
                         qPrintable(reloaded.errorMessage), saved.constData());
            std::abort();
        }
        break;
    }
    case 1: {
        vq::XmlDocument doc;
        QString error;
        if (doc.parse(xml, &error)) {
            try {
                auto field = vq::CreateFieldFromXML(doc.root());
                vq::XmlDocument out = vq::XmlDocument::withRoot(QStringLiteral("feld"));
                QDomElement root = out.root();
                field->SetXMLNode(root);
            } catch (const vq::ModelError &) {
            }
        }
        break;
    }
    default: {
        vq::XmlDocument doc;
        QString error;
        if (doc.parse(xml, &error)) {
            try {
                auto artikel = vq::LoadArtikelFromXML(doc.root());
                vq::XmlDocument out = vq::XmlDocument::withRoot(QStringLiteral("article"));
                QDomElement root = out.root();
                vq::SaveArtikelToXML(*artikel, root);
            } catch (const vq::ModelError &) {
            }
        }
        break;
    }
    }
    return 0;
}
