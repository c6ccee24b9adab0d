#include "designer/ui/ftp_job.h"

#include <QThread>

namespace vq::ui {

FtpJob::FtpJob(QObject *parent)
    : QObject(parent)
{
}

FtpJob *FtpJob::start(QObject *parent, Work work)
{
    auto *job = new FtpJob(parent);
    job->m_thread = QThread::create([job, work = std::move(work)] {
        // Emitted on the worker; the receivers live in the window's thread, so
        // every line arrives there queued.
        work([job](const QString &line) { Q_EMIT job->line(line); });
    });
    connect(
        job->m_thread, &QThread::finished, job,
        [job] {
            Q_EMIT job->done();
            job->deleteLater();
        },
        Qt::QueuedConnection);
    job->m_thread->start();
    return job;
}

FtpJob::~FtpJob()
{
    m_thread->wait();
    delete m_thread;
}

} // namespace vq::ui
