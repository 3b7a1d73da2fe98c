// The snapshot's BMP encoding at common screen sizes, and the page source fetch of a
// 200 MB body from a local server against the curl command-line tool in the same run.
#include "proxies.h"
#include "testserver.h"
#include "tools/bmp.h"
#include "tools/pagesource.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <fstream>
#include <string>

namespace {

using namespace testing_support;

void encodeBmp(benchmark::State& state)
{
    QImage screen(int(state.range(0)), int(state.range(1)), QImage::Format_RGB32);
    for (int y = 0; y < screen.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(screen.scanLine(y));
        for (int x = 0; x < screen.width(); ++x)
            line[x] = qRgb(x & 0xFF, y & 0xFF, (x ^ y) & 0xFF);
    }
    for (auto _ : state) {
        QByteArray bmp = tools::encodeBmp(screen);
        benchmark::DoNotOptimize(bmp.data());
    }
    state.SetBytesProcessed(state.iterations() * qint64(screen.width()) * screen.height() * 3);
}
BENCHMARK(encodeBmp)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);

// The process's peak resident size since the last reset, in MiB.
double peakResidentMiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return -1;
}

// Hands memory freed by earlier benchmarks back to the system first, so that the peak
// measured is the fetch's own.
void resetPeakResident()
{
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

constexpr qint64 bodyBytes = qint64(200) << 20;

void fetch200MB(benchmark::State& state)
{
    dropProxySettings();
    const QString curl = QStandardPaths::findExecutable(QStringLiteral("curl"));
    if (curl.isEmpty()) {
        state.SkipWithError("the curl tool is not installed");
        return;
    }
    TestServer server(stream(bodyBytes));
    QTemporaryDir dir;
    const QString address = server.address(QStringLiteral("/big"));
    const QString ours = dir.filePath(QStringLiteral("ours.txt"));
    const QString theirs = dir.filePath(QStringLiteral("curl.txt"));
    double oursSeconds = 0, curlSeconds = 0, peak = 0, growth = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        QProcess tool;
        tool.start(curl, {QStringLiteral("--silent"), QStringLiteral("--noproxy"), QStringLiteral("*"),
                          QStringLiteral("--http1.0"), QStringLiteral("--output"), theirs, address});
        tool.waitForFinished(120'000);
        const double curlTime = double(clock.nsecsElapsed()) / 1e9;

        resetPeakResident();
        const double before = peakResidentMiB();
        clock.restart();
        tools::fetchToFile(address, ours);
        const double ourTime = double(clock.nsecsElapsed()) / 1e9;
        peak = std::max(peak, peakResidentMiB());
        growth = std::max(growth, peakResidentMiB() - before);

        if (QFileInfo(ours).size() != bodyBytes || QFileInfo(theirs).size() != bodyBytes) {
            state.SkipWithError("a body did not arrive whole");
            return;
        }
        QFile::remove(ours);
        QFile::remove(theirs);
        state.SetIterationTime(ourTime);
        oursSeconds += ourTime;
        curlSeconds += curlTime;
    }
    const double n = double(state.iterations());
    state.counters["ours_ms"] = oursSeconds / n * 1000;
    state.counters["curl_ms"] = curlSeconds / n * 1000;
    state.counters["ours_per_curl"] = oursSeconds / curlSeconds;
    state.counters["peak_rss_MiB"] = peak;  // the whole process's, Qt and the server included
    state.counters["rss_growth_MiB"] = growth;
    state.SetBytesProcessed(state.iterations() * bodyBytes);
}
BENCHMARK(fetch200MB)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    // The fetch waits in an event loop of its own, as it does in the window.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
