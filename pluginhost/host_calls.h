// What a plug-in host does for its viewer: reads each request from the pipe,
// calls the plug-in it names under the fault guard, and writes the answer,
// with pictures, member lists and members in a section of shared memory that
// the viewer maps by the handle the answer gives.
#pragma once

#include <windows.h>

// Serves requests until the pipe breaks (the viewer closed it or ended).
void ServeViewer(HANDLE pipe);
