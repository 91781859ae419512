#pragma once
// What the parts of `reelix-tool edit` share: an edit is a function of the
// document and the edit log, run in the order the options were given.

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TFrameEditLog;
class TGIFImage;

using TEdit = std::function<bool(TGIFImage&, TFrameEditLog&)>;
// What --select chose, for the edits after it (empty: every frame).
using TSelection = std::shared_ptr<std::vector<int>>;

// A whole non-negative number, or -1.
int Number(const std::string& text);

// What the picture tools' style options and --filter set for the whole
// command line, read when the edits run.
struct TPictureSettings;
using TPictureOptions = std::shared_ptr<TPictureSettings>;
TPictureOptions MakePictureOptions();

// How the --add edits after a --large=clip|grow|fit take a picture larger
// than the animation (clipped, by default): sets `add`'s choice and scaler.
struct TAddPicture;
void TakeLargePictures(const TPictureOptions& settings, TAddPicture& add);

// The picture options (--crop, --rotate, --flip, --resize, --filter, --text
// and its style options). Answers an empty function and leaves `error`
// empty when the option is none of them; sets `error` when it is one but
// its value is wrong.
TEdit ParsePictureEdit(const std::string& option, const TSelection& selection, const TPictureOptions& settings,
                       std::string& error);
