#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl/context.hpp>

#include "Exchange.h"
#include "TlsMaterial.h"

namespace devserver {

// HTTPS over HTTP/1.1 with keep-alive. Accepting runs on the io_context; each connection gets a
// thread of its own doing blocking I/O, which keeps delays and drops trivial to get right.
// Beast, not cpp-httplib: Beast keeps header fields in arrival order; the tests check that order.
class Server {
public:
    using Handler = std::function<Answer(const Request&)>;

    // Binds and listens at once, so Port() is known before any client is told about it.
    Server(boost::asio::io_context& io, const boost::asio::ip::tcp::endpoint& endpoint,
           const TlsMaterial& tls, Handler handler);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    unsigned short Port() const;
    // Whether "Expect: 100-continue" gets an interim 100 answer (the default). A server may leave
    // it out; clients that cannot take one (Wine's WinHTTP) need it left out.
    void SetInterimContinue(bool send) { interimContinue_ = send; }
    void Start();
    // Stops accepting, cuts every open connection and waits for their threads. Call on the
    // io_context's thread.
    void Stop();

private:
    void Accept();
    void Serve(std::uint64_t id, boost::asio::ip::tcp::socket socket);
    // Waits `delay` unless the server stops first; false when it stopped.
    bool Pause(std::chrono::milliseconds delay);
    void ReapFinished();

    boost::asio::ssl::context ssl_;
    boost::asio::ip::tcp::acceptor acceptor_;
    Handler handler_;
    bool interimContinue_ = true;

    std::mutex mutex_;
    std::condition_variable stoppingCv_;
    bool stopping_ = false;
    std::uint64_t nextId_ = 0;
    std::map<std::uint64_t, std::thread> threads_;
    std::map<std::uint64_t, int> openSockets_;  // native handles, cut on Stop()
    std::vector<std::uint64_t> finished_;
};

}  // namespace devserver
