// Apart from the backend: the X11 headers define macros (None, Bool, Status ...) that nothing
// else should see.
#include "ui/backend/sdl/display_socket.h"

#include <SDL.h>
#include <SDL_syswm.h>

namespace SkinUI::sdl {

int DisplaySocket(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11)
        return ConnectionNumber(info.info.x11.display);
#else
    (void)window;
#endif
    return -1;
}

}  // namespace SkinUI::sdl
