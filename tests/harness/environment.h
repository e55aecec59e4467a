#pragma once
// Process environment variables set for one test and restored afterwards.
#include <optional>
#include <string>

namespace mirvot::test {

std::optional<std::wstring> GetEnvironment(const std::wstring& name);
// nullopt removes the variable.
void SetEnvironment(const std::wstring& name, const std::optional<std::wstring>& value);

class ScopedEnvironment {
 public:
  // Sets (or, with nullopt, removes) the variable until the scope ends.
  ScopedEnvironment(std::wstring name, const std::optional<std::wstring>& value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::wstring name_;
  std::optional<std::wstring> previous_;
};

}  // namespace mirvot::test
