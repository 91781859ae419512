#pragma once
// Test helpers that listen to a TGIFImage: its warnings (sender, severity, text)
// and its progress notifications, so tests can assert exact texts and order:
//   TWarningCollector warnings(image);
//   ...
//   EXPECT_THAT(warnings.Texts(), ElementsAre("Invalid Image trailer"));

#include <ostream>
#include <string>
#include <vector>

#include "gif/GIFImage.h"

class TWarningCollector {
public:
    struct TEntry {
        TPersistent* sender;
        int severity;
        std::string text;
    };

    explicit TWarningCollector(TGIFImage& image) { Attach(image); }
    TWarningCollector() = default;

    // Installs the handler on the image (replacing any other).
    void Attach(TGIFImage& image) {
        image.OnWarn = [this](TPersistent* sender, int severity, const std::string& text) {
            entries_.push_back({sender, severity, text});
        };
    }

    const std::vector<TEntry>& Entries() const { return entries_; }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const TEntry& e : entries_) texts.push_back(e.text);
        return texts;
    }
    bool Empty() const { return entries_.empty(); }
    void Clear() { entries_.clear(); }

private:
    std::vector<TEntry> entries_;
};

class TProgressCollector {
public:
    struct TEntry {
        TProgressStage stage;
        int percent;
        bool redraw;
        std::string text;
        friend bool operator==(const TEntry&, const TEntry&) = default;
    };

    explicit TProgressCollector(TGIFImage& image) {
        image.OnProgress = [this](TPersistent*, TProgressStage stage, int percent, bool redraw, const TRect&,
                                  const std::string& text) { entries_.push_back({stage, percent, redraw, text}); };
    }
    const std::vector<TEntry>& Entries() const { return entries_; }

private:
    std::vector<TEntry> entries_;
};

inline std::ostream& operator<<(std::ostream& os, const TProgressCollector::TEntry& e) {
    return os << "{stage " << int(e.stage) << ", " << e.percent << "%, redraw " << e.redraw << ", \"" << e.text
              << "\"}";
}
