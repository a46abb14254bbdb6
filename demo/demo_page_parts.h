// Pieces shared by the page generators: the sites' paths, cover pictures, keyword decoding.
#pragma once

#include <string>
#include <vector>

#include "demo/demo_pages.h"

namespace pel::demo {

// Each site's paths for a book. Sites 2 and 4 list the chapters on the book page itself; the
// others have an index page of their own.
std::string bookPagePath(int site, const DemoBook& book);
std::string indexPagePath(int site, const DemoBook& book);  // a directory, ending in "/"
std::string chapterPagePath(int site, const DemoBook& book, int chapter);  // 1-based
std::string coverPath(const DemoBook& book);

// Whether the site's book page names its cover by a path of its own (sites 2..4, for some
// books) rather than by an absolute address.
bool relativeCover(int site, const DemoBook& book);

// The search keyword of a site's query, decoded and trimmed of spaces, as GBK bytes (site 1
// sends UTF-8 and is converted).
Text searchKeyword(const DemoRequest& req);

// A small PNG (a framed colour block) told apart by its seed.
Bytes coverPicture(unsigned seed);

// The page answered for a missing file: status 404, "找不到文件" on sites 2..5 and the update
// host, a plain "404" page on sites 1 and 6.
void missingPage(int site, DemoResponse& res);

// A GBK HTML answer (sites 2..6).
void gbkPage(DemoResponse& res, Text body);

// The UTF-8 form of a catalogue text; the GBK sites build their pages in UTF-8 and convert
// each page once.
std::string u8(const Text& gbkText);
// The lines of a "\r\n"-joined text (none for an empty text).
std::vector<std::string> u8Lines(const Text& gbkText);
std::string joined(const std::vector<std::string>& lines, const std::string& separator);

// The head of a GBK site's page, up to and including "<body>".
std::string gbkHead(const std::string& title, const std::string& extraHead = {});

// The chapter list that sites 2 and 4 carry on their book pages (UTF-8).
std::string bookPageChapterList(const DemoContext& ctx, int site, const DemoBook& book);

}  // namespace pel::demo
