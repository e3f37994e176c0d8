// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/BackupMerge.h"

#include <expat.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <limits>
#include <mutex>
#include <new>
#include <thread>

#include "Formats/BackupMergeRepair.h"
#include "Formats/SmsBackupFields.h"
#include "OFuncs/AtomicFile.h"
#include "OFuncs/IoError.h"

namespace {
constexpr std::size_t ChunkSize = std::size_t(1) << 18;
constexpr std::size_t WindowSize = std::size_t(1) << 20;
constexpr std::size_t HashHexDigits = 32;

// One message kept: its key and where its element lies.
struct Entry {
    std::uint64_t KeyLo = 0, KeyHi = 0;
    std::int64_t Date = 0;
    std::uint64_t Start = 0, End = 0;  // the element's bytes in its input
    std::uint32_t Input = 0;
    bool Clean = false;  // no byte of the element needs the repair: copied as it is
    // Else: its long data values, copied as they are, are these of its input's spans.
    std::uint32_t FirstSpan = 0, Spans = 0;
};

// The entries by key: open addressing over entry numbers, half full at most.
class KeyTable {
public:
    // The number of the entry with e's key, or `index` after adding it.
    std::uint32_t FindOrAdd(const std::vector<Entry>& entries, const Entry& e, std::uint32_t index) {
        if ((used_ + 1) * 2 > slots_.size()) Grow(entries);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t s = e.KeyLo & mask;; s = (s + 1) & mask) {
            const std::uint32_t at = slots_[s];
            if (at == 0) {
                slots_[s] = index + 1;
                ++used_;
                return index;
            }
            const Entry& held = entries[at - 1];
            if (held.KeyLo == e.KeyLo && held.KeyHi == e.KeyHi) return at - 1;
        }
    }

private:
    void Grow(const std::vector<Entry>& entries) {
        std::vector<std::uint32_t> old = std::move(slots_);
        slots_.assign(std::max<std::size_t>(1024, old.size() * 2), 0);
        const std::size_t mask = slots_.size() - 1;
        for (const std::uint32_t at : old) {
            if (at == 0) continue;
            std::size_t s = entries[at - 1].KeyLo & mask;
            while (slots_[s] != 0) s = (s + 1) & mask;
            slots_[s] = at;
        }
    }
    std::vector<std::uint32_t> slots_;
    std::size_t used_ = 0;
};

std::string_view Attribute(const XML_Char** atts, std::string_view name) {
    for (; atts[0]; atts += 2)
        if (name == atts[0]) return atts[1];
    return {};
}

// An address as the reader takes its numbers, each number of a group ("~") for itself.
std::string Normalised(std::string_view address) {
    std::string out;
    for (;;) {
        const std::size_t tilde = address.find('~');
        out += BackupPhone(address.substr(0, tilde));
        if (tilde == std::string_view::npos) return out;
        out += '~';
        address.remove_prefix(tilde + 1);
    }
}

class KeyHash {
public:
    KeyHash() {
        if (!(state_ = XXH3_createState())) throw std::bad_alloc();
    }
    ~KeyHash() { XXH3_freeState(state_); }
    KeyHash(const KeyHash&) = delete;
    KeyHash& operator=(const KeyHash&) = delete;
    void Reset(char kind) {
        XXH3_128bits_reset(state_);
        XXH3_128bits_update(state_, &kind, 1);
    }
    // Each field with its length, so that ("ab", "c") and ("a", "bc") differ.
    void Field(std::string_view s) {
        const std::uint64_t n = s.size();
        XXH3_128bits_update(state_, &n, sizeof n);
        XXH3_128bits_update(state_, s.data(), s.size());
    }
    void Date(std::string_view date) {
        const std::optional<std::int64_t> ms = BackupMillis(date);
        Field(ms ? std::to_string(*ms) + "ms" : std::string(date));
    }
    void Done(Entry& e) {
        const XXH128_hash_t h = XXH3_128bits_digest(state_);
        e.KeyLo = h.low64;
        e.KeyHi = h.high64;
    }

private:
    XXH3_state_t* state_ = nullptr;
};

