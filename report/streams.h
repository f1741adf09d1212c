// Byte streams and the little-endian field encodings shared by the page-stream writer and
// reader and by the project's persistent form. Every read past the end is an exception that
// names the byte offset.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "report/temporary_files.h"

namespace quorvel::report {

// A read past the end of the data, or a malformed field, at a byte offset.
class StreamReadError : public std::runtime_error {
 public:
  StreamReadError(const std::string& what, uint64_t offset)
      : std::runtime_error(what + " at byte offset " + std::to_string(offset)), offset_(offset) {}
  // `error` with `note` added to its message ("of FILE", "; the pages so far are in ...").
  StreamReadError(const StreamReadError& error, const std::string& note)
      : std::runtime_error(error.what() + note), offset_(error.offset_) {}
  uint64_t offset() const { return offset_; }

 private:
  uint64_t offset_;
};

// A file that cannot be created, written or read; the message names the file.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A seekable output stream.
class OutputStream {
 public:
  virtual ~OutputStream() = default;
  virtual void Write(const void* data, size_t size) = 0;
  virtual uint64_t Position() const = 0;
  // Overwrites bytes already written at `position`, keeping the current position.
  virtual void WriteAt(uint64_t position, const void* data, size_t size) = 0;
};

class MemoryStream : public OutputStream {
 public:
  void Write(const void* data, size_t size) override;
  uint64_t Position() const override { return bytes_.size(); }
  void WriteAt(uint64_t position, const void* data, size_t size) override;

  const std::vector<uint8_t>& bytes() const { return bytes_; }
  std::vector<uint8_t>& bytes() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

// A file opened for writing (created or emptied); closed by the destructor.
class FileStream : public OutputStream {
 public:
  explicit FileStream(const std::string& path);
  // Takes over `file`, already open for writing; `path` names it in error messages.
  FileStream(std::FILE* file, std::string path);
  ~FileStream() override;
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  void Write(const void* data, size_t size) override;
  uint64_t Position() const override { return position_; }
  void WriteAt(uint64_t position, const void* data, size_t size) override;
  // Flushes and closes; throws FileError when the data could not be written.
  void Close();
  // Flushes the data to the disk itself and closes; throws FileError when that fails.
  void SyncAndClose();

 private:
  // Books are megabytes: a large buffer writes them in few calls.
  static constexpr size_t kBufferSize = 256 * 1024;
  void UseLargeBuffer();

  std::string path_;
  std::unique_ptr<char[]> buffer_;
  std::FILE* file_ = nullptr;
  uint64_t position_ = 0;
};

// A file written under a new temporary name beside its target and moved over the target only
// by Commit, once it is complete and on the disk. Until then an existing file of the target's
// name stays as it was; a write that fails or is abandoned, or a run ended by a signal, leaves
// no file behind.
class AtomicFileStream : public OutputStream {
 public:
  // Creates the temporary file in the target's folder; throws FileError when it cannot. With
  // `replace`, a target that is a symbolic link has the file it points to replaced; without,
  // Commit moves the file into place only while the target's name is free.
  explicit AtomicFileStream(std::string target, bool replace = true);
  // Removes the temporary file unless it was committed.
  ~AtomicFileStream() override;
  AtomicFileStream(const AtomicFileStream&) = delete;
  AtomicFileStream& operator=(const AtomicFileStream&) = delete;

  void Write(const void* data, size_t size) override { file_->Write(data, size); }
  uint64_t Position() const override { return file_->Position(); }
  void WriteAt(uint64_t position, const void* data, size_t size) override {
    file_->WriteAt(position, data, size);
  }
  // Flushes, syncs and moves the file to the target; throws FileError when any step fails (the
  // target is then unchanged and the temporary file removed).
  void Commit();
  // The same, to `other` instead of the target, and only while that name is free.
  void CommitAs(const std::string& other);
  // Throws the file away; the target is unchanged.
  void Discard();
  // The file the stream becomes: the target, or the end of its links.
  const std::string& Target() const { return target_; }

