#include "net/curl_handles.h"

namespace pel::net {

bool HeaderList::append(const std::string& line) {
    curl_slist* grown = curl_slist_append(list_.get(), line.c_str());
    if (grown == nullptr) {
        return false;
    }
    // curl_slist_append returns the head, which stays the same once the list exists.
    list_.release();
    list_.reset(grown);
    return true;
}

size_t BodySink::write(char* data, size_t size, size_t count, void* self) {
    auto& sink = *static_cast<BodySink*>(self);
    const size_t n = size * count;
    const size_t room = sink.maxBytes - sink.body.size();
    if (n > room) {
        sink.body.append(data, room);
        return 0;  // anything short of n abandons the transfer
    }
    sink.body.append(data, n);
    return n;
}

bool applyCommonOptions(CURL* handle) {
    bool ok = true;
    ok &= curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L) == CURLE_OK;
    ok &= curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1) == CURLE_OK;
    ok &= curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK;
    ok &= curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") == CURLE_OK;
    // The path and query go out as the caller wrote them: no "/../" squashing.
    ok &= curl_easy_setopt(handle, CURLOPT_PATH_AS_IS, 1L) == CURLE_OK;
    // Our header lines are for the origin server, never for a proxy's CONNECT.
    ok &= curl_easy_setopt(handle, CURLOPT_HEADEROPT, CURLHEADER_SEPARATE) == CURLE_OK;
    return ok;
}

bool applyMethod(CURL* handle, std::string_view verb, const Bytes& body) {
    bool ok = true;
    if (verb == "HEAD") {
        // A HEAD goes out without a body: curl sends none with NOBODY, and NOBODY is what keeps
        // it from waiting for a response body that never comes.
        return curl_easy_setopt(handle, CURLOPT_NOBODY, 1L) == CURLE_OK;
    }
    if (verb == "POST" || verb == "PUT" || !body.empty()) {
        ok &= curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE,
                               static_cast<curl_off_t>(body.size())) == CURLE_OK;
        ok &= curl_easy_setopt(handle, CURLOPT_POSTFIELDS, body.data()) == CURLE_OK;
        if (verb != "POST") {
            ok &= curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, std::string(verb).c_str()) ==
                  CURLE_OK;
        }
        return ok;
    }
    if (verb != "GET") {
        ok &=
            curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, std::string(verb).c_str()) == CURLE_OK;
    }
    return ok;
}

}  // namespace pel::net
