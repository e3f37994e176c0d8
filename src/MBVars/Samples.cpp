// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/Samples.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <vector>

#include "Lang/TimeValue.h"
#include "OFuncs/AtomicFile.h"
#include "OFuncs/IoError.h"

#ifndef KESTRO_DATA_DIR
#define KESTRO_DATA_DIR "/usr/local/share/kestro"
#endif
// The installed data folder seen from the installed program's folder, so that an install
// into any prefix finds its word list.
#ifndef KESTRO_DATA_DIR_FROM_BIN
#define KESTRO_DATA_DIR_FROM_BIN "../share/kestro"
#endif

namespace {

constexpr std::size_t MinLineLength = 4;
constexpr std::size_t MaxSampleName = 255;
constexpr int TimeSteps = 65535;   // a sample time lies TimeSteps random steps ...
constexpr double DaysBack = 365;   // ... spread over the year before the start

// 0..n-1, and 0 when n is 0.
int Random(std::mt19937& rng, int n) { return n <= 0 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(rng); }

// The lines that count (4 characters or more), at most maxLines; contact lines begin with "+".
struct WordList {
    std::vector<std::string> Lines;
    int Contacts = 0;
};

bool ReadWordList(const std::string& path, int maxLines, WordList& list) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string line;
    while (static_cast<int>(list.Lines.size()) < maxLines && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() < MinLineLength) continue;
        if (line.front() == '+') ++list.Contacts;
        list.Lines.push_back(line);
    }
    return true;
}

// A contact line is the number, a tab, the name; without a tab it is all name.
struct SampleContact {
    std::string_view Number, Name;
};

SampleContact SplitContact(std::string_view line) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return {{}, line.substr(0, MaxSampleName)};
    return {line.substr(0, tab), line.substr(tab + 1, MaxSampleName)};
}

// "yyyy.mm.dd hh:mm" of a date-time value (to the millisecond, then cut to the minute).
std::string FormatMinute(double value) {
    double day = std::floor(value);
    long long ms = std::llround((value - day) * 86400000.0);
    if (ms >= 86400000LL) {
        day += 1;
        ms = 0;
    }
    const CivilDate date = DecodeDate(static_cast<long long>(day));
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d.%02d.%02d %02d:%02d", date.Year, date.Month, date.Day,
                  static_cast<int>(ms / 3600000), static_cast<int>(ms / 60000 % 60));
    return buf;
}

// One file of sample lines; the old file of that name is replaced once it is complete.
class SampleFile {
public:
    SampleFile(const std::string& path, std::string& fileList) {
        if (const int err = out_.Open(path)) throw IoError::Other(err).In(path, "write");
        fileList += path + "\r\n";
    }
    // Writes the quoted fields separated by commas, then CR LF; values go in as they are.
    void Line(std::initializer_list<std::string_view> fields) {
        line_.clear();
        for (std::string_view f : fields) {
            if (!line_.empty()) line_ += ',';
            line_ += '"';
            line_ += f;
            line_ += '"';
        }
        line_ += "\r\n";
        out_.Write(line_);
    }
    void Close() { out_.Commit(); }

private:
    AtomicFileWriter out_;
    std::string line_;
};

}  // namespace

std::string WriteSampleFiles(const std::string& prefix, const std::string& wordListPath, double startTime,
                             std::mt19937& rng, int maxLines, int linesPerFile) {
    WordList list;
    if (!ReadWordList(wordListPath, maxLines, list)) return {};
    const int n = static_cast<int>(list.Lines.size()), c = list.Contacts;
    if (n == c) return {};  // no message text to draw from

    struct Pick {
        SampleContact Contact;
        std::string Time;
        std::string_view Text;
    };
    // One of the first fifth of the contact lines, a minute in the last year, a text line.
    auto pick = [&]() {
        Pick p;
        p.Contact = SplitContact(list.Lines[static_cast<std::size_t>(Random(rng, c / 5))]);
        p.Time = FormatMinute(startTime - Random(rng, TimeSteps) * DaysBack / TimeSteps);
        p.Text = list.Lines[static_cast<std::size_t>(c + Random(rng, n - c))];
        return p;
    };

    std::string files;
    // Every file places the number where the import reads it: the first quoted field of
    // numeric-form lines and the number column 16 of contact lines.
    {
        SampleFile f(prefix + "_all_messages_from_phone_suite.csv", files);
        for (int i = 0; i < linesPerFile; ++i) {
            const bool received = Random(rng, 2) == 1;
            const Pick p = pick();
            f.Line({"sms", received ? "5" : "36", p.Contact.Number, "", "", p.Time, "", p.Text});
        }
        f.Close();
    }
    {
        SampleFile f(prefix + "_sent_messages_from_classic_suite.csv", files);
        for (int i = 0; i < linesPerFile; ++i) {
            const Pick p = pick();
            f.Line({"sms", "submit", "", p.Contact.Number, "", p.Time, "", p.Text});
        }
        f.Close();
    }
    {
        SampleFile f(prefix + "_inbox_messages_from_classic_suite.csv", files);
        for (int i = 0; i < linesPerFile; ++i) {
            const Pick p = pick();
            f.Line({"sms", "deliver", p.Contact.Number, "", "", p.Time, "", p.Text});
        }
        f.Close();
    }
    {
        SampleFile f(prefix + "_contacts_from_classic_suite.csv", files);
        f.Line({"Title", "First name", "Middle name", "..."});
        for (int i = 0; i < c; ++i) {
            const SampleContact contact = SplitContact(list.Lines[static_cast<std::size_t>(i)]);
            f.Line({"", "", contact.Name, "", "", "", "", "", "", "", "", "", "", "", "", "", contact.Number});
        }
        f.Close();
    }
    return files;
}

std::string FindWordList(const std::string& programDir) {
    namespace fs = std::filesystem;
    const fs::path beside = fs::path(programDir) / WordListFileName;
    const fs::path besideInstalled =
        (fs::path(programDir) / KESTRO_DATA_DIR_FROM_BIN / WordListFileName).lexically_normal();
    const fs::path configured = fs::path(KESTRO_DATA_DIR) / WordListFileName;
    std::error_code ec;
    for (const fs::path& candidate : {beside, besideInstalled, configured})
        if (fs::is_regular_file(candidate, ec)) return candidate.string();
    return beside.string();
}
