#pragma once

// SHA-256, fed in pieces as a file is written, for the manifest. OpenSSL's libcrypto does
// the work: it uses the processor's SHA instructions where there are some, several times
// faster than plain C++, so hashing costs little next to copying.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct evp_md_ctx_st;

namespace vantrel {

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Reset();
    void Update(const void* data, std::size_t size);
    std::array<std::uint8_t, 32> Finish(); // the object must be Reset before reuse
    // Lower-case hexadecimal of Finish().
    std::string FinishHex();

private:
    struct Free {
        void operator()(evp_md_ctx_st* context) const;
    };
    std::unique_ptr<evp_md_ctx_st, Free> context_;
};

} // namespace vantrel
