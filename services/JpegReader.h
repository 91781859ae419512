#pragma once
// JPEG files through libjpeg, decoded into a 24-bit bitmap. A damaged file
// never aborts the program: libjpeg's fatal errors come back as a failure.

#include <QString>

#include "raster/Bitmap.h"

struct TJpegReadResult {
    bool Ok = false;
    QString Error; // libjpeg's own words when Ok is false
    int Width = 0;  // the picture's own size, whatever size it was decoded at
    int Height = 0;
};

// Grey, RGB, CMYK and YCCK files are read; the picture becomes pf24bit.
// With FitEdge above 0 only a preview is wanted: the picture may come out
// smaller (1/2, 1/4 or 1/8, scaled while decoding, which is far quicker) but
// still at least twice what fitting it into FitEdge x FitEdge needs.
TJpegReadResult ReadJpegFile(const QString& Path, TBitmap& Bitmap, int FitEdge = 0);
TJpegReadResult ReadJpegData(const unsigned char* Data, unsigned long Size, TBitmap& Bitmap, int FitEdge = 0);
