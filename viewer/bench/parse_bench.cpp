// Cost of one frame-file read and parse (open, read, scan 576 numbers, close).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <unistd.h>

#include "frame_reader.h"

namespace {
std::string makeFile(size_t minimumBytes) {
    char path[] = "/tmp/quorbel-bench-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) std::abort();
    close(fd);
    std::mt19937 gen(1);
    std::uniform_int_distribution<int> value(0, 40000);  // typical spectrum magnitudes
    std::string text;
    for (int i = 0; i < 576 || text.size() < minimumBytes; ++i) text += std::to_string(value(gen)) + (i % 16 == 15 ? '\n' : ' ');
    FILE* f = std::fopen(path, "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    return path;
}

void readFrame(benchmark::State& state, size_t fileBytes) {
    const std::string path = makeFile(fileBytes);
    for (auto _ : state) {
        readSpectrumFile(path.c_str());
        benchmark::DoNotOptimize(spectrumFrame.value[287][1]);
    }
    std::remove(path.c_str());
}

void BM_ReadSpectrumFrame(benchmark::State& state) { readFrame(state, 0); }
void BM_ReadSpectrumFrame50MB(benchmark::State& state) { readFrame(state, 50u << 20); }

void BM_ScanOnly(benchmark::State& state) {
    std::string text;
    for (int i = 0; i < 576; ++i) text += std::to_string(i * 37 % 40000) + ' ';
    SpectrumFrame frame;
    for (auto _ : state) {
        SpectrumScanner scanner;
        scanner.feed(text.data(), text.size(), frame);
        benchmark::DoNotOptimize(frame.value[287][1]);
    }
}
}  // namespace

BENCHMARK(BM_ReadSpectrumFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadSpectrumFrame50MB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScanOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