// Everything the first reading learns of one input.
struct InputInfo {
    std::string Path;
    std::uint64_t Size = 0;
    std::uint64_t RootStart = 0, RootEnd = 0;  // the root's start tag
    std::int64_t BackupDate = std::numeric_limits<std::int64_t>::min();
};

// Whether input a is newer than input b (a later `backup_date`, or the same and given later).
bool Newer(const std::vector<InputInfo>& info, std::uint32_t a, std::uint32_t b) {
    return info[a].BackupDate != info[b].BackupDate ? info[a].BackupDate > info[b].BackupDate : a > b;
}

int OpenInput(const std::string& path, std::uint64_t& size) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw IoError(FileErrorReason(errno), path);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw IoError(FileErrorReason(S_ISDIR(st.st_mode) ? EISDIR : NotRegularFileCode), path);
    }
    size = static_cast<std::uint64_t>(st.st_size);
    return fd;
}

struct Fd {
    int Value = -1;
    ~Fd() {
        if (Value >= 0) ::close(Value);
    }
};

// Reads up to n bytes at `offset`; fewer only at the end of the file.
std::size_t ReadAt(int fd, const std::string& path, char* dst, std::size_t n, std::uint64_t offset) {
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = ::pread(fd, dst + got, n - got, static_cast<off_t>(offset + got));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) throw IoError(FileErrorReason(errno), path);
        if (r == 0) break;
        got += static_cast<std::size_t>(r);
    }
    return got;
}

// The first reading of one input.
class InputReader {
public:
    InputReader(std::uint32_t input, InputInfo& info, MergeInputReport& report, std::vector<Entry>& entries,
                std::vector<BackupMergeRepair::Span>& spans)
        : input_(input), info_(info), report_(report), entries_(entries), spans_(spans) {
        parser_ = XML_ParserCreate("UTF-8");  // whatever the file declares: the merge writes UTF-8
        if (!parser_) throw std::bad_alloc();
        XML_SetUserData(parser_, this);
        XML_SetElementHandler(
            parser_,
            [](void* self, const XML_Char* name, const XML_Char** atts) {
                static_cast<InputReader*>(self)->Start(name, atts);
            },
            [](void* self, const XML_Char*) { static_cast<InputReader*>(self)->End(); });
    }
    ~InputReader() { XML_ParserFree(parser_); }
    InputReader(const InputReader&) = delete;
    InputReader& operator=(const InputReader&) = delete;

    // False when reading ended: not a backup, or damaged (said in the report).
    bool Feed(std::string_view bytes, bool last) {
        repaired_.clear();
        repair_.Feed(bytes, repaired_);
        if (last) repair_.Finish(repaired_);
        if (XML_Parse(parser_, repaired_.data(), static_cast<int>(repaired_.size()), last) != XML_STATUS_ERROR)
            return true;
        if (!notBackup_ && sawRoot_) {
            report_.Damaged = true;
            report_.Line = XML_GetCurrentLineNumber(parser_);
            report_.Reason = XML_ErrorString(XML_GetErrorCode(parser_));
        } else {
            notBackup_ = true;
        }
        return false;
    }
    bool NotBackup() const { return notBackup_ || !sawRoot_; }

private:
    // The file offset of the current tag's `<`, or of the byte after its `>`: found from the
    // `>` itself, since a reference the filter still holds after it would move the place
    // after it past the reference.
    std::uint64_t Place(bool end) const {
        const auto at = static_cast<std::uint64_t>(XML_GetCurrentByteIndex(parser_));
        const auto count = static_cast<std::uint64_t>(XML_GetCurrentByteCount(parser_));
        // (An empty element's end has no bytes of its own: its place is after the `/>`.)
        if (!end || at + count == 0) return repair_.InputOffset(at);
        return repair_.InputOffset(at + count - 1) + 1;
    }

