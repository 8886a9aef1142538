// `morvelant-skin preview`: the skin as the player draws it, beside its pushed looks.
#pragma once

#include <string>

// Renders the skin at `path` into the PNG `out`: on the left the window as the player shows it
// with the list views, the info line and the time filled with sample text; on the right every
// button and knob in its pushed look. False, with a message on standard error, on failure.
bool PreviewSkin(const std::string& path, const std::string& out);
