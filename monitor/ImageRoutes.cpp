#include "ImageRoutes.h"

#include <httplib.h>

#include <memory>

#include "ImageRequests.h"

namespace {

void Send(httplib::Response& response, const Reply& reply) {
    response.status = reply.status;
    // Images are evidence: a shared laptop's browser keeps no copy.
    response.set_header("Cache-Control", "no-store");
    response.set_content(reply.body, reply.type);
}

}  // namespace

void AddImageRoutes(httplib::Server& server, const QString& connectString) {
    // Any part matches, so that ImageRequests answers every malformed one with its own text.
    const auto images = std::make_shared<const ImageRequests>(connectString);
    server.Get(R"(/api/batches/([^/]*)/([^/]*)/images)",
               [images](const httplib::Request& request, httplib::Response& response) {
                   Send(response, images->List(request.matches[1], request.matches[2]));
               });
    server.Get(R"(/api/images/([^/]*)/([^/]*)/([^/]*))", [images](const httplib::Request& request,
                                                                  httplib::Response& response) {
        Send(response, images->Png(request.matches[1], request.matches[2], request.matches[3]));
    });
}
