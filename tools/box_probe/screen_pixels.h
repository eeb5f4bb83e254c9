// Pixels of the screen as the operator would see them: a rectangle copied from the display, the
// same size rendered from an icon, their comparison, and a BMP file of a copy (for screenshots).
// The probe cannot draw another process's icons or read its device contexts, so what a window
// shows is judged from the display, which every process under one desktop shares.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace probe {

// Top-down rows of 0x00RRGGBB values.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> rgb;
  std::uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};

// Copies `screen` (screen coordinates) from the display. False when nothing could be copied.
bool CaptureScreen(const RECT& screen, Pixels* out);

// Draws `icon` at `width` x `height` over a plain `background`.
Pixels RenderIcon(HICON icon, int width, int height, std::uint32_t background);

// The share (0..1) of the pixels of `icon` that `shot` shows at the best offset, trying every
// place where `icon` fits inside `shot`.
double BestMatch(const Pixels& shot, const Pixels& icon);

// Writes `pixels` as a 24-bit BMP file.
bool SaveBmp(const Pixels& pixels, const std::string& path);

}  // namespace probe
