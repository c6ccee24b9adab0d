// Marker replacement in a fixed order of steps. Each step replaces every
// occurrence of its marker by its value in the text the earlier steps left, so
// a value inserted by one step is still subject to the steps after it (a label
// holding "<!-- CURRENCY -->" gets the currency).
//
// apply() gives that result in one pass over the text instead of one pass per
// step: an occurrence is expanded with the first step at or after the point
// where its text entered the page. Markers are "<!--...-->" comments; they are
// found where they stand in the template or in an inserted value, not where two
// neighbouring pieces only form one together.
#pragma once

#include <QString>
#include <QStringView>
#include <vector>

namespace vq {

class MarkerSteps
{
public:
    void add(const QString &marker, const QString &value);
    bool isEmpty() const { return m_steps.empty(); }

    // The text after all steps.
    QString apply(const QString &text) const;
    // The same, one QString::replace per step: the plain reading of the order,
    // kept for comparison in tests.
    QString applyOneByOne(const QString &text) const;

private:
    struct Step
    {
        QString marker;
        QString value;
    };
    std::vector<Step> m_steps;
};

} // namespace vq
