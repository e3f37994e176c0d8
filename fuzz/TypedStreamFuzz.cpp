// SPDX-License-Identifier: GPL-3.0-or-later
// An iPhone message's archived text as any bytes: the decoder either refuses it or gives
// valid UTF-8 that, archived again, decodes to itself; and a prefix of an archive it
// reads is never read as the same text with bytes missing.
#include <string>

#include "FuzzSupport.h"
#include "Formats/TypedStream.h"
#include "OFuncs/DisplayText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::optional<std::string> text = TypedStreamText(bytes);
    if (!text) return 0;
    FUZZ_CHECK(IsValidUtf8(*text));
    FUZZ_CHECK(text->size() < size);
    const std::optional<std::string> again = TypedStreamText(MakeTypedStream(*text));
    FUZZ_CHECK(again && *again == *text);
    // The string is the first thing read after the class chains: cut inside it, the
    // archive is refused.
    if (!text->empty()) FUZZ_CHECK(!TypedStreamText(bytes.substr(0, bytes.find(*text) + text->size() - 1)));
    return 0;
}
