#include "designer/ui/designer_help.h"

#include "designer/ui/uInfo.h"

#include <QDir>

namespace vq::ui {

namespace {

// The first entry is the contents, for a window the table does not name.
constexpr HelpTopic kTopics[] = {
    {u"", u"vqbest.htm", u"inhalt"},
    {u"frmHelp", u"vqbest.htm", u"inhalt"},
    {u"frmMain", u"hauptfenster.htm", u"hauptfenster"},
    {u"lvArtikel", u"hauptfenster.htm", u"reiter-artikel"},
    {u"lvFelder", u"hauptfenster.htm", u"reiter-felder"},
    {u"memoHTMLCode", u"hauptfenster.htm", u"reiter-code"},
    {u"memoPHPCode", u"hauptfenster.htm", u"reiter-code"},
    {u"tsVorschau", u"hauptfenster.htm", u"reiter-vorschau"},
    {u"frmPreview", u"hauptfenster.htm", u"vorschaufenster"},
    {u"frmInfo", u"hauptfenster.htm", u"info"},
    {u"grpEMailEinstellungen", u"einstellungen.htm", u"email"},
    {u"grpRechnungsmodul", u"einstellungen.htm", u"rechnungsmodul"},
    {u"grpEinstellungenHTMLSeite", u"einstellungen.htm", u"html-seite"},
    {u"grpFormMailerEinstellungen", u"einstellungen.htm", u"formmailer-einstellungen"},
    {u"btnFormMailerHilfe", u"formmailer.htm", u"formmailer"},
    {u"grpFormular", u"einstellungen.htm", u"formular"},
    {u"grpBestelltabelle", u"einstellungen.htm", u"bestelltabelle"},
    {u"grpPreisangaben", u"einstellungen.htm", u"preisangaben"},
    {u"grpSchriften", u"einstellungen.htm", u"schriften"},
    {u"grpTabelle", u"einstellungen.htm", u"tabelle"},
    {u"grpFarben", u"einstellungen.htm", u"farben"},
    {u"grpEinstellungenButton", u"einstellungen.htm", u"button"},
    {u"grpButtonBeschriftungen", u"einstellungen.htm", u"button-beschriftungen"},
    {u"grpEinstellungenFormularfeld", u"einstellungen.htm", u"formularfeld"},
    {u"grpFTPEinstellungen", u"einstellungen.htm", u"ftp-einstellungen"},
    {u"grpSpamschutz", u"einstellungen.htm", u"spamschutz"},
    {u"memoMailtext", u"einstellungen.htm", u"mailtext"},
    {u"grpEingangsbestaetigung", u"einstellungen.htm", u"eingangsbestaetigung"},
    {u"frmErwEinstellungen", u"einstellungen.htm", u"erweitert"},
    {u"frmProjectSettings", u"einstellungen.htm", u"eigenschaften"},
    {u"frmEinzField", u"editoren.htm", u"einzeilig"},
    {u"frmPassField", u"editoren.htm", u"passwort"},
    {u"frmMehrzField", u"editoren.htm", u"mehrzeilig"},
    {u"frmListBox", u"editoren.htm", u"liste"},
    {u"frmCheckBox", u"editoren.htm", u"checkbox"},
    {u"frmRadioButtons", u"editoren.htm", u"radiobuttons"},
    {u"frmFileUpload", u"editoren.htm", u"datei-upload"},
    {u"frmZwText", u"editoren.htm", u"zwischentext"},
    {u"frmEditOption", u"editoren.htm", u"eintrag"},
    {u"frmArtikel", u"editoren.htm", u"artikel"},
    {u"frmEditArtikelOption", u"editoren.htm", u"artikeloption"},
    {u"frmPriceOption", u"editoren.htm", u"preisoption"},
    {u"frmHtmlEdit", u"editoren.htm", u"html-editor"},
    {u"frmVorlagen", u"editoren.htm", u"vorlagen"},
    {u"frmHtmlExport", u"veroeffentlichen.htm", u"export-bestehend"},
    {u"frmLog", u"veroeffentlichen.htm", u"ftp-log"},
    {u"frmFtpProfiles", u"veroeffentlichen.htm", u"ftp-profile"},
    {u"frmFtpProfileEdit", u"veroeffentlichen.htm", u"profil-bearbeiten"},
    {u"frmFTPBrowser", u"veroeffentlichen.htm", u"ftp-browser"},
    {u"frmFormMailers", u"veroeffentlichen.htm", u"formmailer-links"},
    {u"frmFormMailerLink", u"veroeffentlichen.htm", u"formmailer-link"},
};

} // namespace

std::span<const HelpTopic> designerHelpTopics()
{
    return kTopics;
}

HelpBook designerHelp(const QString &programFolder)
{
    return HelpBook(QDir(programFolder).filePath(QStringLiteral("help")), kTopics);
}

void tellHowToUpdate(QWidget *parent, UserQuestions &dialogs)
{
    dialogs.tell(parent, QMessageBox::Information, QStringLiteral("Auf neue Version prüfen"),
                 QStringLiteral("Neue Versionen des VQ-Bestellformulars erhalten Sie über die "
                                "Paketverwaltung Ihres Systems, zusammen mit allen anderen "
                                "Aktualisierungen. Unter Debian und Ubuntu zum Beispiel in einem "
                                "Terminal mit:\n\nsudo apt update && sudo apt upgrade\n\n"
                                "oder mit der Anwendung zur Softwareaktualisierung Ihres "
                                "Desktops."));
}

bool DesignerQuestions::openHelp(QWidget *parent, const QUrl &page)
{
    TfrmHelp help(page, parent);
    runModal(help);
    return true;
}

} // namespace vq::ui
