#pragma once
// Certificate errors are never accepted silently: a dialog names the host and the reason
// and lets the user go back or, where the engine allows it, go on. Going on holds for this
// run only, and only for the same host, error and certificate.

#include <QString>
#include <QWebEngineCertificateError>

class QWidget;

namespace browsing::webengine::certificates {

// Answers the engine's question, now or after asking the user; `parent` owns the dialog.
void handle(const QWebEngineCertificateError& error, QWidget* parent);

// Why the certificate is not trusted, in the program's language; the engine's own
// description for an error we do not know.
QString reason(QWebEngineCertificateError::Type type, const QString& fallback);

// The question the dialog asks.
QString question(const QString& host, const QString& why, bool overridable);

}  // namespace browsing::webengine::certificates
