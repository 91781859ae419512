#include "painter/PainterSync.h"

#include <atomic>
#include <cstdio>

namespace {
TInlinePainterSynchronizer inlineSynchronizer;
TNullMessagePump nullPump;
std::atomic<TGIFPainterSynchronizer*> installedSynchronizer{nullptr};
std::atomic<TGIFMessagePump*> installedPump{nullptr};
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

void SetPainterSynchronizer(TGIFPainterSynchronizer* synchronizer) { installedSynchronizer.store(synchronizer); }

TGIFPainterSynchronizer& PainterSynchronizer() {
    TGIFPainterSynchronizer* s = installedSynchronizer.load();
    return s ? *s : inlineSynchronizer;
}

void SetPainterMessagePump(TGIFMessagePump* pump) { installedPump.store(pump); }

TGIFMessagePump& PainterMessagePump() {
    TGIFMessagePump* p = installedPump.load();
    return p ? *p : nullPump;
}
