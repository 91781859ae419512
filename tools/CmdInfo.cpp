// reelix-tool info FILE: the model of a GIF file as JSON, for scripts and tests.

#include <cstdio>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "tools/Command.h"

namespace {
std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c >= 0x7F) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);  // bytes shown as Latin-1
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

const char* Bool(bool value) { return value ? "true" : "false"; }

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    TFileStream stream(path, TFileStream::Mode::Read);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stream.Size()));
    stream.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

// The version letters of the signature as written in the file (which may have
// a 4-byte prefix).
std::string SignatureVersion(const std::vector<std::uint8_t>& bytes) {
    for (std::size_t at : {std::size_t(0), std::size_t(4)}) {
        if (bytes.size() >= at + 6 && (bytes[at] | 0x20) == 'g' && (bytes[at + 1] | 0x20) == 'i' &&
            (bytes[at + 2] | 0x20) == 'f')
            return std::string(bytes.begin() + static_cast<long>(at + 3), bytes.begin() + static_cast<long>(at + 6));
    }
    return "";
}

void PrintFrame(std::string& out, TGIFSubImage& frame) {
    const TGIFGraphicControlExtension* gce = frame.ControlExtension();
    out += "    {\"left\": " + std::to_string(frame.Left()) + ", \"top\": " + std::to_string(frame.Top()) +
           ", \"width\": " + std::to_string(frame.Width()) + ", \"height\": " + std::to_string(frame.Height()) +
           ", \"interlaced\": " + Bool(frame.IsInterlaced()) +
           ", \"local_colors\": " + std::to_string(frame.LocalColors().Count()) +
           ", \"delay\": " + (gce ? std::to_string(gce->DelayTime) : "null") +
           ", \"disposal\": " + (gce ? std::to_string(gce->DisposalMethod()) : "null") +
           ", \"transparent_index\": " +
           (frame.IsTransparent() && gce ? std::to_string(gce->TransparentIndex()) : "null") +
           ", \"user_input\": " + Bool(gce && gce->WaitForInput()) + ", \"comments\": [";
    bool first = true;
    for (int i = 0; i < frame.ExtensionBlocks().Count(); ++i) {
        if (auto* comment = dynamic_cast<TGIFCommentExtension*>(frame.ExtensionBlocks()[i])) {
            for (const std::string& line : comment->Lines) {
                out += (first ? "" : ", ") + Quote(line);
                first = false;
            }
        }
    }
    out += "], \"extensions\": [";
    first = true;
    for (int i = 0; i < frame.ExtensionBlocks().Count(); ++i) {
        TGIFExtension* ext = frame.ExtensionBlocks()[i];
        // Control, comment and loop extensions are reported in their own fields.
        if (dynamic_cast<TGIFGraphicControlExtension*>(ext) || dynamic_cast<TGIFCommentExtension*>(ext) ||
            dynamic_cast<TGIFAppExtNSLoop*>(ext))
            continue;
        const auto* app = dynamic_cast<TGIFApplicationExtension*>(ext);
        out += std::string(first ? "" : ", ") + "{\"label\": " + std::to_string(ext->ExtensionLabel()) +
               ", \"identifier\": " + (app ? Quote(app->AppIdentText()) : "null") + "}";
        first = false;
    }
    out += "]}";
}

int RunInfo(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fputs("usage: reelix-tool info FILE\n", stderr);
        return 1;
    }
    const std::vector<std::uint8_t> bytes = ReadFile(args[0]);
    TGIFImage image;
    std::vector<std::string> warnings;
    image.OnWarn = [&](TPersistent*, int, const std::string& text) {
        warnings.push_back(text);
        std::fprintf(stderr, "warning: %s\n", text.c_str());
    };
    TMemoryStream stream(bytes.data(), bytes.size());
    image.LoadFromStream(stream);

    const TGIFAppExtNSLoop* loop = nullptr;
    for (int i = 0; i < image.Frames().Count() && !loop; ++i) loop = image.Frames()[i]->FindExtension<TGIFAppExtNSLoop>();

    const TGIFHeader& header = image.Header();
    std::string out = "{\n  \"version\": " + Quote(SignatureVersion(bytes)) +
                      ",\n  \"width\": " + std::to_string(header.ScreenWidth) +
                      ",\n  \"height\": " + std::to_string(header.ScreenHeight) +
                      ",\n  \"background\": " + std::to_string(header.BackgroundIndex) +
                      ",\n  \"aspect\": " + std::to_string(header.AspectRatio) +
                      ",\n  \"global_colors\": " + std::to_string(header.GlobalColors().Count()) +
                      ",\n  \"global_sorted\": " + Bool(header.GlobalColors().Sorted()) +
                      ",\n  \"loop_count\": " + (loop ? std::to_string(loop->LoopCount) : "null") +
                      ",\n  \"frames\": [";
    for (int i = 0; i < image.Frames().Count(); ++i) {
        out += i == 0 ? "\n" : ",\n";
        PrintFrame(out, *image.Frames()[i]);
    }
    out += image.Frames().Count() ? "\n  ],\n  \"warnings\": [" : "],\n  \"warnings\": [";
    for (std::size_t i = 0; i < warnings.size(); ++i) out += (i ? ", " : "") + Quote(warnings[i]);
    out += "]\n}\n";
    std::fputs(out.c_str(), stdout);
    return 0;
}

const bool registered = RegisterToolCommand({"info", "info FILE", &RunInfo});
}  // namespace
