#pragma once
// What the loader remembers of its last test for the policy root, seen through its behaviour:
// a settings row that does not test the root afresh reads policies only while the last test
// found the root.
namespace mirvot::test {

// Whether such a row reads a policy now. Writes a probe policy of its own for the row to find
// (under HKEY_CURRENT_USER, creating the root when there is none) and removes it again; the
// row leaves what the loader remembers as it was.
[[nodiscard]] bool LaterRowsReadPolicies();

}  // namespace mirvot::test
