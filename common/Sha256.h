#pragma once
// SHA-256 over OpenSSL's libcrypto (EVP), fed piece by piece. The library
// picks the processor's SHA instructions where there are any.
#include <array>
#include <span>
#include <string>

#include "Files.h"

struct evp_md_ctx_st;  // OpenSSL's EVP_MD_CTX

using Sha256Digest = std::array<unsigned char, 32>;

// The digest as 64 lowercase hexadecimal digits.
std::string HexOf(const Sha256Digest& digest);

// The digest of a whole file, read in large chunks; a failure names the file.
IoStatus Sha256OfFile(const std::string& path, Sha256Digest& digest);

class Sha256 {
public:
    Sha256();  // ready for the first bytes
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Update(std::span<const char> bytes);
    // The digest of everything fed since the start or the last Finish; the
    // next bytes start a new digest. Fails when the library failed at any step.
    IoStatus Finish(Sha256Digest& digest);

private:
    void Start();
    evp_md_ctx_st* context_ = nullptr;
    bool ok_ = false;
};
