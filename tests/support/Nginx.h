#pragma once

#ifndef _WIN32

#include <filesystem>
#include <string>
#include <vector>

#include "support/TempFolder.h"

namespace testing_support {

// A real nginx on a free loopback port, serving the files a test writes, with the redirects
// the test asks for configured the way a site configures them. Everything it needs (its
// configuration, logs, pid file, temporary folders) lives in a folder of its own that goes
// with it. Linux only: the Windows build reaches no server it did not get from CI.
class Nginx {
public:
    // `location = PATH { return STATUS TARGET; }`; a TARGET starting with "/" becomes an
    // absolute URL on this server, as nginx writes redirects.
    struct Redirect {
        std::string path;
        int status = 302;
        std::string target;
    };

    explicit Nginx(const std::vector<Redirect>& redirects = {});
    ~Nginx();
    Nginx(const Nginx&) = delete;
    Nginx& operator=(const Nginx&) = delete;

    // Empty when the server runs; otherwise why it does not.
    const std::string& Error() const { return error_; }
    int Port() const { return port_; }
    // The folder served at "/".
    std::filesystem::path Root() const { return folder_.FsPath() / "www"; }
    // http://localhost:PORT followed by `path`.
    std::wstring Url(const std::string& path) const;

    // Puts `content` at Root()/name.
    void WriteFile(const std::string& name, const std::string& content) const;

private:
    TempFolder folder_;
    std::string error_;
    int port_ = 0;
    long processId_ = 0;
};

}  // namespace testing_support

#endif
