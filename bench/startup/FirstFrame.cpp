// Linked into both children of startup_bench: ends the process right after
// its first frame. A routine that QApplication's constructor runs installs an
// application-wide event filter; the first paint of the top-level window named
// by DSA_BENCH_WINDOW (the main window by default) queues a call that runs once
// that frame has been painted and flushed and the event loop is back. That
// call writes "first-frame <CLOCK_MONOTONIC ns>" to standard output and ends
// the process at once, without the program's own shutdown.

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace {

class FirstFrame : public QObject {
public:
    explicit FirstFrame(QObject* parent) : QObject(parent) {
        const char* name = std::getenv("DSA_BENCH_WINDOW");
        window_ = QString::fromLocal8Bit(name && *name ? name : "DigitalStepAttenuatorForm");
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (!painted_ && e->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow() && watched->objectName() == window_) {
            painted_ = true;
            QMetaObject::invokeMethod(this, &FirstFrame::Report, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, e);
    }

private:
    static void Report() {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        std::printf("first-frame %lld\n",
                    static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
        std::fflush(stdout);
        ::_exit(0);
    }

    QString window_;
    bool painted_ = false;
};

void InstallFirstFrameFilter() {
    QCoreApplication::instance()->installEventFilter(new FirstFrame(QCoreApplication::instance()));
}

struct Registration {
    Registration() { qAddPreRoutine(InstallFirstFrameFilter); }
} registration;

} // namespace
