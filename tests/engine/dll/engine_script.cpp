#include "engine_script.h"

#include <mutex>

#include "common/wide_text.h"

namespace mirvot::test_engine {
namespace {

std::mutex scriptLock;
std::optional<Script> setScript;
int environmentFailuresTaken = 0;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
    text.remove_suffix(1);
  }
  return text;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (;;) {
    const size_t at = text.find(separator);
    parts.push_back(Trim(text.substr(0, at)));
    if (at == std::string_view::npos) {
      return parts;
    }
    text.remove_prefix(at + 1);
  }
}

// Hexadecimal, with or without 0x; the whole text must be digits and fit 32 bits.
std::optional<HRESULT> ParseHResult(std::string_view text) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
  }
  if (text.empty() || text.size() > 8) {
    return std::nullopt;
  }
  unsigned long value = 0;
  for (char c : text) {
    unsigned digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return std::nullopt;
    }
    value = (value << 4) | digit;
  }
  return static_cast<HRESULT>(value);
}

std::optional<int> ParseCount(std::string_view text) {
  if (text.empty() || text.size() > 9) {
    return std::nullopt;
  }
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    value = value * 10 + (c - '0');
  }
  return value;
}

std::optional<bool> ParseFlag(std::string_view text) {
  if (text == "1") {
    return true;
  }
  if (text == "0") {
    return false;
  }
  return std::nullopt;
}

// "<call>:<hr>,<call>:<hr>" into the failing calls, each call name prefixed with `prefix`.
bool ParseFailureList(std::string_view text, std::string_view prefix, Script& script) {
  bool understood = true;
  for (std::string_view entry : Split(text, ',')) {
    const size_t colon = entry.rfind(':');
    const std::optional<HRESULT> hr = colon == std::string_view::npos
                                          ? std::nullopt
                                          : ParseHResult(Trim(entry.substr(colon + 1)));
    const std::string_view call =
        colon == std::string_view::npos ? entry : Trim(entry.substr(0, colon));
    if (!hr || call.empty()) {
      understood = false;
      continue;
    }
    script.failingCalls[std::string(prefix) + std::string(call)] = *hr;
  }
  return understood;
}

bool ApplyItem(std::string_view key, std::string_view value, Script& script) {
  if (key == "refuse_create") {
    script.refuseCreate = ParseHResult(value);
    return script.refuseCreate.has_value();
  }
  if (key == "env_fail") {
    script.environmentFailure = ParseHResult(value);
    return script.environmentFailure.has_value();
  }
  if (key == "env_fail_times") {
    if (value == "always") {
      script.environmentFailureTimes.reset();
      return true;
    }
    script.environmentFailureTimes = ParseCount(value);
    return script.environmentFailureTimes.has_value();
  }
  if (key == "controller_fail") {
    script.controllerFailure = ParseHResult(value);
    return script.controllerFailure.has_value();
  }
  if (key == "navigate_fail" || key == "bounds_fail") {
    const std::optional<HRESULT> hr = ParseHResult(value);
    if (hr) {
      script.failingCalls[key == "navigate_fail" ? "webview.Navigate" : "controller.put_Bounds"] =
          *hr;
    }
    return hr.has_value();
  }
  if (key == "fail") {
    return ParseFailureList(value, "", script);
  }
  if (key == "fail_setter") {
    return ParseFailureList(value, "settings.", script);
  }
  if (key == "hold_create") {
    script.holdPipe = std::string(value);
    return !value.empty();
  }
  if (key == "omit" || key == "qi_null") {
    auto& names = key == "omit" ? script.omittedInterfaces : script.nullInterfaces;
    for (std::string_view name : Split(value, ',')) {
      if (!name.empty()) {
        names.emplace(name);
      }
    }
    return true;
  }
  bool* flag = nullptr;
  if (key == "env_fail_with_object") {
    flag = &script.environmentFailureWithObject;
  } else if (key == "env_null") {
    flag = &script.environmentNull;
  } else if (key == "invoke_twice") {
    flag = &script.invokeTwice;
  } else if (key == "controller_null") {
    flag = &script.controllerNull;
  }
  if (flag == nullptr) {
    return false;
  }
  const std::optional<bool> parsed = ParseFlag(value);
  if (parsed) {
    *flag = *parsed;
  }
  return parsed.has_value();
}

Script ScriptFromEnvironment() {
  wchar_t small[1];
  const DWORD size = ::GetEnvironmentVariableW(L"MIRVOT_TEST_ENGINE_SCRIPT", small, 1);
  if (size == 0) {
    return {};
  }
  std::wstring text(size, L'\0');
  const DWORD length = ::GetEnvironmentVariableW(L"MIRVOT_TEST_ENGINE_SCRIPT", text.data(), size);
  text.resize(length < size ? length : 0);
  return ParseScript(WideToUtf8(text));
}

}  // namespace

Script ParseScript(std::string_view text) {
  Script script;
  for (std::string_view item : Split(text, ';')) {
    if (item.empty()) {
      continue;
    }
    const size_t equals = item.find('=');
    const bool understood =
        equals != std::string_view::npos &&
        ApplyItem(Trim(item.substr(0, equals)), Trim(item.substr(equals + 1)), script);
    if (!understood) {
      script.unknownItems.emplace_back(item);
    }
  }
  return script;
}

bool SetScriptText(const char* text) {
  std::optional<Script> parsed;
  if (text != nullptr) {
    parsed = ParseScript(text);
  }
  const bool understood = !parsed || parsed->unknownItems.empty();
  const std::lock_guard<std::mutex> hold(scriptLock);
  setScript = std::move(parsed);
  environmentFailuresTaken = 0;
  return understood;
}

void ResetScript() { SetScriptText(nullptr); }

Script CurrentScript() {
  {
    const std::lock_guard<std::mutex> hold(scriptLock);
    if (setScript) {
      return *setScript;
    }
  }
  return ScriptFromEnvironment();
}

bool ScriptComesFromEnvironment() {
  const std::lock_guard<std::mutex> hold(scriptLock);
  return !setScript.has_value();
}

HRESULT ScriptedFailure(std::string_view call) {
  const Script script = CurrentScript();
  const auto found = script.failingCalls.find(call);
  return found == script.failingCalls.end() ? S_OK : found->second;
}

bool IsInterfaceOmitted(std::string_view interfaceName) {
  const Script script = CurrentScript();
  return script.omittedInterfaces.find(interfaceName) != script.omittedInterfaces.end();
}

bool IsInterfaceAnsweredWithNull(std::string_view interfaceName) {
  const Script script = CurrentScript();
  return script.nullInterfaces.find(interfaceName) != script.nullInterfaces.end();
}

bool TakeEnvironmentFailure(const Script& script) {
  if (!script.environmentFailure) {
    return false;
  }
  const std::lock_guard<std::mutex> hold(scriptLock);
  if (script.environmentFailureTimes &&
      environmentFailuresTaken >= *script.environmentFailureTimes) {
    return false;
  }
  ++environmentFailuresTaken;
  return true;
}

}  // namespace mirvot::test_engine
