#include "tremcryptolib/CryptoLib.h"

#include "Sha256.h"

#include "tremorybase/Config.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

void StderrLog(const char *fmt, ...)
{
   va_list args;
   va_start(args, fmt);
   vfprintf(stderr, fmt, args);
   va_end(args);
}

CryptoLibLogFunc g_log = StderrLog;
CryptoLibLogFunc g_warning = StderrLog;
CryptoLibLogFunc g_panic = StderrLog;
bool g_fipsMode = false;

void Wipe(void *p, size_t size)
{
   volatile unsigned char *b = static_cast<volatile unsigned char *>(p);
   for (size_t i = 0; i < size; i++) {
      b[i] = 0;
   }
}

}  // namespace

const size_t CryptoLibKey::kSize;

void CryptoLib_SetLogFunctions(CryptoLibLogFunc log, CryptoLibLogFunc warning, CryptoLibLogFunc panic)
{
   g_log = log ? log : StderrLog;
   g_warning = warning ? warning : StderrLog;
   g_panic = panic ? panic : StderrLog;
}

bool CryptoLib_EnableFIPSMode()
{
   if (Config_GetBool("test.fips.fail", false)) {
      g_warning("CryptoLib: FIPS mode self-test failed.\n");
      return false;
   }
   if (!g_fipsMode) {
      // The known-answer self-test a FIPS module runs before it may be used.
      static const unsigned char kAbc[Sha256::kDigestSize] = {
         0xba, 0x78, 0x16, 0xbf, 0x8f, 0x01, 0xcf, 0xea, 0x41, 0x41, 0x40, 0xde, 0x5d, 0xae, 0x22, 0x23,
         0xb0, 0x03, 0x61, 0xa3, 0x96, 0x17, 0x7a, 0x9c, 0xb4, 0x10, 0xff, 0x61, 0xf2, 0x00, 0x15, 0xad,
      };
      unsigned char digest[Sha256::kDigestSize];
      CryptoLib_Sha256("abc", 3, digest);
      if (memcmp(digest, kAbc, sizeof digest) != 0) {
         g_warning("CryptoLib: FIPS mode self-test failed.\n");
         return false;
      }
      g_fipsMode = true;
      g_log("CryptoLib: FIPS mode enabled.\n");
   }
   return true;
}

bool CryptoLib_IsFIPSMode()
{
   return g_fipsMode;
}

CryptoLibKey *CryptoLib_DeriveKey(const void *secret, size_t secretSize, const void *salt, size_t saltSize,
                                  unsigned iterations)
{
   if (iterations == 0) {
      return nullptr;
   }
   CryptoLibKey *key = new (std::nothrow) CryptoLibKey;
   if (!key) {
      g_warning("CryptoLib: Out of memory deriving a key.\n");
      return nullptr;
   }
   // One PBKDF2 block: U1 = HMAC(secret, salt || 1), Un = HMAC(secret, Un-1), key = U1 ^ ... ^ Un.
   unsigned char *first = new unsigned char[saltSize + 4];
   if (saltSize > 0) {
      memcpy(first, salt, saltSize);
   }
   first[saltSize] = 0;
   first[saltSize + 1] = 0;
   first[saltSize + 2] = 0;
   first[saltSize + 3] = 1;
   unsigned char u[Sha256::kDigestSize];
   HmacSha256(secret, secretSize, first, saltSize + 4, u);
   delete[] first;
   memcpy(key->bytes, u, sizeof u);
   for (unsigned i = 1; i < iterations; i++) {
      unsigned char next[Sha256::kDigestSize];
      HmacSha256(secret, secretSize, u, sizeof u, next);
      memcpy(u, next, sizeof u);
      for (size_t j = 0; j < sizeof u; j++) {
         key->bytes[j] ^= u[j];
      }
   }
   Wipe(u, sizeof u);
   return key;
}

void CryptoLib_ReleaseDerived(CryptoLibKey *key)
{
   if (key) {
      Wipe(key->bytes, sizeof key->bytes);
      delete key;
   }
}

void CryptoLib_Sha256(const void *data, size_t size, unsigned char digest[32])
{
   Sha256 h;
   h.Update(data, size);
   h.Final(digest);
}
