// The embedded demo sites: six novel sites and the update-information page on loopback, each
// site on a port of its own, serving every page form the program reads. The same server, with
// knobs for latency and faults, is the fixture of the end-to-end tests and the benchmarks.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "core/app_state.h"
#include "demo/demo_catalogue.h"

namespace pel::demo {

enum class ChapterFault { Status500, CloseMidBody, Stall };

// The page forms the program reads, as flags for the knobs that pick some of them. On sites 2
// and 4 the book page is the chapter index too; site 1's download page counts as its index.
enum DemoPageForm : int {
    kSearchPageForm = 1,
    kBookPageForm = 2,
    kIndexPageForm = 4,
    kChapterPageForm = 8,
};

// Knobs, changeable while the server runs.
struct DemoKnobs {
    std::atomic<int> latencyMs{0};         // added to every response
    std::atomic<int> chapterLatencyMs{0};  // added to every chapter page
    std::atomic<int> chapterFailurePercent{0};
    std::atomic<int> chapterFault{static_cast<int>(ChapterFault::Status500)};
    std::atomic<int> stallSeconds{60};  // how long a stalled response stalls
    // How many attempts in a row a failing chapter fails (a large value: every attempt).
    std::atomic<int> failedAttempts{1};

    // Faults of one site each; 0 names no site.
    // Every request to this site is accepted and left unanswered until the knob names
    // another site or stop() is called; then it gets a 503.
    std::atomic<int> hangSite{0};
    // The page forms in hugePages (DemoPageForm flags) of this site start with one line of
    // hugePageBytes filler bytes, without a line end, ahead of the real page.
    std::atomic<int> hugePageSite{0};
    std::atomic<int> hugePages{kSearchPageForm | kBookPageForm | kIndexPageForm};
    std::atomic<long> hugePageBytes{50L << 20};
    // The search, book and chapter pages of this site carry byte sequences that are no
    // characters: in GBK pages every "。" is preceded by 0x81 0x7F (a lead byte with a trail
    // out of range) and the page ends in a lone lead byte 0xFE; in UTF-8 pages every "。" is
    // preceded by a lone 0xC3.
    std::atomic<int> invalidBytesSite{0};
};

// Whether chapter n is one of the chapters that fail at the given rate: spread evenly, so
// that 10 percent are the chapters 10, 20, 30 ... A chapter fails on its first
// knobs.failedAttempts attempts; the count of attempts starts afresh whenever the chapter
// index of its site is fetched (a new download).
bool chapterSelectedToFail(int chapter, int percent);

class DemoSites {
  public:
    DemoSites();
    ~DemoSites();
    DemoSites(const DemoSites&) = delete;
    DemoSites& operator=(const DemoSites&) = delete;

    // Binds seven loopback ports (sites 1..6, update page) and serves them on threads of its
    // own. False when a port cannot be bound.
    bool start();
    void stop();

    std::string baseUrl(int site) const;       // "http://127.0.0.1:<port>"
    std::string domainMarker(int site) const;  // "127.0.0.1:<port>"
    std::string updateUrl() const;             // ".../pzwj/txtyz.php"
    int port(int site) const;                  // site 0 is the update page

    DemoKnobs& knobs();
    // The version the update page announces ("V.2.0" unless changed) and its address field.
    void setAnnouncedVersion(const std::string& utf8Version);
    void setAnnouncedAddress(const std::string& utf8Address);  // empty: no address field

    // The pages of the forms in `pageForms` (by default book and index pages) of the site name
    // their links (hit, book, cover, chapter, download addresses) with `prefix` in place of
    // baseUrl(site): "file:///some/dir", "ftp://...", "javascript:...", or domainMarker(site)
    // for links without a scheme. An empty prefix or site 0 turns it off.
    void setHostileLinks(int site, const std::string& prefix,
                         int pageForms = kBookPageForm | kIndexPageForm);

    // Requests served so far (all sites), for tests that count them.
    long requestCount() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Fills the settings' site table from the running demo sites.
void useDemoSites(AppSettings& settings, const DemoSites& sites);

}  // namespace pel::demo
