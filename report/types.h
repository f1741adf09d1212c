// Value types shared by the report document, its writers and renderers: fonts, pens, brushes
// and the enumerations of their properties.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvel::report {

enum TFontPitch : uint8_t { fpDefault = 0, fpVariable = 1, fpFixed = 2 };
enum TPrintJustify : uint8_t { pjCenter = 0, pjLeft = 1, pjRight = 2, pjBlock = 3 };
enum TPenStyle : uint8_t {
  psSolid = 0,
  psDash,
  psDot,
  psDashDot,
  psDashDotDot,
  psClear,
  psInsideFrame
};
enum TPenMode : uint8_t { pmCopy = 4 };
enum TBrushStyle : uint8_t { bsSolid = 0, bsClear = 1 };
enum TLineWidthType : uint8_t { wtPoints = 0, wtPixels = 1 };
enum TOrientation : uint8_t { poPortrait = 0, poLandScape = 1, poDefault = 2 };
enum TDisplayOn : uint8_t { doParent = 0, doAll, doPreviewOnly, doPrinterOnly };
enum TGotoMode : uint8_t { gmGotoDone = 0, gmGotoNotDone, gmCallEach };
enum TAllowMode : uint8_t { amAll = 0, amPreviewOnly, amPrinterOnly };

// Font style flags.
enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// A colour 0x00BBGGRR.
using TColor = int32_t;

// A font name, held once for the whole process: the many text items of a book share one copy
// of each name instead of a string each.
class FontName {
 public:
  FontName(std::string_view name = "Arial") : name_(&Intern(name)) {}  // NOLINT: implicit
  FontName(const char* name) : FontName(std::string_view(name)) {}    // NOLINT: implicit
  FontName(const std::string& name) : FontName(std::string_view(name)) {}  // NOLINT: implicit
  const std::string& str() const { return *name_; }
  operator const std::string&() const { return *name_; }  // NOLINT: implicit
  // Names are held once, so equal names are the same object.
  bool operator==(const FontName& other) const { return name_ == other.name_; }
  friend bool operator==(const FontName& a, std::string_view b) { return *a.name_ == b; }
  friend bool operator==(const FontName& a, const char* b) { return *a.name_ == b; }

 private:
  static const std::string& Intern(std::string_view name);
  const std::string* name_;
};

struct TReportFont {
  FontName Name = "Arial";
  int Size = 10;  // whole points
  uint8_t Style = 0;
  TColor Color = 0;
  TFontPitch Pitch = fpDefault;
  uint8_t Charset = 1;

  bool operator==(const TReportFont&) const = default;
};

}  // namespace quorvel::report
