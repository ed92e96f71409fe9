#include "sim/serve/http_server.h"

#include <httplib.h>

#include <cctype>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "sim/serve/gated_server.h"
#include "sim/serve/http_guard.h"

namespace sim {
namespace {

using nlohmann::json;

constexpr std::chrono::milliseconds kActionWait{5000};  // for the simulation to take an action
constexpr std::chrono::milliseconds kStreamPoll{1000};  // a stream's keep-alive comment period
// With a parameter, so that cpp-httplib does not compress it for every reader
// (assets.cpp says why).
constexpr const char* kJson = "application/json; charset=utf-8";

void answer(httplib::Response& res, int status, const json& body) {
  res.status = status;
  res.set_header("Cache-Control", "no-store");
  res.set_content(body.dump(-1, ' ', false, json::error_handler_t::replace), kJson);
}

void fail(httplib::Response& res, int status, const std::string& why) {
  answer(res, status, json{{"error", why}});
}

// A media type without its parameters, in lower case: "application/json"
// for "Application/JSON; charset=utf-8".
std::string mediaType(const std::string& contentType) {
  std::string type = contentType.substr(0, contentType.find(';'));
  type.erase(0, type.find_first_not_of(" \t"));
  type.erase(type.find_last_not_of(" \t") + 1);
  for (char& c : type) c = char(std::tolower((unsigned char)c));
  return type;
}

json clockJson(const FlightClock& c) {
  return json{{"t", c.t}, {"speed", c.speed}, {"paused", c.paused}, {"running", c.running}};
}

json resultJson(const ActionResult& r) {
  json j{{"t", r.t}, {"taken", r.taken}};
  if (!r.message.empty()) j["note"] = r.message;
  if (r.applied.kind == ActionKind::Button && r.applied.button) j["button"] = *r.applied.button;
  return j;
}

}  // namespace

CockpitServer::CockpitServer(LiveSession& session, const std::string& assetsDir)
    : session_(session),
      assets_(assetsDir),
      server_(std::make_unique<GatedServer>(kWorkers, kMaxBody)) {
  server_->set_tcp_nodelay(true);  // small answers and stream events go out at once
  server_->set_socket_options([](socket_t sock) {
    const int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    // Accepted connections inherit this: a reader that stops reading fills it
    // soon, its writes then time out and its stream is dropped.
    const int sendBuffer = kSendBuffer;
    setsockopt(sock, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
  });
  // Requests are read by the gate, within its time; the answer's writes each
  // wait this long at most: a stream reader that stops reading is dropped.
  server_->set_write_timeout(2, 0);
  routes();
}

CockpitServer::~CockpitServer() { stop(); }

int CockpitServer::bind(const std::string& address, int port) {
  port_ = server_->bindTo(address, port);
  if (port_ == 0)
    throw std::runtime_error("cannot serve on " + address + " port " + std::to_string(port));
  return port_;
}

void CockpitServer::start() {
  thread_ = std::thread([this] { server_->listen_after_bind(); });
}

void CockpitServer::stop() {
  stopping_ = true;
  if (thread_.joinable()) {
    server_->stop();
    thread_.join();
  }
  server_->stopGate();
}

void CockpitServer::routes() {
  httplib::Server& s = *server_;

  s.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
    const std::string why = refusal(req, port_);
    if (!why.empty()) {
      fail(res, 403, why);
    } else if (req.method != "GET" && req.method != "HEAD" && req.method != "POST") {
      fail(res, 405, "the cockpit answers GET, HEAD and POST only");
    } else if (req.method != "POST") {
      return httplib::Server::HandlerResponse::Unhandled;
    } else if (mediaType(req.get_header_value("Content-Type")) != "application/json") {
      // A JSON body: a form on another site cannot send one without asking first.
      fail(res, 415, "the body must be JSON (Content-Type: application/json)");
    } else if (req.has_header("Content-Encoding") &&
               mediaType(req.get_header_value("Content-Encoding")) != "identity") {
      fail(res, 415, "the body must not be compressed");
    } else {
      return httplib::Server::HandlerResponse::Unhandled;
    }
    // Refused: the body is never parsed, and the connection closes with the answer.
    return httplib::Server::HandlerResponse::Handled;
  });

  s.set_exception_handler(
      [](const httplib::Request&, httplib::Response& res, std::exception_ptr e) {
        try {
          std::rethrow_exception(e);
        } catch (const RequestError& meaningless) {
          fail(res, 400, meaningless.what());
        } catch (...) {
          fail(res, 500, "the request could not be answered");
        }
      });

  s.Get("/api/state", [this](const httplib::Request&, httplib::Response& res) {
    const Snapshot snap = session_.latest();
    if (!snap.json) return fail(res, 503, "the flight has not started yet");
    res.set_header("Cache-Control", "no-store");
    res.set_content(*snap.json, kJson);
  });

  s.Get("/api/stream", [this](const httplib::Request&, httplib::Response& res) {
    if (++streams_ > kMaxStreams) {
      --streams_;
      return fail(res, 503, "too many streams are open");
    }
    res.set_header("Cache-Control", "no-store");
    res.set_header("X-Accel-Buffering", "no");
    auto last = std::make_shared<uint64_t>(0);
    res.set_chunked_content_provider(
        "text/event-stream",
        [this, last](size_t, httplib::DataSink& sink) {
          if (stopping_) return false;
          const Snapshot snap = session_.waitNewer(*last, kStreamPoll);
          if (stopping_) return false;
          if (!snap.json || snap.serial == *last) {
            if (session_.ended()) {  // the last state was sent: the stream ends
              sink.done();
              return true;
            }
            static const char kKeepAlive[] = ": waiting\n\n";
            return sink.write(kKeepAlive, sizeof kKeepAlive - 1);
          }
          *last = snap.serial;  // states published meanwhile are skipped, never queued
          std::string event = "data: ";
          event.reserve(snap.json->size() + 8);
          event += *snap.json;
          event += "\n\n";
          return sink.write(event.data(), event.size());
        },
        [this](bool) { --streams_; });
  });

  // A request's meaningless body is thrown as RequestError (actions.h).
  s.Post(R"(/api/(key|button|input|mode))",
         [this](const httplib::Request& req, httplib::Response& res) {
           // A request that comes while the world is still being built waits for it
           // rather than be judged against no screens at all.
           const std::optional<size_t> screens = session_.screenCount(kActionWait);
           if (!screens) return fail(res, 503, "the flight is not running");
           const ActionResult r =
               session_.submit(parseAction(req.matches[1], req.body, *screens), kActionWait);
           if (r.status != 200) return fail(res, r.status, r.message);
           answer(res, 200, resultJson(r));
         });

  s.Post("/api/sim", [this](const httplib::Request& req, httplib::Response& res) {
    const CommandResult r = session_.command(parseSimCommand(req.body), kActionWait);
    if (r.status != 200) return fail(res, r.status, r.message);
    answer(res, 200, clockJson(r.clock));
  });

  s.Post(R"(/.*)", [](const httplib::Request& req, httplib::Response& res) {
    fail(res, 404, req.path.rfind("/api/", 0) == 0 ? "no such API call" : "no such file");
  });

  s.Get(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) {
    const Asset* a = assets_.find(req.path);
    if (!a) {
      if (req.path.rfind("/api/", 0) == 0) return fail(res, 404, "no such API call");
      return fail(res, 404, assets_.size() ? "no such file" : "the cockpit page is not installed");
    }
    res.set_header("Cache-Control", "no-cache");
    res.set_header("X-Content-Type-Options", "nosniff");
    res.set_content(a->content, a->mimeType);
  });
}

}  // namespace sim
