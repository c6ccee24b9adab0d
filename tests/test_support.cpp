#include "tests/test_support.h"

#include <QFile>
#include <stdexcept>

namespace vq::test {

QString fixturePath(const QString &name)
{
    return QStringLiteral(VQ_FIXTURES_DIR "/") + name;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

} // namespace vq::test

#include <csignal>
#include <sys/resource.h>

namespace vq::test {

FileSizeLimit::FileSizeLimit(long maxBytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    m_previousSoft = static_cast<long>(limit.rlim_cur);
    limit.rlim_cur = static_cast<rlim_t>(maxBytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = static_cast<rlim_t>(m_previousSoft);
    setrlimit(RLIMIT_FSIZE, &limit);
}

} // namespace vq::test
