// Texts that several parts of the program share, as GBK bytes.
#pragma once

#include "text/text.h"

namespace pel {

const Text& noCoverFileName();    // "zwfm.jpg"
const Text& noIntroText();        // "\r\n- - - 暂 无 简 介 - - -"
const Text& searchPlaceholder();  // "点此输入小说名称"
const Text& programVersion();     // "V." and the project version: "V.2.0"

}  // namespace pel
