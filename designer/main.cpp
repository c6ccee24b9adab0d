// The form designer zelkin: the main window on the project named on the
// command line or the default project.
//
// "zelkin --generate html|php|widerruf [--output FILE] PROJECT.vqb" generates
// one page (the order page, or the withdrawal page in the project's upload
// format) for scripts and tests, without any window; "zelkin --price-list [--output
// FILE] PROJECT.vqb" writes the form mailer's price list of the project;
// "zelkin --export-into PAGE.html PROJECT.vqb" puts the form into a page;
// "zelkin --upload [--withdrawal-page] PROJECT.vqb" stores it by FTP with the
// project's settings, with the withdrawal page beside it when asked.
#include "common/GlobalFunctions.h"
#include "common/safe_file.h"
#include "common/text_file.h"
#include "designer/generation/consumer_pages.h"
#include "designer/generation/page_source.h"
#include "designer/generation/price_list.h"
#include "designer/generation/uGenHtml.h"
#include "designer/generation/uHtmlExport.h"
#include "designer/generation/uPHPGen.h"
#include "designer/generation/withdrawal_page.h"
#include "designer/model/project_document.h"
#include "designer/publishing/formmailer_list.h"
#include "designer/publishing/ftp_upload.h"
#include "designer/ui/designer_help.h"
#include "designer/ui/designer_start.h"
#include "designer/ui/dialog_editor_access.h"
#include "designer/ui/mainFrm.h"
#include "designer/ui/price_list_commands.h"

#include "common/memory_tuning.h"
#include <QApplication>
#include <QCommandLineParser>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace {

const QString kDescription = QStringLiteral("VQ-Bestellformular: Formular-Designer");

void addOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(kDescription);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(
        {QStringLiteral("generate"),
         QStringLiteral("Erzeugt die Seite des Projekts ohne Fenster: html (HTML-Seite), "
                        "php (PHP-Skript) oder widerruf (Widerrufsseite im Upload-Dateiformat "
                        "des Projekts)."),
         QStringLiteral("html|php|widerruf")});
    parser.addOption({QStringLiteral("price-list"),
                      QStringLiteral("Schreibt die Preisliste des Projekts für den Formmailer "
                                     "(vq_preisliste.json) ohne Fenster.")});
    parser.addOption({QStringLiteral("export-into"),
                      QStringLiteral("Fügt das Formular ohne Fenster in SEITE ein (an der Marke "
                                     "INPUTVQFORM) oder erneuert es dort."),
                      QStringLiteral("SEITE")});
    parser.addOption(
        {QStringLiteral("upload"),
         QStringLiteral("Lädt das Formular ohne Fenster mit den FTP-Einstellungen des "
                        "Projekts hoch (Upload-Dateiformat, Verzeichnis, Dateiname).")});
    parser.addOption({QStringLiteral("withdrawal-page"),
                      QStringLiteral("Mit --upload: lädt die Widerrufsseite (widerruf.htm oder "
                                     "widerruf.php) in dasselbe Verzeichnis hoch.")});
    parser.addOption({QStringLiteral("output"),
                      QStringLiteral("Mit --generate: schreibt die Seite in DATEI (Kodierung nach "
                                     "Projekt) statt als UTF-8 auf die Standardausgabe; mit "
                                     "--price-list: schreibt die Preisliste in DATEI."),
                      QStringLiteral("DATEI")});
    parser.addPositionalArgument(QStringLiteral("projekt"),
                                 QStringLiteral("Projektdatei (.vqb), die geöffnet wird"));
}

void printError(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

bool writeStandardOutput(const QByteArray &bytes)
{
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size())
           && std::fflush(stdout) == 0;
}

// Loads the one project named on the command line. Returns 0, or the exit
// status after printing why not.
int loadProjectArgument(const QCommandLineParser &parser, const QString &option,
                        vq::ProjectDocument &project)
{
    const QStringList args = parser.positionalArguments();
    if (args.size() != 1) {
        printError(QStringLiteral("%1 braucht genau eine Projektdatei.").arg(option));
        return 2;
    }
    // As in the window: the form-mailer list comes first, so a project without a
    // form-mailer address gets the list's first entry. Without a list of the
    // user's own, the delivered one is read (nothing is written here).
    const QString userList = vq::appDataFile(QString::fromLatin1(vq::kFormMailerListFile));
    project.FormMailerList =
        vq::readFormMailerList(QFileInfo::exists(userList)
                                   ? userList
                                   : vq::programFile(QString::fromLatin1(vq::kFormMailerListFile)));
    const vq::LoadResult result = project.LoadProject(args.first());
    if (!result.ok) {
        for (const QString &message : result.messages())
            printError(message);
        return 1;
    }
    return 0;
}

// A project that sells with a button that does not name the duty to pay is
// generated all the same, with the warning on standard error; so is a page
// without captcha that posts to our form mailer (postsHtml).
void warnOfOrderButton(const vq::ProjectDocument &project, bool postsHtml = false)
{
    for (const QString &warning :
         {vq::orderButtonWarning(project), postsHtml ? vq::captchaWarning(project) : QString()})
        if (!warning.isEmpty())
            printError(QStringLiteral("Warnung: ") + warning);
}

