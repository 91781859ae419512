#pragma once
// Moves an image's clipboard data to and from the system clipboard. The whole
// animation travels as GIF bytes under a MIME type of our own and under
// "image/gif" (for other programs that read GIF); the first frame also goes as
// an ordinary image that every program can paste. Reading prefers our own
// type, then "image/gif", then any image.

#include <QString>

#include "gif/GIFClipboard.h"

class QClipboard;
class TGIFImage;

class TClipboardAdapter {
public:
    static constexpr const char* kGifMimeType = "application/x-reelix-gif-image";
    static constexpr const char* kPublicGifMimeType = "image/gif";

    // Uses the application's clipboard when none is given (not owned).
    explicit TClipboardAdapter(QClipboard* clipboard = nullptr);

    // Puts the data on the clipboard, replacing what was there; nothing at all
    // for data without either part.
    void Put(const TGIFClipboardData& data);
    // The image's clipboard data (SaveToClipboardFormat), put on the clipboard.
    void PutImage(TGIFImage& image);

    // The clipboard's data for one format (GIFClipboardFormat or
    // BitmapClipboardFormat); false when the clipboard has none.
    bool Get(const std::string& format, TGIFClipboardData& data) const;
    // Something pasteable is on the clipboard.
    bool HasImage() const;
    // Replaces the image by the clipboard's animation, or by its picture as one
    // frame; false (image untouched) when the clipboard holds neither.
    bool PasteInto(TGIFImage& image) const;

    // Makes LoadFromClipboardFormat without data read this clipboard.
    void InstallAsReader() const;

private:
    QClipboard* FClipboard;  // not owned
};
