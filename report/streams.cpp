#include "report/streams.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
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
  UseLargeBuffer();
}

FileStream::FileStream(std::FILE* file, std::string path) : path_(std::move(path)), file_(file) {
  UseLargeBuffer();
}

void FileStream::UseLargeBuffer() {
  buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
  std::setvbuf(file_, buffer_.get(), _IOFBF, kBufferSize);
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

void FileStream::SyncAndClose() {
  if (!file_) return;
  bool ok = std::fflush(file_) == 0 && fsync(fileno(file_)) == 0;
  std::string reason = ok ? std::string() : SystemReason();
  int rc = std::fclose(file_);
  file_ = nullptr;
  if (ok && rc != 0) reason = SystemReason();
  if (!reason.empty()) throw FileError("Cannot write file \"" + path_ + "\". " + reason);
}

std::string LinkTarget(const std::string& path) {
  std::string at = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
    std::vector<char> buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
    ssize_t n = readlink(at.c_str(), buf.data(), buf.size());
    if (n < 0 || static_cast<size_t>(n) >= buf.size()) return at;
    std::string to(buf.data(), static_cast<size_t>(n));
    if (to.empty()) return at;
    if (to[0] != '/') {
      // Relative to the folder holding the link.
      size_t slash = at.find_last_of('/');
      if (slash != std::string::npos) to = at.substr(0, slash + 1) + to;
    }
    at = to;
  }
  return at;
}

AtomicFileStream::AtomicFileStream(std::string target, bool replace)
    : target_(replace ? LinkTarget(target) : std::move(target)), replace_(replace) {
  // A hidden name, so that a file manager showing the folder does not offer a half-made book.
  temporary_ = std::make_unique<TemporaryFile>(target_, true);
  // The finished file gets the mode an ordinary new file would have, or the mode of the file
  // it replaces.
  struct stat old {};
  mode_t mode;
  if (stat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    mode = old.st_mode & 07777;
  } else {
    mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  const int fd = temporary_->Descriptor();
  std::FILE* file = fchmod(fd, mode) == 0 ? fdopen(fd, "wb+") : nullptr;
  if (!file) {
    std::string reason = SystemReason();
    temporary_.reset();
    throw FileError("Cannot create file \"" + target_ + "\". " + reason);
  }
  temporary_->ReleaseDescriptor();
  file_ = std::make_unique<FileStream>(file, target_);
}

AtomicFileStream::~AtomicFileStream() { Discard(); }

void AtomicFileStream::Commit() { MoveTo(target_, replace_); }

void AtomicFileStream::CommitAs(const std::string& other) { MoveTo(other, false); }

void AtomicFileStream::MoveTo(const std::string& name, bool replace) {
  if (done_) throw FileError("File \"" + target_ + "\" was already finished.");
  try {
    file_->SyncAndClose();
  } catch (...) {
    Discard();
    throw;
  }
  if (!temporary_->MoveTo(name, replace)) {
    int error = errno;
    Discard();
    if (error == EEXIST) {
      throw FileError("Cannot write file \"" + name +
                      "\": a file of that name appeared while this one was made; it is left as "
                      "it is and nothing was written");
    }
    throw FileError("Cannot write file \"" + name + "\". " + std::strerror(error));
  }
  done_ = true;
}

void AtomicFileStream::Discard() {
  if (done_) return;
  done_ = true;
  try {
    file_->Close();
  } catch (const FileError&) {
    // The file is thrown away, so what it could not write does not matter.
  }
  temporary_->Remove();
}

std::string WithExtension(std::string name, std::string_view extension) {
  bool has = name.size() >= extension.size();
  for (size_t i = 0; has && i < extension.size(); ++i) {
    char a = name[name.size() - extension.size() + i];
    has = std::tolower(static_cast<unsigned char>(a)) ==
          std::tolower(static_cast<unsigned char>(extension[i]));
  }
  if (has) return name;
  // "book." becomes "book.pdf", not "book..pdf".
  if (!name.empty() && name.back() == '.' && !extension.empty() && extension[0] == '.') {
    extension.remove_prefix(1);
  }
  name += extension;
  return name;
}

int CreateUniqueFile(const std::string& prefix, std::string& path) {
  std::string pattern = prefix + "XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = mkstemp(name.data());
  if (fd >= 0) path = name.data();
  return fd;
}

void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FileStream out(path);
  out.Write(bytes.data(), bytes.size());
  out.Close();
}

std::vector<uint8_t> ReadWholeFile(int fd, const std::string& name) {
  struct stat st {};
  // One byte more than the file holds, so that the read that finds the end needs no room made.
  std::vector<uint8_t> bytes(fstat(fd, &st) == 0 && st.st_size > 0 ? st.st_size + 1 : 4096);
  size_t got = 0;
  for (;;) {
    if (got == bytes.size()) bytes.resize(2 * got);
    ssize_t n = pread(fd, bytes.data() + got, bytes.size() - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw FileError("Cannot read file \"" + name + "\". " + SystemReason());
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw FileError("Cannot open file \"" + path + "\". " + SystemReason());
  try {
    std::vector<uint8_t> bytes = ReadWholeFile(fd, path);
    close(fd);
    return bytes;
  } catch (...) {
    close(fd);
    throw;
  }
}

MappedFile::MappedFile(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw FileError("Cannot open file \"" + path + "\". " + SystemReason());
  try {
    Map(fd, path);
  } catch (...) {
    close(fd);
    throw;
  }
  close(fd);
}

MappedFile::MappedFile(int fd, const std::string& name) { Map(fd, name); }

void MappedFile::Map(int fd, const std::string& name) {
  struct stat st {};
  if (fstat(fd, &st) != 0) {
    throw FileError("Cannot read file \"" + name + "\". " + SystemReason());
  }
  size_ = static_cast<size_t>(st.st_size);
  if (size_ > 0) {
    void* p = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (p == MAP_FAILED) {
      throw FileError("Cannot read file \"" + name + "\". " + SystemReason());
    }
    data_ = static_cast<const uint8_t*>(p);
  }
}

MappedFile::~MappedFile() {
  if (data_) munmap(const_cast<uint8_t*>(data_), size_);
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

void ByteReader::ThrowPastEnd(size_t wanted) const {
  throw StreamReadError(
      "Read beyond the end of the stream (" + std::to_string(wanted) + " bytes wanted)", pos_);
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
