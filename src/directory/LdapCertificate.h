#pragma once

#include <QByteArray>
#include <QString>

// What is wrong with a directory server's certificate, in GnuTLS's own words ("The
// certificate is NOT trusted. The certificate issuer is unknown."), checked against the CAs of
// `caFile` (the system's when empty) and the server's `host` name. Empty when nothing is wrong
// or GnuTLS, which libldap has loaded already, cannot be asked.
QString CertificateProblem(const QByteArray& der, const QString& caFile, const QString& host);
