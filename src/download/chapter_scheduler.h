// Chapter workers under a cap, the progress display and the saved book.
#pragma once

#include <string>

#include "core/app_state.h"

namespace pel {

void chapterLauncher(AppState& app, int);
void chapterWorker(AppState& app, int chapter);
void saveBook(AppState& app);

// trunc(done / count * 273) in double precision.
int progressFillWidth(int done, int count);
// The record of one chapter: title, CR LF, text without the title, CR LF.
Text chapterRecord(const Text& title, const Text& cleanedText);
// The saved book's file name, in UTF-8 and without ".txt": name and author joined by "-", with
// "/", | \ : < > " * and control characters removed after decoding. Never empty or dots
// alone (the book's id from its address stands in, or "未命名"), and cut at a character
// boundary so that with ".txt" it fits the 255 bytes a file name may have.
std::string bookFileName(const Text& name, const Text& author, const Text& bookUrl);

}  // namespace pel
