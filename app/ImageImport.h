#pragma once
// Pictures from files, before they become frames: the file kinds the editor
// knows by extension, and the readers for still pictures.

#include <QString>

#include "raster/Bitmap.h"

// By the extension, lower-cased: 0 GIF, 1 JPEG (".jpg" and ".jpeg"), 2 BMP,
// 3 video (".avi", and ".mp4", ".m4v", ".webm", ".mov", ".mkv"), 6 PNG,
// 7 WebP, 5 anything else.
enum TFileKind : int { fkGIF = 0, fkJPEG = 1, fkBMP = 2, fkAVI = 3, fkUnknown = 5, fkPNG = 6, fkWebP = 7 };

// A picture read as a still (JPEG, BMP or PNG).
inline bool IsStillPicture(TFileKind Kind) { return Kind == 1 || Kind == 2 || Kind == 6; }
TFileKind FileKindOf(const QString& Path);
// A WebP (still or animated) or an animated PNG: read as an animation.
bool IsWebAnimation(const QString& Path, TFileKind Kind);

// A JPEG (through libjpeg), a BMP or a PNG (every common variant, through
// Qt's readers) into a bitmap: paletted files stay 8-bit with their colours,
// the rest become 24-bit; a PNG's see-through pixels become the bitmap's
// transparent colour. Answers an empty text, or why the file could not be
// read (the bitmap untouched then).
QString LoadStillPicture(const QString& Path, TFileKind Kind, TBitmap& Bitmap);
