// zelkin --generate as scripts use it: the page to a file or to standard
// output, and the exit status and messages of the ways it can fail.
#include "local_server.h"
#include "project_document.h"
#include "test_support.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vq;
using namespace vq::test;

namespace {

const QString kZelkin = QStringLiteral(VQ_PROGRAM_DIR "/zelkin");

QString saveProject(const QTemporaryDir &dir, const QString &encoding)
{
    TProjectDocument project;
    project.ExtSettings.encoding = encoding;
    project.setSetting(QStringLiteral("edtFormTitel"), QStringLiteral("Größen & Farben"));
    auto field = std::make_unique<TEinzField>();
    field->Name = QStringLiteral("name");
    field->Beschriftung = QStringLiteral("Name");
    project.ListField.push_back(std::move(field));
    const QString path = dir.filePath(encoding + QStringLiteral(".vqb"));
    QString error;
    EXPECT_TRUE(project.SaveProject(path, &error)) << error.toStdString();
    return path;
}

} // namespace

TEST(GenerateCommandLine, WritesThePageByTheFileRule)
{
    QTemporaryDir dir;
    struct Case
    {
        const char *encoding;
        QByteArray start;
        QByteArray title;
    } cases[] = {
        {"utf-8", "\xEF\xBB\xBF", "Gr\xC3\xB6\xC3\x9F" "en & Farben"},
        {"windows-1252", "<", "Gr\xF6\xDF" "en & Farben"},
    };
    for (const Case &c : cases) {
        const QString project = saveProject(dir, QString::fromLatin1(c.encoding));
        const QString output = dir.filePath(QStringLiteral("seite.htm"));
        QByteArray out, err;
        EXPECT_EQ(runProgram(kZelkin, {QStringLiteral("--generate"), QStringLiteral("html"),
                                       QStringLiteral("--output"), output, project},
                             &out, 30000, &err),
                  0)
            << err.toStdString();
        const QByteArray page = readFile(output);
        EXPECT_TRUE(page.startsWith(c.start)) << c.encoding;
        EXPECT_TRUE(page.contains(c.title)) << c.encoding;
        EXPECT_TRUE(page.contains("\r\n"));
        EXPECT_FALSE(page.contains("<!-- FIELDS -->"));
    }
}

TEST(GenerateCommandLine, PrintsUtf8ToStandardOutput)
{
    QTemporaryDir dir;
    const QString project = saveProject(dir, QStringLiteral("windows-1252"));
    QByteArray out;
    ASSERT_EQ(runProgram(kZelkin, {QStringLiteral("--generate"), QStringLiteral("php"), project}, &out), 0);
    EXPECT_TRUE(out.startsWith("<?php"));
    EXPECT_TRUE(out.contains("Gr\xC3\xB6\xC3\x9F" "en & Farben"));
}

TEST(GenerateCommandLine, Failures)
{
    QTemporaryDir dir;
    const QString good = saveProject(dir, QStringLiteral("utf-8"));
    const QString wrong = dir.filePath(QStringLiteral("falsch.vqb"));
    writeFile(wrong, "<xml><FileInfo><Prog>Anderes</Prog></FileInfo><FileContent><ItemList/>"
                     "<ArticleList/></FileContent></xml>");
    // A program folder without templates.
    const QString bare = dir.filePath(QStringLiteral("zelkin"));
    ASSERT_TRUE(QFile::copy(kZelkin, bare));
    QFile::setPermissions(bare, QFileDevice::ReadOwner | QFileDevice::ExeOwner);

    struct Case
    {
        const char *what;
        QString program;
        QStringList args;
        int status;
        QString inError;
    } cases[] = {
        {"not a project", kZelkin, {QStringLiteral("--generate"), QStringLiteral("html"), wrong}, 1,
         QStringLiteral("Die Datei scheint keine VQ-Bestellformular-Datei zu sein.\nException class name = "
                        "Exception\nException message = Wrong File")},
        {"missing project", kZelkin,
         {QStringLiteral("--generate"), QStringLiteral("html"), dir.filePath(QStringLiteral("fehlt.vqb"))}, 1,
         QStringLiteral("EFOpenError")},
        {"missing template", bare, {QStringLiteral("--generate"), QStringLiteral("php"), good}, 1,
         QStringLiteral("template_php.htm")},
        {"unknown page kind", kZelkin, {QStringLiteral("--generate"), QStringLiteral("pdf"), good}, 2, QString()},
    };
    for (const Case &c : cases) {
        QByteArray out, err;
        EXPECT_EQ(runProgram(c.program, c.args, &out, 30000, &err), c.status) << c.what;
        EXPECT_TRUE(QString::fromUtf8(err).contains(c.inError)) << c.what << ": " << err.toStdString();
        EXPECT_TRUE(out.isEmpty()) << c.what;
    }
}
