// RAII owners for the libcurl handles that one request uses, and the settings that every
// request of this program shares. Internal to the HTTP layer.
#pragma once

#include <curl/curl.h>

#include <memory>
#include <string_view>

#include "text/text.h"

namespace pel::net {

struct EasyCleanup {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using EasyHandle = std::unique_ptr<CURL, EasyCleanup>;

struct SListCleanup {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// A header list for CURLOPT_HTTPHEADER. append() reports an allocation failure.
class HeaderList {
  public:
    bool append(const std::string& line);
    curl_slist* get() const { return list_.get(); }

  private:
    std::unique_ptr<curl_slist, SListCleanup> list_;
};

// Collects the body, cut off at a byte limit: past it the transfer is abandoned and the body
// holds the bytes up to the limit.
struct BodySink {
    Bytes body;
    std::size_t maxBytes = 0;
    static size_t write(char* data, size_t size, size_t count, void* self);
};

// Options every handle gets: no signals, HTTP/1.1, only http and https, also on redirects.
bool applyCommonOptions(CURL* handle);

// The verb and its body. HEAD is sent without a body; an empty POST or PUT goes out with
// Content-Length: 0; GET carries a body only when there is one.
bool applyMethod(CURL* handle, std::string_view verb, const Bytes& body);

}  // namespace pel::net
