// Still pictures reduced to 256, 64 and 16 colours, side by side with the
// peers in one run: our fitted reduction (as Add Frame makes it with the
// default settings), pngquant and ImageMagick's -colors. For each: the time
// and the PSNR against the picture.
//
//   build/bench/bench_still_quality [PICTURE.png...]
//
// Without pictures it makes two photo-like 640 x 480 ones with ImageMagick
// (plasma fractals of two seeds, lightly blurred as a camera would).

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "color/ColorReduction.h"
#include "color/FittedReduction.h"
#include "imaging/PictureReader.h"

namespace fs = std::filesystem;

namespace {

bool Run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

double Seconds(const std::function<bool()>& work, bool& ok) {
    const auto start = std::chrono::steady_clock::now();
    ok = work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Psnr(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
    if (a.size() != b.size() || a.empty()) return 0;
    double error = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        for (int shift : {16, 8, 0}) {
            const double d = double(a[i] >> shift & 0xFF) - double(b[i] >> shift & 0xFF);
            error += d * d;
        }
    error /= double(a.size() * 3);
    return error > 0 ? 10 * std::log10(255.0 * 255.0 / error) : 99;
}

std::vector<std::uint32_t> Read(const std::string& path) {
    TPackedPicture picture;
    std::string error;
    return ReadPackedPicture(path, picture, error) ? picture.Pixels : std::vector<std::uint32_t>{};
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path dir = fs::temp_directory_path() / "reelix-bench-still";
    fs::create_directories(dir);
    std::vector<std::string> pictures(argv + 1, argv + argc);
    if (pictures.empty())
        for (const char* seed : {"3", "11"}) {
            const std::string out = (dir / (std::string("photo") + seed + ".png")).string();
            if (Run("convert -size 640x480 -seed " + std::string(seed) + " plasma:fractal -blur 0x1.2 '" + out + "'"))
                pictures.push_back(out);
        }
    const bool pngquant = Run("command -v pngquant"), magick = Run("command -v convert");
    for (const std::string& path : pictures) {
        TPackedPicture source;
        std::string error;
        if (!ReadPackedPicture(path, source, error)) continue;
        const TBitmap bitmap = PackedToBitmap(source.Pixels.data(), source.Width, source.Height);
        std::printf("%s (%d x %d)\n", fs::path(path).filename().c_str(), source.Width, source.Height);
        for (int colors : {256, 64, 16}) {
            bool ok = false;
            std::unique_ptr<TBitmap> reduced;
            const double ours = Seconds([&] {
                reduced = ReduceBitmapColors(bitmap, crFitted, dkNearest, int(std::log2(colors)));
                return true;
            }, ok);
            std::vector<std::uint32_t> mine(source.Pixels.size());
            for (int y = 0; y < source.Height; ++y)
                for (int x = 0; x < source.Width; ++x) {
                    const TPaletteEntry& e = reduced->Palette().Entries()[reduced->ScanLine(y)[x]];
                    mine[std::size_t(y) * std::size_t(source.Width) + std::size_t(x)] =
                        std::uint32_t(e.red) << 16 | std::uint32_t(e.green) << 8 | e.blue;
                }
            const double oursPsnr = Psnr(source.Pixels, mine);
            std::printf("  %3d colours: ours %6.2f dB %6.3f s", colors, oursPsnr, ours);
            if (pngquant) {
                const fs::path out = dir / "pngquant.png";
                const double t = Seconds([&] {
                    return Run("pngquant --force --output '" + out.string() + "' " + std::to_string(colors) + " '" + path + "'");
                }, ok);
                if (ok) std::printf(" | pngquant %6.2f dB %6.3f s", Psnr(source.Pixels, Read(out.string())), t);
            }
            if (magick) {
                const fs::path out = dir / "magick.png";
                const double t = Seconds([&] {
                    return Run("convert '" + path + "' -colors " + std::to_string(colors) + " 'PNG24:" + out.string() + "'");
                }, ok);
                if (ok) std::printf(" | ImageMagick %6.2f dB %6.3f s", Psnr(source.Pixels, Read(out.string())), t);
            }
            std::printf("\n");
        }
    }
    return 0;
}