// Generates the withdrawal page in the project's upload format.
QString withdrawalPage(const vq::ProjectDocument &project)
{
    return vq::TGenWithdrawal(project, vq::programFolder(), vq::uploadsPhp(project)).GenCode();
}

// Writes the price list of the project. Returns the exit status.
int writePriceList(const QCommandLineParser &parser)
{
    vq::ProjectDocument project;
    if (const int status = loadProjectArgument(parser, QStringLiteral("--price-list"), project))
        return status;
    const QByteArray json = vq::priceListJson(project);
    if (parser.isSet(QStringLiteral("output"))) {
        QString error;
        if (!vq::writeFileSafely(parser.value(QStringLiteral("output")), json, &error)) {
            printError(error);
            return 1;
        }
        return 0;
    }
    if (!writeStandardOutput(json)) {
        printError(QStringLiteral("Die Preisliste konnte nicht ausgegeben werden."));
        return 1;
    }
    return 0;
}

// Inserts the form into a page holding the insertion mark, or refreshes the
// blocks of a page that has them. Returns the exit status.
int exportInto(const QCommandLineParser &parser)
{
    vq::ProjectDocument project;
    if (const int status = loadProjectArgument(parser, QStringLiteral("--export-into"), project))
        return status;
    const QString pagePath = parser.value(QStringLiteral("export-into"));
    QFile file(pagePath);
    if (!file.open(QIODevice::ReadOnly)) {
        printError(QStringLiteral("Die Seite \"%1\" kann nicht gelesen werden: %2")
                       .arg(pagePath, file.errorString()));
        return 1;
    }
    // The page is written back in its own encoding, whatever the project's.
    vq::PageSource page = vq::decodePage(file.readAll(), project.ExtSettings.encoding);
    file.close();
    const bool refresh = vq::hasFormBlock(page.text);
    if (!refresh && !vq::hasInsertionMark(page.text)) {
        printError(QStringLiteral(
                       "Die Seite \"%1\" enthält weder ein Formular noch die Marke INPUTVQFORM; "
                       "sie bleibt unverändert. Schreiben Sie INPUTVQFORM an die Stelle, an der "
                       "das Formular stehen soll.")
                       .arg(pagePath));
        return 1;
    }
    if (const QString refusal = vq::exportRefusal(page.text); !refusal.isEmpty()) {
        printError(QStringLiteral("Die Seite \"%1\": ").arg(pagePath) + refusal);
        return 1;
    }
    QString generated;
    try {
        generated = vq::TGenHTML(project, vq::programFolder()).GenCode();
    } catch (const vq::GenerationError &error) {
        printError(error.message());
        return 1;
    }
    warnOfOrderButton(project, true);
    page.text =
        refresh ? vq::refreshBlocks(page.text, generated) : vq::insertBlocks(page.text, generated);
    QString error;
    if (!vq::writeFileSafely(pagePath, vq::encodePage(page), &error)) {
        printError(QStringLiteral(
                       "Datei konnte nicht gespeichert werden, bitte prüfen Sie auf einen evtl. "
                       "Schreibschutz der Datei.\n")
                   + error);
        return 1;
    }
    return 0;
}

// Generates the page in the project's upload format, writes it to the
// temporary file and stores it by FTP. Returns the exit status.
int upload(const QCommandLineParser &parser)
{
    vq::ProjectDocument project;
    if (const int status = loadProjectArgument(parser, QStringLiteral("--upload"), project))
        return status;
    const bool php = vq::uploadsPhp(project);
    warnOfOrderButton(project, !php);
    const bool withWithdrawal = parser.isSet(QStringLiteral("withdrawal-page"));
    QString page;
    QString withdrawal;
    try {
        page = php ? vq::TGenPHP(project, vq::programFolder()).GenCode()
                   : vq::TGenHTML(project, vq::programFolder()).GenCode();
        if (withWithdrawal)
            withdrawal = withdrawalPage(project);
    } catch (const vq::GenerationError &error) {
        printError(error.message());
        return 1;
    }
    const auto kind = php ? vq::GeneratedKind::PhpScript : vq::GeneratedKind::Page;
    const QString tempFile = QDir(vq::tempFolder()).filePath(vq::uploadTempFileName(project));
    QString error;
    if (!vq::writeGeneratedText(tempFile, page, project.ExtSettings.encoding, &error, kind)) {
        printError(error);
        return 1;
    }
    QList<vq::TAlsoUploaded> also;
    if (withWithdrawal) {
        const QString name = vq::withdrawalFileName(php);
        const QString withdrawalFile =
            QDir(vq::tempFolder()).filePath(QStringLiteral("vq_") + name);
        if (!vq::writeGeneratedText(withdrawalFile, withdrawal, project.ExtSettings.encoding,
                                    &error, kind)) {
            printError(error);
            return 1;
        }
        also << vq::TAlsoUploaded{withdrawalFile, name};
    }
    const std::optional<vq::ui::PriceListUpload> priceList =
        vq::ui::preparePriceListUpload(project, &error);
    if (!priceList) {
        printError(error);
        return 1;
    }
    if (priceList->stale)
        printError(QStringLiteral("Warnung: Die Preise des Projekts haben sich geändert, seit "
                                  "die Preisliste zuletzt in dieses Verzeichnis hochgeladen "
                                  "wurde; der Formmailer lehnt Bestellungen zu den neuen Preisen "
                                  "ab, bis die neue Preisliste dort liegt."));
    also << priceList->files;
    const vq::UploadResult result = vq::UploadFile(project, tempFile, printError, also);
    if (!result.message.isEmpty())
        printError(result.message);
    if (result.ok)
        priceList->remember();
    return result.ok ? 0 : 1;
}

