#pragma once
// An address taken apart for a request of our own, without re-encoding any character.

#include <QString>

namespace tools {

struct UrlParts {
    QString scheme;    // in lower case: "http", "https", ...
    QString host;      // an IPv6 literal without its brackets
    int port = 0;      // the scheme's default when the address names none (0 if it has none)
    QString user;
    QString password;
    QString object;    // path and query, starting with "/"; the fragment is dropped
};

// Splits "scheme://[user[:password]@]host[:port][/path][?query][#fragment]". Returns false
// for an address that cannot be split this way (no scheme, no host, a bad port).
bool splitAddress(const QString& address, UrlParts& parts);

// The address to hand to the HTTP client: scheme, host, port (left out when it is the
// scheme's default) and object, no user name.
QString requestAddress(const UrlParts& parts);

}  // namespace tools
