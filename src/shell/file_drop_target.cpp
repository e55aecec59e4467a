#include "shell/file_drop_target.h"

#include "common/com_object.h"

namespace mirvot {
namespace {

bool CarriesFiles(IDataObject* data) noexcept {
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
    carriesFiles_ = CarriesFiles(data);
    return Answer(effect);
  }

  HRESULT STDMETHODCALLTYPE DragOver(DWORD /*keyState*/, POINTL /*point*/,
                                     DWORD* effect) noexcept override {
    return Answer(effect);
  }

  HRESULT STDMETHODCALLTYPE DragLeave() noexcept override {
    carriesFiles_ = false;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD /*keyState*/, POINTL /*point*/,
                                 DWORD* effect) noexcept override {
    // The files are accepted and left alone.
    carriesFiles_ = CarriesFiles(data);
    const HRESULT result = Answer(effect);
    carriesFiles_ = false;
    return result;
  }

 private:
  HRESULT Answer(DWORD* effect) const noexcept {
    if (effect == nullptr) {
      return E_INVALIDARG;
    }
    *effect = carriesFiles_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
  }

  bool carriesFiles_ = false;
};

}  // namespace

Microsoft::WRL::ComPtr<IDropTarget> MakeFileDropTarget() noexcept {
  return AdoptComReference<IDropTarget>(MakeComObject<FileDropTarget>());
}

}  // namespace mirvot
