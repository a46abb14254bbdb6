// Sites 2..6: search and book pages.
#include "demo/demo_page_parts.h"

namespace pel::demo {

bool serveSearchPages(const DemoContext&, const DemoRequest&, DemoResponse&) { return false; }

}  // namespace pel::demo
