#include "report/pdf_objects.h"

#include <cstdio>

namespace quorvel::report {

void PdfObjectWriter::Emit(const void* data, size_t size) {
  out_.Write(data, size);
  written_ += size;
  if (!identify_) return;
  const auto* p = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < size; ++i) {
    hash_[0] = (hash_[0] ^ p[i]) * 0x100000001b3ull;
    hash_[1] = (hash_[1] ^ p[i]) * 0x100000001b3ull;
  }
}

void PdfObjectWriter::Header() {
  Line("%PDF-1.3");
  Line("%\xE2\xE3\xCF\xD3");
  Line("");
}

void PdfObjectWriter::Begin(int number) {
  if (text_.size() > (1u << 16)) Flush();
  offsets_[static_cast<size_t>(number - 1)] = written_ + text_.size();
  Line(std::to_string(number) + " 0 obj");
}

void PdfObjectWriter::Dictionary(int number, const std::vector<std::string>& lines) {
  Begin(number);
  Line("<<");
  for (const std::string& l : lines) Line(l);
  Line(">>");
  End();
}

void PdfObjectWriter::Stream(int number, std::string_view data, std::string_view extra,
                             bool break_before_end) {
  Begin(number);
  Line("<< /Length " + std::to_string(data.size()) + std::string(extra) + " >>");
  Line("stream");
  if (data.size() > 4096) {
    Bytes(data.data(), data.size());
  } else {
    Text(data);
  }
  if (break_before_end) Line("");
  Line("endstream");
  End();
}

void PdfObjectWriter::Finish(int root, int info) {
  const size_t xref = written_ + text_.size();
  Line("xref");
  Line("0 " + std::to_string(offsets_.size() + 1));
  Line("0000000000 65535 f");
  for (size_t offset : offsets_) {
    char entry[32];
    std::snprintf(entry, sizeof entry, "%010zu 00000 n", offset);
    Line(entry);
  }
  Line("");
  Flush();
  Line("trailer");
  Line("<<");
  Line("/Size " + std::to_string(offsets_.size() + 1));
  Line("/Root " + Ref(root));
  Line("/Info " + Ref(info));
  if (identify_) {
    char id[40];
    std::snprintf(id, sizeof id, "%016llx%016llx", static_cast<unsigned long long>(hash_[0]),
                  static_cast<unsigned long long>(hash_[1]));
    Line(std::string("/ID [<") + id + "> <" + id + ">]");
  }
  Line(">>");
  Line("");
  Line("startxref");
  Line(std::to_string(xref));
  Line("%%EOF");
  Flush();
}

}  // namespace quorvel::report
