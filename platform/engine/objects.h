// Builders of engine objects, for the device-context side, the document player
// and tests that hand objects to a driver directly: paths from subpaths, clip
// regions, brushes, line attributes, transforms, colour translations, bitmaps,
// strings and fonts. Each builder owns its engine object; Get() lends it (valid
// while the builder lives and is not changed). The engine object keeps state of
// its own (an enumeration under way, a brush's realisation), so Get() of a const
// builder still hands out a mutable object, as the engine hands it to drivers. Paths, clips,
// brushes, line attributes, transforms, translations and strings copy by value (a copy is a new
// engine object); bitmaps and fonts are shared (a copy names the same one).
#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/engine/ddi.h"

namespace platform::engine {

struct PointD {
  double x;
  double y;
};

// A device coordinate as 28.4 fixed point, rounded to the nearest 1/16 pixel and
// held to the range of a FIX.
FIX ToFix(double v);

// A path of subpaths. Each MoveTo starts a subpath; LineTo and BezierTo add to
// it; Close marks it closed. Enumerated records: one per run of lines or curves of
// a subpath, PD_BEGINSUBPATH (with PD_RESETSTYLE) on its first record, whose first
// point is the start point, PD_ENDSUBPATH (with PD_CLOSEFIGURE when closed) on its
// last. A subpath of a lone point is left out.
class Path {
 public:
  Path();
  ~Path();
  Path(const Path& other);
  Path& operator=(const Path& other);
  Path(Path&& other) noexcept;
  Path& operator=(Path&& other) noexcept;

  Path& MoveTo(double x, double y);
  Path& LineTo(double x, double y);
  Path& BezierTo(double x1, double y1, double x2, double y2, double x3, double y3);
  Path& Close();
  // A subpath through the points (MoveTo, LineTo ..., Close when closed).
  Path& AddPolyline(std::span<const PointD> points, bool closed);
  // A closed four-point subpath (left, top), (right, top), (right, bottom), (left, bottom).
  Path& AddRectangle(double left, double top, double right, double bottom);
  // A record exactly as given (flags and 28.4 points), not checked: for records a
  // well-formed path never has, such as a curve record with a bad point count.
  Path& AddRecord(FLONG flags, std::vector<POINTFIX> points);
  // Records of more than n points are split into records of at most n points
  // (0: no limit, the default).
  Path& SetRecordLimit(ULONG n);

  // The same path moved by (dx, dy) in 28.4.
  Path Offset(FIX dx, FIX dy) const;
  bool empty() const;
  // Bounds of all points (inclusive), as PATHOBJ_vGetBounds gives them.
  RECTFX Bounds() const;
  PATHOBJ* Get() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// A clip region: none (DC_TRIVIAL), one rectangle (DC_RECT) or a set of
// non-overlapping rectangles (DC_COMPLEX; a set of one is DC_RECT).
// Rectangles are right and bottom exclusive.
class Clip {
 public:
  static Clip None(RECTL bounds = {0, 0, 0, 0});
  static Clip Rectangle(const RECTL& rect);
  static Clip Region(std::vector<RECTL> rects);

  Clip();
  ~Clip();
  Clip(const Clip& other);
  Clip& operator=(const Clip& other);
  Clip(Clip&& other) noexcept;
  Clip& operator=(Clip&& other) noexcept;

  BYTE complexity() const;
  const std::vector<RECTL>& rectangles() const;
  RECTL bounds() const;
  // The region moved by (dx, dy); cut to `limit`. A cut region that keeps no area
  // is empty(): a call clipped to it draws nothing. A trivial clip stays trivial.
  Clip Offset(LONG dx, LONG dy) const;
  Clip Intersect(const RECTL& limit) const;
  bool empty() const;
  CLIPOBJ* Get() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

class Bitmap;
class Translation;

// A brush: a solid colour index (in the target's format), a hatch (HS_*) of a
// foreground on a background colour index, or a pattern bitmap with its colour
// translation to the target. The engine offers the driver's DrvRealizeBrush a
// pattern for the hatch (1 bit per pixel, 8 x 8, 1 = hatch line, translated
// through the table {background, foreground}) with its hatch index, or the
// pattern bitmap itself with the index HS_DDI_MAX + 1.
class Brush {
 public:
  static Brush Solid(ULONG colorIndex, ULONG rgb = 0xFFFFFFFF);
  static Brush Hatch(ULONG style, ULONG foreIndex, ULONG backIndex);
  static Brush Pattern(const Bitmap& pattern, const Translation& translation);

  Brush();
  ~Brush();
  Brush(const Brush& other);
  Brush& operator=(const Brush& other);
  Brush(Brush&& other) noexcept;
  Brush& operator=(Brush&& other) noexcept;

