#pragma once
// HTML that serves an animation the way pages do today: a <picture> whose
// WebP source browsers take when they can, with the GIF as the fallback, or
// a muted looping <video> with WebM and MP4 sources. Both give width and
// height (no layout shift) and show a still picture to readers who ask for
// reduced motion. Every inserted value is escaped.

#include <string>

struct TWebSnippet {
    std::string Gif;     // the animation as GIF ("anim.gif"), the fallback
    std::string Still;   // the still picture for reduced motion ("anim-still.png")
    std::string Alt;     // what the animation shows, for those who cannot see it
    std::string Link;    // where a click goes; empty: nowhere
    int Width = 0, Height = 0;
    bool Loops = true;   // the video plays again and again (the GIF loops)
};

// The names the snippets give the other files, from the GIF's name:
// "anim.gif" gives "anim.webp", "anim.mp4", "anim.webm", "anim-still.png".
std::string SiblingName(const std::string& gif, const std::string& suffix);

// Text made safe inside an attribute value or an element: & < > " '.
std::string EscapeHtml(const std::string& text);

// <picture> with a reduced-motion still, a WebP source and the GIF in <img loading="lazy">.
std::string PictureSnippet(const TWebSnippet& snippet);
// <video autoplay loop muted playsinline> with WebM and MP4 sources, the
// still as its poster; a one-line script keeps it still for reduced motion.
std::string VideoSnippet(const TWebSnippet& snippet);
