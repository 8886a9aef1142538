// Loading plug-in libraries by the names the player and the registry use.
#pragma once

#include <string>
#include <string_view>

struct Library;
using LibraryHandle = Library*;

// A name ending in ".dll" (any case) loads the same base name with ".so". A name without a
// slash is searched in the executable's folder, then its "plugins" subfolder; a path is used
// as given. The file must be a complete shared object of this machine's kind (ELF class,
// machine, every mapped segment inside the file) before the system loader sees it: a library
// cut short would otherwise crash inside the loader. Null when the library cannot be loaded
// (LibraryLoadError says why).
LibraryHandle LoadLibrary(std::u16string_view name);
void* GetProcAddress(LibraryHandle library, const char* exportName);
void FreeLibrary(LibraryHandle library);
// The last loading failure's text on this thread.
std::string LibraryLoadError();
// The file name that `name` maps to ("Tarnic.dll" -> "Tarnic.so").
std::string LibraryFileName(std::u16string_view name);
