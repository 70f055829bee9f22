#pragma once

#include <CivetServer.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tav::ctl {

// GET /metrics over HTTP: the text `body` gives at each request, as Prometheus reads it. The
// web library of prometheus-cpp's exposer, served by our handler so that the values are
// written in their shortest form (the exposer's writer adds float noise: 82.85599999999999).
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
