// The skins of the window program and their images, embedded as resources: the skins as type
// "XML" under their numbers, the images as type "PNG" under theirs (skin/images/<id>.png).
#pragma once

#include "ui/resources.h"

inline constexpr int kMainWindowSkin = 166;
inline constexpr int kMessageDialogSkin = 198;
inline constexpr int kMenuSkin = 212;
inline constexpr int kWindowIcon = 107;

// Hand this to CPaintManagerUI::SetInstance once at start-up.
const SkinUI::CResourceModule& TramsikSkinResources();
