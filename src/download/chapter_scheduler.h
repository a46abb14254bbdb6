// Chapter workers under a cap, the progress display and the saved book.
#pragma once

#include "core/app_state.h"

namespace pel {

void chapterLauncher(AppState& app, int);
void chapterWorker(AppState& app, int chapter);
void saveBook(AppState& app);

// trunc(done / count * 273) in double precision.
int progressFillWidth(int done, int count);
// The record of one chapter: title, CR LF, text without the title, CR LF.
Text chapterRecord(const Text& title, const Text& cleanedText);
// The file name (without ".txt") from the book's name and author.
Text bookFileName(const Text& name, const Text& author);

}  // namespace pel
