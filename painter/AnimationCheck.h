#pragma once
// Check Animation: what browsers will do with an animation, whom it may
// harm, and where its bytes go. Each finding names its frames, says in plain
// words what happens, and carries the fix where one exists; a fix is an
// operation (one step through the log), after which its rule passes.
//
// Playback, as current browsers play a GIF:
//   short-delays        delays of 0 or 1 hundredths show for 10 (fix: 2)
//   loop-count          a count of n plays n + 1 times in current browsers,
//                       n in some older programs; listed when the longer
//                       reading runs past 5 s (fix: a count both readings
//                       end within 5 s, where one exists)
//   first-restores-previous  nothing to restore before the first frame (fix: restore to background)
//   outside-screen      a frame reaching past the screen is cut off
//   reserved-disposal   disposal codes 4-7 are read as "leave" (fix: leave)
//   unused-screen       the screen is larger than all that is drawn (fix: crop)
//   running-time, frame-rate, file-size   past what pages usually carry
//                       (30 s; 30 frames a second in a file over 1 MB; 5 MB)
// Accessibility (WCAG 2.2):
//   flashes             more than three flashes in a second (2.3.1; FlashCheck)
//                       (fix: the frames involved last at least 17 hundredths)
//   endless-motion      moving without end and no way to stop it (2.2.2)
//                       (fix: a count that ends within 5 s, where one exists)
//   not-looked-at       the pictures are too large to compose (over 2^24
//                       pixels a screen, 2^30 in all): flashes unchecked
// Bytes: each frame's share of the saved file (ByteCost).

#include <cstdint>
#include <string>
#include <vector>

#include "gif/ByteCost.h"
#include "raster/Geometry.h"

class TFrameEditLog;
class TGIFImage;

enum class TCheckArea { Playback, Accessibility };
enum class TCheckFix { None, DelaysToTwo, LoopCount, FirstFrameToBackground, DisposalToLeave, Crop, SlowDown };

struct TCheckFinding {
    std::string Rule;  // the short name above
    TCheckArea Area = TCheckArea::Playback;
    std::vector<int> Frames;  // empty: the whole animation
    std::string Title;        // one line
    std::string Explanation;  // what happens, in plain words
    TCheckFix Fix = TCheckFix::None;
    std::string FixCaption;   // what the fix does
    int Value = 0;            // LoopCount: the count; SlowDown: the least delay
    TRect Kept{};             // Crop: the part of the screen kept
};

struct TCheckReport {
    std::vector<TCheckFinding> Findings;
    TByteCost Bytes;          // of the file as saved
    int Plays = 0;            // as current browsers read it; 0: without end
    int Hundredths = 0;       // one play, as browsers time it
    // Some finding of playback says a browser plays it differently from
    // what the frames say (the web-budget ones aside).
    bool PlaysDifferently() const;
};

// How long browsers show a frame: its delay, or 10 for 0 and 1 (and none).
int BrowserDelay(const TGIFImage& image, int frame);

// Checks the animation as saving would write it (the loop count normalised
// with `defaultLoop`), or as it is when `defaultLoop` is -1 (a file without
// a looping block plays once). `image` is not changed. The bytes are those
// of the file saving would write, or of `fileBytes` when given (the file as
// read).
TCheckReport CheckAnimation(const TGIFImage& image, int defaultLoop,
                            const std::vector<std::uint8_t>* fileBytes = nullptr);

// Only the rules on which browsers play it differently (short-delays,
// loop-count, first-restores-previous, reserved-disposal, outside-screen),
// from the frames' settings alone: quick enough to run on every save.
TCheckReport CheckPlayback(const TGIFImage& image, int defaultLoop);

// Carries out a finding's fix on the document; false when it has none or
// nothing changed.
bool ApplyCheckFix(TGIFImage& image, const TCheckFinding& finding, TFrameEditLog& log);

// Frame numbers in ranges: {0, 1, 2, 5} gives "0-2,5".
std::string FrameRanges(const std::vector<int>& frames);

// The report for people and for programs (reelix-tool check).
std::string CheckReportText(const TCheckReport& report);
std::string CheckReportJson(const TCheckReport& report);
