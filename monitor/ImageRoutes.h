#pragma once

#include <QString>

namespace httplib {
class Server;
}

// The endpoints of a batch's images: /api/batches/{station}/{batch}/images and
// /api/images/{station}/{batch}/{sequence}.png, each read on a connection of its own.
void AddImageRoutes(httplib::Server& server, const QString& connectString);
