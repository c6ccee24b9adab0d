// The publishing commands of the designer's main window against real
// servers: the FTP upload and its log, the FTP profiles, the FTP browser, the
// form-mailer links and the export into an existing page.
#include "tests/gui/main_window_fixture.h"

#include <QTableWidget>

using namespace vq;
using namespace vq::ui;
using namespace vq::test;

namespace {

// The upload from the window against a real FTP server: the page or script
// lands under the chosen name, the log shows each step and never the
// password, failures end as log lines or as a message, and the window stays
// usable while the worker runs.
TEST_F(MainWindowTest, FtpUploadToARealServer)
{
    FtpServer server;
    ASSERT_TRUE(server.ok());
    m_window->startUp(QString());
    // Captcha on: nothing is asked of it.
    find<QCheckBox>(QStringLiteral("chkCaptcha"))->setChecked(true);
    auto set = [this](const char *name, const QString &text) {
        find<QLineEdit>(QString::fromLatin1(name))->setText(text);
    };
    struct Case
    {
        const char *what;
        QString port;
        QString password;
        QString folder;
        int format; // 0 HTML, 1 PHP
        bool passive;
        QString storedAs; // relative to the server's root; empty: nothing stored
        QStringList logHas;
        QString message; // start of a message box text; empty: none
        bool tls = false;
    };
    const QString port = QString::number(server.port());
    const QString pw = QString::fromLatin1(FtpServer::password);
    const QStringList okLines{
        QStringLiteral("Versuche Verbindung aufzunehmen..."), QStringLiteral("Username: kunde"),
        QStringLiteral("Passwort: ********"), QStringLiteral("Verbindung hergestellt!")};
    const Case cases[] = {
        {"html into a folder, passive",
         port,
         pw,
         QStringLiteral("htdocs/shop"),
         0,
         true,
         QStringLiteral("htdocs/shop/seite.txt"),
         okLines
             + QStringList{QStringLiteral("Verzeichniswechsel nach: htdocs/shop"),
                           QStringLiteral("Dateien erfolgreich übertragen!")},
         {}},
        {"php into the login folder, active",
         port,
         pw,
         QString(),
         1,
         false,
         QStringLiteral("seite.txt"),
         okLines
             + QStringList{QStringLiteral("Verzeichniswechsel nach: "),
                           QStringLiteral("Dateien erfolgreich übertragen!")},
         {}},
        {"missing folder",
         port,
         pw,
         QStringLiteral("gibtsnicht"),
         0,
         true,
         QString(),
         {QStringLiteral("Fehler bei FTP-Übertragung."),
          QStringLiteral("sowie das angegebene Verzeichnis auf dem"),
          QStringLiteral("Fehlermeldung des Servers:")},
         {}},
        {"wrong password",
         port,
         QStringLiteral("falsch"),
         QString(),
         0,
         true,
         QString(),
         {QStringLiteral("Fehler bei FTP-Übertragung."),
          QStringLiteral("Bitte überprüfen Sie Benutzername/Passwort")},
         {}},
        {"nobody listening", QString::number(freeLocalPort()), pw, QString(), 0, true, QString(),
         okLines.mid(0, 3), QStringLiteral("*")},
        // The test server speaks no TLS: asked for FTPS, the upload stops
        // before the login rather than send the password in clear.
        {"FTPS asked of a server without TLS",
         port,
         pw,
         QString(),
         0,
         true,
         QString(),
         okLines.mid(0, 3) + QStringList{QStringLiteral("Fehler bei FTP-Übertragung.")},
         {},
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QDir(server.root()).remove(QStringLiteral("seite.txt"));
        QDir(server.root()).remove(QStringLiteral("htdocs/shop/seite.txt"));
        m_dialogs->told.clear();
        set("edtFtpServer", QStringLiteral("127.0.0.1"));
        set("edtPort", c.port);
        set("edtUsername", QString::fromLatin1(FtpServer::user));
        set("edtPasswort", c.password);
        set("edtFolder", c.folder);
        set("edtDateiname", QStringLiteral("seite.txt"));
        find<QComboBox>(QStringLiteral("cboUploadFormat"))->setCurrentIndex(c.format);
        find<QCheckBox>(QStringLiteral("chkPassiv"))->setChecked(c.passive);
        find<QCheckBox>(QStringLiteral("chkFtpTls"))->setChecked(c.tls);

        QSignalSpy finished(m_window.get(), &TfrmMain::ftpFinished);
        ASSERT_TRUE(m_window->ftpUpload());
        EXPECT_TRUE(m_window->ftpBusy());
        EXPECT_FALSE(action("tbFtpUpload")->isEnabled()) << "no second upload while one runs";
        EXPECT_FALSE(m_window->ftpUpload());
        ASSERT_TRUE(finished.wait(30000));
        EXPECT_EQ(finished.first().first().toBool(), !c.storedAs.isEmpty());
        EXPECT_TRUE(action("tbFtpUpload")->isEnabled());
        EXPECT_FALSE(m_window->logWindow()->busy());

        const QString log = m_window->logWindow()->text();
        EXPECT_TRUE(m_window->logWindow()->isVisible());
        for (const QString &line : c.logHas)
            EXPECT_TRUE(log.split(u'\n').contains(line)) << line.toStdString() << "\n"
                                                         << log.toStdString();
        EXPECT_FALSE(log.contains(pw)) << log.toStdString();
        if (c.tls) {
            EXPECT_FALSE(log.contains(QStringLiteral("Verbindung hergestellt!")))
                << log.toStdString();
        }
        if (c.message.isEmpty()) {
            EXPECT_TRUE(m_dialogs->told.empty());
        } else {
            ASSERT_EQ(m_dialogs->told.size(), 1u);
            EXPECT_FALSE(m_dialogs->told[0].text.isEmpty());
            EXPECT_FALSE(m_dialogs->told[0].text.contains(pw));
        }
        if (!c.storedAs.isEmpty()) {
            const QByteArray stored = readFile(QDir(server.root()).filePath(c.storedAs));
            EXPECT_TRUE(stored.contains(c.format == 1 ? "<?php" : "<html"))
                << stored.left(200).toStdString();
            // Stored in ASCII mode: the server may turn CR LF into its own line breaks.
            QByteArray sent =
                readFile(QDir(tempFolder())
                             .filePath(c.format == 1 ? QStringLiteral("vqform_temp.php")
                                                     : QStringLiteral("vqform_temp.htm")));
            EXPECT_TRUE(stored == sent || stored == sent.replace("\r\n", "\n"))
                << "the temporary file is what was stored";
        }
    }

    // A failed check shows its message, touches no server and leaves the log alone.
    struct Check
    {
        const char *what;
        QString server, fileName, port, message, portAfter;
    };
    const Check checks[] = {
        {"no server", QString(), QStringLiteral("a.htm"), port,
         QStringLiteral("Fehler: Kein FTP-Server angegeben. Bitte geben Sie einen FTP-Server an."),
         port},
        {"no file name", QStringLiteral("127.0.0.1"), QString(), port,
         QStringLiteral(
             "Fehler: Keine Datei angeben. Bitte geben Sie eine Datei für den FTP-Upload an."),
         port},
        {"port with letters", QStringLiteral("127.0.0.1"), QStringLiteral("a.htm"),
         QStringLiteral("2x1"),
         QStringLiteral("Fehler: FTP-Port muss eine Zahl sein. Standardport ist 21."),
         QStringLiteral("21")},
    };
    const QString logBefore = m_window->logWindow()->text();
    for (const Check &c : checks) {
        SCOPED_TRACE(c.what);
        m_dialogs->told.clear();
        set("edtFtpServer", c.server);
        set("edtDateiname", c.fileName);
        set("edtPort", c.port);
        QSignalSpy finished(m_window.get(), &TfrmMain::ftpFinished);
        ASSERT_TRUE(m_window->ftpUpload());
        ASSERT_TRUE(finished.wait(30000));
        ASSERT_EQ(m_dialogs->told.size(), 1u);
        EXPECT_EQ(m_dialogs->told[0].text, c.message);
        EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtPort"))->text(), c.portAfter);
        EXPECT_EQ(m_window->logWindow()->text(), logBefore);
    }

    // "Schließen" hides the one log window.
    QTest::mouseClick(
        m_window->logWindow()->findChild<QPushButton *>(QStringLiteral("btnSchliessen")),
        Qt::LeftButton);
    EXPECT_FALSE(m_window->logWindow()->isVisible());
}

// The profile list picked from the main window: its columns, the commands,
// the editor's checks, saving on every close, and the chosen profile filling
// the FTP settings while folder and file name stay.
TEST_F(MainWindowTest, FtpProfilesPickEditAndSave)
{
    m_window->startUp(QString());
    const QString path = appDataFile(QString::fromLatin1(kFtpProfilesFile));
    TFtpProfile a{QStringLiteral("Shop"), QStringLiteral("ftp.shop.example"), QStringLiteral("21"),
                  QStringLiteral("anna"), QStringLiteral("geheim"),           true};
    a.ftps = true;
    TFtpProfile b{QStringLiteral("Test"),
                  QStringLiteral("127.0.0.1"),
                  QStringLiteral("2121"),
                  QStringLiteral("bert"),
                  QString(),
                  false};
    QString error;
    ASSERT_TRUE(writeFtpProfiles(path, {a, b}, &error)) << error.toStdString();
    find<QLineEdit>(QStringLiteral("edtFolder"))->setText(QStringLiteral("htdocs"));
    find<QLineEdit>(QStringLiteral("edtDateiname"))->setText(QStringLiteral("bestellung.htm"));

    auto rows = [](TftpProfiles &list) {
        auto *tree = list.findChild<QTreeWidget *>(QStringLiteral("lvProfiles"));
        QList<QStringList> texts;
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QStringList row;
            for (int c = 0; c < tree->columnCount(); ++c)
                row.append(tree->topLevelItem(i)->text(c));
            texts.append(row);
        }
        return texts;
    };
    auto select = [](TftpProfiles &list, int row) {
        auto *tree = list.findChild<QTreeWidget *>(QStringLiteral("lvProfiles"));
        tree->setCurrentItem(row < 0 ? nullptr : tree->topLevelItem(row));
        if (row < 0)
            tree->clearSelection();
    };

    // Pick the first profile by "Übernehmen".
    m_dialogs->modal = [&](QDialog &dialog) {
        auto *list = qobject_cast<TftpProfiles *>(&dialog);
        EXPECT_NE(list, nullptr);
        EXPECT_TRUE(list->SelectMode);
        EXPECT_TRUE(isAccessible(dialog));
        EXPECT_EQ(
            rows(*list),
            (QList<QStringList>{
                {QStringLiteral("Shop"), QStringLiteral("ftp.shop.example"), QStringLiteral("21"),
                 QStringLiteral("anna"), QStringLiteral("******"), QStringLiteral("x")},
                {QStringLiteral("Test"), QStringLiteral("127.0.0.1"), QStringLiteral("2121"),
                 QStringLiteral("bert"), QString(), QString()}}));
        select(*list, -1);
        list->takeOver();
        EXPECT_EQ(m_dialogs->told.back().text,
                  QStringLiteral(
                      "Bitte markieren Sie zuerst das Profil, welches Sie übernehmen wollen."));
        select(*list, 0);
        list->takeOver();
        return list->result();
    };
    click("btnFtpProfile");
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtFtpServer"))->text(), a.server);
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtPort"))->text(), a.port);
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtUsername"))->text(), a.benutzername);
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtPasswort"))->text(), a.passwort);
    EXPECT_TRUE(find<QCheckBox>(QStringLiteral("chkPassiv"))->isChecked());
    EXPECT_TRUE(find<QCheckBox>(QStringLiteral("chkFtpTls"))->isChecked());
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtFolder"))->text(), QStringLiteral("htdocs"));
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtDateiname"))->text(),
              QStringLiteral("bestellung.htm"));

