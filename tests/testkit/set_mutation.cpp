// SPDX-License-Identifier: GPL-3.0-or-later
#include "set_mutation.h"

#include <cstdint>
#include <iterator>

#include "set_builder.h"
#include "temp_dir.h"

namespace pb::testing {

std::vector<std::string> ValidVolumes() {
  SetBuilder set;
  set.Header(4, "Mutanten")
      .FileWithData("C:\\Daten\\gro\xDF.bin", RandomBytes(5000, 41), 1500)
      .File(0, "C:\\Daten\\leer")
      .Cut()
      .FileWithData("C:\\Daten\\Text.txt", std::string(3000, 'T') + "Ende", 1000)
      .Cut()
      .FileWithData("C:\\x.bin", RandomBytes(700, 42));
  return set.volumes();
}

void Mutate(std::vector<std::string>& volumes, std::mt19937& random) {
  const auto pick = [&](std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(random() % n); };
  static const uint32_t interesting[] = {0,      1,      0xFFFFFFFF, 0x7FFFFFFF, 0x80000000, 131072,
                                        131073, 131125, 131126,     0x7FFF,     0x8000,     5000};
  const int mutations = 1 + static_cast<int>(random() % 4);
  for (int m = 0; m < mutations; ++m) {
    std::string& volume = volumes[pick(volumes.size())];
    switch (random() % 6) {
      case 0:
      case 1:
        if (!volume.empty()) volume[pick(volume.size())] ^= static_cast<char>(1 + random() % 255);
        break;
      case 2:
        if (volume.size() >= 4) {
          const std::size_t at = pick(volume.size() - 3);
          const uint32_t value = interesting[pick(std::size(interesting))];
          for (int i = 0; i < 4; ++i) volume[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
        }
        break;
      case 3:
        volume.resize(pick(volume.size() + 1));
        break;
      case 4:
        volume.insert(pick(volume.size() + 1), RandomBytes(1 + random() % 16, random()));
        break;
      default:
        if (volumes.size() > 1) volumes.erase(volumes.begin() + static_cast<std::ptrdiff_t>(pick(volumes.size())));
        break;
    }
  }
}

}  // namespace pb::testing
