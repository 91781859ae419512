#pragma once
// A GIF file as giflib reads it, for comparing our reader with a peer. Only
// available where giflib's header is installed (check __has_include first).

#if __has_include(<gif_lib.h>)
#include <gif_lib.h>

#include <filesystem>

// Opens and slurps the whole file; `ok` only when giflib read all of it.
struct TGiflibFile {
    explicit TGiflibFile(const std::filesystem::path& path) {
        int error = 0;
        gif = DGifOpenFileName(path.c_str(), &error);
        ok = gif && DGifSlurp(gif) == GIF_OK;
    }
    ~TGiflibFile() {
        int error = 0;
        if (gif) DGifCloseFile(gif, &error);
    }
    TGiflibFile(const TGiflibFile&) = delete;
    TGiflibFile& operator=(const TGiflibFile&) = delete;
    GifFileType* gif = nullptr;
    bool ok = false;
};
#endif
