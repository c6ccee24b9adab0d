// Sets an environment variable for as long as the scope lives and gives it
// back its old value (or removes it again) on leaving, also when an assertion
// ends the test early.
#pragma once

#include <QByteArray>
#include <optional>

namespace vq::test {

class EnvironmentScope
{
public:
    // value nullopt: the variable is removed for the scope.
    EnvironmentScope(const char *name, const std::optional<QByteArray> &value)
        : m_name(name)
    {
        if (qEnvironmentVariableIsSet(name))
            m_previous = qgetenv(name);
        set(value);
    }
    ~EnvironmentScope() { set(m_previous); }
    EnvironmentScope(const EnvironmentScope &) = delete;
    EnvironmentScope &operator=(const EnvironmentScope &) = delete;

private:
    void set(const std::optional<QByteArray> &value) const
    {
        if (value)
            qputenv(m_name, *value);
        else
            qunsetenv(m_name);
    }

    const char *m_name;
    std::optional<QByteArray> m_previous;
};

} // namespace vq::test
