#include "shell/file_drop_target.h"

#include "common/com_object.h"

namespace mirvot {
namespace {

bool carries_files(IDataObject* data) noexcept {
  if (data == nullptr) {
    return false;
  }
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  return data->QueryGetData(&format) == S_OK;
}

class FileDropTarget final : public ComObject<IDropTarget> {
 public:
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD /*keyState*/, POINTL /*point*/,
                                      DWORD* effect) noexcept override {
    carries_files_ = carries_files(data);
    return answer(effect);
  }

  HRESULT STDMETHODCALLTYPE DragOver(DWORD /*keyState*/, POINTL /*point*/,
                                     DWORD* effect) noexcept override {
    return answer(effect);
  }

  HRESULT STDMETHODCALLTYPE DragLeave() noexcept override {
    carries_files_ = false;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD /*keyState*/, POINTL /*point*/,
                                 DWORD* effect) noexcept override {
    // The files are accepted and left alone.
    carries_files_ = carries_files(data);
    const HRESULT result = answer(effect);
    carries_files_ = false;
    return result;
  }

 private:
  HRESULT answer(DWORD* effect) const noexcept {
    if (effect == nullptr) {
      return E_INVALIDARG;
    }
    *effect = carries_files_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
  }

  bool carries_files_ = false;
};

}  // namespace

Microsoft::WRL::ComPtr<IDropTarget> make_file_drop_target() noexcept {
  return AdoptComReference<IDropTarget>(MakeComObject<FileDropTarget>());
}

}  // namespace mirvot
