// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/DataFile.h"

#include <algorithm>
#include <memory>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "MBVars/Contacts.h"
#include "OFuncs/AtomicFile.h"
#include "OFuncs/BinaryImage.h"
#include "OFuncs/FileReader.h"
#include "OFuncs/IoError.h"

namespace {

constexpr std::uint16_t TagEnd = 0, TagHeads = 1, TagTimes = 2, TagPhones = 3, TagNames = 4,
                        TagText = 5;
// Element lengths of the group chunks: a record head, and the three short-text images.
constexpr std::uint16_t HeadSize = 12;
constexpr std::uint16_t TimeImageSize = TimeText::Capacity + 1;
constexpr std::uint16_t PhoneImageSize = PhoneText::Capacity + 1;
constexpr std::uint16_t NameImageSize = NameText::Capacity + 1;
constexpr std::size_t ChunkHeaderSize = 4;

NotDataFileError NotDataFile() { return NotDataFileError(); }

void PutChunkHeader(std::string& out, std::uint16_t tag, std::uint16_t length) {
    PutLE16(out, tag);
    PutLE16(out, length);
}

// A group chunk: its header, element 0 (`first`, elementSize bytes), then one element per
// message, each put into its place in one sized run.
template <typename PutElement>
void WriteGroupChunk(AtomicFileWriter& out, std::string& bytes, const MsgStore& S, std::uint16_t tag,
                     std::uint16_t elementSize, const std::string& first, PutElement putElement) {
    bytes.resize(ChunkHeaderSize + std::size_t(elementSize) * std::size_t(S.MessageCount + 1));
    auto* p = reinterpret_cast<unsigned char*>(bytes.data());
    StoreLE16(p, tag);
    StoreLE16(p + 2, elementSize);
    p += ChunkHeaderSize;
    std::memcpy(p, first.data(), elementSize);
    for (std::int32_t k = 1; k <= S.MessageCount; ++k) putElement(p += elementSize, S.Messages[k]);
    out.Write(bytes);
}

// Appends a text chunk: (k, L) and the L scrambled bytes, scrambled as one run.
void AppendTextChunk(std::string& block, std::int32_t k, const std::string& text) {
    const std::size_t len = std::min(text.size(), MaxTextLength);
    const std::size_t at = block.size();
    block.resize(at + ChunkHeaderSize + 4 + len);
    auto* p = reinterpret_cast<unsigned char*>(block.data() + at);
    StoreLE16(p, TagText);
    StoreLE16(p + 2, 2);
    StoreLE16(p + 4, static_cast<std::uint16_t>(k));
    StoreLE16(p + 6, static_cast<std::uint16_t>(len));
    std::memcpy(p + 8, text.data(), len);
    XorBytes(reinterpret_cast<char*>(p + 8), len, TextMask);
}

// The messages a read fills: a store's own table and count, or a table read aside.
struct MessageTable {
    std::vector<XMsgRecType>& Messages;
    std::int32_t& Count;
};

// Keeps every slot above the count empty, however a hostile file moved the count.
class SlotsAboveCountCleaner {
public:
    explicit SlotsAboveCountCleaner(MessageTable& T) : T_(T) {}
    ~SlotsAboveCountCleaner() {
        for (std::int32_t k = T_.Count + 1; k <= highest_; ++k) T_.Messages[static_cast<std::size_t>(k)].Clear();
    }
    void Touched(std::int32_t k) { highest_ = std::max(highest_, k); }

private:
    MessageTable& T_;
    std::int32_t highest_ = 0;
};

void ReadExactly(FileReader& in, void* dst, std::size_t n) {
    if (!in.Read(dst, n)) throw IoError::ReadBeyondEnd();
}

// Element 0 of a heads chunk, the file header, holds the message count.
std::int32_t CountInHeader(const unsigned char* header) {
    const std::int32_t n = GetLE16(header);
    if (n > MaxMessages) throw NotDataFile();
    return n;
}

// A buffer for one group chunk, grown but never cleared: every byte used is read first.
struct RunBuffer {
    std::unique_ptr<unsigned char[]> Bytes;
    std::size_t Size = 0;
    unsigned char* data() { return Bytes.get(); }
};

// Reads up to `size` bytes of a group chunk in one run; the caller takes the whole
// elements and then reports a file that ended inside the chunk.
std::size_t ReadRun(FileReader& in, RunBuffer& run, std::size_t size) {
    if (run.Size < size) {
        run.Bytes = std::make_unique_for_overwrite<unsigned char[]>(size);
        run.Size = size;
    }
    return in.ReadSome(run.data(), size);
}

// The heads of messages 1..n, after the file header announced n.
void ReadHeads(FileReader& in, MessageTable& T, std::int32_t n, SlotsAboveCountCleaner& cleaner,
               RunBuffer& run) {
    T.Count = 0;
    // A file cut inside the heads keeps the messages whose heads were read whole.
    const std::size_t got = ReadRun(in, run, std::size_t(n) * HeadSize);
    const auto whole = static_cast<std::int32_t>(got / HeadSize);
    if (T.Messages.size() < std::size_t(whole) + 1) {
        T.Messages.reserve(std::size_t(MaxMessages) + 1);
        T.Messages.resize(std::size_t(whole) + 1);
    }
    for (std::int32_t k = 1; k <= whole; ++k) {
        const unsigned char* h = run.data() + std::size_t(k - 1) * HeadSize;
        XMsgRecType& m = T.Messages[static_cast<std::size_t>(k)];
        m.Flags = GetLE16(h);
        m.Serial = GetLE16(h + 2);
        m.Color = GetLE32(h + 4);
        m.Reserved = GetLE32(h + 8);
    }
    cleaner.Touched(whole);
    T.Count = whole;
    if (whole < n) throw IoError::ReadBeyondEnd();
}

// Elements 0..Count of one short-text chunk whose header gave `length`; element 0 is not
// interpreted.
template <typename Field>
void ReadImages(FileReader& in, MessageTable& T, std::uint16_t length, Field field, RunBuffer& run) {
    constexpr std::size_t size = std::remove_reference_t<decltype(field(T.Messages[0]))>::Capacity + 1;
    if (length != size) throw NotDataFile();
    const std::size_t elements = std::size_t(T.Count) + 1;
    const std::size_t whole = ReadRun(in, run, elements * size) / size;
    for (std::size_t k = 1; k < whole; ++k) GetImage(field(T.Messages[k]), run.data() + k * size);
    if (whole < elements) throw IoError::ReadBeyondEnd();
}

// A text chunk: (k, L) and L scrambled bytes. A chunk for a position outside 1..N is
// passed over; bytes beyond the text buffer are passed over too.
void ReadText(FileReader& in, MessageTable& T, std::string& buffer) {
    unsigned char pairBytes[4];
    const unsigned char* pair = in.Take(sizeof pairBytes);
    if (!pair) {
        ReadExactly(in, pairBytes, sizeof pairBytes);
        pair = pairBytes;
    }
    const std::int32_t k = GetLE16(pair);
    const std::size_t len = GetLE16(pair + 2);
    const std::size_t kept = std::min(len, MaxTextLength);
    if (k < 1 || k > T.Count) {
        if (!in.Skip(len)) throw IoError::ReadBeyondEnd();
        return;
    }
    std::string& text = T.Messages[static_cast<std::size_t>(k)].Text;
    if (kept == len) {
        if (const unsigned char* bytes = in.Take(len)) {  // the usual case: straight from the reader
            text.assign(reinterpret_cast<const char*>(bytes), len);
            XorBytes(text.data(), len, TextMask);
            return;
        }
    }
    buffer.resize(kept);
    ReadExactly(in, buffer.data(), kept);
    if (!in.Skip(len - kept)) throw IoError::ReadBeyondEnd();
    XorBytes(buffer.data(), buffer.size(), TextMask);
    text = buffer;
}

// The file must begin as the writer begins it: the heads chunk with its whole file
// header. An empty, short or textual file is refused rather than taken for an empty
// collection, which a later save would write over it. Returns the message count.
std::int32_t ReadFileStart(FileReader& in) {
    unsigned char start[ChunkHeaderSize + HeadSize];
    if (!in.Read(start, sizeof start) || GetLE16(start) != TagHeads || GetLE16(start + 2) != HeadSize)
        throw NotDataFile();
    return CountInHeader(start + ChunkHeaderSize);
}

}  // namespace

