// SPDX-License-Identifier: GPL-3.0-or-later
#include <QIcon>
#include <QImage>
#include <gtest/gtest.h>

#include "MBrowser/Pictures.h"

TEST(Pictures, ToolIconsAreDrawnAtTheSizeAskedAndGreyedWhenDisabled) {
    const QIcon icon = ToolIcon(ToolPicture::Sent);
    for (int side : {16, 24, 40, 64}) {
        const QPixmap normal = icon.pixmap(QSize(side, side));
        ASSERT_FALSE(normal.isNull());
        EXPECT_EQ(normal.size(), QSize(side, side));
        EXPECT_EQ(normal.toImage().pixelColor(side / 2, side / 4).alpha(), 255) << "the disc is drawn at " << side;
    }
    const QImage normal = icon.pixmap(24).toImage();
    const QImage disabled = icon.pixmap(24, QIcon::Disabled).toImage();
    ASSERT_EQ(disabled.size(), normal.size());
    EXPECT_NE(disabled, normal);
    const QColor blue = normal.pixelColor(12, 6), grey = disabled.pixelColor(12, 6);
    EXPECT_GT(blue.blue() - blue.red(), 60);
    EXPECT_LT(std::abs(grey.blue() - grey.red()), 30);  // no colour left
    // Asked again, the same drawing comes back: a picture is drawn once per size.
    EXPECT_EQ(icon.pixmap(24).cacheKey(), icon.pixmap(24).cacheKey());
}
