#include "common/lifecycle.h"

#include <QMessageBox>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace lifecycle {
namespace {
Stage g_stage = Stage::Starting;
std::vector<std::function<void()>>& cleanups()
{
    static std::vector<std::function<void()>> list;
    return list;
}
}  // namespace

Stage stage() { return g_stage; }
void setStage(Stage stage) { g_stage = stage; }
bool handlersOpen() { return g_stage == Stage::Running; }

void registerExitCleanup(std::function<void()> cleanup)
{
    cleanups().push_back(std::move(cleanup));
}

void runExitCleanup()
{
    auto list = std::move(cleanups());
    cleanups().clear();
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        (*it)();
}

void endAtOnce()
{
    setStage(Stage::Ending);
    runExitCleanup();
    std::fflush(nullptr);
    // Nothing else may run: no destructor, no handler, no save.
    std::_Exit(0);
}

void fatalError(const QString& message)
{
    setStage(Stage::Ending);
    QMessageBox box(QMessageBox::Critical, QStringLiteral("运行时错误"),
                    QStringLiteral("运行时错误：") + message);
    box.setWindowModality(Qt::ApplicationModal);
    box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box.exec();
    std::fflush(nullptr);
    std::_Exit(-1);
}

}  // namespace lifecycle
