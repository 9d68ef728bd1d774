#include "CodePage.h"

#include <cerrno>
#include <iconv.h>

namespace {

std::optional<std::string> Convert(const char* to, const char* from, std::string_view in)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out;
    out.resize(in.size() * 4 + 16);
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    const size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    const bool ok = rc != static_cast<size_t>(-1) && inLeft == 0 &&
                    iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<size_t>(-1);
    iconv_close(cd);
    if (!ok) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

std::optional<std::string> Utf8ToCp932(std::string_view utf8)
{
    std::optional<std::string> cp932 = Convert("CP932", "UTF-8", utf8);
    // The converter maps some characters one way only; the bytes count only
    // when they bring back exactly the text they were made from.
    if (cp932 && Cp932ToUtf8(*cp932) != utf8) return std::nullopt;
    return cp932;
}

std::optional<std::string> Cp932ToUtf8(std::string_view cp932) { return Convert("UTF-8", "CP932", cp932); }

std::string EncodeTextLine(std::string_view utf8)
{
    if (auto cp932 = Utf8ToCp932(utf8)) return *cp932;
    return std::string(kUtf8Mark) + std::string(utf8);
}

std::string DecodeTextLine(std::string_view bytes)
{
    if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) return std::string(bytes.substr(kUtf8Mark.size()));
    if (auto utf8 = Cp932ToUtf8(bytes)) return *utf8;
    return std::string(bytes);
}

size_t CharacterCount(std::string_view utf8)
{
    size_t n = 0;
    for (unsigned char c : utf8)
        if (!IsContinuation(c)) ++n;
    return n;
}

std::string_view LastCharacters(std::string_view utf8, size_t n)
{
    size_t pos = utf8.size();
    while (n > 0 && pos > 0) {
        --pos;
        while (pos > 0 && IsContinuation(static_cast<unsigned char>(utf8[pos]))) --pos;
        --n;
    }
    return utf8.substr(pos);
}
