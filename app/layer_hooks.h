// The skin and the playlist sit below the engine and the window, yet their controls, dialogs
// and views must reach the transport, the open item and the window layout. The window hands
// them those operations once, at start-up, before the main window exists.
#pragma once

// Main thread, before the main window is created.
void ConnectLayers();
