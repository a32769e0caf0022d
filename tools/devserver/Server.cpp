#include "Server.h"

#include <functional>
#include <iostream>
#include <sstream>

#include <sys/socket.h>

#include <boost/asio/buffer.hpp>
#include <boost/asio/ssl/stream.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/string.hpp>
#include <boost/beast/http.hpp>

namespace devserver {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

namespace {

const std::uint64_t kMaxBody = 8 * 1024 * 1024;
const std::uint32_t kMaxHeader = 64 * 1024;
const char* const kServerName = "tarnwick-devserver";

asio::ssl::context MakeContext(const TlsMaterial& tls) {
    asio::ssl::context context(asio::ssl::context::tls_server);
    context.set_options(asio::ssl::context::default_workarounds | asio::ssl::context::no_sslv2 |
                        asio::ssl::context::no_sslv3 | asio::ssl::context::no_tlsv1 |
                        asio::ssl::context::no_tlsv1_1);
    context.use_certificate_chain(asio::buffer(tls.serverCertPem));
    context.use_private_key(asio::buffer(tls.serverKeyPem), asio::ssl::context::pem);
    return context;
}

Request ToRequest(const http::request<http::string_body>& message) {
    Request request;
    request.method = std::string(message.method_string());
    request.target = std::string(message.target());
    for (const auto& field : message) {
        request.headers.emplace_back(std::string(field.name_string()), std::string(field.value()));
    }
    request.body = message.body();
    return request;
}

using Stream = asio::ssl::stream<tcp::socket>;

void WriteAnswer(Stream& stream, const Answer& answer, unsigned version, bool headOnly,
                 bool keepAlive, beast::error_code& error) {
    if (headOnly) {
        http::response<http::empty_body> response;
        response.version(version);
        response.result(static_cast<unsigned>(answer.status));
        response.set(http::field::server, kServerName);
        if (!answer.contentType.empty()) {
            response.set(http::field::content_type, answer.contentType);
        }
        for (const auto& [name, value] : answer.headers) {
            response.insert(name, value);
        }
        response.content_length(answer.body.size());
        response.keep_alive(keepAlive);
        http::write(stream, response, error);
        return;
    }
    http::response<http::string_body> response;
    response.version(version);
    response.result(static_cast<unsigned>(answer.status));
    response.set(http::field::server, kServerName);
    if (!answer.contentType.empty()) {
        response.set(http::field::content_type, answer.contentType);
    }
    for (const auto& [name, value] : answer.headers) {
        response.insert(name, value);
    }
    response.body() = answer.body;
    response.keep_alive(keepAlive);
    response.prepare_payload();
    http::write(stream, response, error);
}

// An answer whose body goes out in a shape of the fault script's choosing: in pieces with
// pauses, in chunks, cut short or longer than announced. `pause` waits between pieces and says
// false when the server is stopping.
void WriteShapedAnswer(Stream& stream, const Answer& answer, unsigned version,
                       const std::function<bool(std::chrono::milliseconds)>& pause,
                       beast::error_code& error) {
    const BodyShape& shape = answer.shape;
    http::response<http::empty_body> head;
    head.version(version);
    head.result(static_cast<unsigned>(answer.status));
    head.set(http::field::server, kServerName);
    if (!answer.contentType.empty()) {
        head.set(http::field::content_type, answer.contentType);
    }
    for (const auto& [name, value] : answer.headers) {
        head.insert(name, value);
    }
    if (shape.chunked) {
        head.chunked(true);
    } else {
        head.content_length(answer.body.size());
    }
    head.keep_alive(false);
    http::response_serializer<http::empty_body> serializer{head};
    http::write_header(stream, serializer, error);
    if (error) {
        return;
    }

    std::string payload = answer.body + std::string(shape.extraBytes, 'X');
    if (shape.cutAfter && *shape.cutAfter < payload.size()) {
        payload.resize(*shape.cutAfter);
    }
    const std::size_t pieceSize = shape.pieceDelay.count() > 0 ? shape.pieceSize : payload.size();
    for (std::size_t offset = 0; offset < payload.size(); offset += pieceSize) {
        if (offset > 0 && shape.pieceDelay.count() > 0 && !pause(shape.pieceDelay)) {
            return;
        }
        const std::string piece = payload.substr(offset, pieceSize);
        std::string framed = piece;
        if (shape.chunked) {
            std::ostringstream size;
            size << std::hex << piece.size();
            framed = size.str() + "\r\n" + piece + "\r\n";
        }
        asio::write(stream, asio::buffer(framed), error);
        if (error) {
            return;
        }
    }
    if (shape.chunked && !shape.cutAfter) {
        asio::write(stream, asio::buffer(std::string("0\r\n\r\n")), error);
    }
}

Answer Refusal(int status, const char* text) {
    Answer answer;
    answer.status = status;
    answer.contentType = "text/plain";
    answer.body = text;
    return answer;
}

// A client that sent garbage hears why; one that just went away does not.
bool IsMalformed(const beast::error_code& error) {
    return error.category() == http::make_error_code(http::error::bad_method).category() &&
           error != http::error::end_of_stream && error != http::error::partial_message;
}

}  // namespace

Server::Server(asio::io_context& io, const tcp::endpoint& endpoint, const TlsMaterial& tls,
               Handler handler)
    : ssl_(MakeContext(tls)), acceptor_(io), handler_(std::move(handler)) {
    acceptor_.open(endpoint.protocol());
    acceptor_.set_option(asio::socket_base::reuse_address(true));
    acceptor_.bind(endpoint);
    acceptor_.listen(asio::socket_base::max_listen_connections);
}

Server::~Server() {
    Stop();
}

unsigned short Server::Port() const {
    return acceptor_.local_endpoint().port();
}

void Server::Start() {
    Accept();
}

void Server::Accept() {
    acceptor_.async_accept([this](beast::error_code error, tcp::socket socket) {
        if (error == asio::error::operation_aborted) {
            return;
        }
        ReapFinished();
        if (!error) {
            std::lock_guard lock(mutex_);
            if (stopping_) {
                return;
            }
            const std::uint64_t id = nextId_++;
            openSockets_[id] = socket.native_handle();
            threads_.emplace(id, std::thread(&Server::Serve, this, id, std::move(socket)));
        }
        Accept();
    });
}

void Server::Stop() {
    beast::error_code ignored;
    acceptor_.close(ignored);
    std::map<std::uint64_t, std::thread> threads;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        // Under the lock, so a connection cannot close its socket (freeing the number for reuse)
        // between the lookup and the shutdown.
        for (const auto& [id, handle] : openSockets_) {
            ::shutdown(handle, SHUT_RDWR);
        }
        threads.swap(threads_);
        finished_.clear();
    }
    stoppingCv_.notify_all();
    for (auto& [id, thread] : threads) {
        thread.join();
    }
}

