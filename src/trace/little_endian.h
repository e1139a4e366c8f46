// 32-bit little-endian integers in byte buffers, whatever the machine's order.
#pragma once

#include <cstdint>
#include <string_view>

namespace kw {

inline void PutLittleEndian32(char* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline uint32_t GetLittleEndian32(std::string_view bytes, size_t offset) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i)
    value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
  return value;
}

}  // namespace kw
