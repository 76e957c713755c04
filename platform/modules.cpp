// Modules through the dynamic loader. Only the two places the build names are looked in, never
// a search path: a module is code run inside the front end.
#include "platform/modules.h"

#include <dlfcn.h>

#include <cstdlib>
#include <map>

static std::string programFolder()
{
    char* real = realpath("/proc/self/exe", nullptr);
    std::string path = real ? real : "";
    std::free(real);
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

static std::string modulePath(const std::string& fileName)
{
    const std::string build = TORVANELL_BUILD_MODULES, folder = programFolder();
    if (folder == build || folder.rfind(build + "/", 0) == 0) return build + "/" + fileName;
    return folder + "/" TORVANELL_INSTALLED_MODULES "/" + fileName;
}

void* platformModuleEntry(const std::string& fileName, const char* entry, std::string& why)
{
    static std::map<std::string, void*> loaded; // the file name's module, for the program's life
    void*& module = loaded[fileName];
    std::string path = modulePath(fileName);
    if (!module) module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module)
    {
        const char* said = dlerror();
        why = "[" + path + "] cannot be loaded" + (said ? std::string(": ") + said : "");
        return nullptr;
    }
    void* address = dlsym(module, entry);
    if (!address) why = "[" + path + "] lacks " + entry;
    return address;
}
