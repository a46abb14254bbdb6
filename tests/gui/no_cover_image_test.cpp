// The built-in cover: a baseline JFIF JPEG of 1998 bytes, 128x185, three components, 96 dpi.
#include <gtest/gtest.h>

#include <QImage>

#include "core/no_cover_image.h"

namespace pel {
namespace {

int word(const Bytes& b, std::size_t at) {
    return static_cast<unsigned char>(b[at]) << 8 | static_cast<unsigned char>(b[at + 1]);
}

TEST(NoCoverImage, IsABaselineJfifOfTheRightShape) {
    const Bytes& jpeg = noCoverImage();
    ASSERT_EQ(jpeg.size(), 1998u);
    EXPECT_EQ(word(jpeg, 0), 0xFFD8);  // SOI
    EXPECT_EQ(word(jpeg, 2), 0xFFE0);  // APP0 first
    EXPECT_EQ(jpeg.substr(6, 5), Bytes("JFIF\0", 5));
    EXPECT_EQ(jpeg[13], 1);  // density in dots per inch
    EXPECT_EQ(word(jpeg, 14), 96);
    EXPECT_EQ(word(jpeg, 16), 96);
    EXPECT_EQ(word(jpeg, jpeg.size() - 2), 0xFFD9);  // EOI

    // Walk the segments up to the frame header: it must be SOF0 (baseline), not another SOF.
    std::size_t at = 2;
    int frame = 0;
    while (at + 4 <= jpeg.size() && frame == 0) {
        ASSERT_EQ(static_cast<unsigned char>(jpeg[at]), 0xFF) << "at " << at;
        const int marker = static_cast<unsigned char>(jpeg[at + 1]);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
            marker != 0xCC) {
            frame = marker;
            EXPECT_EQ(static_cast<unsigned char>(jpeg[at + 4]), 8);  // sample precision
            EXPECT_EQ(word(jpeg, at + 5), 185);                      // height
            EXPECT_EQ(word(jpeg, at + 7), 128);                      // width
            EXPECT_EQ(static_cast<unsigned char>(jpeg[at + 9]), 3);  // components
            break;
        }
        ASSERT_NE(marker, 0xDA) << "scan before frame header";
        at += 2 + word(jpeg, at + 2);
    }
    EXPECT_EQ(frame, 0xC0);

    const QImage image = QImage::fromData(reinterpret_cast<const uchar*>(jpeg.data()),
                                          static_cast<int>(jpeg.size()), "JPEG");
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(128, 185));
    EXPECT_NEAR(image.dotsPerMeterX(), 3780, 1);  // 96 dpi
}

}  // namespace
}  // namespace pel
