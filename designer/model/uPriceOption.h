// One value of a price option: a name and its surcharge per unit.
#pragma once

#include <QString>

namespace vq {

struct TPriceOptionElement
{
    QString name;
    double preis = 0.0; // surcharge; 0 and negative values are allowed

    bool operator==(const TPriceOptionElement &) const = default;
};

} // namespace vq
