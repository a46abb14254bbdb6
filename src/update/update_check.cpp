#include "update/update_check.h"

#include "core/fixed_texts.h"
#include "text/encoding.h"

namespace pel {

void checkForUpdate(AppState& app, int) {
    static const Text versionMarker = gbk("最新版本：");
    static const Text addressMarker = gbk("更新地址：");
    static const Text historyMarker = gbk("历史更新：");
    static const Text noticeHead = Text(30, ' ') + gbk("--- 点此更新：");

    UpdateInfo info;
    info.pageText = utf8ToGbk(textFromBytes(app.fetch(app.settings.sites.updateUrl)));
    info.latestVersion = textBetween(info.pageText, versionMarker, "<br />");
    info.updateAddress = textBetween(info.pageText, addressMarker, "<br />");
    info.updateHistory = textBetween(info.pageText, historyMarker, "#");
    app.updateInfo.set(info);

    // Plain inequality, not an ordering: any other announced version raises the notice.
    if (info.latestVersion.empty() || info.latestVersion == programVersion()) {
        return;
    }
    app.window.setText(Control::DisclaimerLabel,
                       noticeHead + info.latestVersion + " ---" + info.updateHistory);
    app.window.setCursor(Control::DisclaimerLabel, Cursor::Hand);
}

void openUpdateLink(AppState& app) {
    static const Text noticeMark = gbk("点此更新");
    if (!containsText(app.window.text(Control::DisclaimerLabel), noticeMark)) {
        return;
    }
    const Text address = app.updateInfo.get().updateAddress;
    if (address.empty()) {
        return;
    }
    // Hands over http and https addresses only.
    openInBrowser(app, address);
}

}  // namespace pel