    // New profile through the editor's checks, delete one, leave: the file holds the change.
    struct EditorCheck
    {
        QString name, server, port, user, message, focus;
    };
    const EditorCheck editorChecks[] = {
        {QString(), QStringLiteral("s"), QStringLiteral("21"), QStringLiteral("u"),
         QStringLiteral("Bitte einen Profilnamen eingeben."), QStringLiteral("edtProfilname")},
        {QStringLiteral("n"), QString(), QStringLiteral("21"), QStringLiteral("u"),
         QStringLiteral("Bitte einen Servernamen eingeben."), QStringLiteral("edtServer")},
        {QStringLiteral("n"), QStringLiteral("s"), QStringLiteral("21"), QString(),
         QStringLiteral("Bitte einen Benutzernamen eingeben."), QStringLiteral("edtBenutzername")},
        {QStringLiteral("n"), QStringLiteral("s"), QStringLiteral("2l"), QStringLiteral("u"),
         QStringLiteral("Im Feld Port bitte nur ganze Zahlen eingeben."),
         QStringLiteral("edtPort")},
    };
    const TFtpProfile added{QStringLiteral("Neu"),
                            QStringLiteral("ftp.neu.example"),
                            QStringLiteral("990"),
                            QStringLiteral("carla"),
                            QStringLiteral("pw"),
                            false,
                            true};
    m_dialogs->modal = [&](QDialog &dialog) {
        if (auto *editor = qobject_cast<TfrmFtpProfileEdit *>(&dialog)) {
            EXPECT_EQ(editor->profile().port, QStringLiteral("21"))
                << "a new profile starts with port 21";
            auto set = [editor](const char *name, const QString &text) {
                editor->findChild<QLineEdit *>(QString::fromLatin1(name))->setText(text);
            };
            for (const EditorCheck &c : editorChecks) {
                set("edtProfilname", c.name);
                set("edtServer", c.server);
                set("edtPort", c.port);
                set("edtBenutzername", c.user);
                m_dialogs->told.clear();
                editor->accept();
                EXPECT_EQ(editor->result(), int(QDialog::Rejected));
                EXPECT_EQ(m_dialogs->told.size(), 1u);
                EXPECT_EQ(m_dialogs->told.back().text, c.message);
                EXPECT_EQ(editor->focusWidget() ? editor->focusWidget()->objectName() : QString(),
                          c.focus);
            }
            editor->setProfile(added);
            editor->accept();
            return editor->result();
        }
        auto *list = qobject_cast<TftpProfiles *>(&dialog);
        list->newProfile();
        select(*list, -1);
        m_dialogs->told.clear();
        list->deleteProfile();
        EXPECT_EQ(
            m_dialogs->told.back().text,
            QStringLiteral("Bitte wählen Sie zuerst das Profil aus, welches Sie löschen wollen."));
        select(*list, 1);
        list->deleteProfile(); // no question
        EXPECT_EQ(list->ServerList.size(), 2);
        list->findChild<QAction *>(QStringLiteral("actVerlassen"))->trigger();
        return list->result();
    };
    find<QLineEdit>(QStringLiteral("edtFtpServer"))->setText(QStringLiteral("unverändert"));
    action("actFtpProfile")->trigger();
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtFtpServer"))->text(),
              QStringLiteral("unverändert"))
        << "leaving picks nothing";
    EXPECT_EQ(readFtpProfiles(path, &error), (QList<TFtpProfile>{a, added}));

    // A damaged file: the user is told, and the unread profiles survive beside the new file.
    QByteArray damaged = readFile(path);
    damaged.replace("<passiv>", "<kaputt>").replace("</passiv>", "</kaputt>");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(damaged);
    }
    m_dialogs->told.clear();
    m_dialogs->modal = [&](QDialog &dialog) {
        dialog.reject();
        return dialog.result();
    };
    action("actFtpProfile")->trigger();
    ASSERT_EQ(m_dialogs->told.size(), 1u);
    EXPECT_TRUE(m_dialogs->told[0].text.contains(QStringLiteral("profiles.xml.bak")));
    EXPECT_EQ(readFile(path + QStringLiteral(".bak")), damaged);
}

