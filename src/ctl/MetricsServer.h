#pragma once

#include <CivetServer.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tav::ctl {

// GET /metrics over HTTP: the text `body` gives at each request, as Prometheus reads it, on
// civetweb (the web library of prometheus-cpp's exposer). The exposer's own text writer is not
// used: it adds float noise (82.85599999999999) and took most of a scrape's time at 64 boards.
class MetricsServer {
public:
    // `options` are the web library's (listening_ports, num_threads...); throws when it cannot
    // listen.
    MetricsServer(const std::vector<std::string>& options, std::function<std::string()> body);
    ~MetricsServer();
    std::vector<int> ports() const { return server_->getListeningPorts(); }

private:
    class Handler : public CivetHandler {
    public:
        explicit Handler(std::function<std::string()> body) : body_(std::move(body)) {}
        bool handleGet(CivetServer* server, mg_connection* connection) override;

    private:
        std::function<std::string()> body_;
    };
    Handler handler_;
    std::unique_ptr<CivetServer> server_;
};

} // namespace tav::ctl
