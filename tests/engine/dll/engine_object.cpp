#include "engine_object.h"

#include <cwchar>
#include <iterator>

namespace mirvot::test_engine {
namespace {

struct NamedInterface {
  const char* name;
  IID iid;
};

// Formatters of different versions take the stringizing apart differently.
// clang-format off
#define MIRVOT_NAMED(type) NamedInterface{#type, __uuidof(type)}
// clang-format on

const NamedInterface kEngineInterfaces[] = {
    MIRVOT_NAMED(ICoreWebView2Environment),
    MIRVOT_NAMED(ICoreWebView2Environment2),
    MIRVOT_NAMED(ICoreWebView2Environment3),
    MIRVOT_NAMED(ICoreWebView2Environment4),
    MIRVOT_NAMED(ICoreWebView2Environment5),
    MIRVOT_NAMED(ICoreWebView2Environment6),
    MIRVOT_NAMED(ICoreWebView2Environment7),
    MIRVOT_NAMED(ICoreWebView2Environment8),
    MIRVOT_NAMED(ICoreWebView2Environment9),
    MIRVOT_NAMED(ICoreWebView2Environment10),
    MIRVOT_NAMED(ICoreWebView2ControllerOptions),
    MIRVOT_NAMED(ICoreWebView2Controller),
    MIRVOT_NAMED(ICoreWebView2),
    MIRVOT_NAMED(ICoreWebView2_2),
    MIRVOT_NAMED(ICoreWebView2_3),
    MIRVOT_NAMED(ICoreWebView2_4),
    MIRVOT_NAMED(ICoreWebView2Settings),
    MIRVOT_NAMED(ICoreWebView2Settings2),
    MIRVOT_NAMED(ICoreWebView2Settings3),
    MIRVOT_NAMED(ICoreWebView2Settings4),
    MIRVOT_NAMED(ICoreWebView2Settings5),
    MIRVOT_NAMED(ICoreWebView2Settings6),
    MIRVOT_NAMED(ICoreWebView2Settings7),
    MIRVOT_NAMED(ICoreWebView2Settings8),
    MIRVOT_NAMED(ICoreWebView2Settings9),
    MIRVOT_NAMED(ICoreWebView2NewWindowRequestedEventArgs),
    MIRVOT_NAMED(ICoreWebView2DownloadStartingEventArgs),
    MIRVOT_NAMED(ICoreWebView2DownloadOperation),
};

#undef MIRVOT_NAMED

}  // namespace

std::atomic<long>& LiveObjectCount() {
  static std::atomic<long> count{0};
  return count;
}

const char* EngineInterfaceName(REFIID riid) {
  for (const NamedInterface& entry : kEngineInterfaces) {
    if (entry.iid == riid) {
      return entry.name;
    }
  }
  return nullptr;
}

HRESULT CopyToCoTaskMem(const std::wstring& text, LPWSTR* out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  auto* copy = static_cast<LPWSTR>(::CoTaskMemAlloc(bytes));
  if (copy == nullptr) {
    *out = nullptr;
    return E_OUTOFMEMORY;
  }
  std::wmemcpy(copy, text.c_str(), text.size() + 1);
  *out = copy;
  return S_OK;
}

}  // namespace mirvot::test_engine
