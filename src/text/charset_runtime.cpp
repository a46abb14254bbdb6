#include "text/charset_runtime.h"

#include "text/iconv_convert.h"

namespace pel {

struct CharsetRuntime::Held {
    detail::IconvHandle toUtf8{"UTF-8", "CP936"};
    detail::IconvHandle fromUtf8{"CP936", "UTF-8"};
};

CharsetRuntime::CharsetRuntime() : held_(std::make_unique<Held>()) {}

CharsetRuntime::~CharsetRuntime() = default;

}  // namespace pel
