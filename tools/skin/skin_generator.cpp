// skin_generator: writes the five pictures of the converter's skin.
//
//   skin_generator OUTPUT_DIR
//
// writes background.png (700x440) and badge_flv.png, badge_avi.png, badge_swf.png, badge_mpg.png
// (130x50 each) into OUTPUT_DIR: 8 bits per channel, RGB without alpha (PNG colour type 2), no time
// or text chunks, so every run gives the same bytes. The committed copies in resources/ are checked
// against this program by the CTest test skin_pictures_up_to_date.
//
// All geometry is integer arithmetic (anti-aliasing by counting 4x4 sub-pixel samples, whose
// positions are integers in units of 1/8 pixel), so the pixels do not depend on floating point.

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// Pixels

struct Rgb {
  std::uint8_t r, g, b;
};
static_assert(sizeof(Rgb) == 3, "rows are handed to libpng as packed RGB bytes");

struct Rect {  // inclusive pixel bounds
  int left, top, right, bottom;
};

constexpr Rect inset(Rect rect, int by) {
  return {rect.left + by, rect.top + by, rect.right - by, rect.bottom - by};
}

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;

  Picture(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h) {}
  Rgb& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
  const Rgb& at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

std::uint8_t clamp_level(int level) {
  return static_cast<std::uint8_t>(level < 0 ? 0 : level > 255 ? 255 : level);
}

Rgb lighten(Rgb colour, int levels) {
  return {clamp_level(colour.r + levels), clamp_level(colour.g + levels), clamp_level(colour.b + levels)};
}

// The colour `step` of `steps` (0 gives `from`, `steps` gives `to`), rounded to nearest.
Rgb mix(Rgb from, Rgb to, int step, int steps) {
  auto channel = [&](int a, int b) { return clamp_level((a * (steps - step) + b * step + steps / 2) / steps); };
  return {channel(from.r, to.r), channel(from.g, to.g), channel(from.b, to.b)};
}

// ---------------------------------------------------------------------------------------------
// Sub-pixel coverage: pixel x spans units [8x, 8x + 8); its samples sit at 8x + 1, 3, 5, 7.

constexpr int kUnitsPerPixel = 8;
constexpr int kSamplesPerAxis = 4;
constexpr int kSamplesPerPixel = kSamplesPerAxis * kSamplesPerAxis;

constexpr int to_units(int pixels) { return pixels * kUnitsPerPixel; }

// Number of the pixel's samples (0..16) for which inside(unit_x, unit_y) holds.
template <typename Inside>
int coverage(int x, int y, const Inside& inside) {
  int count = 0;
  for (int sy = 0; sy < kSamplesPerAxis; ++sy) {
    for (int sx = 0; sx < kSamplesPerAxis; ++sx) {
      if (inside(to_units(x) + 1 + 2 * sx, to_units(y) + 1 + 2 * sy)) ++count;
    }
  }
  return count;
}

void blend(Rgb& pixel, Rgb colour, int covered) {
  pixel = mix(pixel, colour, covered, kSamplesPerPixel);
}

// ---------------------------------------------------------------------------------------------
// Layout of the background picture (all rectangles inclusive)

constexpr int kSkinWidth = 700;
constexpr int kSkinHeight = 440;

// Ground: dark olive-grey, lifted by up to kGroundGlowLevels towards the top edge.
constexpr Rgb kGroundColour{50, 51, 43};
constexpr int kGroundGlowRows = 110;
constexpr int kGroundGlowLevels = 16;

// One-pixel lighter line one pixel inside the outer edge.
constexpr Rgb kEdgeLineColour{119, 118, 104};
constexpr Rect kEdgeLine = inset(Rect{0, 0, kSkinWidth - 1, kSkinHeight - 1}, 1);

// Blue tab behind the format labels and the elapsed-time read-out.
constexpr Rect kTab{190, 31, 693, 65};
constexpr int kTabCornerRadius = 12;  // rounded top-left corner
constexpr Rgb kTabTopColour{126, 176, 232};
constexpr Rgb kTabBottomColour{22, 58, 124};

// Cream panel behind the frame, fields, buttons and bars: its outermost ring is the lighter line,
// the ring inside it the dark line, and the textured cream fills the rest.
constexpr Rect kPanel{9, 68, 690, 413};
constexpr Rect kPanelLighterLine = kPanel;
constexpr Rect kPanelDarkLine = inset(kPanel, 1);
constexpr Rect kPanelFill = inset(kPanel, 2);
constexpr Rgb kPanelLighterLineColour{104, 104, 91};
constexpr Rgb kPanelDarkLineColour{24, 25, 20};
constexpr Rgb kPanelCreamColour{238, 234, 216};
constexpr int kPanelTextureLevels = 4;  // the texture darkens by 0..3 levels

