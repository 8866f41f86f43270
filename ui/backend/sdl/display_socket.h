// The socket of the display connection SDL draws through, for waiting on it directly.
#pragma once

struct SDL_Window;

namespace SkinUI::sdl {

// The file descriptor of the X11 connection that `window` belongs to; -1 when SDL runs on
// another video driver or cannot tell.
int DisplaySocket(SDL_Window* window);

}  // namespace SkinUI::sdl
