#include "designer/model/project_document.h"

#include "common/safe_file.h"
#include "common/xml_document.h"
#include "common/xml_values.h"
#include "designer/model/model_error.h"
#include "designer/model/xml_read.h"

#include <QFile>

namespace vq {

namespace {

const std::array<SettingDef, 80> kSettings = {{
    {1, "edtFormTitel", SettingType::Text, ReadRule::T, u"Bestellformular", nullptr},
    {2, "cboFontHeader", SettingType::Text, ReadRule::T, u"Arial,Helvetiva,Geneva", nullptr},
    {3, "edtSizeHeader", SettingType::Size, ReadRule::T, u"14", nullptr},
    {4, "cboFontForm", SettingType::Text, ReadRule::T, u"Arial,Helvetiva,Geneva", nullptr},
    {5, "edtSizeForm", SettingType::Size, ReadRule::T, u"10", nullptr},
    {6, "memoEinleitung", SettingType::MultiLine, ReadRule::T,
     u"Mit diesem Formular können Sie mit uns Kontakt \r\naufnehmen.", nullptr},
    {7, "memoTextEnde", SettingType::MultiLine, ReadRule::T, u"", nullptr},
    {8, "edtBGPicture", SettingType::Text, ReadRule::T, u"", nullptr},
    {9, "edtTabWidth", SettingType::Text, ReadRule::T, u"500", nullptr},
    {10, "cboTabAusrichtung", SettingType::Choice, ReadRule::L, u"zentriert", nullptr},
    {11, "edtHGColor", SettingType::Colour, ReadRule::T, u"FFFFFF", nullptr},
    {12, "edtHeaderColor", SettingType::Colour, ReadRule::T, u"000000", nullptr},
    {13, "edtTextColor", SettingType::Colour, ReadRule::T, u"000080", nullptr},
    {14, "edtTabColor", SettingType::Colour, ReadRule::T, u"EDEDED", nullptr},
    {15, "edtTabKopfColor", SettingType::Colour, ReadRule::D, u"CCCCCC", u"CCCCCC"},
    {16, "edtErrorColor", SettingType::Colour, ReadRule::D, u"FF0000", u"FF0000"},
    {17, "edtAnzahl", SettingType::Text, ReadRule::D, u"Anzahl", u"Anzahl"},
    {18, "edtBeschreibung", SettingType::Text, ReadRule::D, u"Beschreibung", u"Beschreibung"},
    {19, "edtEinzelpreis", SettingType::Text, ReadRule::D, u"Einzelpreis", u"Einzelpreis"},
    {20, "edtGesamtpreis", SettingType::Text, ReadRule::D, u"Gesamtpreis", u"Gesamtpreis"},
    {21, "edtMwstLabel", SettingType::Text, ReadRule::D, u"enthaltene MwSt.:",
     u"enthaltene MwSt.:"},
    {22, "edtGesamtLabel", SettingType::Text, ReadRule::D, u"Gesamt:", u"Gesamt:"},
    {23, "edtEMail", SettingType::Text, ReadRule::T, u"bestellung@ihre-domain.example", nullptr},
    {24, "edtEMail1", SettingType::Text, ReadRule::T, u"", nullptr},
    {25, "edtEMail2", SettingType::Text, ReadRule::T, u"", nullptr},
    {26, "cbCryptAddr", SettingType::Flag, ReadRule::F, u"0", nullptr},
    {27, "cboMailFormat", SettingType::Choice, ReadRule::M, u"", nullptr},
    {28, "edtBetreff", SettingType::Text, ReadRule::T, u"Kontaktformular", nullptr},
    {29, "edtTitel", SettingType::Text, ReadRule::T, u"Kontaktformular", nullptr},
    {30, "edtDanke", SettingType::Text, ReadRule::T, u"https://www.ihre-domain.example/danke.htm",
     nullptr},
    {31, "chkAbsender", SettingType::Flag, ReadRule::F, u"0", nullptr},
    {32, "edtWaehrung", SettingType::Text, ReadRule::D, u"€", u"€"},
    {33, "checkboxRechnung", SettingType::Flag, ReadRule::F, u"0", nullptr},
    {34, "editMailRechnung", SettingType::Text, ReadRule::T, u"", nullptr},
    {35, "cboTarget", SettingType::Text, ReadRule::D, u"_self", u"_self"},
    {36, "edtFtpServer", SettingType::Text, ReadRule::T, u"", nullptr},
    {37, "edtPort", SettingType::Text, ReadRule::T, u"21", nullptr},
    {38, "edtUsername", SettingType::Text, ReadRule::T, u"", nullptr},
    {39, "edtPasswort", SettingType::Text, ReadRule::T, u"", nullptr},
    {40, "edtFolder", SettingType::Text, ReadRule::T, u"", nullptr},
    {41, "edtDateiname", SettingType::Text, ReadRule::T, u"", nullptr},
    {42, "chkPassiv", SettingType::Flag, ReadRule::F, u"0", nullptr},
    {43, "cboUploadFormat", SettingType::Index, ReadRule::I, u"0", nullptr},
    {44, "ip_informationen", SettingType::Flag, ReadRule::F, u"0", nullptr},
    {45, "HTMLExportFileName", SettingType::Text, ReadRule::T, u"", nullptr},
    {46, "IPErrorPage", SettingType::Text, ReadRule::T, u"", nullptr},
    {47, "FileErrorPage", SettingType::Text, ReadRule::T, u"", nullptr},
    {48, "CaptchaErrorPage", SettingType::Text, ReadRule::T, u"", nullptr},
    {49, "encoding", SettingType::Text, ReadRule::D, u"", u"windows-1252"},
    {50, "tax", SettingType::Text, ReadRule::D, u"", u"brutto"},
    {51, "CaptchaErrorMessage", SettingType::Text, ReadRule::D, u"",
     u"Falsche Eingabe im Spam-Schutz-Feld. Bitte überprüfen Sie Ihre Eingaben."},
    {52, "cartActive", SettingType::Flag, ReadRule::A, u"0", nullptr},
    {53, "ProjectSettings_author", SettingType::Text, ReadRule::T, u"", nullptr},
    {54, "ProjectSettings_comment", SettingType::MultiLine, ReadRule::T, u"", nullptr},
    {55, "ProjectSettings_title", SettingType::Text, ReadRule::T, u"", nullptr},
    {56, "ProjectSettings_company", SettingType::Text, ReadRule::T, u"", nullptr},
    {57, "ProjectSettings_url", SettingType::Text, ReadRule::D, u"", u"http://"},
    {58, "chkCaptcha", SettingType::Flag, ReadRule::C, u"0", nullptr},
    {59, "edtCaptchaText1", SettingType::Text, ReadRule::T, u"Spam-Schutz", nullptr},
    {60, "memoMailtext", SettingType::MultiLine, ReadRule::T, u"", nullptr},
    {61, "cboFormMailer", SettingType::Text, ReadRule::R,
     u"https://www.ihre-domain.example/formmail.php", nullptr},
    {62, "cboStandardButton", SettingType::Flag, ReadRule::K, u"-1", nullptr},
    {63, "edtHintergrundButton", SettingType::Colour, ReadRule::T, u"a0a0a4", nullptr},
    {64, "edtFarbeButton", SettingType::Colour, ReadRule::T, u"000000", nullptr},
    {65, "cboRahmenButton", SettingType::Text, ReadRule::T, u"solid", nullptr},
    {66, "edtStaerkeButton", SettingType::Size, ReadRule::T, u"1", nullptr},
    {67, "cboStaerkeRahmen", SettingType::Text, ReadRule::T, u"px", nullptr},
    // New projects take orders from consumers: the button names the duty to pay.
    {68, "edtSendenButton", SettingType::Text, ReadRule::T, u"zahlungspflichtig bestellen",
     nullptr},
    {69, "edtCancelButton", SettingType::Text, ReadRule::T, u"Zurücksetzen", nullptr},
    {70, "edtPrint", SettingType::Text, ReadRule::T, u"Drucken", nullptr},
    {71, "chkPrintButton", SettingType::Flag, ReadRule::K, u"0", nullptr},
    {72, "cboStandardFeld", SettingType::Flag, ReadRule::K, u"-1", nullptr},
    {73, "edtHGFormField", SettingType::Colour, ReadRule::T, u"a0a0a4", nullptr},
    {74, "edtColorFormField", SettingType::Colour, ReadRule::T, u"000000", nullptr},
    {75, "edtRahmenFormField", SettingType::Text, ReadRule::T, u"solid", nullptr},
    {76, "edtStaerkeFormField", SettingType::Size, ReadRule::T, u"1", nullptr},
    {77, "cboRahmenFormField", SettingType::Text, ReadRule::T, u"px", nullptr},
    {78, "cboFontFormField", SettingType::Text, ReadRule::T, u"Arial,Helvetiva,Geneva", nullptr},
    {79, "edtSizeFormField", SettingType::Size, ReadRule::T, u"12", nullptr},
    {80, "cboSchriftFormEinheit", SettingType::Text, ReadRule::T, u"px", nullptr},
}};

// Added later: written after the 80, so that older readers, which look for
// their elements by name, skip them; a file without them reads as off, or as
// the default text the consumer pages need (the price information, the
// confirmation of receipt).
const std::array<SettingDef, kLaterSettingCount> kLaterSettings = {{
    {81, "chkFtpTls", SettingType::Flag, ReadRule::F, u"0", nullptr},
    {82, "edtPreisInklMwst", SettingType::Text, ReadRule::D, u"inkl. MwSt.", u"inkl. MwSt."},
    {83, "edtPreisZzglMwst", SettingType::Text, ReadRule::D, u"zzgl. MwSt.", u"zzgl. MwSt."},
    {84, "edtVersandText", SettingType::Text, ReadRule::D, u"zzgl. Versandkosten",
     u"zzgl. Versandkosten"},
    {85, "edtVersandLink", SettingType::Text, ReadRule::T, u"", nullptr},
    {86, "chkBestaetigung", SettingType::Flag, ReadRule::D, u"-1", u"-1"},
    {87, "edtBestaetigungBetreff", SettingType::Text, ReadRule::D,
     u"Eingangsbestätigung Ihrer Bestellung", u"Eingangsbestätigung Ihrer Bestellung"},
    {88, "memoBestaetigungText", SettingType::MultiLine, ReadRule::D,
     u"Vielen Dank für Ihre Bestellung. Sie ist bei uns eingegangen; wir bearbeiten sie umgehend. "
     u"Dies ist eine automatische Eingangsbestätigung.",
     u"Vielen Dank für Ihre Bestellung. Sie ist bei uns eingegangen; wir bearbeiten sie umgehend. "
     u"Dies ist eine automatische Eingangsbestätigung."},
    {89, "edtBestaetigungAnhaenge", SettingType::Text, ReadRule::T, u"", nullptr},
    {90, "chkPreislisteUpload", SettingType::Flag, ReadRule::F, u"0", nullptr},
    {91, "edtFtpZertifikat", SettingType::Text, ReadRule::T, u"", nullptr},
}};

const QString kProgName = QStringLiteral("VQ-Bestellformular");

std::array<int, 80> makeLoadOrder()
{
    std::array<int, 80> order{};
    size_t i = 0;
    auto range = [&](int from, int to) {
        for (int no = from; no <= to; ++no)
            order[i++] = no;
    };
    range(1, 14);
    range(16, 16);
    range(15, 15);
    range(17, 35);
    range(44, 57);
    range(36, 43);
    range(58, 80);
    return order;
}

QString key(const SettingDef &def)
{
    return QString::fromLatin1(def.key);
}

QString lfToCrLf(QString text)
{
    return text.replace(u'\n', QLatin1String("\r\n"));
}

// The settings that live in ExtSettings, by key.
QString *extText(TExtSettings &ext, const QString &k)
{
    if (k == QLatin1String("HTMLExportFileName"))
        return &ext.HTMLExportFileName;
    if (k == QLatin1String("IPErrorPage"))
        return &ext.ErrorPages.IPErrorPage;
    if (k == QLatin1String("FileErrorPage"))
        return &ext.ErrorPages.FileErrorPage;
    if (k == QLatin1String("CaptchaErrorPage"))
        return &ext.ErrorPages.CaptchaErrorPage;
    if (k == QLatin1String("encoding"))
        return &ext.encoding;
    if (k == QLatin1String("tax"))
        return &ext.tax;
    if (k == QLatin1String("CaptchaErrorMessage"))
        return &ext.ErrorMessages.CaptchaError;
    if (k == QLatin1String("ProjectSettings_author"))
        return &ext.ProjectSettings.author;
    if (k == QLatin1String("ProjectSettings_comment"))
        return &ext.ProjectSettings.comment;
    if (k == QLatin1String("ProjectSettings_title"))
        return &ext.ProjectSettings.title;
    if (k == QLatin1String("ProjectSettings_company"))
        return &ext.ProjectSettings.company;
    if (k == QLatin1String("ProjectSettings_url"))
        return &ext.ProjectSettings.url;
    return nullptr;
}

bool *extFlag(TExtSettings &ext, const QString &k)
{
    if (k == QLatin1String("ip_informationen"))
        return &ext.ip_informationen;
    if (k == QLatin1String("cartActive"))
        return &ext.cartActive;
    return nullptr;
}

} // namespace

const std::array<SettingDef, 80> &settingTable()
{
    return kSettings;
}

const std::array<SettingDef, kLaterSettingCount> &laterSettingTable()
{
    return kLaterSettings;
}

const SettingDef *findSetting(const QString &k)
{
    for (const SettingDef &def : kSettings)
        if (k == QLatin1String(def.key))
            return &def;
    for (const SettingDef &def : kLaterSettings)
        if (k == QLatin1String(def.key))
            return &def;
    return nullptr;
}

const std::array<int, 80> &settingLoadOrder()
{
    static const std::array<int, 80> order = makeLoadOrder();
    return order;
}

QStringList tabAusrichtungChoices()
{
    return {QStringLiteral("zentriert"), QStringLiteral("rechts"), QStringLiteral("links")};
}

QStringList mailFormatChoices()
{
    return {QStringLiteral("html"), QStringLiteral("plain")};
}

QStringList uploadFormatChoices()
{
    return {QStringLiteral("HTML"), QStringLiteral("PHP")};
}

QStringList LoadResult::messages() const
{
    if (ok)
        return {};
    return {QStringLiteral("Die Datei scheint keine VQ-Bestellformular-Datei zu sein."),
            QStringLiteral("Exception class name = ") + errorClass,
            QStringLiteral("Exception message = ") + errorMessage};
}

// ---- document

ProjectDocument::ProjectDocument()
{
    for (const SettingDef &def : kSettings)
        setSetting(key(def), QString::fromUtf16(def.startValue));
    for (const SettingDef &def : kLaterSettings)
        setSetting(key(def), QString::fromUtf16(def.startValue));
}

ProjectDocument::ProjectDocument(const ProjectDocument &other)
    : ExtSettings(other.ExtSettings)
    , FormMailerList(other.FormMailerList)
    , m_page(other.m_page)
{
    for (const auto &field : other.ListField)
        ListField.push_back(field->clone());
    for (const auto &artikel : other.ListArtikel)
        ListArtikel.push_back(std::make_unique<TArtikelField>(*artikel));
}

ProjectDocument &ProjectDocument::operator=(const ProjectDocument &other)
{
    if (this != &other) {
        ProjectDocument copy(other);
        ExtSettings = copy.ExtSettings;
        FormMailerList = copy.FormMailerList;
        m_page = std::move(copy.m_page);
        ListField = std::move(copy.ListField);
        ListArtikel = std::move(copy.ListArtikel);
    }
    return *this;
}

QString ProjectDocument::setting(const QString &k) const
{
    auto &ext = const_cast<TExtSettings &>(ExtSettings);
    if (QString *text = extText(ext, k))
        return *text;
    if (bool *value = extFlag(ext, k))
        return boolText(*value);
    return m_page.value(k);
}

void ProjectDocument::setSetting(const QString &k, const QString &value)
{
    if (QString *text = extText(ExtSettings, k)) {
        *text = value;
        return;
    }
    if (bool *flagValue = extFlag(ExtSettings, k)) {
        *flagValue = readXmlBool(value).value_or(false);
        return;
    }
    m_page.insert(k, value);
}

bool ProjectDocument::flag(const QString &k) const
{
    return readXmlBool(setting(k)).value_or(false);
}

void ProjectDocument::setFlag(const QString &k, bool value)
{
    setSetting(k, boolText(value));
}

bool ProjectDocument::equals(const ProjectDocument &other) const
{
    if (!(ExtSettings == other.ExtSettings) || m_page != other.m_page
        || ListField.size() != other.ListField.size()
        || ListArtikel.size() != other.ListArtikel.size())
        return false;
    for (size_t i = 0; i < ListField.size(); ++i)
        if (!ListField[i]->equals(*other.ListField[i]))
            return false;
    for (size_t i = 0; i < ListArtikel.size(); ++i)
        if (!ListArtikel[i]->equals(*other.ListArtikel[i]))
            return false;
    return true;
}

// ---- writing

QByteArray ProjectDocument::toXml() const
{
    return writeXmlDocument(QStringLiteral("xml"), [this](XmlOut &root) {
        root.element(QStringLiteral("FileInfo"), [](XmlOut &info) {
            info.text(QStringLiteral("Prog"), kProgName);
            info.text(QStringLiteral("Version"), QStringLiteral("1"));
        });
        root.element(QStringLiteral("FileContent"), [this](XmlOut &content) {
            for (const SettingDef &def : kSettings)
                content.text(key(def), setting(key(def)));
            for (const SettingDef &def : kLaterSettings)
                content.text(key(def), setting(key(def)));
            content.element(QStringLiteral("ItemList"), [this](XmlOut &items) {
                for (const auto &field : ListField)
                    items.element(QStringLiteral("forms"),
                                  [&field](XmlOut &element) { field->writeXml(element); });
            });
            content.element(QStringLiteral("ArticleList"), [this](XmlOut &articles) {
                for (const auto &artikel : ListArtikel)
                    articles.element(QStringLiteral("article"), [&artikel](XmlOut &element) {
                        writeArtikelXml(*artikel, element);
                    });
            });
        });
    });
}

bool ProjectDocument::SaveProject(const QString &path, QString *error) const
{
    return writeFileSafely(path, toXml(), error);
}

// ---- reading

void ProjectDocument::applySetting(const SettingDef &def, const QDomElement &content)
{
    const QString k = key(def);
    const QDomElement element = findChild(content, k);
    const bool present = !element.isNull();
    const QString text = present ? elementText(element) : QString();

    switch (def.rule) {
    case ReadRule::T:
        setSetting(k, present ? lfToCrLf(text) : QString());
        break;
    case ReadRule::D:
        setSetting(k, present ? text : QString::fromUtf16(def.missingValue));
        break;
    case ReadRule::L:
        if (present && tabAusrichtungChoices().contains(text))
            setSetting(k, text);
        break;
    case ReadRule::F:
        if (!present) {
            setFlag(k, false);
        } else if (auto value = readXmlBool(text)) {
            setFlag(k, *value);
        } else {
            throw notABoolean(text);
        }
        break;
    case ReadRule::C:
        if (!present)
            setFlag(k, false);
        else if (auto value = readXmlBool(text))
            setFlag(k, *value);
        break;
    case ReadRule::K:
        if (present)
            if (auto value = readXmlBool(text))
                setFlag(k, *value);
        break;
    case ReadRule::A:
        setFlag(k, present ? readXmlBool(text).value_or(true) : true);
        break;
    case ReadRule::I: {
        int index = 0;
        if (present) {
            auto value = readXmlInt(text);
            if (!value)
                throw notAnInteger(text);
            index = *value;
        }
        // An index beyond the entries selects nothing.
        if (index < 0 || index >= uploadFormatChoices().size())
            index = -1;
        setSetting(k, QString::number(index));
        break;
    }
    case ReadRule::M:
        if (!present)
            break;
        if (mailFormatChoices().contains(text))
            setSetting(k, text);
        else if (text == QLatin1String("xml"))
            setSetting(k, QString()); // a third entry the choice does not offer
        break;
    case ReadRule::R: {
        QString value = present ? text : QString();
        if (value.isEmpty())
            value = FormMailerList.value(0);
        setSetting(k, value);
        break;
    }
    }
}

LoadResult ProjectDocument::LoadProject(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        LoadResult result;
        result.ok = false;
        result.errorClass = QStringLiteral("EFOpenError");
        result.errorMessage = QStringLiteral("Datei \"%1\" kann nicht geöffnet werden: %2")
                                  .arg(path, file.errorString());
        return result;
    }
    return loadFromBytes(file.readAll());
}

