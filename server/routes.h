// The HTTP side of the server: one table of routes, each naming who may call it and its handler,
// and the site's static files, read once at start-up and served from memory by exact path.
#pragma once

#include <map>
#include <string>

#include "server/contests.h"
#include "server/store.h"

namespace httplib {
class Server;
}

struct SiteFile {
    std::string body;
    std::string type;
};
// URL path ("/index.html") to file; "/" serves index.html.
using SiteFiles = std::map<std::string, SiteFile, std::less<>>;

// Every regular file under dir, found by walking it (links are not followed); false with a
// reason when dir cannot be read or has no index.html.
bool loadSite(const std::string& dir, SiteFiles& files, std::string& reason);

struct ServerState {
    Store& store;
    Contests contests;
    SiteFiles site;
    bool tls = false;  // session cookies are then Secure
    RateLimiter loginFailuresByAddress{10};
    RateLimiter loginFailuresByName{10};
};

// The limit on a request's body, the worker threads, and every route.
void installRoutes(httplib::Server& server, ServerState& state);
