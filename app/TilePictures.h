#pragma once
// What the frames list's tiles show: a frame's picture fitted to the tile,
// the composed screen of every frame in one pass, and the delay in a tile's
// top strip.

#include <QColor>
#include <QImage>
#include <vector>

class QPainter;
class QRect;
class TGIFImage;
class TGIFSubImage;

// The longer side at most Size (the other keeping the proportion), 32 bits.
QImage FitToTile(const QImage& Picture, int Size);

// What the screen shows at each frame, over Background, fitted to Size.
std::vector<QImage> ComposedTiles(const TGIFImage& Image, const QColor& Background, int Size);

// What the screen shows at frame Index, over Background, at its own size; the
// frames after it are not composed. Null for a frame that does not exist.
QImage ComposedScreen(const TGIFImage& Image, int Index, const QColor& Background);

// The delay at the strip's right in Text; 0 and 1 are marked, since browsers
// show such frames for 10 hundredths.
void DrawTileDelay(QPainter& Painter, const QRect& Strip, const TGIFSubImage& Frame, const QColor& Text);