LoadResult ProjectDocument::loadFromBytes(const QByteArray &bytes)
{
    LoadResult result;
    try {
        XmlDocument doc;
        QString parseError;
        if (!doc.parse(bytes, &parseError))
            throw ModelError(QStringLiteral("EDOMParseError"), parseError);

        const QDomElement root = doc.root();
        const QDomElement info = findChild(root, QStringLiteral("FileInfo"));
        const QDomElement content = findChild(root, QStringLiteral("FileContent"));
        const QDomElement items = findChild(content, QStringLiteral("ItemList"));
        const QDomElement articles = findChild(content, QStringLiteral("ArticleList"));
        for (const auto &[element, name] :
             {std::pair{info, "FileInfo"}, std::pair{content, "FileContent"},
              std::pair{items, "ItemList"}, std::pair{articles, "ArticleList"}})
            if (element.isNull())
                throw missingElement(QString::fromLatin1(name));

        const QDomElement prog = findChild(info, QStringLiteral("Prog"));
        if (prog.isNull() || elementText(prog) != kProgName)
            throw ModelError(QStringLiteral("Exception"), QStringLiteral("Wrong File"));

        for (int no : settingLoadOrder())
            applySetting(kSettings[static_cast<size_t>(no - 1)], content);
        for (const SettingDef &def : kLaterSettings)
            applySetting(def, content);

        ListField.clear();
        for (const QDomElement &child : childElements(items))
            ListField.push_back(CreateFieldFromXML(child));

        ListArtikel.clear();
        for (const QDomElement &child : childElements(articles))
            ListArtikel.push_back(LoadArtikelFromXML(child));
    } catch (const ModelError &error) {
        result.ok = false;
        result.errorClass = error.className();
        result.errorMessage = error.message();
    }
    return result;
}

LoadResult ProjectDocument::NewProject(const QString &programFolder)
{
    return LoadProject(programFolder + QStringLiteral("/default.vqb"));
}

} // namespace vq
