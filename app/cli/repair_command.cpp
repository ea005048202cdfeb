// SPDX-License-Identifier: GPL-3.0-or-later
// parcelbarge-cli repair: rebuilds lost and damaged volumes from the repair
// volumes in one directory, and what test says of them.
#include <ostream>

#include "commands.h"
#include "restore/repair_survey.h"
#include "store/repair_code.h"
#include "store/volume_name.h"
#include "support/paths.h"
#include "support/run_time_error.h"
#include "terminal_text.h"

namespace pb::cli {

namespace {

constexpr int64_t kStep = 1 << 20;

std::string ConditionText(VolumeCondition condition) {
  return condition == VolumeCondition::Missing ? "fehlt" : "ist beschädigt";
}

std::string VolumeList(const std::vector<int16_t>& numbers) {
  std::string text;
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (i > 0) text += i + 1 == numbers.size() ? " und " : ", ";
    text += std::to_string(numbers[i]);
  }
  return text;
}

// Writes the rebuilt volume in place of what is there and checks it against
// what the repair volumes say of it; a failed one does not stay.
bool RebuildInto(FileSystem& fs, RepairSurvey& survey, const std::string& directory, int16_t number) {
  const VolumeEntry& expected = *survey.Expected(number);
  const std::string path = directory + VolumeFileName(number);
  try {
    if (!fs.FindEntry(path, kMaskFiles).empty()) {
      fs.SetAttributesNormal(path);
      fs.DeleteFile(path);
    }
    const FileNumber file = fs.Open(path, OpenMode::Output);
    VolumeChecksum checksum;
    try {
      for (int64_t offset = 0; offset < expected.length; offset += kStep) {
        const std::string bytes = survey.Rebuilt(number, offset, std::min(kStep, expected.length - offset));
        fs.Write(file, bytes);
        checksum.Update(bytes);
      }
      fs.Flush(file);
    } catch (const RunTimeError&) {
      fs.Close(file);
      throw;
    }
    fs.Close(file);
    if (checksum.Hex() == expected.checksum) return true;
  } catch (const RunTimeError&) {
  }
  try {
    fs.DeleteFile(path);
  } catch (const RunTimeError&) {
  }
  return false;
}

std::string RecoverabilitySummary(const std::vector<RepairSurvey::Loss>& losses) {
  std::vector<int16_t> beyond;
  for (const RepairSurvey::Loss& loss : losses) {
    if (!loss.rebuildable) beyond.push_back(loss.number);
  }
  if (losses.empty()) return "Alle Bände sind unbeschädigt.";
  if (beyond.empty()) return "Der Satz ist mit den Reparaturbänden vollständig wiederherstellbar.";
  return std::string("Der Satz ist nicht vollständig wiederherstellbar: ") +
         (beyond.size() == 1 ? "Band " : "die Bände ") + VolumeList(beyond) + " bleiben verloren.";
}

}  // namespace

void PrintRecoverability(CliContext& context, RepairSurvey& survey) {
  for (int number : survey.BrokenRepairVolumes()) {
    context.out << "WARNUNG Reparaturband " << number << " fehlt oder ist beschädigt\n";
  }
  for (const RepairSurvey::Loss& loss : survey.Losses()) {
    context.out << "FEHLER  Band " << loss.number << " " << ConditionText(loss.condition) << "; "
                << (loss.rebuildable ? "wiederherstellbar" : "nicht wiederherstellbar") << "\n";
  }
  context.out << RecoverabilitySummary(survey.Losses()) << "\n";
}

int RunRepairCommand(CliContext& context, const ReadOptions& options) {
  const std::optional<std::string> argument = DirectoryArgument(context, options.source);
  if (!argument) return kExitUsage;
  if (!RepairCodeAvailable()) {
    context.err << "Reparaturbände kann diese Fassung des Programms nicht verwenden.\n";
    return kExitUsage;
  }
  FileSystem& fs = context.runtime.fs;
  const std::string directory = WithTrailingBackslash(*argument);
  RepairSurvey survey(fs, directory);
  if (survey.Empty()) {
    context.err << "parcelbarge-cli: " << TerminalSafe(options.source) << ": keine Reparaturbände gefunden\n";
    return kExitUnavailable;
  }
  for (int number : survey.BrokenRepairVolumes()) {
    context.out << "WARNUNG Reparaturband " << number << " fehlt oder ist beschädigt\n";
  }
  const std::vector<RepairSurvey::Loss> losses = survey.Losses();
  int failed = 0;
  for (const RepairSurvey::Loss& loss : losses) {
    const std::string volume = "Band " + std::to_string(loss.number);
    if (!loss.rebuildable) {
      ++failed;
      context.out << "FEHLER  " << volume << " " << ConditionText(loss.condition) << "; nicht wiederherstellbar\n";
    } else if (RebuildInto(fs, survey, directory, loss.number)) {
      context.out << "NEU     " << volume << " wiederhergestellt und geprüft\n";
    } else {
      ++failed;
      context.out << "FEHLER  " << volume << " " << ConditionText(loss.condition) << "; ließ sich nicht wiederherstellen\n";
    }
  }
  context.out << RecoverabilitySummary(losses) << "\n";
  return failed == 0 ? kExitComplete : kExitProblems;
}

}  // namespace pb::cli
