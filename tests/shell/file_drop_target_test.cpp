#include "shell/file_drop_target.h"

#include <gtest/gtest.h>

#include "common/com_object.h"

namespace mirvot {
namespace {

using Microsoft::WRL::ComPtr;

// Data that either offers files (CF_HDROP) or only text. Only QueryGetData is ever asked.
class FakeData final : public ComObject<IDataObject> {
 public:
  explicit FakeData(bool files) : files_(files) {}
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) noexcept override {
    ++queries;
    return format != nullptr && format->cfFormat == (files_ ? CF_HDROP : 0) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC*, STGMEDIUM*) noexcept override {
    ++dataReads;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) noexcept override {
    ++dataReads;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) noexcept override { return E_NOTIMPL; }

  int queries = 0;
  int dataReads = 0;

 private:
  bool files_;
};

ComPtr<FakeData> MakeData(bool files) { return AdoptComReference(MakeComObject<FakeData>(files)); }

TEST(FileDropTarget, FilesAreAcceptedAsACopyAndLeftAlone) {
  const ComPtr<IDropTarget> target = make_file_drop_target();
  ASSERT_TRUE(target);
  const ComPtr<FakeData> files = MakeData(true);
  DWORD effect = DROPEFFECT_MOVE;
  EXPECT_EQ(target->DragEnter(files.Get(), MK_LBUTTON, POINTL{10, 10}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  effect = DROPEFFECT_MOVE;
  EXPECT_EQ(target->DragOver(MK_LBUTTON, POINTL{20, 20}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  effect = DROPEFFECT_MOVE;
  EXPECT_EQ(target->Drop(files.Get(), 0, POINTL{20, 20}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  // The dropped files are never read.
  EXPECT_EQ(files->dataReads, 0);
}

TEST(FileDropTarget, OtherDataIsRefused) {
  const ComPtr<IDropTarget> target = make_file_drop_target();
  ASSERT_TRUE(target);
  const ComPtr<FakeData> text = MakeData(false);
  DWORD effect = DROPEFFECT_COPY;
  EXPECT_EQ(target->DragEnter(text.Get(), MK_LBUTTON, POINTL{0, 0}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(target->DragOver(MK_LBUTTON, POINTL{0, 0}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(target->Drop(text.Get(), 0, POINTL{0, 0}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
}

TEST(FileDropTarget, LeavingForgetsTheFiles) {
  const ComPtr<IDropTarget> target = make_file_drop_target();
  ASSERT_TRUE(target);
  DWORD effect = 0;
  ASSERT_EQ(target->DragEnter(MakeData(true).Get(), 0, POINTL{0, 0}, &effect), S_OK);
  EXPECT_EQ(target->DragLeave(), S_OK);
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(target->DragOver(0, POINTL{0, 0}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
}

TEST(FileDropTarget, MissingDataOrEffectIsHandled) {
  const ComPtr<IDropTarget> target = make_file_drop_target();
  ASSERT_TRUE(target);
  DWORD effect = DROPEFFECT_COPY;
  EXPECT_EQ(target->DragEnter(nullptr, 0, POINTL{0, 0}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(target->DragEnter(MakeData(true).Get(), 0, POINTL{0, 0}, nullptr), E_INVALIDARG);
  EXPECT_EQ(target->DragOver(0, POINTL{0, 0}, nullptr), E_INVALIDARG);
  EXPECT_EQ(target->Drop(MakeData(true).Get(), 0, POINTL{0, 0}, nullptr), E_INVALIDARG);
}

TEST(FileDropTarget, AnswersForItsOwnInterfacesOnly) {
  const ComPtr<IDropTarget> target = make_file_drop_target();
  ASSERT_TRUE(target);
  ComPtr<IUnknown> unknown;
  EXPECT_EQ(target.As(&unknown), S_OK);
  ComPtr<IDataObject> notOffered;
  EXPECT_EQ(target.As(&notOffered), E_NOINTERFACE);
}

}  // namespace
}  // namespace mirvot
