#include "ctl/MetricsServer.h"

namespace tav::ctl {

MetricsServer::MetricsServer(const std::vector<std::string>& options,
                             std::function<std::string()> body)
    : handler_(std::move(body)), server_(std::make_unique<CivetServer>(options)) {
    server_->addHandler("/metrics", handler_);
}

MetricsServer::~MetricsServer() {
    server_->removeHandler("/metrics");
    server_->close();
}

bool MetricsServer::Handler::handleGet(CivetServer*, mg_connection* connection) {
    const std::string body = body_();
    mg_printf(connection,
              "HTTP/1.1 200 OK\r\nContent-Type: text/plain; version=0.0.4; charset=utf-8\r\n"
              "Content-Length: %zu\r\nConnection: close\r\n\r\n",
              body.size());
    mg_write(connection, body.data(), body.size());
    return true;
}

} // namespace tav::ctl
