#pragma once
// The default site: the web search engine whose search answers "/s?wd=". Its host is named
// here and nowhere else.

#include <QString>

namespace browsing {

inline constexpr char kDefaultSiteHost[] = "www.baidu.com";

// The address the web view opens when it is created: "http://" + host.
QString initialAddress();
// The default home page: the host as a bare name, without a scheme.
QString defaultHomePage();

}  // namespace browsing