    void Start(const XML_Char* name, const XML_Char** atts) {
        ++depth_;
        if (depth_ == 1) {
            sawRoot_ = true;
            if (std::strcmp(name, "smses") != 0) {
                notBackup_ = true;
                XML_StopParser(parser_, XML_FALSE);
                return;
            }
            info_.RootStart = Place(false);
            info_.RootEnd = Place(true);
            if (const auto date = BackupMillis(Attribute(atts, "backup_date"))) info_.BackupDate = *date;
            return;
        }
        if (depth_ == 2) {
            const bool sms = std::strcmp(name, "sms") == 0;
            inMessage_ = sms || std::strcmp(name, "mms") == 0;
            if (!inMessage_) return;
            current_ = Entry{};
            current_.Input = input_;
            current_.Start = Place(false);
            const std::string_view date = Attribute(atts, "date");
            current_.Date = BackupMillis(date).value_or(std::numeric_limits<std::int64_t>::min());
            key_.Reset(sms ? 'S' : 'M');
            key_.Date(date);
            mmsAddress_.clear();
            addresses_.clear();
            if (sms) {
                key_.Field(Normalised(Attribute(atts, "address")));
                key_.Field(Attribute(atts, "type"));
                key_.Field(Attribute(atts, "body"));
            } else {
                key_.Field(Attribute(atts, "msg_box"));
                mmsAddress_ = Attribute(atts, "address");
            }
            return;
        }
        if (!inMessage_) return;
        if (std::strcmp(name, "part") == 0) {
            key_.Field("part");
            key_.Field(Attribute(atts, "ct"));
            key_.Field(Attribute(atts, "text"));
            key_.Field(Attribute(atts, "data").substr(0, HashHexDigits));
        } else if (std::strcmp(name, "addr") == 0) {
            addresses_.push_back(Normalised(Attribute(atts, "address")) + '/' + std::string(Attribute(atts, "type")));
        }
    }

    void End() {
        if (depth_-- != 2 || !inMessage_) return;
        inMessage_ = false;
        if (!mmsAddress_.empty() || !addresses_.empty()) {
            if (addresses_.empty()) {
                std::string_view all = mmsAddress_;
                for (std::size_t tilde; (tilde = all.find('~')) != std::string_view::npos; all.remove_prefix(tilde + 1))
                    addresses_.push_back(Normalised(all.substr(0, tilde)));
                addresses_.push_back(Normalised(all));
            }
            std::sort(addresses_.begin(), addresses_.end());
            key_.Field("addresses");
            for (const std::string& a : addresses_) key_.Field(a);
        }
        current_.End = Place(true);
        current_.Clean = !repair_.ChangedIn(current_.Start, current_.End);
        current_.FirstSpan = static_cast<std::uint32_t>(spans_.size());
        if (!current_.Clean) repair_.LongValuesIn(current_.Start, current_.End, spans_);
        current_.Spans = static_cast<std::uint32_t>(spans_.size()) - current_.FirstSpan;
        key_.Done(current_);
        report_.Read++;
        report_.BytesTaken = current_.End;
        entries_.push_back(current_);
        repair_.Forget(static_cast<std::uint64_t>(XML_GetCurrentByteIndex(parser_)));
    }

    std::uint32_t input_;
    InputInfo& info_;
    MergeInputReport& report_;
    std::vector<Entry>& entries_;
    std::vector<BackupMergeRepair::Span>& spans_;
    XML_Parser parser_ = nullptr;
    BackupMergeRepair repair_{BackupMergeRepair::DataValues::Hash};
    std::string repaired_;
    int depth_ = 0;
    bool sawRoot_ = false, notBackup_ = false, inMessage_ = false;
    Entry current_;
    KeyHash key_;
    std::string mmsAddress_;
    std::vector<std::string> addresses_;
};

// A newer copy of a message, in the place in time of the copy found first.
Entry WithDateOf(Entry newer, const Entry& first) {
    newer.Date = first.Date;
    return newer;
}

