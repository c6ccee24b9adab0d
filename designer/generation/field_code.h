// What each form field contributes to a generated page: its HTML row and
// JavaScript check, the counter script of a multi-line field, and for the PHP
// script its row with the posted value, the redisplay code, the error variable
// and the server-side check. One function per operation, dispatching on the
// field's kind, so the model stays free of page code.
#pragma once

#include "designer/model/vqform.h"

#include <QString>

namespace vq {

// The HTML table row; css adds class="field" to the input elements.
QString GenCode(const TFormField &field, bool css);
// The JavaScript check of a required field inside chkFormular().
QString GenScript(const TFormField &field);
// The check of a single-line field's form (FormatCheck) inside chkFormular();
// it runs for a mandatory field and an optional one alike and passes an empty
// value. Empty for a field without one.
QString GenFormatScript(const TFormField &field);
// The format check of the field, FormatCheck::None for other kinds.
FormatCheck formatCheckOf(const TFormField &field);
// Whether the field is checked at all: mandatory, or with a format check.
bool fieldHasCheck(const TFormField &field);
// The character counter script of a multi-line field with a limit; empty otherwise.
QString GenScriptLength(const TFormField &field);

// The PHP script's row, printing the posted value back.
QString GenCodePHP(const TFormField &field, bool css);
// Fills the redisplay variables from the posted form.
QString GenFormVarPHP(const TFormField &field);
// "$err<Name> = "";" for a field with a check, else empty.
QString GenErrorVarPHP(const TFormField &field, bool css);
// The server-side check of a required field; errorColour is edtErrorColor.
QString GenFormCheckPHP(const TFormField &field, const QString &errorColour);
// The server-side format check, with the form mailer library's function and
// message; empty for a field without one.
QString GenFormatCheckPHP(const TFormField &field, const QString &errorColour);

} // namespace vq
