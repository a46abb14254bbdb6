// The page generators behind the demo sites, one file each.
#pragma once

#include <array>
#include <string>

#include "demo/demo_catalogue.h"
#include "demo/demo_sites.h"

namespace pel::demo {

struct DemoRequest {
    int site = 0;        // 1..6, 0 for the update host
    std::string method;  // "GET", "POST", "HEAD"
    std::string path;    // without the query
    std::string query;   // raw query string after "?", still percent-encoded
    std::string body;
};

struct DemoResponse {
    int status = 200;
    std::string contentType = "text/html";
    Bytes body;
    int chapterNumber = 0;      // > 0: a chapter page (latency and fault knobs apply)
    bool chapterIndex = false;  // a chapter index page: a download of the book starts
    int pageForms = 0;          // DemoPageForm flags: which of the program's page forms it is
};

struct DemoContext {
    std::array<std::string, 7> baseUrl;       // "http://127.0.0.1:<port>"
    std::array<std::string, 7> domainMarker;  // "127.0.0.1:<port>"
    std::string updateUtf8Version;
    std::string updateUtf8Address;
};

// Each returns true when it served the request.
bool serveCommonPages(const DemoContext& ctx, const DemoRequest& req, DemoResponse& res);
bool serveSite1Pages(const DemoContext& ctx, const DemoRequest& req, DemoResponse& res);
bool serveSearchPages(const DemoContext& ctx, const DemoRequest& req, DemoResponse& res);
bool serveChapterPages(const DemoContext& ctx, const DemoRequest& req, DemoResponse& res);

// The value of one query parameter, still encoded; empty when absent.
std::string queryValue(const std::string& query, const std::string& name);

}  // namespace pel::demo
