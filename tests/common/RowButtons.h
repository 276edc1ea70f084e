// Checks the small row buttons of a frame: each tall enough to show its picture whole inside its
// face, and the buttons of a column apart from each other.
#pragma once

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <span>
#include <utility>

// A row button and the picture laid over it.
using TRowButton = std::pair<QPushButton*, QLabel*>;

// Every button is visible, at least 4 pixels taller than its picture and holds it with 2 pixels
// above and below; each of the first `stacked` buttons ends where the next one starts or above.
inline void ExpectRowButtonsShowTheirPictures(std::span<const TRowButton> buttons,
                                              std::size_t stacked) {
    for (const auto& [button, picture] : buttons) {
        SCOPED_TRACE(button->objectName().toStdString());
        ASSERT_TRUE(button->isVisible());
        EXPECT_GE(button->height(), picture->pixmap().height() + 4);
        EXPECT_TRUE(button->geometry().contains(picture->geometry().adjusted(0, -2, 0, 2)));
    }
    for (std::size_t i = 0; i < stacked && i + 1 < buttons.size(); ++i)
        EXPECT_LE(buttons[i].first->geometry().bottom(), buttons[i + 1].first->y());
}
