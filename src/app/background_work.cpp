// Worker thread with a window-modal progress window.
#include "app/background_work.hpp"

#include <QEventLoop>
#include <QGuiApplication>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <exception>
#include <memory>

namespace vardex {
namespace {

// How long work runs before its progress window shows: short runs do not flash it.
constexpr int kProgressDelayMs = 400;

}  // namespace

void runInBackground(QWidget* window, const QString& label, const std::function<void()>& work) {
  std::exception_ptr failure;
  const std::unique_ptr<QThread> worker(QThread::create([&work, &failure] {
    try {
      work();
    } catch (...) {
      failure = std::current_exception();
    }
  }));
  QGuiApplication::setOverrideCursor(Qt::BusyCursor);
  {
    // Both live only in this block: neither the window nor a pending timer may outlast the work,
    // or the progress window would come up later over the message that reports on the work.
    QProgressDialog progress(label, QString(), 0, 0, window);
    progress.setWindowTitle(window != nullptr ? window->window()->windowTitle() : QString());
    progress.setWindowModality(Qt::WindowModal);
    progress.reset();  // its own timer would show it after a while; the one below does
    QTimer delay;
    delay.setSingleShot(true);
    QObject::connect(&delay, &QTimer::timeout, &progress, &QWidget::show);
    delay.start(kProgressDelayMs);
    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
  }
  QGuiApplication::restoreOverrideCursor();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace vardex
