// Pages every demo site has: its home page, the cover pictures, and on the update host the
// update-information page.
#include <string>

#include "demo/demo_page_parts.h"
#include "text/encoding.h"

namespace pel::demo {

namespace {

bool serveUpdateHost(const DemoContext& ctx, const DemoRequest& req, DemoResponse& res) {
    if (req.path == "/pzwj/txtyz.php") {
        std::string page =
            "<html><head><meta charset=\"utf-8\"><title>版本信息</title></head>"
            "<body>\r\n";
        page += "最新版本：" + ctx.updateUtf8Version + "<br />\r\n";
        if (!ctx.updateUtf8Address.empty()) {
            page += "更新地址：" + ctx.updateUtf8Address + "<br />\r\n";
        }
        page += "历史更新：V.2.0 六站同搜，章节多线程下载<br />V.1.9 封面与简介显示修正#\r\n";
        page += "</body></html>\r\n";
        res.contentType = "text/html; charset=utf-8";
        res.body = page;
        return true;
    }
    if (req.path == "/pzwj/xiazai.html") {
        res.contentType = "text/html; charset=utf-8";
        res.body =
            "<html><head><meta charset=\"utf-8\"><title>下载</title></head><body>"
            "<p>最新版本的下载页。</p></body></html>\r\n";
        return true;
    }
    return false;
}

}  // namespace

bool serveCommonPages(const DemoContext& ctx, const DemoRequest& req, DemoResponse& res) {
    if (req.site == 0) {
        if (!serveUpdateHost(ctx, req, res)) {
            missingPage(0, res);
        }
        return true;
    }
    if (req.path.rfind("/cover/", 0) == 0) {
        const std::string file = req.path.substr(7);
        const size_t dot = file.find(".png");
        const DemoBook* book = dot != std::string::npos && dot + 4 == file.size()
                                   ? bookById(file.substr(0, dot))
                                   : nullptr;
        if (book == nullptr || !book->hasCover) {
            missingPage(req.site, res);
            return true;
        }
        unsigned seed = 0;
        for (char c : book->id) {
            seed = seed * 31u + static_cast<unsigned char>(c);
        }
        res.contentType = "image/png";
        res.body = coverPicture(seed);
        return true;
    }
    if (req.path == "/" || req.path == "/index.html") {
        if (req.site == 1) {
            res.contentType = "text/html; charset=utf-8";
            res.body =
                "<html><head><meta charset=\"utf-8\"><title>书库</title></head><body>"
                "<p>全本小说下载</p></body></html>\r\n";
        } else {
            static const Text kHome =
                gbk("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                    "charset=gbk\" /><title>小说书库</title></head>\r\n<body>\r\n"
                    "<p>欢迎光临本站</p>\r\n</body></html>\r\n");
            gbkPage(res, kHome);
        }
        return true;
    }
    return false;
}

}  // namespace pel::demo
