// The check's report as text for people and as JSON for programs.

#include <algorithm>
#include <cstdio>

#include "painter/AnimationCheck.h"

std::string FrameRanges(const std::vector<int>& frames) {
    std::string out;
    for (std::size_t i = 0; i < frames.size();) {
        std::size_t j = i;
        while (j + 1 < frames.size() && frames[j + 1] == frames[j] + 1) ++j;
        if (!out.empty()) out += ",";
        out += std::to_string(frames[i]);
        if (j > i) out += "-" + std::to_string(frames[j]);
        i = j + 1;
    }
    return out;
}

namespace {

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') out += '\\', out += c;
        else if (c == '\n') out += "\\n";
        else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else out += c;
    }
    return out + "\"";
}

const char* AreaName(TCheckArea area) { return area == TCheckArea::Playback ? "playback" : "accessibility"; }

std::vector<TFrameBytes> LargestFirst(const TByteCost& bytes) {
    std::vector<TFrameBytes> frames = bytes.Frames;
    std::stable_sort(frames.begin(), frames.end(), [](const TFrameBytes& a, const TFrameBytes& b) { return a.Total() > b.Total(); });
    return frames;
}

}  // namespace

std::string CheckReportText(const TCheckReport& report) {
    std::string out;
    if (report.Findings.empty()) out += "No findings: browsers play it as its frames say.\n";
    for (const TCheckFinding& f : report.Findings) {
        out += std::string(AreaName(f.Area)) + ": " + f.Title;
        if (!f.Frames.empty()) out += " [frames " + FrameRanges(f.Frames) + "]";
        out += "\n  " + f.Explanation + "\n";
        if (!f.FixCaption.empty()) out += "  fix: " + f.FixCaption + "\n";
    }
    out += "bytes: " + std::to_string(report.Bytes.Size) + " in all, " + std::to_string(report.Bytes.FileOwn) +
           " the file's own (header, global colours, trailer)\n";
    const std::vector<TFrameBytes> frames = LargestFirst(report.Bytes);
    const std::size_t shown = std::min<std::size_t>(frames.size(), 10);
    for (std::size_t i = 0; i < shown; ++i) {
        const TFrameBytes& b = frames[i];
        out += "  frame " + std::to_string(b.Frame) + ": " + std::to_string(b.Total()) + " (image " +
               std::to_string(b.ImageData) + ", colours " + std::to_string(b.ColorTable) + ", extensions " +
               std::to_string(b.Extensions) + ")\n";
    }
    if (frames.size() > shown) out += "  ... " + std::to_string(frames.size() - shown) + " more frames\n";
    return out;
}

std::string CheckReportJson(const TCheckReport& report) {
    std::string out = "{\"plays\": " + std::to_string(report.Plays) + ", \"hundredths\": " + std::to_string(report.Hundredths) +
                      ", \"findings\": [";
    for (std::size_t i = 0; i < report.Findings.size(); ++i) {
        const TCheckFinding& f = report.Findings[i];
        out += std::string(i ? ", " : "") + "{\"rule\": " + Quoted(f.Rule) + ", \"area\": " + Quoted(AreaName(f.Area)) +
               ", \"frames\": [";
        for (std::size_t k = 0; k < f.Frames.size(); ++k) out += (k ? ", " : "") + std::to_string(f.Frames[k]);
        out += "], \"title\": " + Quoted(f.Title) + ", \"explanation\": " + Quoted(f.Explanation) +
               ", \"fix\": " + (f.FixCaption.empty() ? std::string("null") : Quoted(f.FixCaption)) + "}";
    }
    out += "], \"bytes\": {\"size\": " + std::to_string(report.Bytes.Size) + ", \"file\": " + std::to_string(report.Bytes.FileOwn) +
           ", \"frames\": [";
    for (std::size_t i = 0; i < report.Bytes.Frames.size(); ++i) {
        const TFrameBytes& b = report.Bytes.Frames[i];
        out += std::string(i ? ", " : "") + "{\"frame\": " + std::to_string(b.Frame) + ", \"total\": " + std::to_string(b.Total()) +
               ", \"image\": " + std::to_string(b.ImageData) + ", \"colors\": " + std::to_string(b.ColorTable) +
               ", \"extensions\": " + std::to_string(b.Extensions) + "}";
    }
    return out + "]}}\n";
}
