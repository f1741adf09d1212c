// Page-stream bytes made by hand for the reader and writer tests.
#pragma once

#include <cstdint>
#include <vector>

#include "report/streams.h"

namespace quorvel::testing {

// The document header of a format-2017 recording on the reference device with `pages` pages.
inline std::vector<uint8_t> PgsHeader(int16_t pages) {
  std::vector<uint8_t> b;
  report::ByteWriter w(b);
  w.U8(90), w.I16(2017), w.String("Page Report"), w.I16(pages), w.I16(1), w.I16(9999);
  w.F32(8.5f), w.F32(11.0f);
  for (int i = 0; i < 4; ++i) w.F32(0);
  w.U8(0), w.I16(265), w.U8(0), w.U8(0), w.I16(1), w.I16(1), w.I16(0), w.I16(0), w.String("");
  return b;
}

// A page frame's start, with both links 0.
inline void PgsPageStart(std::vector<uint8_t>& b, int16_t number) {
  report::ByteWriter w(b);
  w.U8(80), w.I32(0), w.I32(0), w.I16(number), w.F32(8.5f), w.F32(11.0f);
}

}  // namespace quorvel::testing
