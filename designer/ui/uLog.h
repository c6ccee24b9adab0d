// The "FTP-Log" window: one for the whole program, shown without blocking the
// main window. It keeps the lines of the last upload or connection test until
// the next one starts, and shows a running bar while the work goes on.
#pragma once

#include <QWidget>

class QPlainTextEdit;
class QProgressBar;

namespace vq::ui {

class TfrmLog : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmLog(QWidget *parent = nullptr);

    // Empties the log and shows the window in front.
    void start();
    void addLine(const QString &line);
    QString text() const;
    // The running bar while a network operation is going on.
    void setBusy(bool busy);
    bool busy() const;

private:
    QPlainTextEdit *m_memo = nullptr;
    QProgressBar *m_progress = nullptr;
};

} // namespace vq::ui
