// A regular-expression matcher that runs one pattern over one GBK subject and keeps every
// match, numbered from 1, with its groups numbered from 1. Built on RE2: the subject is
// decoded to UTF-8 before matching and match and group texts are encoded back to GBK, so "."
// takes one whole Chinese character. "." never matches a line feed; letter case is ignored
// unless asked otherwise; all matches are collected left to right without overlap. Every
// failure (rejected pattern, out-of-range number) gives an empty value.
//
// An instance holds the results of its last execute: one thread at a time. Copies share the
// results of the execute they were copied after.
#pragma once

#include <memory>

#include "text/text.h"

namespace pel {

class RegexObject {
  public:
    RegexObject();
    ~RegexObject();
    RegexObject(const RegexObject&);
    RegexObject& operator=(const RegexObject&);
    RegexObject(RegexObject&&) noexcept;
    RegexObject& operator=(RegexObject&&) noexcept;

    // True when the pattern was accepted (also with zero matches). quoteEscape replaces every
    // "#引号" in the pattern by a double quote first.
    bool execute(const Text& pattern, const Text& subject, bool caseSensitive = false,
                 bool multiline = true, bool global = true, bool quoteEscape = false);
    Text currentPattern() const;
    Text replaceMatches(const Text& replacement) const;
    int matchCount() const;
    Text matchText(int match) const;
    Text subMatch(int match, int group) const;
    int subMatchCount() const;

  private:
    struct Results;
    std::shared_ptr<const Results> results_;
};

}  // namespace pel
