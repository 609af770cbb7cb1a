#pragma once

// The game reads "q3dinit.conf" and "data/..." from its working folder; the
// game's tests give it a folder of their own with these settings: a small
// window, no anti-aliasing, whatever colour depth and refresh there are.

namespace gametest {

inline constexpr char SmallWindowConfig[] = "fullscreen = false\n"
                                            "resolution = 640x480\n"
                                            "bpp = 32\n"
                                            "zbufferdepth = 24\n"
                                            "device = hal\n"
                                            "tnl = true\n"
                                            "antialiasing = none\n"
                                            "dontcareabout = bpp, refresh, alpha\n";

}  // namespace gametest