int CheckDataFileStart(const std::string& path) {
    FileReader in;
    if (const int err = in.Open(path)) return err;
    ReadFileStart(in);
    return 0;
}

int WriteDataFile(MsgStore& S, const std::string& path) {
    BuildContacts(S, ContactsByPhone, true);
    AtomicFileWriter out;
    if (const int err = out.Open(path)) return err;

    // Element 0 of the heads is the file header: the count, then 10 reserved bytes (zero).
    std::string header;
    PutLE16(header, static_cast<std::uint16_t>(S.MessageCount));
    header.append(HeadSize - 2, '\0');
    std::string bytes;
    WriteGroupChunk(out, bytes, S, TagHeads, HeadSize, header, [](unsigned char* p, const XMsgRecType& m) {
        StoreLE16(p, m.Flags);
        StoreLE16(p + 2, m.Serial);
        StoreLE32(p + 4, m.Color);
        StoreLE32(p + 8, m.Reserved);
    });
    WriteGroupChunk(out, bytes, S, TagTimes, TimeImageSize, std::string(TimeImageSize, '\0'),
                    [](unsigned char* p, const XMsgRecType& m) { StoreImage(p, m.Time); });
    WriteGroupChunk(out, bytes, S, TagPhones, PhoneImageSize, std::string(PhoneImageSize, '\0'),
                    [](unsigned char* p, const XMsgRecType& m) { StoreImage(p, m.Phone); });
    WriteGroupChunk(out, bytes, S, TagNames, NameImageSize, std::string(NameImageSize, '\0'),
                    [](unsigned char* p, const XMsgRecType& m) { StoreImage(p, m.Name); });

    // The text chunks go out in blocks of whole chunks.
    constexpr std::size_t BlockSize = 1 << 16;
    std::string block;
    block.reserve(BlockSize + MaxTextLength + 8);
    for (std::int32_t k = 1; k <= S.MessageCount; ++k) {
        AppendTextChunk(block, k, S.Messages[k].Text);
        if (block.size() >= BlockSize) {
            out.Write(block);
            block.clear();
        }
    }
    PutChunkHeader(block, TagEnd, 2);
    out.Write(block);
    out.Commit();
    S.Modified = false;
    return 0;
}

