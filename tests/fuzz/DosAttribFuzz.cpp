// Any bytes another program left in user.DOSATTRIB: parsing must never crash, and whatever
// parses must survive being written back and read again.

#include "DosAttribBlob.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarvolin;
    const std::optional<DosAttrib> parsed = ParseDosAttrib({data, size});
    if (!parsed)
        return 0;
    const std::vector<std::uint8_t> encoded = EncodeDosAttrib(*parsed);
    const std::optional<DosAttrib> again = ParseDosAttrib(encoded);
    if (!again || again->attributes != parsed->attributes ||
        again->createTime != parsed->createTime)
        std::abort();
    return 0;
}
