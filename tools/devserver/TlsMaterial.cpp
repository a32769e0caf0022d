#include "TlsMaterial.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <ctime>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>

#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace devserver {

namespace {

template <auto Free>
struct FreeWith {
    template <typename T>
    void operator()(T* pointer) const {
        Free(pointer);
    }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, FreeWith<EVP_PKEY_free>>;
using CertPtr = std::unique_ptr<X509, FreeWith<X509_free>>;
using BioPtr = std::unique_ptr<BIO, FreeWith<BIO_free_all>>;
using BigNumPtr = std::unique_ptr<BIGNUM, FreeWith<BN_free>>;
using ExtensionPtr = std::unique_ptr<X509_EXTENSION, FreeWith<X509_EXTENSION_free>>;
using NamesPtr = std::unique_ptr<GENERAL_NAMES, FreeWith<GENERAL_NAMES_free>>;

const long kDaySeconds = 24L * 60 * 60;
const long kValidDays = 2 * 365;
// RSA rather than EC: every client this serves, including Wine's certificate store, takes it.
const int kRsaBits = 2048;

[[noreturn]] void Fail(const std::string& what) {
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0) {
        throw std::runtime_error(what);
    }
    std::array<char, 256> text{};
    ERR_error_string_n(code, text.data(), text.size());
    throw std::runtime_error(what + ": " + text.data());
}

// ---- files ----------------------------------------------------------------------------------

// Held while reading and writing the folder, so servers starting together agree on one CA.
class FolderLock {
public:
    explicit FolderLock(const std::filesystem::path& path)
        : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        if (fd_ < 0) {
            throw std::runtime_error("cannot open lock file " + path.string());
        }
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(fd_);
                throw std::runtime_error("cannot lock " + path.string());
            }
        }
    }
    ~FolderLock() { ::close(fd_); }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_;
};

std::optional<std::string> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Readers that skip the lock (clients loading ca.pem) see the old file or the new one, never a
// half-written one.
void WriteFileAtomically(const std::filesystem::path& path, const std::string& content,
                         mode_t mode) {
    std::string temp = (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        throw std::runtime_error("cannot create a temporary file beside " + path.string());
    }
    bool ok = ::fchmod(fd, mode) == 0;
    std::size_t written = 0;
    while (ok && written < content.size()) {
        const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        ok = n > 0;
        written += ok ? static_cast<std::size_t>(n) : 0;
    }
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        throw std::runtime_error("cannot write " + path.string());
    }
}

// ---- PEM ------------------------------------------------------------------------------------

std::string BioText(BIO* bio) {
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    return std::string(data, static_cast<std::size_t>(size));
}

std::string CertificatePem(X509* cert) {
    BioPtr bio(BIO_new(BIO_s_mem()));
    if (!bio || PEM_write_bio_X509(bio.get(), cert) != 1) {
        Fail("cannot encode a certificate");
    }
    return BioText(bio.get());
}

std::string KeyPem(EVP_PKEY* key) {
    BioPtr bio(BIO_new(BIO_s_mem()));
    if (!bio ||
        PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr, nullptr) != 1) {
        Fail("cannot encode a private key");
    }
    return BioText(bio.get());
}

CertPtr ParseCertificate(const std::string& pem) {
    BioPtr bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    CertPtr cert(bio ? PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr) : nullptr);
    ERR_clear_error();
    return cert;
}

KeyPtr ParseKey(const std::string& pem) {
    BioPtr bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    KeyPtr key(bio ? PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr) : nullptr);
    ERR_clear_error();
    return key;
}

// ---- host names -----------------------------------------------------------------------------

// IP addresses go into the certificate as addresses, not as DNS names, or no client matches them.
std::optional<std::string> AddressBytes(const std::string& text) {
    std::array<unsigned char, 16> bytes{};
    if (::inet_pton(AF_INET, text.c_str(), bytes.data()) == 1) {
        return std::string(reinterpret_cast<const char*>(bytes.data()), 4);
    }
    if (::inet_pton(AF_INET6, text.c_str(), bytes.data()) == 1) {
        return std::string(reinterpret_cast<const char*>(bytes.data()), 16);
    }
    return std::nullopt;
}

std::string AddressText(const unsigned char* bytes, int length) {
    std::array<char, INET6_ADDRSTRLEN> text{};
    const int family = length == 4 ? AF_INET : AF_INET6;
    if (::inet_ntop(family, bytes, text.data(), text.size()) == nullptr) {
        return {};
    }
    return text.data();
}

