// ZUGFeRD / Factur-X (profile EN 16931): the printed invoice as PDF/A-3b with
// its electronic invoice embedded as "factur-x.xml", so one file serves the
// reader and the bookkeeping software alike.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

namespace vq::invoice {

inline constexpr char kFacturXFileName[] = "factur-x.xml";

// Turns a PDF/A-1b (as Qt writes it) into PDF/A-3b with xml attached as
// "factur-x.xml" (associated file, relationship Alternative) and XMP metadata
// naming PDF/A-3 and the Factur-X profile EN 16931. now is the document's
// creation and modification date. nullopt with *error (German) for a PDF
// that cannot be read.
std::optional<QByteArray> makeFacturXPdf(const QByteArray &pdfA1b, const QByteArray &xml,
                                         const QDateTime &now, QString *error);

} // namespace vq::invoice
