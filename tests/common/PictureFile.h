// Small real pictures written by tests: one colour each, in the format asked for.
#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QSize>
#include <filesystem>

#include "platform/Text.h"

// A picture of one colour, so that pictures of one name can be told apart: a JPEG unless
// another format is named ("BMP", as thumbnails are stored). The folder must exist.
inline void WritePicture(const std::filesystem::path& file, QColor colour, QSize size = {240, 160},
                         const char* format = "JPG") {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(ToQString(file.string()), format)) << file;
}
