#pragma once
// JPEG files through libjpeg: quality, progressive or baseline, grey or
// colour, and the DCT method (accurate for best quality, fast for speed).
// libjpeg's fatal errors come back as a failure, never an abort.

#include <QByteArray>
#include <QImage>
#include <QString>

struct TJpegOptions {
    int Quality = 50;         // 1..100
    bool Progressive = false;
    bool Grayscale = false;
    bool BestQuality = true;  // accurate integer DCT; false: the fast one
};

// The encoded file, or an empty array with Error set.
QByteArray EncodeJpeg(const QImage& Picture, const TJpegOptions& Options, QString* Error = nullptr);
