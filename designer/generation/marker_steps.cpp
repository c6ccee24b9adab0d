#include "designer/generation/marker_steps.h"

#include <QHash>
#include <optional>

namespace vq {

void MarkerSteps::add(const QString &marker, const QString &value)
{
    m_steps.push_back({marker, value});
}

QString MarkerSteps::applyOneByOne(const QString &text) const
{
    QString result = text;
    for (const Step &step : m_steps)
        result.replace(step.marker, step.value);
    return result;
}

namespace {

const QStringView kOpen = u"<!--";
const QStringView kClose = u"-->";

bool isComment(const QString &marker)
{
    return marker.size() >= 7 && marker.startsWith(kOpen) && marker.endsWith(kClose);
}

class Expander
{
public:
    Expander(const std::vector<QString> &markers, const std::vector<QString> &values)
        : m_markers(markers)
        , m_values(values)
        , m_cache(values.size())
    {
        for (size_t i = 0; i < markers.size(); ++i) {
            m_index[QStringView(markers[i])].push_back(int(i));
            m_maxLength = std::max(m_maxLength, markers[i].size());
        }
    }

    // Appends text to out with every marker of a step >= from expanded.
    void expand(QStringView text, int from, QString &out)
    {
        qsizetype copied = 0;
        qsizetype pos = 0;
        while ((pos = text.indexOf(kOpen, pos)) >= 0) {
            const QStringView window = text.mid(pos + kOpen.size(), m_maxLength - kOpen.size());
            const qsizetype close = window.indexOf(kClose);
            if (close >= 0) {
                const qsizetype length = kOpen.size() + close + kClose.size();
                const int step = stepFor(text.mid(pos, length), from);
                if (step >= 0) {
                    out += text.mid(copied, pos - copied);
                    out += expandedValue(step);
                    pos += length;
                    copied = pos;
                    continue;
                }
            }
            pos += 1;
        }
        out += text.mid(copied);
    }

private:
    int stepFor(QStringView candidate, int from) const
    {
        const auto it = m_index.constFind(candidate);
        if (it == m_index.cend())
            return -1;
        for (int step : *it)
            if (step >= from)
                return step;
        return -1;
    }

    // The value of a step after the steps that follow it; the same for every
    // occurrence, so it is built once.
    const QString &expandedValue(int step)
    {
        std::optional<QString> &cached = m_cache[size_t(step)];
        if (!cached) {
            QString out;
            out.reserve(m_values[size_t(step)].size());
            expand(m_values[size_t(step)], step + 1, out);
            cached = std::move(out);
        }
        return *cached;
    }

    const std::vector<QString> &m_markers;
    const std::vector<QString> &m_values;
    std::vector<std::optional<QString>> m_cache;
    QHash<QStringView, std::vector<int>> m_index;
    qsizetype m_maxLength = 0;
};

} // namespace

QString MarkerSteps::apply(const QString &text) const
{
    std::vector<QString> markers;
    std::vector<QString> values;
    for (const Step &step : m_steps) {
        // A marker of another shape could be formed across pieces; take the plain way.
        if (!isComment(step.marker))
            return applyOneByOne(text);
        markers.push_back(step.marker);
        values.push_back(step.value);
    }
    Expander expander(markers, values);
    // Values are mostly used once: room for all of them avoids regrowing a large page.
    qsizetype expected = text.size();
    for (const QString &value : values)
        expected += value.size();
    QString out;
    out.reserve(expected + expected / 8);
    expander.expand(text, 0, out);
    return out;
}

} // namespace vq
