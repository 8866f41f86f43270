// The Linux desktop backend: SDL2 windows and input, Cairo drawing, Pango text.
#pragma once

#include <memory>
#include <string>

#include "ui/backend/backend.h"

namespace SkinUI::sdl {

// Starts SDL's video subsystem and returns the backend; null (with the reason in `error`) when
// no display can be opened.
std::unique_ptr<IBackend> CreateSdlBackend(std::string* error = nullptr);

// Writes the last frame painted into a window of this backend as a PNG file.
bool SaveFramePng(const INativeWindow& window, const std::string& path);

// The video driver SDL chose ("x11", "wayland", "offscreen" ...), empty before start.
std::string VideoDriver();

}  // namespace SkinUI::sdl
