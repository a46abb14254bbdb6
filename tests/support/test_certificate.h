// A throw-away TLS certificate for loopback servers: self-signed, for 127.0.0.1, valid for
// two days. Clients trust it by taking the certificate file as their CA file.
#pragma once

#include <filesystem>

namespace pel::testing {

struct TestCertificate {
    std::filesystem::path certificate;  // PEM; also the CA file that trusts it
    std::filesystem::path key;          // PEM, unencrypted
};

// Writes the pair into `dir` with the openssl tool. False when the tool failed.
bool makeTestCertificate(const std::filesystem::path& dir, TestCertificate& out);

}  // namespace pel::testing
