// Articles: the products of the order table, with their options, and their XML
// form inside the project file and the article template library.
#pragma once

#include "designer/model/uOptionField.h"

#include "designer/model/model_error.h"

#include <QDomElement>
#include <QString>
#include <memory>
#include <vector>

namespace vq {

class TArtikelField
{
public:
    TArtikelField() = default;
    TArtikelField(const TArtikelField &other);
    TArtikelField &operator=(const TArtikelField &other);
    TArtikelField(TArtikelField &&) = default;
    TArtikelField &operator=(TArtikelField &&) = default;

    QString artikelNummer;
    QString name;
    QString beschreibung; // may hold HTML and CR LF
    double preis = 0.0;
    double mwst = 0.0;  // VAT rate in percent
    int artikelTyp = 0; // 0 quantity field, 1 fixed price, 2 check box
    QString linklabel;
    QString link;
    TOptionList listOptionen;
    bool optionenNebeneinander = false;

    bool equals(const TArtikelField &other) const;
};

// Caption of an article kind ("Normaler Artikel", ...); empty for other values.
QString artikelTypCaption(int artikelTyp);

using TArtikelList = std::vector<std::unique_ptr<TArtikelField>>;

// Appends the article's children to element (created and named by the caller).
void SaveArtikelToXML(const TArtikelField &artikel, QDomElement &element);
// The same children into any XML output.
void writeArtikelXml(const TArtikelField &artikel, XmlOut &out);

// Reads an article. Throws ModelError when a required child is missing or a
// number does not read; a damaged option ends the option list instead.
std::unique_ptr<TArtikelField> LoadArtikelFromXML(const QDomElement &element);

} // namespace vq
