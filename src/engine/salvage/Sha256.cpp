#include "engine/salvage/Sha256.h"

#include <new>
#include <openssl/evp.h>

namespace vantrel {

void Sha256::Free::operator()(evp_md_ctx_st* context) const {
    EVP_MD_CTX_free(context);
}

Sha256::Sha256() : context_(EVP_MD_CTX_new()) {
    if (!context_)
        throw std::bad_alloc();
    Reset();
}

Sha256::~Sha256() = default;

// The digest calls fail only when memory runs out or the library is broken; a wrong
// hash in a manifest must never pass unseen, so that is treated like a failed allocation.
void Sha256::Reset() {
    if (EVP_DigestInit_ex(context_.get(), EVP_sha256(), nullptr) != 1)
        throw std::bad_alloc();
}

void Sha256::Update(const void* data, std::size_t size) {
    if (size > 0 && EVP_DigestUpdate(context_.get(), data, size) != 1)
        throw std::bad_alloc();
}

std::array<std::uint8_t, 32> Sha256::Finish() {
    std::array<std::uint8_t, 32> digest{};
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context_.get(), digest.data(), &length) != 1 || length != digest.size())
        throw std::bad_alloc();
    return digest;
}

std::string Sha256::FinishHex() {
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t byte : Finish()) {
        text += kHex[byte >> 4];
        text += kHex[byte & 15];
    }
    return text;
}

} // namespace vantrel
