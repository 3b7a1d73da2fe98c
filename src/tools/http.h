#pragma once
// The program's one HTTP client: GET requests made the old way (HTTP/1.0, a fixed user
// agent, no cache), the body handed on piece by piece as it arrives.

#include "tools/url.h"

#include <QtGlobal>

#include <atomic>
#include <functional>

namespace tools {

// Bounds that keep a silent or endless server from holding the window for ever.
struct FetchLimits {
    long connectTimeoutMs = 10'000;
    long totalTimeoutMs = 60'000;
    // Slower than this many bytes a second for lowSpeedSeconds in a row ends the transfer.
    long lowSpeedBytesPerSecond = 1;
    long lowSpeedSeconds = 20;
    // A body longer than this is cut here (the page source lands in a memory-backed folder).
    qint64 maxBytes = qint64(512) << 20;
};

class HttpClient {
public:
    // Receives each piece of the body; returning false ends the transfer.
    using Sink = std::function<bool(const char* data, qsizetype size)>;

    HttpClient();
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // GET of an http or https address. The status code is not looked at: an error page's
    // body reaches the sink like any other. Returns whether the body arrived whole;
    // `cancel`, when set from another thread, ends the transfer.
    bool get(const UrlParts& parts, const Sink& sink, const FetchLimits& limits,
             const std::atomic<bool>* cancel = nullptr);

private:
    void* m_handle;
};

// The program's instance, made at the first use and kept until releaseHttpClient, which
// the exit clean-up runs.
HttpClient& httpClient();
void releaseHttpClient();

}  // namespace tools
