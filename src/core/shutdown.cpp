#include "core/shutdown.h"

#include <cstdio>
#include <cstdlib>

namespace pel {

int finishRun(std::unique_ptr<AppState> app, int status, std::chrono::milliseconds grace) {
    app->threads.shuttingDown = true;
    {
        // Under the launcher's lock, so the wake-up cannot fall between its check of the flag
        // and its wait.
        std::lock_guard lock(app->download.workerSlotMutex);
        app->download.workerSlotFreed.notify_all();
    }
    if (!app->threads.waitForThreads(grace)) {
        std::fflush(nullptr);
        std::quick_exit(status);
    }
    app.reset();
    return status;
}

}  // namespace pel
