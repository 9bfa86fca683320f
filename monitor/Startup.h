#pragma once
// The monitoring program's start-up on an existing application object: main window, then data
// module, then the message loop. Returns the loop's result. Nothing touches the database here;
// the first query of a window logs on. Main thread only.

int RunTalvero();