// What the first reading of one input gives.
struct Reading {
    std::vector<Entry> Entries;  // its messages in file order
    std::vector<BackupMergeRepair::Span> Spans;
    bool NotBackup = false;
    std::exception_ptr Failure;  // it could not be read
};

// Reads input `i` once, adding the bytes read to `done`; false when `keepOn` said to stop.
bool ReadInput(std::uint32_t i, InputInfo& info, MergeInputReport& report, Reading& reading,
               std::atomic<std::uint64_t>& done, const std::function<bool()>& keepOn) {
    InputReader reader(i, info, report, reading.Entries, reading.Spans);
    Fd f;
    std::uint64_t size = 0;
    f.Value = OpenInput(info.Path, size);
    std::vector<char> chunk(ChunkSize);
    std::uint64_t at = 0;
    for (;;) {
        const std::size_t n = ReadAt(f.Value, info.Path, chunk.data(), chunk.size(), at);
        at += n;
        done += n;
        if (!keepOn()) return false;
        const bool last = n < chunk.size();
        if (!reader.Feed(std::string_view(chunk.data(), n), last) || last) break;
    }
    reading.NotBackup = reader.NotBackup();
    if (info.Size > at) done += info.Size - at;  // what an early end left unread counts as done
    return true;
}

// Reads every input once, two at a time where there are two cores: the readings are
// independent and are put together afterwards in the inputs' order, so the result is the
// same. `progress` (bytes read so far) is called on this thread only; false when it said
// to stop.
bool ReadAll(std::vector<InputInfo>& info, std::vector<MergeInputReport>& reports, std::vector<Reading>& readings,
             const std::function<bool(std::uint64_t)>& progress) {
    std::atomic<std::size_t> next{0};
    std::atomic<std::uint64_t> done{0};
    std::atomic<bool> stop{false};
    const auto work = [&](bool here) {
        const std::function<bool()> keepOn = [&] {
            if (here && !stop && !progress(done)) stop = true;
            return !stop;
        };
        for (std::size_t i; (i = next++) < info.size() && !stop;) {
            try {
                if (!ReadInput(static_cast<std::uint32_t>(i), info[i], reports[i], readings[i], done, keepOn)) return;
            } catch (...) {
                readings[i].Failure = std::current_exception();
            }
        }
    };
    if (info.size() < 2 || std::thread::hardware_concurrency() < 2) {
        work(true);
        return !stop;
    }
    std::mutex mutex;
    std::condition_variable ended;
    bool helperEnded = false;
    std::thread helper([&] {
        work(false);
        const std::lock_guard lock(mutex);
        helperEnded = true;
        ended.notify_one();
    });
    struct Joined {  // however this thread leaves (a progress that throws), the helper stops first
        std::atomic<bool>& Stop;
        std::thread& Helper;
        ~Joined() {
            Stop = true;
            Helper.join();
        }
    };
    const bool stopped = [&] {
        const Joined joined{stop, helper};
        work(true);
        // The helper may read on: the progress still shows, and can stop it.
        std::unique_lock lock(mutex);
        while (!ended.wait_for(lock, std::chrono::milliseconds(50), [&] { return helperEnded; }))
            if (!stop && !progress(done)) stop = true;
        return stop.load();
    }();
    return !stopped;
}

// The bytes of the inputs again, through a few windows per input, since the elements are
// asked for by time, which jumps between an input's SMS and its MMS; long runs that stay as
// they are go from file to file in the kernel.
class InputBytes {
public:
    InputBytes(const std::vector<InputInfo>& info, const std::vector<std::vector<BackupMergeRepair::Span>>& spans)
        : info_(info), spans_(spans), files_(info.size()) {}

