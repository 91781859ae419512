#pragma once
// Further frame optimisation after the usual steps: every frame that leaves
// its picture in place is rebuilt from the screens it turns one into the
// next, and the shortest of several encodings is kept. Frames that clear or
// restore their area are tried, on a copy kept when shorter, as frames that
// leave their picture (when no pixel ever goes back to nothing) or else as
// frames that clear just the area the next frame no longer shows. What
// every frame shows, and when, stays exactly the same.
//
// For each such frame the candidates are: the frame as it is; the smallest
// rectangle holding every changed pixel, with the pixels that repeat the
// screen made transparent all of them, none of them, only in runs of at
// least 6, 12 or 24, or where that continues the string the LZW encoder is
// building; each coloured through the global table when it holds the colours
// (borrowing for transparency an entry no drawn pixel needs, so a full table
// can still have it) or, when that can save bits, through a table of just the
// colours drawn. Every candidate is encoded and the shortest, counting its
// colour table, wins. Then colour tables lose the entries past the last one
// in use, even when they are already in order of use.

class TGIFImage;

// Answers the number of frames rebuilt. An image with a frame outside the
// screen, or pixels past their table, is left as it is.
//
// With `lossy` above 0 (up to 200) what a frame shows may differ from the
// animation's own pixels, each by at most 0.27 x lossy in RGB distance (the
// scale the optimise benchmark compares with other lossy encoders): a pixel
// the screen already shows that closely is left alone, and a pixel takes a
// close colour when that continues the string the LZW encoder is building.
int FindSmallestEncoding(TGIFImage& image, int lossy = 0);
