// Inside the platform layer: the freedesktop screen-saver inhibit over the session bus
// (org.freedesktop.ScreenSaver Inhibit and UnInhibit). Called by the backlight watcher thread
// only. Without a session bus, or without a screen-saver service on it, both do nothing.
#pragma once

// True when the service answered with a cookie (kept until UninhibitOverSessionBus).
bool InhibitOverSessionBus();
void UninhibitOverSessionBus();
