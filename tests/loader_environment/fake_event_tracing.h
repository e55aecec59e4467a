#pragma once
// Stand-ins for the four ADVAPI32 event functions. They record every call in order, copy what
// a write passes while it is valid, and let a test choose what the enable callback hears
// during registration: Wine's ETW never runs the callback and delivers no events, so this is
// the only way to see what a report does.
#include <windows.h>
#include <evntprov.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "loader/create_environment_error_event.h"

namespace mirvot::test {

struct EnableNotice {
  ULONG controlCode = 1;  // 1 enable, 0 disable, 2 capture state
  UCHAR level = 0;
  ULONGLONG matchAnyKeyword = 0;
  ULONGLONG matchAllKeyword = 0;
};

struct RecordedDataDescriptor {
  ULONG size = 0;
  ULONG reserved = 0;  // the descriptor's type in its low byte
  std::vector<std::uint8_t> bytes;
};

struct RecordedWrite {
  REGHANDLE handle = 0;
  EVENT_DESCRIPTOR descriptor{};
  bool activityIdGiven = false;
  bool relatedActivityIdGiven = false;
  std::vector<RecordedDataDescriptor> data;
};

struct RecordedTraits {
  REGHANDLE handle = 0;
  ULONG informationClass = 0;
  std::vector<std::uint8_t> bytes;
};

class FakeEventTracing {
 public:
  // One at a time: the fake functions record into the newest instance.
  FakeEventTracing();
  ~FakeEventTracing();
  FakeEventTracing(const FakeEventTracing&) = delete;
  FakeEventTracing& operator=(const FakeEventTracing&) = delete;

  // The functions, for the code under test to report through.
  [[nodiscard]] const EventTracingFunctions& functions() const { return functions_; }

  // Notices the fake EventRegister passes to the enable callback, in order, at every
  // registration.
  std::vector<EnableNotice> noticesAtRegistration;
  ULONG registerResult = ERROR_SUCCESS;

  // Calls in order: "register", "traits", "write", "unregister".
  std::vector<std::string> calls;
  std::vector<GUID> registeredProviders;
  std::vector<REGHANDLE> issuedHandles;
  std::vector<RecordedTraits> traits;
  std::vector<RecordedWrite> writes;
  std::vector<REGHANDLE> unregisteredHandles;
  // What the provider state held when EventUnregister was called.
  std::vector<EventProviderState> stateAtUnregister;
  // The context the report passed to EventRegister (its provider state).
  EventProviderState* lastContext = nullptr;

 private:
  EventTracingFunctions functions_;
};

// The values of a write's four payload descriptors.
struct LoaderErrorPayload {
  std::int32_t hresult = 0;
  std::uint8_t clientDllFound = 0xFF;
  std::uint8_t installedRuntime = 0xFF;
  std::uint64_t partAPrivTags = 0;
};
std::optional<LoaderErrorPayload> PayloadOf(const RecordedWrite& write);

// Notices that make a report write its event: a trace at error level with the loader keyword.
EnableNotice ErrorLevelLoaderTrace();

}  // namespace mirvot::test
