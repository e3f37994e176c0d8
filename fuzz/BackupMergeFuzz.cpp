// SPDX-License-Identifier: GPL-3.0-or-later
// The merge of phone backups on any bytes. Its filter gives the same bytes fed whole and fed
// in pieces of the first byte's size, and leads every `<` it gives back to a `<` of the input.
// A merge that writes gives a file a strict parser reads whole, with `count` elements, which
// merged with itself comes back unchanged.
#include <expat.h>

#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "Formats/BackupMerge.h"
#include "Formats/BackupMergeRepair.h"

namespace {
void CheckRepair(std::string_view bytes, std::size_t piece, BackupMergeRepair::DataValues data) {
    std::string whole, pieces;
    BackupMergeRepair a(data), b(data);
    a.Feed(bytes, whole);
    a.Finish(whole);
    for (std::size_t at = 0; at < bytes.size(); at += piece) b.Feed(bytes.substr(at, piece), pieces);
    b.Finish(pieces);
    FUZZ_CHECK(whole == pieces);
    for (std::size_t i = 0; (i = whole.find('<', i)) != std::string::npos; ++i) {
        const std::uint64_t in = a.InputOffset(i);
        FUZZ_CHECK(in < bytes.size() && bytes[in] == '<');
    }
    // Bytes the filter says it left alone are its output: the merge copies them as they are.
    if (data == BackupMergeRepair::DataValues::Keep && !a.ChangedIn(0, bytes.size() + 1)) FUZZ_CHECK(whole == bytes);
}

// The elements at depth 2 of a file a strict parser reads whole; -1 when it refuses it.
long StrictElements(const std::string& xml) {
    struct State {
        int Depth = 0;
        long Elements = 0;
    } s;
    XML_Parser p = XML_ParserCreate("UTF-8");
    XML_SetUserData(p, &s);
    XML_SetElementHandler(
        p, [](void* d, const XML_Char*, const XML_Char**) { ++static_cast<State*>(d)->Depth; },
        [](void* d, const XML_Char*) {
            auto& st = *static_cast<State*>(d);
            if (st.Depth-- == 2) ++st.Elements;
        });
    const bool ok = XML_Parse(p, xml.data(), static_cast<int>(xml.size()), XML_TRUE) == XML_STATUS_OK;
    XML_ParserFree(p);
    return ok ? s.Elements : -1;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = 1 + data[0] % 64;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    CheckRepair(bytes, piece, BackupMergeRepair::DataValues::Keep);
    CheckRepair(bytes, piece, BackupMergeRepair::DataValues::Hash);

    const fuzz::ScratchDir& dir = fuzz::ScratchDir::Get();
    const std::string in = dir.Path("in.xml"), out = dir.Path("out.xml"), again = dir.Path("again.xml");
    fuzz::WriteBytes(in, bytes);
    const MergeResult r = MergeBackups({in, in}, out, MergeOptions{.SkipDamaged = true, .Progress = {}});
    if (r.End != MergeEnd::Written) return 0;
    const std::string merged = fuzz::ReadBytes(out);
    FUZZ_CHECK(StrictElements(merged) == r.Written);
    FUZZ_CHECK(MergeBackups({out, out}, again).End == MergeEnd::Written);
    FUZZ_CHECK(fuzz::ReadBytes(again) == merged);
    return 0;
}
