// SHA-256 and HMAC-SHA-256, the primitives under key derivation.
#pragma once

#include <cstddef>
#include <cstdint>

class Sha256 {
public:
   static const size_t kDigestSize = 32;
   static const size_t kBlockSize = 64;

   Sha256();
   ~Sha256();
   void Update(const void *data, size_t size);
   void Final(unsigned char digest[kDigestSize]);

private:
   void Transform(const unsigned char block[kBlockSize]);

   uint32_t state_[8];
   unsigned char buffer_[kBlockSize];
   size_t buffered_ = 0;
   uint64_t totalBytes_ = 0;
};

void HmacSha256(const void *key, size_t keySize, const void *data, size_t dataSize,
                unsigned char mac[Sha256::kDigestSize]);