// "Verbindung testen" in the profile editor against a real server, on a worker.
TEST_F(MainWindowTest, FtpProfileConnectionTest)
{
    FtpServer server;
    ASSERT_TRUE(server.ok());
    m_window->startUp(QString());
    const QString pw = QString::fromLatin1(FtpServer::password);
    struct Case
    {
        const char *what;
        QString port, password;
        bool ok;
        QStringList logHas;
        QString message;
    };
    const QString port = QString::number(server.port());
    const Case cases[] = {
        {"logs in",
         port,
         pw,
         true,
         {QStringLiteral("Versuche Verbindung aufzunehmen..."), QStringLiteral("Username: kunde"),
          QStringLiteral("Passwort: ********"),
          QStringLiteral("Verbindung erfolgreich hergestellt!")},
         {}},
        {"wrong password",
         port,
         QStringLiteral("falsch"),
         false,
         {QStringLiteral("Fehler bei FTP-Übertragung."),
          QStringLiteral("Bitte überprüfen Sie Benutzername/Passwort"),
          QStringLiteral("Fehlermeldung des Servers:")},
         {}},
        {"port no number",
         QStringLiteral("ftp"),
         pw,
         false,
         {},
         QStringLiteral("Bitte einen numerischen Wert im Feld Port eintragen!")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        m_dialogs->told.clear();
        TfrmFtpProfileEdit editor(*m_dialogs, m_window->logWindow(), m_window.get());
        editor.setProfile({QStringLiteral("p"), QStringLiteral("127.0.0.1"), c.port,
                           QString::fromLatin1(FtpServer::user), c.password, true});
        QSignalSpy finished(&editor, &TfrmFtpProfileEdit::testFinished);
        QTest::mouseClick(editor.findChild<QPushButton *>(QStringLiteral("btnVerbindungTesten")),
                          Qt::LeftButton);
        EXPECT_TRUE(editor.testing());
        ASSERT_TRUE(finished.wait(30000));
        EXPECT_EQ(finished.first().first().toBool(), c.ok);
        const QString log = m_window->logWindow()->text();
        for (const QString &line : c.logHas)
            EXPECT_TRUE(log.split(u'\n').contains(line)) << line.toStdString() << "\n"
                                                         << log.toStdString();
        EXPECT_FALSE(log.contains(QStringLiteral("sowie das angegebene Verzeichnis")))
            << "only the upload names the folder";
        EXPECT_FALSE(log.contains(pw));
        if (c.message.isEmpty())
            EXPECT_TRUE(m_dialogs->told.empty());
        else
            EXPECT_EQ(m_dialogs->told.size() == 1 ? m_dialogs->told[0].text : QString(), c.message);
    }
}

// The form-mailer manager: edits reach the file only after "Ja" on the save
// question; "Abbrechen" keeps the window open; the drop-down is reloaded
// afterwards and keeps the typed text.
TEST_F(MainWindowTest, FormMailerManagerAndSaveQuestion)
{
    const QString path = appDataFile(QString::fromLatin1(kFormMailerListFile));
    m_window->startUp(QString());
    QString error;
    const QStringList start{QStringLiteral("https://a.example/formmail.php"),
                            QStringLiteral("https://b.example/formmail.php")};
    ASSERT_TRUE(writeFormMailerList(path, start, &error));
    auto *combo = find<QComboBox>(QStringLiteral("cboFormMailer"));
    combo->setCurrentText(QStringLiteral("https://eigen.example/fm.php"));

    auto edit = [&](QMessageBox::StandardButton answer) {
        m_dialogs->modal = [&](QDialog &dialog) {
            if (auto *link = qobject_cast<TfrmFormMailerLink *>(&dialog)) {
                EXPECT_TRUE(isAccessible(dialog));
                auto *box = link->findChild<QLineEdit *>(QStringLiteral("edtLink"));
                EXPECT_EQ(box->text(), QStringLiteral("http://"))
                    << "a new link starts with the scheme";
                box->setText(QStringLiteral("https://c.example/formmail.php"));
                QTest::mouseClick(link->findChild<QPushButton *>(QStringLiteral("btnLinkTesten")),
                                  Qt::LeftButton);
                link->accept();
                return link->result();
            }
            auto *manager = qobject_cast<TfrmFormMailers *>(&dialog);
            EXPECT_EQ(manager->links(), start);
            manager->newLink();
            manager->selectRow(0);
            manager->deleteLink(); // at once, without a question
            manager->selectRow(-1);
            manager->deleteLink(); // nothing selected: nothing happens
            EXPECT_EQ(manager->links(),
                      (QStringList{start[1], QStringLiteral("https://c.example/formmail.php")}));
            m_dialogs->buttons = {QMessageBox::Cancel, answer};
            manager->reject();
            EXPECT_EQ(manager->result(), int(QDialog::Rejected));
            EXPECT_EQ(m_dialogs->buttons.size(), 1u) << "Abbrechen keeps the window open";
            manager->findChild<QAction *>(QStringLiteral("actVerlassen"))->trigger();
            return manager->result();
        };
        m_dialogs->questions.clear();
        action("actFormmailerLinks")->trigger();
        ASSERT_EQ(m_dialogs->questions.size(), 2u);
        EXPECT_EQ(m_dialogs->questions[0].text, QStringLiteral("Änderungen speichern?"));
    };
    auto items = [combo] {
        QStringList texts;
        for (int i = 0; i < combo->count(); ++i)
            texts.append(combo->itemText(i));
        return texts;
    };

    edit(QMessageBox::No);
    EXPECT_EQ(readFormMailerList(path), start);
    EXPECT_EQ(items(), start);
    EXPECT_EQ(m_dialogs->urls.back(),
              QStringLiteral("https://c.example/formmail.php?action=checkurl"));

    edit(QMessageBox::Yes);
    const QStringList saved{start[1], QStringLiteral("https://c.example/formmail.php")};
    EXPECT_EQ(readFormMailerList(path), saved);
    EXPECT_EQ(items(), saved);
    EXPECT_EQ(combo->currentText(), QStringLiteral("https://eigen.example/fm.php"));
}

// The FTP browser against a real server: connect, the listing with folders,
// files and a link shown as a file, entering a folder, up, F5, the status
// list's colours and masked password, and "Übernehmen" into "Verzeichnis".
TEST_F(MainWindowTest, FtpBrowserPicksTheFolder)
{
    FtpServer server;
    ASSERT_TRUE(server.ok());
    {
        QFile index(QDir(server.root()).filePath(QStringLiteral("htdocs/index.htm")));
        ASSERT_TRUE(index.open(QIODevice::WriteOnly));
        index.write("12345");
    }
    ASSERT_TRUE(QFile::link(QDir(server.root()).filePath(QStringLiteral("htdocs/shop")),
                            QDir(server.root()).filePath(QStringLiteral("htdocs/verweis"))));
    m_window->startUp(QString());
    auto set = [this](const char *name, const QString &text) {
        find<QLineEdit>(QString::fromLatin1(name))->setText(text);
    };
    set("edtFtpServer", QStringLiteral("127.0.0.1"));
    set("edtUsername", QString::fromLatin1(FtpServer::user));
    set("edtPasswort", QString::fromLatin1(FtpServer::password));
    find<QCheckBox>(QStringLiteral("chkPassiv"))->setChecked(true);

    // A port that is no number: message, port reset, no browser.
    set("edtPort", QStringLiteral("einundzwanzig"));
    int opened = 0;
    m_dialogs->modal = [&](QDialog &) {
        ++opened;
        return int(QDialog::Rejected);
    };
    click("btnFtpBrowser");
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(m_dialogs->told.back().text,
              QStringLiteral("Port muss eine Zahl sein. Standardport ist 21."));
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtPort"))->text(), QStringLiteral("21"));
    set("edtPort", QString::number(server.port()));

    auto rows = [](TfrmFTPBrowser &browser) {
        auto *tree = browser.findChild<QTreeWidget *>(QStringLiteral("lvVerzeichnis"));
        QMap<QString, QStringList> byName;
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = tree->topLevelItem(i);
            byName.insert(item->text(0), {item->text(1), item->text(3)});
        }
        return byName;
    };
    auto pathOf = [](TfrmFTPBrowser &browser) {
        return browser.findChild<QLineEdit *>(QStringLiteral("edtPfad"))->text();
    };
    auto activate = [](TfrmFTPBrowser &browser, const QString &name) {
        auto *tree = browser.findChild<QTreeWidget *>(QStringLiteral("lvVerzeichnis"));
        const auto found = tree->findItems(name, Qt::MatchExactly);
        if (found.isEmpty())
            return;
        tree->setCurrentItem(found.first());
        QTest::keyClick(tree, Qt::Key_Return);
    };

    m_dialogs->modal = [&](QDialog &dialog) {
        auto &browser = dynamic_cast<TfrmFTPBrowser &>(dialog);
        QSignalSpy step(&browser, &TfrmFTPBrowser::stepFinished);
        m_dialogs->told.clear();
        browser.takeOver();
        EXPECT_EQ(m_dialogs->told.size(), 1u);
        EXPECT_EQ(browser.result(), int(QDialog::Rejected)) << "not connected: the browser stays";

        auto *connectAction = browser.findChild<QAction *>(QStringLiteral("actVerbinden"));
        connectAction->trigger();
        EXPECT_TRUE(browser.busy());
        EXPECT_FALSE(connectAction->isEnabled());
        EXPECT_TRUE(step.wait(20000));
        EXPECT_TRUE(browser.connected());
        EXPECT_FALSE(connectAction->isEnabled());
        EXPECT_EQ(pathOf(browser), QStringLiteral("/"));
        EXPECT_EQ(rows(browser).value(QStringLiteral("htdocs")),
                  (QStringList{QString(), QStringLiteral("<DIR>")}));

        activate(browser, QStringLiteral("htdocs"));
        EXPECT_TRUE(step.wait(20000));
        EXPECT_EQ(pathOf(browser), QStringLiteral("/htdocs"));
        const auto inHtdocs = rows(browser);
        EXPECT_EQ(inHtdocs.value(QStringLiteral("index.htm")),
                  (QStringList{QStringLiteral("5"), QString()}));
        EXPECT_EQ(inHtdocs.value(QStringLiteral("shop")).value(1), QStringLiteral("<DIR>"));
        EXPECT_EQ(inHtdocs.value(QStringLiteral("verweis")).value(1), QString())
            << "a link is shown as a file";
        // A link cannot be entered.
        const int steps = int(step.size());
        activate(browser, QStringLiteral("verweis"));
        EXPECT_FALSE(browser.busy());
        EXPECT_EQ(step.size(), steps);

        // F5 lists the current folder again and sees a new file.
        QFile::copy(QDir(server.root()).filePath(QStringLiteral("htdocs/index.htm")),
                    QDir(server.root()).filePath(QStringLiteral("htdocs/neu.htm")));
        QTest::keyClick(browser.findChild<QTreeWidget *>(QStringLiteral("lvVerzeichnis")),
                        Qt::Key_F5);
        EXPECT_TRUE(step.wait(20000));
        EXPECT_TRUE(rows(browser).contains(QStringLiteral("neu.htm")));

        activate(browser, QStringLiteral("shop"));
        EXPECT_TRUE(step.wait(20000));
        EXPECT_EQ(pathOf(browser), QStringLiteral("/htdocs/shop"));
        browser.findChild<QAction *>(QStringLiteral("actEbeneHoch"))->trigger();
        EXPECT_TRUE(step.wait(20000));
        EXPECT_EQ(pathOf(browser), QStringLiteral("/htdocs"));

        // The status list: commands red, replies blue, PASS masked, newest selected.
        auto *status = browser.findChild<QListWidget *>(QStringLiteral("lbStatus"));
        bool sawPass = false, sawRed = false, sawBlue = false;
        for (int i = 0; i < status->count(); ++i) {
            const QListWidgetItem *item = status->item(i);
            EXPECT_FALSE(item->text().contains(QString::fromLatin1(FtpServer::password)));
            sawPass |= item->text() == u">> PASS *********";
            if (item->text().startsWith(u">> "))
                sawRed |= item->foreground().color() == Qt::red;
            if (item->text().startsWith(u"<< "))
                sawBlue |= item->foreground().color() == Qt::blue;
        }
        EXPECT_TRUE(sawPass && sawRed && sawBlue);
        EXPECT_EQ(status->currentRow(), status->count() - 1);
        EXPECT_EQ(status->palette().color(QPalette::Highlight), QColor(0, 110, 155));
        EXPECT_EQ(status->palette().color(QPalette::HighlightedText), QColor(Qt::white));

        // "Nein" keeps the browser open; "Ja" takes the path.
        m_dialogs->buttons = {QMessageBox::No, QMessageBox::Yes};
        m_dialogs->questions.clear();
        browser.takeOver();
        EXPECT_EQ(browser.result(), int(QDialog::Rejected));
        browser.takeOver();
        EXPECT_EQ(
            m_dialogs->questions.back().text,
            QStringLiteral("Soll der Pfad \"/htdocs\" in das Hauptfenster übernommen werden?"));
        return browser.result();
    };
    click("btnFtpBrowser");
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtFolder"))->text(), QStringLiteral("/htdocs"));

    // Wrong password: the connect message, and "Verbinden" stays usable.
    set("edtPasswort", QStringLiteral("falsch"));
    m_dialogs->modal = [&](QDialog &dialog) {
        auto &browser = dynamic_cast<TfrmFTPBrowser &>(dialog);
        QSignalSpy step(&browser, &TfrmFTPBrowser::stepFinished);
        m_dialogs->told.clear();
        browser.connectToServer();
        EXPECT_TRUE(step.wait(20000));
        EXPECT_FALSE(browser.connected());
        EXPECT_TRUE(browser.findChild<QAction *>(QStringLiteral("actVerbinden"))->isEnabled());
        EXPECT_EQ(m_dialogs->told.size() == 1 ? m_dialogs->told[0].text : QString(),
                  QStringLiteral(
                      "Fehler beim Verbinden, bitte prüfen Sie die Zugangsdaten im Hauptfenster."));
        browser.reject();
        return browser.result();
    };
    click("btnFtpBrowser");
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("edtFolder"))->text(), QStringLiteral("/htdocs"));
}

