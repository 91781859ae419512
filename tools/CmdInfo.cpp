// reelix-tool info FILE: the model of a GIF file as JSON, for scripts and tests.

#include <cstdio>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "tools/Command.h"

namespace {
// The length of the well-formed UTF-8 sequence at text[at], or 0.
std::size_t Utf8SequenceAt(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2, code = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3, code = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4, code = lead & 0x07;
    else return 0;
    if (at + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are not text.
    const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return 0;
    return length;
}

// A JSON string. Comments are written as UTF-8 by the editor and kept as
// text; bytes that are not UTF-8 (older files' Latin-1) are shown as Latin-1.
std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (std::size_t at = 0; at < text.size(); ++at) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (const std::size_t length = c >= 0x80 ? Utf8SequenceAt(text, at) : 0; length > 0) {
                    out.append(text, at, length);
                    at += length - 1;
                } else if (c < 0x20 || c >= 0x7F) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
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
    image.PixelBudget = ToolPixelBudget();
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
