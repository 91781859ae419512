#pragma once
// A GIF file as giflib reads it, for comparing our reader with a peer. Only
// available where giflib's header is installed (check __has_include first).

#if __has_include(<gif_lib.h>)
#include <gif_lib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <vector>

// Opens and slurps the whole file; `ok` only when giflib read all of it.
struct TGiflibFile {
    explicit TGiflibFile(const std::filesystem::path& path) {
        int error = 0;
        gif = DGifOpenFileName(path.c_str(), &error);
        ok = gif && DGifSlurp(gif) == GIF_OK;
    }
    // From bytes in memory, which must outlive the reading (not the object).
    explicit TGiflibFile(const std::vector<std::uint8_t>& bytes) : reader_{&bytes, 0} {
        int error = 0;
        gif = DGifOpen(&reader_, &ReadMemory, &error);
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

private:
    struct TReader {
        const std::vector<std::uint8_t>* bytes;
        std::size_t at;
    };
    static int ReadMemory(GifFileType* gif, GifByteType* out, int size) {
        auto* reader = static_cast<TReader*>(gif->UserData);
        const std::size_t n =
            std::min<std::size_t>(static_cast<std::size_t>(size), reader->bytes->size() - reader->at);
        std::memcpy(out, reader->bytes->data() + reader->at, n);
        reader->at += n;
        return static_cast<int>(n);
    }
    TReader reader_{nullptr, 0};
};
#endif
