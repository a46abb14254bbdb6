// The demo server: one httplib server per loopback port, all answering through the page
// generators, with the latency and fault knobs applied around them.
#include "demo/demo_sites.h"

#include <sys/socket.h>

#include <httplib.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "demo/demo_page_parts.h"
#include "demo/loopback_listen.h"
#include "text/encoding.h"

namespace pel::demo {

namespace {

constexpr int kChapterSiteThreads = 128;  // 100 concurrent chapter requests and some room
constexpr int kOtherSiteThreads = 16;

// Every occurrence of `from` replaced, byte for byte (the pages may be UTF-8).
std::string replaceBytes(const std::string& text, const std::string& from, const std::string& to) {
    std::string out;
    size_t at = 0;
    for (size_t hit; (hit = text.find(from, at)) != std::string::npos; at = hit + from.size()) {
        out.append(text, at, hit - at);
        out += to;
    }
    out.append(text, at, std::string::npos);
    return out;
}

}  // namespace

bool chapterSelectedToFail(int chapter, int percent) {
    if (percent <= 0 || chapter <= 0) {
        return false;
    }
    if (percent >= 100) {
        return true;
    }
    return chapter * percent / 100 != (chapter - 1) * percent / 100;
}

struct DemoSites::Impl {
    DemoKnobs knobs;
    std::array<std::unique_ptr<httplib::Server>, 7> servers;
    std::array<std::thread, 7> threads;
    std::array<int, 7> ports{};
    std::atomic<long> requests{0};

    mutable std::mutex contextMutex;  // the context's update fields change while serving
    DemoContext context;
    bool addressChosen = false;  // setAnnouncedAddress was called: keep its value

    std::mutex hostileMutex;
    int hostileSite = 0;
    std::string hostilePrefix;
    int hostilePages = kBookPageForm | kIndexPageForm;

    // The filler of the huge pages, built once per size: tens of megabytes per request would
    // cost more than the program's reading of them.
    std::mutex fillerMutex;
    std::shared_ptr<const std::string> filler;

    std::shared_ptr<const std::string> hugeFiller(size_t size) {
        std::lock_guard lock(fillerMutex);
        if (!filler || filler->size() != size) {
            // Markup and GBK text on one line, none of it anything the program looks for.
            static const std::string kUnit = "<b>" + gbk("\u586B\u5145") + "</b>";
            auto text = std::make_shared<std::string>();
            text->reserve(size);
            while (text->size() + kUnit.size() <= size) {
                *text += kUnit;
            }
            text->append(size - text->size(), 'x');
            filler = std::move(text);
        }
        return filler;
    }

    std::mutex attemptsMutex;
    std::array<std::unordered_map<std::string, int>, 7> attempts;

    // Sleeps of latency and stalls end early when the server stops.
    std::mutex stopMutex;
    std::condition_variable stopSignal;
    bool stopping = false;
    bool running = false;

    DemoContext snapshot() const {
        std::lock_guard lock(contextMutex);
        return context;
    }

    // Waits ms milliseconds; false when the server stopped meanwhile.
    bool pause(int ms) {
        std::unique_lock lock(stopMutex);
        if (ms <= 0) {
            return !stopping;
        }
        return !stopSignal.wait_for(lock, std::chrono::milliseconds(ms), [&] { return stopping; });
    }

    int nextAttempt(int site, const std::string& path) {
        std::lock_guard lock(attemptsMutex);
        return ++attempts[site][path];
    }

    void forgetAttempts(int site) {
        std::lock_guard lock(attemptsMutex);
        attempts[site].clear();
    }

