// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/Sha256.h"

#include <openssl/evp.h>

#include <new>

struct Sha256::Context {
    EVP_MD_CTX* Ctx = EVP_MD_CTX_new();
    ~Context() { EVP_MD_CTX_free(Ctx); }
    void Start() {
        if (!Ctx || EVP_DigestInit_ex(Ctx, EVP_sha256(), nullptr) != 1) throw std::bad_alloc();
    }
};

Sha256::Sha256() : context_(std::make_unique<Context>()) { context_->Start(); }
Sha256::~Sha256() = default;

void Sha256::Update(const void* data, std::size_t n) {
    if (n > 0) EVP_DigestUpdate(context_->Ctx, data, n);
}

Sha256Digest Sha256::Final() {
    Sha256Digest d{};
    unsigned int n = 0;
    EVP_DigestFinal_ex(context_->Ctx, d.data(), &n);
    context_->Start();
    return d;
}

Sha256Digest Sha256Of(std::string_view bytes) {
    Sha256Digest d{};
    unsigned int n = 0;
    EVP_Digest(bytes.data(), bytes.size(), d.data(), &n, EVP_sha256(), nullptr);
    return d;
}

std::string HexOf(const Sha256Digest& digest) {
    static constexpr char Digits[] = "0123456789abcdef";
    std::string s(64, '0');
    for (std::size_t i = 0; i < digest.size(); ++i) {
        s[2 * i] = Digits[digest[i] >> 4];
        s[2 * i + 1] = Digits[digest[i] & 15];
    }
    return s;
}
