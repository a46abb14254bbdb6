// What the program should read out of the demo sites' pages, for tests to compare against.
#pragma once

#include "core/app_state.h"
#include "demo/demo_catalogue.h"
#include "demo/demo_sites.h"

namespace pel::demo {

// The result slot a search for the book's name should leave for the site (1..6): the fields
// as each site's pages yield them (sites 2..4 lose every space, site 1's introduction its line
// breaks and indents, missing covers become the default picture on sites 2..6, ...).
ResultSlot expectedSlot(const DemoSites& sites, const DemoBook& book, int site);

// A text with the invalid sequences of the invalidBytesSite knob, as the GBK pages carry them
// in the texts the program cuts: every "。" preceded by 0x81 0x7F.
Text withInvalidBytes(const Text& gbkText);

}  // namespace pel::demo