 private:
  void MoveTo(const std::string& name, bool replace);

  std::string target_;
  bool replace_;
  std::unique_ptr<TemporaryFile> temporary_;
  std::unique_ptr<FileStream> file_;
  bool done_ = false;
};

// The file a chain of symbolic links from `path` ends at (`path` itself when it is no link);
// the end need not exist. Gives up after 40 links, returning the last one.
std::string LinkTarget(const std::string& path);

// The name with `extension` (".pdf") added unless it already ends in it, in any case; a name
// ending in "." gets the extension's letters.
std::string WithExtension(std::string name, std::string_view extension = ".pdf");

// Creates a new, empty file named `prefix` and six characters that make the name unique, open
// to its owner only; returns its open descriptor and sets `path`, or returns -1 with errno set.
int CreateUniqueFile(const std::string& prefix, std::string& path);

// Writes `bytes` to `path`, creating or replacing the file.
void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);
// Reads the whole of `path`.
std::vector<uint8_t> ReadWholeFile(const std::string& path);
// Reads the whole file open as `fd` from its start; `name` names it in errors.
std::vector<uint8_t> ReadWholeFile(int fd, const std::string& name);

// A file's bytes mapped read-only into memory for as long as the object lives: a recording of
// megabytes is read where the system already holds it instead of being copied.
class MappedFile {
 public:
  explicit MappedFile(const std::string& path);
  // The file open as `fd` (which stays open, and the caller's); `name` names it in errors.
  MappedFile(int fd, const std::string& name);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  void Map(int fd, const std::string& name);
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

// Appends little-endian fields to a byte vector.
class ByteWriter {
 public:
  explicit ByteWriter(std::vector<uint8_t>& out) : out_(out) {}
  void U8(uint8_t v) { out_.push_back(v); }
  void I16(int16_t v) { Fixed(&v, 2); }
  void I32(int32_t v) { Fixed(&v, 4); }
  void F32(float v) { Fixed(&v, 4); }
  void F64(double v) { Fixed(&v, 8); }
  // A length below 192 in one byte, up to 16383 in two (0xC0 | high six bits, low eight bits).
  // `long_lengths` false writes the one-byte form of older files (at most 255).
  void String(std::string_view s, bool long_lengths = true);
  void Raw(const void* data, size_t size);

 private:
  void Fixed(const void* data, size_t size) {
    // Byte by byte: the sizes are constants where this is inlined, and a few checked appends
    // cost less than a call to grow the vector.
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) out_.push_back(bytes[i]);
  }
  std::vector<uint8_t>& out_;
};

// Reads little-endian fields from a byte range; throws StreamReadError past its end.
class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  explicit ByteReader(const std::vector<uint8_t>& v) : ByteReader(v.data(), v.size()) {}

  // Fields are read in line: a recording of megabytes is read field by field.
  uint8_t U8() { return *Take(1); }
  int16_t I16() { return Read<int16_t>(); }
  int32_t I32() { return Read<int32_t>(); }
  float F32() { return Read<float>(); }
  double F64() { return Read<double>(); }
  std::string String(bool long_lengths = true);
  // The same, as a view into the data.
  std::string_view StringView(bool long_lengths = true);

  size_t Position() const { return pos_; }
  size_t Size() const { return size_; }
  bool AtEnd() const { return pos_ >= size_; }
  // Moves to `position`; a position past the end throws.
  void Seek(size_t position);

 private:
  const uint8_t* Take(size_t n) {
    if (n > size_ - pos_ || pos_ > size_) [[unlikely]] {
      ThrowPastEnd(n);
    }
    const uint8_t* p = data_ + pos_;
    pos_ += n;
    return p;
  }
  template <class T>
  T Read() {
    T v;
    std::memcpy(&v, Take(sizeof v), sizeof v);
    return v;
  }
  [[noreturn]] void ThrowPastEnd(size_t wanted) const;

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace quorvel::report
