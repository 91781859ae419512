#include "gif/GIFPainterHost.h"

#include <cstdio>
#include <mutex>
#include <thread>
#include <utility>

namespace {
TInlinePainterSynchronizer inlineSynchronizer;
TNullMessagePump nullPump;

std::mutex hostLock;
std::shared_ptr<const TGIFPainterHost>& Installed() {
    static std::shared_ptr<const TGIFPainterHost> host = std::make_shared<const TGIFPainterHost>();
    return host;
}

// A copy of the pointer, so a host being replaced stays whole while in use.
std::shared_ptr<const TGIFPainterHost> Host() {
    std::lock_guard guard(hostLock);
    return Installed();
}
}  // namespace

void TGIFPainterSynchronizer::ReportError(std::exception_ptr error) {
    try {
        if (error) std::rethrow_exception(error);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Animation painter failed: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "Animation painter failed\n");
    }
}

TGIFPainterHostScope::TGIFPainterHostScope(TGIFPainterHost host)
    : installed_(std::make_shared<const TGIFPainterHost>(std::move(host))) {
    std::lock_guard guard(hostLock);
    previous_ = std::exchange(Installed(), installed_);
}

TGIFPainterHostScope::~TGIFPainterHostScope() {
    std::lock_guard guard(hostLock);
    if (Installed() == installed_) Installed() = previous_;
}

TGIFPainterSynchronizer& PainterSynchronizer() {
    TGIFPainterSynchronizer* synchronizer = Host()->Synchronizer;
    return synchronizer ? *synchronizer : inlineSynchronizer;
}

TGIFMessagePump& PainterMessagePump() {
    TGIFMessagePump* pump = Host()->MessagePump;
    return pump ? *pump : nullPump;
}

bool RunGIFSynchronizePump() {
    const std::shared_ptr<const TGIFPainterHost> host = Host();
    if (host->SynchronizePump) return host->SynchronizePump();
    std::this_thread::yield();
    return true;
}

TGIFAnimatedDrawer GIFAnimatedDrawer() { return Host()->AnimatedDrawer; }