// Loads the project, generates once and writes the page. Returns the exit status.
int generate(const QCommandLineParser &parser)
{
    const QString kind = parser.value(QStringLiteral("generate"));
    if (kind != u"html" && kind != u"php" && kind != u"widerruf") {
        printError(
            QStringLiteral("--generate erwartet html, php oder widerruf, nicht \"%1\".").arg(kind));
        return 2;
    }
    vq::ProjectDocument project;
    if (const int status = loadProjectArgument(parser, QStringLiteral("--generate"), project))
        return status;

    const bool php = kind == u"php" || (kind == u"widerruf" && vq::uploadsPhp(project));
    QString page;
    try {
        std::unique_ptr<vq::TCodeExport> generator;
        if (kind == u"html")
            generator = std::make_unique<vq::TGenHTML>(project, vq::programFolder());
        else if (kind == u"php")
            generator = std::make_unique<vq::TGenPHP>(project, vq::programFolder());
        else
            generator = std::make_unique<vq::TGenWithdrawal>(project, vq::programFolder(), php);
        page = generator->GenCode();
    } catch (const vq::GenerationError &error) {
        printError(error.message());
        return 1;
    }
    if (kind != u"widerruf")
        warnOfOrderButton(project);

    if (parser.isSet(QStringLiteral("output"))) {
        QString error;
        const auto fileKind = php ? vq::GeneratedKind::PhpScript : vq::GeneratedKind::Page;
        if (!vq::writeGeneratedText(parser.value(QStringLiteral("output")), page,
                                    project.ExtSettings.encoding, &error, fileKind)) {
            printError(error);
            return 1;
        }
        return 0;
    }
    // The same lines as in a file, as UTF-8 without a byte-order mark.
    if (!writeStandardOutput(vq::withCrLf(page).toUtf8())) {
        printError(QStringLiteral("Die Seite konnte nicht ausgegeben werden."));
        return 1;
    }
    return 0;
}

bool wantsCommandLineOnly(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (std::strncmp(arg, "--generate", 10) == 0 || std::strcmp(arg, "--price-list") == 0
            || std::strncmp(arg, "--export-into", 13) == 0 || std::strcmp(arg, "--upload") == 0
            || std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "--help-all") == 0
            || std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--version") == 0
            || std::strcmp(arg, "-v") == 0 || std::strcmp(arg, "-?") == 0)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    vq::keepLargeBlocksInHeap();
    // Generation, help and version need no display: no widget is created.
    if (wantsCommandLineOnly(argc, argv)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("zelkin"));
        QCoreApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION_TEXT));
        QCommandLineParser parser;
        addOptions(parser);
        parser.process(app);
        const int modes = int(parser.isSet(QStringLiteral("generate")))
                          + int(parser.isSet(QStringLiteral("price-list")))
                          + int(parser.isSet(QStringLiteral("export-into")))
                          + int(parser.isSet(QStringLiteral("upload")));
        if (modes > 1) {
            printError(QStringLiteral(
                "--generate, --price-list, --export-into und --upload gehen nur einzeln."));
            return 2;
        }
        if (parser.isSet(QStringLiteral("upload")))
            return upload(parser);
        if (parser.isSet(QStringLiteral("price-list")))
            return writePriceList(parser);
        if (parser.isSet(QStringLiteral("export-into")))
            return exportInto(parser);
        return generate(parser);
    }

    // The browser engine of the preview refuses to start as root unless its
    // sandbox is off (root has no such sandbox anyway).
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zelkin"));
    QApplication::setApplicationDisplayName(QStringLiteral("VQ-BestellFormular"));
    QApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION_TEXT));
    QApplication::setDesktopFileName(QStringLiteral("zelkin"));
    QApplication::setWindowIcon(QIcon(vq::programFile(QStringLiteral("zelkin.svg"))));

    QCommandLineParser parser;
    addOptions(parser);
    parser.process(app);
    const QStringList args = parser.positionalArguments();

    // Qt's own dialogs (colours, files, fonts) in German, where the
    // translations are installed.
    QTranslator qtGerman;
    if (qtGerman.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                      QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtGerman);

    vq::ui::TfrmMain window(std::make_unique<vq::ui::DialogEditorAccess>(),
                            std::make_unique<vq::ui::DesignerQuestions>());
    vq::ui::startDesigner(window, args.value(0));
    return app.exec();
}
