// The small pictures of the tree's nodes, by the icon numbers that the budget list and the
// object tables store.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <map>
#include <utility>
#include <vector>

// The icons, drawn when the list is made:
//   0, 1    running budget (1 while expanded)       4, 5    stopped budget
//   10, 11  calendar                                12, 13  journal
//   14      ".." (the way up in a folder's list)
//   16      table        18  image album      20, 21  file collection (21 when selected)
//   22      number       24, 26, 28  pay with direction out, in, neutral
//   80 ... 110  folders in sixteen colours, each open at the next odd number
// An object's odd number shows the object's even one; any other number shows an empty picture.
class TImageListTree {
public:
    TImageListTree();

    int Count() const { return static_cast<int>(pixmaps_.size()); }
    // The picture of a number (an empty one outside the list).
    QPixmap Pixmap(int index) const;
    // A node's icon: `image` normally, `selectedImage` while the node is selected.
    QIcon NodeIcon(int image, int selectedImage) const;

private:
    std::vector<QPixmap> pixmaps_;
    QPixmap empty_;
    mutable std::map<std::pair<int, int>, QIcon> icons_;
};
