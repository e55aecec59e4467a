#pragma once
// Taking over the first reference of a newly made COM object. ComPtr::Attach cannot be used
// for this: the MinGW-w64 edition of <wrl/client.h> adds a reference in Attach, which would
// leak every object made that way. Writing through ReleaseAndGetAddressOf stores the pointer
// without touching its count under every edition.
#include <wrl/client.h>

namespace mirvot {

template <typename Interface, typename Object>
[[nodiscard]] Microsoft::WRL::ComPtr<Interface> AdoptReference(Object* object) noexcept {
  Microsoft::WRL::ComPtr<Interface> owner;
  *owner.ReleaseAndGetAddressOf() = object;
  return owner;
}

template <typename Object>
[[nodiscard]] Microsoft::WRL::ComPtr<Object> AdoptReference(Object* object) noexcept {
  return AdoptReference<Object, Object>(object);
}

}  // namespace mirvot
