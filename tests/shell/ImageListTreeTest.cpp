// The tree's icons: every number of the icon scheme has a picture.
#include <gtest/gtest.h>

#include <QImage>
#include <vector>

#include "shell/ImageListTree.h"

namespace {

bool IsBlank(const QPixmap& pixmap) {
    const QImage image = pixmap.toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0) return false;
    return true;
}

TEST(ImageListTree, EveryIconOfTheSchemeHasAPicture) {
    const TImageListTree list;
    std::vector<int> drawn = {0,  1,  4,  5,  10, 11, 12, 13, 14, 16, 17, 18,
                              19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29};
    for (int folder = 80; folder < 112; ++folder) drawn.push_back(folder);
    for (const int index : drawn) EXPECT_FALSE(IsBlank(list.Pixmap(index))) << index;
    for (const int index : {2, 3, 15, 79, 112, -1, 5000}) EXPECT_TRUE(IsBlank(list.Pixmap(index)));
    // Open and closed folders differ; so do the two pictures of a file collection.
    EXPECT_NE(list.Pixmap(80).toImage(), list.Pixmap(81).toImage());
    EXPECT_NE(list.Pixmap(20).toImage(), list.Pixmap(21).toImage());
    EXPECT_NE(list.Pixmap(80).toImage(), list.Pixmap(82).toImage());
}

TEST(ImageListTree, NodeIconsShowTheSelectedPictureWhileSelected) {
    const TImageListTree list;
    const QIcon icon = list.NodeIcon(20, 21);
    EXPECT_EQ(icon.pixmap(16, QIcon::Normal).toImage(), list.Pixmap(20).toImage());
    EXPECT_EQ(icon.pixmap(16, QIcon::Selected).toImage(), list.Pixmap(21).toImage());
}

}  // namespace
