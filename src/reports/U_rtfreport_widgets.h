// The picture conversion of the reports that needs Qt's image readers: a picture made a PNG,
// which the report engine writes as an RTF picture (WritePngBlip).
#pragma once

#include <QImage>
#include <cstdio>
#include <string>

#include "reports/U_rtfreport.h"

// Writes the picture of the file, read by its content whatever its name says (a BMP, or a
// JPEG named ".bmp"), as a PNG file of the same pixel size. False, and no file at `pngPath`,
// when no picture can be read from it or the PNG cannot be written.
bool BitmapToPng(const std::string& picturePath, const std::string& pngPath);

// Writes a picture file whose extension makes it a report picture (ReportPictureKind) into the
// report at the label's size (a picture without one fitted into size.TextWidth) by its content: a JPEG as it is, any other picture made "Picture.png" in `tempFolder`
// (ending in "/") first and removed afterwards; any other file writes nothing. The picture
// bytes written, or -1 when nothing was.
int WriteReportPicture(const std::string& path, TLabelPictureSize size, FILE* report,
                       const std::string& tempFolder);

// Writes an image (a chart) into the report at the label's size, as WriteReportPicture, as a
// PNG made "Chart.png" in `tempFolder` and removed afterwards. The picture bytes written, or -1 when nothing was.
int WriteReportImage(const QImage& image, TLabelPictureSize size, FILE* report,
                     const std::string& tempFolder);
