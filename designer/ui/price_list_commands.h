// The form mailer's price list (vq_preisliste.json) from the windows: the
// Export menu writes it to a file; the FTP upload puts it beside the form when
// the project says so, and warns when the list it last put there no longer
// holds the project's prices (the form mailer then refuses the orders).
#pragma once

#include "designer/model/project_document.h"
#include "designer/publishing/ftp_upload.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace vq::ui {

class UserQuestions;

inline constexpr char16_t kExportPriceListCommand[] = u"Preisliste Export";
// The project setting "upload the price list beside the form".
inline constexpr char16_t kPriceListUploadKey[] = u"chkPreislisteUpload";
// The fingerprints of the price lists uploaded last, per server folder, in the
// application-data folder.
inline constexpr char kUploadedPriceListsFile[] = "preislisten.json";

// "Preisliste Export": asks for a file name and writes the project's list.
void exportPriceList(QWidget *parent, UserQuestions &dialogs, const ProjectDocument &project);

// The SHA-256 of the project's price list, as hexadecimal digits.
QString priceListFingerprint(const ProjectDocument &project);
// The fingerprint of the list last uploaded to the project's server folder;
// empty when none was.
QString uploadedPriceListFingerprint(const ProjectDocument &project);

// What an upload of the project does with the price list: the files to store
// beside the form, and remember(), to be called once the upload succeeded.
struct PriceListUpload
{
    QList<TAlsoUploaded> files;
    std::function<void()> remember;
    // The prices changed since the list last uploaded to this folder, and the
    // list does not go along this time.
    bool stale = false;
};

// Without windows: writes the list to the temporary folder when the project
// uploads it. Nothing, with *error set, when it cannot be written.
std::optional<PriceListUpload> preparePriceListUpload(const ProjectDocument &project,
                                                      QString *error);

// Before the window's upload: prepares it, tells a failure and asks whether to
// go on with a stale list. Nothing when the upload should not start.
std::optional<PriceListUpload> priceListForUpload(QWidget *parent, UserQuestions &dialogs,
                                                  const ProjectDocument &project);

} // namespace vq::ui
