// Reading and writing one settings key, in a small file like the program's own and in a
// large one of 1000 keys. Every read and write goes to the file, so this is the whole cost
// of a setting: open, parse, and for writes lock, rewrite, sync and rename.
#include "common/paths.h"
#include "platform/ini.h"
#include "settings/settings.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string smallFile() { return "[SZ]\r\nzt=2\r\nSCJ=2\r\nzy=127.0.0.1/home\r\ntzs=1\r\n"; }

// Three sections of about 333 keys each, the settings section in the middle; the key the
// benchmark uses comes last in its section.
std::string largeFile()
{
    std::string file;
    for (const char* section : {"A", "SZ", "B"}) {
        file += "[" + std::string(section) + "]\r\n; section " + section + "\r\n";
        for (int i = 0; i < 333; ++i)
            file += "key" + std::to_string(i) + "=value number " + std::to_string(i) + "\r\n";
        if (std::string(section) == "SZ")
            file += "zt=2\r\n";
        file += "\r\n";
    }
    return file;
}

class Folder {
public:
    explicit Folder(const std::string& contents)
    {
        paths::fix(m_dir.path() + QStringLiteral("/sorvane"));
        QFile file(settings::filePath());
        if (file.open(QIODevice::WriteOnly))
            file.write(contents.data(), static_cast<qint64>(contents.size()));
    }

private:
    QTemporaryDir m_dir;
};

std::string contentsFor(int64_t which) { return which == 0 ? smallFile() : largeFile(); }

void ReadSetting(benchmark::State& state)
{
    const Folder folder(contentsFor(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(settings::read(QStringLiteral("zt"), QStringLiteral("2")));
}
BENCHMARK(ReadSetting)->ArgName("large")->Arg(0)->Arg(1);

void ReadMissingSetting(benchmark::State& state)
{
    const Folder folder(contentsFor(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(settings::read(QStringLiteral("none"), QStringLiteral("2")));
}
BENCHMARK(ReadMissingSetting)->ArgName("large")->Arg(0)->Arg(1);

// A changed value each time, so every iteration really rewrites the file.
void WriteSetting(benchmark::State& state)
{
    const Folder folder(contentsFor(state.range(0)));
    int level = 0;
    for (auto _ : state)
        settings::write(QStringLiteral("zt"), QString::number(level++ % 5));
}
BENCHMARK(WriteSetting)->ArgName("large")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The same value again: the file is read under the lock and left as it is.
void WriteSameSetting(benchmark::State& state)
{
    const Folder folder(contentsFor(state.range(0)));
    for (auto _ : state)
        settings::write(QStringLiteral("zt"), QStringLiteral("2"));
}
BENCHMARK(WriteSameSetting)->ArgName("large")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The text work alone, without the file system.
void LookupInMemory(benchmark::State& state)
{
    const std::string file = contentsFor(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::ini::lookup(file, "SZ", "zt"));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}
BENCHMARK(LookupInMemory)->ArgName("large")->Arg(0)->Arg(1);

void StoreInMemory(benchmark::State& state)
{
    const std::string file = contentsFor(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::ini::withValue(file, "SZ", "zt", "3"));
}
BENCHMARK(StoreInMemory)->ArgName("large")->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
