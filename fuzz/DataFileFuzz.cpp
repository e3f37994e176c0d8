// The data file reader on any bytes: it reads what fits (or stops with an input/output
// error, keeping what was read), leaves no slot above the count filled, and what it read
// makes a file that reads back to the same messages and writes again to the same bytes.
#include <string>

#include "FuzzSupport.h"
#include "MBVars/DataFile.h"
#include "MBVars/Store.h"
#include "OFuncs/IoError.h"

namespace {

MsgStore& Store(int which) {
    static MsgStore* stores[2] = {new MsgStore, new MsgStore};
    return *stores[which];
}

bool SameMessage(const XMsgRecType& a, const XMsgRecType& b) {
    return a.Flags == b.Flags && a.Serial == b.Serial && a.Color == b.Color && a.Reserved == b.Reserved &&
           a.Time == b.Time && a.Phone == b.Phone && a.Name == b.Name && a.Text == b.Text;
}

bool EmptySlot(const XMsgRecType& m) {
    return m.Flags == 0 && m.Serial == 0 && m.Color == 0 && m.Reserved == 0 && m.Time.empty() &&
           m.Phone.empty() && m.Name.empty() && m.Text.empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ScratchDir& dir = fuzz::ScratchDir::Get();
    const std::string given = dir.Path("given.kst"), first = dir.Path("first.kst"), second = dir.Path("second.kst");
    fuzz::WriteBytes(given, std::string_view(reinterpret_cast<const char*>(data), size));

    DefaultsType defaults;
    MsgStore& S = Store(0);
    ClearStore(S, defaults);
    try {
        FUZZ_CHECK(ReadDataFile(S, given) == 0);
    } catch (const IoError&) {
        // A file cut short or of another layout: what was read stays.
    }
    FUZZ_CHECK(S.MessageCount >= 0 && S.MessageCount <= MaxMessages);
    for (int k = S.MessageCount + 1; k <= MaxMessages; ++k) FUZZ_CHECK(EmptySlot(S.Messages[k]));
    for (int k = 1; k <= S.MessageCount; ++k) FUZZ_CHECK(S.Messages[k].Text.size() <= MaxTextLength);

    FUZZ_CHECK(WriteDataFile(S, first) == 0);
    FUZZ_CHECK(!S.Modified);
    const std::string bytes = fuzz::ReadBytes(first);
    std::size_t textBytes = 0;
    for (int k = 1; k <= S.MessageCount; ++k) textBytes += S.Messages[k].Text.size();
    FUZZ_CHECK(bytes.size() == 20 + 91 * std::size_t(S.MessageCount + 1) + 8 * std::size_t(S.MessageCount) + textBytes);

    MsgStore& R = Store(1);
    ClearStore(R, defaults);
    FUZZ_CHECK(ReadDataFile(R, first) == 0);
    FUZZ_CHECK(R.MessageCount == S.MessageCount);
    for (int k = 1; k <= S.MessageCount; ++k) FUZZ_CHECK(SameMessage(R.Messages[k], S.Messages[k]));
    FUZZ_CHECK(WriteDataFile(R, second) == 0);
    FUZZ_CHECK(fuzz::ReadBytes(second) == bytes);
    return 0;
}
