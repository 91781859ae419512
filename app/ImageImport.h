#pragma once
// Pictures from files, before they become frames: the file kinds the editor
// knows by extension, and the readers for still pictures.

#include <QString>

#include "raster/Bitmap.h"

// By the extension, lower-cased: 0 GIF, 1 JPEG (".jpg" and ".jpeg"), 2 BMP,
// 3 video (".avi", and ".mp4", ".m4v", ".webm", ".mov", ".mkv"), 5 anything else.
enum TFileKind : int { fkGIF = 0, fkJPEG = 1, fkBMP = 2, fkAVI = 3, fkUnknown = 5 };
TFileKind FileKindOf(const QString& Path);

// A JPEG (through libjpeg) or a BMP (every common variant, through Qt's
// reader) into a bitmap: paletted files stay 8-bit with their colours, the
// rest become 24-bit. Answers an empty text, or why the file could not be
// read (the bitmap untouched then).
QString LoadStillPicture(const QString& Path, TFileKind Kind, TBitmap& Bitmap);
