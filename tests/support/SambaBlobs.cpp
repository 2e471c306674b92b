#include "SambaBlobs.h"

#include <cstdio>

namespace tarvolin::test {

namespace {

void Put(Bytes& out, std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PadTo(Bytes& out, std::size_t alignment) {
    while (out.size() % alignment != 0)
        out.push_back(0);
}

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", value);
    return text;
}

Bytes Head(const std::string& text, std::uint16_t version) {
    Bytes out = BareHexBlob(text, true);
    PadTo(out, 2);
    Put(out, version, 2);
    Put(out, version, 2);
    PadTo(out, 4);
    return out;
}

} // namespace

Bytes BareHexBlob(const std::string& text, bool withNul) {
    Bytes out(text.begin(), text.end());
    if (withNul)
        out.push_back(0);
    return out;
}

Bytes Version1Blob(std::uint32_t attrib, std::uint64_t createTime) {
    Bytes out = Head(Hex(attrib), 1);
    Put(out, attrib, 4);
    Put(out, 0, 4);    // ea_size
    Put(out, 4096, 8); // size
    Put(out, 8192, 8); // alloc_size
    Put(out, createTime, 8);
    Put(out, 1234, 8); // change_time
    return out;
}

Bytes Version2Blob(std::uint32_t attrib, const std::string& name) {
    Bytes out = Head(Hex(attrib), 2);
    Put(out, 0, 4); // flags
    Put(out, attrib, 4);
    Put(out, 0, 4);
    Put(out, 4096, 8);
    Put(out, 8192, 8);
    Put(out, 1111, 8);
    Put(out, 2222, 8);
    Put(out, 3333, 8);
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(0);
    return out;
}

Bytes Version3Blob(std::uint32_t validFlags, std::uint32_t attrib, std::uint64_t createTime) {
    Bytes out = Head(Hex(attrib), 3);
    Put(out, validFlags, 4);
    Put(out, attrib, 4);
    Put(out, 0, 4);
    Put(out, 4096, 8);
    Put(out, 8192, 8);
    Put(out, createTime, 8);
    Put(out, 4321, 8);
    return out;
}

Bytes Version4Blob(std::uint32_t validFlags, std::uint32_t attrib, std::uint64_t createTime) {
    Bytes out = Head("", 4);
    Put(out, validFlags, 4);
    Put(out, attrib, 4);
    Put(out, 777, 8); // itime
    Put(out, createTime, 8);
    return out;
}

Bytes Version5Blob(std::uint32_t validFlags, std::uint32_t attrib, std::uint64_t createTime) {
    Bytes out = Head("", 5);
    Put(out, validFlags, 4);
    Put(out, attrib, 4);
    Put(out, createTime, 8);
    return out;
}

} // namespace tarvolin::test
