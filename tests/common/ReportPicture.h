// What a report's picture label writes: the bytes a report's data writes for one picture.
#pragma once

#include <cstdio>
#include <string>

#include "reports/U_reportmake.h"

// The bytes `data` writes for picture `number` in the main template (row 0) or in data row
// `row`, at the picture's own size.
inline std::string PictureBytes(TReportData& data, int number, int row) {
    FILE* report = std::tmpfile();
    data.WritePicture(report, number, {}, row);
    std::string bytes(static_cast<std::size_t>(std::ftell(report)), '\0');
    std::rewind(report);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), report));
    std::fclose(report);
    return bytes;
}
