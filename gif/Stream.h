#pragma once
// Byte streams for the GIF layer. Reading and writing go through TStream so that
// files, memory and the clipboard share one code path; the hot paths (LZW) read
// whole sub-blocks, never single bytes through a virtual call per pixel.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class TStream {
public:
    virtual ~TStream() = default;
    // Reads up to count bytes; answers how many were read (short at end of stream).
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    // Writes count bytes; throws GIFException on failure.
    virtual void Write(const void* buffer, std::size_t count) = 0;
    virtual std::int64_t Position() const = 0;
    virtual void SetPosition(std::int64_t position) = 0;
    virtual std::int64_t Size() const = 0;

    std::int64_t Remaining() const { return Size() - Position(); }
    void Seek(std::int64_t delta) { SetPosition(Position() + delta); }
    // Reads exactly count bytes or throws GIFException("Premature end of data").
    void ReadBuffer(void* buffer, std::size_t count);
    // Reads one byte; answers -1 at end of stream.
    int ReadByte();
    void WriteByte(std::uint8_t value) { Write(&value, 1); }
};

// A growable in-memory stream. It can also wrap caller-owned bytes read-only
// (no copy) for decoding from memory.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    TMemoryStream(const void* data, std::size_t size);  // read-only view, not owned

    std::size_t Read(void* buffer, std::size_t count) override;
    void Write(const void* buffer, std::size_t count) override;
    std::int64_t Position() const override { return static_cast<std::int64_t>(position_); }
    void SetPosition(std::int64_t position) override;
    std::int64_t Size() const override { return static_cast<std::int64_t>(size_); }

    const std::uint8_t* Data() const { return view_ ? view_ : owned_.data(); }
    // The written bytes (only for streams that own their storage).
    const std::vector<std::uint8_t>& Bytes() const { return owned_; }
    std::vector<std::uint8_t> TakeBytes();
    void Clear();

private:
    std::vector<std::uint8_t> owned_;
    const std::uint8_t* view_ = nullptr;
    std::size_t size_ = 0;
    std::size_t position_ = 0;
};

// A file stream over stdio (buffered). Opening failures throw GIFException with
// the system's reason.
class TFileStream : public TStream {
public:
    enum class Mode { Read, Create };
    TFileStream(const std::string& path, Mode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    void Write(const void* buffer, std::size_t count) override;
    std::int64_t Position() const override;
    void SetPosition(std::int64_t position) override;
    std::int64_t Size() const override;

private:
    std::FILE* file_ = nullptr;
    std::int64_t size_ = 0;  // cached for reading; tracked for writing
};