// A hostile FTP server's replies (its greeting, the folder PWD names, the
// refusal of a password) reach the FTP browser's path, its status list and
// its question, and the upload log: each shows them literally, the question
// in a real message box as plain text. No picture is loaded. (The test
// server takes commands of at most 2048 bytes, so the longest text here is a
// folder of 2,000 characters; a megabyte goes through every message box in
// plain_text_test.)
TEST_F(MainWindowTest, FtpBrowserAndLogShowAServersRepliesAsPlainText)
{
    WatchedPipe pipe;
    ASSERT_TRUE(pipe.made());
    QList<HostileText> texts = hostileTexts(pipe);
    QString folder = QStringLiteral("<img src=\"/dev/zero\">");
    while (folder.size() < 2000)
        folder += QStringLiteral("/verzeichnis");
    texts.last() = {"ein Pfad aus 2.000 Zeichen", folder, folder};
    // A message box nobody expects is named and closed rather than waited for.
    QTimer unexpected;
    unexpected.setInterval(5000);
    QObject::connect(&unexpected, &QTimer::timeout, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            ADD_FAILURE() << "unexpected message: " << box->text().left(300).toStdString();
            box->reject();
        }
    });
    unexpected.start();
    m_window->startUp(QString());
    // Captcha on: nothing is asked of it.
    find<QCheckBox>(QStringLiteral("chkCaptcha"))->setChecked(true);
    auto set = [this](const char *name, const QString &text) {
        find<QLineEdit>(QString::fromLatin1(name))->setText(text);
    };
    for (const HostileText &hostile : texts) {
        SCOPED_TRACE(hostile.name);
        HostileFtpServer server(hostile.text);
        ASSERT_TRUE(server.ok());
        QString quoted = hostile.seen;
        quoted.replace(u'"', QStringLiteral("\"\""));

        UserQuestions dialogs;
        TfrmFTPBrowser browser(dialogs, m_window.get());
        browser.ServerName = QStringLiteral("127.0.0.1");
        browser.ServerPort = server.port();
        browser.Username = QString::fromLatin1(FtpServer::user);
        browser.Password = QString::fromLatin1(FtpServer::password);
        browser.Passiv = true;
        browser.show();
        QSignalSpy step(&browser, &TfrmFTPBrowser::stepFinished);
        browser.connectToServer();
        ASSERT_TRUE(step.wait(20000));
        ASSERT_TRUE(browser.connected());
        EXPECT_EQ(browser.findChild<QLineEdit *>(QStringLiteral("edtPfad"))->text(), hostile.text);
        QStringList status;
        auto *list = browser.findChild<QListWidget *>(QStringLiteral("lbStatus"));
        for (int i = 0; i < list->count(); ++i)
            status << list->item(i)->text();
        EXPECT_TRUE(status.contains(
            cutAt(QStringLiteral("<< 257 \"%1\" is the current directory.").arg(quoted), 1000)))
            << status.join(u'|').left(3000).toStdString();

        ShownMessage question;
        answerMessageBox(&question, QMessageBox::No);
        browser.takeOver();
        ASSERT_TRUE(question.shown);
        EXPECT_EQ(question.format, Qt::PlainText);
        EXPECT_EQ(
            question.text,
            cutAt(QStringLiteral("Soll der Pfad \"%1\" in das Hauptfenster übernommen werden?")
                      .arg(hostile.seen),
                  vq::ui::kMaxMessageChars));
        EXPECT_TRUE(fitsTheScreen(question));
        EXPECT_EQ(browser.result(), int(QDialog::Rejected));
        browser.reject();

        // The upload refused with the server's text: the log quotes it.
        set("edtFtpServer", QStringLiteral("127.0.0.1"));
        set("edtPort", QString::number(server.port()));
        set("edtUsername", QString::fromLatin1(FtpServer::user));
        set("edtPasswort", QStringLiteral("falsch"));
        set("edtDateiname", QStringLiteral("seite.txt"));
        QSignalSpy finished(m_window.get(), &TfrmMain::ftpFinished);
        ASSERT_TRUE(m_window->ftpUpload());
        ASSERT_TRUE(finished.wait(30000));
        const QStringList log = m_window->logWindow()->text().split(u'\n');
        EXPECT_TRUE(log.contains(cutAt(QStringLiteral("530 ") + hostile.seen, 4000)))
            << log.join(u'|').left(3000).toStdString();
    }
    EXPECT_FALSE(pipe.opened()) << "a window read the named pipe as a picture";
}