// One spelling per host, so names read back from a certificate compare with requested ones.
std::string CanonicalName(const std::string& name) {
    if (name.empty()) {
        throw std::runtime_error("an empty host name cannot go into a certificate");
    }
    if (auto bytes = AddressBytes(name)) {
        return AddressText(reinterpret_cast<const unsigned char*>(bytes->data()),
                           static_cast<int>(bytes->size()));
    }
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::set<std::string> NamesIn(X509* cert) {
    std::set<std::string> names;
    NamesPtr general(static_cast<GENERAL_NAMES*>(
        X509_get_ext_d2i(cert, NID_subject_alt_name, nullptr, nullptr)));
    for (int i = 0; general && i < sk_GENERAL_NAME_num(general.get()); ++i) {
        const GENERAL_NAME* entry = sk_GENERAL_NAME_value(general.get(), i);
        if (entry->type == GEN_DNS) {
            const auto* data = ASN1_STRING_get0_data(entry->d.dNSName);
            names.insert(CanonicalName(std::string(reinterpret_cast<const char*>(data),
                                                   ASN1_STRING_length(entry->d.dNSName))));
        } else if (entry->type == GEN_IPADD) {
            const int length = ASN1_STRING_length(entry->d.iPAddress);
            if (length == 4 || length == 16) {
                names.insert(AddressText(ASN1_STRING_get0_data(entry->d.iPAddress), length));
            }
        }
    }
    return names;
}

void AddSubjectAltNames(X509* cert, const std::set<std::string>& names) {
    NamesPtr general(sk_GENERAL_NAME_new_null());
    if (!general) {
        Fail("out of memory");
    }
    for (const auto& name : names) {
        GENERAL_NAME* entry = GENERAL_NAME_new();
        ASN1_STRING* value = nullptr;
        int type = GEN_DNS;
        if (auto bytes = AddressBytes(name)) {
            type = GEN_IPADD;
            value = ASN1_OCTET_STRING_new();
            if (value)
                ASN1_OCTET_STRING_set(value, reinterpret_cast<const unsigned char*>(bytes->data()),
                                      static_cast<int>(bytes->size()));
        } else {
            value = ASN1_IA5STRING_new();
            if (value) ASN1_STRING_set(value, name.data(), static_cast<int>(name.size()));
        }
        if (!entry || !value) {
            GENERAL_NAME_free(entry);
            ASN1_STRING_free(value);
            Fail("out of memory");
        }
        GENERAL_NAME_set0_value(entry, type, value);
        sk_GENERAL_NAME_push(general.get(), entry);
    }
    if (X509_add1_ext_i2d(cert, NID_subject_alt_name, general.get(), 0, X509V3_ADD_DEFAULT) != 1) {
        Fail("cannot add subjectAltName");
    }
}

// ---- certificates ---------------------------------------------------------------------------

KeyPtr NewKey() {
    KeyPtr key(EVP_RSA_gen(kRsaBits));
    if (!key) {
        Fail("cannot generate an RSA key");
    }
    return key;
}

std::string RandomHex(int bytes) {
    std::array<unsigned char, 16> random{};
    if (RAND_bytes(random.data(), bytes) != 1) {
        Fail("no random bytes");
    }
    static const char* const kHex = "0123456789abcdef";
    std::string text;
    for (int i = 0; i < bytes; ++i) {
        text.push_back(kHex[random[i] >> 4]);
        text.push_back(kHex[random[i] & 0x0f]);
    }
    return text;
}

CertPtr StartCertificate(EVP_PKEY* key, const std::string& commonName) {
    CertPtr cert(X509_new());
    BigNumPtr serial(BN_new());
    // A random 159-bit serial keeps every certificate distinct, also across CA folders.
    if (!cert || !serial || X509_set_version(cert.get(), X509_VERSION_3) != 1 ||
        BN_rand(serial.get(), 159, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY) != 1 ||
        !BN_to_ASN1_INTEGER(serial.get(), X509_get_serialNumber(cert.get())) ||
        // Backdated a day so clocks slightly behind still accept it.
        !X509_gmtime_adj(X509_getm_notBefore(cert.get()), -kDaySeconds) ||
        !X509_gmtime_adj(X509_getm_notAfter(cert.get()), kValidDays * kDaySeconds) ||
        X509_set_pubkey(cert.get(), key) != 1) {
        Fail("cannot start a certificate");
    }
    X509_NAME* subject = X509_get_subject_name(cert.get());
    const auto* org = reinterpret_cast<const unsigned char*>("Tarnwick");
    const auto* cn = reinterpret_cast<const unsigned char*>(commonName.c_str());
    if (X509_NAME_add_entry_by_txt(subject, "O", MBSTRING_UTF8, org, -1, -1, 0) != 1 ||
        X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_UTF8, cn, -1, -1, 0) != 1) {
        Fail("cannot name a certificate");
    }
    return cert;
}

void AddExtension(X509* cert, X509V3_CTX* context, int nid, const char* value) {
    ExtensionPtr extension(X509V3_EXT_conf_nid(nullptr, context, nid, value));
    if (!extension || X509_add_ext(cert, extension.get(), -1) != 1) {
        Fail(std::string("cannot add extension ") + OBJ_nid2sn(nid));
    }
}

void Sign(X509* cert, EVP_PKEY* signerKey) {
    if (X509_sign(cert, signerKey, EVP_sha256()) <= 0) {
        Fail("cannot sign a certificate");
    }
}

struct CertAndKey {
    KeyPtr key;
    CertPtr cert;
};

