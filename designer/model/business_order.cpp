#include "designer/model/business_order.h"

#include "designer/model/template_library.h"

namespace vq {

QStringList businessOrderFieldNames()
{
    return {QStringLiteral("Firma"), QStringLiteral("UStIdNr"), QStringLiteral("Kaeuferreferenz"),
            QStringLiteral("EMailERechnung")};
}

int addBusinessOrderFields(FieldList &fields, const QStringList &libraries, QString *error)
{
    FieldList missing;
    for (const QString &name : businessOrderFieldNames()) {
        if (GetFieldNr(fields, name) >= 0)
            continue;
        std::unique_ptr<TFormField> field;
        for (const QString &library : libraries) {
            NamedFieldTemplate found = fieldTemplateNamed(library, name);
            // A library that cannot be read leaves the choice to the next
            // one; a template of that name that does not read is an error.
            if (found.libraryRead && !found.error.isEmpty()) {
                if (error)
                    *error = found.error;
                return -1;
            }
            if (found.field) {
                field = std::move(found.field);
                break;
            }
        }
        if (!field) {
            if (error)
                *error = QStringLiteral("Die Feld-Vorlage \"%1\" fehlt.").arg(name);
            return -1;
        }
        missing.push_back(std::move(field));
    }
    const int added = int(missing.size());
    for (auto &field : missing)
        fields.push_back(std::move(field));
    return added;
}

} // namespace vq