// ---------------------------------------------------------------------------------------------
// Background drawing

void fill_rect(Picture& picture, Rect rect, Rgb colour) {
  for (int y = rect.top; y <= rect.bottom; ++y)
    for (int x = rect.left; x <= rect.right; ++x) picture.at(x, y) = colour;
}

void outline_rect(Picture& picture, Rect rect, Rgb colour) {
  fill_rect(picture, {rect.left, rect.top, rect.right, rect.top}, colour);
  fill_rect(picture, {rect.left, rect.bottom, rect.right, rect.bottom}, colour);
  fill_rect(picture, {rect.left, rect.top, rect.left, rect.bottom}, colour);
  fill_rect(picture, {rect.right, rect.top, rect.right, rect.bottom}, colour);
}

Rgb ground_colour(int y) {
  const int below_top = y < kGroundGlowRows ? kGroundGlowRows - y : 0;
  return lighten(kGroundColour, (below_top * kGroundGlowLevels + kGroundGlowRows / 2) / kGroundGlowRows);
}

void draw_ground(Picture& picture) {
  for (int y = 0; y < picture.height; ++y) fill_rect(picture, {0, y, picture.width - 1, y}, ground_colour(y));
}

bool inside_tab(int ux, int uy) {
  const int left = to_units(kTab.left), top = to_units(kTab.top);
  if (ux < left || ux >= to_units(kTab.right + 1) || uy < top || uy >= to_units(kTab.bottom + 1)) return false;
  const int radius = to_units(kTabCornerRadius);
  const int dx = left + radius - ux, dy = top + radius - uy;
  return dx <= 0 || dy <= 0 || dx * dx + dy * dy <= radius * radius;
}

void draw_tab(Picture& picture) {
  const int steps = kTab.bottom - kTab.top;
  for (int y = kTab.top; y <= kTab.bottom; ++y) {
    const Rgb shade = mix(kTabTopColour, kTabBottomColour, y - kTab.top, steps);
    for (int x = kTab.left; x <= kTab.right; ++x) blend(picture.at(x, y), shade, coverage(x, y, inside_tab));
  }
}

// A small integer hash of the position: 0..kPanelTextureLevels-1, the same on every run.
int texture_level(int x, int y) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return static_cast<int>(h % kPanelTextureLevels);
}

void draw_panel(Picture& picture) {
  outline_rect(picture, kPanelLighterLine, kPanelLighterLineColour);
  outline_rect(picture, kPanelDarkLine, kPanelDarkLineColour);
  for (int y = kPanelFill.top; y <= kPanelFill.bottom; ++y)
    for (int x = kPanelFill.left; x <= kPanelFill.right; ++x)
      picture.at(x, y) = lighten(kPanelCreamColour, -texture_level(x, y));
}

Picture make_background() {
  Picture picture(kSkinWidth, kSkinHeight);
  draw_ground(picture);
  outline_rect(picture, kEdgeLine, kEdgeLineColour);
  draw_tab(picture);
  draw_panel(picture);
  return picture;
}

// ---------------------------------------------------------------------------------------------
// Segment-display letters. A glyph is a set of strokes: round-ended bars between the joints of a
// 3x3 grid (corners, edge middles, centre), pulled back from the joints so that gaps separate them.

constexpr int kGlyphWidth = 18;   // pixels
constexpr int kGlyphHeight = 30;  // pixels
constexpr int kLetterAdvance = 22;
constexpr int kSpaceAdvance = 10;
constexpr int kStrokeRadius = 12;      // units: strokes are 3 pixels thick
constexpr int kJointPullBack = 20;     // units from a joint to the end of a bar's axis
constexpr int kDiagonalPullBack = 28;  // units, diagonals keep clear of the bars around them

struct Point {
  int x, y;  // units, relative to the glyph's top-left corner
};

constexpr int kLeftX = kStrokeRadius, kCentreX = to_units(kGlyphWidth) / 2;
constexpr int kRightX = to_units(kGlyphWidth) - kStrokeRadius;
constexpr int kTopY = kStrokeRadius, kMiddleY = to_units(kGlyphHeight) / 2;
constexpr int kBottomY = to_units(kGlyphHeight) - kStrokeRadius;

constexpr Point kTopLeft{kLeftX, kTopY}, kTopCentre{kCentreX, kTopY}, kTopRight{kRightX, kTopY};
constexpr Point kMiddleLeft{kLeftX, kMiddleY}, kCentre{kCentreX, kMiddleY}, kMiddleRight{kRightX, kMiddleY};
constexpr Point kBottomLeft{kLeftX, kBottomY}, kBottomCentre{kCentreX, kBottomY};
constexpr Point kBottomRight{kRightX, kBottomY};
// Where the strokes of a V bend into one another, half-way down its arms.
constexpr Point kVeeLeftKnee{(kLeftX + kCentreX) / 2 - kStrokeRadius / 2, kMiddleY};
constexpr Point kVeeRightKnee{(kRightX + kCentreX) / 2 + kStrokeRadius / 2, kMiddleY};

