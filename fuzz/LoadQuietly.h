#pragma once
// Fuzz inputs read as a GIF document with warnings silenced; null when the
// reader refuses them.

#include <memory>
#include <string>

#include "gif/GIFImage.h"
#include "raster/GIFException.h"

inline std::unique_ptr<TGIFImage> LoadQuietly(const void* data, std::size_t size) {
    auto image = std::make_unique<TGIFImage>();
    image->OnWarn = [](TPersistent*, int, const std::string&) {};
    TMemoryStream in(data, size);
    try {
        image->LoadFromStream(in);
    } catch (const GIFException&) {
        return nullptr;
    }
    return image;
}
