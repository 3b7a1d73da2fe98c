#include "browsing/site.h"

namespace browsing {

QString initialAddress() { return QStringLiteral("http://") + QLatin1String(kDefaultSiteHost); }
QString defaultHomePage() { return QLatin1String(kDefaultSiteHost); }

}  // namespace browsing
