// A developer aid for pictures of the window: with PELNORIA_SCREENSHOT=<file.png> set, the
// window saves a picture of itself after PELNORIA_SCREENSHOT_MS (default 3000) and closes.
// PELNORIA_SCREENSHOT_SEARCH=<title> first types the title and starts a search, so that the
// picture shows a result strip, and PELNORIA_SCREENSHOT_CLICK=<n> clicks the n-th thumbnail a
// second before the picture is taken (or at PELNORIA_SCREENSHOT_CLICK_MS; later when the strip
// does not show it yet); with PELNORIA_SCREENSHOT_DOWNLOAD=1 the download button follows the
// click. Without PELNORIA_SCREENSHOT nothing happens.
#pragma once

namespace pel {

class MainWindow;

void scheduleScreenshotFromEnvironment(MainWindow& window);

}  // namespace pel