    // Copies one element into `writer`: as it is when clean, else through a fresh repair
    // that passes over its long data values, which are copied as they are.
    void CopyElement(const Entry& e, AtomicFileWriter& writer) {
        if (e.Clean) {
            CopyPlain(e.Input, e.Start, e.End, writer);
            return;
        }
        BackupMergeRepair repair(BackupMergeRepair::DataValues::Keep);
        out_.clear();
        std::uint64_t at = e.Start;
        for (std::uint32_t k = 0; k < e.Spans; ++k) {
            const BackupMergeRepair::Span& span = spans_[e.Input][e.FirstSpan + k];
            Filter(repair, e.Input, at, span.first, writer);
            writer.Write(out_);
            out_.clear();
            CopyPlain(e.Input, span.first, span.second, writer);
            at = span.second;
        }
        Filter(repair, e.Input, at, e.End, writer);
        repair.Finish(out_);
        writer.Write(out_);
    }

    // Copies bytes [start, end) of input `input` through a fresh repair into `writer`.
    void Copy(std::uint32_t input, std::uint64_t start, std::uint64_t end, AtomicFileWriter& writer) {
        BackupMergeRepair repair(BackupMergeRepair::DataValues::Keep);
        out_.clear();
        Filter(repair, input, start, end, writer);
        repair.Finish(out_);
        writer.Write(out_);
    }

    std::string Repaired(std::uint32_t input, std::uint64_t start, std::uint64_t end) {
        BackupMergeRepair repair(BackupMergeRepair::DataValues::Keep);
        std::string out;
        while (start < end) {
            const std::string_view piece = Bytes(input, start, end);
            repair.Feed(piece, out);
            start += piece.size();
        }
        repair.Finish(out);
        return out;
    }

private:
    struct Window {
        std::uint64_t Start = 0;
        std::string Bytes;
        std::uint64_t Used = 0;
    };
    struct File {
        Fd Handle;
        std::array<Window, 4> Windows;
    };

    int Handle(std::uint32_t input) {
        File& f = files_[input];
        if (f.Handle.Value < 0) {
            std::uint64_t size = 0;
            f.Handle.Value = OpenInput(info_[input].Path, size);
        }
        return f.Handle.Value;
    }

    [[noreturn]] void Changed(std::uint32_t input) const {
        throw IoError("The file changed while it was merged", info_[input].Path);
    }

    // Bytes [start, end) of input `input` as they are into `writer`.
    void CopyPlain(std::uint32_t input, std::uint64_t start, std::uint64_t end, AtomicFileWriter& writer) {
        if (end - start >= BackupMergeRepair::LongValue) {
            if (writer.CopyFrom(Handle(input), info_[input].Path, start, end - start) != end - start) Changed(input);
            return;
        }
        while (start < end) {
            const std::string_view piece = Bytes(input, start, end);
            writer.Write(piece);
            start += piece.size();
        }
    }

    // Bytes [start, end) of input `input` through `repair` into out_, written out in chunks.
    void Filter(BackupMergeRepair& repair, std::uint32_t input, std::uint64_t start, std::uint64_t end,
                AtomicFileWriter& writer) {
        while (start < end) {
            const std::string_view piece = Bytes(input, start, end);
            repair.Feed(piece, out_);
            start += piece.size();
            if (out_.size() >= ChunkSize) {
                writer.Write(out_);
                out_.clear();
            }
        }
    }

    // The bytes from `start` on, up to `end` and to what one window holds; never empty.
    std::string_view Bytes(std::uint32_t input, std::uint64_t start, std::uint64_t end) {
        File& f = files_[input];
        Handle(input);
        ++clock_;
        for (Window& w : f.Windows) {
            if (start >= w.Start && start < w.Start + w.Bytes.size()) {
                w.Used = clock_;
                const std::size_t from = static_cast<std::size_t>(start - w.Start);
                return std::string_view(w.Bytes).substr(from, static_cast<std::size_t>(end - start));
            }
        }
        Window& w = *std::min_element(f.Windows.begin(), f.Windows.end(),
                                      [](const Window& a, const Window& b) { return a.Used < b.Used; });
        w.Used = clock_;
        w.Start = start;
        w.Bytes.resize(WindowSize);
        w.Bytes.resize(ReadAt(f.Handle.Value, info_[input].Path, w.Bytes.data(), WindowSize, start));
        if (w.Bytes.empty()) Changed(input);
        return std::string_view(w.Bytes).substr(0, static_cast<std::size_t>(end - start));
    }

