#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace devserver {

// The PEM texts a TLS server needs, plus the CA that clients must trust.
struct TlsMaterial {
    std::string caCertPem;
    std::string serverCertPem;
    std::string serverKeyPem;
};

// Makes sure `dir` holds ca.pem, ca-key.pem, server.pem and server-key.pem and returns them.
// An existing CA is kept so several servers (and the clients' trust stores) share it; the server
// certificate is replaced, signed by that CA, only when it no longer names every host in
// `extraNames` (the new one names the old hosts too) or is about to expire. Safe when several
// processes start at once in the same folder. Throws std::runtime_error on failure.
TlsMaterial EnsureTlsMaterial(const std::filesystem::path& dir,
                              const std::vector<std::string>& extraNames);

}  // namespace devserver
