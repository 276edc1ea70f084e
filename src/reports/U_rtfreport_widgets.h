// The picture conversion of the reports that needs Qt's image readers: a BMP file made a PNG,
// which the report engine writes as an RTF picture (WritePngBlip).
#pragma once

#include <QImage>
#include <cstdio>
#include <string>

#include "reports/U_rtfreport.h"

// Writes the BMP file's picture as a PNG file of the same pixel size. False, and no file at
// `pngPath`, when the bitmap cannot be read or the PNG cannot be written.
bool BitmapToPng(const std::string& bmpPath, const std::string& pngPath);

// Writes a picture file into the report by its kind (ReportPictureKind): a JPEG as it is, a BMP
// made "Picture.png" in `tempFolder` (ending in "/") first and removed afterwards; any other
// file writes nothing. The picture bytes written, or -1 when nothing was.
int WriteReportPicture(const std::string& path, TLabelPictureSize size, FILE* report,
                       const std::string& tempFolder);

// Writes an image (a chart) into the report as a PNG made "Chart.png" in `tempFolder` and
// removed afterwards. The picture bytes written, or -1 when nothing was.
int WriteReportImage(const QImage& image, TLabelPictureSize size, FILE* report,
                     const std::string& tempFolder);
