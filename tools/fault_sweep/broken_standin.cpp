// A deliberately broken stand-in for the sweep's own check: it writes through what HeapAlloc
// returned without looking at it, so the run in which that call fails must be reported as a
// crash.
#include <windows.h>

int main() {
  auto* const text = static_cast<char*>(::HeapAlloc(::GetProcessHeap(), 0, 16));
  text[0] = 'x';  // the fault the check must see: no test for null
  ::HeapFree(::GetProcessHeap(), 0, text);
  return 0;
}
