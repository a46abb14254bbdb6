// Text throughput: the chapter-cleaning removals, a chapter index through the matcher, and a
// marker cut near the end of a large page. All inputs are generated GBK text.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "text/encoding.h"
#include "text/regex_object.h"
#include "text/text.h"

namespace {

using pel::Text;

// A line of prose in GBK, with the odd ASCII punctuation a chapter carries.
Text proseLine(int n) {
    static const Text words[] = {
        pel::gbk("他抬起头，望向远处的群山。"), pel::gbk("风从山谷里吹来，带着湿冷的气息，"),
        pel::gbk("“走吧。”她轻声说道，"), pel::gbk("夜色渐深，城中的灯火一盏盏熄灭。")};
    Text line;
    for (int i = 0; i < 3; ++i) {
        line += words[(n + i) % 4];
    }
    return line;
}

// About 20 KB of chapter body as the sites serve it: paragraph tags, entities, line-break
// tags and, now and then, the credit lines that cleaning takes out.
Text makeChapter() {
    static const Text credit1 = pel::gbk("(小说屋 www.xsw.test)");
    static const Text credit2 = pel::gbk("(meike 美克文学网 www.mkwx.test)");
    static const Text ending = pel::gbk("(本章完)");
    Text chapter;
    for (int i = 0; chapter.size() < 20 * 1024; ++i) {
        chapter += "<p>&nbsp;&nbsp;&nbsp;&nbsp;" + proseLine(i);
        if (i % 7 == 3) {
            chapter += credit1;
        }
        if (i % 11 == 5) {
            chapter += "&quot;" + proseLine(i + 1) + "&quot;" + credit2;
        }
        chapter += "</p><br />\r\n";
    }
    chapter += "<script>readx();</script>" + ending + "</div>";
    return chapter;
}

void BM_ChapterRemovals(benchmark::State& state) {
    const Text chapter = makeChapter();
    const std::vector<Text> removals = {
        "<p>",
        "&nbsp;",
        pel::gbk("(小说屋 www.xsw.test)"),
        "&quot;",
        "</div>",
        pel::gbk("(meike 美克文学网 www.mkwx.test)"),
        "<script>readx();</script>",
        pel::gbk("(本章完)"),
        "<br />",
    };
    for (auto _ : state) {
        Text text = chapter;
        for (const Text& r : removals) {
            text = pel::removeText(text, r);
        }
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(chapter.size()));
}
BENCHMARK(BM_ChapterRemovals);

// About 400 KB: 5,000 chapter links, CR LF line ends.
Text makeIndexPage() {
    static const Text chapterWord = pel::gbk("第");
    static const Text chapterEnd = pel::gbk("章 ");
    Text page = "<html><body><div id=\"list\"><ul>\r\n";
    for (int i = 1; i <= 5000; ++i) {
        page += "<li><a href=\"/book/31415/" + std::to_string(9000000 + i) + ".html\">" +
                chapterWord + std::to_string(i) + chapterEnd + proseLine(i).substr(0, 20) +
                "</a></li>\r\n";
    }
    page += "</ul></div></body></html>\r\n";
    return page;
}

void BM_IndexRegex(benchmark::State& state) {
    const Text page = makeIndexPage();
    const Text pattern = "<li><a href=\"(.*?)\">(.*?)</a></li>\r";
    pel::RegexObject re;
    for (auto _ : state) {
        re.execute(pattern, page);
        std::size_t total = 0;
        for (int i = 1; i <= re.matchCount(); ++i) {
            total += re.subMatch(i, 1).size() + re.subMatch(i, 2).size();
        }
        benchmark::DoNotOptimize(total);
        if (re.matchCount() != 5000) {
            state.SkipWithError("wrong match count");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
    state.counters["page_bytes"] = static_cast<double>(page.size());
}
BENCHMARK(BM_IndexRegex)->Unit(benchmark::kMillisecond);

void BM_TextBetweenLargePage(benchmark::State& state) {
    Text page;
    for (int i = 0; page.size() < 1024 * 1024; ++i) {
        page += "<div class=\"row\">" + proseLine(i) + "</div>\r\n";
    }
    page += "<div id=\"content\">" + proseLine(1) + "</div><div id=\"footer\"></div>\r\n";
    for (auto _ : state) {
        Text cut = pel::textBetween(page, "<div id=\"content\">", "</div>");
        benchmark::DoNotOptimize(cut.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_TextBetweenLargePage)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