struct Stroke {
  Point from, to;
  int pull_back_from, pull_back_to;  // units
};

// The segments, named by position; the bit of each is 1 << its value.
enum Segment : unsigned {
  kTopBar, kBottomBar, kUpperLeftBar, kLowerLeftBar, kUpperRightBar, kLowerRightBar,
  kMiddleBar, kMiddleRightHalfBar, kUpperCentreBar, kLowerCentreBar,
  kUpperLeftDiagonal, kUpperRightDiagonal, kLowerLeftDiagonal, kLowerRightDiagonal,
  kVeeUpperLeftArm, kVeeUpperRightArm, kVeeLowerLeftArm, kVeeLowerRightArm, kSegmentCount
};

// One stroke per segment, in the order of the enumeration.
constexpr int kBar = kJointPullBack, kDiagonal = kDiagonalPullBack;
constexpr Stroke kSegmentStrokes[kSegmentCount] = {
    {kTopLeft, kTopRight, kBar, kBar},              {kBottomLeft, kBottomRight, kBar, kBar},
    {kTopLeft, kMiddleLeft, kBar, kBar},            {kMiddleLeft, kBottomLeft, kBar, kBar},
    {kTopRight, kMiddleRight, kBar, kBar},          {kMiddleRight, kBottomRight, kBar, kBar},
    {kMiddleLeft, kMiddleRight, kBar, kBar},        {kCentre, kMiddleRight, 0, kBar},
    {kTopCentre, kCentre, kBar, kBar},              {kCentre, kBottomCentre, kBar, kBar},
    {kTopLeft, kCentre, kDiagonal, kDiagonal},      {kTopRight, kCentre, kDiagonal, kDiagonal},
    {kCentre, kBottomLeft, kDiagonal, kDiagonal},   {kCentre, kBottomRight, kDiagonal, kDiagonal},
    {kTopLeft, kVeeLeftKnee, 0, kBar},              {kTopRight, kVeeRightKnee, 0, kBar},
    {kVeeLeftKnee, kBottomCentre, kBar, 0},         {kVeeRightKnee, kBottomCentre, kBar, 0},
};

constexpr unsigned bit(Segment segment) { return 1u << segment; }
constexpr unsigned kTop = bit(kTopBar), kBottom = bit(kBottomBar), kMiddle = bit(kMiddleBar);
constexpr unsigned kLeftSide = bit(kUpperLeftBar) | bit(kLowerLeftBar);
constexpr unsigned kRightSide = bit(kUpperRightBar) | bit(kLowerRightBar);
constexpr unsigned kCentreColumn = bit(kUpperCentreBar) | bit(kLowerCentreBar);
constexpr unsigned kOutline = kTop | kBottom | kLeftSide | kRightSide;

// Segments of the letters the badges need; 0 for any other character (a space draws nothing).
unsigned glyph_segments(char letter) {
  switch (letter) {
    case 'A': return kTop | kLeftSide | kRightSide | kMiddle;
    case 'F': return kTop | kLeftSide | kMiddle;
    case 'G': return kTop | kLeftSide | kBottom | bit(kLowerRightBar) | bit(kMiddleRightHalfBar);
    case 'I': return kTop | kBottom | kCentreColumn;
    case 'L': return kLeftSide | kBottom;
    case 'M': return kLeftSide | kRightSide | bit(kUpperLeftDiagonal) | bit(kUpperRightDiagonal);
    case 'O': return kOutline;
    case 'P': return kTop | kLeftSide | bit(kUpperRightBar) | kMiddle;
    case 'S': return kTop | bit(kUpperLeftBar) | kMiddle | bit(kLowerRightBar) | kBottom;
    case 'T': return kTop | kCentreColumn;
    case 'V': return bit(kVeeUpperLeftArm) | bit(kVeeUpperRightArm) | bit(kVeeLowerLeftArm) | bit(kVeeLowerRightArm);
    case 'W': return kLeftSide | kRightSide | bit(kLowerLeftDiagonal) | bit(kLowerRightDiagonal);
    default: return 0;
  }
}

// Moves `from` towards `to` by `distance` units (rounded to whole units).
Point pulled_towards(Point from, Point to, int distance) {
  const int dx = to.x - from.x, dy = to.y - from.y;
  int length = 0;
  while ((length + 1) * (length + 1) <= dx * dx + dy * dy) ++length;  // integer square root
  return {from.x + (dx * distance + (dx < 0 ? -length : length) / 2) / length,
          from.y + (dy * distance + (dy < 0 ? -length : length) / 2) / length};
}

