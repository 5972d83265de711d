#pragma once

#include "Refresher.h"
#include "WebServer.h"

// The page, its scripts, the JSON endpoints, the images and the metrics, with the headers every
// answer carries and, where the options name a password file, the sign-in they all need.
void AddMonitorRoutes(httplib::Server& server, const WebOptions& options,
                      const Refresher& refresher);
