// Kept apart from app_fixture.cpp so that suites without the demo sites do not link them.
#include <gtest/gtest.h>

#include "demo/demo_sites.h"
#include "support/app_fixture.h"

namespace pel::testing {

namespace {

std::shared_ptr<demo::DemoSites> startDemoSites() {
    auto sites = std::make_shared<demo::DemoSites>();
    if (!sites->start()) {
        ADD_FAILURE() << "the demo sites could not bind their loopback ports";
    }
    return sites;
}

}  // namespace

DemoAppFixture::DemoAppFixture(const SettingsAdjust& adjust)
    : DemoAppFixture(startDemoSites(), adjust) {}

DemoAppFixture::DemoAppFixture(std::shared_ptr<demo::DemoSites> sites, const SettingsAdjust& adjust)
    : AppFixture(
          [&](AppSettings& settings) {
              demo::useDemoSites(settings, *sites);
              if (adjust) {
                  adjust(settings);
              }
          },
          sites),
      sites_(sites) {}

demo::DemoSites& DemoAppFixture::sites() {
    return *sites_;
}

}  // namespace pel::testing