    const std::vector<InputInfo>& info_;
    const std::vector<std::vector<BackupMergeRepair::Span>>& spans_;
    std::vector<File> files_;
    std::uint64_t clock_ = 0;
    std::string out_;
};

// The root's start tag with `count` set to n (added when it has none), and never empty.
std::string WithCount(std::string tag, std::int64_t n) {
    const std::string count = std::to_string(n);
    std::size_t i = 1;
    while (i < tag.size() && tag[i] != ' ' && tag[i] != '\t' && tag[i] != '\r' && tag[i] != '\n' && tag[i] != '/' &&
           tag[i] != '>')
        ++i;
    const std::size_t nameEnd = i;
    bool found = false;
    while (i < tag.size() && !found) {
        while (i < tag.size() && (tag[i] == ' ' || tag[i] == '\t' || tag[i] == '\r' || tag[i] == '\n')) ++i;
        const std::size_t nameStart = i;
        while (i < tag.size() && tag[i] != '=' && tag[i] != ' ' && tag[i] != '\t' && tag[i] != '\r' && tag[i] != '\n' &&
               tag[i] != '/' && tag[i] != '>')
            ++i;
        const std::string_view attName = std::string_view(tag).substr(nameStart, i - nameStart);
        const std::size_t quote = tag.find_first_of("\"'", i);
        if (attName.empty() || quote == std::string::npos) break;
        const std::size_t close = tag.find(tag[quote], quote + 1);
        if (close == std::string::npos) break;
        if (attName == "count") {
            tag.replace(quote + 1, close - quote - 1, count);
            found = true;
        }
        i = close + 1;
    }
    if (!found) tag.insert(nameEnd, " count=\"" + count + '"');
    if (tag.size() >= 2 && tag.compare(tag.size() - 2, 2, "/>") == 0) tag.replace(tag.size() - 2, 2, ">");
    return tag;
}

std::string Quoted(const std::string& path) { return '"' + path + '"'; }
}  // namespace

MergeResult MergeBackups(const std::vector<std::string>& inputs, const std::string& output,
                         const MergeOptions& options) {
    AtomicFileWriter writer;
    if (const int code = writer.Open(output)) throw IoError(FileErrorReason(code), output, "write");
    MergeResult result = MergeBackupsInto(inputs, writer, options);
    if (result.End == MergeEnd::Written) writer.Commit();
    return result;
}

