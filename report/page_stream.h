// Record codes and header constants of the page-stream format: one frame per recorded page,
// linked to its neighbours, holding state and drawing records.
#pragma once

#include <cstdint>

namespace quorvel::report::pgs {

constexpr uint8_t kHeaderZ = 90;  // "Z", followed by an int16 version
constexpr uint8_t kHeaderQ = 81;  // "Q": version 1101
constexpr uint8_t kHeaderY = 89;  // "Y": version 2009
constexpr int16_t kVersion = 2017;

constexpr uint8_t kPage = 80;
constexpr uint8_t kEndPage = 82;

enum Code : uint8_t {
  kArc = 1,
  kBrushCopy = 2,
  kChord = 3,
  kCopyRect = 4,
  kDrawGraphic = 5,
  kFocusRect = 6,
  kEllipse = 7,
  kFillRect = 8,
  kFloodFill = 9,
  kFrameRect = 10,
  kLine = 11,
  kMove = 12,
  kPie = 13,
  kPolygon = 14,
  kPolyline = 15,
  kBitmapAt = 16,
  kBitmapRect = 17,
  kRectangle = 18,
  kRectangle2 = 19,
  kRoundRect = 20,
  kStretchGraphic = 21,
  kClippedText = 22,
  kCenterText = 23,
  kLeftText = 24,
  kRightText = 25,
  kTextBkMode = 26,
  kBkColor = 27,
  kScaleX = 28,
  kScaleY = 29,
  kRawText = 30,
  kRawBlock = 31,
  kOldBlockText = 32,
  kBlockText = 33,
  kTransparent = 34,
  kFrameMode = 35,
  kForeignImage = 36,
  kPageVariable = 37,
  kOldBrush = 40,
  kBrushColor = 41,
  kBrushStyle = 42,
  kBrushBitmap = 43,
  kOldFont = 50,
  kFontName = 51,
  kFontColor = 52,
  kFontPitch = 53,
  kFontSize = 54,
  kBold = 55,
  kUnderline = 56,
  kItalic = 57,
  kStrikeOut = 58,
  kSuperscript = 59,
  kSubscript = 60,
  kRotation = 61,
  kAlignment = 62,
  kCharset = 63,
  kOldPen = 70,
  kPenColor = 71,
  kPenMode = 72,
  kPenStyle = 73,
  kPenWidth = 74,
  kLineMetrics = 83,
  kPreviewOnly = 84,
  kPrinterOnly = 85,
  kAllDestinations = 86,
  kOrientation = 87,
  kBinName = 88,
};

// The sample text whose width record 54 carries.
constexpr const char* kSampleText =
    "abcdefg hijklmnop qrstuv wxyz ABCDEFG HIJKLMNOP QRSTUV WXYZ 0123456789";

}  // namespace quorvel::report::pgs
