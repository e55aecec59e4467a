#include "file_drag.h"

#include <shlobj.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <thread>

#include "common/com_object.h"
#include "engine/test_engine_client.h"

namespace mirvot::sweep {
namespace {

constexpr int kAsksBeforeLettingGo = 3;

bool is_file_list(const FORMATETC* format) {
  return format != nullptr && format->cfFormat == CF_HDROP &&
         (format->tymed & TYMED_HGLOBAL) != 0 && format->dwAspect == DVASPECT_CONTENT;
}

// Shared by the drag's thread and the caller, which may stop waiting first.
struct Drag {
  std::wstring file;
  std::atomic<bool> asked{false};
  std::atomic<bool> finished{false};
  HRESULT result = E_FAIL;
  DWORD effect = DROPEFFECT_NONE;
};

class FileData final : public ComObject<IDataObject> {
 public:
  explicit FileData(std::shared_ptr<Drag> drag) : drag_(std::move(drag)) {}

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) noexcept override {
    drag_->asked = true;
    if (medium == nullptr || !is_file_list(format)) {
      return DV_E_FORMATETC;
    }
    // DROPFILES, then the one path and the empty one that ends the list.
    const std::wstring& file = drag_->file;
    const std::size_t bytes = sizeof(DROPFILES) + (file.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* files = memory != nullptr ? static_cast<DROPFILES*>(::GlobalLock(memory)) : nullptr;
    if (files == nullptr) {
      ::GlobalFree(memory);
      return E_OUTOFMEMORY;
    }
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    std::memcpy(files + 1, file.c_str(), file.size() * sizeof(wchar_t));
    ::GlobalUnlock(memory);
    *medium = STGMEDIUM{};
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) noexcept override {
    drag_->asked = true;
    return is_file_list(format) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) noexcept override {
    if (out != nullptr) {
      out->ptd = nullptr;
    }
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction,
                                          IEnumFORMATETC** formats) noexcept override {
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return direction == DATADIR_GET ? ::SHCreateStdEnumFmtEtc(1, &format, formats) : E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) noexcept override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) noexcept override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) noexcept override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

 private:
  std::shared_ptr<Drag> drag_;
};

class LettingGoSource final : public ComObject<IDropSource> {
 public:
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD /*keys*/) noexcept override {
    if (escape) {
      return DRAGDROP_S_CANCEL;
    }
    return ++asks_ < kAsksBeforeLettingGo ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD /*effect*/) noexcept override {
    return DRAGDROP_S_USEDEFAULTCURSORS;
  }

 private:
  int asks_ = 0;
};

void run_drag(const std::shared_ptr<Drag>& drag) {
  if (SUCCEEDED(::OleInitialize(nullptr))) {
    {
      const Microsoft::WRL::ComPtr<IDataObject> data =
          AdoptComReference<IDataObject>(new FileData(drag));
      const Microsoft::WRL::ComPtr<IDropSource> source =
          AdoptComReference<IDropSource>(new LettingGoSource());
      DWORD effect = DROPEFFECT_NONE;
      drag->result = ::DoDragDrop(data.Get(), source.Get(), DROPEFFECT_COPY, &effect);
      drag->effect = effect;
    }
    ::OleUninitialize();
  }
  drag->finished = true;
}

}  // namespace

FileDrop drop_file_onto(HWND window, const std::wstring& file, DWORD timeoutMs) {
  RECT client{};
  if (!::GetClientRect(window, &client)) {
    return {};
  }
  POINT middle{client.right / 2, client.bottom / 2};
  ::ClientToScreen(window, &middle);
  ::SetCursorPos(middle.x, middle.y);

  auto drag = std::make_shared<Drag>();
  drag->file = file;
  std::thread([drag] { run_drag(drag); }).detach();
  FileDrop drop;
  drop.finished = test::PumpMessagesUntil([&] { return drag->finished.load(); }, timeoutMs);
  drop.formatsAsked = drag->asked;
  if (drop.finished) {
    drop.result = drag->result;
    drop.effect = drag->effect;
  }
  return drop;
}

}  // namespace mirvot::sweep
