// Writing a file in one go.
#pragma once

#include <filesystem>
#include <string_view>

namespace pel {

// Creates the file, or empties an existing one, and writes exactly `bytes` into it. True only
// when every byte was written and the file closed without error; on false the file may be
// missing, empty or hold part of the bytes.
bool writeWholeFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace pel
