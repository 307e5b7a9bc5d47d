// Reading a page through NextChar and writing it through PutByte, against a
// plain read()/write() loop over the same data in the same run.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "charfile/byte_file.h"
#include "charfile/char_file.h"
#include "charfile/text_file.h"

namespace {

constexpr size_t kPageSize = 32 << 20;

const std::string& PagePath() {
  static const std::string path = [] {
    const std::string p =
        (std::filesystem::temp_directory_path() / "pelloran-bench-page.htm").string();
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    std::string line =
        "<p class=MsoNormal><span lang=RU>\xCF\xF0\xE8\xE2\xE5\xF2 text</span></p>\r\n";
    for (size_t written = 0; written < kPageSize; written += line.size()) out << line;
    return p;
  }();
  return path;
}

const std::string& OutPath() {
  static const std::string path =
      (std::filesystem::temp_directory_path() / "pelloran-bench-out.htm").string();
  return path;
}

void BM_PlainReadLoop(benchmark::State& state) {
  std::vector<char> buffer(64 * 1024);
  for (auto _ : state) {
    const int fd = ::open(PagePath().c_str(), O_RDONLY);
    size_t sum = 0;
    for (ssize_t n; (n = ::read(fd, buffer.data(), buffer.size())) > 0;) {
      for (ssize_t i = 0; i < n; ++i) sum += static_cast<unsigned char>(buffer[i]);
    }
    ::close(fd);
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(
      static_cast<int64_t>(state.iterations() * std::filesystem::file_size(PagePath())));
}

void BM_NextChar(benchmark::State& state) {
  pelloran::TextFile file;
  for (auto _ : state) {
    pelloran::BindFileName(file, PagePath());
    pelloran::OpenTextForReading(file);
    size_t sum = 0;
    for (int c; (c = pelloran::NextChar(file)) != pelloran::kEndMark;) sum += c;
    pelloran::CloseCharFile(file);
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(
      static_cast<int64_t>(state.iterations() * std::filesystem::file_size(PagePath())));
}

void BM_PlainWriteLoop(benchmark::State& state) {
  std::vector<char> buffer(64 * 1024);
  for (auto _ : state) {
    const int fd = ::open(OutPath().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    size_t used = 0;
    for (size_t i = 0; i < kPageSize; ++i) {
      buffer[used++] = static_cast<char>('a' + i % 26);
      if (used == buffer.size()) {
        if (::write(fd, buffer.data(), used) < 0) std::abort();
        used = 0;
      }
    }
    if (::write(fd, buffer.data(), used) < 0) std::abort();
    ::close(fd);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPageSize));
}

void BM_PutByte(benchmark::State& state) {
  pelloran::ByteFile file;
  for (auto _ : state) {
    pelloran::BindFileName(file, OutPath());
    pelloran::CreateByteFile(file);
    pelloran::OpenByteFile(file);
    for (size_t i = 0; i < kPageSize; ++i)
      pelloran::PutByte(file, static_cast<unsigned char>('a' + i % 26));
    pelloran::CloseCharFile(file);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPageSize));
}

BENCHMARK(BM_PlainReadLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NextChar)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWriteLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PutByte)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
