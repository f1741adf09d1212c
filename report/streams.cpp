#include "report/streams.h"

#include <cerrno>
#include <cstring>

namespace quorvel::report {
namespace {

std::string SystemReason() { return std::strerror(errno); }

}  // namespace

void MemoryStream::Write(const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  bytes_.insert(bytes_.end(), p, p + size);
}

void MemoryStream::WriteAt(uint64_t position, const void* data, size_t size) {
  if (position + size > bytes_.size()) throw std::out_of_range("write past the end of a stream");
  std::memcpy(bytes_.data() + position, data, size);
}

FileStream::FileStream(const std::string& path) : path_(path) {
  file_ = std::fopen(path.c_str(), "wb+");
  if (!file_) throw FileError("Cannot create file \"" + path + "\". " + SystemReason());
}

FileStream::~FileStream() {
  if (file_) std::fclose(file_);
}

void FileStream::Write(const void* data, size_t size) {
  if (size == 0) return;
  if (std::fwrite(data, 1, size, file_) != size) {
    throw FileError("Cannot write file \"" + path_ + "\". " + SystemReason());
  }
  position_ += size;
}

void FileStream::WriteAt(uint64_t position, const void* data, size_t size) {
  bool ok = std::fseek(file_, static_cast<long>(position), SEEK_SET) == 0 &&
            std::fwrite(data, 1, size, file_) == size &&
            std::fseek(file_, static_cast<long>(position_), SEEK_SET) == 0;
  if (!ok) throw FileError("Cannot write file \"" + path_ + "\". " + SystemReason());
}

void FileStream::Close() {
  if (!file_) return;
  int rc = std::fclose(file_);
  file_ = nullptr;
  if (rc != 0) throw FileError("Cannot write file \"" + path_ + "\". " + SystemReason());
}

void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FileStream out(path);
  out.Write(bytes.data(), bytes.size());
  out.Close();
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) throw FileError("Cannot open file \"" + path + "\". " + SystemReason());
  std::vector<uint8_t> bytes;
  if (std::fseek(f, 0, SEEK_END) == 0) {
    long size = std::ftell(f);
    if (size > 0) bytes.reserve(static_cast<size_t>(size));
    std::rewind(f);
  }
  uint8_t chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
    bytes.insert(bytes.end(), chunk, chunk + n);
  bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) throw FileError("Cannot read file \"" + path + "\".");
  return bytes;
}

void ByteWriter::Raw(const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  out_.insert(out_.end(), p, p + size);
}

void ByteWriter::String(std::string_view s, bool long_lengths) {
  size_t n = s.size();
  if (long_lengths) {
    if (n > 16383) throw std::length_error("a recorded string holds at most 16383 bytes");
    if (n < 192) {
      U8(static_cast<uint8_t>(n));
    } else {
      U8(static_cast<uint8_t>(0xC0 | (n >> 8)));
      U8(static_cast<uint8_t>(n & 0xFF));
    }
  } else {
    if (n > 255) throw std::length_error("a short-form string holds at most 255 bytes");
    U8(static_cast<uint8_t>(n));
  }
  Raw(s.data(), n);
}

const uint8_t* ByteReader::Take(size_t n) {
  if (n > size_ - pos_ || pos_ > size_) {
    throw StreamReadError(
        "Read beyond the end of the stream (" + std::to_string(n) + " bytes wanted)", pos_);
  }
  const uint8_t* p = data_ + pos_;
  pos_ += n;
  return p;
}

uint8_t ByteReader::U8() { return *Take(1); }

int16_t ByteReader::I16() {
  int16_t v;
  std::memcpy(&v, Take(2), 2);
  return v;
}

int32_t ByteReader::I32() {
  int32_t v;
  std::memcpy(&v, Take(4), 4);
  return v;
}

float ByteReader::F32() {
  float v;
  std::memcpy(&v, Take(4), 4);
  return v;
}

double ByteReader::F64() {
  double v;
  std::memcpy(&v, Take(8), 8);
  return v;
}

std::string ByteReader::String(bool long_lengths) { return std::string(StringView(long_lengths)); }

std::string_view ByteReader::StringView(bool long_lengths) {
  size_t n = U8();
  if (long_lengths && n >= 192) n = ((n & 0x3F) << 8) | U8();
  const uint8_t* p = Take(n);
  return std::string_view(reinterpret_cast<const char*>(p), n);
}

void ByteReader::Seek(size_t position) {
  if (position > size_) throw StreamReadError("Seek beyond the end of the stream", position);
  pos_ = position;
}

}  // namespace quorvel::report
