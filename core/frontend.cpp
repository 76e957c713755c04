// Placeholder until the spine lands.
#include "core/frontend.h"

FrontendStateRecord FrontendState;

int runFrontend(const std::string&)
{
    return 0;
}
