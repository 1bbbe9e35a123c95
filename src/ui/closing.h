#pragma once

#include "model/window_state.h"

// Closing the window, and what must wait while a message box of ours is open.
//
// A message box runs a modal loop of its own, which lets in messages such as
// a WM_CLOSE posted by another program (an installer, the Restart Manager).
// Destroying the window then would free the record under the operation that
// is waiting for the box. So while a save or the close question runs, a close
// request is remembered and carried out once the operation has returned.

// Apply: saves the exemption list, tells screen readers of each shown row
// whose mark the save changed, then closes if a close was requested while the
// save's message box was up.
void applySettings(WindowState& state);

// A close the user asked for: Esc, "关闭", the caption's close box, Alt+F4 or
// the system menu. With changes not yet saved, the user chooses: save and
// close (the window stays when the save fails), close without saving, or stay.
// Without changes the window closes at once.
void closeAtUserRequest(WindowState& state);

// WM_CLOSE that no key or click of the user produced (another program closing
// this one): closes without asking, as soon as no message box is open.
void closeAtOutsideRequest(WindowState& state);
