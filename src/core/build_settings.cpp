#include "build_config.h"
#include "core/app_state.h"
#include "text/encoding.h"

namespace pel {

AppSettings buildSettings() {
    AppSettings settings;
    settings.programDirectory = executableDirectory();
    settings.pageDirectory = settings.programDirectory;
    settings.bookDirectory = settings.programDirectory;
    for (int site = 1; site <= kSiteCount; ++site) {
        settings.sites.baseUrl[site] = gbk(build::kSiteUrl[site]);
        settings.sites.domainMarker[site] = gbk(build::kSiteDomain[site]);
    }
    settings.sites.updateUrl = gbk(build::kUpdateUrl);
    settings.marks.xswHost = gbk(build::kMarkXswHost);
    settings.marks.meikeName = gbk(build::kMarkMeikeName);
    settings.marks.meikeHost = gbk(build::kMarkMeikeHost);
    settings.marks.site3Domain = gbk(build::kMarkSite3Domain);
    settings.marks.site4Host = gbk(build::kMarkSite4Host);
    settings.marks.site4MobileHost = gbk(build::kMarkSite4MobileHost);
    return settings;
}

}  // namespace pel
