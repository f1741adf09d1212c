#include "report/embedded_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include <sys/stat.h>
#include <zlib.h>

#include <cmath>
#include <cstdlib>
#include <memory>

#include "report/streams.h"

namespace quorvel::report {
namespace {

constexpr const char* kPrintFontPath =
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";
constexpr const char* kPrintBoldFontPath =
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf";

std::string FindFont(const char* variable, const char* packaged) {
  const char* chosen = std::getenv(variable);
  std::string path = chosen && *chosen ? chosen : packaged;
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    throw FileError("The print-ready font " + path +
                    " is missing; install the package fonts-liberation2");
  }
  return path;
}

// The codes 0x80..0x9F, which WinAnsi maps outside Latin-1.
constexpr uint16_t kHighCodes[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

uint16_t WinAnsiToUnicode(uint8_t code) {
  if (code < 0x20 || code == 0x7F) return 0;
  if (code >= 0x80 && code <= 0x9F) return kHighCodes[code - 0x80];
  return code;
}

std::string FindPrintFont() { return FindFont("QUORVEL_PRINT_FONT", kPrintFontPath); }

std::string FindPrintBoldFont() { return FindFont("QUORVEL_PRINT_BOLD_FONT", kPrintBoldFontPath); }

EmbeddedFont EmbeddedFont::Load(const std::string& path) {
  EmbeddedFont font;
  font.program = ReadWholeFile(path);
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) throw FileError("Cannot start the font reader");
  std::unique_ptr<FT_LibraryRec_, decltype(&FT_Done_FreeType)> library_owner(library,
                                                                             FT_Done_FreeType);
  FT_Face face = nullptr;
  if (FT_New_Memory_Face(library, font.program.data(), static_cast<FT_Long>(font.program.size()), 0,
                         &face) != 0 ||
      !FT_IS_SFNT(face) || !FT_IS_SCALABLE(face)) {
    throw FileError("The font file \"" + path + "\" is not a TrueType font");
  }
  std::unique_ptr<FT_FaceRec_, decltype(&FT_Done_Face)> face_owner(face, FT_Done_Face);
  const double em = face->units_per_EM;
  auto scaled = [em](double v) { return static_cast<int>(std::lround(v * 1000 / em)); };
  const char* name = FT_Get_Postscript_Name(face);
  font.postscript_name = name ? name : "LiberationSans";
  font.ascent = scaled(face->ascender);
  font.descent = scaled(face->descender);
  font.bbox = {scaled(face->bbox.xMin), scaled(face->bbox.yMin), scaled(face->bbox.xMax),
               scaled(face->bbox.yMax)};
  font.cap_height = font.ascent;
  if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
      os2 && os2->version >= 2 && os2->sCapHeight > 0) {
    font.cap_height = scaled(os2->sCapHeight);
  }
  if (auto* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST))) {
    font.italic_angle = static_cast<int>(std::lround(post->italicAngle / 65536.0));
  }
  font.flags = 32 + (FT_IS_FIXED_WIDTH(face) ? 1 : 0) + (font.italic_angle != 0 ? 64 : 0);
  if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) {
    throw FileError("The font file \"" + path + "\" has no Unicode character map");
  }
  for (int code = 0; code < 256; ++code) {
    uint16_t unicode = WinAnsiToUnicode(static_cast<uint8_t>(code));
    FT_UInt glyph = unicode ? FT_Get_Char_Index(face, unicode) : 0;
    if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE) != 0) {
      throw FileError("The font file \"" + path + "\" has a glyph that cannot be read");
    }
    font.widths[static_cast<size_t>(code)] =
        static_cast<uint16_t>(scaled(static_cast<double>(face->glyph->advance.x)));
  }
  return font;
}

std::vector<uint8_t> Deflate(const std::vector<uint8_t>& data, int level) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::vector<uint8_t> out(size);
  if (compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), level) != Z_OK) {
    throw std::runtime_error("Cannot compress the font program");
  }
  out.resize(size);
  return out;
}

}  // namespace quorvel::report
