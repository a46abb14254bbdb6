// The regular-expression matcher: RE2 over the UTF-8 form of a GBK subject.
#include "text/regex_object.h"

#include <re2/re2.h>

#include <cstdint>
#include <vector>

#include "text/gbk_decode.h"
#include "text/text_scan.h"

namespace pel {

namespace {

// Enough for any page the sites serve; a pattern or page that needs more fails cleanly
// (rejected pattern, or RE2 falls back to its slower matcher) instead of exhausting memory.
constexpr int64_t kRegexMemoryBudget = 64 << 20;

// Length of the UTF-8 character that starts with `lead`.
std::size_t utf8Length(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xF0) {
        return 4;
    }
    return lead >= 0xE0 ? 3 : 2;
}

}  // namespace

struct RegexObject::Results {
    // A group that took no part in its match has begin == kAbsent.
    static constexpr std::uint32_t kAbsent = UINT32_MAX;
    struct Span {
        std::uint32_t begin = kAbsent;
        std::uint32_t end = kAbsent;
    };

    Text pattern;
    Text subject;
    bool accepted = false;
    int groups = 0;
    int count = 0;
    std::vector<Span> spans;  // (groups + 1) per match: the whole match, then every group

    const Span* span(int match, int group) const {
        if (match < 1 || match > count || group < 0 || group > groups) {
            return nullptr;
        }
        const Span& s = spans[static_cast<std::size_t>(match - 1) * (groups + 1) + group];
        return s.begin == kAbsent ? nullptr : &s;
    }
    Text slice(const Span* s) const {
        return s == nullptr ? Text() : subject.substr(s->begin, s->end - s->begin);
    }
};

RegexObject::RegexObject() = default;
RegexObject::~RegexObject() = default;
RegexObject::RegexObject(const RegexObject&) = default;
RegexObject& RegexObject::operator=(const RegexObject&) = default;
RegexObject::RegexObject(RegexObject&&) noexcept = default;
RegexObject& RegexObject::operator=(RegexObject&&) noexcept = default;

bool RegexObject::execute(const Text& pattern, const Text& subject, bool caseSensitive,
                          bool multiline, bool global, bool quoteEscape) {
    auto results = std::make_shared<Results>();
    results->pattern = quoteEscape ? detail::withQuotes(pattern) : pattern;
    results->subject = subject;
    // Publish the (so far empty) results first: whatever happens below, the previous
    // execute's matches are gone.
    results_ = results;

    detail::MappedUtf8 utf8Pattern;
    detail::decodeGbkMapped(results->pattern, utf8Pattern, false);
    RE2::Options options;
    options.set_encoding(RE2::Options::EncodingUTF8);
    options.set_case_sensitive(caseSensitive);
    options.set_dot_nl(false);
    options.set_never_nl(false);
    options.set_log_errors(false);
    options.set_max_mem(kRegexMemoryBudget);
    const std::string source = (multiline ? "(?m)" : "") + utf8Pattern.utf8;
    const RE2 re(source, options);
    if (!re.ok()) {
        return false;
    }
    results->accepted = true;
    results->groups = re.NumberOfCapturingGroups();

    detail::MappedUtf8 text;
    detail::decodeGbkMapped(subject, text, true);
    const re2::StringPiece whole(text.utf8);
    const auto groupSlots = static_cast<std::size_t>(results->groups) + 1;
    std::vector<re2::StringPiece> found(groupSlots);
    std::size_t pos = 0;
    while (pos <= whole.size()) {
        if (!re.Match(whole, pos, whole.size(), RE2::UNANCHORED, found.data(),
                      static_cast<int>(groupSlots))) {
            break;
        }
        for (const re2::StringPiece& g : found) {
            Results::Span span;
            if (g.data() != nullptr) {
                const auto b = static_cast<std::size_t>(g.data() - whole.data());
                span.begin = text.gbkOffset[b];
                span.end = text.gbkOffset[b + g.size()];
            }
            results->spans.push_back(span);
        }
        ++results->count;
        if (!global) {
            break;
        }
        const auto matchEnd =
            static_cast<std::size_t>(found[0].data() - whole.data()) + found[0].size();
        if (found[0].empty()) {
            // An empty match: step one whole character on so the scan cannot stall.
            if (matchEnd >= whole.size()) {
                break;
            }
            pos = matchEnd + utf8Length(static_cast<unsigned char>(whole[matchEnd]));
        } else {
            pos = matchEnd;
        }
    }
    return true;
}

Text RegexObject::currentPattern() const {
    return results_ ? results_->pattern : Text();
}

Text RegexObject::replaceMatches(const Text& replacement) const {
    if (!results_ || !results_->accepted) {
        return {};
    }
    const Results& r = *results_;
    Text out;
    out.reserve(r.subject.size());
    std::size_t copied = 0;
    for (int m = 1; m <= r.count; ++m) {
        const Results::Span* whole = r.span(m, 0);
        out.append(r.subject, copied, whole->begin - copied);
        for (std::size_t i = 0; i < replacement.size(); ++i) {
            const char c = replacement[i];
            const char next = i + 1 < replacement.size() ? replacement[i + 1] : '\0';
            if (c != '$' || next == '\0') {
                out += c;
            } else if (next == '$') {
                out += '$';
                ++i;
            } else if (next == '&') {
                out += r.slice(whole);
                ++i;
            } else if (next >= '1' && next <= '9' && next - '0' <= r.groups) {
                out += r.slice(r.span(m, next - '0'));
                ++i;
            } else {
                out += c;  // not a reference: the "$" stays as written
            }
        }
        copied = whole->end;
    }
    out.append(r.subject, copied);
    return out;
}

int RegexObject::matchCount() const {
    return results_ ? results_->count : 0;
}

Text RegexObject::matchText(int match) const {
    return results_ ? results_->slice(results_->span(match, 0)) : Text();
}

Text RegexObject::subMatch(int match, int group) const {
    if (!results_ || group < 1) {
        return {};
    }
    return results_->slice(results_->span(match, group));
}

int RegexObject::subMatchCount() const {
    return results_ && results_->count > 0 ? results_->groups : 0;
}

}  // namespace pel
