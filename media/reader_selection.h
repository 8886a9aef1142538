// Choosing the reader for the current item and installing it in readerOps. Main thread only,
// after the previous reader was closed and before Open.
#pragma once

#include <cstdint>
#include <string_view>

// Looks at currentPath, isUrl and useStreamingReader: "Broadcast" goes to the broadcast reader,
// paths containing ".avi", ".AVI", ".divx" or ".DIVX" to the built-in AVI reader (or, for
// network items and with useStreamingReader, to the streaming AVI reader), anything else to
// the reader library the registry names for its extension (network items without one to the
// network fallback reader). The previous reader library is unloaded first, unless it is the
// kept "Sulvane" reader, which stays loaded for the life of the process. A reader library
// without InitializeReader, or whose table lacks Open, Seek, GetProgress or Close, is refused
// like one that cannot be loaded; the slots the player calls only for an item with audio or
// video (ReadAudio, ResyncAudio, ReadVideoFrame, IsKeyFrame) get stand-ins ending that stream.
// 0 when a reader is installed; -1 when not: a message was shown and readerOps is all zero.
int32_t SelectReader();

// The text after the last '.' of a path, empty when a '/' or the start of the path comes first
// or the '.' is the path's first character. Only '/' ends the scan: "\dir.old\file" -> "old\file".
std::u16string_view PathExtension(std::u16string_view path);