int ReadDataFileMessages(std::vector<XMsgRecType>& messages, std::int32_t& count, const std::string& path) {
    FileReader in;
    if (const int err = in.Open(path)) return err;
    if (messages.empty()) messages.resize(1);  // the work record
    MessageTable T{messages, count};
    SlotsAboveCountCleaner cleaner(T);
    RunBuffer run;

    ReadHeads(in, T, ReadFileStart(in), cleaner, run);

    std::string buffer;
    buffer.reserve(MaxTextLength);
    unsigned char header[ChunkHeaderSize];
    // Fewer than 4 bytes left, or the end chunk, ends reading.
    while (in.Read(header, ChunkHeaderSize)) {
        const std::uint16_t tag = GetLE16(header), length = GetLE16(header + 2);
        if (tag == TagEnd) break;
        switch (tag) {
            case TagHeads:
            {
                if (length != HeadSize) throw NotDataFile();
                unsigned char fileHeader[HeadSize];
                ReadExactly(in, fileHeader, HeadSize);
                ReadHeads(in, T, CountInHeader(fileHeader), cleaner, run);
                break;
            }
            case TagTimes:
                ReadImages(in, T, length, [](XMsgRecType& m) -> TimeText& { return m.Time; }, run);
                break;
            case TagPhones:
                ReadImages(in, T, length, [](XMsgRecType& m) -> PhoneText& { return m.Phone; }, run);
                break;
            case TagNames:
                ReadImages(in, T, length, [](XMsgRecType& m) -> NameText& { return m.Name; }, run);
                break;
            case TagText:
                ReadText(in, T, buffer);
                break;
            default:  // an unknown tag has no body: the next 4 bytes are the next header
                break;
        }
    }
    return 0;
}

int ReadDataFile(MsgStore& S, const std::string& path) {
    if (const int err = ReadDataFileMessages(S.Messages, S.MessageCount, path)) return err;
    S.Modified = false;
    return 0;
}