MergeResult MergeBackupsInto(const std::vector<std::string>& inputs, AtomicFileWriter& writer,
                             const MergeOptions& options) {
    MergeResult result;
    std::vector<InputInfo> info(inputs.size());
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        info[i].Path = inputs[i];
        result.Inputs.emplace_back();
        result.Inputs.back().Path = inputs[i];
        Fd f;
        f.Value = OpenInput(inputs[i], info[i].Size);
        result.Inputs[i].Size = info[i].Size;
        total += info[i].Size;
    }
    const auto progress = [&](std::uint64_t done, std::uint64_t all) {
        return !options.Progress || options.Progress(done, all);
    };
    std::vector<Reading> readings(inputs.size());
    if (!ReadAll(info, result.Inputs, readings, [&](std::uint64_t done) { return progress(done, 2 * total); })) {
        result.End = MergeEnd::Stopped;
        return result;
    }

    // The messages of the inputs in the inputs' order, each once: the copy of the newest
    // input, the first of several in one.
    std::vector<Entry> entries;
    std::vector<std::vector<BackupMergeRepair::Span>> spans(inputs.size());
    KeyTable table;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        Reading& reading = readings[i];
        if (reading.Failure) std::rethrow_exception(reading.Failure);
        const bool notBackup = reading.NotBackup;
        if (notBackup || (result.Inputs[i].Damaged && !options.SkipDamaged)) {
            result.End = notBackup ? MergeEnd::NotBackup : MergeEnd::Damaged;
            result.Input = i;
            // As if reading had stopped here: the later inputs were not read.
            for (std::size_t k = i + 1; k < inputs.size(); ++k) {
                result.Inputs[k] = MergeInputReport{};
                result.Inputs[k].Path = inputs[k];
                result.Inputs[k].Size = info[k].Size;
            }
            return result;
        }
        for (const Entry& e : reading.Entries) {
            const auto index = static_cast<std::uint32_t>(entries.size());
            const std::uint32_t found = table.FindOrAdd(entries, e, index);
            if (found == index)
                entries.push_back(e);
            else if (Newer(info, e.Input, entries[found].Input))
                entries[found] = WithDateOf(e, entries[found]);
        }
        reading.Entries = {};
        spans[i] = std::move(reading.Spans);
    }

    // The newest input gives the declaration and the root.
    std::uint32_t newest = 0;
    for (std::uint32_t i = 1; i < info.size(); ++i)
        if (Newer(info, i, newest)) newest = i;
    for (const Entry& e : entries) result.Inputs[e.Input].Written++;
    for (MergeInputReport& r : result.Inputs) r.Twice = r.Read - r.Written;
    result.Written = static_cast<std::int64_t>(entries.size());
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.Date != b.Date) return a.Date < b.Date;
        if (a.Input != b.Input) return a.Input < b.Input;
        return a.Start < b.Start;
    });

    std::uint64_t keptBytes = 1;
    for (const Entry& e : entries) keptBytes += e.End - e.Start;
    InputBytes bytes(info, spans);
    bytes.Copy(newest, 0, info[newest].RootStart, writer);
    writer.Write(WithCount(bytes.Repaired(newest, info[newest].RootStart, info[newest].RootEnd), result.Written));
    std::uint64_t written = 0;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const Entry& e = entries[k];
        writer.Write("\n  ");
        bytes.CopyElement(e, writer);
        written += e.End - e.Start;
        if ((k & 255) == 0 && !progress(total + written * total / keptBytes, 2 * total)) {
            result.End = MergeEnd::Stopped;
            return result;
        }
    }
    writer.Write("\n</smses>\n");
    if (!progress(2 * total, 2 * total)) result.End = MergeEnd::Stopped;
    return result;
}

std::vector<std::string> MergeReportLines(const MergeResult& result, const std::string& output) {
    std::vector<std::string> lines;
    const auto damage = [](const MergeInputReport& r) {
        return "damaged at line " + std::to_string(r.Line) + " (" + r.Reason + ")";
    };
    if (result.End == MergeEnd::NotBackup) {
        lines.push_back(Quoted(result.Inputs[result.Input].Path) + " is no phone backup: nothing was written.");
        return lines;
    }
    if (result.End == MergeEnd::Damaged) {
        lines.push_back(Quoted(result.Inputs[result.Input].Path) + " is " + damage(result.Inputs[result.Input]) +
                        ": nothing was written.");
        return lines;
    }
    if (result.End == MergeEnd::Stopped) {
        lines.push_back("Stopped: nothing was written.");
        return lines;
    }
    std::string damaged;
    for (const MergeInputReport& r : result.Inputs) {
        std::string line = Quoted(r.Path) + ": " + std::to_string(r.Read) + " read, " + std::to_string(r.Written) +
                           " written, " + std::to_string(r.Twice) + " found twice";
        if (r.Damaged) {
            line += "; " + damage(r) + ", only its first " + std::to_string(r.BytesTaken) + " of " +
                    std::to_string(r.Size) + " bytes were taken";
            damaged += (damaged.empty() ? "" : ", ") + Quoted(r.Path);
        }
        lines.push_back(line + '.');
    }
    if (!damaged.empty()) lines.push_back("Damaged: " + damaged + '.');
    lines.push_back(std::to_string(result.Written) + " messages written to " + Quoted(output) + '.');
    return lines;
}
