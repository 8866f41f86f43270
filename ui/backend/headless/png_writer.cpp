#include "ui/backend/headless/png_writer.h"

#include <algorithm>
#include <array>
#include <fstream>

namespace SkinUI::headless {

namespace {

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutBig32(std::string& out, uint32_t v) {
    out += static_cast<char>(v >> 24);
    out += static_cast<char>(v >> 16);
    out += static_cast<char>(v >> 8);
    out += static_cast<char>(v);
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
    PutBig32(out, static_cast<uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    PutBig32(out, Crc32(reinterpret_cast<const uint8_t*>(body.data()), body.size()));
}

// A zlib stream of stored blocks (at most 65535 bytes each) with its Adler-32.
std::string StoredZlib(const std::string& raw) {
    std::string out = "\x78\x01";
    size_t pos = 0;
    do {
        size_t len = std::min<size_t>(65535, raw.size() - pos);
        bool last = pos + len == raw.size();
        out += static_cast<char>(last ? 1 : 0);
        out += static_cast<char>(len & 0xFF);
        out += static_cast<char>(len >> 8);
        out += static_cast<char>(~len & 0xFF);
        out += static_cast<char>((~len >> 8) & 0xFF);
        out.append(raw, pos, len);
        pos += len;
    } while (pos < raw.size());
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBig32(out, (b << 16) | a);
    return out;
}

}  // namespace

std::string EncodePng(const std::vector<uint32_t>& argb, int width, int height) {
    std::string raw;
    raw.reserve(static_cast<size_t>(height) * (static_cast<size_t>(width) * 4 + 1));
    for (int y = 0; y < height; ++y) {
        raw += '\0';  // filter: none
        for (int x = 0; x < width; ++x) {
            uint32_t p = argb[static_cast<size_t>(y) * width + x];
            uint32_t a = p >> 24;
            auto straight = [a](uint32_t c) {
                return static_cast<char>(a ? std::min<uint32_t>(255, (c * 255 + a / 2) / a) : 0);
            };
            raw += straight((p >> 16) & 0xFF);
            raw += straight((p >> 8) & 0xFF);
            raw += straight(p & 0xFF);
            raw += static_cast<char>(a);
        }
    }
    std::string png = "\x89PNG\r\n\x1a\n";
    std::string header;
    PutBig32(header, static_cast<uint32_t>(width));
    PutBig32(header, static_cast<uint32_t>(height));
    header += std::string("\x08\x06\x00\x00\x00", 5);  // 8-bit RGBA, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", StoredZlib(raw));
    PutChunk(png, "IEND", "");
    return png;
}

bool WritePng(const std::string& path, const std::vector<uint32_t>& argb, int width, int height) {
    std::ofstream file(path, std::ios::binary);
    if (!file) return false;
    std::string png = EncodePng(argb, width, height);
    file.write(png.data(), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(file);
}

}  // namespace SkinUI::headless
