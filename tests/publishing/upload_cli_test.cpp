// zelkin --upload against a real FTP server on 127.0.0.1: the page in the
// project's format under its file name and folder, the log lines of each
// outcome on standard error, and never the password.
#include "designer/generation/price_list.h"
#include "designer/model/project_document.h"
#include "tests/publishing/ftp_server.h"
#include "tests/test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using namespace vq;
using namespace vq::test;

namespace {

const QString kZelkin = QStringLiteral(VQ_PROGRAM_DIR "/zelkin");

struct UploadCase
{
    const char *what;
    const char *format; // "0" HTML, "1" PHP
    const char *folder;
    const char *fileName;
    const char *password; // nullptr: the right one
    const char *port;     // nullptr: the server's
    const char *host;
    int status;
    const char *storedAs; // below the server root; nullptr: nothing stored
    QStringList logLines; // each must appear on standard error
};

// A project that uploads bestellung.htm into htdocs/shop of the server, passive.
ProjectDocument shopProject(const FtpServer &server)
{
    ProjectDocument project;
    project.setSetting(QStringLiteral("edtFtpServer"), QStringLiteral("127.0.0.1"));
    project.setSetting(QStringLiteral("edtPort"), QString::number(server.port()));
    project.setSetting(QStringLiteral("edtUsername"), QString::fromLatin1(FtpServer::user));
    project.setSetting(QStringLiteral("edtPasswort"), QString::fromLatin1(FtpServer::password));
    project.setSetting(QStringLiteral("edtFolder"), QStringLiteral("htdocs/shop"));
    project.setSetting(QStringLiteral("edtDateiname"), QStringLiteral("bestellung.htm"));
    project.setFlag(QStringLiteral("chkPassiv"), true);
    return project;
}

} // namespace

TEST(UploadCommandLine, StoresThePageOrSaysWhyNot)
{
    FtpServer server;
    ASSERT_TRUE(server.ok());
    QTemporaryDir dir;
    const UploadCase cases[] = {
        {"HTML into a folder",
         "0",
         "htdocs/shop",
         "formular.htm",
         nullptr,
         nullptr,
         "127.0.0.1",
         0,
         "htdocs/shop/formular.htm",
         {QStringLiteral("Versuche Verbindung aufzunehmen..."), QStringLiteral("Username: kunde"),
          QStringLiteral("Passwort: ********"), QStringLiteral("Verbindung hergestellt!"),
          QStringLiteral("Verzeichniswechsel nach: htdocs/shop"),
          QStringLiteral("Dateien erfolgreich übertragen!")}},
        {"PHP under another extension into the login folder",
         "1",
         "",
         "bestellung.html",
         nullptr,
         nullptr,
         "127.0.0.1",
         0,
         "bestellung.html",
         {QStringLiteral("Verzeichniswechsel nach: "),
          QStringLiteral("Dateien erfolgreich übertragen!")}},
        {"missing folder",
         "0",
         "gibtesnicht",
         "x.htm",
         nullptr,
         nullptr,
         "127.0.0.1",
         1,
         nullptr,
         {QStringLiteral("Fehler bei FTP-Übertragung."),
          QStringLiteral("sowie das angegebene Verzeichnis auf dem"),
          QStringLiteral("Fehlermeldung des Servers:")}},
        {"wrong password",
         "0",
         "",
         "x.htm",
         "falsch",
         nullptr,
         "127.0.0.1",
         1,
         nullptr,
         {QStringLiteral("Fehler bei FTP-Übertragung."),
          QStringLiteral("Bitte überprüfen Sie Benutzername/Passwort")}},
        {"no server",
         "0",
         "",
         "x.htm",
         nullptr,
         nullptr,
         "",
         1,
         nullptr,
         {QStringLiteral(
             "Fehler: Kein FTP-Server angegeben. Bitte geben Sie einen FTP-Server an.")}},
        {"no file name",
         "0",
         "",
         "",
         nullptr,
         nullptr,
         "127.0.0.1",
         1,
         nullptr,
         {QStringLiteral(
             "Fehler: Keine Datei angeben. Bitte geben Sie eine Datei für den FTP-Upload an.")}},
        {"port with letters",
         "0",
         "",
         "x.htm",
         nullptr,
         "einundzwanzig",
         "127.0.0.1",
         1,
         nullptr,
         {QStringLiteral("Fehler: FTP-Port muss eine Zahl sein. Standardport ist 21.")}},
    };
    for (const UploadCase &c : cases) {
        SCOPED_TRACE(c.what);
        ProjectDocument project;
        project.ExtSettings.encoding = QStringLiteral("utf-8");
        project.setSetting(QStringLiteral("edtFormTitel"), QStringLiteral("Größen"));
        project.setSetting(QStringLiteral("edtFtpServer"), QString::fromLatin1(c.host));
        project.setSetting(QStringLiteral("edtPort"),
                           c.port ? QString::fromLatin1(c.port) : QString::number(server.port()));
        project.setSetting(QStringLiteral("edtUsername"), QString::fromLatin1(FtpServer::user));
        const QString password = QString::fromLatin1(c.password ? c.password : FtpServer::password);
        project.setSetting(QStringLiteral("edtPasswort"), password);
        project.setSetting(QStringLiteral("edtFolder"), QString::fromLatin1(c.folder));
        project.setSetting(QStringLiteral("edtDateiname"), QString::fromLatin1(c.fileName));
        project.setSetting(QStringLiteral("cboUploadFormat"), QString::fromLatin1(c.format));
        project.setFlag(QStringLiteral("chkPassiv"), true);
        const QString path = dir.filePath(QStringLiteral("upload.vqb"));
        QString error;
        ASSERT_TRUE(project.SaveProject(path, &error)) << error.toStdString();

        QByteArray out, err;
        EXPECT_EQ(runProgram(kZelkin, {QStringLiteral("--upload"), path}, &out, 60000, &err),
                  c.status);
        const QString log = QString::fromUtf8(err);
        for (const QString &line : c.logLines)
            EXPECT_TRUE(log.contains(line)) << line.toStdString() << "\n" << log.toStdString();
        EXPECT_FALSE(log.contains(password)) << log.toStdString();
        if (c.storedAs) {
            const QByteArray stored =
                readFile(server.root() + u'/' + QString::fromLatin1(c.storedAs));
            EXPECT_TRUE(stored.contains("Gr\xC3\xB6\xC3\x9F"
                                        "en"))
                << stored.left(200).toStdString();
            if (QByteArray(c.format) == "1")
                EXPECT_TRUE(stored.startsWith("<?php"));
            else
                EXPECT_TRUE(stored.startsWith("\xEF\xBB\xBF"));
        }
    }
}

