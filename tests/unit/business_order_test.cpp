// "Bestellung als Unternehmen": the business fields come once, from the
// templates of their names (the user's library before the delivered one),
// keep their format checks through the project file, and a missing or broken
// template changes nothing.
#include "designer/model/business_order.h"
#include "designer/model/project_document.h"
#include "tests/test_support.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vq;
using namespace vq::test;

namespace {

const QString kDelivered = QStringLiteral(VQ_PROGRAM_DIR "/vorlagen.xml");

QStringList names(const FieldList &fields)
{
    QStringList result;
    for (const auto &field : fields)
        result << field->Name;
    return result;
}

FormatCheck checkOf(const FieldList &fields, const QString &name)
{
    const int at = GetFieldNr(fields, name);
    return at < 0 ? FormatCheck::None
                  : static_cast<const TEinzField &>(*fields[size_t(at)]).formatCheck;
}

QString library(const QString &templates)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<vorlagen>") + templates
           + QStringLiteral("</vorlagen>\n");
}

QString einzTemplate(const QString &name, const QString &label)
{
    return QStringLiteral("<feld><typ>TEinzField</typ><name>%1</name><beschriftung>%2"
                          "</beschriftung><vorgabewert/><groesse>10</groesse><maxLaenge>50"
                          "</maxLaenge><pflicht>0</pflicht><meldung/></feld>")
        .arg(name, label);
}

TEST(BusinessOrder, AddsTheFourFieldsOnceWithTheirChecks)
{
    FieldList fields;
    auto message = std::make_unique<TMehrzField>();
    message->Name = QStringLiteral("Nachricht");
    fields.push_back(std::move(message));
    QString error;
    ASSERT_EQ(addBusinessOrderFields(fields, {kDelivered}, &error), 4) << error.toStdString();
    EXPECT_EQ(names(fields),
              (QStringList{QStringLiteral("Nachricht"), QStringLiteral("Firma"),
                           QStringLiteral("UStIdNr"), QStringLiteral("Kaeuferreferenz"),
                           QStringLiteral("EMailERechnung")}));
    EXPECT_EQ(checkOf(fields, QStringLiteral("Firma")), FormatCheck::None);
    EXPECT_EQ(checkOf(fields, QStringLiteral("UStIdNr")), FormatCheck::VatId);
    EXPECT_EQ(checkOf(fields, QStringLiteral("Kaeuferreferenz")), FormatCheck::LeitwegId);
    EXPECT_EQ(checkOf(fields, QStringLiteral("EMailERechnung")), FormatCheck::EInvoiceAddress);
    for (const auto &field : fields)
        EXPECT_FALSE(field->Pflicht) << field->Name.toStdString();

    // A second run finds them all and adds nothing.
    EXPECT_EQ(addBusinessOrderFields(fields, {kDelivered}, &error), 0);
    EXPECT_EQ(fields.size(), 5u);
}

TEST(BusinessOrder, KeepsAFieldOfThatNameAndTakesTheUsersTemplateFirst)
{
    QTemporaryDir dir;
    const QString user = dir.filePath(QStringLiteral("vorlagen.xml"));
    writeFile(
        user,
        library(einzTemplate(QStringLiteral("Firma"), QStringLiteral("Unternehmen"))).toUtf8());
    FieldList fields;
    auto own = std::make_unique<TEinzField>();
    own->Name = QStringLiteral("EMailERechnung");
    own->Beschriftung = QStringLiteral("Rechnungsadresse");
    fields.push_back(std::move(own));
    QString error;
    ASSERT_EQ(addBusinessOrderFields(fields, {user, kDelivered}, &error), 3) << error.toStdString();
    EXPECT_EQ(fields[0]->Beschriftung, QStringLiteral("Rechnungsadresse"));
    EXPECT_EQ(checkOf(fields, QStringLiteral("EMailERechnung")), FormatCheck::None);
    EXPECT_EQ(fields[size_t(GetFieldNr(fields, QStringLiteral("Firma")))]->Beschriftung,
              QStringLiteral("Unternehmen"));
    EXPECT_EQ(checkOf(fields, QStringLiteral("UStIdNr")), FormatCheck::VatId);
}

TEST(BusinessOrder, AMissingOrBrokenTemplateChangesNothing)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("fehlt.xml"));
    const QString onlyFirma = dir.filePath(QStringLiteral("firma.xml"));
    writeFile(onlyFirma,
              library(einzTemplate(QStringLiteral("Firma"), QStringLiteral("Firma"))).toUtf8());
    const QString broken = dir.filePath(QStringLiteral("kaputt.xml"));
    writeFile(broken, library(QStringLiteral("<feld><typ>TEinzField</typ><name>UStIdNr</name>"
                                             "<pflicht>abc</pflicht></feld>"))
                          .toUtf8());
    struct Case
    {
        const char *what;
        QStringList libraries;
        const char *error; // part of the message; nullptr: the four are added
    } cases[] = {
        {"an unreadable library is passed over", {missing, kDelivered}, nullptr},
        {"no library holds the field", {missing, onlyFirma}, "Die Feld-Vorlage \"UStIdNr\" fehlt."},
        {"the template of that name does not read", {broken, kDelivered}, "UStIdNr"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        FieldList fields;
        auto zw = std::make_unique<TZwField>();
        zw->Beschriftung = QStringLiteral("Ihre Angaben");
        fields.push_back(std::move(zw));
        QString error;
        const int added = addBusinessOrderFields(fields, c.libraries, &error);
        if (!c.error) {
            EXPECT_EQ(added, 4) << error.toStdString();
            continue;
        }
        EXPECT_EQ(added, -1);
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.error))) << error.toStdString();
        EXPECT_EQ(fields.size(), 1u);
    }
}

TEST(BusinessOrder, TheFieldsAndTheirChecksSurviveTheProjectFile)
{
    QTemporaryDir dir;
    ProjectDocument project;
    QString error;
    ASSERT_EQ(addBusinessOrderFields(project.ListField, {kDelivered}, &error), 4);
    const QString path = dir.filePath(QStringLiteral("firma.vqb"));
    ASSERT_TRUE(project.SaveProject(path, &error)) << error.toStdString();
    EXPECT_TRUE(readFile(path).contains("<formatpruefung>leitwegid</formatpruefung>"));

    ProjectDocument loaded;
    ASSERT_TRUE(loaded.LoadProject(path).ok);
    ASSERT_EQ(loaded.ListField.size(), project.ListField.size());
    for (size_t i = 0; i < project.ListField.size(); ++i)
        EXPECT_TRUE(loaded.ListField[i]->equals(*project.ListField[i]))
            << project.ListField[i]->Name.toStdString();
    EXPECT_EQ(addBusinessOrderFields(loaded.ListField, {kDelivered}, &error), 0);
}

} // namespace
