// Long operations of the desktop app (calculate, open, save) run on a worker thread, so that the
// window keeps painting and says what it is doing while the user waits.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace vardex {

/// Runs `work` on a worker thread and returns when it is done. Meanwhile the interface thread
/// keeps painting, user input waits, the busy cursor shows, and a progress window modal to
/// `window` says `label` once the work has taken longer than a moment (a fast run shows none).
/// The progress window is gone when this returns, so that any message about the work can be
/// shown next. An exception thrown by `work` is thrown again here, on the calling thread.
void runInBackground(QWidget* window, const QString& label, const std::function<void()>& work);

}  // namespace vardex
