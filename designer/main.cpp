// The form designer zelkin. Its windows come with the main window; for now it
// starts, prepares the application-data folder and opens the project named on
// the command line or the default project.
#include "GlobalFunctions.h"
#include "project_document.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zelkin"));
    QApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION_TEXT));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("VQ-Bestellformular: Formular-Designer"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("projekt"),
                                 QStringLiteral("Projektdatei (.vqb), die geöffnet wird"));
    parser.process(app);

    for (const char *file : {"vorlagen.xml", "vorlagen_artikel.xml", "formmailers.xml"})
        vq::copyMissingFromProgramFolder(QString::fromLatin1(file));

    vq::TProjectDocument project;
    const QStringList args = parser.positionalArguments();
    const vq::TLoadResult result = args.isEmpty()
                                       ? project.NewProject(vq::programFolder())
                                       : project.LoadProject(args.first());
    for (const QString &message : result.messages())
        QMessageBox::warning(nullptr, QStringLiteral("VQ-Bestellformular"), message);

    QMessageBox::information(
        nullptr, QStringLiteral("VQ-Bestellformular"),
        QStringLiteral("Projekt geladen: %1 Felder, %2 Artikel.\nDas Hauptfenster folgt.")
            .arg(project.ListField.size())
            .arg(project.ListArtikel.size()));
    return 0;
}
