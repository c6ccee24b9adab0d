// The form project: 66 page settings, the extended settings, the field list and
// the article list, and the project file (.vqb) that holds them.
#pragma once

#include "designer/model/uArtikelField.h"
#include "designer/model/vqform.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace vq {

struct TProjectSettings
{
    QString author;
    QString comment; // may hold several lines
    QString title;
    QString company;
    QString url;
    bool operator==(const TProjectSettings &) const = default;
};

struct TErrorPages
{
    QString IPErrorPage;
    QString FileErrorPage;
    QString CaptchaErrorPage;
    bool operator==(const TErrorPages &) const = default;
};

struct TErrorMessages
{
    QString CaptchaError;
    bool operator==(const TErrorMessages &) const = default;
};

struct TExtSettings
{
    bool ip_informationen = false;
    QString HTMLExportFileName;
    bool cartActive = false;
    QString tax;      // "brutto" or "netto"
    QString encoding; // "windows-1252" or "utf-8"
    TProjectSettings ProjectSettings;
    TErrorPages ErrorPages;
    TErrorMessages ErrorMessages;
    bool operator==(const TExtSettings &) const = default;
};

// How LoadProject reads the element of a setting.
enum class ReadRule { T, D, L, F, C, K, A, I, M, R };

enum class SettingType { Text, MultiLine, Colour, Size, Flag, Choice, Index };

struct SettingDef
{
    int no;          // 1..80 (later ones 81..), the order in which settings are written
    const char *key; // element name and name of the editing control
    SettingType type;
    ReadRule rule;
    const char16_t *startValue;   // value before the default project is read
    const char16_t *missingValue; // rule D: the text a missing element gives
};

// The 80 settings in the order they are written.
const std::array<SettingDef, 80> &settingTable();
const SettingDef *findSetting(const QString &key);
// Settings added later ("FTPS (TLS)", the price information beside the totals,
// the confirmation of receipt, the price list beside the uploaded form, the
// certificate an FTPS server is trusted by): written after the 80, read as off
// or as their default text when a file lacks them. findSetting() knows them too.
inline constexpr size_t kLaterSettingCount = 11;
const std::array<SettingDef, kLaterSettingCount> &laterSettingTable();
// The order in which LoadProject applies them (numbers).
const std::array<int, 80> &settingLoadOrder();

// Entries of the choice settings.
QStringList tabAusrichtungChoices(); // "zentriert", "rechts", "links"
QStringList mailFormatChoices();     // "html", "plain"
QStringList uploadFormatChoices();   // "HTML", "PHP"

// Outcome of LoadProject: on failure the three messages the user is shown.
struct LoadResult
{
    bool ok = true;
    QString errorClass;
    QString errorMessage;
    QStringList messages() const;
};

class ProjectDocument
{
public:
    ProjectDocument(); // start values, empty lists
    ProjectDocument(const ProjectDocument &other);
    ProjectDocument &operator=(const ProjectDocument &other);

    // Any of the 80 settings as the project file writes it: texts as they are,
    // flags "-1"/"0", cboUploadFormat its decimal index, cboMailFormat and
    // cboTabAusrichtung the chosen entry (empty: none).
    QString setting(const QString &key) const;
    void setSetting(const QString &key, const QString &value);
    bool flag(const QString &key) const;
    void setFlag(const QString &key, bool value);

    TExtSettings ExtSettings;
    FieldList ListField;
    TArtikelList ListArtikel;
    // Entries of the "Pfad zum FormMailer" drop-down; rule R picks the first.
    QStringList FormMailerList;

    // Writes the whole document to path through a temporary file; on failure
    // the old file stays and *error says why. The document is unchanged.
    bool SaveProject(const QString &path, QString *error) const;
    QByteArray toXml() const;

    // Replaces the document by the file's content. A failure ends the load at
    // that point; what was applied before stays (see LoadResult).
    LoadResult LoadProject(const QString &path);
    LoadResult loadFromBytes(const QByteArray &bytes);

    // Loads the default project "default.vqb" of the given program folder.
    LoadResult NewProject(const QString &programFolder);

    bool equals(const ProjectDocument &other) const;

private:
    void applySetting(const SettingDef &def, const QDomElement &content);

    QHash<QString, QString> m_page; // the 66 page settings
};

} // namespace vq
