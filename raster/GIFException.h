#pragma once
// Errors of the GIF layer: one exception type carrying one of the fixed English
// message texts. Warnings never throw; they go to the image's OnWarn handler.

#include <stdexcept>
#include <string>

class GIFException : public std::runtime_error {
public:
    explicit GIFException(const std::string& message) : std::runtime_error(message) {}
    // The fixed message, and what the user may want to know beyond it (the
    // limit that was passed, for instance); what() stays the fixed text.
    GIFException(const std::string& message, std::string detail)
        : std::runtime_error(message), detail_(std::move(detail)) {}
    const std::string& Detail() const { return detail_; }

private:
    std::string detail_;
};

// Raised where the framework's out-of-memory error would be (a failed large allocation).
class EGIFOutOfMemory : public GIFException {
public:
    using GIFException::GIFException;
};

// A user abort of a long operation (progress handler asked to stop).
class EGIFAbort : public GIFException {
public:
    EGIFAbort() : GIFException("Operation aborted") {}
};
