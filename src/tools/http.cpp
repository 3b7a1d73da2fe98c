#include "tools/http.h"

#include "common/lifecycle.h"

#include <curl/curl.h>

#include <memory>

namespace tools {
namespace {

constexpr char userAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

struct Transfer {
    const HttpClient::Sink* sink;
    const std::atomic<bool>* cancel;
};

size_t receive(char* data, size_t size, size_t count, void* context)
{
    const auto* transfer = static_cast<Transfer*>(context);
    const size_t bytes = size * count;
    return (*transfer->sink)(data, qsizetype(bytes)) ? bytes : 0;
}

int progress(void* context, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto* transfer = static_cast<Transfer*>(context);
    return transfer->cancel && transfer->cancel->load() ? 1 : 0;
}

struct HeaderList {
    curl_slist* list = nullptr;
    ~HeaderList() { curl_slist_free_all(list); }
    void add(const char* line) { list = curl_slist_append(list, line); }
};

std::unique_ptr<HttpClient>& instance()
{
    static std::unique_ptr<HttpClient> client;
    return client;
}

}  // namespace

HttpClient::HttpClient()
{
    curl_global_init(CURL_GLOBAL_DEFAULT);
    m_handle = curl_easy_init();
}

HttpClient::~HttpClient()
{
    if (m_handle)
        curl_easy_cleanup(static_cast<CURL*>(m_handle));
    curl_global_cleanup();
}

bool HttpClient::get(const UrlParts& parts, const Sink& sink, const FetchLimits& limits,
                     const std::atomic<bool>* cancel)
{
    CURL* const curl = static_cast<CURL*>(m_handle);
    if (!curl || (parts.scheme != u"http" && parts.scheme != u"https"))
        return false;
    // One handle for the whole run keeps its connection and name caches; the options of
    // the previous request are cleared.
    curl_easy_reset(curl);

    const QByteArray address = requestAddress(parts).toUtf8();
    const QByteArray user = parts.user.toUtf8();
    const QByteArray password = parts.password.toUtf8();
    HeaderList headers;
    headers.add("Accept: */*");
    headers.add("Pragma: no-cache");
    headers.add("Cache-Control: no-cache");
    Transfer transfer{&sink, cancel};

    curl_easy_setopt(curl, CURLOPT_URL, address.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_PATH_AS_IS, 1L);  // the object goes out as the address has it
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(curl, CURLOPT_USERAGENT, userAgent);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.list);
    if (!user.isEmpty() || !password.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
    }
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);  // runs off the window's thread
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, limits.connectTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, limits.totalTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeedBytesPerSecond);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, limits.lowSpeedSeconds);
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, 256L * 1024);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, receive);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);

    const CURLcode result = curl_easy_perform(curl);
    // Nothing of this request may outlive it: the lists and buffers above go now.
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
    return result == CURLE_OK;
}

HttpClient& httpClient()
{
    auto& client = instance();
    if (!client) {
        client = std::make_unique<HttpClient>();
        lifecycle::registerExitCleanup([] { releaseHttpClient(); });
    }
    return *client;
}

void releaseHttpClient() { instance().reset(); }

}  // namespace tools
