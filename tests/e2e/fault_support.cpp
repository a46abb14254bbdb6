#include "e2e/fault_support.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "download/chapter_scheduler.h"
#include "download/download_start.h"
#include "search/search_run.h"
#include "text/encoding.h"

namespace pel::faults {

std::unique_ptr<demo::DemoSites> FaultSuite::sites_;

void FaultSuite::SetUpTestSuite() {
    sites_ = std::make_unique<demo::DemoSites>();
    ASSERT_TRUE(sites_->start());
}

void FaultSuite::TearDownTestSuite() {
    sites_.reset();
}

void FaultSuite::SetUp() {
    ASSERT_NE(sites_, nullptr);
    demo::DemoKnobs& k = sites_->knobs();
    k.latencyMs = 0;
    k.chapterLatencyMs = 0;
    k.chapterFailurePercent = 0;
    k.chapterFault = static_cast<int>(demo::ChapterFault::Status500);
    k.stallSeconds = 60;
    k.failedAttempts = 1;
    k.hangSite = 0;
    k.hugePageSite = 0;
    k.hugePages = demo::kSearchPageForm | demo::kBookPageForm | demo::kIndexPageForm;
    k.hugePageBytes = 50L << 20;
    k.invalidBytesSite = 0;
    sites_->setHostileLinks(0, "");
}

std::unique_ptr<testing::AppFixture> FaultSuite::makeApp(const testing::SettingsAdjust& adjust) {
    return std::make_unique<testing::AppFixture>([adjust](AppSettings& s) {
        demo::useDemoSites(s, *sites_);
        s.chapterRetryPausesMs = {10, 20};
        if (adjust) {
            adjust(s);
        }
    });
}

AcceptCounter::AcceptCounter() {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
        ::listen(listenFd_, 64) != 0 ||
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ADD_FAILURE() << "cannot listen on loopback";
        return;
    }
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] {
        while (!stopping_.load()) {
            pollfd p{listenFd_, POLLIN, 0};
            if (::poll(&p, 1, 20) > 0) {
                const int fd = ::accept(listenFd_, nullptr, nullptr);
                if (fd >= 0) {
                    accepted_.fetch_add(1);
                    ::close(fd);
                }
            }
        }
    });
}

AcceptCounter::~AcceptCounter() {
    stopping_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    if (listenFd_ >= 0) {
        ::close(listenFd_);
    }
}

bool runSearch(testing::AppFixture& fixture, const Text& keyword,
               std::chrono::milliseconds timeout) {
    fixture.window().recordUserText(Control::SearchBox, keyword);
    startSearch(fixture.app());
    return fixture.waitIdle(timeout);
}

bool runDownload(testing::AppFixture& fixture, int site, const ResultSlot& slot,
                 std::chrono::milliseconds timeout) {
    fixture.app().search.resultSlots[site].set(slot);
    fixture.app().search.selectedSite = site;
    startDownload(fixture.app());
    return fixture.waitIdle(timeout);
}

std::vector<std::string> outcomesShown(const RecordingWindow& window) {
    static const Text kHeads[] = {gbk("保存成功"), gbk("保存失败"), gbk("目录获取失败"),
                                  gbk("搜索失败")};
    std::vector<std::string> shown;
    for (const Text& text : window.textsOf(Control::StatusLabel)) {
        bool outcome = false;
        for (const Text& head : kHeads) {
            outcome = outcome || text.rfind(head, 0) == 0;
        }
        const std::string utf8 = gbkToUtf8(text);
        if (outcome && std::find(shown.begin(), shown.end(), utf8) == shown.end()) {
            shown.push_back(utf8);
        }
    }
    return shown;
}

std::filesystem::path bookPath(const testing::AppFixture& fixture, const ResultSlot& slot) {
    return fixture.dir() / (bookFileName(slot.name, slot.author, slot.bookUrl) + ".txt");
}

std::string savedBook(const testing::AppFixture& fixture, const ResultSlot& slot) {
    return readFile(bookPath(fixture, slot));
}

bool bookSaved(const testing::AppFixture& fixture, const ResultSlot& slot) {
    return std::filesystem::is_regular_file(bookPath(fixture, slot));
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Text bookWithEmptyChapters(const demo::DemoBook& book, const std::set<int>& emptyChapters) {
    Text file;
    for (size_t i = 0; i < book.chapters.size(); ++i) {
        const bool empty = emptyChapters.count(static_cast<int>(i + 1)) > 0;
        file += book.chapters[i].title + "\r\n" + (empty ? Text() : book.chapters[i].body) + "\r\n";
    }
    return file;
}

std::set<int> failingChapters(const demo::DemoBook& book, int percent) {
    std::set<int> chapters;
    for (int n = 1; n <= static_cast<int>(book.chapters.size()); ++n) {
        if (demo::chapterSelectedToFail(n, percent)) {
            chapters.insert(n);
        }
    }
    return chapters;
}

std::string everythingWritten(const RecordingWindow& window) {
    std::string all;
    for (const PropertyWrite& w : window.writes()) {
        all += gbkToUtf8(w.text);
        all += '\n';
    }
    return all;
}

}  // namespace pel::faults
