#include "invoice/ui/invoice_help.h"

#include <QDir>

namespace vq::invoice {

namespace {

// The first entry is the contents, for a window the table does not name.
constexpr ui::HelpTopic kTopics[] = {
    {u"", u"vq_bestell_rechnung.htm", u"inhalt"},
    {u"frmMainWindow", u"fenster.htm", u"hauptfenster"},
    {u"frmMandantWahl", u"fenster.htm", u"mandant-waehlen"},
    {u"frmMandanten", u"fenster.htm", u"mandanten"},
    {u"frmMandantBearbeiten", u"fenster.htm", u"mandant-bearbeiten"},
    {u"grpERechnung", u"erechnung.htm", u"mandant-angaben"},
    {u"grpRechnungsnummern", u"vq_bestell_rechnung.htm", u"rechnungsnummern"},
    {u"frmBestellung", u"fenster.htm", u"bestellung"},
    {u"frmArtikel", u"fenster.htm", u"artikel"},
    {u"frmOption", u"fenster.htm", u"option"},
    {u"frmArtikelVorlagen", u"fenster.htm", u"artikelvorlagen"},
    {u"frmStatus", u"fenster.htm", u"status"},
    {u"frmMailImport", u"fenster.htm", u"einlesen"},
    {u"frmRechnungsvorlage", u"fenster.htm", u"rechnungsvorlage"},
    {u"frmRechnungVorschau", u"fenster.htm", u"vorschau"},
    {u"frmDruckEinstellungen", u"fenster.htm", u"drucken"},
    {u"frmAbout", u"fenster.htm", u"ueber"},
};

} // namespace

std::span<const ui::HelpTopic> invoiceHelpTopics()
{
    return kTopics;
}

ui::HelpBook invoiceHelp(const QString &programFolder)
{
    return ui::HelpBook(QDir(programFolder).filePath(QStringLiteral("help")), kTopics);
}

} // namespace vq::invoice
