// Parts of the program kept in modules of their own, loaded when first needed (the video
// decoder): found beside the program's build when it runs from its build tree, else in the
// program's installed module folder (../lib/torvanell from the program's folder).
#pragma once

#include <string>

// The address of entry in the module of that file name, loaded once; null with why in a few
// words when the module cannot be found or loaded, or lacks entry.
void* platformModuleEntry(const std::string& fileName, const char* entry, std::string& why);
