#include "designer/ui/designer_start.h"

#include "designer/ui/mainFrm.h"
#include "designer/ui/uInfo.h"

#include <QEventLoop>
#include <QPointer>
#include <QScreen>

namespace vq::ui {

void startDesigner(TfrmMain &window, const QString &projectPath)
{
    if (const QScreen *screen = window.screen()) {
        const QRect available = screen->availableGeometry();
        window.resize(window.size().boundedTo(available.size()));
        window.move(available.center() - window.rect().center());
    }
    window.show();
    QPointer<TfrmSplash> splash = new TfrmSplash;
    splash->setWindowModality(Qt::ApplicationModal);
    splash->adjustSize();
    splash->move(window.geometry().center() - splash->rect().center());
    splash->show();
    QEventLoop wait;
    QObject::connect(splash, &QObject::destroyed, &wait, &QEventLoop::quit);
    if (splash)
        wait.exec();
    window.startUp(projectPath);
}

} // namespace vq::ui
