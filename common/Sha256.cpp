#include "Sha256.h"

#include <algorithm>

#include <openssl/err.h>
#include <openssl/evp.h>

namespace {

// Fetched once for the whole program: a digest named at every start would be
// looked up in the provider tables each time, once per piece.
const EVP_MD* Sha256Method()
{
    static EVP_MD* const method = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    return method;
}

IoStatus LibraryFailure()
{
    char text[256] = "SHA-256 failed";
    if (const unsigned long code = ERR_get_error(); code != 0) ERR_error_string_n(code, text, sizeof text);
    ERR_clear_error();
    return IoStatus::Failure(text);
}

}  // namespace

std::string HexOf(const Sha256Digest& digest)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(digest.size() * 2);
    for (const unsigned char b : digest) {
        hex += kDigits[b >> 4];
        hex += kDigits[b & 0xF];
    }
    return hex;
}

Sha256::Sha256() : context_(EVP_MD_CTX_new()) { Start(); }

Sha256::~Sha256() { EVP_MD_CTX_free(context_); }

void Sha256::Start()
{
    ok_ = context_ != nullptr && Sha256Method() != nullptr &&
          EVP_DigestInit_ex2(context_, Sha256Method(), nullptr) == 1;
}

void Sha256::Update(std::span<const char> bytes)
{
    if (ok_ && !bytes.empty()) ok_ = EVP_DigestUpdate(context_, bytes.data(), bytes.size()) == 1;
}

IoStatus Sha256::Finish(Sha256Digest& digest)
{
    unsigned int length = 0;
    const bool finished = ok_ && EVP_DigestFinal_ex(context_, digest.data(), &length) == 1 &&
                          length == digest.size();
    const IoStatus status = finished ? IoStatus::Success() : LibraryFailure();
    Start();
    return status;
}

IoStatus Sha256OfFile(const std::string& path, Sha256Digest& digest)
{
    BinaryReader file;
    if (IoStatus s = file.Open(path); !s) return s;
    Sha256 hash;
    std::string chunk(128 * 1024, '\0');
    for (int64_t left = file.Length(); left > 0;) {
        const size_t size = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(chunk.size())));
        const std::span<char> bytes(chunk.data(), size);
        if (IoStatus s = file.Read(bytes); !s) return s;
        hash.Update(bytes);
        left -= static_cast<int64_t>(size);
    }
    return hash.Finish(digest).About(path);
}
