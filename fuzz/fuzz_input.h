// Splits one fuzz input into a few texts and flags, so that a target can drive functions
// with several arguments from a single byte string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pel::fuzz {

class FuzzInput {
  public:
    FuzzInput(const uint8_t* data, size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}

    // The next piece up to a 0x01 separator byte (or the rest).
    std::string text() {
        size_t cut = rest_.find('\x01');
        std::string piece(rest_.substr(0, cut));
        rest_ = cut == std::string_view::npos ? std::string_view{} : rest_.substr(cut + 1);
        return piece;
    }
    // One byte as a small number (0 when the input is used up).
    int number(int modulo) {
        if (rest_.empty())
            return 0;
        int value = static_cast<unsigned char>(rest_.front()) % modulo;
        rest_.remove_prefix(1);
        return value;
    }
    bool flag() { return number(2) == 1; }
    std::string remaining() { return std::string(rest_); }

  private:
    std::string_view rest_;
};

}  // namespace pel::fuzz
