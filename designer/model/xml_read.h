// Element readers shared by the field, article and project readers: required
// elements throw ModelError, optional ones fall back to a default.
#pragma once

#include "designer/model/model_error.h"

#include <QDomElement>
#include <QString>
#include <optional>

namespace vq {

// Text of the first child of that name; throws when it is missing.
QString requiredText(const QDomElement &parent, const QString &name);
bool requiredBool(const QDomElement &parent, const QString &name);
int requiredInt(const QDomElement &parent, const QString &name);
// A number by the regional settings.
double requiredNumber(const QDomElement &parent, const QString &name);

// nullopt when the child is missing.
std::optional<QString> optionalText(const QDomElement &parent, const QString &name);
// nullopt when the child is missing or its text does not read.
std::optional<bool> optionalBool(const QDomElement &parent, const QString &name);
std::optional<int> optionalInt(const QDomElement &parent, const QString &name);

// The error texts of values that do not read.
ModelError notABoolean(const QString &text);
ModelError notAnInteger(const QString &text);
ModelError notANumber(const QString &text);
ModelError missingElement(const QString &name);

} // namespace vq