// Whether (ux, uy) lies within kStrokeRadius of the segment from a to b (exact integer test).
bool near_segment(Point a, Point b, int ux, int uy) {
  const std::int64_t dx = b.x - a.x, dy = b.y - a.y, px = ux - a.x, py = uy - a.y;
  const std::int64_t along = px * dx + py * dy, length2 = dx * dx + dy * dy;
  const std::int64_t r2 = std::int64_t{kStrokeRadius} * kStrokeRadius;
  if (along <= 0) return px * px + py * py <= r2;
  if (along >= length2) {
    const std::int64_t qx = ux - b.x, qy = uy - b.y;
    return qx * qx + qy * qy <= r2;
  }
  return (px * px + py * py) * length2 - along * along <= r2 * length2;
}

void draw_glyph(Picture& picture, int left, int top, unsigned segments, Rgb colour) {
  std::vector<Stroke> strokes;
  for (unsigned s = 0; s < kSegmentCount; ++s) {
    if (!(segments & (1u << s))) continue;
    const Stroke& full = kSegmentStrokes[s];
    strokes.push_back({pulled_towards(full.from, full.to, full.pull_back_from),
                       pulled_towards(full.to, full.from, full.pull_back_to), 0, 0});
  }
  auto inside = [&](int ux, int uy) {
    for (const Stroke& stroke : strokes)
      if (near_segment(stroke.from, stroke.to, ux - to_units(left), uy - to_units(top))) return true;
    return false;
  };
  for (int y = top; y < top + kGlyphHeight; ++y)
    for (int x = left; x < left + kGlyphWidth; ++x) blend(picture.at(x, y), colour, coverage(x, y, inside));
}

int text_width(const std::string& text) {
  int width = 0;
  for (char c : text) width += c == ' ' ? kSpaceAdvance : kLetterAdvance;
  return width - (kLetterAdvance - kGlyphWidth);  // no spacing after the last letter
}

void draw_text_centred(Picture& picture, const std::string& text, Rgb colour) {
  int x = (picture.width - text_width(text)) / 2;
  const int top = (picture.height - kGlyphHeight) / 2;
  for (char c : text) {
    draw_glyph(picture, x, top, glyph_segments(c), colour);
    x += c == ' ' ? kSpaceAdvance : kLetterAdvance;
  }
}

// ---------------------------------------------------------------------------------------------
// Badges: where the badge gadget shows them (client (20, 11)), their ground is the background's.

constexpr Rect kBadgeArea{20, 11, 20 + 130 - 1, 11 + 50 - 1};
constexpr Rgb kBadgeLetterColour{156, 156, 155};

Picture crop(const Picture& source, Rect area) {
  Picture picture(area.right - area.left + 1, area.bottom - area.top + 1);
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) picture.at(x, y) = source.at(area.left + x, area.top + y);
  return picture;
}

Picture make_badge(const Picture& background, const std::string& words) {
  Picture badge = crop(background, kBadgeArea);
  draw_text_centred(badge, words, kBadgeLetterColour);
  return badge;
}

// ---------------------------------------------------------------------------------------------
// PNG output

constexpr int kCompressionLevel = 9;

// Kept free of C++ objects with destructors: libpng reports errors by longjmp to here.
bool encode_png(std::FILE* file, int width, int height, png_bytep* rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_compression_level(png, kCompressionLevel);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

bool write_png(const std::filesystem::path& path, Picture& picture) {
  std::vector<png_bytep> rows;
  for (int y = 0; y < picture.height; ++y) rows.push_back(reinterpret_cast<png_bytep>(&picture.at(0, y)));
  std::FILE* file = std::fopen(path.string().c_str(), "wb");
  if (file == nullptr) return false;
  const bool encoded = encode_png(file, picture.width, picture.height, rows.data());
  const bool closed = std::fclose(file) == 0;
  return encoded && closed;
}

bool write_picture(const std::filesystem::path& folder, const char* name, Picture picture) {
  if (write_png(folder / name, picture)) return true;
  std::fprintf(stderr, "skin_generator: cannot write %s\n", (folder / name).string().c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: skin_generator OUTPUT_DIR\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    std::fprintf(stderr, "skin_generator: cannot create %s: %s\n", argv[1], error.message().c_str());
    return 1;
  }
  const Picture background = make_background();
  bool ok = write_picture(folder, "background.png", background);
  ok = write_picture(folder, "badge_flv.png", make_badge(background, "TO FLV")) && ok;
  ok = write_picture(folder, "badge_avi.png", make_badge(background, "TO AVI")) && ok;
  ok = write_picture(folder, "badge_swf.png", make_badge(background, "TO SWF")) && ok;
  ok = write_picture(folder, "badge_mpg.png", make_badge(background, "TO MPG")) && ok;
  return ok ? 0 : 1;
}
