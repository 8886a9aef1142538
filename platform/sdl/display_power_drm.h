// Inside the platform layer: display power on a KMS/DRM console, through the connectors' DPMS
// property. Kept apart from the backend because SDL's window-system header brings X11's names.
#pragma once

struct SDL_Window;

// Main thread. On SDL's KMS/DRM driver sets every connected connector's DPMS to on or off,
// through the descriptor the driver holds as DRM master; any other video driver, or a device
// without the property, stays as it is.
void SetDrmDisplayPower(SDL_Window* window, bool on);
