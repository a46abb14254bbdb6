// The demo sites' covers: PNGs that a decoder other than their encoder reads back.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include "demo/demo_page_parts.h"

namespace pel {
namespace {

TEST(DemoCover, DecodesToAFramedColourBlockToldApartByItsSeed) {
    const Bytes png = demo::coverPicture(7);
    const QImage image = QImage::fromData(reinterpret_cast<const uchar*>(png.data()),
                                          static_cast<int>(png.size()), "PNG");
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(48, 64));
    EXPECT_EQ(image.pixelColor(0, 0), QColor(240, 240, 240));
    EXPECT_EQ(image.pixelColor(47, 63), QColor(240, 240, 240));
    // The fill of seed 7: 60 + (7 * 53, 7 * 97, 7 * 31) mod 160.
    EXPECT_EQ(image.pixelColor(24, 32), QColor(60 + 371 % 160, 60 + 679 % 160, 60 + 217 % 160));
    EXPECT_NE(demo::coverPicture(8), png);
}

}  // namespace
}  // namespace pel
