#pragma once
// The last step of the smallest encoding: every frame gets the usual
// encoder's data (or keeps shorter data it holds), and is parsed again
// looking strings ahead where that pays; saving writes what is kept.
// The slower parse wins some pictures by a tenth and loses others; it is
// tried on the first frames and then only while it keeps paying, with a
// frame now and then to notice a change, so animations where it does not
// pay spend little on it.

class TGIFImage;

// Answers the number of frames given shorter data. What every frame holds
// stays the same; only the data saving writes changes.
int ParseAheadWherePaying(TGIFImage& image);
