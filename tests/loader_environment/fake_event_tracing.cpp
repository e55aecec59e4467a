#include "loader_environment/fake_event_tracing.h"

#include <cstring>

#include "loader/core/etw_layout.h"

namespace mirvot::test {
namespace {

FakeEventTracing* g_active = nullptr;
REGHANDLE g_nextHandle = 0x5100;

ULONG WINAPI FakeEventRegister(LPCGUID providerId, PENABLECALLBACK enableCallback, PVOID context,
                               PREGHANDLE handle) {
  FakeEventTracing& fake = *g_active;
  fake.calls.push_back("register");
  fake.registeredProviders.push_back(*providerId);
  fake.lastContext = static_cast<EventProviderState*>(context);
  if (fake.registerResult != ERROR_SUCCESS) {
    *handle = 0;
    return fake.registerResult;
  }
  *handle = ++g_nextHandle;
  fake.issuedHandles.push_back(*handle);
  // As ETW does for every trace that has the provider enabled, during registration.
  for (const EnableNotice& notice : fake.noticesAtRegistration) {
    enableCallback(providerId, notice.controlCode, notice.level, notice.matchAnyKeyword,
                   notice.matchAllKeyword, nullptr, context);
  }
  return ERROR_SUCCESS;
}

ULONG WINAPI FakeEventSetInformation(REGHANDLE handle, EVENT_INFO_CLASS informationClass,
                                     PVOID information, ULONG length) {
  FakeEventTracing& fake = *g_active;
  fake.calls.push_back("traits");
  RecordedTraits traits;
  traits.handle = handle;
  traits.informationClass = static_cast<ULONG>(informationClass);
  const auto* bytes = static_cast<const std::uint8_t*>(information);
  traits.bytes.assign(bytes, bytes + length);
  fake.traits.push_back(traits);
  return ERROR_SUCCESS;
}

ULONG WINAPI FakeEventWriteTransfer(REGHANDLE handle, PCEVENT_DESCRIPTOR descriptor,
                                    LPCGUID activityId, LPCGUID relatedActivityId, ULONG count,
                                    PEVENT_DATA_DESCRIPTOR data) {
  FakeEventTracing& fake = *g_active;
  fake.calls.push_back("write");
  RecordedWrite write;
  write.handle = handle;
  write.descriptor = *descriptor;
  write.activityIdGiven = activityId != nullptr;
  write.relatedActivityIdGiven = relatedActivityId != nullptr;
  for (ULONG i = 0; i < count; ++i) {
    RecordedDataDescriptor recorded;
    recorded.size = data[i].Size;
    recorded.reserved = data[i].Reserved;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(static_cast<ULONG_PTR>(data[i].Ptr));
    recorded.bytes.assign(bytes, bytes + data[i].Size);
    write.data.push_back(recorded);
  }
  fake.writes.push_back(write);
  return ERROR_SUCCESS;
}

ULONG WINAPI FakeEventUnregister(REGHANDLE handle) {
  FakeEventTracing& fake = *g_active;
  fake.calls.push_back("unregister");
  fake.unregisteredHandles.push_back(handle);
  if (fake.lastContext != nullptr) {
    fake.stateAtUnregister.push_back(*fake.lastContext);
  }
  return ERROR_SUCCESS;
}

}  // namespace

FakeEventTracing::FakeEventTracing() {
  g_active = this;
  functions_.eventRegister = &FakeEventRegister;
  functions_.eventSetInformation = &FakeEventSetInformation;
  functions_.eventWriteTransfer = &FakeEventWriteTransfer;
  functions_.eventUnregister = &FakeEventUnregister;
}

FakeEventTracing::~FakeEventTracing() { g_active = nullptr; }

std::optional<LoaderErrorPayload> PayloadOf(const RecordedWrite& write) {
  if (write.data.size() != 6 || write.data[2].bytes.size() != 4 ||
      write.data[3].bytes.size() != 1 || write.data[4].bytes.size() != 1 ||
      write.data[5].bytes.size() != 8) {
    return std::nullopt;
  }
  LoaderErrorPayload payload;
  std::memcpy(&payload.hresult, write.data[2].bytes.data(), 4);
  payload.clientDllFound = write.data[3].bytes[0];
  payload.installedRuntime = write.data[4].bytes[0];
  std::memcpy(&payload.partAPrivTags, write.data[5].bytes.data(), 8);
  return payload;
}

EnableNotice ErrorLevelLoaderTrace() {
  EnableNotice notice;
  notice.controlCode = 1;
  notice.level = 2;
  notice.matchAnyKeyword = kLoaderEventKeyword;
  notice.matchAllKeyword = 0;
  return notice;
}

}  // namespace mirvot::test
