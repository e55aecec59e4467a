#include "common/com_object.h"

#include <objidl.h>

#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "harness/com_references.h"

namespace mirvot {
namespace {

using Microsoft::WRL::ComPtr;

int g_destroyed = 0;

class TwoInterfaces final : public ComObject<IPersist, IClassFactory> {
 public:
  ~TwoInterfaces() override { ++g_destroyed; }
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) noexcept override {
    *id = CLSID_NULL;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** object) noexcept override {
    *object = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) noexcept override { return S_OK; }
  LONG count() const { return ::mirvot::test::ReferencesOf(*this); }
};

TEST(AtomicRefCount, SaturatesAtTheLargestCount) {
  AtomicRefCount refs(AtomicRefCount::kSaturated - 1);
  EXPECT_EQ(refs.Increment(), 0x7FFFFFFFu);
  EXPECT_EQ(refs.Increment(), 0x7FFFFFFFu);
  EXPECT_EQ(refs.Decrement(), 0x7FFFFFFEu);
  EXPECT_EQ(refs.Decrement(), 0x7FFFFFFEu) << "a saturated count no longer moves";
  EXPECT_EQ(refs.Increment(), 0x7FFFFFFFu) << "a saturated count no longer moves";
}

// The count behind every COM object's AddRef and Release: an increment at the largest count
// stays there, a decrement there reports one less but keeps the count, and a count that reaches
// the largest sticks.
TEST(AtomicRefCount, StaysAtTheLargestCountWhicheverWayItIsMoved) {
  const struct {
    LONG start;
    std::vector<std::pair<bool, ULONG>> steps;  // up (AddRef) or down, and what it returns
  } cases[] = {
      {0x7FFFFFFF, {{true, 0x7FFFFFFF}, {true, 0x7FFFFFFF}}},
      {0x7FFFFFFF, {{false, 0x7FFFFFFE}, {false, 0x7FFFFFFE}, {true, 0x7FFFFFFF}}},
      {0x7FFFFFFD, {{true, 0x7FFFFFFE}, {true, 0x7FFFFFFF}, {false, 0x7FFFFFFE}}},
  };
  for (const auto& c : cases) {
    AtomicRefCount refs(c.start);
    for (const auto& [up, returned] : c.steps) {
      EXPECT_EQ(up ? refs.Increment() : refs.Decrement(), returned) << c.start;
    }
  }
}

TEST(AtomicRefCount, CountsDownToZero) {
  AtomicRefCount refs(2);
  EXPECT_EQ(refs.Decrement(), 1u);
  EXPECT_EQ(refs.Decrement(), 0u);
}

TEST(ComObject, AnswersListedInterfacesWithOneIdentityAndOneCount) {
  g_destroyed = 0;
  {
    auto object = AdoptComReference(MakeComObject<TwoInterfaces>());
    ASSERT_TRUE(object);
    EXPECT_EQ(object->count(), 1) << "adopting must not add a reference";
    ComPtr<IPersist> persist;
    ComPtr<IClassFactory> factory;
    ComPtr<IUnknown> unknownFromPersist;
    ComPtr<IUnknown> unknownFromFactory;
    ASSERT_EQ(object->QueryInterface(IID_PPV_ARGS(&persist)), S_OK);
    ASSERT_EQ(object->QueryInterface(IID_PPV_ARGS(&factory)), S_OK);
    ASSERT_EQ(persist->QueryInterface(IID_PPV_ARGS(&unknownFromPersist)), S_OK);
    ASSERT_EQ(factory->QueryInterface(IID_PPV_ARGS(&unknownFromFactory)), S_OK);
    EXPECT_EQ(unknownFromPersist.Get(), unknownFromFactory.Get());
    EXPECT_NE(static_cast<void*>(persist.Get()), static_cast<void*>(factory.Get()));
    EXPECT_EQ(object->count(), 5);
  }
  EXPECT_EQ(g_destroyed, 1);
}

TEST(ComObject, UnknownInterfaceClearsTheOutPointer) {
  auto object = AdoptComReference(MakeComObject<TwoInterfaces>());
  void* out = reinterpret_cast<void*>(0x1234);
  EXPECT_EQ(object->QueryInterface(__uuidof(IStream), &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(object->QueryInterface(__uuidof(IPersist), nullptr), E_POINTER);
}

// An object that fails every query yet writes a pointer to itself, without a reference.

class LyingQuery final : public IPersist {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) noexcept override {
    *object = this;  // written, yet the call fails and adds no reference
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() noexcept override { return --refs; }
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) noexcept override { return E_NOTIMPL; }
  ULONG refs = 1;
};

TEST(QueryInterfaceTo, APointerFromAFailedQueryIsNeitherKeptNorReleased) {
  LyingQuery object;
  {
    ComPtr<IStream> stream;
    EXPECT_EQ(QueryInterfaceTo(&object, stream), E_NOINTERFACE);
    EXPECT_EQ(stream, nullptr);
  }
  EXPECT_EQ(object.refs, 1u);
}

TEST(QueryInterfaceTo, AdoptsTheReferenceOfASuccessfulQuery) {
  auto object = AdoptComReference(MakeComObject<TwoInterfaces>());
  {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(QueryInterfaceTo(object.Get(), factory), S_OK);
    ASSERT_TRUE(factory);
    EXPECT_EQ(object->count(), 2);
  }
  EXPECT_EQ(object->count(), 1);
}

}  // namespace
}  // namespace mirvot
