// GBK byte-string texts and the operations every page cut is built on.
//
// A Text holds GBK (code page 936) bytes. Positions are 1-based byte positions, -1 means
// "not found". A byte >= 0x80 and the byte after it form one double-byte character; the find
// routine steps one character at a time, so a match never begins on a trailing byte, and
// every other routine here is built on it. Letter-case folding touches ASCII A-Z/a-z only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pel {

using Text = std::string;   // GBK bytes; ends at its first zero byte when it came from a page
using Bytes = std::string;  // raw bytes (bodies, pictures)

inline constexpr int kAllOccurrences = -1;

// The bytes of a body up to its first zero byte.
Text textFromBytes(std::string_view bytes);

// 1-based position of the first occurrence of `sub` at or after `start` (below 1 means 1), or
// -1. An empty `sub` is found at 1 whenever the text from `start` on is not empty.
int findText(std::string_view text, std::string_view sub, int start = 1, bool ignoreCase = false);

// 1-based position of the last occurrence of `sub` that starts on a character boundary, or -1.
int findLastText(std::string_view text, std::string_view sub);

bool containsText(std::string_view text, std::string_view sub, bool ignoreCase = false);

// Every occurrence (at most maxCount when it is not kAllOccurrences) of `sub` from startPos on,
// left to right without overlap, replaced by `repl`; the replacement is not searched again.
// An empty `sub` leaves the text unchanged.
Text replaceText(std::string_view text, std::string_view sub, std::string_view repl,
                 bool ignoreCase = false, int startPos = 1, int maxCount = kAllOccurrences);

// replaceText with an empty replacement, case-sensitive.
Text removeText(std::string_view text, std::string_view sub);

// Leading and trailing runs of blanks removed: 0x20 and the full-width space 0xA1 0xA1.
Text trimBlanks(std::string_view text);

// `length` bytes from 1-based `pos`; empty for a start outside the text or length <= 0.
Text substrAt(std::string_view text, int pos, int length);

// The first n bytes (empty for n <= 0).
Text leftBytes(std::string_view text, int n);

// Split at `separator`: pieces in order, the one before the first separator included; an
// empty rest after the last separator is not a piece; an empty text gives no piece.
std::vector<Text> splitText(std::string_view text, std::string_view separator);

// The text strictly between the first `left` (from startPos) and the first `right` after it;
// empty when either is missing. "#引号" in either marker stands for a double quote.
Text textBetween(std::string_view text, std::string_view left, std::string_view right,
                 int startPos = 1, bool ignoreCase = false);

// Every trimmed, non-empty piece between left/right pairs, into `list`; returns list.size().
int textBetweenAll(std::string_view text, std::string_view left, std::string_view right,
                   std::vector<Text>& list, bool includeLeft = false, bool includeRight = false,
                   bool caseSensitive = false, int maxLength = 0, std::string_view prefix = {},
                   std::string_view suffix = {}, int startPos = 1);

// Up to five find/replace pairs applied one after the other.
Text replaceFive(std::string_view text, int maxCount, int startPos, bool caseSensitive,
                 std::string_view find1, std::string_view repl1, std::string_view find2 = {},
                 std::string_view repl2 = {}, std::string_view find3 = {},
                 std::string_view repl3 = {}, std::string_view find4 = {},
                 std::string_view repl4 = {}, std::string_view find5 = {},
                 std::string_view repl5 = {});

// Decimal form of an integer, as the labels show it.
Text decimal(long long value);

}  // namespace pel
