#include "support/test_certificate.h"

#include <cstdlib>
#include <string>

namespace pel::testing {

bool makeTestCertificate(const std::filesystem::path& dir, TestCertificate& out) {
    out.certificate = dir / "loopback-cert.pem";
    out.key = dir / "loopback-key.pem";
    const std::string command =
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 "
        "-subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 -keyout '" +
        out.key.string() + "' -out '" + out.certificate.string() + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0 && std::filesystem::exists(out.certificate) &&
           std::filesystem::exists(out.key);
}

}  // namespace pel::testing
