#include "gif/GIFExtensionRegistry.h"

#include <mutex>
#include <utility>
#include <vector>

#include "gif/Stream.h"

namespace {
struct TRegistry {
    std::mutex lock;
    std::vector<std::pair<std::uint8_t, const TGIFExtensionClass*>> labels;
    std::vector<std::pair<TGIFAppIdent, const TGIFExtensionClass*>> applications;

    TRegistry() {
        for (const TGIFExtensionClass* cls :
             {&TGIFTextExtension::StaticClass(), &TGIFGraphicControlExtension::StaticClass(),
              &TGIFCommentExtension::StaticClass(), &TGIFApplicationExtension::StaticClass()})
            labels.emplace_back(cls->label, cls);
        applications.emplace_back(Ident("NETSCAPE2.0"), &TGIFAppExtNSLoop::StaticClass());
        applications.emplace_back(Ident("ANIMEXTS1.0"), &TGIFAppExtNSLoop::StaticClass());
    }
    static TGIFAppIdent Ident(const char* text) {
        TGIFAppIdent ident{};
        for (std::size_t i = 0; i < ident.size() && text[i]; ++i) ident[i] = static_cast<std::uint8_t>(text[i]);
        return ident;
    }
};

TRegistry& Registry() {
    static TRegistry registry;  // process-wide by design, built on first use
    return registry;
}
}  // namespace

void RegisterExtensionClass(const TGIFExtensionClass& cls) {
    TRegistry& r = Registry();
    std::lock_guard guard(r.lock);
    r.labels.emplace_back(cls.label, &cls);
}

void RegisterApplicationClass(const TGIFAppIdent& ident, const TGIFExtensionClass& cls) {
    TRegistry& r = Registry();
    std::lock_guard guard(r.lock);
    r.applications.emplace_back(ident, &cls);
}

void RegisterApplicationClass(const char* ident11, const TGIFExtensionClass& cls) {
    RegisterApplicationClass(TRegistry::Ident(ident11), cls);
}

const TGIFExtensionClass* FindLabelClass(std::uint8_t label) {
    TRegistry& r = Registry();
    std::lock_guard guard(r.lock);
    for (auto it = r.labels.rbegin(); it != r.labels.rend(); ++it)
        if (it->first == label) return it->second;
    return nullptr;
}

const TGIFExtensionClass* FindApplicationClass(const TGIFAppIdent& ident) {
    TRegistry& r = Registry();
    std::lock_guard guard(r.lock);
    for (auto it = r.applications.rbegin(); it != r.applications.rend(); ++it)
        if (it->first == ident) return it->second;
    return nullptr;
}

const TGIFExtensionClass* FindExtensionClass(TStream& stream) {
    const std::int64_t start = stream.Position();
    const int label = stream.ReadByte();
    const TGIFExtensionClass* cls = label < 0 ? nullptr : FindLabelClass(static_cast<std::uint8_t>(label));
    // Each class may hand over to a more specific one; stop when it keeps itself.
    // The chain is bounded in case two registered classes point at each other.
    for (int step = 0; cls && cls->resolve && step < 16; ++step) {
        const std::int64_t at = stream.Position();
        const TGIFExtensionClass* next = cls->resolve(stream);
        stream.SetPosition(at);
        if (next == cls) break;
        cls = next;
    }
    stream.SetPosition(start);
    return cls;
}
