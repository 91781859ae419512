#pragma once
// JPEG files through libjpeg, decoded into a 24-bit bitmap. A damaged file
// never aborts the program: libjpeg's fatal errors come back as a failure.

#include <QString>

#include "platform/raster/Bitmap.h"

struct TJpegReadResult {
    bool Ok = false;
    QString Error; // libjpeg's own words when Ok is false
};

// Grey, RGB, CMYK and YCCK files are read; the picture becomes pf24bit.
TJpegReadResult ReadJpegFile(const QString& Path, TBitmap& Bitmap);
TJpegReadResult ReadJpegData(const unsigned char* Data, unsigned long Size, TBitmap& Bitmap);
