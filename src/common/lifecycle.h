#pragma once
// The life of the process: which handlers may run, the exit clean-up, and the two ends
// that bypass the normal close (end at once, fatal error).

#include <QString>

#include <functional>

namespace lifecycle {

enum class Stage { Starting, Running, Ending };

Stage stage();
void setStage(Stage stage);
// Whether events may reach the program's handlers now: only while running.
bool handlersOpen();

// The clean-up that runs at the normal exit and at the end at once, never after a fatal error.
void registerExitCleanup(std::function<void()> cleanup);
void runExitCleanup();

// Ends the process now with exit code 0: no handler runs any more and nothing is saved.
[[noreturn]] void endAtOnce();

// Shows the fatal error box without an owner, then ends the process with exit code -1
// without the exit clean-up.
[[noreturn]] void fatalError(const QString& message);

// Wraps a handler so that it runs only while handlers are open.
template <class F>
auto guarded(F handler)
{
    return [handler = std::move(handler)](auto&&... args) {
        if (handlersOpen())
            handler(std::forward<decltype(args)>(args)...);
    };
}

}  // namespace lifecycle
