// Reads the payment code off a PDF as a customer's banking app would: the
// first page rasterised at 300 dpi (pdftoppm) and the QR code decoded from
// the picture (zbarimg), byte for byte.
#pragma once

#include "tests/support/local_server.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vq::invoice::test {

// The text of the one QR code on the first page; empty when there is none.
inline QByteArray giroCodeOnFirstPage(const QString &pdf)
{
    QTemporaryDir dir;
    const QString page = dir.filePath(QStringLiteral("seite"));
    EXPECT_EQ(
        vq::test::runProgram(QStringLiteral("pdftoppm"),
                             {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-f"),
                              QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                              QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, page},
                             nullptr),
        0);
    QByteArray out;
    // Exit 4: no code found.
    const int status =
        vq::test::runProgram(QStringLiteral("zbarimg"),
                             {QStringLiteral("--quiet"), QStringLiteral("--raw"),
                              QStringLiteral("-Sbinary"), page + QStringLiteral(".png")},
                             &out);
    EXPECT_TRUE(status == 0 || status == 4) << "zbarimg exit " << status;
    if (status != 0)
        return {};
    // zbarimg ends each code with a line break of its own.
    if (out.endsWith('\n'))
        out.chop(1);
    return out;
}

// The lines of a code's text, for comparing element by element.
inline QStringList giroCodeLines(const QByteArray &payload)
{
    return QString::fromUtf8(payload).split(u'\n');
}

} // namespace vq::invoice::test
