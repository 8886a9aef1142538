#include "platform/sdl/display_power_drm.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <xf86drmMode.h>

#include <cstring>

namespace {

// The id of the connector's "DPMS" property, 0 when it has none.
uint32_t DpmsProperty(int descriptor, uint32_t connector) {
  drmModeObjectProperties* properties =
      drmModeObjectGetProperties(descriptor, connector, DRM_MODE_OBJECT_CONNECTOR);
  if (!properties) return 0;
  uint32_t found = 0;
  for (uint32_t index = 0; index < properties->count_props && !found; ++index) {
    drmModePropertyRes* property = drmModeGetProperty(descriptor, properties->props[index]);
    if (property && std::strcmp(property->name, "DPMS") == 0) found = property->prop_id;
    drmModeFreeProperty(property);
  }
  drmModeFreeObjectProperties(properties);
  return found;
}

}  // namespace

void SetDrmDisplayPower(SDL_Window* window, bool on) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_KMSDRM) return;
  const int drmDescriptor = info.info.kmsdrm.drm_fd;
  drmModeRes* resources = drmModeGetResources(drmDescriptor);
  if (!resources) return;
  for (int index = 0; index < resources->count_connectors; ++index) {
    const uint32_t connector = resources->connectors[index];
    drmModeConnector* state = drmModeGetConnector(drmDescriptor, connector);
    const bool connected = state && state->connection == DRM_MODE_CONNECTED;
    drmModeFreeConnector(state);
    if (!connected) continue;
    if (const uint32_t dpms = DpmsProperty(drmDescriptor, connector))
      drmModeConnectorSetProperty(drmDescriptor, connector, dpms,
                                  on ? DRM_MODE_DPMS_ON : DRM_MODE_DPMS_OFF);
  }
  drmModeFreeResources(resources);
}
