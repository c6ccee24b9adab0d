#include "invoice/einvoice/zugferd.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFEFStreamObjectHelper.hh>
#include <qpdf/QPDFEmbeddedFileDocumentHelper.hh>
#include <qpdf/QPDFFileSpecObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <QDir>

#include <exception>

namespace vq::invoice {

namespace {

std::string pdfDate(const QDateTime &time)
{
    const QDateTime utc = time.toUTC();
    return (QStringLiteral("D:") + utc.toString(QStringLiteral("yyyyMMddHHmmss"))
            + QStringLiteral("+00'00'"))
        .toStdString();
}

QString xmpDate(const QDateTime &time)
{
    return time.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + QStringLiteral("+00:00");
}

QString infoText(QPDFObjectHandle info, const char *key)
{
    if (!info.isDictionary() || !info.hasKey(key) || !info.getKey(key).isString())
        return {};
    return QString::fromStdString(info.getKey(key).getUTF8Value());
}

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

// XMP of a PDF/A-3b Factur-X invoice; the document values equal the Info
// dictionary's, as PDF/A demands.
QByteArray facturXMetadata(QPDFObjectHandle info, const QDateTime &now)
{
    const QString title = infoText(info, "/Title");
    const QString author = infoText(info, "/Author");
    const QString subject = infoText(info, "/Subject");
    const QString keywords = infoText(info, "/Keywords");
    const QString creator = infoText(info, "/Creator");
    const QString producer = infoText(info, "/Producer");
    QString dc;
    if (!title.isEmpty())
        dc += QStringLiteral("<dc:title><rdf:Alt><rdf:li "
                             "xml:lang=\"x-default\">%1</rdf:li></rdf:Alt></dc:title>\n")
                  .arg(escaped(title));
    if (!author.isEmpty())
        dc += QStringLiteral("<dc:creator><rdf:Seq><rdf:li>%1</rdf:li></rdf:Seq></dc:creator>\n")
                  .arg(escaped(author));
    if (!subject.isEmpty())
        dc += QStringLiteral("<dc:description><rdf:Alt><rdf:li "
                             "xml:lang=\"x-default\">%1</rdf:li></rdf:Alt></dc:description>\n")
                  .arg(escaped(subject));
    QString pdf;
    if (!producer.isEmpty())
        pdf += QStringLiteral("<pdf:Producer>%1</pdf:Producer>\n").arg(escaped(producer));
    if (!keywords.isEmpty())
        pdf += QStringLiteral("<pdf:Keywords>%1</pdf:Keywords>\n").arg(escaped(keywords));
    QString xmp =
        QStringLiteral("<xmp:CreateDate>%1</xmp:CreateDate>\n<xmp:ModifyDate>%1</xmp:ModifyDate>\n")
            .arg(xmpDate(now));
    if (!creator.isEmpty())
        xmp += QStringLiteral("<xmp:CreatorTool>%1</xmp:CreatorTool>\n").arg(escaped(creator));

    const auto property = [](const char *name, const char *description) {
        return QStringLiteral("<rdf:li rdf:parseType=\"Resource\">\n"
                              "<pdfaProperty:name>%1</pdfaProperty:name>\n"
                              "<pdfaProperty:valueType>Text</pdfaProperty:valueType>\n"
                              "<pdfaProperty:category>external</pdfaProperty:category>\n"
                              "<pdfaProperty:description>%2</pdfaProperty:description>\n"
                              "</rdf:li>\n")
            .arg(QLatin1String(name), QLatin1String(description));
    };
    QString text = QStringLiteral("<?xpacket begin=\"") + QChar(0xFEFF)
                   + QStringLiteral("\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n");
    text +=
        QStringLiteral(
            "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
            "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
            "<rdf:Description rdf:about=\"\" xmlns:pdfaid=\"http://www.aiim.org/pdfa/ns/id/\">\n"
            "<pdfaid:part>3</pdfaid:part>\n<pdfaid:conformance>B</pdfaid:conformance>\n"
            "</rdf:Description>\n"
            "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n%1"
            "</rdf:Description>\n"
            "<rdf:Description rdf:about=\"\" xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\">\n%2"
            "</rdf:Description>\n"
            "<rdf:Description rdf:about=\"\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\">\n%3"
            "</rdf:Description>\n")
            .arg(dc, pdf, xmp);
    text +=
        QStringLiteral(
            "<rdf:Description rdf:about=\"\" "
            "xmlns:pdfaExtension=\"http://www.aiim.org/pdfa/ns/extension/\" "
            "xmlns:pdfaSchema=\"http://www.aiim.org/pdfa/ns/schema#\" "
            "xmlns:pdfaProperty=\"http://www.aiim.org/pdfa/ns/property#\">\n"
            "<pdfaExtension:schemas>\n<rdf:Bag>\n<rdf:li rdf:parseType=\"Resource\">\n"
            "<pdfaSchema:schema>Factur-X PDFA Extension Schema</pdfaSchema:schema>\n"
            "<pdfaSchema:namespaceURI>urn:factur-x:pdfa:CrossIndustryDocument:invoice:1p0#</"
            "pdfaSchema:namespaceURI>\n"
            "<pdfaSchema:prefix>fx</pdfaSchema:prefix>\n"
            "<pdfaSchema:property>\n<rdf:Seq>\n%1%2%3%4</rdf:Seq>\n</pdfaSchema:property>\n"
            "</rdf:li>\n</rdf:Bag>\n</pdfaExtension:schemas>\n"
            "</rdf:Description>\n")
            .arg(
                property("DocumentFileName", "The name of the embedded XML document"),
                property(
                    "DocumentType",
                    "The type of the hybrid document in capital letters, e.g. INVOICE or ORDER"),
                property(
                    "Version",
                    "The actual version of the standard applying to the embedded XML document"),
                property("ConformanceLevel", "The conformance level of the embedded XML document"));
    text += QStringLiteral("<rdf:Description rdf:about=\"\" "
                           "xmlns:fx=\"urn:factur-x:pdfa:CrossIndustryDocument:invoice:1p0#\">\n"
                           "<fx:DocumentType>INVOICE</fx:DocumentType>\n"
                           "<fx:DocumentFileName>%1</fx:DocumentFileName>\n"
                           "<fx:Version>1.0</fx:Version>\n"
                           "<fx:ConformanceLevel>EN 16931</fx:ConformanceLevel>\n"
                           "</rdf:Description>\n"
                           "</rdf:RDF>\n</x:xmpmeta>\n<?xpacket end=\"w\"?>")
                .arg(QLatin1String(kFacturXFileName));
    return text.toUtf8();
}

} // namespace

std::optional<QByteArray> makeFacturXPdf(const QByteArray &pdfA1b, const QByteArray &xml,
                                         const QDateTime &now, QString *error)
{
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processMemoryFile("rechnung.pdf", pdfA1b.constData(), size_t(pdfA1b.size()));
        QPDFObjectHandle root = pdf.getRoot();
        QPDFObjectHandle trailer = pdf.getTrailer();
        QPDFObjectHandle info = trailer.getKey("/Info");
        if (!info.isDictionary()) {
            info = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
            trailer.replaceKey("/Info", info);
        }
        const std::string date = pdfDate(now);
        info.replaceKey("/CreationDate", QPDFObjectHandle::newString(date));
        info.replaceKey("/ModDate", QPDFObjectHandle::newString(date));

        // The invoice XML as associated file of the document.
        auto stream = QPDFEFStreamObjectHelper::createEFStream(pdf, xml.toStdString());
        stream.setSubtype("text/xml").setCreationDate(date).setModDate(date);
        auto fileEntry = QPDFFileSpecObjectHelper::createFileSpec(pdf, kFacturXFileName, stream);
        fileEntry.setDescription("Factur-X/ZUGFeRD-Rechnung");
        QPDFObjectHandle entryObject = fileEntry.getObjectHandle();
        if (!entryObject.isIndirect())
            entryObject = pdf.makeIndirectObject(entryObject);
        entryObject.replaceKey("/AFRelationship", QPDFObjectHandle::newName("/Alternative"));
        QPDFEmbeddedFileDocumentHelper(pdf).replaceEmbeddedFile(
            kFacturXFileName, QPDFFileSpecObjectHelper(entryObject));
        QPDFObjectHandle associated = QPDFObjectHandle::newArray();
        associated.appendItem(entryObject);
        root.replaceKey("/AF", associated);

        QPDFObjectHandle metadata =
            QPDFObjectHandle::newStream(&pdf, facturXMetadata(info, now).toStdString());
        metadata.getDict().replaceKey("/Type", QPDFObjectHandle::newName("/Metadata"));
        metadata.getDict().replaceKey("/Subtype", QPDFObjectHandle::newName("/XML"));
        root.replaceKey("/Metadata", metadata);

        QPDFWriter writer(pdf);
        writer.setOutputMemory();
        writer.setMinimumPDFVersion("1.7");
        writer.setObjectStreamMode(qpdf_o_disable);
        writer.setNewlineBeforeEndstream(true);
        writer.write();
        const auto buffer = writer.getBufferSharedPointer();
        return QByteArray(reinterpret_cast<const char *>(buffer->getBuffer()),
                          qsizetype(buffer->getSize()));
    } catch (const std::exception &e) {
        if (error)
            *error = QStringLiteral("Die ZUGFeRD-Rechnung kann nicht erzeugt werden: %1")
                         .arg(QString::fromLocal8Bit(e.what()));
        return std::nullopt;
    }
}

} // namespace vq::invoice
