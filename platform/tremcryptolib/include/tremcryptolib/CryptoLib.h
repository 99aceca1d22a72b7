// The cryptography library: FIPS mode, key derivation and the log callbacks it reports through.
#pragma once

#include <cstddef>

typedef void (*CryptoLibLogFunc)(const char *fmt, ...);

// The functions the library logs, warns and panics through, in that order. Before this call (or
// for a null function) it writes to standard error.
void CryptoLib_SetLogFunctions(CryptoLibLogFunc log, CryptoLibLogFunc warning, CryptoLibLogFunc panic);

// Switches to FIPS mode. False (with a warning) when it is refused; the configuration key
// "test.fips.fail" makes it refuse.
bool CryptoLib_EnableFIPSMode();
bool CryptoLib_IsFIPSMode();

// A key derived from secret material; wiped when released.
struct CryptoLibKey {
   static const size_t kSize = 32;
   unsigned char bytes[kSize];
};

// PBKDF2 with HMAC-SHA-256 into one 32-byte key. Null for a zero iteration count.
CryptoLibKey *CryptoLib_DeriveKey(const void *secret, size_t secretSize, const void *salt, size_t saltSize,
                                  unsigned iterations);
// Wipes and frees a derived key; null is ignored.
void CryptoLib_ReleaseDerived(CryptoLibKey *key);

// SHA-256 of `size` bytes into digest[32].
void CryptoLib_Sha256(const void *data, size_t size, unsigned char digest[32]);
