#ifndef _WIN32

#include "support/Nginx.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

extern char** environ;

namespace testing_support {
namespace {

// The binary Debian installs; found on the PATH otherwise.
const char* const kNginxPath = "/usr/sbin/nginx";
constexpr auto kStartTimeout = std::chrono::seconds(10);

// A port nobody listens on right now. nginx binds it a moment later; the start is retried
// should somebody take it in between.
int FreeLoopbackPort() {
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0) return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    int port = 0;
    if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
        ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(socket);
    return port;
}

bool Accepts(int port) {
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool connected =
        ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(socket);
    return connected;
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Configuration(const std::filesystem::path& folder, int port,
                          const std::vector<Nginx::Redirect>& redirects) {
    const std::string dir = folder.string();
    std::ostringstream conf;
    // One process in the foreground, as the user who started it: no master to reap, no user
    // to switch to, nothing outside the folder.
    conf << "daemon off;\nmaster_process off;\nworker_processes 1;\n"
         << "pid " << dir << "/nginx.pid;\n"
         << "error_log " << dir << "/error.log warn;\n"
         << "events { worker_connections 256; }\n"
         << "http {\n"
         << "  access_log off;\n"
         << "  client_body_temp_path " << dir << "/tmp/client_body;\n"
         << "  proxy_temp_path " << dir << "/tmp/proxy;\n"
         << "  fastcgi_temp_path " << dir << "/tmp/fastcgi;\n"
         << "  uwsgi_temp_path " << dir << "/tmp/uwsgi;\n"
         << "  scgi_temp_path " << dir << "/tmp/scgi;\n"
         << "  default_type application/octet-stream;\n"
         << "  sendfile on;\n"
         << "  server {\n"
         << "    listen 127.0.0.1:" << port << ";\n"
         << "    server_name localhost;\n"
         << "    root " << dir << "/www;\n";
    for (const Nginx::Redirect& redirect : redirects) {
        conf << "    location = " << redirect.path << " { return " << redirect.status << " "
             << redirect.target << "; }\n";
    }
    conf << "  }\n}\n";
    return conf.str();
}

}  // namespace

Nginx::Nginx(const std::vector<Redirect>& redirects) {
    const std::filesystem::path dir = folder_.FsPath();
    std::filesystem::create_directories(dir / "www");
    std::filesystem::create_directories(dir / "tmp");
    const char* binary = ::access(kNginxPath, X_OK) == 0 ? kNginxPath : "nginx";

    for (int attempt = 0; attempt < 3; ++attempt) {
        port_ = FreeLoopbackPort();
        std::ofstream(dir / "nginx.conf") << Configuration(dir, port_, redirects);
        const std::string prefix = dir.string() + "/";
        const std::string conf = (dir / "nginx.conf").string();
        const std::string errorLog = (dir / "error.log").string();
        std::vector<std::string> args = {binary, "-p", prefix, "-c", conf, "-e", errorLog};
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        pid_t pid = 0;
        if (::posix_spawnp(&pid, binary, nullptr, nullptr, argv.data(), environ) != 0) {
            error_ = "could not start nginx (is it installed?)";
            return;
        }
        const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
        int status = 0;
        bool exited = false;
        while (std::chrono::steady_clock::now() < deadline) {
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                exited = true;
                break;
            }
            if (Accepts(port_)) {
                processId_ = pid;
                error_.clear();
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!exited) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
        }
        error_ = "nginx did not start: " + ReadText(dir / "error.log");
    }
}

Nginx::~Nginx() {
    if (processId_ > 0) {
        ::kill(static_cast<pid_t>(processId_), SIGTERM);
        int status = 0;
        ::waitpid(static_cast<pid_t>(processId_), &status, 0);
    }
}

std::wstring Nginx::Url(const std::string& path) const {
    const std::string url = "http://localhost:" + std::to_string(port_) + path;
    return std::wstring(url.begin(), url.end());
}

void Nginx::WriteFile(const std::string& name, const std::string& content) const {
    std::ofstream(Root() / name, std::ios::binary) << content;
}

}  // namespace testing_support

#endif
