// Conversion between the program's UTF-8 texts and Qt's strings at the widget boundary.
#include "platform/Text.h"

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToStdString(const QString& text) { return text.toUtf8().toStdString(); }