// The export into an existing page on the real browser engine: insert at the
// caret, the action states, the working copy, save keeping the document type,
// refresh, remove, the closing question and reopening the same page.
TEST_F(MainWindowTest, ExportIntoAnExistingPage)
{
    QTemporaryDir dir;
    const QString pagePath = dir.filePath(QStringLiteral("shop.html"));
    const QByteArray original =
        "<!DOCTYPE html>\r\n<html><head><title>Shop</title></head>"
        "<body><p id=\"vor\">Vorher</p><p id=\"nach\">Nachher</p>"
        "<a id=\"weg\" href=\"https://example.org/\">weg</a></body></html>\r\n";
    {
        QFile f(pagePath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(original);
    }
    m_window->startUp(QString());
    // Captcha on: nothing is asked of it.
    find<QCheckBox>(QStringLiteral("chkCaptcha"))->setChecked(true);
    m_window->project().ExtSettings.encoding = QStringLiteral("utf-8");
    m_window->project().ExtSettings.HTMLExportFileName = pagePath;

    auto waitReady = [](TfrmHtmlExport &dialog) {
        QSignalSpy ready(&dialog, &TfrmHtmlExport::pageReady);
        return ready.wait(15000);
    };
    auto enabled = [](TfrmHtmlExport &dialog) {
        QStringList names;
        for (const char *name :
             {"actSave", "actAddForm", "actRefresh", "actDelete", "actFTPUpload"})
            if (dialog.findChild<QAction *>(QString::fromLatin1(name))->isEnabled())
                names.append(QString::fromLatin1(name));
        return names;
    };
    m_dialogs->modal = [&](QDialog &d) {
        auto &dialog = dynamic_cast<TfrmHtmlExport &>(d);
        EXPECT_EQ(dialog.fileName(), pagePath) << "the page used last opens again";
        EXPECT_TRUE(waitReady(dialog));
        EXPECT_TRUE(QFile::exists(pagePath + QStringLiteral(".copy.html")));
        EXPECT_EQ(enabled(dialog),
                  (QStringList{QStringLiteral("actSave"), QStringLiteral("actAddForm"),
                               QStringLiteral("actFTPUpload")}));
        for (int i = 0;
             i < 100 && dialog.runScript(QStringLiteral("document.designMode")).toString() != u"on";
             ++i)
            QTest::qWait(50);
        EXPECT_EQ(dialog.runScript(QStringLiteral("document.designMode")).toString(),
                  QStringLiteral("on"));

        // The caret after "Vorher": the form goes there.
        dialog.runScript(QStringLiteral("var r = document.createRange();"
                                        "r.setStart(document.getElementById('vor').lastChild, 6);"
                                        "r.collapse(true); var s = window.getSelection();"
                                        "s.removeAllRanges(); s.addRange(r); true"));
        dialog.addForm();
        EXPECT_TRUE(waitReady(dialog));
        EXPECT_EQ(enabled(dialog),
                  (QStringList{QStringLiteral("actSave"), QStringLiteral("actRefresh"),
                               QStringLiteral("actDelete"), QStringLiteral("actFTPUpload")}));
        for (int i = 0;
             i < 100
             && dialog.runScript(QStringLiteral("document.designMode")).toString() != u"off";
             ++i)
            QTest::qWait(50);
        EXPECT_EQ(dialog.runScript(QStringLiteral("document.designMode")).toString(),
                  QStringLiteral("off"));
        const QString text = dialog.pageText();
        const qsizetype form = text.indexOf(QStringLiteral("<!-- VQFORM begin -->"));
        EXPECT_GT(form, text.indexOf(QStringLiteral("Vorher")));
        EXPECT_LT(form, text.indexOf(QStringLiteral("Nachher")));
        EXPECT_GT(text.indexOf(QStringLiteral("<!-- VQFORMCSSBEGIN -->")), 0);
        EXPECT_GT(text.indexOf(QStringLiteral("<!-- VQFORMJSBEGIN -->")), 0);
        EXPECT_EQ(readFile(pagePath), original) << "the page changes only on saving";

        // A second insert is refused with its message.
        m_dialogs->told.clear();
        dialog.addForm();
        EXPECT_EQ(m_dialogs->told.size(), 1u);

        // The navigation lock keeps a link in the page from leading away.
        EXPECT_TRUE(dialog.navigationLocked());
        dialog.runScript(QStringLiteral("document.getElementById('weg').click(); true"));
        QTest::qWait(300);
        EXPECT_TRUE(dialog.view()->url().isLocalFile());

        EXPECT_TRUE(dialog.save());
        const QByteArray saved = readFile(pagePath);
        EXPECT_TRUE(saved.startsWith("<!DOCTYPE html>\r\n<html><head>\r\n<!-- VQFORMCSSBEGIN -->"))
            << saved.left(60).toStdString();
        EXPECT_TRUE(saved.contains("<!-- VQFORM begin -->"));

        // Refresh replaces the blocks where they stand, never doubles them.
        dialog.refreshForm();
        EXPECT_TRUE(waitReady(dialog));
        const QString refreshed = dialog.pageText();
        for (const char *marker :
             {"<!-- VQFORM begin -->", "<!-- VQFORMCSSBEGIN -->", "<!-- VQFORMJSBEGIN -->"})
            EXPECT_EQ(refreshed.count(QString::fromLatin1(marker)), 1) << marker;
        EXPECT_LT(refreshed.indexOf(QStringLiteral("<!-- VQFORM begin -->")),
                  refreshed.indexOf(QStringLiteral("Nachher")));

        dialog.deleteForm();
        EXPECT_TRUE(waitReady(dialog));
        EXPECT_FALSE(dialog.pageText().contains(QStringLiteral("VQFORM")));
        EXPECT_TRUE(dialog.pageText().contains(QStringLiteral("Nachher")));

        // Closing asks; "Nein" leaves the saved page as it was.
        m_dialogs->buttons = {QMessageBox::No};
        dialog.findChild<QAction *>(QStringLiteral("actExit"))->trigger();
        EXPECT_FALSE(QFile::exists(pagePath + QStringLiteral(".copy.html")));
        return dialog.result();
    };
    action("actExportBestehend")->trigger();
    EXPECT_TRUE(readFile(pagePath).contains("<!-- VQFORM begin -->"));
    EXPECT_EQ(m_window->project().ExtSettings.HTMLExportFileName, pagePath);
}

// The publishing windows as a keyboard and screen-reader user meets them:
// every input carries a spoken name, Tab reaches every input, and each
// window fits a 1280x800 screen. With VQ_SCREENSHOT_DIR set they are also
// saved as pictures to look at.
TEST_F(MainWindowTest, PublishingWindowsAreNamedReachableAndFit)
{
    QTemporaryDir dir;
    TfrmFtpProfileEdit profileEditor(*m_dialogs, m_window->logWindow(), m_window.get());
    TftpProfiles profiles(dir.filePath(QStringLiteral("profiles.xml")), *m_dialogs,
                          m_window->logWindow(), m_window.get());
    TfrmFormMailerLink link(*m_dialogs, m_window.get());
    TfrmFormMailers mailers(dir.filePath(QStringLiteral("formmailers.xml")), *m_dialogs,
                            m_window.get());
    TfrmFTPBrowser browser(*m_dialogs, m_window.get());
    const std::pair<const char *, QWidget *> windows[] = {
        {"ftp_profile_edit", &profileEditor},
        {"ftp_profiles", &profiles},
        {"formmailer_link", &link},
        {"formmailers", &mailers},
        {"ftp_browser", &browser},
        {"ftp_log", m_window->logWindow()},
    };
    const QString folder = qEnvironmentVariable("VQ_SCREENSHOT_DIR");
    for (const auto &[name, window] : windows) {
        SCOPED_TRACE(name);
        window->show();
        QApplication::processEvents();
        EXPECT_LE(window->frameGeometry().width(), 1280);
        EXPECT_LE(window->frameGeometry().height(), 800);
        QList<QWidget *> inputs;
        for (QWidget *w : window->findChildren<QWidget *>()) {
            if (!w->isVisibleTo(window) || !w->isEnabled())
                continue;
            if (qobject_cast<QLineEdit *>(w) && qobject_cast<QComboBox *>(w->parentWidget()))
                continue; // the edit inside an editable drop-down
            if (qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w)
                || qobject_cast<QCheckBox *>(w) || qobject_cast<QSpinBox *>(w)
                || qobject_cast<QPlainTextEdit *>(w) || qobject_cast<QTreeView *>(w)
                || qobject_cast<QTableWidget *>(w) || qobject_cast<QListWidget *>(w)
                || qobject_cast<QPushButton *>(w))
                inputs << w;
        }
        for (QWidget *w : inputs) {
            QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
            ASSERT_NE(a, nullptr);
            bool named = !a->text(QAccessible::Name).trimmed().isEmpty();
            // A label set as buddy names it for the screen reader.
            for (QLabel *label : window->findChildren<QLabel *>())
                named = named || label->buddy() == w;
            EXPECT_TRUE(named) << w->metaObject()->className() << " "
                               << w->objectName().toStdString();
            EXPECT_NE(w->focusPolicy() & Qt::TabFocus, 0)
                << w->metaObject()->className() << " " << w->objectName().toStdString();
        }
        // Tab from the first input walks through every input of the window.
        QSet<QWidget *> reached;
        QWidget *start = inputs.isEmpty() ? nullptr : inputs.first();
        for (QWidget *w = start; w;) {
            reached.insert(w);
            w = w->nextInFocusChain();
            if (w == start)
                break;
        }
        for (QWidget *w : inputs)
            EXPECT_TRUE(reached.contains(w)) << w->objectName().toStdString();
        if (!folder.isEmpty())
            window->grab().save(QStringLiteral("%1/%2.png").arg(folder, QString::fromLatin1(name)));
        window->hide();
    }
}

} // namespace
// A page without captcha that posts to our form mailer, whose delivered
// configuration demands a code, would have every order refused: the HTML
// export and the upload ask first, "Nein" stops them. Not asked: a project
// with captcha, one that posts elsewhere, the PHP script (it posts to itself).
TEST_F(MainWindowTest, CaptchaOffIsWarnedOfBeforeExportAndUpload)
{
    m_window->startUp(QString());
    m_window->project().FormMailerList << QStringLiteral("https://shop.example/bestellen");
    const QString htmlPath = projectFile(QStringLiteral("formular.htm"));
    const struct
    {
        const char *what;
        bool captcha;
        const char *mailer;
        int uploadFormat; // 0 HTML, 1 PHP
        bool asked;
    } cases[] = {
        {"the delivered form mailer", false, "https://www.ihre-domain.example/formmail.php", 0,
         true},
        {"formmail.php elsewhere", false, "https://shop.example/cgi/FormMail.php?x=1", 0, true},
        {"a form mailer of the list", false, "https://shop.example/bestellen", 0, true},
        {"captcha on", true, "https://www.ihre-domain.example/formmail.php", 0, false},
        {"another mailer", false, "https://example.org/mailer.cgi", 0, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        find<QCheckBox>(QStringLiteral("chkCaptcha"))->setChecked(c.captcha);
        find<QComboBox>(QStringLiteral("cboFormMailer"))
            ->setCurrentText(QString::fromLatin1(c.mailer));
        find<QComboBox>(QStringLiteral("cboUploadFormat"))->setCurrentIndex(c.uploadFormat);
        QFile::remove(htmlPath);
        m_dialogs->questions.clear();
        m_dialogs->answers = {false};
        m_dialogs->saveNames = {htmlPath};
        action("actHtmlExport")->trigger();
        ASSERT_EQ(m_dialogs->questions.size(), c.asked ? 1u : 0u);
        EXPECT_EQ(QFile::exists(htmlPath), !c.asked) << "Nein stops the export";
        if (!c.asked)
            continue;
        const auto &question = m_dialogs->questions[0];
        EXPECT_EQ(question.title, QStringLiteral("HTML Export"));
        EXPECT_TRUE(question.text.contains(QStringLiteral("Captcha-Spamschutz aktivieren")));
        EXPECT_TRUE(question.text.contains(QStringLiteral("captcha_required")));
        EXPECT_TRUE(question.text.contains(QString::fromLatin1(c.mailer)));
        EXPECT_TRUE(question.text.endsWith(QStringLiteral("Trotzdem fortfahren?")));
        m_dialogs->answers = {false};
        EXPECT_FALSE(m_window->ftpUpload());
        ASSERT_EQ(m_dialogs->questions.size(), 2u);
        EXPECT_EQ(m_dialogs->questions[1].title, QStringLiteral("FTP-Upload"));
        // "Ja" exports all the same.
        m_dialogs->answers = {true};
        m_dialogs->saveNames = {htmlPath};
        action("actHtmlExport")->trigger();
        EXPECT_TRUE(QFile::exists(htmlPath));
    }
    // The PHP script posts to itself: its upload asks nothing of the captcha.
    find<QCheckBox>(QStringLiteral("chkCaptcha"))->setChecked(false);
    find<QComboBox>(QStringLiteral("cboFormMailer"))
        ->setCurrentText(QStringLiteral("https://www.ihre-domain.example/formmail.php"));
    find<QComboBox>(QStringLiteral("cboUploadFormat"))->setCurrentIndex(1);
    m_dialogs->questions.clear();
    QSignalSpy finished(m_window.get(), &TfrmMain::ftpFinished);
    ASSERT_TRUE(m_window->ftpUpload());
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_TRUE(m_dialogs->questions.empty());
}

// Link tests, help and the invoice module go to the desktop unchanged.
