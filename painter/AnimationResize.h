#pragma once
// Resizing a whole animation. Every frame becomes the complete picture the
// animation shows after it (disposal and transparency honoured, as a browser
// composes it), stretched to the new size and placed at 0,0; then all frames
// share one colour table when their colours fit one (else each keeps its own
// exact table). Stretching takes the nearest source pixel, so no colour
// appears that the animation did not have.

#include <functional>

class TGIFImage;

// Sizes outside 1..1000 are brought in (below 1: 10; above 1000: 1000).
int ClampAnimationSide(int side);

// Resizes `image` to width x height. `keepGoing(percent)` is asked after each
// frame; answering false stops the work and leaves the image as it was, and
// then the function answers false. A result past the pixel budget is refused
// with "Image too large" before anything changes.
bool ResizeAnimation(TGIFImage& image, int width, int height,
                     const std::function<bool(int percent)>& keepGoing = {});

// Every frame made the whole picture it shows, at the animation's own size
// (whatever that is: no side is brought into 1..1000), as ResizeAnimation
// makes them. For edits and exports that need each frame to stand alone.
// keepGoing as for ResizeAnimation.
bool FlattenAnimation(TGIFImage& image, const std::function<bool(int percent)>& keepGoing = {});
