#pragma once

#include "model/window_state.h"

// Closing the window, and what must wait while a message box of ours is open
// or a save runs.
//
// A message box runs a modal loop of its own, which lets in messages such as
// a WM_CLOSE posted by another program (an installer, the Restart Manager).
// Destroying the window then would free the record under the operation that
// is waiting for the box. So while a message box is open, a close request is
// remembered and carried out once the operation has returned.
//
// A save runs on a worker thread and may be in the middle of a search for
// refused apps, whose writes hold only part of the user's additions: the
// window closes only once the save has ended. A read writes nothing, and a
// close during one closes at once.

// A close the user asked for: Esc, "关闭", the caption's close box, Alt+F4 or
// the system menu. With changes not yet saved, the user chooses: save and
// close (the window stays when the save fails), close without saving, or stay.
// Without changes the window closes at once. During a save, the window closes
// once it has ended without failing; a second request changes nothing.
void closeAtUserRequest(WindowState& state);

// WM_CLOSE that no key or click of the user produced (another program closing
// this one): closes without asking, as soon as no message box is open and no
// save runs.
void closeAtOutsideRequest(WindowState& state);

// The worker's read has ended: its catalog is put in place, and a save the
// user asked for as they closed meanwhile begins.
void endRead(WindowState& state);

// The worker's save has ended: its outcome is reported, in a message box too
// when it failed or apps were refused, screen readers are told of each shown
// row whose mark the save changed, then a close asked for meanwhile is
// carried out (another program's always, the user's when the save did not
// fail). The record may be gone afterwards.
void endSave(WindowState& state);

// WM_ENDSESSION: the system may end the process once this returns, so a save
// that runs is waited for, the message loop kept running meanwhile, so that
// its writes all reach the system.
void waitForSaveToEnd(WindowState& state);
