#pragma once
// Files in the wild hold pixels whose index lies past every colour table of
// their frame. Browsers show such pixels black; our writer refuses them. This
// repair makes a loaded animation writable without changing what it shows.

class TGIFImage;

// Appends black entries to the table a frame is drawn with (its local table,
// else the global one) until every pixel index of the frame has an entry.
// Answers how many tables grew.
int ExtendColorTablesToPixels(TGIFImage& image);
