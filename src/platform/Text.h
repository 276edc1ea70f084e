// Conversion between the program's UTF-8 texts and Qt's strings at the widget boundary.
#pragma once

#include <QString>
#include <string>
#include <string_view>

QString ToQString(std::string_view text);
std::string ToStdString(const QString& text);