    void handle(int site, const httplib::Request& hreq, httplib::Response& hres);
    void applyPageFaults(int site, const DemoContext& ctx, DemoResponse& res);
    void answerChapterFault(ChapterFault fault, const DemoResponse& res, httplib::Response& hres);
};

void DemoSites::Impl::handle(int site, const httplib::Request& hreq, httplib::Response& hres) {
    requests.fetch_add(1);
    if (site != 0 && knobs.hangSite.load() == site) {
        // Accepted and read, never answered while the knob names the site or until stop().
        while (knobs.hangSite.load() == site && pause(50)) {
        }
        hres.status = 503;
        return;
    }
    if (!pause(knobs.latencyMs.load())) {
        hres.status = 503;
        return;
    }
    DemoRequest req;
    req.site = site;
    req.method = hreq.method;
    req.body = hreq.body;
    const size_t question = hreq.target.find('?');
    req.path = hreq.target.substr(0, question);
    req.query = question == std::string::npos ? std::string() : hreq.target.substr(question + 1);

    const DemoContext ctx = snapshot();
    DemoResponse res;
    const bool served = serveCommonPages(ctx, req, res) || serveSite1Pages(ctx, req, res) ||
                        serveSearchPages(ctx, req, res) || serveChapterPages(ctx, req, res);
    if (!served) {
        // Every site answers an unknown address with its missing-file page.
        missingPage(site, res);
    }
    applyPageFaults(site, ctx, res);
    if (res.chapterIndex) {
        forgetAttempts(site);
    }
    if (res.chapterNumber > 0) {
        if (!pause(knobs.chapterLatencyMs.load())) {
            hres.status = 503;
            return;
        }
        const int attempt = nextAttempt(site, req.path);
        if (chapterSelectedToFail(res.chapterNumber, knobs.chapterFailurePercent.load()) &&
            attempt <= knobs.failedAttempts.load()) {
            answerChapterFault(static_cast<ChapterFault>(knobs.chapterFault.load()), res, hres);
            return;
        }
    }
    hres.status = res.status;
    hres.set_content(res.body, res.contentType);
}

void DemoSites::Impl::applyPageFaults(int site, const DemoContext& ctx, DemoResponse& res) {
    {
        std::lock_guard lock(hostileMutex);
        if ((res.pageForms & hostilePages) != 0 && site != 0 && hostileSite == site &&
            !hostilePrefix.empty()) {
            res.body = replaceBytes(res.body, ctx.baseUrl[site], hostilePrefix);
        }
    }
    if (site != 0 && knobs.invalidBytesSite.load() == site &&
        (res.pageForms & (kSearchPageForm | kBookPageForm | kChapterPageForm)) != 0) {
        static const std::string kUtf8Stop = "\u3002";
        if (res.contentType.find("utf-8") != std::string::npos) {
            res.body = replaceBytes(res.body, kUtf8Stop, "\xC3" + kUtf8Stop);
        } else {
            static const Text kGbkStop = gbk("\u3002");
            res.body = replaceText(res.body, kGbkStop, "\x81\x7F" + kGbkStop) + "\xFE";
        }
    }
    if (site != 0 && knobs.hugePageSite.load() == site &&
        (res.pageForms & knobs.hugePages.load()) != 0) {
        res.body.insert(0,
                        *hugeFiller(static_cast<size_t>(std::max(0L, knobs.hugePageBytes.load()))));
    }
}

void DemoSites::Impl::answerChapterFault(ChapterFault fault, const DemoResponse& res,
                                         httplib::Response& hres) {
    auto body = std::make_shared<const Bytes>(res.body);
    switch (fault) {
        case ChapterFault::Status500:
            hres.status = 500;
            hres.set_content(
                "<html><head><title>500 Internal Server Error</title></head><body>"
                "<h1>500 Internal Server Error</h1></body></html>",
                "text/html");
            return;
        case ChapterFault::CloseMidBody:
            // The length announces the whole page; the connection closes after half of it.
            hres.status = 200;
            hres.set_content_provider(body->size(), res.contentType,
                                      [body](size_t offset, size_t, httplib::DataSink& sink) {
                                          const size_t half = body->size() / 2;
                                          if (offset < half) {
                                              sink.write(body->data() + offset, half - offset);
                                          }
                                          return false;
                                      });
            return;
        case ChapterFault::Stall: {
            // The status line and headers go out at once; the body waits.
            hres.status = 200;
            const int seconds = knobs.stallSeconds.load();
            hres.set_content_provider(
                body->size(), res.contentType,
                [this, body, seconds](size_t offset, size_t length, httplib::DataSink& sink) {
                    if (offset == 0 && !pause(seconds * 1000)) {
                        return false;
                    }
                    sink.write(body->data() + offset, length);
                    return true;
                });
            return;
        }
    }
    hres.status = 500;
}

DemoSites::DemoSites() : impl_(std::make_unique<Impl>()) {
    impl_->context.updateUtf8Version = "V.2.0";
}

DemoSites::~DemoSites() {
    stop();
}

bool DemoSites::start() {
    Impl& im = *impl_;
    if (im.running) {
        return true;
    }
    {
        std::lock_guard lock(im.stopMutex);
        im.stopping = false;
    }
    for (int site = 0; site <= 6; ++site) {
        auto server = std::make_unique<httplib::Server>();
        const size_t threads = site >= 2 ? kChapterSiteThreads : kOtherSiteThreads;
        // httplib takes ownership of the queue it is handed; its API wants a raw pointer.
        server->new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
        server->set_keep_alive_max_count(1);  // one request per connection frees the thread
        auto handler = [&im, site](const httplib::Request& req, httplib::Response& res) {
            im.handle(site, req, res);
        };
        server->Get(".*", handler);
        server->Post(".*", handler);
        const int port = bindLoopback(*server);
        if (port <= 0) {
            stop();
            return false;
        }
        im.ports[site] = port;
        im.servers[site] = std::move(server);
    }
    {
        std::lock_guard lock(im.contextMutex);
        for (int site = 0; site <= 6; ++site) {
            im.context.baseUrl[site] = baseUrl(site);
            im.context.domainMarker[site] = domainMarker(site);
        }
        if (!im.addressChosen) {
            im.context.updateUtf8Address = baseUrl(0) + "/pzwj/xiazai.html";
        }
    }
    for (int site = 0; site <= 6; ++site) {
        httplib::Server* server = im.servers[site].get();
        im.threads[site] = std::thread([server] { server->listen_after_bind(); });
    }
    // stop() only reaches a server that is already in its accept loop.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (auto& server : im.servers) {
        while (!server->is_running() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    // A server takes its first connection only once its thread pool is up, which under a
    // race detector can take longer than a client's time-out: one answered request per port
    // before start() returns. They are not counted.
    for (int site = 0; site <= 6; ++site) {
        httplib::Client probe("127.0.0.1", im.ports[site]);
        probe.set_connection_timeout(std::chrono::seconds(30));
        probe.set_read_timeout(std::chrono::seconds(30));
        probe.Get("/");
    }
    im.requests = 0;
    im.running = true;
    return true;
}

void DemoSites::stop() {
    Impl& im = *impl_;
    {
        std::lock_guard lock(im.stopMutex);
        im.stopping = true;
    }
    im.stopSignal.notify_all();
    for (auto& server : im.servers) {
        if (server) {
            server->stop();
        }
    }
    for (auto& thread : im.threads) {
        if (thread.joinable()) {
            thread.join();
        }
    }
    for (auto& server : im.servers) {
        server.reset();
    }
    im.running = false;
}

std::string DemoSites::baseUrl(int site) const {
    return "http://" + domainMarker(site);
}

std::string DemoSites::domainMarker(int site) const {
    return "127.0.0.1:" + std::to_string(port(site));
}

std::string DemoSites::updateUrl() const {
    return baseUrl(0) + "/pzwj/txtyz.php";
}

int DemoSites::port(int site) const {
    return site >= 0 && site <= 6 ? impl_->ports[site] : 0;
}

DemoKnobs& DemoSites::knobs() {
    return impl_->knobs;
}

void DemoSites::setAnnouncedVersion(const std::string& utf8Version) {
    std::lock_guard lock(impl_->contextMutex);
    impl_->context.updateUtf8Version = utf8Version;
}

void DemoSites::setAnnouncedAddress(const std::string& utf8Address) {
    std::lock_guard lock(impl_->contextMutex);
    impl_->context.updateUtf8Address = utf8Address;
    impl_->addressChosen = true;
}

void DemoSites::setHostileLinks(int site, const std::string& prefix, int pageForms) {
    std::lock_guard lock(impl_->hostileMutex);
    impl_->hostileSite = site;
    impl_->hostilePrefix = prefix;
    impl_->hostilePages = pageForms;
}

long DemoSites::requestCount() const {
    return impl_->requests.load();
}

void useDemoSites(AppSettings& settings, const DemoSites& sites) {
    for (int site = 1; site <= 6; ++site) {
        settings.sites.baseUrl[site] = sites.baseUrl(site);
        settings.sites.domainMarker[site] = site >= 2 && site <= 4 ? sites.domainMarker(site) : "";
    }
    settings.sites.updateUrl = sites.updateUrl();
}

}  // namespace pel::demo
