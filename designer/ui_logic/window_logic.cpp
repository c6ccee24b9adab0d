#include "designer/ui_logic/window_logic.h"

#include "common/regional_numbers.h"

#include <QRegularExpression>

namespace vq::ui {

namespace {

QStringList fontSuggestions()
{
    return {QStringLiteral("Arial,Helvetica,Geneva"), QStringLiteral("Verdana,Arial,Geneva"),
            QStringLiteral("Comic Sans MS,Sans Serif,Geneva"),
            QStringLiteral("Times New Roman,Serif"), QStringLiteral("Trebuchet MS,Verdana,Geneva")};
}

QStringList borderSuggestions()
{
    return {QStringLiteral("dotted"), QStringLiteral("dashed"), QStringLiteral("solid"),
            QStringLiteral("groove"), QStringLiteral("double"), QStringLiteral("rigde"),
            QStringLiteral("inset"),  QStringLiteral("outset")};
}

QStringList unitSuggestions()
{
    return {QStringLiteral("px"), QStringLiteral("pc"), QStringLiteral("in"), QStringLiteral("cm"),
            QStringLiteral("mm"), QStringLiteral("em"), QStringLiteral("ex")};
}

std::vector<SettingControl> buildSettingControls()
{
    using K = ControlKind;
    const QString settings = QStringLiteral("Einstellungen");
    const QString labels = QStringLiteral("Beschriftungen");
    const QString design = QStringLiteral("Design / CSS");
    const QString ftp = QStringLiteral("FTP + Spamschutz");
    const QString mailtext = QStringLiteral("Mailtext");

    const QString mailGroup = QStringLiteral("E-Mail Einstellungen");
    const QString pageGroup = QStringLiteral("Einstellungen HTML Seite");
    const QString mailerGroup = QStringLiteral("FormMailer Einstellungen");
    const QString invoiceGroup = QStringLiteral("Rechnungsmodul");
    const QString formGroup = QStringLiteral("Formular");
    const QString tableLabelsGroup = QStringLiteral("Bestelltabelle");
    const QString fontGroup = QStringLiteral("Schriften");
    const QString tableGroup = QStringLiteral("Tabelle");
    const QString colourGroup = QStringLiteral("Farben");
    const QString buttonGroup = QStringLiteral("Einstellungen Button");
    const QString buttonTextGroup = QStringLiteral("Button Beschriftungen");
    const QString fieldGroup = QStringLiteral("Einstellungen Formularfeld");
    const QString ftpGroup = QStringLiteral("FTP-Einstellungen");
    const QString spamGroup = QStringLiteral("Spamschutz");
    const QString priceInfoGroup = QStringLiteral("Preisangaben");
    const QString confirmationGroup = QStringLiteral("Eingangsbestätigung");

    auto s = [](const char *key, K kind, const char *label, const QString &tab,
                const QString &group, QStringList entries = {}, const char *beside = nullptr) {
        return SettingControl{QString::fromLatin1(key),
                              kind,
                              QString::fromUtf8(label),
                              tab,
                              group,
                              std::move(entries),
                              beside ? QString::fromLatin1(beside) : QString()};
    };

    return {
        // Einstellungen
        s("edtEMail", K::LineEdit, "Empfänger 1:", settings, mailGroup),
        s("edtEMail1", K::LineEdit, "Empfänger 2:", settings, mailGroup),
        s("edtEMail2", K::LineEdit, "Empfänger 3:", settings, mailGroup),
        s("cbCryptAddr", K::CheckBox, "Adressen verschlüsseln", settings, mailGroup),
        s("cboMailFormat", K::ChoiceCombo, "E-Mail Format:", settings, mailGroup,
          mailFormatChoices()),
        s("edtBetreff", K::LineEdit, "Betreff der E-Mail:", settings, mailGroup),
        s("chkAbsender", K::CheckBox, "Kopie an Absender", settings, mailGroup),
        // The invoice group stands below the mail group: the tab order follows.
        s("checkboxRechnung", K::CheckBox, "Aktivierung Rechnungsmodul", settings, invoiceGroup),
        s("editMailRechnung", K::LineEdit, "E-Mail-Rechnungsmodul:", settings, invoiceGroup),
        s("edtTitel", K::LineEdit, "Titel:", settings, pageGroup),
        s("edtDanke", K::LineEdit, "Danke Seite:", settings, pageGroup),
        s("edtWaehrung", K::LineEdit, "Währung / Währungssymbol", settings, pageGroup),
        s("cboTarget", K::EditableCombo, "Ziel", settings, pageGroup,
          {QStringLiteral("_self"), QStringLiteral("_blank"), QStringLiteral("_top"),
           QStringLiteral("_parent")}),
        s("cboFormMailer", K::EditableCombo, "Pfad zum FormMailer", settings, mailerGroup),
        // Beschriftungen
        s("edtFormTitel", K::LineEdit, "Formularüberschrift", labels, formGroup),
        s("memoEinleitung", K::MultiLine, "Einleitungstext", labels, formGroup),
        s("memoTextEnde", K::MultiLine, "Text Formular Ende", labels, formGroup),
        s("edtAnzahl", K::LineEdit, "Anzahl", labels, tableLabelsGroup),
        s("edtBeschreibung", K::LineEdit, "Beschreibung", labels, tableLabelsGroup),
        s("edtEinzelpreis", K::LineEdit, "Einzelpreis", labels, tableLabelsGroup),
        s("edtGesamtpreis", K::LineEdit, "Gesamtpreis", labels, tableLabelsGroup),
        s("edtMwstLabel", K::LineEdit, "Beschriftung Mwst.:", labels, tableLabelsGroup),
        s("edtGesamtLabel", K::LineEdit, "Gesamt", labels, tableLabelsGroup),
        s("edtPreisInklMwst", K::LineEdit, "Preise brutto:", labels, priceInfoGroup),
        s("edtPreisZzglMwst", K::LineEdit, "Preise netto:", labels, priceInfoGroup),
        s("edtVersandText", K::LineEdit, "Versandkosten:", labels, priceInfoGroup),
        s("edtVersandLink", K::LineEdit, "Link Versandkosten:", labels, priceInfoGroup),
        // Design / CSS
        s("cboFontHeader", K::EditableCombo, "Schriftart Überschrift", design, fontGroup,
          fontSuggestions()),
        s("edtSizeHeader", K::SpinBox, "Größe", design, fontGroup),
        s("cboFontForm", K::EditableCombo, "Schriftart Formular", design, fontGroup,
          fontSuggestions()),
        s("edtSizeForm", K::SpinBox, "Größe", design, fontGroup),
        s("edtBGPicture", K::LineEdit, "Hintergrundbild", design, tableGroup),
        s("edtTabWidth", K::LineEdit, "Tabellenbreite", design, tableGroup),
        s("cboTabAusrichtung", K::ChoiceCombo, "Ausrichtung Tabelle", design, tableGroup,
          tabAusrichtungChoices()),
        s("edtHGColor", K::ColourEdit, "Hintergrund", design, colourGroup),
        s("edtHeaderColor", K::ColourEdit, "Farbe Überschrift", design, colourGroup),
        s("edtTextColor", K::ColourEdit, "Farbe Text", design, colourGroup),
        s("edtTabColor", K::ColourEdit, "Tabellen Hintergrund", design, colourGroup),
        s("edtTabKopfColor", K::ColourEdit, "Tabellenkopf", design, colourGroup),
        s("edtErrorColor", K::ColourEdit, "Fehlermeldungen:", design, colourGroup),
        s("cboStandardButton", K::CheckBox, "Standarddesign?", design, buttonGroup),
        s("edtHintergrundButton", K::ColourEdit, "Hintergrund:", design, buttonGroup),
        s("edtFarbeButton", K::ColourEdit, "Farbe:", design, buttonGroup),
        s("cboRahmenButton", K::EditableCombo, "Rahmen:", design, buttonGroup, borderSuggestions()),
        s("edtStaerkeButton", K::SpinBox, "Stärke:", design, buttonGroup),
        s("cboStaerkeRahmen", K::EditableCombo, "Einheit Stärke", design, buttonGroup,
          unitSuggestions(), "edtStaerkeButton"),
        s("edtSendenButton", K::LineEdit, "Senden:", design, buttonTextGroup),
        s("edtCancelButton", K::LineEdit, "Zurücksetzen:", design, buttonTextGroup),
        s("chkPrintButton", K::CheckBox, "Drucken-Button anzeigen", design, buttonTextGroup),
        s("edtPrint", K::LineEdit, "Drucken:", design, buttonTextGroup, {}, "chkPrintButton"),
        s("cboStandardFeld", K::CheckBox, "Standarddesign?", design, fieldGroup),
        s("edtHGFormField", K::ColourEdit, "Hintergrund:", design, fieldGroup),
        s("edtColorFormField", K::ColourEdit, "Farbe:", design, fieldGroup),
        s("edtRahmenFormField", K::EditableCombo, "Rahmen:", design, fieldGroup,
          borderSuggestions()),
        s("edtStaerkeFormField", K::SpinBox, "Stärke:", design, fieldGroup),
        s("cboRahmenFormField", K::EditableCombo, "Einheit Stärke", design, fieldGroup,
          unitSuggestions(), "edtStaerkeFormField"),
        s("cboFontFormField", K::EditableCombo, "Schriftart:", design, fieldGroup,
          fontSuggestions()),
        s("edtSizeFormField", K::SpinBox, "Grösse:", design, fieldGroup),
        s("cboSchriftFormEinheit", K::EditableCombo, "Einheit Grösse", design, fieldGroup,
          unitSuggestions(), "edtSizeFormField"),
        // FTP + Spamschutz
        s("edtFtpServer", K::LineEdit, "Server", ftp, ftpGroup),
        s("edtPort", K::LineEdit, "Port", ftp, ftpGroup),
        s("edtUsername", K::LineEdit, "Username", ftp, ftpGroup),
        s("edtPasswort", K::PasswordEdit, "Passwort", ftp, ftpGroup),
        s("edtFolder", K::LineEdit, "Verzeichnis", ftp, ftpGroup),
        s("edtDateiname", K::LineEdit, "Dateiname", ftp, ftpGroup),
        s("chkPassiv", K::CheckBox, "Passiv Modus?", ftp, ftpGroup),
        s("chkFtpTls", K::CheckBox, "FTPS (TLS)", ftp, ftpGroup),
        s("edtFtpZertifikat", K::LineEdit, "CA-Zertifikat (PEM)", ftp, ftpGroup),
        s("cboUploadFormat", K::IndexCombo, "Upload-Dateiformat", ftp, ftpGroup,
          uploadFormatChoices()),
        s("chkPreislisteUpload", K::CheckBox, "Preisliste neben das Formular hochladen", ftp,
          ftpGroup),
        s("chkCaptcha", K::CheckBox, "Captcha-Spamschutz aktivieren", ftp, spamGroup),
        s("edtCaptchaText1", K::LineEdit, "Beschriftung:", ftp, spamGroup),
        // Mailtext
        s("memoMailtext", K::MultiLine, "Zusätzlicher Text der E-Mail:", mailtext, QString()),
        s("chkBestaetigung", K::CheckBox, "Eingangsbestätigung an den Kunden senden", mailtext,
          confirmationGroup),
        s("edtBestaetigungBetreff", K::LineEdit, "Betreff:", mailtext, confirmationGroup),
        s("memoBestaetigungText", K::MultiLine, "Text:", mailtext, confirmationGroup),
        s("edtBestaetigungAnhaenge", K::LineEdit, "Anhänge (PHP-Formular):", mailtext,
          confirmationGroup),
    };
}

} // namespace

const std::vector<SettingControl> &settingControls()
{
    static const std::vector<SettingControl> controls = buildSettingControls();
    return controls;
}

const SettingControl *findSettingControl(const QString &key)
{
    for (const SettingControl &control : settingControls())
        if (control.key == key)
            return &control;
    return nullptr;
}

QStringList tabCaptions()
{
    return {QStringLiteral("Artikel"),       QStringLiteral("Felder"),
            QStringLiteral("Einstellungen"), QStringLiteral("Beschriftungen"),
            QStringLiteral("Design / CSS"),  QStringLiteral("FTP + Spamschutz"),
            QStringLiteral("Mailtext"),      QStringLiteral("HTML-Code"),
            QStringLiteral("PHP-Code"),      QStringLiteral("Vorschau")};
}

std::optional<QColor> colourFromText(const QString &text)
{
    static const QRegularExpression sixHex(QStringLiteral("^[0-9A-Fa-f]{6}$"));
    if (!sixHex.match(text).hasMatch())
        return std::nullopt;
    const uint value = text.toUInt(nullptr, 16);
    return QColor(int((value >> 16) & 0xFF), int((value >> 8) & 0xFF), int(value & 0xFF));
}

QString colourText(const QColor &colour)
{
    return QStringLiteral("%1%2%3")
        .arg(colour.red(), 2, 16, QLatin1Char('0'))
        .arg(colour.green(), 2, 16, QLatin1Char('0'))
        .arg(colour.blue(), 2, 16, QLatin1Char('0'))
        .toUpper();
}

const std::array<ColourPair, 10> &colourPairs()
{
    static const std::array<ColourPair, 10> pairs = {{
        {"edtHGColor", "cboBGColor"},
        {"edtHeaderColor", "cboHeadingColor"},
        {"edtTextColor", "cboTextColor"},
        {"edtTabColor", "cboTabColor"},
        {"edtTabKopfColor", "jvColorTabKopf"},
        {"edtErrorColor", "cboColorError"},
        {"edtHintergrundButton", "cboColorHGButton"},
        {"edtFarbeButton", "cboButtonColor"},
        {"edtHGFormField", "cboHGFormField"},
        {"edtColorFormField", "cboColorFormField"},
    }};
    return pairs;
}

QStringList buttonDesignKeys()
{
    return {QStringLiteral("edtHintergrundButton"), QStringLiteral("edtFarbeButton"),
            QStringLiteral("cboRahmenButton"), QStringLiteral("edtStaerkeButton")};
}

QStringList fieldDesignKeys()
{
    return {QStringLiteral("edtHGFormField"),     QStringLiteral("edtColorFormField"),
            QStringLiteral("edtRahmenFormField"), QStringLiteral("edtStaerkeFormField"),
            QStringLiteral("cboFontFormField"),   QStringLiteral("edtSizeFormField")};
}

QStringList fieldListColumns()
{
    return {QStringLiteral("Name"), QStringLiteral("Beschriftung"), QStringLiteral("Typ"),
            QStringLiteral("Pflichtfeld")};
}

QStringList articleListColumns()
{
    return {QStringLiteral("Artikelnr."), QStringLiteral("Name"), QStringLiteral("Preis"),
            QStringLiteral("Mwst."), QStringLiteral("Artikeltyp")};
}

QStringList fieldRow(const TFormField &field)
{
    return {field.Name, field.Beschriftung, field.kindCaption(),
            field.Pflicht ? QStringLiteral("X") : QString()};
}

QStringList articleRow(const TArtikelField &artikel, const QLocale &locale)
{
    return {artikel.artikelNummer, artikel.name, formatRegionalNumber(artikel.preis, locale),
            formatRegionalNumber(artikel.mwst, locale), artikelTypCaption(artikel.artikelTyp)};
}

QStringList placeholderNames(const FieldList &fields)
{
    QStringList names;
    for (const auto &field : fields)
        if (field->kind() != FieldKind::Zw && field->kind() != FieldKind::File)
            names.append(field->Name);
    return names;
}

QString placeholderText(const QString &name)
{
    return name.isEmpty() ? QString() : QStringLiteral("{#%1#}").arg(name);
}

bool hasSenderField(const FieldList &fields)
{
    for (const auto &field : fields)
        if (field->Name == u"email")
            return true;
    return false;
}

bool hasUploadField(const FieldList &fields)
{
    for (const auto &field : fields)
        if (field->kind() == FieldKind::File)
            return true;
    return false;
}

QString pageWithoutFormId(const QString &page, const QString &formId)
{
    if (formId.isEmpty())
        return page;
    // Only whole numbers equal to the id: "12" must not blank the "12" in "120".
    const QRegularExpression id(
        QStringLiteral("(?<![0-9])%1(?![0-9])").arg(QRegularExpression::escape(formId)));
    QString result = page;
    result.replace(id, QString());
    return result;
}

bool PreviewChange::changed(const QString &page, const QString &formId)
{
    QString comparable = pageWithoutFormId(page, formId);
    if (m_last && *m_last == comparable)
        return false;
    m_last = std::move(comparable);
    return true;
}

QString projectFileFilter()
{
    return QStringLiteral("VQ-Bestellformular Datei (*.vqb);;Alle Dateien (*)");
}

QString htmlFileFilter()
{
    return QStringLiteral("HTML Datei (*.htm)");
}

QString phpFileFilter()
{
    return QStringLiteral("PHP Datei (*.php)");
}

QString failedLoadTitle()
{
    return QStringLiteral("Datei nicht vollständig geladen");
}

} // namespace vq::ui
