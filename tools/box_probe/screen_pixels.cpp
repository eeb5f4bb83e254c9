// Screen copies through a DIB section (so the bits are readable at once), icon renders over the
// same background, and a plain pixel-by-pixel comparison: two renders of one icon in one Wine
// prefix are identical, so exact equality is the right measure and no tolerance is needed.
#include "screen_pixels.h"

#include <fstream>

namespace probe {
namespace {

// A 32-bit top-down DIB section selected into a memory DC; copies out its bits on request.
class DibCanvas {
 public:
  DibCanvas(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    if (bitmap_)
      old_ = SelectObject(dc_, bitmap_);
  }
  ~DibCanvas() {
    if (bitmap_) {
      SelectObject(dc_, old_);
      DeleteObject(bitmap_);
    }
    DeleteDC(dc_);
  }
  DibCanvas(const DibCanvas&) = delete;
  DibCanvas& operator=(const DibCanvas&) = delete;

  bool ok() const { return bitmap_ != nullptr; }
  HDC dc() const { return dc_; }
  Pixels Read() const {
    GdiFlush();
    Pixels out;
    out.width = width_;
    out.height = height_;
    const auto* bits = static_cast<const std::uint32_t*>(bits_);
    out.rgb.assign(bits, bits + static_cast<size_t>(width_) * height_);
    for (std::uint32_t& value : out.rgb)
      value &= 0x00FFFFFF;  // BGRA in memory reads as 0xAARRGGBB: drop the alpha byte
    return out;
  }

 private:
  int width_;
  int height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
};

std::uint32_t ToColorRef(std::uint32_t rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

double MatchAt(const Pixels& shot, const Pixels& icon, int left, int top) {
  int same = 0;
  for (int y = 0; y < icon.height; ++y)
    for (int x = 0; x < icon.width; ++x)
      same += shot.At(left + x, top + y) == icon.At(x, y);
  return static_cast<double>(same) / (icon.width * icon.height);
}

void PutLittleEndian(std::string* out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

bool CaptureScreen(const RECT& screen, Pixels* out) {
  const int width = screen.right - screen.left;
  const int height = screen.bottom - screen.top;
  if (width <= 0 || height <= 0)
    return false;
  DibCanvas canvas(width, height);
  HDC display = GetDC(nullptr);
  const bool copied = canvas.ok() && display &&
                      BitBlt(canvas.dc(), 0, 0, width, height, display, screen.left, screen.top,
                             SRCCOPY | CAPTUREBLT);
  if (display)
    ReleaseDC(nullptr, display);
  if (copied)
    *out = canvas.Read();
  return copied;
}

Pixels RenderIcon(HICON icon, int width, int height, std::uint32_t background) {
  DibCanvas canvas(width, height);
  if (!canvas.ok())
    return Pixels();
  HBRUSH brush = CreateSolidBrush(ToColorRef(background));
  RECT all = {0, 0, width, height};
  FillRect(canvas.dc(), &all, brush);
  DeleteObject(brush);
  DrawIconEx(canvas.dc(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
  return canvas.Read();
}

double BestMatch(const Pixels& shot, const Pixels& icon) {
  double best = 0.0;
  if (icon.width == 0 || icon.height == 0)
    return best;
  for (int top = 0; top + icon.height <= shot.height; ++top)
    for (int left = 0; left + icon.width <= shot.width; ++left) {
      const double share = MatchAt(shot, icon, left, top);
      best = share > best ? share : best;
    }
  return best;
}

bool SaveBmp(const Pixels& pixels, const std::string& path) {
  const int row = (pixels.width * 3 + 3) & ~3;
  const std::uint32_t image = static_cast<std::uint32_t>(row) * pixels.height;
  std::string file = "BM";
  PutLittleEndian(&file, 54 + image, 4);
  PutLittleEndian(&file, 0, 4);
  PutLittleEndian(&file, 54, 4);  // the pixels follow the two headers
  PutLittleEndian(&file, 40, 4);
  PutLittleEndian(&file, pixels.width, 4);
  PutLittleEndian(&file, pixels.height, 4);  // positive: bottom-up rows
  PutLittleEndian(&file, 1, 2);
  PutLittleEndian(&file, 24, 2);
  for (int i = 0; i < 6; ++i)
    PutLittleEndian(&file, 0, 4);  // no compression, default size, resolution and palette
  for (int y = pixels.height - 1; y >= 0; --y) {
    for (int x = 0; x < pixels.width; ++x)
      PutLittleEndian(&file, pixels.At(x, y), 3);  // 0x00RRGGBB little-endian is B, G, R
    file.append(static_cast<size_t>(row - pixels.width * 3), '\0');
  }
  std::ofstream out(path, std::ios::binary);
  return static_cast<bool>(out << file);
}

}  // namespace probe
