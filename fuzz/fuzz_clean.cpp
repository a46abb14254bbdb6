// The chapter cleaner's text passes for sites 2..6 on arbitrary cuts, with the build's
// watermarks or with arbitrary ones: no crash, and cleaning only ever removes (or, for the
// line breaks of one site, shortens), so the result is never longer than the cut.
#include <cstdlib>

#include "download/chapter_cleaner.h"
#include "fuzz/fuzz_input.h"

using namespace pel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Watermarks buildMarks = buildSettings().marks;
    fuzz::FuzzInput in(data, size);
    const int site = 2 + in.number(5);
    Watermarks marks = buildMarks;
    if (in.flag()) {
        marks.xswHost = in.text();
        marks.meikeName = in.text();
        marks.meikeHost = in.text();
        marks.site3Domain = in.text();
        marks.site4Host = in.text();
        marks.site4MobileHost = in.text();
    }
    const Text cut = in.remaining();
    const Text clean = cleanChapterText(cut, site, marks);
    if (clean.size() > cut.size())
        std::abort();
    return 0;
}