CertAndKey NewAuthority() {
    CertAndKey ca{NewKey(), nullptr};
    // A distinct name per CA, so a trust store holding an older one never confuses the two.
    ca.cert = StartCertificate(ca.key.get(), "Tarnwick Devserver CA " + RandomHex(4));
    X509_set_issuer_name(ca.cert.get(), X509_get_subject_name(ca.cert.get()));
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, ca.cert.get(), ca.cert.get(), nullptr, nullptr, 0);
    AddExtension(ca.cert.get(), &context, NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(ca.cert.get(), &context, NID_key_usage, "critical,keyCertSign,cRLSign");
    // The key identifier first: the authority key identifier below is copied from it.
    AddExtension(ca.cert.get(), &context, NID_subject_key_identifier, "hash");
    AddExtension(ca.cert.get(), &context, NID_authority_key_identifier, "keyid:always");
    Sign(ca.cert.get(), ca.key.get());
    return ca;
}

CertAndKey NewServer(const CertAndKey& ca, const std::set<std::string>& names) {
    CertAndKey leaf{NewKey(), nullptr};
    leaf.cert = StartCertificate(leaf.key.get(), "localhost");
    X509_set_issuer_name(leaf.cert.get(), X509_get_subject_name(ca.cert.get()));
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, ca.cert.get(), leaf.cert.get(), nullptr, nullptr, 0);
    AddExtension(leaf.cert.get(), &context, NID_basic_constraints, "critical,CA:FALSE");
    AddExtension(leaf.cert.get(), &context, NID_key_usage,
                 "critical,digitalSignature,keyEncipherment");
    AddExtension(leaf.cert.get(), &context, NID_ext_key_usage, "serverAuth");
    AddExtension(leaf.cert.get(), &context, NID_subject_key_identifier, "hash");
    AddExtension(leaf.cert.get(), &context, NID_authority_key_identifier, "keyid:always");
    AddSubjectAltNames(leaf.cert.get(), names);
    Sign(leaf.cert.get(), ca.key.get());
    return leaf;
}

bool ValidForAnotherDay(X509* cert) {
    std::time_t tomorrow = std::time(nullptr) + kDaySeconds;
    return X509_cmp_time(X509_get0_notAfter(cert), &tomorrow) > 0;
}

// A stored pair is reused only when it still works; anything else is replaced.
std::optional<CertAndKey> LoadPair(const std::filesystem::path& certPath,
                                   const std::filesystem::path& keyPath) {
    auto certText = ReadFile(certPath);
    auto keyText = ReadFile(keyPath);
    if (!certText || !keyText) {
        return std::nullopt;
    }
    CertAndKey pair{ParseKey(*keyText), ParseCertificate(*certText)};
    if (!pair.key || !pair.cert || X509_check_private_key(pair.cert.get(), pair.key.get()) != 1 ||
        !ValidForAnotherDay(pair.cert.get())) {
        ERR_clear_error();
        return std::nullopt;
    }
    return pair;
}

void Store(const CertAndKey& pair, const std::filesystem::path& certPath,
           const std::filesystem::path& keyPath) {
    // The key first: a certificate on disk always has its key beside it.
    WriteFileAtomically(keyPath, KeyPem(pair.key.get()), 0600);
    WriteFileAtomically(certPath, CertificatePem(pair.cert.get()), 0644);
}

}  // namespace

TlsMaterial EnsureTlsMaterial(const std::filesystem::path& dir,
                              const std::vector<std::string>& extraNames) {
    std::set<std::string> wanted{"localhost", "127.0.0.1"};
    for (const auto& name : extraNames) {
        wanted.insert(CanonicalName(name));
    }

    std::filesystem::create_directories(dir);
    FolderLock lock(dir / ".lock");

    const auto caPath = dir / "ca.pem";
    const auto caKeyPath = dir / "ca-key.pem";
    const auto serverPath = dir / "server.pem";
    const auto serverKeyPath = dir / "server-key.pem";

    std::optional<CertAndKey> ca = LoadPair(caPath, caKeyPath);
    const bool caIsNew = !ca;
    if (caIsNew) {
        ca = NewAuthority();
        Store(*ca, caPath, caKeyPath);
    }

    std::optional<CertAndKey> server;
    if (!caIsNew) {
        server = LoadPair(serverPath, serverKeyPath);
    }
    if (server) {
        KeyPtr caPublic(X509_get_pubkey(ca->cert.get()));
        const bool fromThisCa = X509_verify(server->cert.get(), caPublic.get()) == 1;
        ERR_clear_error();
        std::set<std::string> names = NamesIn(server->cert.get());
        if (!fromThisCa) {
            server.reset();
        } else if (!std::includes(names.begin(), names.end(), wanted.begin(), wanted.end())) {
            // Servers already running from the old certificate may rely on its names: keep them.
            wanted.merge(names);
            server.reset();
        }
    }
    if (!server) {
        server = NewServer(*ca, wanted);
        Store(*server, serverPath, serverKeyPath);
    }

    return TlsMaterial{CertificatePem(ca->cert.get()), CertificatePem(server->cert.get()),
                       KeyPem(server->key.get())};
}

}  // namespace devserver
