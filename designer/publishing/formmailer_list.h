// The list of form-mailer addresses ("formmailers.xml" in the application-data
// folder) that the "Pfad zum FormMailer" drop-down offers.
#pragma once

#include <QString>
#include <QStringList>

namespace vq {

class ProjectDocument;

inline constexpr char kFormMailerListFile[] = "formmailers.xml";

// The addresses in file order. Reading errors (no file, not well-formed, no
// element "formmailers") end the reading silently with what was read so far.
QStringList readFormMailerList(const QString &path);

// Writes the list as root "xml", "formmailers", one "formmail" per address,
// replacing the file safely. On failure *error says why and the old file stays.
bool writeFormMailerList(const QString &path, const QStringList &addresses, QString *error);

// Whether the project's order page posts to a form mailer of ours: its
// address is an entry of the project's form-mailer list or names
// "formmail.php".
bool postsToOwnFormMailer(const ProjectDocument &project);

// The warning before an export or an upload of an HTML page without captcha
// that posts to our form mailer, whose delivered configuration demands the
// code of every form; empty when there is nothing to warn of.
QString captchaWarning(const ProjectDocument &project);

} // namespace vq
