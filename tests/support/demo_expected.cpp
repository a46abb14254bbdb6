// What the program should read out of the demo sites' pages, for tests to compare against.
#include "support/demo_expected.h"

#include "demo/demo_page_parts.h"
#include "text/encoding.h"

namespace pel::demo {

ResultSlot expectedSlot(const DemoSites& sites, const DemoBook& book, int site) {
    static const Text kNoIntro = gbk("\r\n- - - 暂 无 简 介 - - -");
    static const Text kNoIntroSite6 = gbk("\r\n暂无简介");
    static const Text kFinished = gbk("- - - 已 完 本 - - -");
    static const Text kIdeographicSpace = gbk("\u3000");
    static const Text kNoCover = "zwfm.jpg";

    const std::string base = sites.baseUrl(site);
    const bool spacesGone = site >= 2 && site <= 4;
    auto field = [&](const Text& text) { return spacesGone ? removeText(text, " ") : text; };

    ResultSlot slot;
    slot.name = field(book.name);
    slot.author = field(book.author);
    slot.latestChapter = site == 1 ? kFinished : field(book.latestChapter);
    Text intro = field(book.introduction);
    if (site == 1) {
        intro = removeText(removeText(removeText(intro, "\r\n"), " "), kIdeographicSpace);
    }
    if (site == 4 || intro.empty()) {
        intro = site == 6 ? kNoIntroSite6 : kNoIntro;
    }
    slot.introduction = intro;
    slot.coverUrl = site == 1 || book.hasCover ? base + coverPath(book) : kNoCover;
    slot.bookUrl = site == 1 ? base + "/txt/" + book.id + ".txt" : base + indexPagePath(site, book);
    return slot;
}

Text withInvalidBytes(const Text& gbkText) {
    static const Text kStop = gbk("\u3002");
    return replaceText(gbkText, kStop, "\x81\x7F" + kStop);
}

}  // namespace pel::demo
