#pragma once
// Moving what an animation holds (its header with the screen and global
// table, and its frames) between two images without copying the frames.

class TGIFImage;

// `target` is cleared and takes over the source's header and frames; the
// source is left without frames.
void MoveImageContents(TGIFImage& target, TGIFImage& source);

// The two images trade headers and frames.
void TradeImageContents(TGIFImage& a, TGIFImage& b);
