// Sets an environment variable for as long as the scope lives and gives it
// back its old value (or removes it again) on leaving, also when an assertion
// ends the test early.
#pragma once

#include <QByteArray>
#include <optional>

namespace vq::test {

class TEnvironmentScope
{
public:
    // value nullopt: the variable is removed for the scope.
    TEnvironmentScope(const char *name, const std::optional<QByteArray> &value)
        : m_name(name)
    {
        if (qEnvironmentVariableIsSet(name))
            m_previous = qgetenv(name);
        set(value);
    }
    ~TEnvironmentScope() { set(m_previous); }
    TEnvironmentScope(const TEnvironmentScope &) = delete;
    TEnvironmentScope &operator=(const TEnvironmentScope &) = delete;

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
