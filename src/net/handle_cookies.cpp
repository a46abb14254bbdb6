#include "net/handle_cookies.h"

namespace pel::net {

bool giveCookies(CURL* handle, const std::vector<std::string>& lines) {
    bool ok = curl_easy_setopt(handle, CURLOPT_COOKIELIST, "ALL") == CURLE_OK;
    for (const std::string& line : lines) {
        ok = ok && curl_easy_setopt(handle, CURLOPT_COOKIELIST, line.c_str()) == CURLE_OK;
    }
    // An empty line adds no cookie and switches the engine on, also for an empty jar. (Not
    // CURLOPT_COOKIEFILE: curl_easy_reset loses the file list it keeps, a leak per call.)
    return ok && curl_easy_setopt(handle, CURLOPT_COOKIELIST, "") == CURLE_OK;
}

std::vector<std::string> heldCookies(CURL* handle) {
    std::vector<std::string> lines;
    curl_slist* list = nullptr;
    if (curl_easy_getinfo(handle, CURLINFO_COOKIELIST, &list) != CURLE_OK) {
        return lines;
    }
    for (const curl_slist* item = list; item != nullptr; item = item->next) {
        lines.emplace_back(item->data);
    }
    curl_slist_free_all(list);
    return lines;
}

}  // namespace pel::net
