#pragma once
// Dragging a file from the sweep onto another program's window and dropping it there, with OLE's
// own drag and drop, as a file manager does.
#include <windows.h>
#include <oleidl.h>

#include <string>

namespace mirvot::sweep {

struct FileDrop {
  bool finished = false;           // the drag ended within the time given
  HRESULT result = E_FAIL;         // DoDragDrop's result: DRAGDROP_S_DROP once the source let go
  DWORD effect = DROPEFFECT_NONE;  // what the target did with the data
  bool formatsAsked = false;       // someone asked the data object whether it holds files
};

// Puts the cursor on the middle of the window's client area and runs DoDragDrop there with a
// data object that holds `file` (CF_HDROP) and a source that lets go once it has been asked
// three times whether to go on (the target has then seen the data enter and move). The drag
// runs on a thread of its own, since a target that stops answering would hold it forever; one
// that has not ended after timeoutMs is left behind and ends when the target's process does.
FileDrop drop_file_onto(HWND window, const std::wstring& file, DWORD timeoutMs);

}  // namespace mirvot::sweep
