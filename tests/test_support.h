// Helpers shared by the tests: regional settings for a block, temporary files.
#pragma once

#include <QByteArray>
#include <QLocale>
#include <QString>

namespace vq::test {

// Sets the default locale for its lifetime and restores the previous one.
class LocaleScope
{
public:
    explicit LocaleScope(const QLocale &locale)
        : m_previous(QLocale())
    {
        QLocale::setDefault(locale);
    }
    ~LocaleScope() { QLocale::setDefault(m_previous); }

private:
    QLocale m_previous;
};

inline QLocale germanLocale()
{
    return QLocale(QLocale::German, QLocale::Germany);
}
inline QLocale englishLocale()
{
    return QLocale(QLocale::English, QLocale::UnitedStates);
}

QString fixturePath(const QString &name);
QByteArray readFile(const QString &path);
void writeFile(const QString &path, const QByteArray &bytes);

} // namespace vq::test

namespace vq::test {

// While it lives, writes beyond maxBytes per file fail (as on a full disk),
// also for root. Uses the file-size limit of the process.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(long maxBytes);
    ~FileSizeLimit();

private:
    long m_previousSoft;
};

} // namespace vq::test
