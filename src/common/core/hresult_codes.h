#pragma once
// Result-code arithmetic shared by the loader and the shell. No Windows header here, so the
// same rules build and are tested on any host.
#include <cstdint>

namespace mirvot {

// A Win32 error code turned into an HRESULT the way the platform's HRESULT_FROM_WIN32 does:
// a positive code is moved into the Win32 facility with the failure bit set; zero and values
// that are already negative (already HRESULTs) pass unchanged.
constexpr std::int32_t HResultFromWin32Code(std::uint32_t error) noexcept {
  const auto asSigned = static_cast<std::int32_t>(error);
  if (asSigned <= 0) {
    return asSigned;
  }
  return static_cast<std::int32_t>(0x80070000u | (error & 0xFFFFu));
}

}  // namespace mirvot
