// Sites 2..6: chapter index and chapter pages.
#include "demo/demo_page_parts.h"

namespace pel::demo {

bool serveChapterPages(const DemoContext&, const DemoRequest&, DemoResponse&) { return false; }

}  // namespace pel::demo
