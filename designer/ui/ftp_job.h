// Runs a blocking FTP operation on a thread of its own so the windows stay
// painted. The work never touches a widget: it hands its log lines to log(),
// which reaches the receiver's thread as queued line() signals, in order, all
// of them before done(). The job deletes itself after done(); a job destroyed
// early (its parent window closes) waits for its thread first.
#pragma once

#include <QObject>
#include <functional>

class QThread;

namespace vq::ui {

class FtpJob : public QObject
{
    Q_OBJECT
public:
    using Log = std::function<void(const QString &line)>;
    using Work = std::function<void(const Log &log)>;

    // Starts work at once; parent owns the job until it finishes.
    static FtpJob *start(QObject *parent, Work work);
    ~FtpJob() override;

Q_SIGNALS:
    void line(const QString &line);
    void done();

private:
    explicit FtpJob(QObject *parent);
    QThread *m_thread = nullptr;
};

} // namespace vq::ui
