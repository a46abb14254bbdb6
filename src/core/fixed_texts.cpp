#include "core/fixed_texts.h"

#include "build_config.h"

#include "text/encoding.h"

namespace pel {

const Text& noCoverFileName() {
    static const Text text = gbk("zwfm.jpg");
    return text;
}

const Text& noIntroText() {
    static const Text text = gbk("\r\n- - - 暂 无 简 介 - - -");
    return text;
}

const Text& searchPlaceholder() {
    static const Text text = gbk("点此输入小说名称");
    return text;
}

const Text& programVersion() {
    static const Text text = Text("V." PELNORIA_VERSION);
    return text;
}

}  // namespace pel