  // BRUSHOBJ_pvGetRbrush calls `realize` for the target when the brush has no
  // realisation yet (the device context binds its driver's entry itself).
  void BindRealizer(PFN_DrvRealizeBrush realize, SURFOBJ* target) const;
  BRUSHOBJ* Get() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// Line attributes of a stroke.
class LineAttributes {
 public:
  // A cosmetic line of `width` pixels (LA_GEOMETRIC clear).
  static LineAttributes Cosmetic(LONG width = 1);
  // A geometric line of `width` world units with its join and end cap.
  static LineAttributes Geometric(FLOATL width, ULONG join = JOIN_ROUND,
                                  ULONG endCap = ENDCAP_ROUND, FLOATL miterLimit = 10.0f);

  LineAttributes();
  LineAttributes(const LineAttributes& other);
  LineAttributes& operator=(const LineAttributes& other);

  // Dash and gap lengths, alternately (LA_STYLED): world units for geometric
  // lines, style steps for cosmetic ones.
  LineAttributes& Styled(std::vector<FLOAT_LONG> style);
  LineAttributes& Alternate();
  LineAttributes& StartGap();
  LINEATTRS* Get() const;

 private:
  void Relink() const;
  mutable LINEATTRS attrs_{};
  mutable std::vector<FLOAT_LONG> style_;
};

// A world-to-device transform.
class Transform {
 public:
  Transform();  // identity
  static Transform Matrix(FLOATL m11, FLOATL m12, FLOATL m21, FLOATL m22, FLOATL dx = 0,
                          FLOATL dy = 0);
  ~Transform();
  Transform(const Transform& other);
  Transform& operator=(const Transform& other);
  Transform(Transform&& other) noexcept;
  Transform& operator=(Transform&& other) noexcept;

  const XFORML& matrix() const;
  XFORMOBJ* Get() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// A colour translation from a source's colour indices to a target's.
class Translation {
 public:
  static Translation Identity();
  // XO_TABLE: source index i becomes entries[i].
  static Translation Table(std::vector<ULONG> entries);
  // From one engine palette to another: a table for an indexed source, else
  // conversion between RGB, BGR and the nearest entry of an indexed target.
  static Translation Between(HPALETTE source, HPALETTE target);

  Translation();
  ~Translation();
  Translation(const Translation& other);
  Translation& operator=(const Translation& other);
  Translation(Translation&& other) noexcept;
  Translation& operator=(Translation&& other) noexcept;

  XLATEOBJ* Get() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// An engine bitmap (EngCreateBitmap), deleted with its last copy.
class Bitmap {
 public:
  Bitmap();
  // valid() is false when the engine refused the bitmap (last error set).
  static Bitmap Create(SIZEL size, ULONG format, FLONG flags = BMF_TOPDOWN);
  bool valid() const;
  HSURF handle() const;
  SURFOBJ* Get() const;

 private:
  struct Holder;
  std::shared_ptr<Holder> holder_;
};

struct GlyphPlacement {
  HGLYPH hg;
  POINTL ptl;
};

// A string: glyph positions, and the application's text when it has one.
class TextString {
 public:
  TextString();
  TextString(std::vector<GlyphPlacement> glyphs, std::u16string text = {}, FLONG flAccel = 0);
  ~TextString();
  TextString(const TextString& other);
  TextString& operator=(const TextString& other);
  TextString(TextString&& other) noexcept;
  TextString& operator=(TextString&& other) noexcept;

  TextString& SetBackground(const RECTL& rect);
  TextString& SetCharInc(ULONG inc);
  // The code page STROBJ_dwGetCodePage reports (0: the system's ANSI page).
  TextString& SetCodePage(DWORD codePage);
  // STROBJ_bEnum hands out at most n positions at a time; with n below the glyph
  // count pgp is null, as the engine leaves it when a driver must enumerate.
  TextString& SetBatchSize(ULONG n);
  TextString Offset(LONG dx, LONG dy) const;
  STROBJ* Get() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// A font realisation: its metrics block, its transform and the glyph images and
// outlines the engine hands out for it.
class Font {
 public:
  Font();
  // The metrics block with its four names appended (the offsets are set here).
  Font& SetMetrics(const IFIMETRICS& metrics, const std::u16string& family,
                   const std::u16string& style, const std::u16string& face,
                   const std::u16string& unique);
  Font& SetType(FLONG flFontType);
  Font& SetIdentity(ULONG iUniq, ULONG_PTR iTTUniq, ULONG iFace = 0);
  Font& SetTransform(const Transform& transform);
  // A glyph image: rows of (width + 7) / 8 bytes, top row first.
  Font& AddGlyphBits(HGLYPH hg, POINTL origin, SIZEL size, std::vector<BYTE> rows);
  Font& AddGlyphOutline(HGLYPH hg, const Path& outline);
  FONTOBJ* Get() const;

  struct Impl;

 private:
  std::shared_ptr<Impl> impl_;
};

}  // namespace platform::engine
