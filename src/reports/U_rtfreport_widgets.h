// The picture conversion of the reports that needs Qt's image readers: a BMP file made a PNG,
// which the report engine writes as an RTF picture (WritePngBlip).
#pragma once

#include <string>

// Writes the BMP file's picture as a PNG file of the same pixel size. False, and no file at
// `pngPath`, when the bitmap cannot be read or the PNG cannot be written.
bool BitmapToPng(const std::string& bmpPath, const std::string& pngPath);
