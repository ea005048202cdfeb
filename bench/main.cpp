// SPDX-License-Identifier: GPL-3.0-or-later
// parcelbarge-bench: writes the benchmark corpus and measures the in-process
// references the backup and restore are compared with. bench/run.sh drives it.
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "corpus.h"
#include "zlib_reference.h"

namespace {

int Usage() {
  std::cerr << "usage:\n"
               "  parcelbarge-bench corpus DIR [--small] [--large-mb N] [--small-files N]\n"
               "  parcelbarge-bench zlib DIR [--threads N]\n"
               "corpus writes DIR/large and DIR/small; zlib measures compress() and inflate\n"
               "on the 128 KiB fragments of every file below DIR and prints one line per figure:\n"
               "  RESULT <name> <input bytes> <compressed bytes> <seconds>\n";
  return 2;
}

void Print(const pb::bench::Measurement& m) {
  std::cout << "RESULT " << m.name << ' ' << m.inputBytes << ' ' << m.outputBytes << ' ' << std::fixed
            << std::setprecision(4) << m.seconds << std::endl;
}

int WriteCorpus(const std::string& directory, const std::vector<std::string>& options) {
  pb::bench::CorpusSizes sizes;
  for (size_t i = 0; i < options.size(); ++i) {
    const bool hasValue = i + 1 < options.size();
    if (options[i] == "--small") {
      sizes = pb::bench::CorpusSizes::Small();
    } else if (options[i] == "--large-mb" && hasValue) {
      sizes.largeBytes = std::atoll(options[++i].c_str()) << 20;
    } else if (options[i] == "--small-files" && hasValue) {
      sizes.smallFiles = std::atoi(options[++i].c_str());
    } else {
      return Usage();
    }
  }
  for (const auto& [name, summary] :
       {std::pair{"large", pb::bench::WriteLargeFiles(directory, sizes.largeBytes)},
        std::pair{"small", pb::bench::WriteSmallFiles(directory, sizes.smallFiles)}}) {
    std::cout << "CORPUS " << name << ' ' << summary.files << " files " << summary.bytes << " bytes crc32 "
              << std::hex << summary.crc << std::dec << std::endl;
  }
  return 0;
}

int MeasureZlib(const std::string& directory, const std::vector<std::string>& options) {
  int threads = static_cast<int>(std::thread::hardware_concurrency());
  for (size_t i = 0; i < options.size(); ++i) {
    if (options[i] == "--threads" && i + 1 < options.size()) {
      threads = std::atoi(options[++i].c_str());
    } else {
      return Usage();
    }
  }
  if (threads < 1) threads = 1;
  const pb::bench::FragmentedCorpus corpus(directory);
  Print(pb::bench::MeasureCompress(corpus, 1));
  if (threads > 1) Print(pb::bench::MeasureCompress(corpus, threads));
  Print(pb::bench::MeasureReusedDeflate(corpus, 1));
  if (threads > 1) Print(pb::bench::MeasureReusedDeflate(corpus, threads));
  for (const auto& measurement : pb::bench::MeasureInflate(corpus)) Print(measurement);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() < 2) return Usage();
  const std::vector<std::string> options(args.begin() + 2, args.end());
  if (args[0] == "corpus") return WriteCorpus(args[1], options);
  if (args[0] == "zlib") return MeasureZlib(args[1], options);
  return Usage();
}