// With --withdrawal-page the withdrawal page goes along in the same session,
// beside the form, in the project's format; without it nothing else is stored.
TEST(UploadCommandLine, TakesTheWithdrawalPageAlong)
{
    FtpServer server;
    ASSERT_TRUE(server.ok());
    QTemporaryDir dir;
    struct Case
    {
        const char *format;
        bool withdrawal;
        const char *stored;
        QByteArray start;
    };
    const Case cases[] = {{"0", true, "htdocs/shop/widerruf.htm", "\xEF\xBB\xBF<!DOCTYPE html>"},
                          {"1", true, "htdocs/shop/widerruf.php", "<?php"},
                          {"0", false, nullptr, {}}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.format) + (c.withdrawal ? " with" : " without"));
        QDir(server.root() + QStringLiteral("/htdocs/shop")).removeRecursively();
        QDir(server.root()).mkpath(QStringLiteral("htdocs/shop"));
        ProjectDocument project = shopProject(server);
        project.ExtSettings.encoding = QStringLiteral("utf-8");
        project.setSetting(QStringLiteral("cboUploadFormat"), QString::fromLatin1(c.format));
        const QString path = dir.filePath(QStringLiteral("upload.vqb"));
        QString error;
        ASSERT_TRUE(project.SaveProject(path, &error)) << error.toStdString();
        QStringList args{QStringLiteral("--upload"), path};
        if (c.withdrawal)
            args.insert(1, QStringLiteral("--withdrawal-page"));
        QByteArray out, err;
        EXPECT_EQ(runProgram(kZelkin, args, &out, 60000, &err), 0) << err.toStdString();
        EXPECT_TRUE(QFile::exists(server.root() + QStringLiteral("/htdocs/shop/bestellung.htm")));
        const QStringList stored =
            QDir(server.root() + QStringLiteral("/htdocs/shop")).entryList(QDir::Files);
        EXPECT_EQ(stored.size(), c.stored ? 2 : 1) << stored.join(u' ').toStdString();
        if (c.stored) {
            const QByteArray page = readFile(server.root() + u'/' + QString::fromLatin1(c.stored));
            EXPECT_TRUE(page.startsWith(c.start)) << page.left(60).toStdString();
            EXPECT_TRUE(page.contains("Vertrag widerrufen"));
        }
    }
}

// With "Preisliste neben das Formular hochladen" the price list goes beside
// the form; without it, prices changed since the list last put into that
// folder are warned of on standard error, and the upload goes on.
TEST(UploadCommandLine, PutsThePriceListBesideTheFormAndWarnsWhenItIsStale)
{
    FtpServer server;
    ASSERT_TRUE(server.ok());
    QTemporaryDir dir;
    ProjectDocument project = shopProject(server);
    auto article = std::make_unique<TArtikelField>();
    article->name = QStringLiteral("Tasse");
    article->preis = 8.5;
    article->mwst = 19;
    project.ListArtikel.push_back(std::move(article));
    const QString path = dir.filePath(QStringLiteral("preise.vqb"));
    const QString list = server.root() + QStringLiteral("/htdocs/shop/vq_preisliste.json");
    struct Step
    {
        const char *what;
        bool withList;
        double price;
        bool warned;
        double listHeld;
    };
    const Step steps[] = {{"with the list", true, 8.5, false, 8.5},
                          {"without it, prices as uploaded", false, 8.5, false, 8.5},
                          {"without it, price changed", false, 9.9, true, 8.5},
                          {"with the list again", true, 9.9, false, 9.9}};
    for (const Step &s : steps) {
        SCOPED_TRACE(s.what);
        project.setFlag(QStringLiteral("chkPreislisteUpload"), s.withList);
        project.ListArtikel.front()->preis = s.price;
        QString error;
        ASSERT_TRUE(project.SaveProject(path, &error)) << error.toStdString();
        QByteArray out, err;
        EXPECT_EQ(runProgram(kZelkin, {QStringLiteral("--upload"), path}, &out, 60000, &err), 0)
            << err.toStdString();
        EXPECT_EQ(err.contains("Warnung: Die Preise des Projekts haben sich geändert"), s.warned)
            << err.toStdString();
        ProjectDocument held(project);
        held.ListArtikel.front()->preis = s.listHeld;
        EXPECT_EQ(readFile(list).replace("\r\n", "\n"), priceListJson(held).replace("\r\n", "\n"));
    }
}