void Server::ReapFinished() {
    std::vector<std::thread> done;
    {
        std::lock_guard lock(mutex_);
        for (std::uint64_t id : finished_) {
            auto found = threads_.find(id);
            if (found != threads_.end()) {
                done.push_back(std::move(found->second));
                threads_.erase(found);
            }
        }
        finished_.clear();
    }
    for (auto& thread : done) {
        thread.join();
    }
}

bool Server::Pause(std::chrono::milliseconds delay) {
    std::unique_lock lock(mutex_);
    return !stoppingCv_.wait_for(lock, delay, [this] { return stopping_; });
}

void Server::Serve(std::uint64_t id, tcp::socket socket) {
    Stream stream(std::move(socket), ssl_);
    beast::error_code error;
    stream.handshake(asio::ssl::stream_base::server, error);
    if (error) {
        std::cerr << kServerName << ": TLS handshake failed: " << error.message() << '\n';
    }

    beast::flat_buffer buffer;
    while (!error) {
        http::request_parser<http::string_body> parser;
        parser.header_limit(kMaxHeader);
        parser.body_limit(kMaxBody);
        http::read_header(stream, buffer, parser, error);
        if (error) {
            if (IsMalformed(error)) {
                WriteAnswer(stream, Refusal(400, "malformed request\n"), 11, false, false, error);
            }
            break;
        }
        const auto& message = parser.get();
        const unsigned version = message.version();
        // Clients that announce a body wait for this before sending it.
        if (interimContinue_ && version >= 11 &&
            beast::iequals(message[http::field::expect], "100-continue")) {
            http::response<http::empty_body> proceed{http::status::continue_, version};
            http::write(stream, proceed, error);
            if (error) {
                break;
            }
        }
        http::read(stream, buffer, parser, error);
        if (error == http::error::body_limit) {
            WriteAnswer(stream, Refusal(413, "body too large\n"), version, false, false, error);
            break;
        }
        if (error) {
            break;
        }

        const Request request = ToRequest(parser.get());
        const Answer answer = handler_(request);
        if (answer.delay.count() > 0 && !Pause(answer.delay)) {
            break;
        }
        if (answer.drop) {
            break;
        }
        if (!answer.shape.Plain() && request.method != "HEAD") {
            WriteShapedAnswer(
                stream, answer, version,
                [this](std::chrono::milliseconds delay) { return Pause(delay); }, error);
            // The peer learns that the body ends here (close_notify), without waiting for its
            // answer; whether the body was whole is for the client to tell.
            ::SSL_shutdown(stream.native_handle());
            break;
        }
        const bool keepAlive = parser.get().keep_alive();
        WriteAnswer(stream, answer, version, request.method == "HEAD", keepAlive, error);
        if (!keepAlive) {
            break;
        }
    }

    {
        std::lock_guard lock(mutex_);
        openSockets_.erase(id);
        finished_.push_back(id);
    }
    // No TLS close_notify: the client may be gone, and a blocking goodbye would hang the thread.
    beast::error_code ignored;
    stream.lowest_layer().shutdown(tcp::socket::shutdown_both, ignored);
    stream.lowest_layer().close(ignored);
}

}  // namespace devserver
