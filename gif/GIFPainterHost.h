#pragma once
// What animation painters need of the program around them, in one object: how
// a threaded painter reaches the main thread (the synchroniser), how a painter
// waiting on the main thread keeps the program responsive (the message pump and
// the synchronisation pump), and who plays an animated image drawn through
// TGIFImage::Draw (the animated drawer).
//
// A program installs its host once, for as long as a TGIFPainterHostScope
// lives; tests install theirs the same way. Without one, calls run inline,
// waiting dispatches nothing, and an animated image is drawn as its flat
// picture. There is one host for the process by design: one main thread
// serves every painter.

#include <exception>
#include <functional>
#include <memory>

#include "raster/Geometry.h"

class TCanvas;
class TGIFImage;

class TGIFPainterSynchronizer {
public:
    virtual ~TGIFPainterSynchronizer() = default;
    // Runs `call` on the main thread and returns when it has finished. An
    // exception thrown by `call` must be carried back and rethrown here, so the
    // painter sees failures of its drawing and events.
    virtual void Synchronize(const std::function<void()>& call) = 0;
    // Receives the failure of a painter that nobody owns any more (one that
    // frees itself when it ends), so the error is shown instead of lost.
    // Called on the painter's thread. The default writes it to stderr.
    virtual void ReportError(std::exception_ptr error);
};

// Runs every call directly on the calling thread.
class TInlinePainterSynchronizer : public TGIFPainterSynchronizer {
public:
    void Synchronize(const std::function<void()>& call) override { call(); }
};

class TGIFMessagePump {
public:
    virtual ~TGIFMessagePump() = default;
    // Dispatches all pending messages of the calling thread. Answers false when
    // a quit request was among them; the pump posts it again so that the main
    // loop still ends, and the painter stops.
    virtual bool ProcessMessages() = 0;
};

// Dispatches nothing.
class TNullMessagePump : public TGIFMessagePump {
public:
    bool ProcessMessages() override { return true; }
};

// Runs the framework's pending thread-synchronisation calls once; answers false
// when a quit request was seen.
using TGIFSynchronizePump = std::function<bool()>;

// Called under no lock, with the image's InDraw set, for an animated image of
// more than one frame whose flat picture is missing or that draws poDirect.
using TGIFAnimatedDrawer = void (*)(TGIFImage& image, TCanvas& canvas, const TRect& rect);

struct TGIFPainterHost {
    TGIFPainterSynchronizer* Synchronizer = nullptr;  // not owned; null: calls run inline
    TGIFMessagePump* MessagePump = nullptr;           // not owned; null: nothing is dispatched
    TGIFSynchronizePump SynchronizePump;              // empty: waiting yields the thread
    TGIFAnimatedDrawer AnimatedDrawer = nullptr;      // null: animations draw as their flat picture
};

// Installs a host for its own lifetime and then puts back the one before it.
// Scopes end in the reverse order of their start; one that ends out of turn
// leaves the newer host in place.
class TGIFPainterHostScope {
public:
    explicit TGIFPainterHostScope(TGIFPainterHost host);
    ~TGIFPainterHostScope();
    TGIFPainterHostScope(const TGIFPainterHostScope&) = delete;
    TGIFPainterHostScope& operator=(const TGIFPainterHostScope&) = delete;

private:
    std::shared_ptr<const TGIFPainterHost> installed_;
    std::shared_ptr<const TGIFPainterHost> previous_;
};

// The installed host's parts, or the defaults above.
TGIFPainterSynchronizer& PainterSynchronizer();
TGIFMessagePump& PainterMessagePump();
bool RunGIFSynchronizePump();
TGIFAnimatedDrawer GIFAnimatedDrawer();
