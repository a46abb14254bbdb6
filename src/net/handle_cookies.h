// Moving cookies between the process-wide jar and one handle's private cookie engine.
// Internal to the HTTP layer.
#pragma once

#include <curl/curl.h>

#include <string>
#include <vector>

namespace pel::net {

// Switches the handle's cookie engine on holding exactly `lines`: whatever it held from an
// earlier request is dropped first (a reset handle keeps its cookies).
bool giveCookies(CURL* handle, const std::vector<std::string>& lines);

// What the handle's cookie engine holds now, as cookie-file lines.
std::vector<std::string> heldCookies(CURL* handle);

}  // namespace pel::net
